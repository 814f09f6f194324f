// The real editor page in Qt WebEngine, spoken to through TEditorBridge: messages both ways.
#include "support/TEditorHarness.h"

#include <QTest>
#include <QWebEngineView>

using K = TRecordedEvent;

class EditorPageTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TEditorHarness> H;

    TEditorHarness& h() { return *H; }
    std::string Html() {
        std::string html;
        if (!h().RequestHtml(html))
            return "<timeout>";
        return html;
    }
    // Events of a kind that arrived after index AFrom.
    int CountSince(size_t AFrom, K::TKind AKind) {
        int n = 0;
        for (size_t i = AFrom; i < h().Events().size(); ++i)
            n += h().Events()[i].Kind == AKind;
        return n;
    }
    int UserChangesSince(size_t AFrom) {
        int n = 0;
        for (size_t i = AFrom; i < h().Events().size(); ++i)
            n += h().Events()[i].Kind == K::evHtml && h().Events()[i].User;
        return n;
    }

private slots:
    void initTestCase() {
        H = std::make_unique<TEditorHarness>();
        QVERIFY2(h().Load(), "the editor page never reported ready");
        QCOMPARE(h().Count(K::evReady), 1);
    }
    void cleanupTestCase() { H.reset(); }

    void keyboardHookIsInstalledAndKeyPostsAreDropped() {
        QVERIFY(h().WaitFor([&] { return h().Js("window.__hostKeyHooked === true").toBool(); }));
    }

    void setHtmlThenGetHtmlKeepsTextExactly() {
        const std::string html =
            "<p class=\"x\">He said \"hi\" \\ back\nslash \xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80 &amp; &lt;tag&gt;</p>"
            "<p>line one<br>line two</p>";
        size_t from = h().Events().size();
        h().Bridge().SetHtml(html);
        QCOMPARE(Html(), html);
        QCOMPARE(UserChangesSince(from), 0);
        QVERIFY(!h().Bridge().LastHtmlChangeWasUser());
    }

    void topicMarkupRunsNoScript() {
        const std::string html = "<p><img src=\"missing.png\" onerror=\"window.__ran = 1\">"
                                 "<a href=\"#\" onclick=\"window.__ran = 2\">x</a></p>";
        h().Bridge().SetHtml(html);
        h().Bridge().ExecCommand("insertHTML", "<script>window.__ran = 3</script><b>y</b>");
        h().Pump(500);
        QCOMPARE(h().Js("typeof window.__ran").toString(), QString("undefined"));
    }

    void userBoldIsAUserChangeAndProgramBoldIsNot() {
        QVERIFY(h().SetHtmlAndSettle("<p>hello world</p>"));
        QVERIFY(h().SelectText("#sv-body p", "world"));
        size_t from = h().Events().size();
        h().Bridge().ExecCommand("bold", "");
        QVERIFY(h().WaitFor([&] { return UserChangesSince(from) == 1; }));
        QCOMPARE(h().Last(K::evHtml)->Html, std::string("<p>hello <b>world</b></p>"));

        QVERIFY(h().SelectText("#sv-body p", "hello"));
        from = h().Events().size();
        {
            TProgrammaticSection section(h().Bridge());
            h().Bridge().ExecCommand("italic", "");
        }
        h().Pump(300);
        QCOMPARE(UserChangesSince(from), 0);
        QCOMPARE(Html(), std::string("<p><i>hello</i> <b>world</b></p>"));

        // Undo from the Edit menu takes back the author's own bold as a user change.
        from = h().Events().size();
        h().Bridge().ExecCommand("undo", "");
        h().Bridge().ExecCommand("undo", "");
        QVERIFY(h().WaitFor([&] { return UserChangesSince(from) == 2; }));
        QCOMPARE(Html(), std::string("<p>hello world</p>"));
    }

    void typingReportsUserChanges() {
        QVERIFY(h().SetHtmlAndSettle("<p>abc</p>"));
        h().View().setFocus();
        QVERIFY(h().PlaceCaret("#sv-body p", true));
        size_t from = h().Events().size();
        QTest::keyClicks(h().View().focusProxy(), "xy");
        QVERIFY(h().WaitFor([&] { return UserChangesSince(from) >= 2; }));
        QCOMPARE(h().Last(K::evHtml)->Html, std::string("<p>abcxy</p>"));
        QVERIFY(h().Bridge().LastHtmlChangeWasUser());
        // Ctrl+Z takes back the whole typing run at once.
        from = h().Events().size();
        QTest::keyClick(h().View().focusProxy(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(h().WaitFor([&] { return UserChangesSince(from) == 1; }));
        QCOMPARE(h().Last(K::evHtml)->Html, std::string("<p>abc</p>"));
    }

    void pushedHeaderIsEchoedExactlyOnce() {
        size_t from = h().Events().size();
        {
            TProgrammaticSection section(h().Bridge());
            h().Bridge().SetHeaderHtml("<div><b>Welcome</b></div>");
            h().Bridge().SetHeaderBgColor("#EEF2F7");
        }
        QVERIFY(h().WaitFor([&] { return CountSince(from, K::evHeader) >= 1; }));
        h().Pump(700);
        QCOMPARE(CountSince(from, K::evHeader), 1);
        QCOMPARE(h().Last(K::evHeader)->HeaderHtml, std::string("<div><b>Welcome</b></div>"));
        QCOMPARE(h().Last(K::evHeader)->HeaderBg, std::string("#EEF2F7"));

        // The settings push a background on its own: no echo for that.
        from = h().Events().size();
        {
            TProgrammaticSection section(h().Bridge());
            h().Bridge().SetHeaderBgColor("#FAFAFA");
        }
        h().Pump(500);
        QCOMPARE(CountSince(from, K::evHeader), 0);

        // getHeader is answered well within the host's 400 ms.
        from = h().Events().size();
        h().Bridge().RequestHeader();
        QVERIFY(h().WaitFor([&] { return CountSince(from, K::evHeader) == 1; }, 400));
        QCOMPARE(h().Last(K::evHeader)->HeaderBg, std::string("#FAFAFA"));
    }

    void cursorStyleCarriesAllTwelveMembers() {
        h().CaptureRawPosts();
        QVERIFY(h().SetHtmlAndSettle("<h2 style=\"text-align: center; line-height: 1.5;\">Title <u>under</u></h2>"));
        QVERIFY(h().SelectText("#sv-body u", "under"));
        QVERIFY(h().WaitFor([&] {
            const auto* e = h().Last(K::evStyle);
            return e && e->Style.BlockTag == "h2";
        }));
        const TEditorCursorStyle s = h().Last(K::evStyle)->Style;
        QCOMPARE(s.Area, std::string("body"));
        QCOMPARE(s.Align, std::string("center"));
        QCOMPARE(s.LineHeight, std::string("1.5"));
        QVERIFY(s.Bold);  // headings are bold
        QVERIFY(s.Underline);
        QVERIFY(!s.Italic);
        QVERIFY(s.FontSizePx > 0);
        QCOMPARE(s.TextColorHtml.size(), size_t(7));
        QString raw;
        for (const QString& p : h().RawPosts())
            if (p.contains(QLatin1String("\"cursorStyle\"")))
                raw = p;
        for (const char* member : {"area", "fontName", "fontSizePx", "textColor", "backColor", "align", "bold",
                                   "italic", "underline", "listType", "blockTag", "lineHeight"})
            QVERIFY2(raw.contains(QString::fromLatin1("\"%1\":").arg(QLatin1String(member))), member);
    }

    // A report that repeats the last one is posted all the same: the host may have set the last
    // one aside while it waited for its own change.
    void cursorStyleIsPostedOnEveryCaretMoveEvenWhenUnchanged() {
        QVERIFY(h().SetHtmlAndSettle("<p>one two</p>"));
        QVERIFY(h().PlaceCaret("#sv-body p", true));
        QVERIFY(h().WaitFor([&] { return h().Count(K::evStyle) > 0; }));
        h().Pump(100);
        for (int i = 0; i < 3; ++i) {
            const size_t from = h().Events().size();
            QVERIFY(h().PlaceCaret("#sv-body p", i % 2 == 0));
            QVERIFY2(h().WaitFor([&] { return CountSince(from, K::evStyle) == 1; }), "no report for an unchanged style");
        }
    }

    void areaChangedFollowsTheCaret() {
        {
            TProgrammaticSection section(h().Bridge());
            h().Bridge().SetHeaderHtml("<b>Head</b>");
            h().Bridge().SetHeaderBgColor("#FAFAFA");
        }
        QVERIFY(h().SetHtmlAndSettle("<p>Body</p>"));
        QVERIFY(h().PlaceCaret("#sv-body p", true));
        size_t from = h().Events().size();
        QVERIFY(h().PlaceCaret("#sv-header b", true));
        QVERIFY(h().WaitFor([&] { return h().Last(K::evArea) && h().Last(K::evArea)->Area == "header"; }));
        QVERIFY(h().PlaceCaret("#sv-body p", false));
        QVERIFY(h().WaitFor([&] { return h().Last(K::evArea)->Area == "body"; }));
        QCOMPARE(CountSince(from, K::evArea), 2);
    }
};

QTEST_MAIN(EditorPageTest)
#include "uEditorPage_test.moc"
