// Editing commands of the real editor page: tables with merged cells, inline styles, inserted
// fragments, links, pictures, the style sheet and the base address.
#include "support/TEditorHarness.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWebEngineView>

using K = TRecordedEvent;

class EditorCommandsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TEditorHarness> H;
    QTemporaryDir FTemp;

    TEditorHarness& h() { return *H; }
    QString Html() {
        std::string html;
        return QString::fromStdString(h().RequestHtml(html) ? html : "<timeout>");
    }
    int UserChangesSince(size_t AFrom) {
        int n = 0;
        for (size_t i = AFrom; i < h().Events().size(); ++i)
            n += h().Events()[i].Kind == K::evHtml && h().Events()[i].User;
        return n;
    }
    // Runs a user command and waits until the page has reported the change.
    bool UserCommand(const std::string& ACmd, const std::string& AArg) {
        size_t from = h().Events().size();
        h().Bridge().ExecCommand(ACmd, AArg);
        return h().WaitFor([&] { return UserChangesSince(from) > 0; });
    }
    QPoint CenterOf(const QString& ASelector) {
        QVariantList r = h().Js(QStringLiteral("(function(){var b=document.querySelector(%1).getBoundingClientRect();"
                                               "return [b.left+b.width/2,b.top+b.height/2];})()")
                                    .arg(QString::fromStdString(JsQuote(ASelector.toStdString()))))
                             .toList();
        return r.size() == 2 ? QPoint(int(r[0].toDouble()), int(r[1].toDouble())) : QPoint();
    }

