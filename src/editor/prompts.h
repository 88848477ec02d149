#pragma once
// Everything the user must read or answer goes through Prompts: the desktop program shows real
// dialogs, tests and the session driver answer from a script. Texts use "\r" for a line break,
// as the program's messages are written.

#include <optional>
#include <string>

namespace acremark {

enum class PromptAnswer { Yes, No, Cancel };

// The blank-scenario copy dialog's answer: Yes with the scenario chosen in its list (1..8; any
// other value, such as the list's "?", copies nothing), or No.
struct CopyScenarioAnswer {
    bool Yes = false;
    int Scenario = 0;
};

inline constexpr const char* kDataFileFilter = "Acremark$ data file|*.crs";
inline constexpr const char* kConfirmCaption = "Confirm";
inline constexpr const char* kCopyScenarioCaption = "Warning: Blank Scenario";

class Prompts {
public:
    virtual ~Prompts() = default;

    // A message box with an OK button.
    virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
    // A confirmation with Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
    // A confirmation with Yes, No and Cancel.
    virtual PromptAnswer AskYesNoCancel(const std::string& caption, const std::string& text) = 0;
    // The file dialogs, preset with `fileName`; none when the user cancels.
    virtual std::optional<std::string> OpenFileName(const std::string& filter,
                                                    const std::string& fileName) = 0;
    virtual std::optional<std::string> SaveFileName(const std::string& filter,
                                                    const std::string& fileName) = 0;
    // The copy dialog: its bold line and the scenario its list preselects.
    virtual CopyScenarioAnswer AskCopyScenario(const std::string& boldLine, int preselected) = 0;
};

// The copy dialog as one text: the bold line, then "Do you want to copy from Scenario p?".
std::string CopyScenarioQuestion(const std::string& boldLine, int preselected);

} // namespace acremark
