#pragma once
// What the print engine tells the user or asks, and where a finished report goes. The engine
// stays free of widgets: the program's window layer implements these with its dialogs and the
// preview window, the command line with stderr, tests with scripted answers.

#include <QString>

namespace acremark {

class TPrintObject;

class TPrintPrompts {
public:
    virtual ~TPrintPrompts() = default;

    // A failure the user must read (OK button).
    virtual void ShowMessage(const QString& text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const QString& text) = 0;

    // The progress window: shown with its caption ("Preparing Report.......", "Printing
    // Report.......") and, when showCancel, a "Cancel" button.
    virtual void ShowProgress(const QString& caption, bool showCancel) = 0;
    virtual void SetProgress(int percent) = 0; // 0..100
    virtual void HideProgress() = 0;
    // Lets pending window messages through; true once when the user has pressed "Cancel"
    // since the last call.
    virtual bool CancelPressed() = 0;
};

// Messages to stderr, "No" to every question, no progress window: for batch use.
class TStderrPrintPrompts final : public TPrintPrompts {
public:
    void ShowMessage(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    void ShowProgress(const QString&, bool) override {}
    void SetProgress(int) override {}
    void HideProgress() override {}
    bool CancelPressed() override { return false; }
};

// Where Quit sends a finished report in page mode.
class TPrintDisplay {
public:
    virtual ~TPrintDisplay() = default;
    // Shows the preview of report's pages FirstPage..LastPage until the user closes it. False
    // when it could not be shown.
    virtual bool ShowPreview(TPrintObject& report) = 0;
    // Prints at once: the print dialog first when report.ShowDialog (cancelling it prints
    // nothing and is no failure), then report.PrintRange onto the chosen printer. False when
    // printing failed.
    virtual bool PrintReport(TPrintObject& report) = 0;
};

} // namespace acremark
