// TfrmReusableContent and TReusableTabButtonGuard: see the header.
#include "uFrmReusableContent.h"

#include "uDpiScale.h"
#include "uQtText.h"
#include "uUtils.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cmath>

bool ParseEnabledText(const std::string& AText) {
    const std::string t = LowerAscii(Trim(AText));
    return t == "true" || t == "yes" || t == "1" || t == "on";
}

std::string EnabledToText(bool AEnabled) { return AEnabled ? "true" : "false"; }

void TReusableTabButtonGuard::PageChanged(QObject*) { UpdateButtons(); }

void TReusableTabButtonGuard::UpdateButtons() {
    if (!Pages)
        return;
    QWidget* active = Pages->currentWidget();
    const auto enable = [](QPushButton* AButton, bool AOn) {
        if (AButton)
            AButton->setEnabled(AOn);
    };
    enable(BtnInsVar, active && active == TsVars);
    enable(BtnInsSnip, active && active == TsSnips);
    enable(BtnInsCondBegin, active && active == TsConds);
    enable(BtnInsCondEnd, active && active == TsConds);
}

namespace {

std::string JoinLines(std::initializer_list<std::string> ALines) {
    std::string out;
    for (const std::string& line : ALines) {
        if (!out.empty())
            out += "\r\n";
        out += line;
    }
    return out;
}

// Cell editors keep the whole text: a snippet may be longer than a line edit's usual limit.
class TWholeTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* AParent, const QStyleOptionViewItem& AOption, const QModelIndex& AIndex) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(AParent, AOption, AIndex);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setMaxLength(INT_MAX);
        FEditor = editor;
        return editor;
    }
    // Hands the text of a cell being edited to the grid (the editor stays open).
    void CommitOpenEditor() {
        if (FEditor)
            emit commitData(FEditor);
    }

private:
    mutable QPointer<QWidget> FEditor;
};

QString CellText(const QTableWidget* AGrid, int ARow, int ACol) {
    const QTableWidgetItem* item = AGrid->item(ARow, ACol);
    return item ? item->text() : QString();
}

void SetCell(QTableWidget* AGrid, int ARow, int ACol, const std::string& AText) {
    AGrid->setItem(ARow, ACol, new QTableWidgetItem(ToQ(AText)));
}

}  // namespace

std::string TfrmReusableContent::VariablesHelpText() {
    return JoinLines({"Variables let you define text once and reuse it in many topics. ",
                      "Use exactly this token form in text: {var:VariableName}. ",
                      "Example row: Name = ProductName, Value = Leafwright. ",
                      "On export, every {var:ProductName} token is replaced with Leafwright. ",
                      "After changing the value here, export again and all variable tokens use the new value."});
}

std::string TfrmReusableContent::SnippetsHelpText() {
    return JoinLines({"Snippets let you store reusable HTML once and reuse it in many topics. ",
                      "Use exactly this token form in text: {snip:SnippetName}. ",
                      std::string("Example row: Name = SupportNote, HTML = <p>Contact <b>") + SupportAddress +
                          "</b> for help.</p>. ",
                      "On export, every {snip:SupportNote} token is replaced with that HTML. ",
                      "Snippet HTML may also contain {var:ProductName}, {snip:OtherSnippet}, or "
                      "{begincond:ProEdition}...{endcond}."});
}

std::string TfrmReusableContent::ConditionsHelpText() {
    return JoinLines({"Conditions are ON/OFF switches for normal editor text. ",
                      "Put {begincond:ConditionName} before the content and {endcond} after it. ",
                      "Example row: Name = ProEdition, Enabled = false.",
                      "And we write in editor: {begincond:ProEdition}This paragraph appears only in Pro builds. {endcond}",
                      "If value in second column (Enabled) is true, yes, 1, or on, the content between the tokens is exported. ",
                      "If value in second column (Enabled) is false, no, 0, off, or empty, that content is removed."});
}

int TfrmReusableContent::S(double AValue) const { return ScaleAt96(this, AValue); }

