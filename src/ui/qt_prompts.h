#pragma once
// Prompts with real dialogs: message boxes, confirmations, file dialogs and the copy dialog.

#include "editor/prompts.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

namespace acremark {

class TCopyScenarioForm;

// The program's texts use "\r" (and "\r\n") for a line break; Qt wants "\n".
QString PromptText(const std::string& text);
// "Acremark$ data file|*.crs" as a Qt file dialog filter: "Acremark$ data file (*.crs)".
QString DialogFilter(const std::string& filter);

class QtPrompts : public Prompts {
public:
    QtPrompts(QWidget* parent, TCopyScenarioForm* copyForm);
    // The windows are created after the session that uses the prompts.
    void SetParent(QWidget* parent) { parent_ = parent; }
    void SetCopyForm(TCopyScenarioForm* copyForm) { copyForm_ = copyForm; }

    void ShowMessage(const std::string& caption, const std::string& text) override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    PromptAnswer AskYesNoCancel(const std::string& caption, const std::string& text) override;
    std::optional<std::string> OpenFileName(const std::string& filter,
                                            const std::string& fileName) override;
    std::optional<std::string> SaveFileName(const std::string& filter,
                                            const std::string& fileName) override;
    CopyScenarioAnswer AskCopyScenario(const std::string& boldLine, int preselected) override;

    // Runs before a message box shows, so the window behind it shows what the message is about.
    std::function<void()> BeforeMessage;

private:
    QPointer<QWidget> parent_;
    TCopyScenarioForm* copyForm_;
};

} // namespace acremark
