// TfrmMain: the panels, the left panel's buttons, the tree view, the editor area and the status
// bar. The main menu is in uMainMenus.cpp.
#include "uMain.h"

#include "uAppErrors.h"
#include "uAppIcons.h"
#include "uAppInfo.h"
#include "uTopicPropertiesPage.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int ButtonSize = 34;   // at 96 dots per inch
constexpr int ButtonGap = 4;
constexpr int PanelMargin = 8;

int Scaled(const QWidget* AWidget, int APixels) {
    return static_cast<int>(std::lround(APixels * AWidget->logicalDpiX() / 96.0));
}

}  // namespace

void TfrmMain::BuildLayout() {
    spl1 = new QSplitter(Qt::Horizontal, this);
    spl1->setObjectName("spl1");
    spl1->setChildrenCollapsible(false);
    spl1->setHandleWidth(1);
    setCentralWidget(spl1);
    BuildLeftPanel();
    BuildRightPanel();
    spl1->setStretchFactor(0, 0);
    spl1->setStretchFactor(1, 1);
    BuildStatusBar();
    setWindowIcon(AppIcon(TAppIconKind::Application, 32));
    resize(1280, 800);
}

QToolButton* TfrmMain::NewLeftButton(const char* AObjectName, const char* AHint, int AIconKind) {
    auto* b = new QToolButton(pnlLeftTop);
    b->setObjectName(AObjectName);
    b->setToolTip(AHint);
    b->setAccessibleName(AHint);
    b->setAutoRaise(true);
    b->setIcon(AppIcon(static_cast<TAppIconKind>(AIconKind), 20));
    b->setIconSize(QSize(Scaled(this, 20), Scaled(this, 20)));
    b->setFixedSize(Scaled(this, ButtonSize), Scaled(this, ButtonSize));
    return b;
}

void TfrmMain::BuildLeftPanel() {
    pnlLeft = new QWidget(spl1);
    pnlLeft->setObjectName("pnlLeft");
    auto* leftLayout = new QVBoxLayout(pnlLeft);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);

    pnlLeftTop = new QWidget(pnlLeft);
    pnlLeftTop->setObjectName("pnlLeftTop");
    btnNewProject = NewLeftButton("btnNewProject", "New Project", int(TAppIconKind::NewProject));
    btnOpenProject = NewLeftButton("btnOpenProject", "Open Project...", int(TAppIconKind::OpenProject));
    btnSave = NewLeftButton("btnSave", "Save Project", int(TAppIconKind::Save));
    btnProjectSettings = NewLeftButton("btnProjectSettings", "Project Settings...", int(TAppIconKind::Settings));
    btnNewRootTopic = NewLeftButton("btnNewRootTopic", "Add Root Topic...", int(TAppIconKind::NewRootTopic));
    btnNewSubTopic = NewLeftButton("btnNewSubTopic", "Add Child Topic...", int(TAppIconKind::NewChildTopic));
    btnDeleteTopic = NewLeftButton("btnDeleteTopic", "Remove Topic", int(TAppIconKind::DeleteTopic));
    btnVariablesConditionsSnippets = NewLeftButton("btnVariablesConditionsSnippets",
                                                   "Variables, Snippets, Conditions...", int(TAppIconKind::Reusable));
    // Fixed positions, so the panel width can be taken from the last button of a row.
    QToolButton* const rows[2][4] = {{btnNewProject, btnOpenProject, btnSave, btnProjectSettings},
                                     {btnNewRootTopic, btnNewSubTopic, btnDeleteTopic, btnVariablesConditionsSnippets}};
    const int step = Scaled(this, ButtonSize + ButtonGap);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            rows[r][c]->move(Scaled(this, PanelMargin) + c * step, Scaled(this, PanelMargin) + r * step);
    pnlLeftTop->setFixedHeight(Scaled(this, PanelMargin) * 2 + step + Scaled(this, ButtonSize));

    // Hidden buttons that carry commands without a place in the panel.
    btnExportCHM = new QToolButton(pnlLeftTop);
    btnExportCHM->setObjectName("btnExportCHM");
    btnExportPDF = new QToolButton(pnlLeftTop);
    btnExportPDF->setObjectName("btnExportPDF");
    btnExportWeb = new QToolButton(pnlLeftTop);
    btnExportWeb->setObjectName("btnExportWeb");
    btnSaveAs = new QToolButton(pnlLeftTop);
    btnSaveAs->setObjectName("btnSaveAs");
    btnSaveAs->setText("Save As");
    for (QToolButton* b : {btnExportCHM, btnExportPDF, btnExportWeb, btnSaveAs})
        b->hide();
    leftLayout->addWidget(pnlLeftTop);

    // The tree view drags, drops and renames in place itself; the window changes the model.
    tvToc = new TTocTreeView(pnlLeft);
    tvToc->setObjectName("tvToc");
    tvToc->setAnimated(true);
    leftLayout->addWidget(tvToc, 1);
    connect(tvToc, &QTreeWidget::currentItemChanged, this, [this] { Guarded(&TfrmMain::tvTocChange); });
    tvToc->OnDropTopic = [this](const std::string& ADragged, const std::string& ATarget, const std::string& AParent,
                                TDropMode AMode) {
        RunGuarded(FPrompts, [&] { tvTocDragDrop(ADragged, ATarget, AParent, AMode); });
    };
    tvToc->OnLabelEdited = [this](const std::string& AID, const std::string& AText) {
        RunGuarded(FPrompts, [&] { tvTocEdited(AID, AText); });
    };
}

