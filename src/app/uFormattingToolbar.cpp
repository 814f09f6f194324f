#include "uFormattingToolbar.h"

#include "uColorBox.h"
#include "uQtText.h"
#include "uToolbarIcons.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int ButtonWidth = 28;
constexpr int ButtonHeight = 30;
constexpr int IconSize = 20;
constexpr int BoxHeight = 26;

bool IsEnterKey(QEvent* AEvent) {
    if (AEvent->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(AEvent)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool HasFocusWithin(const QWidget* AWidget) {
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == AWidget || AWidget->isAncestorOf(focus));
}

std::vector<std::string> Items(const QComboBox* ABox) {
    std::vector<std::string> out;
    out.reserve(size_t(ABox->count()));
    for (int i = 0; i < ABox->count(); ++i)
        out.push_back(FromQ(ABox->itemText(i)));
    return out;
}

TListControlState ListState(const QComboBox* ABox, bool ADroppedDown) {
    return TListControlState{HasFocusWithin(ABox), ADroppedDown, Items(ABox)};
}

bool IsOpen(const QComboBox* ABox) { return ABox->view() && ABox->view()->isVisible(); }

}  // namespace

const QStringList& TFormattingToolbar::LineSpacingItems() {
    static const QStringList items = {"1.0", "1.15", "1.2", "1.5", "2.0"};
    return items;
}

const QStringList& TFormattingToolbar::FontSizeItems() {
    static const QStringList items = {"8",  "9",  "10", "11", "12", "14", "16", "18", "20", "22",
                                      "24", "26", "28", "32", "36", "40", "48", "60", "72"};
    return items;
}

const QStringList& TFormattingToolbar::HeadingItems() {
    static const QStringList items = {"Standard text", "H1", "H2", "H3"};
    return items;
}

QStringList TFormattingToolbar::InstalledFontNames() {
    QStringList names = QFontDatabase::families();
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    names.removeDuplicates();
    return names;
}

const std::vector<std::vector<int>>& TFormattingToolbar::Groups() {
    static const std::vector<std::vector<int>> groups = [] {
        std::vector<std::vector<int>> g;
        for (int i = 0; i <= 18; ++i)
            g.push_back({i});
        for (int i = 19; i <= 27; i += 2)
            g.push_back({i, i + 1});  // an icon and its box
        return g;
    }();
    return groups;
}

