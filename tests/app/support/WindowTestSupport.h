// The fixture of the window tests that open one main window per test on a tree project: a fresh
// APPDATA folder and scripted prompts for each test, the window and the project it opened. A test
// class derives from QObject and TWindowFixture and calls InitWindow and CleanupWindow from its
// init and cleanup slots; an error box the test did not look at fails the test at cleanup.
#pragma once

#include "AppTestSupport.h"
#include "TScriptedPrompts.h"
#include "TocTestSupport.h"

#include "uMain.h"

#include <QStringList>
#include <QTest>
#include <memory>
#include <string>

struct TWindowFixture {
    std::unique_ptr<TTempAppData> FAppData;
    std::unique_ptr<TScriptedPrompts> FPrompts;
    std::unique_ptr<TfrmMain> W;
    TTreeProject T;

    void InitWindow() {
        FAppData = std::make_unique<TTempAppData>();
        FPrompts = std::make_unique<TScriptedPrompts>();
    }
    void CleanupWindow() {
        const std::string error = W && !FPrompts->Errors.empty() ? FPrompts->Errors.front() : std::string();
        W.reset();
        FPrompts.reset();
        FAppData.reset();
        if (!error.empty())
            QFAIL(error.c_str());
    }
    // Writes a tree project of (title, parent title) pairs and opens it in a shown window.
    void OpenWindow(const std::vector<std::pair<std::string, std::string>>& ATopics, int AWidth, int AHeight) {
        T = MakeTreeProject(FAppData->Path(), ATopics);
        OpenWindowOn(T.FileName, AWidth, AHeight);
    }
    void OpenWindowOn(const std::string& AFileName, int AWidth, int AHeight) {
        W = std::make_unique<TfrmMain>(*FPrompts, QStringList{QString::fromStdString(AFileName)});
        W->resize(AWidth, AHeight);
        W->show();
        QVERIFY(QTest::qWaitForWindowExposed(W.get()));
    }
};