TfrmReusableContent::TfrmReusableContent(QWidget* AParent) : QDialog(AParent) {
    setObjectName("frmReusableContent");
    setFont(QFont("Segoe UI", 9));
    setWindowTitle("Variables, snippets and conditions");
    setSizeGripEnabled(true);

    // The larger of the base size and a share of the work area of the main window's monitor.
    QScreen* screen = AParent ? AParent->screen() : QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
    resize(std::max(S(1100), static_cast<int>(work.width() * 0.55)),
           std::max(S(760), static_cast<int>(work.height() * 0.75)));
    setMinimumSize(S(820), S(560));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    pcPages = new QTabWidget(this);
    pcPages->setObjectName("pcPages");
    pcPages->setAccessibleName("Reusable content");
    pcPages->setFont(font());
    pnlBottom = new QWidget(this);
    pnlBottom->setObjectName("pnlBottom");
    pnlBottom->setFixedHeight(S(96));
    layout->addWidget(pcPages, 1);
    layout->addWidget(pnlBottom);

    FRowHeight = std::max(S(26), QFontMetrics(font()).height() + S(10));
    tsVars = AddTab("tsVars", "Variables", VariablesHelpText(), "Value", grdVars);
    tsSnips = AddTab("tsSnips", "Snippets", SnippetsHelpText(), "HTML", grdSnips);
    tsConds = AddTab("tsConds", "Conditions", ConditionsHelpText(), "Enabled", grdConds);
    pcPages->setCurrentWidget(tsVars);
    for (QTableWidget* grid : {grdVars, grdSnips, grdConds})
        SetRowCount(grid, 0);

    FButtonHeight = std::max(S(28), QFontMetrics(font()).height() + S(12));
    btnInsVar = AddButton("btnInsVar", "Insert variable", S(8), S(250), mrInsertVariable);
    btnInsSnip = AddButton("btnInsSnip", "Insert snippet", btnInsVar->geometry().right() + 1 + S(8), S(250), mrInsertSnippet);
    btnInsCondBegin = AddButton("btnInsCondBegin", "Insert begin condition",
                                btnInsSnip->geometry().right() + 1 + S(8), S(280), mrInsertBeginCondition);
    btnInsCondEnd = AddButton("btnInsCondEnd", "Insert end condition",
                              btnInsCondBegin->geometry().right() + 1 + S(8), S(250), mrInsertEndCondition);
    btnSave = AddButton("btnSave", "Save", 0, S(96), QDialog::Accepted);
    btnCancel = AddButton("btnCancel", "Cancel", 0, S(96), QDialog::Rejected);
    btnSave->setDefault(true);
    pnlBottom->installEventFilter(this);
    PlaceSaveCancel();

    Guard = new TReusableTabButtonGuard(this);
    Guard->Pages = pcPages;
    Guard->TsVars = tsVars;
    Guard->TsSnips = tsSnips;
    Guard->TsConds = tsConds;
    Guard->BtnInsVar = btnInsVar;
    Guard->BtnInsSnip = btnInsSnip;
    Guard->BtnInsCondBegin = btnInsCondBegin;
    Guard->BtnInsCondEnd = btnInsCondEnd;
    connect(pcPages, &QTabWidget::currentChanged, Guard, [this] { Guard->PageChanged(pcPages); });
    Guard->UpdateButtons();

    if (AParent)
        move(AParent->frameGeometry().center() - QPoint(width() / 2, height() / 2));
}

QWidget* TfrmReusableContent::AddTab(const char* AObjectName, const char* ACaption, const std::string& AHelp,
                                     const char* AValueHeader, QTableWidget*& AGrid) {
    auto* page = new QWidget;
    page->setObjectName(AObjectName);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* help = new QLabel(page);
    help->setObjectName(QString(AObjectName) + "Help");
    help->setTextFormat(Qt::PlainText);  // the snippet example is HTML shown as text
    help->setWordWrap(true);
    help->setFont(font());
    help->setText(ToQ(AHelp));
    const int wrapWidth = std::max(width() - S(48), S(300));
    const QRect needed = QFontMetrics(font()).boundingRect(QRect(0, 0, wrapWidth, INT_MAX / 2),
                                                           Qt::TextWordWrap, help->text());
    help->setFixedHeight(needed.height() + S(18));

    AGrid = new QTableWidget(0, 2, page);
    AGrid->setObjectName(QString("grd") + ACaption);
    AGrid->setAccessibleName(ACaption);
    AGrid->setAccessibleDescription(help->text());
    AGrid->setHorizontalHeaderLabels({"Name", AValueHeader});
    AGrid->verticalHeader()->setVisible(false);
    AGrid->verticalHeader()->setMinimumSectionSize(1);
    AGrid->verticalHeader()->setDefaultSectionSize(FRowHeight);
    AGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    AGrid->horizontalHeader()->setStretchLastSection(false);
    AGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    AGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    AGrid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    AGrid->setTabKeyNavigation(true);
    AGrid->setWordWrap(false);
    AGrid->setItemDelegate(new TWholeTextDelegate(AGrid));
    help->setBuddy(AGrid);

    layout->addWidget(help);
    layout->addWidget(AGrid, 1);
    pcPages->addTab(page, ACaption);
    return page;
}

QPushButton* TfrmReusableContent::AddButton(const char* AObjectName, const char* ACaption, int ALeft, int AWidth,
                                            int AResult) {
    auto* button = new QPushButton(ACaption, pnlBottom);
    button->setObjectName(AObjectName);
    button->setAutoDefault(false);
    button->setGeometry(ALeft, S(8), AWidth, FButtonHeight);
    connect(button, &QPushButton::clicked, this, [this, AResult] { done(AResult); });
    return button;
}

void TfrmReusableContent::PlaceSaveCancel() {
    // Anchored to the right and bottom edges of the panel.
    const int top = pnlBottom->height() - static_cast<int>(std::nearbyint(FButtonHeight * 1.3));
    btnSave->move(pnlBottom->width() - S(208), top);
    btnCancel->move(pnlBottom->width() - S(104), top);
}

