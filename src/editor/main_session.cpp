#include "editor/main_session.h"

#include <chrono>

#include "budget/run_reference.h"
#include "data/field_text.h"
#include "data/land_location.h"

#include <filesystem>

namespace acremark {

TMainSession::TMainSession(Prompts& prompts, SettingsStore& settings, WelcomeWindow& welcome,
                           const std::string& programPath)
    : RiskData(programPath), Runs(&StatusBar1), Crops(dmRisk, prompts, *this), prompts_(prompts),
      settings_(settings), welcome_(welcome) {
    Runs.Panels = &StatusBar1;
    Caption = kProgramTitle;
    ScenarioChanging = true;
    ComboBoxScenario.ItemIndex = 0;
    ComboBoxSoilType.ItemIndex = -1;
    ComboBoxRiskArea.ItemIndex = -1;
    dmRisk.SoilZoneIndex.fill(-1);
    dmRisk.RiskAreaIndex.fill(-1);
    EditScenarioDescription = dmRisk.ScenarioDescriptions[0];
    // No data module yet: the switch asks nothing and there are no columns to load.
    ComboBoxScenarioChange(1);
    ScenarioChanging = false;
}

void TMainSession::DataModuleCreate(std::shared_ptr<const TReferenceTables> tables) {
    dmRisk.DataModuleCreate(std::move(tables));
    dataModule_ = true;
}

void TMainSession::DataModuleCreate(const std::string& folder) {
    dmRisk.DataModuleCreate(folder);
    dataModule_ = true;
}

void TMainSession::SetSeparators(const NumberSeparators& s) {
    Crops.Separators = s;
    Runs.Grid().separators = s;
}

void TMainSession::FormShow() {
    Crops.Build();
    Crops.LoadDataSet(CurrentScenario());
    for (int k = 1; k <= 2; ++k)
        if (!Crops.Crop(k).Shown()) Crops.HeaderControl1SectionClick(k);
    HelpTitle = kHelpViewerTitle;
    HelpUserGuidePage = kUserGuidePage;
    HelpAboutPage = kAboutPage;
    if (!settings_.NotShowWelcomeForm())
        settings_.SetNotShowWelcomeForm(welcome_.ShowModal(Caption));
    WelcomeStartCaption = "Resume";
}

bool TMainSession::FormCloseQuery() {
    switch (prompts_.AskYesNoCancel(kConfirmCaption, kSaveInputQuestion)) {
    case PromptAnswer::Cancel:
        return false;
    case PromptAnswer::No:
        Closed = true;
        break;
    case PromptAnswer::Yes:
        // A cancelled or failed save keeps the window open, so no input is lost unasked.
        Closed = BitBtnSaveClick();
        break;
    }
    return Closed;
}

// --- Scenarios -------------------------------------------------------------------------------

void TMainSession::ComboBoxScenarioChange(int q) {
    if (q < 1 || q > kScenarioCount) return;
    if (!Crops.LeaveFocus()) return;
    ScenarioChanging = true;
    Crops.SaveDataSet();
    ComboBoxScenario.ItemIndex = q - 1;
    if (dataModule_ && !dmRisk.cdsRisk.HasScenario(q)) {
        const int preselected = q <= 2 ? 1 : q - 1;
        CopyScenarioAnswer a = prompts_.AskCopyScenario(
            "Scenario " + std::to_string(q) + " is a blank scenario", preselected);
        if (a.Yes && a.Scenario >= 1 && a.Scenario <= kScenarioCount) {
            const int p = a.Scenario;
            RiskData.Legacy.CopyScenario(p, q);
            dmRisk.CopyScenarioDataSet(p, q);
            EditScenarioDescriptionChange(dmRisk.ScenarioDescriptions[size_t(p - 1)]);
        }
    }
    EditScenarioDescriptionChange(dmRisk.ScenarioDescriptions[size_t(q - 1)]);
    ScenarioChanging = false;
    UpdateSoilSelectorEnabled();
    Crops.LoadDataSet(q);
}

void TMainSession::miScenario1Click(int p) {
    const int c = CurrentScenario();
    if (p < 1 || p > kScenarioCount || p == c) return; // the current scenario's item is disabled
    RiskData.Legacy.CopyScenario(p, c);
    dmRisk.EmptyScenarioDataSet(c);
    dmRisk.CopyScenarioDataSet(p, c);
    Crops.LoadDataSet(c);
    EditScenarioDescriptionChange(dmRisk.ScenarioDescriptions[size_t(p - 1)]);
}

std::array<bool, kScenarioCount> TMainSession::PopupMenu1Popup() const {
    std::array<bool, kScenarioCount> items{};
    for (int p = 1; p <= kScenarioCount; ++p)
        items[size_t(p - 1)] = CopyFromEnabled(p);
    return items;
}

void TMainSession::miClearCurrentScenarioClick() {
    const int c = CurrentScenario();
    RiskData.Legacy.ClearScenario(c);
    EditScenarioDescriptionChange("");
    dmRisk.EmptyScenarioDataSet(c);
    Crops.LoadDataSet(c);
}

void TMainSession::EditScenarioDescriptionChange(const std::string& text) {
    EditScenarioDescription = text;
    dmRisk.SetScenarioDescription(CurrentScenario(), text);
}

// --- Land location, soil zone, risk area -----------------------------------------------------

void TMainSession::UpdateSoilSelectorEnabled() {
    // The soil zone belongs to the farm: it is chosen in scenario 1, and only for a location
    // that is known (or not yet entered).
    const bool on = CurrentScenario() == 1 && !locationUnknown_;
    ComboBoxSoilType.Enabled = on;
    ComboBoxRiskArea.Enabled = on;
}

void TMainSession::DBEdit1Change(int edit, const std::string& text) {
    if (edit < 0 || edit > 2 || LocationEdit[size_t(edit)] == text) return;
    LocationEdit[size_t(edit)] = text;
    LandLocationRule();
}

bool TMainSession::LocationEditExit(int edit) {
    if (edit < 0 || edit > 2) return true;
    const std::string text = LocationEdit[size_t(edit)];
    TextConversion c = ConvertFieldText(LocationField(edit), text);
    if (!c.Ok()) {
        prompts_.ShowMessage("Error", c.error);
        DBEdit1Change(edit, locationAccepted_[size_t(edit)]);
        return false;
    }
    locationAccepted_[size_t(edit)] = text;
    return true;
}

void TMainSession::LandLocationRule() {
    bool filled = true;
    for (const auto& t : LocationEdit)
        if (t.find_first_not_of(" \t") == std::string::npos) filled = false;
    std::optional<int64_t> parts[3];
    if (filled)
        for (int i = 0; i < 3; ++i) {
            parts[i] = ParseInteger(LocationEdit[size_t(i)]);
            // Text that is no 16-bit whole number is refused by the edit's field when it is
            // handed over; until then there is no location to look up.
            if (!parts[i] || *parts[i] < -32768 || *parts[i] > 32767) filled = false;
        }
    if (filled) {
        const int32_t code = EncodeLandLocation(int(*parts[0]), int(*parts[1]), int(*parts[2]));
        dmRisk.LocationCode = code;
        ComboBoxSoilType.ItemIndex = -1;
        ComboBoxRiskArea.ItemIndex = -1;
        std::optional<int> area;
        if (dataModule_) area = LocationRiskAreaIndex(dmRisk.Ref(), code);
        if (area) {
            ComboBoxRiskArea.ItemIndex = *area;
            ComboBoxSoilType.ItemIndex = RiskAreaDefaultSoilZone(*area + 1);
            ComboBoxSoilType.Color = CellColor::Aqua;
            locationUnknown_ = false;
            UpdateSoilSelectorEnabled();
        } else {
            ComboBoxSoilType.Color = CellColor::White;
            locationUnknown_ = true;
            UpdateSoilSelectorEnabled();
            prompts_.ShowMessage("Warning", kUnknownLocationMessage);
        }
        RiskAreaChanged();
        SoilTypeChanged();
    }
    // While the location is not a known one, no field can be edited; columns shown later
    // follow the same state.
    Crops.SetColumnsEnabled(!locationUnknown_);
}

bool TMainSession::LocationFound() const {
    return dataModule_ && LocationRiskAreaIndex(dmRisk.Ref(), dmRisk.LocationCode).has_value();
}

std::optional<int> TMainSession::LocationRiskAreaIndex(const TReferenceTables& ref, int32_t code) {
    if (auto area = ref.cdsTRWRA.RiskArea(code)) return *area - 1;
    return std::nullopt;
}

int TMainSession::OpenedRiskAreaIndex(const TReferenceTables& ref, std::optional<int32_t> code,
                                      int storedIndex) {
    if (code)
        if (auto area = LocationRiskAreaIndex(ref, *code)) return *area;
    return storedIndex;
}

void TMainSession::ComboBoxSoilTypeChange(int index) {
    if (index < -1 || index >= kSoilZoneCount) return;
    ComboBoxSoilType.ItemIndex = index;
    SoilTypeChanged();
}

void TMainSession::ComboBoxRiskAreaChange(int index) {
    if (index < -1 || index >= kRiskAreaCount) return;
    ComboBoxRiskArea.ItemIndex = index;
    RiskAreaChanged();
}

void TMainSession::SoilTypeChanged() {
    dmRisk.SoilZoneIndex.fill(ComboBoxSoilType.ItemIndex);
    dmRisk.RiskAreaIndex.fill(ComboBoxRiskArea.ItemIndex);
}

void TMainSession::RiskAreaChanged() {
    // The crop and practice lists read the risk area of scenario 1 whenever they are shown.
    dmRisk.RiskAreaIndex.fill(ComboBoxRiskArea.ItemIndex);
}

bool TMainSession::SoilZoneWarning() const {
    const int area = ComboBoxRiskArea.ItemIndex, soil = ComboBoxSoilType.ItemIndex;
    return area >= 0 && soil >= 0 && soil != RiskAreaDefaultSoilZone(area + 1);
}

// --- Files -----------------------------------------------------------------------------------

std::string TMainSession::OpenDialogPreset() const {
    if (hasFile_) return RiskData.FileName;
    const std::string folder = settings_.LastFolder();
    return folder.empty() ? DocumentsFolder : folder;
}

std::string TMainSession::SaveDialogPreset() const {
    if (hasFile_) return RiskData.FileName;
    // The program's own folder is no place for a farm (an installed one is read-only).
    const std::string folder = OpenDialogPreset();
    if (folder.empty()) return kDefaultFileName;
    return (std::filesystem::path(folder) / kDefaultFileName).string();
}

void TMainSession::RememberFolder(const std::string& fileName) {
    std::error_code ec;
    const auto folder = std::filesystem::absolute(fileName, ec).parent_path();
    if (!ec && !folder.empty()) settings_.SetLastFolder(folder.string());
}

void TMainSession::BitBtnOpenClick() {
    if (!Crops.LeaveFocus()) return;
    auto chosen = prompts_.OpenFileName(kDataFileFilter, OpenDialogPreset());
    if (!chosen) return;
    RememberFolder(*chosen);
    OpenFile(*chosen);
}

void TMainSession::OpenAtStart(const std::string& fileName) {
    if (!Crops.LeaveFocus()) return;
    const std::string given = TRiskData::WithCrsExtension(fileName);
    std::error_code ec;
    const std::string full = std::filesystem::absolute(given, ec).lexically_normal().string();
    if (ec || std::filesystem::exists(full, ec)) {
        OpenFile(full);
        return;
    }
    // Nothing to read: the farm keeps what it holds and takes the name, as a Save would.
    RiskData.FileName = full;
    hasFile_ = true;
    Caption = TRiskData::TitleFor(RiskData.FileName);
    PanelFileName = TRiskData::PanelName(RiskData.FileName);
    RememberFolder(full);
    prompts_.ShowMessage("Information", given + kNewFileMessage);
}

void TMainSession::OpenFile(const std::string& fileName) {
    if (!Crops.LeaveFocus()) return;
    // Opening is atomic: a missing, damaged or refused file changes nothing at all, the file
    // name included.
    const std::string before = RiskData.FileName;
    RiskData.FileName = TRiskData::WithCrsExtension(fileName);
    const TReferenceTables& ref = dmRisk.Ref();
    OpenOutcome o = RiskData.Open(dmRisk, [&ref](int code) {
        const TCropRow* row = ref.cdsCrops.Find(code);
        return row ? row->Unit : std::string();
    });
    if (o.kind != OpenOutcome::Kind::Opened) {
        RiskData.FileName = before;
        if (o.kind == OpenOutcome::Kind::Refused)
            prompts_.ShowMessage(o.refusal.caption, o.refusal.message);
        return;
    }
    Runs.Grid().ClearAll();
    ComboBoxScenario.ItemIndex = 0;

    // The location edits take the file's location; the rule runs once when it differs.
    std::array<std::string, 3> texts;
    if (o.locationCode) {
        const TLandLocation l = DecodeLandLocation(*o.locationCode);
        texts = {std::to_string(l.Township), std::to_string(l.Range), std::to_string(l.Meridian)};
    }
    const int fileSoil = dmRisk.SoilZoneIndex[0];
    if (texts != LocationEdit) {
        LocationEdit = texts;
        locationAccepted_ = texts;
        LandLocationRule();
        // The soil zone in the file is the user's choice for this farm: kept when valid.
        if (o.locationCode && LocationFound() && fileSoil >= 0 && fileSoil < kSoilZoneCount) {
            ComboBoxSoilType.ItemIndex = fileSoil;
            SoilTypeChanged();
        }
    }
    const int soil = dmRisk.SoilZoneIndex[0], area = dmRisk.RiskAreaIndex[0];
    ComboBoxSoilType.ItemIndex = soil >= 0 && soil < kSoilZoneCount ? soil : -1;
    ComboBoxRiskArea.ItemIndex = area >= 0 && area < kRiskAreaCount ? area : -1;
    EditScenarioDescription = dmRisk.ScenarioDescriptions[0];
    Caption = TRiskData::TitleFor(RiskData.FileName);
    PanelFileName = TRiskData::PanelName(RiskData.FileName);
    hasFile_ = true;

    RiskAreaChanged();
    UpdateSoilSelectorEnabled();
    Crops.SetColumnsEnabled(!locationUnknown_);
    Crops.LoadDataSet(1);
    EditScenarioDescriptionChange(EditScenarioDescription);
}

bool TMainSession::BitBtnSaveClick() {
    if (!Crops.LeaveFocus()) return false;
    auto chosen = prompts_.SaveFileName(kDataFileFilter, SaveDialogPreset());
    if (!chosen) return false;
    RememberFolder(*chosen);
    RiskData.FileName = TRiskData::WithCrsExtension(*chosen);
    Crops.SaveDataSet();
    if (auto error = RiskData.Save(dmRisk)) {
        prompts_.ShowMessage("Error", *error);
        return false;
    }
    hasFile_ = true;
    Caption = TRiskData::TitleFor(RiskData.FileName);
    PanelFileName = TRiskData::PanelName(RiskData.FileName);
    return true;
}

// --- Welcome window, user guide --------------------------------------------------------------

void TMainSession::BitBtnWelcomeClick() {
    settings_.SetNotShowWelcomeForm(welcome_.ShowModal(Caption));
}

std::optional<std::string> TMainSession::BitBtnHelpClick(const std::string& programFolder) {
    return BitBtnHelpClick(std::vector<std::string>{programFolder});
}

std::optional<std::string> TMainSession::BitBtnHelpClick(const std::vector<std::string>& folders) {
    std::string looked;
    for (const std::string& folder : folders) {
        const std::filesystem::path guide = std::filesystem::path(folder) / "UserGuide.pdf";
        std::error_code ec;
        if (std::filesystem::is_regular_file(guide, ec)) return guide.string();
        looked += "\r    " + guide.lexically_normal().string();
    }
    prompts_.ShowMessage("Warning!",
                         "The User Guide can not be found. It was looked for at:" + looked +
                             "\rPlease ask the supplier of this program for a copy "
                             "of UserGuide.pdf.");
    return std::nullopt;
}

void TMainSession::ContactUsClick() {
    prompts_.ShowMessage("Contact Information!",
                         "The most recent version of Acremark$ can be found on the "
                         "publisher's web site.");
}

// --- The run ---------------------------------------------------------------------------------

RunOutcome TMainSession::BitBtn1Click() {
    if (!Crops.LeaveFocus()) {
        RunOutcome o;
        o.refused = true;
        return o;
    }
    const int n = Crops.RunFieldCount();
    std::vector<FieldRecord> fields;
    RunRequest req;
    for (int k = 1; k <= n; ++k) {
        fields.push_back(Crops.Crop(k).Record());
        req.headers.push_back(Crops.Crop(k).Section.Text);
    }
    req.scenario = CurrentScenario();
    req.fields = &fields;
    req.riskAreaIndex = ComboBoxRiskArea.ItemIndex;
    req.iterations = Iterations();
    req.seed = RunSeed ? RunSeed : CommonSeed();
    RunOutcome o = Runs.Run(req, MakeRunReference(dmRisk.Ref()));
    if (o.refused) {
        prompts_.ShowMessage(o.caption, o.message);
        return o;
    }
    if (CommonSeed()) StatusBar1.SetPanelText(2, StatusBar1.Panels[2] + ", " + CommonSeedNote());
    // The results belong to the columns' records; they reach the store with the columns.
    for (int k = 1; k <= n; ++k)
        for (int f : {fCM, fCMSD, fGM, fGMSD})
            Crops.Crop(k).Record().Set(f, fields[size_t(k - 1)].Get(f));
    return o;
}

RunOutcome TMainSession::RadioGroupIterationClick(int index) {
    if (index >= 0 && index < int(kIterationChoices.size())) RadioGroupIteration = index;
    return BitBtn1Click();
}

void TMainSession::SetTargetText(int row, const std::string& text) {
    if (auto error = Runs.Grid().SetTargetText(row, text)) prompts_.ShowMessage("Error", *error);
}

void TMainSession::Timer1Timer(const DateTimeParts& now) {
    StatusBar1.Panels[3] = StatusClockText(now);
}

void TMainSession::RunMaltDialog(TMaltBarleyForm& form) {
    if (malt_) malt_->Execute(form);
}

} // namespace acremark

namespace acremark {

void TMainSession::SetCommonSeed(std::optional<uint32_t> seed) {
    settings_.SetCommonSeed(seed);
}

uint32_t TMainSession::SeedFromClock() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return uint32_t(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

std::string TMainSession::ReportNote() const {
    const std::string note = CommonSeedNote();
    return note.empty() ? note : "Runs drawn with " + note;
}

std::string TMainSession::CommonSeedNote() const {
    const auto seed = CommonSeed();
    if (!seed) return {};
    return "seed " + std::to_string(*seed) + ", " + std::to_string(Iterations()) + " iterations";
}

} // namespace acremark