private slots:
    void initTestCase() {
        QVERIFY(FTemp.isValid());
        H = std::make_unique<TEditorHarness>();
        QVERIFY2(h().Load(), "the editor page never reported ready");
    }
    void cleanupTestCase() { H.reset(); }

    void tableRowsAndColumnsStayRectangular_data() {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("cmd");
        QTest::addColumn<QString>("expected");
        const QString t = QStringLiteral("<table><tbody>%1</tbody></table>");
        QTest::newRow("row after plain cell")
            << t.arg("<tr><td>A</td><td>B</td></tr>") << "A" << "insertTableRowAfter"
            << t.arg("<tr><td>A</td><td>B</td></tr><tr><td><br></td><td><br></td></tr>");
        QTest::newRow("row after a row crossed by a tall cell")
            << t.arg("<tr><td rowspan=\"2\">A</td><td>B</td></tr><tr><td>C</td></tr>") << "B" << "insertTableRowAfter"
            << t.arg("<tr><td rowspan=\"3\">A</td><td>B</td></tr><tr><td><br></td></tr><tr><td>C</td></tr>");
        QTest::newRow("row after a tall cell goes below it")
            << t.arg("<tr><td rowspan=\"2\">A</td><td>B</td></tr><tr><td>C</td></tr>") << "A" << "insertTableRowAfter"
            << t.arg("<tr><td rowspan=\"2\">A</td><td>B</td></tr><tr><td>C</td></tr><tr><td><br></td><td><br></td></tr>");
        QTest::newRow("removing the first row of a tall cell moves it down")
            << t.arg("<tr><td rowspan=\"2\">A</td><td>B</td></tr><tr><td>C</td></tr>") << "B" << "removeTableRow"
            << t.arg("<tr><td rowspan=\"1\">A</td><td>C</td></tr>");
        QTest::newRow("removing a row crossed from above shortens the tall cell")
            << t.arg("<tr><td rowspan=\"2\">A</td><td>B</td></tr><tr><td>C</td></tr>") << "C" << "removeTableRow"
            << t.arg("<tr><td rowspan=\"1\">A</td><td>B</td></tr>");
        QTest::newRow("column after widens a wide cell above")
            << t.arg("<tr><td colspan=\"2\">A</td></tr><tr><td>B</td><td>C</td></tr>") << "B" << "insertTableColumnAfter"
            << t.arg("<tr><td colspan=\"3\">A</td></tr><tr><td>B</td><td><br></td><td>C</td></tr>");
        QTest::newRow("removing a column narrows a wide cell")
            << t.arg("<tr><td colspan=\"2\">A</td></tr><tr><td>B</td><td>C</td></tr>") << "C" << "removeTableColumn"
            << t.arg("<tr><td colspan=\"1\">A</td></tr><tr><td>B</td></tr>");
        QTest::newRow("removing the last row removes the table")
            << QStringLiteral("<p>x</p>") + t.arg("<tr><td>A</td></tr>") + QStringLiteral("<p>y</p>") << "A" << "removeTableRow"
            << QStringLiteral("<p>x</p><p>y</p>");
    }
    void tableRowsAndColumnsStayRectangular() {
        QFETCH(QString, html);
        QFETCH(QString, cell);
        QFETCH(QString, cmd);
        QFETCH(QString, expected);
        QVERIFY(h().SetHtmlAndSettle(html.toStdString()));
        QVERIFY(h().SelectText("#sv-body", cell));
        QVERIFY(UserCommand(cmd.toStdString(), ""));
        QCOMPARE(Html(), expected);
        // The author can take it back in one step.
        QVERIFY(UserCommand("undo", ""));
        QCOMPARE(Html(), html);
    }

    void tableInsertSplitsTheParagraphAndTabWalksCells() {
        QVERIFY(h().SetHtmlAndSettle("<p>before after</p>"));
        QVERIFY(h().SelectText("#sv-body p", " after"));
        h().Js("getSelection().collapseToStart()");
        QVERIFY(UserCommand("table", "2,2"));
        QCOMPARE(Html(), QString("<p>before</p><table style=\"border-collapse: collapse; width: 100%;\"><tbody>"
                                     "<tr><td><br></td><td><br></td></tr><tr><td><br></td><td><br></td></tr>"
                                     "</tbody></table><p> after</p>"));
        // The caret is in the first cell; Tab moves on and, at the last cell, adds a row.
        h().View().setFocus();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(h().View().focusProxy(), Qt::Key_Tab);
        size_t from = h().Events().size();
        QTest::keyClick(h().View().focusProxy(), Qt::Key_Tab);
        QVERIFY(h().WaitFor([&] { return UserChangesSince(from) > 0; }));
        QCOMPARE(h().Js("document.querySelectorAll('#sv-body tr').length").toInt(), 3);
        QCOMPARE(h().Js("!!getSelection().anchorNode.parentElement.closest('tr') && "
                        "getSelection().anchorNode.parentElement.closest('tr') === document.querySelectorAll('#sv-body tr')[2]")
                     .toBool(),
                 true);
    }

    void insertedHtmlWithBlocksSplitsTheParagraph() {
        QVERIFY(h().SetHtmlAndSettle("<p>ab</p>"));
        QVERIFY(h().SelectText("#sv-body p", "b"));
        h().Js("getSelection().collapseToStart()");
        QVERIFY(UserCommand("insertHTML", "<div class=\"imported\"><p>in</p></div>"));
        QCOMPARE(Html(), QString("<p>a</p><div class=\"imported\"><p>in</p></div><p>b</p>"));
        QVERIFY(h().SelectText("#sv-body div p", "in"));
        h().Js("getSelection().collapseToEnd()");
        QVERIFY(UserCommand("insertHTML", "{var:Product}"));
        QCOMPARE(Html(), QString("<p>a</p><div class=\"imported\"><p>in{var:Product}</p></div><p>b</p>"));
    }

    void inlineStylesOnSelectionAndAtTheCaret() {
        QVERIFY(h().SetHtmlAndSettle("<p>one <span style=\"font-size: 10px;\">two</span> three</p>"));
        QVERIFY(h().SelectText("#sv-body p", "three"));
        h().Js("(function(){var s=getSelection(),r=s.getRangeAt(0);"
               "var t=document.querySelector('#sv-body span').firstChild;r.setStart(t,0);s.removeAllRanges();s.addRange(r);})()");
        QVERIFY(UserCommand("fontSizePx", "24"));
        QCOMPARE(Html(), QString("<p>one <span style=\"font-size: 24px;\">two three</span></p>"));

        // At a collapsed caret the colour waits for the next typed text.
        QVERIFY(h().SetHtmlAndSettle("<p>one</p>"));
        h().View().setFocus();
        QVERIFY(h().PlaceCaret("#sv-body p", true));
        h().Bridge().ExecCommand("foreColor", "#FF0000");
        QVERIFY(h().WaitFor([&] {
            const auto* e = h().Last(K::evStyle);
            return e && e->Style.TextColorHtml == "#FF0000";
        }));
        size_t from = h().Events().size();
        QTest::keyClicks(h().View().focusProxy(), "xy");
        QVERIFY(h().WaitFor([&] { return UserChangesSince(from) >= 2; }));
        QCOMPARE(Html(), QString("<p>one<span style=\"color: rgb(255, 0, 0);\">xy</span></p>"));
    }

    void programTextStyleSetsDefaultsOnly() {
        QVERIFY(h().SetHtmlAndSettle("<p>plain</p>"));
        QVERIFY(h().SelectText("#sv-body p", "plain"));
        size_t from = h().Events().size();
        {
            TProgrammaticSection section(h().Bridge());
            h().Bridge().SetFontSizePx(20);
            h().Bridge().SetTextColor("#123456");
            h().Bridge().SetLineSpacing(1.15);
            h().Bridge().SetTextBackColor("");
        }
        QVERIFY(h().WaitFor([&] { return h().Js("document.getElementById('sv-body').style.fontSize").toString() == "20px"; }));
        QCOMPARE(Html(), QString("<p>plain</p>"));
        QCOMPARE(UserChangesSince(from), 0);
        QCOMPARE(h().Js("getComputedStyle(document.querySelector('#sv-body p')).color").toString(), QString("rgb(18, 52, 86)"));
    }

    void linksAreNotFollowed() {
        QVERIFY(h().SetHtmlAndSettle("<p>go <a href=\"https://example.invalid/\">there</a> or <a href=\"doc:ABC\">here</a></p>"));
        const QUrl page = h().View().url();
        h().View().setFocus();
        QTest::mouseClick(h().View().focusProxy(), Qt::LeftButton, Qt::NoModifier, CenterOf("#sv-body a"));
        QTest::mouseClick(h().View().focusProxy(), Qt::LeftButton, Qt::ControlModifier, CenterOf("#sv-body a[href^=doc]"));
        h().Pump(500);
        QCOMPARE(h().View().url(), page);
        QVERIFY(h().Js("typeof window.__sv_recv").toString() == "function");

        // A topic link at a caret inserts the title as the link text.
        QVERIFY(h().SetHtmlAndSettle("<p>see </p>"));
        QVERIFY(h().PlaceCaret("#sv-body p", true));
        QVERIFY(UserCommand("topicLink", R"({"href":"doc:0123ABCD","text":"Getting <started>"})"));
        QCOMPARE(Html(), QString("<p>see <a href=\"doc:0123ABCD\">Getting &lt;started&gt;</a></p>"));
    }

    void picturesResolveAgainstTheBaseAndCanBeSelected() {
        const QString root = FTemp.filePath("My Project #1");
        QVERIFY(QDir().mkpath(root + "/assets/images"));
        QImage img(40, 30, QImage::Format_RGB32);
        img.fill(Qt::darkCyan);
        QVERIFY(img.save(root + "/assets/images/a.png"));
        QVERIFY(img.scaled(80, 20).save(root + "/assets/images/b.png"));
        h().Bridge().SetBaseHref(TEditorBridge::FilePathToFileUrl(root.toStdString() + "/"));
        QVERIFY(h().SetHtmlAndSettle("<p>x<img src=\"assets/images/a.png\">y</p>"));
        QVERIFY(h().WaitFor([&] { return h().Js("document.querySelector('#sv-body img').naturalWidth").toInt() == 40; }));

        h().View().setFocus();
        QTest::mouseClick(h().View().focusProxy(), Qt::LeftButton, Qt::NoModifier, CenterOf("#sv-body img"));
        QVERIFY(h().WaitFor([&] { return h().Js("!document.getElementById('sv-image-frame').hidden").toBool(); }));
        QVERIFY(UserCommand("replaceSelectedImage", "assets/images/b.png"));
        QVERIFY(h().WaitFor([&] { return h().Js("document.querySelector('#sv-body img').naturalWidth").toInt() == 80; }));
        QCOMPARE(Html(), QString("<p>x<img src=\"assets/images/b.png\">y</p>"));
        // Dragging the frame's corner handle resizes the picture as one undoable change.
        const QPoint grip = CenterOf("#sv-image-handle");
        size_t resized = h().Events().size();
        QTest::mousePress(h().View().focusProxy(), Qt::LeftButton, Qt::NoModifier, grip);
        QTest::mouseMove(h().View().focusProxy(), grip + QPoint(20, 0));
        QTest::mouseMove(h().View().focusProxy(), grip + QPoint(40, 0));
        QTest::mouseRelease(h().View().focusProxy(), Qt::LeftButton, Qt::NoModifier, grip + QPoint(40, 0));
        QVERIFY(h().WaitFor([&] { return UserChangesSince(resized) > 0; }));
        QCOMPARE(Html(), QString("<p>x<img src=\"assets/images/b.png\" style=\"width: 120px; height: auto;\">y</p>"));
        QVERIFY(UserCommand("undo", ""));
        QCOMPARE(Html(), QString("<p>x<img src=\"assets/images/b.png\">y</p>"));
        QTest::mouseClick(h().View().focusProxy(), Qt::LeftButton, Qt::NoModifier, CenterOf("#sv-body img"));
        QVERIFY(h().WaitFor([&] { return h().Js("!document.getElementById('sv-image-frame').hidden").toBool(); }));
        // The frame is no part of the topic, and Delete removes the picture.
        size_t from = h().Events().size();
        QTest::keyClick(h().View().focusProxy(), Qt::Key_Delete);
        QVERIFY(h().WaitFor([&] { return UserChangesSince(from) > 0; }));
        QCOMPARE(Html(), QString("<p>xy</p>"));
        QVERIFY(h().Js("document.getElementById('sv-image-frame').hidden").toBool());
    }

    void styleSheetFileIsApplied() {
        const QString css = FTemp.filePath("internal dir/editor_effective.css");
        QVERIFY(QDir().mkpath(QFileInfo(css).path()));
        QFile f(css);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\r\n/* Project settings overrides */\r\nbody {\r\n  color: #0A0B0C !important;\r\n}\r\n");
        f.close();
        QVERIFY(h().SetHtmlAndSettle("<p>styled</p>"));
        {
            TProgrammaticSection section(h().Bridge());
            h().Bridge().SetTextColor("");  // no body default of its own
            h().Bridge().SetCssFile(css.toStdString());
        }
        QVERIFY(h().WaitFor([&] {
            return h().Js("getComputedStyle(document.querySelector('#sv-body p')).color").toString() == "rgb(10, 11, 12)";
        }));
    }

    // Not a check: leaves a picture of the page with content for a person to look at.
    void screenshot() {
        const QByteArray dir = qgetenv("PAGEWELL_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("set PAGEWELL_SCREENSHOT_DIR to keep a screenshot");
        {
            TProgrammaticSection section(h().Bridge());
            h().Bridge().SetHeaderHtml("<div style=\"font-size:16px;font-family:Segoe UI, Arial, sans-serif;color:#000000;\"><b>Getting started</b></div>");
            h().Bridge().SetHeaderBgColor("#EEF3F8");
            h().Bridge().SetFontName("DejaVu Sans");
            h().Bridge().SetFontSizePx(15);
            h().Bridge().SetTextColor("#202124");
            h().Bridge().SetLineSpacing(1.5);
            h().Bridge().SetTableBorderStyle("solid");
            h().Bridge().SetTableBorderWidth(1);
            h().Bridge().SetTableBorderColor("#999999");
        }
        QVERIFY(h().SetHtmlAndSettle(
            "<h1>Welcome to Pagewell</h1><p>This topic shows <b>bold</b>, <i>italic</i>, <u>underlined</u> and "
            "<span style=\"color: rgb(200, 30, 30);\">coloured</span> text, a <a href=\"doc:ABC\">topic link</a> and a picture:</p>"
            "<p><img src=\"assets/images/a.png\" style=\"width: 120px;\"></p><ul><li>First point</li><li>Second point</li></ul>"
            "<table style=\"border-collapse: collapse; width: 100%;\"><tbody><tr><td>Name</td><td>Value</td></tr>"
            "<tr><td>Rows</td><td>2</td></tr></tbody></table><p>{var:ProductName} ends here.</p>"));
        h().View().setFocus();
        QTest::mouseClick(h().View().focusProxy(), Qt::LeftButton, Qt::NoModifier, CenterOf("#sv-body img"));
        h().Pump(500);
        QVERIFY(h().View().grab().save(QString::fromLocal8Bit(dir) + "/editor-page.png"));
    }
};

QTEST_MAIN(EditorCommandsTest)
#include "uEditorCommands_test.moc"
