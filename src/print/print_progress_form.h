#pragma once
// The progress window of the print engine ("Preparing Report.......", "Printing Report.......")
// and the widget implementation of the engine's prompts. Messages and questions go to the
// callbacks the program's window layer passes in (its own message boxes); the progress window
// is drawn here.

#include "print/print_prompts.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace acremark {

class TPrintProgressForm : public QWidget {
    Q_OBJECT
public:
    // A window of its own (not a child of mainWindow, so either may go first).
    explicit TPrintProgressForm(QWidget* mainWindow = nullptr);

    // Shows the window at a third of the main window's width and height from its top left
    // corner, with the caption and, when showCancel, the "Cancel" button.
    void ShowProgress(const QString& caption, bool showCancel);
    void SetPercent(int percent);
    int Percent() const;
    QString Caption() const;
    // True once after "Cancel" was pressed.
    bool TakeCancel();

    QPushButton* CancelButton() const { return cancel_; }

private:
    QPointer<QWidget> mainWindow_;
    QLabel* caption_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    bool cancelled_ = false;
};

class TWidgetPrintPrompts final : public TPrintPrompts {
public:
    using MessageFn = std::function<void(const QString&)>;
    using QuestionFn = std::function<bool(const QString&)>;
    TWidgetPrintPrompts(QWidget* mainWindow, MessageFn message, QuestionFn question);

    void ShowMessage(const QString& text) override { message_(text); }
    bool AskYesNo(const QString& text) override { return question_(text); }
    void ShowProgress(const QString& caption, bool showCancel) override;
    void SetProgress(int percent) override;
    void HideProgress() override;
    bool CancelPressed() override; // lets window messages through first

    TPrintProgressForm& ProgressForm() { return form_; }

private:
    MessageFn message_;
    QuestionFn question_;
    TPrintProgressForm form_;
};

} // namespace acremark
