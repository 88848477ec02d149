// The main window's session: start-up, the land location rule, soil zone and risk area,
// scenario switching with the blank-scenario question, Copy From, Clear, the description,
// Open, Save and closing, and the run started from the window.
#include "editor_fixture.h"

#include "budget/scenario_summary.h"
#include "data/risk_data.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace acremark;
using namespace acremark::test;
namespace fs = std::filesystem;

namespace {

struct TempDir {
    fs::path path;
    TempDir() {
        std::string t = (fs::temp_directory_path() / "acremark-session-XXXXXX").string();
        path = mkdtemp(t.data());
    }
    ~TempDir() { fs::remove_all(path); }
    std::string File(const std::string& name) const { return (path / name).string(); }
};

using SessionTest = SessionFixture;

TEST(SessionStartUp, FirstShowingLeavesScenarioOneWithTwoEmptyFields) {
    for (bool notShow : {false, true}) {
        ScriptedPrompts prompts;
        MemorySettings settings(notShow);
        AnsweredWelcome welcome(true); // its check box: do not show again
        TMainSession s(prompts, settings, welcome, "/opt/acremark/acremark");
        EXPECT_EQ(s.Caption, "Acremark$ (Version 5.50 - March 26, 2023)");
        s.DataModuleCreate(Tables());
        s.FormShow();
        EXPECT_EQ(welcome.Shows, notShow ? 0 : 1);
        EXPECT_TRUE(settings.NotShowWelcomeForm());
        if (!notShow) {
            EXPECT_EQ(welcome.LastTitle, s.Caption);
        }
        EXPECT_EQ(s.WelcomeStartCaption, "Resume");

        EXPECT_EQ(s.CurrentScenario(), 1);
        EXPECT_EQ(s.Crops.CropCount, 2);
        EXPECT_EQ(s.Crops.Crop(2).Section.Text, "Field # 2");
        EXPECT_EQ(s.Crops.Crop(3).Section.Text, "Add field #3");
        EXPECT_EQ(s.Crops.Crop(32).Section.Image, SectionImage::Add);
        EXPECT_TRUE(s.dmRisk.cdsRisk.empty()); // the new fields live in the columns
        EXPECT_EQ(s.RiskData.FileName, "/opt/acremark/acremark.crs");
        EXPECT_EQ(s.HelpTitle, "Acremark$ (Version 5.50 - March 26, 2023) ");
        EXPECT_EQ(s.HelpUserGuidePage, "res:///HelpUserGuide.htm");
        EXPECT_EQ(s.HelpAboutPage, "res:///About1.htm");
        EXPECT_TRUE(s.ComboBoxSoilType.Enabled);
        EXPECT_EQ(s.SoilZoneIndex(), -1);
        EXPECT_EQ(s.StatusBar1.Tag, 100);
        EXPECT_TRUE(prompts.Shown.empty());
    }
}

TEST_F(SessionTest, KnownLocationsSetRiskAreaAndSoilZoneForAllScenarios) {
    struct Case {
        const char *t, *r, *m;
        int32_t code;
        int riskIndex, soil;
    };
    for (const Case& c : {Case{"1", "1", "4", 401001, 3, 0}, Case{"23", "1", "4", 401023, 8, 1}}) {
        Locate(c.t, c.r, c.m);
        EXPECT_EQ(s.dmRisk.LocationCode, c.code);
        EXPECT_EQ(s.RiskAreaIndex(), c.riskIndex);
        EXPECT_EQ(s.SoilZoneIndex(), c.soil);
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(s.dmRisk.RiskAreaIndex[size_t(i)], c.riskIndex);
            EXPECT_EQ(s.dmRisk.SoilZoneIndex[size_t(i)], c.soil);
        }
        EXPECT_TRUE(s.ComboBoxSoilType.Enabled);
        EXPECT_EQ(s.ComboBoxSoilType.Color, CellColor::Aqua);
        EXPECT_TRUE(Col(1).Enabled);
        EXPECT_FALSE(s.SoilZoneWarning());
    }
    EXPECT_TRUE(prompts.Shown.empty());
    EXPECT_FALSE(s.dmRisk.FilteredCrops().empty());

    // The chosen soil zone goes to every scenario; one the risk area does not imply warns.
    s.ComboBoxSoilTypeChange(3);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(s.dmRisk.SoilZoneIndex[size_t(i)], 3);
    EXPECT_TRUE(s.SoilZoneWarning());
    s.ComboBoxSoilTypeChange(1);
    EXPECT_FALSE(s.SoilZoneWarning());
}

