// The "Select Topic" dialog of Create Topic Link: its tree, and how it ends.
#include "uAppStyle.h"
#include "uDlgPickTopic.h"
#include "uDocModel.h"
#include "support/ModalTestSupport.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

namespace {

// Root A with children A1 and A2 (A2 with child A2a), root B. A2a also lists A as its child, and
// the root list names a missing id and B twice, as a hand-edited file might.
struct TPickProject {
    TDocProject P;
    std::string A, A1, A2, A2a, B;
    TPickProject() {
        A = P.AddTopic("Alpha", "").ID();
        A1 = P.AddTopic("Alpha one", A).ID();
        A2 = P.AddTopic("Alpha two", A).ID();
        A2a = P.AddTopic("Deep", A2).ID();
        B = P.AddTopic("Beta", "").ID();
        P.GetTopic(A2a).Children().push_back(A);
        P.RootTopicIDs() = {"MISSING", A, B, B};
    }
};

QStringList Outline(const QTreeWidgetItem* AItem, int ADepth = 0) {
    QStringList out{QString(ADepth * 2, ' ') + AItem->text(0) + (AItem->isExpanded() || !AItem->childCount() ? "" : "+")};
    for (int i = 0; i < AItem->childCount(); ++i)
        out << Outline(AItem->child(i), ADepth + 1);
    return out;
}

// Runs Execute and, once the dialog shows, AAct on it.
bool ExecuteWith(const TDocProject* AProject, std::string& AID, const std::function<void(TfrmPickTopic&)>& AAct) {
    bool picked = false;
    WithModalDialog<TfrmPickTopic>(AAct, [&] { picked = TfrmPickTopic::Execute(nullptr, AProject, AID); });
    return picked;
}

}  // namespace

class TestPickTopic : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ApplyLightStyle(*qApp); }

    void tree_showsEveryTopicOnceExpandedWithTheFirstSelected() {
        TPickProject t;
        TfrmPickTopic d(nullptr, t.P);
        d.FillTree();
        QCOMPARE(d.windowTitle(), QString("Select Topic"));
        QStringList outline;
        for (int i = 0; i < d.tvPick->topLevelItemCount(); ++i)
            outline << Outline(d.tvPick->topLevelItem(i));
        QCOMPARE(outline, QStringList({"Alpha", "  Alpha one", "  Alpha two", "    Deep", "Beta"}));
        QCOMPARE(d.tvPick->currentItem(), d.tvPick->topLevelItem(0));
        QVERIFY(d.tvPick->currentItem()->isSelected());
        QCOMPARE(d.tvPick->topLevelItem(0)->child(1)->data(0, Qt::UserRole).toString(), QString::fromStdString(t.A2));
    }

    void execute_endsByOkDoubleClickCancelOrNothingSelected() {
        TPickProject t;
        std::string id = "stale";
        QVERIFY(!TfrmPickTopic::Execute(nullptr, nullptr, id));
        QVERIFY(id.empty());

        // OK at once takes the first root topic.
        QVERIFY(ExecuteWith(&t.P, id, [](TfrmPickTopic& d) { d.btnOK->click(); }));
        QCOMPARE(id, t.A);
        // A double click on a node confirms it.
        QVERIFY(ExecuteWith(&t.P, id, [](TfrmPickTopic& d) {
            QTreeWidgetItem* deep = d.tvPick->topLevelItem(0)->child(1)->child(0);
            d.tvPick->setCurrentItem(deep);
            emit d.tvPick->itemDoubleClicked(deep, 0);
        }));
        QCOMPARE(id, t.A2a);
        // Cancel, closing, or OK without a selected node send nothing.
        QVERIFY(!ExecuteWith(&t.P, id, [](TfrmPickTopic& d) { d.btnCancel->click(); }));
        QVERIFY(id.empty());
        QVERIFY(!ExecuteWith(&t.P, id, [](TfrmPickTopic& d) { d.close(); }));
        QVERIFY(!ExecuteWith(&t.P, id, [](TfrmPickTopic& d) {
            d.tvPick->clearSelection();
            d.btnOK->click();
        }));
        QVERIFY(id.empty());
        TDocProject empty;
        QVERIFY(!ExecuteWith(&empty, id, [](TfrmPickTopic& d) { d.btnOK->click(); }));
    }
};

QTEST_MAIN(TestPickTopic)
#include "uDlgPickTopic_test.moc"
