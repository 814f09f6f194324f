// The table of contents in the window: the drop zones, dragging in the real tree view, the Move,
// New, Remove and Rename commands with what they write and mark, kept expansion, Check Links.
#include "support/WindowTestSupport.h"

#include "uFrmLinkIssues.h"
#include "uMain.h"
#include "uTopicHeaders.h"
#include "uTocPlaces.h"

#include <QAction>
#include <QApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QToolButton>
#include <QtTest>
#include <memory>

Q_DECLARE_METATYPE(TDropMode)

namespace {

enum TZone { zUpper, zMiddle, zLower };

const std::vector<std::pair<std::string, std::string>> kABC = {{"A", ""}, {"B", ""}, {"C", ""}};
// P (B, C (G)), Q
const std::vector<std::pair<std::string, std::string>> kPQ = {{"P", ""}, {"B", "P"}, {"C", "P"}, {"G", "C"}, {"Q", ""}};

}  // namespace

class TestTocCommands : public QObject, public TWindowFixture {
    Q_OBJECT

    void Open(const std::vector<std::pair<std::string, std::string>>& ATopics) { OpenWindow(ATopics, 1000, 700); }
    QTreeWidgetItem* Node(const std::string& ATitle) { return W->tvToc->FindTopicItem(T.Ids.at(ATitle)); }
    void Select(const std::string& ATitle) { W->tvToc->setCurrentItem(Node(ATitle)); }
    std::string TitleOfSelection() { return W->Project().GetTopic(W->SelectedTopicID()).Title(); }
    QPoint ZonePoint(QTreeWidgetItem* AItem, TZone AZone) {
        const QRect r = W->tvToc->visualItemRect(AItem);
        const int y = AZone == zUpper ? 1 : AZone == zMiddle ? r.height() / 2 : r.height() - 2;
        return QPoint(r.left() + 8, r.top() + y);
    }

    // The drag of a user: the view starts it on the pressed node, then real drag-move and drop
    // events arrive at the viewport at a pixel position inside the target's label.
    struct TDragResult {
        bool HoverAccepted = false;
        bool DropAccepted = false;
        std::string ShownTarget;  // id of the node shown as the drop target while hovering
        TDropMode ShownMode = TDropMode::dmChild;
    };
    TDragResult Drag(const std::string& ADragged, const std::string& ATarget, TZone AZone) {
        TDragResult r;
        Select(ADragged);
        std::unique_ptr<QMimeData> data(W->tvToc->StartDrag(Node(ADragged)));
        const QPoint pos = ZonePoint(Node(ATarget), AZone);
        QWidget* vp = W->tvToc->viewport();
        QDragEnterEvent enter(pos, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &enter);
        QDragMoveEvent move(pos, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &move);
        r.HoverAccepted = move.isAccepted();
        r.ShownTarget = TTocTreeView::ItemTopicID(W->tvToc->DropTarget());
        r.ShownMode = W->tvToc->DropMode();
        QDropEvent drop(QPointF(pos), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &drop);
        r.DropAccepted = drop.isAccepted();
        W->tvToc->EndDrag();
        QCoreApplication::processEvents();  // the drag is over: the move runs now
        return r;
    }

private slots:
    void init() { InitWindow(); }
    void cleanup() { CleanupWindow(); }

    void dropZones_ofAnEighteenPixelLabel() {
        struct {
            int From, To;
            TDropMode Mode;
        } const zones[] = {{0, 5, TDropMode::dmBefore}, {6, 12, TDropMode::dmChild}, {13, 17, TDropMode::dmAfter}};
        for (const auto& z : zones)
            for (int y = z.From; y <= z.To; ++y)
                QVERIFY2(TTocDropRule::ModeAt(y, 18) == z.Mode, qPrintable(QString::number(y)));
    }