TEST_F(SessionTest, AnUnknownLocationWarnsAndDisablesTheColumns) {
    LocateBrown();
    s.HeaderControl1SectionClick(3);
    Locate("120", "1", "4"); // a township the tables do not hold
    ASSERT_EQ(prompts.Shown.size(), 1u);
    EXPECT_EQ(prompts.Shown[0].caption, "Warning");
    EXPECT_EQ(prompts.Shown[0].text,
              "\rPlease check the land location(TRM) ,\rit is not in Corvain crop coverage area.");
    EXPECT_EQ(s.dmRisk.LocationCode, 401120);
    EXPECT_EQ(s.RiskAreaIndex(), -1);
    EXPECT_EQ(s.SoilZoneIndex(), -1);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(s.dmRisk.RiskAreaIndex[size_t(i)], -1);
    EXPECT_FALSE(s.ComboBoxSoilType.Enabled);
    EXPECT_EQ(s.ComboBoxSoilType.Color, CellColor::White);
    EXPECT_TRUE(s.dmRisk.FilteredCrops().empty());
    for (int k : {1, 2, 3, 4})
        EXPECT_FALSE(Col(k).Enabled) << k;
    EXPECT_FALSE(s.Crops.FocusCell(1, 2));

    // Partial text changes nothing; a field shown now is as disabled as the others.
    s.DBEdit1Change(1, "");
    EXPECT_FALSE(Col(1).Enabled);
    s.HeaderControl1SectionClick(4);
    EXPECT_FALSE(Col(4).Enabled);

    Locate("1", "1", "4");
    EXPECT_TRUE(Col(4).Enabled);
    EXPECT_TRUE(s.ComboBoxSoilType.Enabled);
    EXPECT_EQ(s.RiskAreaIndex(), 3);
}

TEST_F(SessionTest, LocationEditsRefuseWhatTheirFieldsCannotHold) {
    s.DBEdit1Change(0, "1");
    EXPECT_TRUE(s.LocationEditExit(0));
    EXPECT_TRUE(prompts.Shown.empty()); // range and meridian still empty: nothing happens
    EXPECT_EQ(s.RiskAreaIndex(), -1);

    s.DBEdit1Change(1, "abc");
    EXPECT_FALSE(s.LocationEditExit(1));
    s.DBEdit1Change(2, "9");
    EXPECT_FALSE(s.LocationEditExit(2));
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "'abc' is not a valid integer value for field 'Range'",
                           "9 is not a valid value for field 'Meridian'. The allowed range is 4 "
                           "to 6"}));
    EXPECT_EQ(s.LocationEdit, (std::array<std::string, 3>{"1", "", ""}));
}

TEST_F(SessionTest, BlankScenarioQuestionPreselectsThePreviousScenario) {
    LocateBrown();
    for (auto [q, pre] : {std::pair{2, 1}, {5, 4}, {8, 7}}) {
        prompts.Shown.clear();
        s.ComboBoxScenarioChange(q);
        ASSERT_EQ(prompts.Shown.size(), 1u);
        EXPECT_EQ(prompts.Shown[0].caption, "Warning: Blank Scenario");
        EXPECT_EQ(prompts.Shown[0].text, "Scenario " + std::to_string(q) +
                                             " is a blank scenario\rDo you want to copy from "
                                             "Scenario " +
                                             std::to_string(pre) + "?");
        EXPECT_EQ(s.Crops.CropCount, 0);
        EXPECT_EQ(Col(1).Section.Text, "Add field #1");
        EXPECT_FALSE(s.ComboBoxSoilType.Enabled);
    }
    // Scenario 1 emptied and shown again: it preselects itself.
    s.ComboBoxScenarioChange(1);
    EXPECT_TRUE(s.ComboBoxSoilType.Enabled);
    s.miClearCurrentScenarioClick();
    s.ComboBoxScenarioChange(3);
    prompts.Shown.clear();
    s.ComboBoxScenarioChange(1);
    ASSERT_EQ(prompts.Shown.size(), 1u);
    EXPECT_EQ(prompts.Shown[0].text,
              "Scenario 1 is a blank scenario\rDo you want to copy from Scenario 1?");
}

