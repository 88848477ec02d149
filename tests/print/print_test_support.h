#pragma once
// Shared by the print and results tests: a Qt application for fonts and painting, scripted
// prompts, and small readers of recorded pages.

#include "print/print_object.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace acremark::testing {

// Creates the application object once, before the first test (offscreen unless told otherwise).
template <class App> class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QCoreApplication::instance()) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "acremark-test";
        static char* argv[] = {name, nullptr};
        app_ = new App(argc, argv);
    }

private:
    App* app_ = nullptr;
};

// Records what the engine shows and answers from a script.
class ScriptedPrompts : public TPrintPrompts {
public:
    std::vector<QString> messages;
    std::vector<QString> questions;
    std::deque<bool> answers;   // for AskYesNo; "No" when empty
    std::vector<QString> shown; // progress captions, in order
    std::vector<int> percents;  // progress values, in order
    int hides = 0;
    int cancelOnCall = -1; // CancelPressed returns true on this call (counted from 1)
    int cancelCalls = 0;
    bool visible = false;

    void ShowMessage(const QString& text) override { messages.push_back(text); }
    bool AskYesNo(const QString& text) override {
        questions.push_back(text);
        if (answers.empty()) return false;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowProgress(const QString& caption, bool) override {
        shown.push_back(caption);
        visible = true;
    }
    void SetProgress(int percent) override { percents.push_back(percent); }
    void HideProgress() override {
        ++hides;
        visible = false;
    }
    bool CancelPressed() override { return ++cancelCalls == cancelOnCall; }
};

inline std::vector<const TPrintCommand*> OfKind(const TPrintPage& page, TCommandKind kind) {
    std::vector<const TPrintCommand*> out;
    for (const auto& c : page.Commands)
        if (c.Kind == kind) out.push_back(&c);
    return out;
}

inline QStringList Texts(const TPrintPage& page) {
    QStringList out;
    for (const auto* c : OfKind(page, commText))
        out << c->Text;
    return out;
}

} // namespace acremark::testing
