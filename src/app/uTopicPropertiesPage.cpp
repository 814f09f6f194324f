#include "uTopicPropertiesPage.h"

#include "uContextIds.h"
#include "uQtText.h"
#include "uUtils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

namespace {

QPlainTextEdit* NewLineList(QWidget* AParent, const char* AObjectName, QLabel* ALabel) {
    auto* m = new QPlainTextEdit(AParent);
    m->setObjectName(AObjectName);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    m->setTabChangesFocus(true);
    m->setAccessibleName(ALabel->text());
    ALabel->setBuddy(m);
    return m;
}

QString JoinLines(const std::vector<std::string>& ALines) {
    QStringList out;
    for (const std::string& l : ALines)
        out << ToQ(l);
    return out.join('\n');
}

}  // namespace

std::vector<std::string> NonBlankTrimmedLines(const std::string& AText) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= AText.size()) {
        size_t end = AText.find('\n', start);
        if (end == std::string::npos)
            end = AText.size();
        const std::string line = Trim(AText.substr(start, end - start));  // also drops a CR
        if (!line.empty())
            out.push_back(line);
        start = end + 1;
    }
    return out;
}

std::vector<std::string> StyleProfileNames(const std::string& ARoot) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    const std::string dir = CombinePath(ARoot, "styles");
    std::error_code ec;
    if (DirectoryExists(dir)) {
        for (fs::directory_iterator it(fs::path(dir), ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code fec;
            if (it->is_regular_file(fec) && SameText(it->path().extension().string(), ".css"))
                names.push_back(it->path().stem().string());
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& A, const std::string& B) {
        const std::string a = LowerAscii(A), b = LowerAscii(B);
        return a != b ? a < b : A < B;
    });
    if (names.empty())
        names.push_back("default");
    return names;
}

TTopicPropertiesPage::TTopicPropertiesPage(QWidget* AParent) : QWidget(AParent) {
    setObjectName("tsProperties");
    auto* layout = new QVBoxLayout(this);

    lblKeywords = new QLabel("Keywords (one per line)", this);
    lblKeywords->setObjectName("lblKeywords");
    memKeywords = NewLineList(this, "memKeywords", lblKeywords);
    lblIndex = new QLabel("Index entries (one per line)", this);
    lblIndex->setObjectName("lblIndex");
    memIndex = NewLineList(this, "memIndex", lblIndex);
    lblIndexHint = new QLabel("One entry per line; 'Main, sub' makes a sub-entry.", this);
    lblIndexHint->setObjectName("lblIndexHint");
    lblIndexHint->setWordWrap(true);
    memIndex->setAccessibleDescription(lblIndexHint->text());
    chkExcludeWeb = new QCheckBox("Exclude from WebHelp", this);
    chkExcludeWeb->setObjectName("chkExcludeWeb");
    chkExcludeChm = new QCheckBox("Exclude from CHM", this);
    chkExcludeChm->setObjectName("chkExcludeChm");
    chkExcludePdf = new QCheckBox("Exclude from PDF", this);
    chkExcludePdf->setObjectName("chkExcludePdf");
    lblHelpAlias = new QLabel("Help alias", this);
    lblHelpAlias->setObjectName("lblHelpAlias");
    edtHelpAlias = new QLineEdit(this);
    edtHelpAlias->setObjectName("edtHelpAlias");
    edtHelpAlias->setAccessibleName(lblHelpAlias->text());
    edtHelpAlias->setMaxLength(int(kMaxHelpAliasLength));
    lblHelpAlias->setBuddy(edtHelpAlias);
    lblHelpContextNumber = new QLabel("Help context number", this);
    lblHelpContextNumber->setObjectName("lblHelpContextNumber");
    edtHelpContextNumber = new QLineEdit(this);
    edtHelpContextNumber->setObjectName("edtHelpContextNumber");
    edtHelpContextNumber->setAccessibleName(lblHelpContextNumber->text());
    lblHelpContextNumber->setBuddy(edtHelpContextNumber);
    btnApplyProps = new QPushButton("Apply", this);
    btnApplyProps->setObjectName("btnApplyProps");
    lblStyle = new QLabel("Style profile", this);
    lblStyle->setObjectName("lblStyle");
    cbStyle = new QComboBox(this);
    cbStyle->setObjectName("cbStyle");
    cbStyle->setEditable(true);
    cbStyle->setInsertPolicy(QComboBox::NoInsert);  // typed text is never a new profile
    cbStyle->setAccessibleName(lblStyle->text());
    lblStyle->setBuddy(cbStyle);

    layout->addWidget(lblKeywords);
    layout->addWidget(memKeywords, 1);
    layout->addWidget(lblIndex);
    layout->addWidget(memIndex, 1);
    layout->addWidget(lblIndexHint);
    layout->addWidget(chkExcludeWeb);
    layout->addWidget(chkExcludeChm);
    layout->addWidget(chkExcludePdf);
    auto* contextRow = new QHBoxLayout();
    for (auto [label, edit] : {std::pair{lblHelpAlias, edtHelpAlias}, std::pair{lblHelpContextNumber, edtHelpContextNumber}}) {
        auto* column = new QVBoxLayout();
        column->addWidget(label);
        column->addWidget(edit);
        contextRow->addLayout(column, 1);
    }
    layout->addLayout(contextRow);
    auto* applyRow = new QHBoxLayout();
    applyRow->addWidget(btnApplyProps);
    applyRow->addStretch(1);
    layout->addLayout(applyRow);
    layout->addSpacing(8);
    layout->addWidget(lblStyle);
    layout->addWidget(cbStyle);

    connect(memKeywords, &QPlainTextEdit::textChanged, this, [this] { SetModified(); });
    connect(memIndex, &QPlainTextEdit::textChanged, this, [this] { SetModified(); });
    for (QCheckBox* c : {chkExcludeWeb, chkExcludeChm, chkExcludePdf})
        connect(c, &QCheckBox::toggled, this, [this] { SetModified(); });
    for (QLineEdit* e : {edtHelpAlias, edtHelpContextNumber})
        connect(e, &QLineEdit::textChanged, this, [this] { SetModified(); });
    connect(btnApplyProps, &QPushButton::clicked, this, [this] {
        if (OnApply)
            OnApply();
    });
    connect(cbStyle, &QComboBox::activated, this, [this](int AIndex) { cbStyleActivated(AIndex); });
    ShowNoTopic();
}