TFormattingToolbar::TFormattingToolbar(QWidget* APanel, QWidget* APanel2, QObject* AParent)
    : QObject(AParent), FPanel(APanel), FPanel2(APanel2) {
    FPanel->setFixedHeight(PanelHeight);
    FPanel2->setFixedHeight(PanelHeight);
    using K = TToolbarIconKind;
    const TMargins button{1, 0, 1, 0};
    const TMargins bevel{5, 0, 5, 0};
    const TMargins icon{5, 0, 2, 0};
    const TMargins box{0, 0, 2, 0};
    Add(btnBold = NewButton("btnBold", "Bold", int(K::Bold), true), {6, 0, 1, 0});
    Add(btnItalic = NewButton("btnItalic", "Italic", int(K::Italic), true), button);
    Add(btnUnderline = NewButton("btnUnderline", "Underline", int(K::Underline), true), button);
    Add(Bevel1 = NewBevel("Bevel1"), bevel);
    Add(btnUL = NewButton("btnUL", "Bullet List", int(K::BulletList), true), button);
    Add(btnOL = NewButton("btnOL", "Numeric List", int(K::NumericList), true), button);
    Add(Bevel2 = NewBevel("Bevel2"), bevel);
    Add(btnAlignLeft = NewButton("btnAlignLeft", "Left Align", int(K::AlignLeft), true), button);
    Add(btnAlignCenter = NewButton("btnAlignCenter", "Center Align", int(K::AlignCenter), true), button);
    Add(btnAlignRight = NewButton("btnAlignRight", "Right Align", int(K::AlignRight), true), button);
    Add(Bevel3 = NewBevel("Bevel3"), bevel);
    Add(btnLink = NewButton("btnLink", "Create Link...", int(K::Link), false), button);
    Add(btnTopicLink = NewButton("btnTopicLink", "Create Topic Link...", int(K::TopicLink), false), button);
    Add(btnImage = NewButton("btnImage", "Add Image...", int(K::Image), false), button);
    Add(btnReplaceImage = NewButton("btnReplaceImage", "Replace Image...", int(K::ReplaceImage), false), button);
    Add(btnInsertTable = NewButton("btnInsertTable", "Add Table...", int(K::Table), false), {1, 0, 0, 0});
    Add(btnTableDropdownMenu = NewButton("btnTableDropdownMenu", nullptr, int(K::DropDown), false), {0, 0, 1, 0});
    btnTableDropdownMenu->setAccessibleName("Table Commands");
    btnTableDropdownMenu->setFixedWidth(14);
    btnTableDropdownMenu->setIconSize(QSize(14, 14));
    Add(btnImportHTML = NewButton("btnImportHTML", "Add HTML...", int(K::ImportHtml), false), button);
    Add(Bevel4 = NewBevel("Bevel4"), bevel);
    Add(VirtualImage1 = NewIcon("VirtualImage1", "Line Spacing", int(K::LineSpacing)), icon);
    Add(cmbLineSpacing = NewBox("cmbLineSpacing", "Line Spacing", 62, false), box);
    cmbLineSpacing->setToolTip("Line Spacing");
    Add(VirtualImage2 = NewIcon("VirtualImage2", "Font Color", int(K::FontColor)), icon);
    cbTextColor = new TColorBox(FPanel);
    cbTextColor->setObjectName("cbTextColor");
    cbTextColor->setToolTip("Font Color");
    cbTextColor->setAccessibleName("Font Color");
    cbTextColor->setFixedSize(100, BoxHeight);
    Add(cbTextColor, box);
    Add(VirtualImage3 = NewIcon("VirtualImage3", "Text Heading", int(K::Heading)), icon);
    Add(cmbHeading = NewBox("cmbHeading", "Text Heading", 106, false), box);
    cmbHeading->setToolTip("Text Heading");
    Add(VirtualImage5 = NewIcon("VirtualImage5", "Font Name", int(K::FontName)), icon);
    Add(cmbTextFont = NewBox("cmbTextFont", "Font Name", 126, false), box);
    Add(VirtualImage4 = NewIcon("VirtualImage4", "Font Size", int(K::FontSize)), icon);
    Add(cmbFontSize = NewBox("cmbFontSize", "Font Size", 58, true), {0, 0, 6, 0});
    // The size box takes any text; no completion, nothing added to its list.
    cmbFontSize->setCompleter(nullptr);
    cmbFontSize->setInsertPolicy(QComboBox::NoInsert);
    FFontSizeEdit = cmbFontSize->lineEdit();
    cmbFontSize->installEventFilter(this);
    FFontSizeEdit->installEventFilter(this);
    cmbLineSpacing->installEventFilter(this);

    FAlignGroup = new QButtonGroup(this);
    FAlignGroup->setExclusive(true);
    for (QToolButton* b : {btnAlignLeft, btnAlignCenter, btnAlignRight})
        FAlignGroup->addButton(b);

    TableDropdownMenu = new QMenu(btnTableDropdownMenu);
    TableDropdownMenu->setObjectName("TableDropdownMenu");
    connect(TableDropdownMenu, &QMenu::triggered, this, [this](QAction* a) { emit tableMenuItemChosen(a->data().toInt()); });

    FPanel->installEventFilter(this);
}

QToolButton* TFormattingToolbar::NewButton(const char* AName, const char* AHint, int AIconKind, bool ACheckable) {
    auto* b = new QToolButton(FPanel);
    b->setObjectName(AName);
    if (AHint) {
        b->setToolTip(AHint);
        b->setAccessibleName(AHint);
    }
    b->setAutoRaise(true);
    b->setCheckable(ACheckable);
    b->setIcon(ToolbarIcon(static_cast<TToolbarIconKind>(AIconKind), IconSize));
    b->setIconSize(QSize(IconSize, IconSize));
    b->setFixedSize(ButtonWidth, ButtonHeight);
    return b;
}

QFrame* TFormattingToolbar::NewBevel(const char* AName) {
    auto* f = new QFrame(FPanel);
    f->setObjectName(AName);
    f->setFrameShape(QFrame::VLine);
    f->setFrameShadow(QFrame::Sunken);
    f->setFixedSize(2, BoxHeight);
    return f;
}

