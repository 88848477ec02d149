#include "editor/scripted_prompts.h"

namespace acremark {

std::string CopyScenarioQuestion(const std::string& boldLine, int preselected) {
    return boldLine + "\rDo you want to copy from Scenario " + std::to_string(preselected) + "?";
}

void ScriptedPrompts::ClearAnswers() {
    YesNoAnswers.clear();
    YesNoCancelAnswers.clear();
    FileNames.clear();
    CopyAnswers.clear();
}

void ScriptedPrompts::ShowMessage(const std::string& caption, const std::string& text) {
    Shown.push_back({caption, text});
}

bool ScriptedPrompts::AskYesNo(const std::string& caption, const std::string& text) {
    Shown.push_back({caption, text});
    if (YesNoAnswers.empty()) return false;
    bool a = YesNoAnswers.front();
    YesNoAnswers.pop_front();
    return a;
}

PromptAnswer ScriptedPrompts::AskYesNoCancel(const std::string& caption, const std::string& text) {
    Shown.push_back({caption, text});
    if (YesNoCancelAnswers.empty()) return PromptAnswer::Cancel;
    PromptAnswer a = YesNoCancelAnswers.front();
    YesNoCancelAnswers.pop_front();
    return a;
}

std::optional<std::string> ScriptedPrompts::OpenFileName(const std::string&,
                                                         const std::string& fileName) {
    FileDialogPresets.push_back(fileName);
    if (FileNames.empty()) return std::nullopt;
    auto a = FileNames.front();
    FileNames.pop_front();
    return a;
}

std::optional<std::string> ScriptedPrompts::SaveFileName(const std::string& filter,
                                                         const std::string& fileName) {
    return OpenFileName(filter, fileName);
}

CopyScenarioAnswer ScriptedPrompts::AskCopyScenario(const std::string& boldLine, int preselected) {
    Shown.push_back({kCopyScenarioCaption, CopyScenarioQuestion(boldLine, preselected)});
    if (CopyAnswers.empty()) return {false, preselected};
    CopyScenarioAnswer a = CopyAnswers.front();
    CopyAnswers.pop_front();
    // "Yes" without a scenario takes the preselected one, as the dialog's list shows it.
    if (a.Yes && a.Scenario == 0) a.Scenario = preselected;
    return a;
}

} // namespace acremark
