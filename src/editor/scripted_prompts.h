#pragma once
// Prompts answered from a script, for tests and the session driver. Every message and question
// is recorded in order; each question takes the next scripted answer of its kind, or a default
// that changes nothing (No, Cancel, a cancelled file dialog) when none is left.

#include "editor/prompts.h"

#include <deque>
#include <string>
#include <vector>

namespace acremark {

struct PromptRecord {
    std::string caption, text;
    bool operator==(const PromptRecord&) const = default;
};

class ScriptedPrompts : public Prompts {
public:
    std::vector<PromptRecord> Shown; // message boxes and questions, in order

    std::deque<bool> YesNoAnswers;
    std::deque<PromptAnswer> YesNoCancelAnswers;
    std::deque<std::optional<std::string>> FileNames; // open and save dialogs alike
    std::deque<CopyScenarioAnswer> CopyAnswers;

    // Drops the answers that no question took.
    void ClearAnswers();

    void ShowMessage(const std::string& caption, const std::string& text) override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    PromptAnswer AskYesNoCancel(const std::string& caption, const std::string& text) override;
    std::optional<std::string> OpenFileName(const std::string& filter,
                                            const std::string& fileName) override;
    std::optional<std::string> SaveFileName(const std::string& filter,
                                            const std::string& fileName) override;
    CopyScenarioAnswer AskCopyScenario(const std::string& boldLine, int preselected) override;

    // The file dialogs' presets, in order, so tests can see what a dialog offered.
    std::vector<std::string> FileDialogPresets;
};

} // namespace acremark