QLabel* TFormattingToolbar::NewIcon(const char* AName, const char* AHint, int AIconKind) {
    auto* l = new QLabel(FPanel);
    l->setObjectName(AName);
    l->setToolTip(AHint);
    l->setAccessibleName(AHint);
    l->setPixmap(ToolbarIcon(static_cast<TToolbarIconKind>(AIconKind), IconSize).pixmap(IconSize, IconSize));
    l->setFixedSize(IconSize, IconSize);
    return l;
}

QComboBox* TFormattingToolbar::NewBox(const char* AName, const char* AAccessibleName, int AWidth, bool AEditable) {
    auto* c = new QComboBox(FPanel);
    c->setObjectName(AName);
    c->setAccessibleName(AAccessibleName);
    c->setEditable(AEditable);
    c->setFixedSize(AWidth, BoxHeight);
    c->setMaxVisibleItems(20);
    return c;
}

void TFormattingToolbar::Add(QWidget* AControl, TMargins AMargins) {
    FControls.push_back(AControl);
    FMargins.push_back(AMargins);
}

void TFormattingToolbar::Init() {
    cmbTextFont->clear();
    cmbTextFont->addItems(InstalledFontNames());
    cmbTextFont->setCurrentIndex(cmbTextFont->count() > 0 ? 0 : -1);
    cmbLineSpacing->clear();
    cmbLineSpacing->addItems(LineSpacingItems());
    cmbLineSpacing->setCurrentIndex(int(LineSpacingItems().indexOf("1.5")));
    FillFontSizes();
    cmbHeading->clear();
    cmbHeading->addItems(HeadingItems());
    cmbHeading->setCurrentIndex(0);
    cbTextColor->Select(0x000000);
    SetAlignDown(TTextAlign::taLeft);
}

void TFormattingToolbar::FillFontSizes() {
    cmbFontSize->clear();
    cmbFontSize->addItems(FontSizeItems());
    const int at14 = cmbFontSize->findText("14", Qt::MatchExactly);
    cmbFontSize->setCurrentIndex(at14 >= 0 ? at14 : 0);
}

void TFormattingToolbar::ShowFontSize(const TBoxText& AText) {
    cmbFontSize->setCurrentIndex(AText.Index);
    if (AText.Index < 0)
        cmbFontSize->setEditText(ToQ(AText.Text));
}

void TFormattingToolbar::ShowLineSpacing(const TBoxText& AText) {
    int index = AText.Index;
    if (index < 0) {
        // "2" shows the entry "2.0"; a value without an entry shows greyed in the empty box.
        const double value = ReadDecimalNumber(AText.Text);
        for (int i = 0; i < cmbLineSpacing->count() && value > 0; ++i)
            if (ReadDecimalNumber(FromQ(cmbLineSpacing->itemText(i))) == value)
                index = i;
        cmbLineSpacing->setPlaceholderText(ToQ(AText.Text));
    }
    cmbLineSpacing->setCurrentIndex(index);
}

QString TFormattingToolbar::LineSpacingText() const {
    return cmbLineSpacing->currentIndex() >= 0 ? cmbLineSpacing->currentText() : cmbLineSpacing->placeholderText();
}

QString TFormattingToolbar::SelectedLineSpacingCaption() const {
    return cmbLineSpacing->currentIndex() >= 0 ? cmbLineSpacing->currentText() : QString();
}

void TFormattingToolbar::SetAlignDown(TTextAlign AAlign) {
    QToolButton* down = AAlign == TTextAlign::taCenter ? btnAlignCenter
                        : AAlign == TTextAlign::taRight ? btnAlignRight
                                                        : btnAlignLeft;
    down->setChecked(true);
}

TTextAlign TFormattingToolbar::AlignDown() const {
    if (btnAlignCenter->isChecked())
        return TTextAlign::taCenter;
    if (btnAlignRight->isChecked())
        return TTextAlign::taRight;
    return TTextAlign::taLeft;
}

bool TFormattingToolbar::SelectFont(const QString& AName) {
    if (AName.isEmpty())
        return false;
    for (int i = 0; i < cmbTextFont->count(); ++i)
        if (cmbTextFont->itemText(i).compare(AName, Qt::CaseInsensitive) == 0) {
            cmbTextFont->setCurrentIndex(i);
            return true;
        }
    return false;
}

