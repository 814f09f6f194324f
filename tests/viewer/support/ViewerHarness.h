// Drives the WebHelp viewer in a real Qt WebEngine view: loads a site from file://, runs
// scripts synchronously, waits for conditions and saves screenshots.
#pragma once

#include <QString>
#include <QVariant>
#include <memory>

class QWebEngineView;

class TViewerHarness {
public:
    TViewerHarness(int AWidth = 1100, int AHeight = 700);
    ~TViewerHarness();

    // Loads the file (an index.html, with "#" + AFragment when given) and waits until the page
    // and the first topic are there.
    bool Load(const QString& AFileName, const QString& AFragment = {});
    // Runs a script in the viewer page and returns its value (an invalid QVariant on time-out).
    QVariant Js(const QString& AScript);
    // Runs a script whose value may be a Promise and returns what it resolves with (an invalid
    // QVariant on rejection or time-out).
    QVariant JsAwait(const QString& AScript, int ATimeoutMs = 10000);
    // Polls a script until it returns true, for at most ATimeoutMs.
    bool WaitFor(const QString& ACondition, int ATimeoutMs = 10000);
    // Text of the topic page shown in the frame ("" when it cannot be read).
    QString FrameText();
    void Resize(int AWidth, int AHeight);
    // Saves a screenshot of the view; returns false when nothing could be grabbed.
    bool SaveScreenshot(const QString& AFileName);
    QWebEngineView* View() const;

private:
    std::unique_ptr<QWebEngineView> FView;
};

// Replaces the three style placeholders of a viewer style sheet with fixed test values.
QString FillViewerPlaceholders(QString ACss);
// Folder of the viewer templates in the source tree.
QString ViewerTemplateDir();
