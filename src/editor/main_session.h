#pragma once
// TMainSession: everything the main window does, as a model. It holds the window's state (the
// scenario selector, the description, the location edits, the soil zone and risk area
// selectors, the file name panel, the title, the iteration choice, the status bar), the column
// editor, the store and the objects a run fills, and offers the window's handlers under their
// names. The desktop window mirrors this state and forwards its events; the session driver of
// acremark-cli scripts it.
//
// Life cycle: the constructor is the window's creation (before the data module exists);
// DataModuleCreate loads the reference tables; FormShow is the first showing.

#include "budget/run_workspace.h"
#include "data/number_format.h"
#include "data/risk_data.h"
#include "data/risk_store.h"
#include "editor/crops.h"
#include "editor/prompts.h"
#include "editor/session_services.h"
#include "editor/status_bar.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace acremark {

inline constexpr const char* kHelpViewerTitle = "Acremark$ (Version 5.50 - March 26, 2023) ";
inline constexpr const char* kUserGuidePage = "res:///HelpUserGuide.htm";
inline constexpr const char* kAboutPage = "res:///About1.htm";
inline constexpr const char* kSaveInputQuestion = "Do you want to save the input data?";
inline constexpr const char* kUnknownLocationMessage =
    "\rPlease check the land location(TRM) ,\rit is not in Corvain crop coverage area.";
inline constexpr const char* kSoilZoneWarningHint =
    "**Warning**:\rThe Crop Insurance Risk Area may not match\rthe Soil Zone you have chosen.";
inline constexpr std::array<int, 3> kIterationChoices = {1000, 5000, 10000};
// The name the save dialog offers while the farm has no file of its own.
inline constexpr const char* kDefaultFileName = "Farm plan.crs";
inline constexpr const char* kNewFileMessage =
    " does not exist yet; it will be created when you save.";

// A drop-down list's state as the window shows it.
struct TComboState {
    int ItemIndex = -1; // -1: nothing selected
    bool Enabled = true;
    CellColor Color = CellColor::White;
};

class TMainSession : public TCropsHost {
public:
    // The land location rule's risk area for a location code: its index (area − 1) when the
    // reference knows the location, none otherwise.
    static std::optional<int> LocationRiskAreaIndex(const TReferenceTables& ref, int32_t code);
    // The farm's risk area index for runs of a file opened without the window (the command
    // line; −1 for none): the rule's for the file's location when the reference knows it,
    // otherwise the file's own for scenario 1. (The window, whose rule also runs for a location
    // it does not know, has none then.)
    static int OpenedRiskAreaIndex(const TReferenceTables& ref, std::optional<int32_t> code,
                                   int storedIndex);

    // FormCreate. `programPath` names the program; FileName starts as it with ".crs".
    TMainSession(Prompts& prompts, SettingsStore& settings, WelcomeWindow& welcome,
                 const std::string& programPath = "");
    // Everything the user must answer or read goes through these (reports too).
    Prompts& UserPrompts() { return prompts_; }

    // The data module: the reference tables (loaded once and shared), or loaded from a
    // folder (throws ReferenceDataError naming the folder and the table).
    void DataModuleCreate(std::shared_ptr<const TReferenceTables> tables);
    void DataModuleCreate(const std::string& folder);
    // First showing: 32 columns, scenario 1 with two empty fields, help viewer, welcome window.
    void FormShow();
    // Closing: asks whether to save; true when the program ends (Closed).
    bool FormCloseQuery();

    // --- Window state, mirrored by the widgets --------------------------------------------
    std::string Caption;                     // title bar
    TComboState ComboBoxScenario{0};         // item index 0..7 is scenario 1..8
    std::string EditScenarioDescription;     // the description edit's text
    std::array<std::string, 3> LocationEdit; // DBEdit1..3: township, range, meridian texts
    TComboState ComboBoxSoilType;            // soil zone 0..4; aqua after a known location
    TComboState ComboBoxRiskArea;            // risk area number − 1 (the list is hidden)
    std::string PanelFileName;               // the file name without extension
    int RadioGroupIteration = 2;             // index into kIterationChoices
    bool ScenarioChanging = false;
    bool Closed = false;
    std::string WelcomeStartCaption = "Start"; // "Resume" after the first showing
    std::string HelpTitle, HelpUserGuidePage, HelpAboutPage;
    std::optional<uint32_t> RunSeed; // a fixed seed for runs (tests, scripts); none: the clock
    // "Use the same random numbers for every scenario": every run puts this seed into the
    // generator where it would reseed from the clock, so two scenarios differ by their choices,
    // not by luck. Kept in the settings file; none while the option is off (the default).
    std::optional<uint32_t> CommonSeed() const { return settings_.CommonSeed(); }
    void SetCommonSeed(std::optional<uint32_t> seed);
    // A new seed for the option, from the clock.
    static uint32_t SeedFromClock();
    // What the status bar's time panel, the exports and the reports say of the runs while the
    // option is on ("Seed 1234567, 10000 iterations"); empty while it is off.
    std::string CommonSeedNote() const;
    // The line the printed reports carry under their tables while the option is on ("Runs drawn
    // with seed 1234567, 10000 iterations"); empty while it is off.
    std::string ReportNote() const;
    // Where the file dialogs start while the farm has no file and no folder was used yet (the
    // user's documents folder; empty: the dialog's own choice).
    std::string DocumentsFolder;