void TTopicPropertiesPage::SetModified() {
    if (FFilling || FTopicID.empty() || FModified)
        return;
    FModified = true;
    if (OnModified)
        OnModified();
}

void TTopicPropertiesPage::ShowTopic(const TTopic& ATopic) {
    FFilling = true;
    FTopicID = ATopic.ID();
    memKeywords->setPlainText(JoinLines(ATopic.Keywords()));
    memIndex->setPlainText(JoinLines(ATopic.IndexEntries()));
    chkExcludeWeb->setChecked(ATopic.ExcludeWeb());
    chkExcludeChm->setChecked(ATopic.ExcludeChm());
    chkExcludePdf->setChecked(ATopic.ExcludePdf());
    edtHelpAlias->setText(ToQ(ATopic.HelpAlias()));
    edtHelpContextNumber->setText(ATopic.HelpContextNumber() ? QString::number(ATopic.HelpContextNumber()) : QString());
    FModified = false;
    FFilling = false;
}

void TTopicPropertiesPage::ShowNoTopic() {
    FFilling = true;
    FTopicID.clear();
    memKeywords->clear();
    memIndex->clear();
    for (QCheckBox* c : {chkExcludeWeb, chkExcludeChm, chkExcludePdf})
        c->setChecked(false);
    edtHelpAlias->clear();
    edtHelpContextNumber->clear();
    FModified = false;
    FFilling = false;
}

std::string TTopicPropertiesPage::ContextIdsProblem(const TDocProject& AProject) const {
    unsigned number = 0;
    if (std::string problem = ParseHelpContextNumber(FromQ(edtHelpContextNumber->text()), number); !problem.empty())
        return problem;
    return HelpContextIdsProblem(AProject, FTopicID, Trim(FromQ(edtHelpAlias->text())), number);
}

void TTopicPropertiesPage::StoreInto(TTopic& ATopic) {
    unsigned number = 0;
    if (!ParseHelpContextNumber(FromQ(edtHelpContextNumber->text()), number).empty())
        return;
    ATopic.Keywords() = NonBlankTrimmedLines(FromQ(memKeywords->toPlainText()));
    ATopic.IndexEntries() = NonBlankTrimmedLines(FromQ(memIndex->toPlainText()));
    ATopic.SetExcludeWeb(chkExcludeWeb->isChecked());
    ATopic.SetExcludeChm(chkExcludeChm->isChecked());
    ATopic.SetExcludePdf(chkExcludePdf->isChecked());
    ATopic.SetHelpAlias(Trim(FromQ(edtHelpAlias->text())));
    ATopic.SetHelpContextNumber(number);
    FModified = false;
}

void TTopicPropertiesPage::FillStyles(const std::vector<std::string>& ANames, const std::string& ASelected) {
    // Clearing, adding and selecting all raise the box's change signals: none of them is the
    // author's choice.
    const QSignalBlocker block(cbStyle);
    cbStyle->clear();
    int selected = -1;
    for (size_t i = 0; i < ANames.size(); ++i) {
        cbStyle->addItem(ToQ(ANames[i]));
        if (selected < 0 && ANames[i] == ASelected)
            selected = static_cast<int>(i);
    }
    cbStyle->setCurrentIndex(ANames.empty() ? -1 : std::max(selected, 0));
}

std::vector<std::string> TTopicPropertiesPage::StyleNames() const {
    std::vector<std::string> out;
    for (int i = 0; i < cbStyle->count(); ++i)
        out.push_back(FromQ(cbStyle->itemText(i)));
    return out;
}

std::string TTopicPropertiesPage::SelectedStyle() const {
    return cbStyle->currentIndex() < 0 ? std::string() : FromQ(cbStyle->itemText(cbStyle->currentIndex()));
}

void TTopicPropertiesPage::cbStyleActivated(int AIndex) {
    // Free text typed into the box selects no entry and changes nothing.
    if (AIndex < 0 || cbStyle->currentText() != cbStyle->itemText(AIndex))
        return;
    if (OnStyleChosen)
        OnStyleChosen(FromQ(cbStyle->itemText(AIndex)));
}