void TfrmMain::BuildRightPanel() {
    pnlRight = new QWidget(spl1);
    pnlRight->setObjectName("pnlRight");
    auto* rightLayout = new QVBoxLayout(pnlRight);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);

    // The formatting toolbar places its controls in these two panels itself.
    pnlToolbar = new QWidget(pnlRight);
    pnlToolbar->setObjectName("pnlToolbar");
    rightLayout->addWidget(pnlToolbar);

    pnlToolbar2 = new QWidget(pnlRight);
    pnlToolbar2->setObjectName("pnlToolbar2");
    pnlToolbar2->hide();
    rightLayout->addWidget(pnlToolbar2);

    Panel1 = new QWidget(pnlRight);
    Panel1->setObjectName("Panel1");
    Panel1->hide();
    rightLayout->addWidget(Panel1);

    // The editor area: the editor bridge places its browser view in EdgeLayout. Beside it the
    // Properties page, which the author shows and hides (Topic > Properties).
    splEditor = new QSplitter(Qt::Horizontal, pnlRight);
    splEditor->setObjectName("splEditor");
    splEditor->setChildrenCollapsible(false);
    Edge = new QWidget(splEditor);
    Edge->setObjectName("Edge");
    EdgeLayout = new QVBoxLayout(Edge);
    EdgeLayout->setContentsMargins(0, 0, 0, 0);
    EdgeLayout->setSpacing(0);
    splEditor->addWidget(Edge);
    BuildPropertiesPage();
    splEditor->addWidget(pcRight);
    splEditor->setStretchFactor(0, 1);
    splEditor->setStretchFactor(1, 0);
    rightLayout->addWidget(splEditor, 1);
}

void TfrmMain::BuildPropertiesPage() {
    pcRight = new QTabWidget(splEditor);
    pcRight->setObjectName("pcRight");
    tsProperties = new TTopicPropertiesPage(pcRight);
    pcRight->addTab(tsProperties, "Properties");
    pcRight->setMinimumWidth(Scaled(this, 240));
    pcRight->resize(Scaled(this, 300), pcRight->height());
    pcRight->hide();
    tsProperties->OnModified = [this] { MarkProjectDirty(); };
    tsProperties->OnApply = [this] { Guarded(&TfrmMain::btnApplyPropsClick); };
    tsProperties->OnStyleChosen = [this](const std::string& AName) {
        RunGuarded(FPrompts, [&] { cbStyleChange(AName); });
    };
}

void TfrmMain::BuildStatusBar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    setStatusBar(StatusBar1);
    FStatusText = new QLabel(StatusBar1);
    FStatusText->setObjectName("StatusText");
    StatusBar1->addWidget(FStatusText, 1);

    lbHomepageURL = new QLabel(StatusBar1);
    lbHomepageURL->setObjectName("lbHomepageURL");
    lbHomepageURL->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lbHomepageURL->setCursor(Qt::PointingHandCursor);
    QFont f = lbHomepageURL->font();
    f.setUnderline(true);
    lbHomepageURL->setFont(f);
    lbHomepageURL->installEventFilter(this);
    StatusBar1->addPermanentWidget(lbHomepageURL);
}