    TStatusBarModel StatusBar1;
    TdmRisk dmRisk;
    TRiskData RiskData;
    RunWorkspace Runs; // the simulation objects, the results and the comparison grid
    TCrops Crops;

    int CurrentScenario() const override { return ComboBoxScenario.ItemIndex + 1; }
    int SoilZoneIndex() const override { return ComboBoxSoilType.ItemIndex; }
    int RiskAreaIndex() const override { return ComboBoxRiskArea.ItemIndex; }
    int Iterations() const { return kIterationChoices[size_t(RadioGroupIteration)]; }
    // The last complete land location was not found (columns disabled until a known one).
    bool LocationUnknown() const { return locationUnknown_; }
    // The soil zone warning icon: shown, blinking, while the chosen soil zone differs from
    // the one the risk area implies.
    bool SoilZoneWarning() const;
    // The context menu's "Copy From" items: all but the current scenario's.
    bool CopyFromEnabled(int scenario) const { return scenario != CurrentScenario(); }
    // The context menu opens: whether each "Copy From" item (scenario 1..8) is enabled.
    std::array<bool, kScenarioCount> PopupMenu1Popup() const;

    void SetSeparators(const NumberSeparators& s);
    // The malt barley dialog's runner (the window, or a script); none closes it at once.
    void SetMaltDialogRunner(MaltDialogRunner* runner) { malt_ = runner; }

    // --- Handlers --------------------------------------------------------------------------
    void ComboBoxScenarioChange(int scenario); // 1..8
    void miScenario1Click(int from);           // Copy From scenario 1..8
    void miClearCurrentScenarioClick();
    void EditScenarioDescriptionChange(const std::string& text);
    // A location edit's (0..2) whole text changed: the land location rule.
    void DBEdit1Change(int edit, const std::string& text);
    // The edit hands its text to its field; refused text shows the field's message and the
    // edit takes its last accepted text again (false).
    bool LocationEditExit(int edit);
    void ComboBoxSoilTypeChange(int index);
    void ComboBoxRiskAreaChange(int index);
    void BitBtnOpenClick();
    bool BitBtnSaveClick(); // true when the file was written
    // Opens a file as Open does once its dialog returned `fileName` (a file dropped, a recent
    // file).
    void OpenFile(const std::string& fileName);
    // A file named when the program starts: opened as Open does; a name that does not exist
    // yet becomes the farm's file name (title and panel show it, a message says so), so the
    // first Save creates it.
    void OpenAtStart(const std::string& fileName);
    // Whether FileName names the farm's own file (opened, saved, or named at start) rather
    // than the program's default.
    bool HasFile() const { return hasFile_; }
    // What the open and save dialogs are preset with: the farm's file; else the last folder
    // used, else the documents folder (with kDefaultFileName for saving).
    std::string OpenDialogPreset() const;
    std::string SaveDialogPreset() const;
    void BitBtnWelcomeClick();
    // The user guide: the document's path when it exists in `programFolder` (the window asks
    // the shell to open it), else the warning and none.
    std::optional<std::string> BitBtnHelpClick(const std::string& programFolder);
    // The same over several folders, first found wins (an installed program keeps the guide
    // in its share folder); the warning names every folder looked in.
    std::optional<std::string> BitBtnHelpClick(const std::vector<std::string>& folders);
    void ContactUsClick(); // the welcome window's "Contact Us"
    // The run of the shown scenario (Run button, "Run Simulation", an iteration choice).
    RunOutcome BitBtn1Click();
    RunOutcome RadioGroupIterationClick(int index);
    // The comparison grid's target cells (rows 10 to 12) typed.
    void SetTargetText(int row, const std::string& text);
    void Timer1Timer(const DateTimeParts& now);
    void HeaderControl1SectionClick(int k) { Crops.HeaderControl1SectionClick(k); }
    void AddAField1Click() { Crops.AddAField1Click(); }
    bool FormKeyDown(NavKey key) { return Crops.FormKeyDown(key); }

    void RunMaltDialog(TMaltBarleyForm& form) override;

private:
    void LandLocationRule();
    void SoilTypeChanged();
    void RiskAreaChanged();
    void UpdateSoilSelectorEnabled();
    bool LocationFound() const;

    Prompts& prompts_;
    SettingsStore& settings_;
    WelcomeWindow& welcome_;
    MaltDialogRunner* malt_ = nullptr;
    void RememberFolder(const std::string& fileName);

    bool dataModule_ = false;
    bool locationUnknown_ = false;
    bool hasFile_ = false;
    std::array<std::string, 3> locationAccepted_; // the location fields' values as text
};

} // namespace acremark
