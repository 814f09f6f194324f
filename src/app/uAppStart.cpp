#include "uAppStart.h"

#include "uAppErrors.h"
#include "uAppIcons.h"
#include "uAppInfo.h"
#include "uAppStyle.h"
#include "uMain.h"
#include "uStorage.h"
#include "uUiPrompts.h"

namespace {

// The start-up update check. The new version check unit plugs in here: when CheckForNewVersion
// reports a newer version, TfrmNewVersion is shown modally and false is returned when it closes
// in its leave state, which ends the program before the main window exists.
bool PassStartupUpdateCheck() { return true; }

}  // namespace

int RunPagewell(int argc, char** argv) {
    // The embedded browser of the editor shares its graphics context with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TPagewellApplication app(argc, argv);
    app.setApplicationName(AppTitle);
    app.setApplicationVersion(AppVersionText);
    app.setWindowIcon(AppIcon(TAppIconKind::Application, 32));
    SetApplicationExeName(AppExeName);
    ApplyLightStyle(app);

    if (!PassStartupUpdateCheck())
        return 0;

    TQtUiPrompts prompts;
    app.SetErrorPrompts(&prompts);
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