TEST_F(SessionTest, SwitchingKeepsTypedValuesAndCopiesOnYes) {
    LocateBrown();
    ChooseCrop(1, 2);
    Type(1, fAcres, "160");
    Type(2, fAcres, "80", false); // still in the edit when the selector takes the focus
    s.EditScenarioDescriptionChange("Barley plan");
    s.RiskData.Legacy.At(1, 1, 0) = 7;

    s.ComboBoxScenarioChange(3); // No: stays blank, and asks again next time
    s.ComboBoxScenarioChange(1);
    EXPECT_DOUBLE_EQ(Num(1, fAcres), 160);
    EXPECT_DOUBLE_EQ(Num(2, fAcres), 80);
    EXPECT_EQ(s.EditScenarioDescription, "Barley plan");
    EXPECT_FALSE(s.dmRisk.cdsRisk.HasScenario(3));

    prompts.Shown.clear();
    prompts.CopyAnswers = {{true, 1}};
    s.ComboBoxScenarioChange(3);
    ASSERT_EQ(prompts.Shown.size(), 1u);
    EXPECT_EQ(s.CurrentScenario(), 3);
    EXPECT_EQ(s.Crops.CropCount, 2);
    EXPECT_EQ(Rec(1).AsInteger(fScenarioID), 3);
    EXPECT_DOUBLE_EQ(Num(1, fAcres), 160);
    EXPECT_EQ(s.EditScenarioDescription, "Barley plan");
    EXPECT_EQ(s.dmRisk.ScenarioDescriptions[2], "Barley plan");
    EXPECT_EQ(s.RiskData.Legacy.At(3, 1, 0), 7.0f);

    // Later edits of the copy leave the original alone.
    Type(1, fAcres, "10");
    s.ComboBoxScenarioChange(1);
    EXPECT_DOUBLE_EQ(Num(1, fAcres), 160);
    EXPECT_DOUBLE_EQ(s.dmRisk.cdsRisk.Locate(3, 1)->AsFloat(fAcres), 10);
}

TEST_F(SessionTest, CopyFromAndClearReplaceTheShownScenario) {
    LocateBrown();
    Type(1, fAcres, "100");
    s.EditScenarioDescriptionChange("Source");
    s.RiskData.Legacy.At(1, 2, 5) = 3;
    s.RiskData.Legacy.At(1, 2, 36) = 9; // beyond the copied entries
    prompts.CopyAnswers = {{false, 0}};
    s.ComboBoxScenarioChange(2);
    s.HeaderControl1SectionClick(3);
    Type(3, fAcres, "5");
    s.RiskData.Legacy.At(2, 2, 36) = 1;

    EXPECT_EQ(s.PopupMenu1Popup(),
              (std::array<bool, 8>{true, false, true, true, true, true, true, true}));
    s.miScenario1Click(1);
    EXPECT_EQ(s.Crops.CropCount, 2);
    EXPECT_DOUBLE_EQ(Num(1, fAcres), 100);
    EXPECT_EQ(Rec(1).AsInteger(fScenarioID), 2);
    EXPECT_EQ(s.EditScenarioDescription, "Source");
    EXPECT_EQ(s.dmRisk.ScenarioDescriptions[1], "Source");
    EXPECT_EQ(s.RiskData.Legacy.At(2, 2, 5), 3.0f);
    EXPECT_EQ(s.RiskData.Legacy.At(2, 2, 36), 1.0f);

    s.RiskData.Legacy.At(2, 3, 9) = 4;
    s.RiskData.Legacy.At(2, 3, 10) = 4;
    s.miClearCurrentScenarioClick();
    EXPECT_EQ(s.Crops.CropCount, 0);
    EXPECT_FALSE(s.dmRisk.cdsRisk.HasScenario(2));
    EXPECT_EQ(s.dmRisk.ScenarioDescriptions[1], "");
    EXPECT_EQ(s.RiskData.Legacy.At(2, 3, 9), 0.0f);
    EXPECT_EQ(s.RiskData.Legacy.At(2, 3, 10), 4.0f);
    EXPECT_TRUE(s.dmRisk.cdsRisk.HasScenario(1));

    s.miScenario1Click(5); // a blank source leaves the scenario blank
    EXPECT_EQ(s.Crops.CropCount, 0);
}

TEST_F(SessionTest, DescriptionIsStoredCutToFiftyCharacters) {
    const std::string text(60, 'x');
    s.EditScenarioDescriptionChange(text);
    EXPECT_EQ(s.EditScenarioDescription, text);
    EXPECT_EQ(s.dmRisk.ScenarioDescriptions[0], std::string(50, 'x'));
}