TToolbarControls TFormattingToolbar::ControlsState() const {
    TToolbarControls c;
    c.Heading = ListState(cmbHeading, IsOpen(cmbHeading));
    c.Font = ListState(cmbTextFont, IsOpen(cmbTextFont));
    c.FontSize = ListState(cmbFontSize, IsOpen(cmbFontSize));
    c.TextColor = ListState(cbTextColor, cbTextColor->IsDroppedDown());
    c.LineSpacing = ListState(cmbLineSpacing, IsOpen(cmbLineSpacing));
    c.CurrentTextColor = cbTextColor->Selected();
    return c;
}

void TFormattingToolbar::Show(const TToolbarShow& AShow) {
    const std::pair<const std::optional<bool>&, QToolButton*> toggles[] = {
        {AShow.Bold, btnBold}, {AShow.Italic, btnItalic}, {AShow.Underline, btnUnderline},
        {AShow.BulletList, btnUL}, {AShow.NumericList, btnOL}};
    for (const auto& [value, button] : toggles)
        if (value)
            button->setChecked(*value);
    if (AShow.Heading)
        cmbHeading->setCurrentIndex(*AShow.Heading);
    if (AShow.Font)
        cmbTextFont->setCurrentIndex(*AShow.Font);
    if (AShow.FontSize)
        ShowFontSize(*AShow.FontSize);
    if (AShow.TextColor)
        cbTextColor->Select(*AShow.TextColor);
    if (AShow.Align)
        SetAlignDown(*AShow.Align);
    if (AShow.LineSpacing)
        ShowLineSpacing(*AShow.LineSpacing);
}

void TFormattingToolbar::PopupTableMenu() {
    TableDropdownMenu->clear();
    const char* const captions[] = {"Insert Row", "Remove Row", "Insert Column", "Remove Column"};
    for (int tag = 1; tag <= 4; ++tag)
        TableDropdownMenu->addAction(captions[tag - 1])->setData(tag);
    TableDropdownMenu->popup(btnTableDropdownMenu->mapToGlobal(btnTableDropdownMenu->rect().bottomLeft()));
}

int TFormattingToolbar::OuterWidth(int AIndex) const {
    const QWidget* w = FControls[size_t(AIndex)];
    if (w->isHidden())
        return 0;
    return w->width() + FMargins[size_t(AIndex)].Left + FMargins[size_t(AIndex)].Right;
}

void TFormattingToolbar::PlaceInto(QWidget* APanel, int AFrom, int ATo) {
    const int panelHeight = APanel->contentsRect().height();
    int x = 0;
    for (int i = AFrom; i < ATo; ++i) {
        QWidget* w = FControls[size_t(i)];
        const bool hidden = w->isHidden();
        if (w->parentWidget() != APanel) {
            w->setParent(APanel);
            w->setVisible(!hidden);
        }
        if (hidden)
            continue;
        const TMargins& m = FMargins[size_t(i)];
        const int y = std::max(0, (panelHeight - (w->height() + m.Top + m.Bottom)) / 2 + m.Top);
        w->move(x + m.Left, y);
        x += OuterWidth(i);
    }
}

void TFormattingToolbar::Layout() {
    if (!FPanel || !FPanel2 || FPanel->contentsRect().width() <= 0)
        return;
    std::vector<int> widths;
    for (const std::vector<int>& group : Groups()) {
        int w = 0;
        for (int i : group)
            w += OuterWidth(i);
        widths.push_back(w);
    }
    const int count = static_cast<int>(FControls.size());
    const int brk = ToolbarBreakGroup(widths, FPanel->contentsRect().width());
    if (brk < 0) {
        FPanel2->hide();
        PlaceInto(FPanel, 0, count);
        return;
    }
    const int first = Groups()[size_t(brk)].front();
    FPanel2->show();
    PlaceInto(FPanel, 0, first);
    PlaceInto(FPanel2, first, count);
}

bool TFormattingToolbar::eventFilter(QObject* AWatched, QEvent* AEvent) {
    if (AWatched == FPanel && AEvent->type() == QEvent::Resize) {
        Layout();
        return false;
    }
    // Compares addresses only: the filter also sees events of controls being destroyed.
    if ((AWatched == cmbFontSize || AWatched == FFontSizeEdit) && IsEnterKey(AEvent)) {
        emit fontSizeEntered();
        return true;
    }
    if (AWatched == cmbLineSpacing && IsEnterKey(AEvent)) {
        emit lineSpacingEntered();
        return true;
    }
    return QObject::eventFilter(AWatched, AEvent);
}