    void drag_realEventsInTheLabel_data() {
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("zone");
        QTest::addColumn<TDropMode>("mode");
        QTest::addColumn<QStringList>("outline");
        QTest::newRow("A on the lower third of B") << "A" << "B" << int(zLower) << TDropMode::dmAfter
                                                   << QStringList{"B", "A", "C"};
        QTest::newRow("A on the upper third of C") << "A" << "C" << int(zUpper) << TDropMode::dmBefore
                                                   << QStringList{"B", "A", "C"};
        QTest::newRow("C on the upper third of A") << "C" << "A" << int(zUpper) << TDropMode::dmBefore
                                                   << QStringList{"C", "A", "B"};
        QTest::newRow("A on the middle of C") << "A" << "C" << int(zMiddle) << TDropMode::dmChild
                                              << QStringList{"B", "C", "  A"};
    }
    void drag_realEventsInTheLabel() {
        QFETCH(QString, dragged);
        QFETCH(QString, target);
        QFETCH(int, zone);
        QFETCH(TDropMode, mode);
        QFETCH(QStringList, outline);
        Open(kABC);
        const TDragResult r = Drag(dragged.toStdString(), target.toStdString(), TZone(zone));
        QVERIFY(r.HoverAccepted && r.DropAccepted);
        QCOMPARE(r.ShownTarget, T.Ids.at(target.toStdString()));
        QVERIFY(r.ShownMode == mode);
        QCOMPARE(ViewOutline(W->tvToc), outline);
        QCOMPARE(DiskOutline(T.Root), outline);  // written at once
        QCOMPARE(TitleOfSelection(), dragged.toStdString());
        QVERIFY(!W->ProjectDirty());  // a drop does not mark the project modified
        QVERIFY(W->tvToc->DropTarget() == nullptr);  // the indicator is gone after the drop
    }

    void drag_ontoItsOwnSubtreeIsRefusedWhileHoveringAndOnDrop() {
        Open(kPQ);
        const QStringList before = ViewOutline(W->tvToc);
        for (const char* target : {"P", "C", "G"}) {
            for (TZone zone : {zUpper, zMiddle, zLower}) {
                const TDragResult r = Drag("P", target, zone);
                QVERIFY2(!r.HoverAccepted && !r.DropAccepted && r.ShownTarget.empty(), target);
            }
        }
        // The model refuses it as well, whoever asks.
        QVERIFY(!TTocDropRule::Allows(W->Project(), T.Ids["P"], T.Ids["G"]));
        QCOMPARE(ViewOutline(W->tvToc), before);
        QCOMPARE(DiskOutline(T.Root), before);
        // The same drag onto a topic outside the subtree is taken.
        QVERIFY(Drag("C", "Q", zMiddle).DropAccepted);
        QCOMPARE(ViewOutline(W->tvToc), QStringList({"P", "  B", "Q", "  C", "    G"}));
    }