TEST_F(SessionTest, SaveThenOpenWhileAnotherScenarioIsShown) {
    TempDir dir;
    LocateBrown();
    s.ComboBoxSoilTypeChange(2); // the user's soil zone, not the location's default
    ChooseCrop(1, 2);
    Type(1, fAcres, "120", false); // written back by Save before the file is written
    s.EditScenarioDescriptionChange("Plan A");

    prompts.FileNames = {dir.File("farm.dat")};
    EXPECT_TRUE(s.BitBtnSaveClick());
    const std::string file = dir.File("farm.crs");
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(s.RiskData.FileName, file);
    EXPECT_EQ(s.Caption,
              "Acremark$ (Version 5.50 - March 26, 2023)  - farm.crs (" + dir.path.string() + ")");
    EXPECT_EQ(s.PanelFileName, "farm");
    EXPECT_DOUBLE_EQ(s.dmRisk.cdsRisk.Locate(1, 1)->AsFloat(fAcres), 120);

    // Elsewhere, with other data and results, scenario 4 shown.
    Locate("23", "1", "4");
    s.SetTargetText(10, "5000");
    prompts.CopyAnswers = {{true, 1}};
    s.ComboBoxScenarioChange(4);
    Type(1, fAcres, "7");
    prompts.Shown.clear();

    prompts.FileNames = {file};
    s.BitBtnOpenClick();
    EXPECT_EQ(prompts.FileDialogPresets.back(), file);
    EXPECT_TRUE(prompts.Shown.empty());
    EXPECT_EQ(s.CurrentScenario(), 1);
    EXPECT_EQ(s.Crops.ScenarioNo, 1);
    EXPECT_FALSE(s.dmRisk.cdsRisk.HasScenario(4));
    EXPECT_DOUBLE_EQ(Num(1, fAcres), 120);
    EXPECT_EQ(s.EditScenarioDescription, "Plan A");
    EXPECT_EQ(s.LocationEdit, (std::array<std::string, 3>{"1", "1", "4"}));
    EXPECT_EQ(s.RiskAreaIndex(), 3);
    EXPECT_EQ(s.SoilZoneIndex(), 2); // kept from the file
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(s.dmRisk.SoilZoneIndex[size_t(i)], 2);
    EXPECT_TRUE(s.ComboBoxSoilType.Enabled);
    EXPECT_EQ(s.PanelFileName, "farm");
    EXPECT_EQ(s.Runs.Grid().Cell(0, 10), "5000"); // targets stay
}

TEST_F(SessionTest, OpeningAFileThatCannotBeReadChangesNothing) {
    TempDir dir;
    LocateBrown();
    Type(1, fAcres, "33");
    prompts.CopyAnswers = {{true, 1}};
    s.ComboBoxScenarioChange(4);
    const std::string before = s.RiskData.FileName;
    const TFieldTable store = s.dmRisk.cdsRisk;

    std::ofstream(dir.File("bad.crs")) << "not a scenario file";
    for (const std::string& name : {dir.File("bad.crs"), dir.File("missing.crs")}) {
        prompts.FileNames = {name};
        s.BitBtnOpenClick();
        EXPECT_EQ(s.CurrentScenario(), 4);
        EXPECT_EQ(s.RiskData.FileName, before);
        EXPECT_EQ(s.dmRisk.cdsRisk, store);
        EXPECT_DOUBLE_EQ(Num(1, fAcres), 33);
    }
    ASSERT_EQ(prompts.Shown.size(), 2u); // the copy question, then the refusal only
    EXPECT_EQ(prompts.Shown[1].caption, "Error");
    EXPECT_EQ(prompts.Shown[1].text, "Invalid Data File");
}

TEST_F(SessionTest, ClosingAsksToSaveAndStaysOpenUnlessSaved) {
    TempDir dir;
    struct Case {
        PromptAnswer answer;
        std::optional<std::string> saveAs;
        bool closed, written;
    };
    const Case cases[] = {
        {PromptAnswer::Cancel, std::nullopt, false, false},
        {PromptAnswer::No, std::nullopt, true, false},
        {PromptAnswer::Yes, std::nullopt, false, false},                     // dialog cancelled
        {PromptAnswer::Yes, dir.File("no/such/folder/x.crs"), false, false}, // save failed
        {PromptAnswer::Yes, dir.File("kept.crs"), true, true},
    };
    for (const Case& c : cases) {
        ScriptedPrompts p;
        MemorySettings settings(true);
        AnsweredWelcome welcome;
        TMainSession session(p, settings, welcome);
        session.DataModuleCreate(Tables());
        session.FormShow();
        p.YesNoCancelAnswers = {c.answer};
        p.FileNames = {c.saveAs};
        EXPECT_EQ(session.FormCloseQuery(), c.closed);
        EXPECT_EQ(session.Closed, c.closed);
        ASSERT_FALSE(p.Shown.empty());
        EXPECT_EQ(p.Shown[0].text, "Do you want to save the input data?");
        if (c.saveAs) {
            EXPECT_EQ(fs::exists(*c.saveAs), c.written);
        }
        if (c.saveAs && !c.written) {
            EXPECT_EQ(p.Shown.back().caption, "Error");
        }
    }
}

