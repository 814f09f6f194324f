// TTopicPropertiesPage: the "Properties" page of the selected topic (keywords, index entries, the
// three exclusions, the help alias and context number, Apply) and the project's style profile box. It only shows and reads values;
// the window stores them in the model and saves (see uMainProperties.cpp).
//
// The page remembers which topic it shows and whether the author has changed anything since
// (Modified), so the window can store what was typed without Apply before it shows another
// topic. Filling and selecting the style box in code never raises OnStyleChosen: only the
// author's choice of an entry does.
#pragma once

#include "uDocModel.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TTopicPropertiesPage : public QWidget {
    Q_OBJECT

public:
    explicit TTopicPropertiesPage(QWidget* AParent = nullptr);

    // Shows ATopic's keywords, index entries and exclusions; the page is then unmodified.
    void ShowTopic(const TTopic& ATopic);
    // Empties the page and forgets the topic (no topic selected).
    void ShowNoTopic();
    // "" when the help alias and number on the page may be stored into the topic it shows (valid,
    // and used by no other topic of AProject), else the message, which names the other topic.
    std::string ContextIdsProblem(const TDocProject& AProject) const;
    // Copies the page into ATopic: every non-blank line trimmed, in order (duplicates stay), the
    // three flags, the help alias and number (trimmed). Call ContextIdsProblem first: with an
    // invalid number nothing is stored. The page is then unmodified.
    void StoreInto(TTopic& ATopic);
    const std::string& TopicID() const { return FTopicID; }
    bool Modified() const { return FModified; }

    // Replaces the style list with ANames (in this order) and selects ASelected, or the first
    // entry when ASelected is not among them.
    void FillStyles(const std::vector<std::string>& ANames, const std::string& ASelected);
    std::vector<std::string> StyleNames() const;
    std::string SelectedStyle() const;

    // Raised on the author's first change after the page was filled.
    std::function<void()> OnModified;
    std::function<void()> OnApply;
    // Raised when the author picks an entry of the style box.
    std::function<void(const std::string&)> OnStyleChosen;

    QLabel* lblKeywords = nullptr;
    QPlainTextEdit* memKeywords = nullptr;
    QLabel* lblIndex = nullptr;
    QPlainTextEdit* memIndex = nullptr;
    QLabel* lblIndexHint = nullptr;  // under memIndex, also its accessible description
    QCheckBox* chkExcludeWeb = nullptr;
    QCheckBox* chkExcludeChm = nullptr;
    QCheckBox* chkExcludePdf = nullptr;
    QLabel* lblHelpAlias = nullptr;
    QLineEdit* edtHelpAlias = nullptr;
    QLabel* lblHelpContextNumber = nullptr;
    QLineEdit* edtHelpContextNumber = nullptr;
    QPushButton* btnApplyProps = nullptr;
    QLabel* lblStyle = nullptr;
    QComboBox* cbStyle = nullptr;

private:
    void SetModified();
    void cbStyleActivated(int AIndex);

    std::string FTopicID;
    bool FModified = false;
    bool FFilling = false;
};

// The lines of AText whose trimmed text is not empty, trimmed, in order.
std::vector<std::string> NonBlankTrimmedLines(const std::string& AText);
// The names of the style sheets directly in <ARoot>/styles ("*.css", any letter case), without
// extension, sorted without regard to case (folder listings come in no particular order);
// "default" alone when there are none.
std::vector<std::string> StyleProfileNames(const std::string& ARoot);
