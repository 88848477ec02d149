#pragma once
// What the session asks of its surroundings besides Prompts: the settings file and the welcome
// window. The desktop program implements them with the settings file beside the program and the
// real window; tests and the session driver with the small implementations below.

#include <cstdint>
#include <optional>
#include <string>

namespace acremark {

// The settings file: section "Section1", key NotShowWelcomeForm (default false), and the
// folder the file dialogs last used (empty before the first).
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual bool NotShowWelcomeForm() const = 0;
    virtual void SetNotShowWelcomeForm(bool value) = 0;
    virtual std::string LastFolder() const = 0;
    virtual void SetLastFolder(const std::string& folder) = 0;
    // The seed every run takes when the user asked for the same random numbers for every
    // scenario; none when that option is off (the default).
    virtual std::optional<std::uint32_t> CommonSeed() const = 0;
    virtual void SetCommonSeed(std::optional<std::uint32_t> seed) = 0;
};

class MemorySettings : public SettingsStore {
public:
    explicit MemorySettings(bool notShow = false) : value_(notShow) {}
    bool NotShowWelcomeForm() const override { return value_; }
    void SetNotShowWelcomeForm(bool value) override { value_ = value; }
    std::string LastFolder() const override { return folder_; }
    void SetLastFolder(const std::string& folder) override { folder_ = folder; }
    std::optional<std::uint32_t> CommonSeed() const override { return seed_; }
    void SetCommonSeed(std::optional<std::uint32_t> seed) override { seed_ = seed; }

private:
    bool value_;
    std::string folder_;
    std::optional<std::uint32_t> seed_;
};

// The welcome window, shown modally with the main window's title; returns the state of its
// "do not show again" check box when it closes.
class WelcomeWindow {
public:
    virtual ~WelcomeWindow() = default;
    virtual bool ShowModal(const std::string& title) = 0;
};

// A welcome window that is answered at once, leaving its check box as given.
class AnsweredWelcome : public WelcomeWindow {
public:
    explicit AnsweredWelcome(bool notShowAgain = false) : notShow_(notShowAgain) {}
    bool ShowModal(const std::string& title) override {
        ++Shows;
        LastTitle = title;
        return notShow_;
    }
    int Shows = 0;
    std::string LastTitle;

private:
    bool notShow_;
};

} // namespace acremark