TEST_F(SessionTest, RunWritesResultsIntoColumnsGridAndStatusBar) {
    LocateBrown();
    s.RunSeed = 42;
    for (int k : {1, 2}) {
        ChooseCrop(k, k == 1 ? 2 : 9);
        Type(k, fAcres, "100");
        Type(k, fYieldLow, "20");
        Type(k, fYieldMost, "40");
        Type(k, fYieldHigh, "60");
        Type(k, fPriceLow, "6");
        Type(k, fPriceMost, "8");
        Type(k, fPriceHigh, k == 1 ? "10" : "", false); // the second one is left blank
    }
    RunOutcome refused = s.BitBtn1Click();
    EXPECT_TRUE(refused.refused);
    EXPECT_EQ(prompts.Shown.back().text, "Blank value: Best Possible Price in Field # 2");
    EXPECT_EQ(s.StatusBar1.Panels[0], "");

    Type(2, fPriceHigh, "12");
    RunOutcome o = s.RadioGroupIterationClick(0);
    ASSERT_FALSE(o.refused) << o.message;
    EXPECT_EQ(s.Runs.Result(1).iterations, 1000);
    EXPECT_EQ(o.seed, 42u);
    for (int k : {1, 2}) {
        EXPECT_FALSE(Null(k, fCM));
        EXPECT_FALSE(Null(k, fGMSD));
    }
    EXPECT_FALSE(s.Runs.Grid().Cell(1, 3).empty());
    EXPECT_TRUE(s.Runs.Grid().Cell(2, 3).empty());
    EXPECT_EQ(s.StatusBar1.Panels[0], "1");
    EXPECT_EQ(s.StatusBar1.Panels[2].rfind("Time:  ", 0), 0u);
    EXPECT_EQ(s.StatusBar1.Tag, 100);
    EXPECT_GT(s.StatusBar1.Repaints, 0);
    s.BitBtn1Click();
    EXPECT_EQ(s.StatusBar1.Panels[0], "2");

    // The results reach the store with the columns.
    const double cm = Num(1, fCM), gm = Num(2, fGM);
    s.ComboBoxScenarioChange(2);
    EXPECT_DOUBLE_EQ(s.dmRisk.cdsRisk.Locate(1, 1)->AsFloat(fCM), cm);
    EXPECT_DOUBLE_EQ(s.dmRisk.cdsRisk.Locate(1, 2)->AsFloat(fGM), gm);

    // Opening a file clears every result.
    TempDir dir;
    s.ComboBoxScenarioChange(1);
    prompts.FileNames = {dir.File("r.crs")};
    s.BitBtnSaveClick();
    prompts.FileNames = {dir.File("r.crs")};
    s.BitBtnOpenClick();
    EXPECT_TRUE(s.Runs.Grid().Cell(1, 3).empty());
    EXPECT_TRUE(TScenarioSummary::IsEmpty(s.Runs.Result(1).summary));
    EXPECT_FALSE(s.Runs.Result(1).ran);
}

TEST(StatusBar, SpectralBarAndPanelText) {
    EXPECT_EQ(StatusPanelFilled(200, 42), 84);
    EXPECT_EQ(StatusPanel2Width(600), 390);
    EXPECT_EQ(StatusPanelFilled(200, 0), 0);
    EXPECT_EQ(StatusPanel2Text(42, "Time:  1.000 seconds"), "42 %");
    EXPECT_EQ(StatusPanel2Text(100, "Time:  1.000 seconds"), "Time:  1.000 seconds");

    // The left end is deep red, the right end violet, both at 30 % intensity.
    EXPECT_EQ(SpectralColorAt(0), (TRgb{97, 0, 0}));
    EXPECT_EQ(SpectralColorAt(1), (TRgb{97, 0, 97}));
    EXPECT_EQ(SpectralColor(500), (TRgb{0, 255, 146}));
    EXPECT_EQ(SpectralColor(600), (TRgb{255, 190, 0}));
    EXPECT_EQ(SpectralColor(781), (TRgb{0, 0, 0}));
    EXPECT_EQ(SpectralColorAt(-0.001), (TRgb{0, 0, 0}));
    EXPECT_EQ(SpectralColorAt(1.5), (TRgb{0, 0, 0}));

    TStatusBarModel bar;
    bar.Panels[2] = "Time:  0.500 seconds";
    bar.SetPercent(42);
    bar.Repaint();
    EXPECT_EQ(bar.Panels[2], "42 %");
    EXPECT_EQ(StatusClockText({2023, 3, 6, 9, 5, 7}), " Mar 6, 09:05:07");
}

} // namespace