    void moveCommands_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QStringList>("outline");  // empty: nothing changes
        QTest::newRow("up on the first sibling") << "Up1" << "B" << QStringList();
        QTest::newRow("down on the last sibling") << "Down1" << "Q" << QStringList();
        QTest::newRow("level up on a root topic") << "ChangeParent1" << "P" << QStringList();
        QTest::newRow("up") << "Up1" << "C" << QStringList{"P", "  C", "    G", "  B", "Q"};
        QTest::newRow("down") << "Down1" << "P" << QStringList{"Q", "P", "  B", "  C", "    G"};
        QTest::newRow("level up of the second child") << "ChangeParent1" << "C" << QStringList{"P", "  B", "C", "  G", "Q"};
        QTest::newRow("level up from the third level") << "ChangeParent1" << "G" << QStringList{"P", "  B", "  C", "  G", "Q"};
    }
    void moveCommands() {
        QFETCH(QString, command);
        QFETCH(QString, topic);
        QFETCH(QStringList, outline);
        Open(kPQ);
        const QStringList before = ViewOutline(W->tvToc);
        const std::string treeFile = ReadText(T.Root + "meta/topics.json");
        Select(topic.toStdString());
        W->findChild<QAction*>(command)->trigger();
        if (outline.isEmpty()) {
            QCOMPARE(ViewOutline(W->tvToc), before);
            QCOMPARE(ReadText(T.Root + "meta/topics.json"), treeFile);
            QVERIFY(!W->ProjectDirty());
            return;
        }
        QCOMPARE(ViewOutline(W->tvToc), outline);
        QCOMPARE(DiskOutline(T.Root), outline);
        QCOMPARE(TitleOfSelection(), topic.toStdString());
        QVERIFY(W->ProjectDirty());
    }

    void newTopic_rootOrLastChild_selectedWithItsFilesOnDisk() {
        Open(kPQ);
        // Cancelled: nothing happens.
        FPrompts->InputAnswers = {std::nullopt};
        W->NewChildTopic1->trigger();
        QCOMPARE(W->Project().Topics().size(), size_t(5));
        QVERIFY(!W->ProjectDirty());

        // "New Child Topic..." without a selection makes a root topic.
        W->tvToc->setCurrentItem(nullptr);
        FPrompts->InputAnswers = {std::string("Appendix")};
        W->btnNewSubTopic->click();
        QCOMPARE(ViewOutline(W->tvToc).last(), QString("Appendix"));
        const std::string id = W->SelectedTopicID();
        QCOMPARE(W->Project().GetTopic(id).Title(), std::string("Appendix"));
        QCOMPARE(W->CurrentTopicID(), id);
        QCOMPARE(ReadText(W->TopicBodyPath(id)), W->NewTopicHtml());
        QVERIFY(FileExists(HeaderHtmlPath(T.Root, id)) && FileExists(HeaderBgPath(T.Root, id)));
        QCOMPARE(DiskOutline(T.Root).last(), QString("Appendix"));
        QVERIFY(W->ProjectDirty());

        // A child of a collapsed topic is appended last and can be seen; the root sender ignores
        // the selection; an empty title is taken as typed.
        W->tvToc->collapseItem(Node("C"));
        Select("C");
        FPrompts->InputAnswers = {std::string("G2"), std::string("")};
        W->NewChildTopic1->trigger();
        QVERIFY(Node("C")->isExpanded());
        QCOMPARE(ViewOutline(W->tvToc), QStringList({"P", "  B", "  C", "    G", "    G2", "Q", "Appendix"}));
        W->btnNewRootTopic->click();
        QCOMPARE(ViewOutline(W->tvToc).last(), QString(""));
        QVERIFY(W->tvToc->currentItem() == W->tvToc->topLevelItem(3));
    }

    void remove_topicWithChildrenAndGrandchildren_leavesNothingBehind() {
        Open({{"R", ""}, {"c1", "R"}, {"c2", "R"}, {"c3", "R"}, {"c4", "R"}, {"g1", "c1"}, {"g2", "c1"}, {"g3", "c2"},
              {"Keep", ""}});
        std::vector<std::string> gone;
        for (const char* n : {"R", "c1", "c2", "c3", "c4", "g1", "g2", "g3"})
            gone.push_back(T.Ids[n]);
        // HTML held for the next Save, as the topic switch leaves it.
        W->UnsavedTopicHtml()[T.Ids["g1"]] = "<p>typed in g1</p>";
        W->UnsavedTopicHtml()[T.Ids["Keep"]] = "<p>typed in Keep</p>";
        W->PendingTextFiles()[W->TopicBodyPath(T.Ids["c3"])] = "<p>pending c3</p>";
        Select("R");
        FPrompts->YesNoAnswers = {false, true};
        W->btnDeleteTopic->click();  // No: nothing happens
        QCOMPARE(W->Project().Topics().size(), size_t(9));
        W->RemoveTopic1->trigger();
        QCOMPARE(FPrompts->Confirmations.back(), std::string("Delete this topic and its subtopics?"));
        QCOMPARE(ViewOutline(W->tvToc), QStringList({"Keep"}));
        QCOMPARE(DiskOutline(T.Root), QStringList({"Keep"}));
        QCOMPARE(ReadText(T.Root + "meta/topics.json").find(T.Ids["g3"]), std::string::npos);
        QCOMPARE(TitleOfSelection(), std::string("Keep"));
        QVERIFY(!W->ProjectDirty());
        for (const std::string& id : gone)
            QVERIFY(!FileExists(T.Root + "topics/" + id + ".html"));
        QCOMPARE(W->UnsavedTopicHtml().size(), size_t(1));
        W->btnSaveClick();
        for (const std::string& id : gone)
            QVERIFY(!FileExists(T.Root + "topics/" + id + ".html"));
        QCOMPARE(ReadText(T.Root + "topics/" + T.Ids["Keep"] + ".html"), std::string("<p>typed in Keep</p>"));
    }

    void rename_inPlaceOnTheAuthorsCommitAndByDialog() {
        Open(kPQ);
        const QString caption = W->windowTitle();
        // F2 opens the label editor on the selected node; Enter commits it.
        Select("B");
        W->tvToc->setFocus();
        QTest::keyClick(W->tvToc, Qt::Key_F2);
        auto* editor = W->tvToc->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, "Basics");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(W->Project().GetTopic(T.Ids["B"]).Title(), std::string("Basics"));
        QCOMPARE(Node("B")->text(0), QString("Basics"));
        QVERIFY(W->ProjectDirty());
        QCOMPARE(DiskOutline(T.Root)[1], QString("  B"));  // written by the next Save

        // An empty label is an empty title; the header stays as it was.
        Select("Q");
        const std::string header = ReadText(HeaderHtmlPath(T.Root, T.Ids["Q"]));
        QTest::keyClick(W->tvToc, Qt::Key_F2);
        editor = W->tvToc->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->clear();
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(W->Project().GetTopic(T.Ids["Q"]).Title(), std::string());
        QCOMPARE(ReadText(HeaderHtmlPath(T.Root, T.Ids["Q"])), header);
        QCOMPARE(W->windowTitle(), "Pagewell*" + caption.mid(8));  // the title it had, modified

        // Text set in code is no rename.
        Node("P")->setText(0, "not a title");
        QCOMPARE(W->Project().GetTopic(T.Ids["P"]).Title(), std::string("P"));

        // The dialog, pre-filled with the node's text.
        Select("C");
        FPrompts->InputAnswers = {std::string("Chapter C"), std::nullopt};
        W->Rename1->trigger();
        QCOMPARE(W->Project().GetTopic(T.Ids["C"]).Title(), std::string("Chapter C"));
        QCOMPARE(Node("C")->text(0), QString("Chapter C"));
        W->Rename1->trigger();  // cancelled
        QCOMPARE(W->Project().GetTopic(T.Ids["C"]).Title(), std::string("Chapter C"));
    }

    void expansion_isKeptAcrossRebuilds() {
        Open(kPQ);
        W->tvToc->collapseItem(Node("P"));  // the author's choice, as a click on the branch
        Select("Q");
        W->Up1->trigger();
        QCOMPARE(ViewOutline(W->tvToc).first(), QString("Q"));
        QVERIFY(!Node("P")->isExpanded());
        QVERIFY(Node("C")->isExpanded());
        W->tvToc->expandItem(Node("P"));
        W->tvToc->collapseItem(Node("C"));
        W->BuildTopicTree();
        QVERIFY(Node("P")->isExpanded() && !Node("C")->isExpanded());
        // Moving a topic into a collapsed branch opens the branch to show it.
        Select("B");
        Drag("B", "C", zMiddle);
        QVERIFY(Node("C")->isExpanded());
        QCOMPARE(TitleOfSelection(), std::string("B"));
    }

    void checkLinks_listsIssuesAndSelectsTheirTopic() {
        Open(kABC);
        // Nothing wrong, nothing unsaved.
        W->CheckLinks1->trigger();
        QCOMPARE(FPrompts->Infos, std::vector<std::string>({"No link issues found."}));

        WriteUtf8File(T.Root + "topics/" + T.Ids["B"] + ".html",
                      "<p><a href=\"doc:0123456789ABCDEF0123456789ABCDEF\">gone</a><img src=\"assets/images/x.png\"></p>");
        Select("A");
        W->MarkProjectDirty();  // an edit that is not saved: not checked, and the result says so
        W->CheckLinks1->trigger();
        TfrmLinkIssues* dlg = W->LinkIssuesDialog();
        QVERIFY(dlg && dlg->isVisible());
        QCOMPARE(dlg->lstIssues->count(), 2);
        QCOMPARE(dlg->lstIssues->item(0)->text(),
                 QString("B: Broken internal link: doc:0123456789ABCDEF0123456789ABCDEF"));
        QCOMPARE(dlg->lstIssues->item(1)->text(), QString("B: Missing local reference: assets/images/x.png"));
        QVERIFY(dlg->lblNote->isVisibleTo(dlg) && dlg->lblNote->text().contains("unsaved changes"));
        QVERIFY(!dlg->lstIssues->accessibleName().isEmpty());
        const QRect row = dlg->lstIssues->visualItemRect(dlg->lstIssues->item(1));
        QTest::mouseClick(dlg->lstIssues->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(TitleOfSelection(), std::string("B"));
    }
};

QTEST_MAIN(TestTocCommands)
#include "uTocCommands_test.moc"
