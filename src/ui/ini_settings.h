#pragma once
// The settings file: section "Section1", key NotShowWelcomeForm, and section "Files", key
// LastFolder (where the file dialogs were last used). It lives beside the program,
// named like it with ".ini", when that folder can be written; an installed program's folder is
// read-only, so the file then goes to the user's configuration folder.

#include "editor/session_services.h"

#include <QString>

namespace acremark {

class IniSettings : public SettingsStore {
public:
    // programPath: the program file; configDir: where the file goes when the program's folder
    // cannot be written (the user's configuration folder when empty).
    explicit IniSettings(const QString& programPath, const QString& configDir = {});
    bool NotShowWelcomeForm() const override;
    void SetNotShowWelcomeForm(bool value) override;
    std::string LastFolder() const override;
    void SetLastFolder(const std::string& folder) override;
    // Section "Section1", key CommonSeed (absent while the option is off).
    std::optional<std::uint32_t> CommonSeed() const override;
    void SetCommonSeed(std::optional<std::uint32_t> seed) override;
    const QString& FilePath() const { return path_; }

private:
    QString path_;
};

} // namespace acremark
