#include "uFrmNewVersion.h"

#include "uAppErrors.h"
#include "uAppInfo.h"
#include "uQtText.h"
#include "uUiPrompts.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

namespace {

const QString UpdateNowText = QStringLiteral("Update Now");
const QString SkipText = QStringLiteral("Skip");
const QString ExitText = QStringLiteral("Exit");
const QString AbortText = QStringLiteral("Abort");
constexpr const char* DownloadFailedText = "Failed to download update. Please download manually on website.";

// The dialog's texts use CR LF line breaks; a label breaks at LF alone.
QString LabelText(const std::string& AText) { return ToQ(AText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

}  // namespace

TfrmNewVersion::TfrmNewVersion(const TNewVersionState& AState, const TUpdateCheckOptions& AOptions,
                               TUiPrompts& APrompts, QWidget* AParent)
    : QDialog(AParent), FState(AState), FOptions(AOptions), FPrompts(APrompts), FForced(AState.Offer.Forced) {
    const double scale = logicalDpiX() / 96.0;
    auto px = [scale](int AValue) { return int(AValue * scale + 0.5); };

    setObjectName(QStringLiteral("frmNewVersion"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgIcon"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(px(48), px(48)));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    icon->setAccessibleName(QStringLiteral("New version"));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    // The server's text is shown as it is, never as markup.
    Label1->setTextFormat(Qt::PlainText);
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setFixedWidth(px(380));
    // A long list of changes scrolls, so the buttons always stay on the screen.
    FTextArea = new QScrollArea(this);
    FTextArea->setObjectName(QStringLiteral("sbMessage"));
    FTextArea->setFrameShape(QFrame::NoFrame);
    FTextArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FTextArea->setWidget(Label1);
    FTextArea->setFixedWidth(px(380) + FTextArea->verticalScrollBar()->sizeHint().width());
    FMinTextHeight = px(120);
    FMaxTextHeight = px(320);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setAccessibleName(QStringLiteral("Download progress"));
    QSizePolicy keepPlace = ProgressBar1->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);  // the dialog keeps its size when the bar appears
    ProgressBar1->setSizePolicy(keepPlace);
    ProgressBar1->setVisible(false);

    btUpdateNow = new QPushButton(UpdateNowText, this);
    btUpdateNow->setObjectName(QStringLiteral("btUpdateNow"));
    btUpdateNow->setDefault(true);
    btCancel = new QPushButton(FForced ? ExitText : SkipText, this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    for (QPushButton* button : {btUpdateNow, btCancel})
        button->setMinimumWidth(px(90));

    auto* text = new QVBoxLayout;
    text->addWidget(FTextArea, 1);
    text->addWidget(ProgressBar1);
    auto* top = new QHBoxLayout;
    top->setSpacing(px(12));
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btUpdateNow);
    buttons->addWidget(btCancel);
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(px(16), px(16), px(16), px(12));
    main->addLayout(top, 1);
    main->addLayout(buttons);
    // The dialog's size follows its text once and cannot be changed by the user.
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(btUpdateNow, &QPushButton::clicked, this, &TfrmNewVersion::btUpdateNowClick);
    connect(btCancel, &QPushButton::clicked, this, &TfrmNewVersion::btCancelClick);
    FormShow();
}

void TfrmNewVersion::FormShow() {
    setWindowTitle(QStringLiteral(" ") + ToQ(AppTitle));
    btUpdateNow->setText(UpdateNowText);
    btCancel->setText(FForced ? ExitText : SkipText);
    SetMessage(LabelText(FState.Offer.DialogText));
    FLeave = false;
}

void TfrmNewVersion::SetMessage(const QString& AText) {
    Label1->setText(AText);
    Label1->setFixedHeight(Label1->heightForWidth(Label1->width()));
    FTextArea->setFixedHeight(qBound(FMinTextHeight, Label1->height(), FMaxTextHeight));
}

void TfrmNewVersion::showEvent(QShowEvent* AEvent) {
    QDialog::showEvent(AEvent);
    if (parentWidget() == nullptr)
        if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
            move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TfrmNewVersion::done(int AResult) {
    // A close after a download was started, or of a forced offer, ends the program.
    if (FForced)
        FLeave = true;
    if (FDownload && FDownload->Running()) {
        // The user closed the window during the download: it stops without a message.
        FDownload->disconnect(this);
        delete FDownload;
        FDownload = nullptr;
    }
    QDialog::done(AResult);
}

void TfrmNewVersion::btCancelClick() {
    if (btCancel->text() == AbortText && FDownload) {
        FDownload->Cancel();
        return;
    }
    close();
}

void TfrmNewVersion::btUpdateNowClick() {
    FForced = true;
    btCancel->setText(AbortText);
    btUpdateNow->setEnabled(false);
    ProgressBar1->setValue(0);
    ProgressBar1->setVisible(true);
    btCancel->setFocus();
    delete FDownload;
    FDownload = new TUpdateDownload(FOptions, this);
    connect(FDownload, &TUpdateDownload::Progress, ProgressBar1, &QProgressBar::setValue);
    connect(FDownload, &TUpdateDownload::Finished, this, &TfrmNewVersion::DownloadFinished);
    FDownload->Start(FState.InstallerUrl, FState.Sha256);
}

void TfrmNewVersion::DownloadFinished(const QString& AFailure) {
    if (!AFailure.isEmpty()) {
        ShowAppError(FPrompts, std::string(DownloadFailedText) + "\r\n\r\n" + FromQ(AFailure));
        FPrompts.ShellOpen(AppHomepageURL);
        close();
        return;
    }
    const QFileInfo file(FDownload->FileName());
    const QString folder = QDir::toNativeSeparators(file.absolutePath());
    const QString checked = FState.Sha256 ? QStringLiteral(" and matches the published checksum") : QString();
    SetMessage(QStringLiteral("The installer of version %1 was downloaded%2:\n%3\n\n"
                                   "Its folder is now open. Close this window, then start the installer "
                                   "from there to update %4.")
                        .arg(ToQ(FState.Offer.VersionText), checked,
                             QDir::toNativeSeparators(file.absoluteFilePath()), ToQ(AppTitle)));
    btCancel->setText(ExitText);
    btCancel->setFocus();
    FPrompts.ShellExplore(FromQ(folder));
}

bool PassStartupUpdateCheck(const TUpdateCheckOptions& AOptions, TUiPrompts& APrompts) {
    TNewVersionState state;
    if (!CheckForNewVersion(AOptions, state))
        return true;
    TfrmNewVersion dlg(state, AOptions, APrompts);
    dlg.exec();
    return !dlg.LeaveRequested();
}