void TfrmReusableContent::done(int AResult) {
    // Enter in a cell editor reaches the default button before the editor hands its text over.
    if (AResult != QDialog::Rejected)
        for (QTableWidget* grid : {grdVars, grdSnips, grdConds})
            if (auto* delegate = dynamic_cast<TWholeTextDelegate*>(grid->itemDelegate()))
                delegate->CommitOpenEditor();
    QDialog::done(AResult);
}

bool TfrmReusableContent::eventFilter(QObject* AWatched, QEvent* AEvent) {
    if (AWatched == pnlBottom && AEvent->type() == QEvent::Resize)
        PlaceSaveCancel();
    return QDialog::eventFilter(AWatched, AEvent);
}

void TfrmReusableContent::SetRowCount(QTableWidget* AGrid, int AEntries) {
    // Counted with the header row, as the author sees the grid.
    AGrid->setRowCount(std::max(AEntries + 12, 16) - 1);
    for (int r = 0; r < AGrid->rowCount(); ++r)
        AGrid->setRowHeight(r, FRowHeight);
}

void TfrmReusableContent::SetColumnWidths(QTableWidget* AGrid) {
    // The tabs not shown have not been laid out yet: give them the shown tab's size first.
    QWidget* shown = pcPages->currentWidget();
    if (QWidget* page = AGrid->parentWidget(); page && shown && page != shown) {
        page->setGeometry(shown->geometry());
        page->layout()->invalidate();
        page->layout()->activate();
    }
    // The client width as the grid will have it, with a vertical scroll bar when its rows need one.
    int client = AGrid->contentsRect().width();
    const int rowsHeight = AGrid->rowCount() * FRowHeight + AGrid->horizontalHeader()->sizeHint().height();
    if (rowsHeight > AGrid->contentsRect().height())
        client -= AGrid->verticalScrollBar()->sizeHint().width();
    if (client <= 0)
        client = S(760);
    const int col0 = S(190);
    AGrid->setColumnWidth(0, col0);
    AGrid->setColumnWidth(1, std::max(S(260), client - col0 - S(30)));
}

void TfrmReusableContent::showEvent(QShowEvent* AEvent) {
    QDialog::showEvent(AEvent);
    // Only the shown dialog has its real size: the widths set when the grids were filled are
    // set again once, now (never on later resizes).
    if (!FShownOnce) {
        FShownOnce = true;
        layout()->activate();
        for (QTableWidget* grid : {grdVars, grdSnips, grdConds})
            SetColumnWidths(grid);
    }
}

QTableWidget* TfrmReusableContent::Grid(TKind AKind) const {
    switch (AKind) {
    case rkVariables:
        return grdVars;
    case rkSnippets:
        return grdSnips;
    case rkConditions:
        return grdConds;
    }
    return nullptr;
}

void TfrmReusableContent::LoadFrom(const TReusableProjectContent& AContent) {
    SetRowCount(grdVars, static_cast<int>(AContent.Variables().size()));
    SetRowCount(grdSnips, static_cast<int>(AContent.Snippets().size()));
    SetRowCount(grdConds, static_cast<int>(AContent.Conditions().size()));
    int row = 0;
    for (const TReusableVariable& v : AContent.Variables()) {
        SetCell(grdVars, row, 0, v.Name);
        SetCell(grdVars, row++, 1, v.Value);
    }
    row = 0;
    for (const TReusableSnippet& s : AContent.Snippets()) {
        SetCell(grdSnips, row, 0, s.Name);
        SetCell(grdSnips, row++, 1, s.Html);
    }
    row = 0;
    for (const TReusableCondition& c : AContent.Conditions()) {
        SetCell(grdConds, row, 0, c.Name);
        SetCell(grdConds, row++, 1, EnabledToText(c.Enabled));
    }
    for (QTableWidget* grid : {grdVars, grdSnips, grdConds})
        SetColumnWidths(grid);
}

void TfrmReusableContent::ReadInto(TReusableProjectContent& AContent) const {
    AContent.Clear();
    // Rows whose name is blank are left out; values are kept as typed.
    const auto rows = [](const QTableWidget* AGrid, auto AAppend) {
        for (int r = 0; r < AGrid->rowCount(); ++r) {
            const std::string name = Trim(FromQ(CellText(AGrid, r, 0)));
            if (!name.empty())
                AAppend(name, FromQ(CellText(AGrid, r, 1)));
        }
    };
    rows(grdVars, [&](const std::string& AName, const std::string& AValue) {
        AContent.Variables().push_back({AName, AValue});
    });
    rows(grdSnips, [&](const std::string& AName, const std::string& AValue) {
        AContent.Snippets().push_back({AName, AValue});
    });
    rows(grdConds, [&](const std::string& AName, const std::string& AValue) {
        AContent.Conditions().push_back({AName, ParseEnabledText(AValue)});
    });
}

std::string TfrmReusableContent::CurrentName(TKind AKind) const {
    const QTableWidget* grid = Grid(AKind);
    const int row = grid->currentRow() >= 0 ? grid->currentRow() : 0;
    return Trim(FromQ(CellText(grid, row, 0)));
}
