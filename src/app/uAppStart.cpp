#include "uAppStart.h"

#include "uAppErrors.h"
#include "uAppIcons.h"
#include "uAppInfo.h"
#include "uAppStyle.h"
#include "uFrmNewVersion.h"
#include "uMain.h"
#include "uStorage.h"
#include "uUiPrompts.h"

int RunPagewell(int argc, char** argv) {
    // The embedded browser of the editor shares its graphics context with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TPagewellApplication app(argc, argv);
    app.setApplicationName(AppTitle);
    app.setApplicationVersion(AppVersionText);
    app.setWindowIcon(AppIcon(TAppIconKind::Application, 32));
    SetApplicationExeName(AppExeName);
    ApplyLightStyle(app);

    TQtUiPrompts prompts;
    app.SetErrorPrompts(&prompts);
    // A newer version is announced before the main window exists; a forced update that the
    // user does not take ends the program here.
    if (!PassStartupUpdateCheck(StartupUpdateCheckOptions(), prompts)) {
        app.SetErrorPrompts(nullptr);
        return 0;
    }
    QStringList args = app.arguments();
    if (!args.isEmpty())
        args.removeFirst();
    TfrmMain frmMain(prompts, args);
    prompts.SetParent(&frmMain);
    frmMain.showMaximized();
    const int rc = app.exec();
    app.SetErrorPrompts(nullptr);
    return rc;
}
