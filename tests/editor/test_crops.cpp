// The field columns: totals while typing, lease exclusions, cost profiles, crop choice and twin
// columns, insurance across a crop's columns, adding and removing fields, loading and saving,
// the focus keys and the malt barley dialog.
#include "editor_fixture.h"

#include <cmath>

using namespace acremark;
using namespace acremark::test;

namespace {

using ColumnTest = SessionFixture;

constexpr double kBarleyPremium70 = 16.936165; // 8.05 × (40.23468 × 0.7) × 0.0747

TEST_F(ColumnTest, TotalFollowsTheTypedTextBeforeItIsStored) {
    LocateBrown();
    Type(1, fB1, "60");
    Type(1, fB3, "40");
    EXPECT_DOUBLE_EQ(Num(1, fB), 100);

    Type(1, fB2, "12.5", false);
    EXPECT_DOUBLE_EQ(Num(1, fB), 112.5);
    EXPECT_TRUE(Null(1, fB2)); // still in the edit
    EXPECT_EQ(Col(1).CellText(17), "12.5");
    EXPECT_EQ(Col(1).CellText(30), "112.50");

    Col(1).EditTextChanged(17, "");
    EXPECT_DOUBLE_EQ(Num(1, fB), 100);
    Col(1).EditTextChanged(17, "12.5x"); // not a number yet: the total stays
    EXPECT_DOUBLE_EQ(Num(1, fB), 100);

    EXPECT_FALSE(s.Crops.LeaveFocus());
    ASSERT_FALSE(prompts.Shown.empty());
    EXPECT_EQ(prompts.Shown.back().text,
              "'12.5x' is not a valid floating point value for field 'B2'");
    EXPECT_TRUE(Null(1, fB2));
    EXPECT_EQ(Col(1).CellText(17), "");
    EXPECT_DOUBLE_EQ(Num(1, fB), 100);

    Col(1).EditTextChanged(17, "12.5");
    EXPECT_TRUE(s.Crops.LeaveFocus());
    EXPECT_DOUBLE_EQ(Num(1, fB2), 12.5);
    EXPECT_EQ(Col(1).CellText(17), "12.50");
    EXPECT_DOUBLE_EQ(Num(1, fB), 112.5);
}

TEST_F(ColumnTest, LeaseLinesExcludeEachOther) {
    LocateBrown();
    struct Case {
        int typed;
        const char* text;
        std::vector<int> blanked, kept;
        double c;
    };
    const Case cases[] = {
        {fC1, "100", {fC2, fC3, fC4, fC5}, {}, 112},
        {fC2, "30", {fC1}, {fC3, fC4, fC5}, 12},
        {fC3, "50", {fC1, fC4}, {fC2, fC5}, 12},
        {fC4, "20", {fC1, fC3}, {fC2, fC5}, 12},
        {fC5, "10", {fC1}, {fC2, fC3, fC4}, 12},
        {fC1, "", {}, {fC2, fC3, fC4, fC5}, 12}, // clearing a line clears nothing else
    };
    for (const Case& c : cases) {
        FieldRecord& r = Col(1).Record();
        for (auto [f, v] : {std::pair{fC1, 1.0},
                            {fC2, 40.0},
                            {fC3, 50.0},
                            {fC4, 20.0},
                            {fC5, 10.0},
                            {fC6, 5.0},
                            {fC7, 7.0}})
            r.Set(f, v);
        Type(1, c.typed, c.text);
        SCOPED_TRACE(FieldDef(c.typed).name);
        for (int f : c.blanked)
            EXPECT_TRUE(Null(1, f)) << FieldDef(f).name;
        for (int f : c.kept)
            EXPECT_FALSE(Null(1, f)) << FieldDef(f).name;
        EXPECT_DOUBLE_EQ(Num(1, fC), c.c);
    }
}

TEST_F(ColumnTest, PracticeAndSoilZoneChooseTheCostProfile) {
    LocateBrown();
    s.HeaderControl1SectionClick(3);
    ChooseCrop(1, 2); // feed barley on stubble in the Brown zone: profile (2, 1, 1)
    EXPECT_EQ(Rec(1).AsInteger(fSFI), 1);
    EXPECT_EQ(Rec(1).AsString(fUnit), "bushels");
    EXPECT_DOUBLE_EQ(Num(1, fB1), 28.85);
    EXPECT_DOUBLE_EQ(Num(1, fB2), 122.9);
    EXPECT_TRUE(Null(1, fB4));
    EXPECT_DOUBLE_EQ(Num(1, fB14), 6.8);
    EXPECT_NEAR(Num(1, fB), 283.4, 1e-9);
    EXPECT_NEAR(Num(1, fC), 12.95, 1e-9);
    EXPECT_FALSE(Col(1).Control(kTagB4).Enabled);

    Type(1, fC1, "40");
    ChoosePractice(1, 3); // irrigated: profile (2, 6, 3) whatever the soil zone
    EXPECT_DOUBLE_EQ(Num(1, fB2), 198.75);
    EXPECT_DOUBLE_EQ(Num(1, fB7), 30.4);
    EXPECT_DOUBLE_EQ(Num(1, fC6), 15.35);
    EXPECT_NEAR(Num(1, fC), 40 + 15.35 + 14.0, 1e-9);
    EXPECT_DOUBLE_EQ(Num(1, fC1), 40); // not a profile line

    ChoosePractice(1, 2); // fallow
    EXPECT_DOUBLE_EQ(Num(1, fB2), 104.2);

    // Beans have irrigated profiles only: on stubble every line is blank, the totals 0 (or
    // the cash rent), also in a new field whose lines were blank before.
    ChooseCrop(3, 5);
    EXPECT_DOUBLE_EQ(Num(3, fB), 0);
    EXPECT_DOUBLE_EQ(Num(3, fC), 0);
    Type(2, fC1, "25");
    ChooseCrop(2, 4);
    for (int f = fB1; f <= fB14; ++f)
        EXPECT_TRUE(Null(2, f)) << FieldDef(f).name;
    EXPECT_TRUE(Null(2, fC6));
    EXPECT_DOUBLE_EQ(Num(2, fB), 0);
    EXPECT_DOUBLE_EQ(Num(2, fC), 25);
}

TEST_F(ColumnTest, CropChoiceNeedsSoilZoneAndRiskArea) {
    ChooseCrop(1, 2);
    ASSERT_EQ(prompts.Shown.size(), 1u);
    EXPECT_EQ(prompts.Shown[0].caption, "Warning");
    EXPECT_EQ(prompts.Shown[0].text, "**Warning**:\rPlease select Soil Type and Risk Area first.");
    EXPECT_TRUE(Null(1, fCrop));
    EXPECT_TRUE(Col(1).NoCropField);

    LocateBrown();
    ChooseCrop(1, 11);
    ASSERT_EQ(prompts.Shown.size(), 2u);
    EXPECT_EQ(prompts.Shown[1].caption, "Warning!");
    EXPECT_EQ(prompts.Shown[1].text.rfind("Information about this crop is scarce", 0), 0u);
    EXPECT_EQ(Rec(1).AsInteger(fCrop), 11);
    EXPECT_FALSE(Col(1).NoCropField);
}

TEST_F(ColumnTest, ASecondColumnOfACropCopiesTheFirstButNotItsAcresOrName) {
    LocateBrown();
    ChooseCrop(1, 2);
    Type(1, fDescription, "North");
    Type(1, fAcres, "120");
    Type(1, fYieldLow, "20");
    Type(1, fYieldMost, "40");
    Type(1, fPriceMost, "8");
    Type(1, fB1, "31");
    ChoosePractice(1, 2);
    Type(1, fB1, "33.3");

    ChooseCrop(2, 2);
    for (int f = fYieldLow; f <= fC; ++f)
        EXPECT_EQ(Rec(2).Get(f), Rec(1).Get(f)) << FieldDef(f).name;
    EXPECT_EQ(Rec(2).Get(fSFI), Rec(1).Get(fSFI));
    EXPECT_TRUE(Null(2, fAcres));
    EXPECT_TRUE(Null(2, fDescription));
    EXPECT_FALSE(Col(2).Control(kTagCoverageAdjustment).Enabled);

    // An insured twin passes its insurance on, with its controls.
    s.Crops.FocusCell(1, kTagInsurance);
    Col(1).DBCheckBoxCIClick(true);
    s.HeaderControl1SectionClick(3);
    ChooseCrop(3, 2);
    EXPECT_TRUE(Rec(3).AsBoolean(fInsurance));
    EXPECT_EQ(Rec(3).AsInteger(fCoverageLevel), 3);
    EXPECT_NEAR(Num(3, fB4), kBarleyPremium70, 5e-7);
    EXPECT_TRUE(Col(3).Control(kTagB4).Enabled);
    EXPECT_EQ(Col(3).DrawnColor(kTagB4), CellColor::White);
}

TEST_F(ColumnTest, AnotherCropStartsWithoutTheFormerCropsInsurance) {
    LocateBrown();
    ChooseCrop(1, 2);
    s.Crops.FocusCell(1, kTagInsurance);
    Col(1).DBCheckBoxCIClick(true);
    ASSERT_FALSE(Null(1, fCoverageAdjustment));

    ChooseCrop(1, 9);
    EXPECT_FALSE(Rec(1).AsBoolean(fInsurance));
    EXPECT_TRUE(Null(1, fCoverageLevel));
    EXPECT_TRUE(Null(1, fCoverageAdjustment));
    EXPECT_TRUE(Null(1, fB4));
    for (int tag : {kTagCoverageLevel, kTagCoverageAdjustment, kTagB4})
        EXPECT_EQ(Col(1).DrawnColor(tag), CellColor::Grey);

    // Switched on again, the new crop's normal yield is taken (canola, 401001).
    Col(1).DBCheckBoxCIClick(true);
    auto row = Tables()->cdsCIRates.Find(9, 401001);
    ASSERT_TRUE(row && row->NormalYield);
    EXPECT_DOUBLE_EQ(Num(1, fCoverageAdjustment), *row->NormalYield);
}

TEST_F(ColumnTest, InsuranceFollowsTheCropAcrossItsColumns) {
    LocateBrown();
    s.HeaderControl1SectionClick(4);
    for (int k : {1, 2, 3})
        ChooseCrop(k, 2);
    ChooseCrop(4, 9);

    s.Crops.FocusCell(2, kTagInsurance);
    Col(2).DBCheckBoxCIClick(true);
    for (int k : {1, 2, 3}) {
        SCOPED_TRACE(k);
        EXPECT_TRUE(Rec(k).AsBoolean(fInsurance));
        EXPECT_EQ(Rec(k).AsInteger(fCoverageLevel), 3);
        EXPECT_DOUBLE_EQ(Num(k, fCoverageAdjustment), 40.23468); // not its display "40.23"
        EXPECT_NEAR(Num(k, fB4), kBarleyPremium70, 5e-7);
        EXPECT_NEAR(Num(k, fB), 283.4 + Num(k, fB4), 1e-9);
        for (int tag : {kTagCoverageLevel, kTagCoverageAdjustment, kTagB4})
            EXPECT_TRUE(Col(k).Control(tag).Enabled);
        EXPECT_FALSE(Col(k).Control(kTagSPE).Enabled);
        EXPECT_EQ(Col(k).CellText(kTagCoverageAdjustment), "40.23");
    }
    EXPECT_FALSE(Rec(4).AsBoolean(fInsurance)); // another crop

    // A base coverage typed in one column: shown in the others while typed, then stored.
    Type(3, fCoverageAdjustment, "35.5", false);
    EXPECT_EQ(Col(1).CellText(kTagCoverageAdjustment), "35.5");
    s.Crops.LeaveFocus();
    const double premium35 = 8.05 * (35.5 * 0.7) * 0.0747;
    for (int k : {1, 2, 3}) {
        EXPECT_DOUBLE_EQ(Num(k, fCoverageAdjustment), 35.5);
        EXPECT_NEAR(Num(k, fB4), premium35, 1e-9);
        EXPECT_EQ(Col(k).CellText(kTagCoverageAdjustment), "35.50");
    }

    // A coverage level chosen in one column is every column's, the endorsement off.
    Col(3).Record().Set(fSPE, true);
    s.Crops.FocusCell(1, kTagCoverageLevel);
    Col(1).DBLookupComboBoxCIClick(4);
    for (int k : {1, 2, 3}) {
        EXPECT_EQ(Rec(k).AsInteger(fCoverageLevel), 4);
        EXPECT_FALSE(Rec(k).AsBoolean(fSPE));
        EXPECT_NEAR(Num(k, fB4), 8.05 * (35.5 * 0.8) * 0.0986, 1e-9);
    }
    EXPECT_EQ(Col(2).CellText(kTagCoverageLevel), "80%");

    // Off in any column: off in all, premiums and coverage blank.
    s.Crops.FocusCell(1, kTagInsurance);
    Col(1).DBCheckBoxCIClick(false);
    for (int k : {1, 2, 3}) {
        SCOPED_TRACE(k);
        EXPECT_FALSE(Rec(k).AsBoolean(fInsurance));
        EXPECT_TRUE(Null(k, fB4));
        EXPECT_TRUE(Null(k, fCoverageAdjustment));
        EXPECT_NEAR(Num(k, fB), 283.4, 1e-9);
        EXPECT_EQ(Col(k).DrawnColor(kTagB4), CellColor::Grey);
    }
    EXPECT_EQ(Rec(1).AsInteger(fCoverageLevel), -1);
    EXPECT_TRUE(Null(2, fCoverageLevel));
}

TEST_F(ColumnTest, InsuranceOnWithABaseCoverageGivesThatCoverageToTheCrop) {
    LocateBrown();
    ChooseCrop(1, 2);
    ChooseCrop(2, 2);
    Col(1).Record().Set(fCoverageAdjustment, 30.0); // as an opened file may hold it
    s.Crops.FocusCell(1, kTagInsurance);
    Col(1).DBCheckBoxCIClick(true);
    const double premium = 8.05 * (30.0 * 0.7) * 0.0747;
    for (int k : {1, 2}) {
        EXPECT_DOUBLE_EQ(Num(k, fCoverageAdjustment), 30.0);
        EXPECT_NEAR(Num(k, fB4), premium, 1e-9);
    }

    // Alone in its crop, the clicked column still gets its premium.
    s.HeaderControl1SectionClick(3);
    ChooseCrop(3, 9);
    Col(3).Record().Set(fCoverageAdjustment, 25.0);
    s.Crops.FocusCell(3, kTagInsurance);
    Col(3).DBCheckBoxCIClick(true);
    const double spring = *Tables()->cdsCIPrice.Find(9)->SpringPrice;
    const int rate = Tables()->cdsCIRates.Find(9, 401001)->Rate(3, false);
    EXPECT_NEAR(Num(3, fB4), spring * 25.0 * 0.7 * rate / 10000.0, 1e-9);
}

TEST_F(ColumnTest, InsuranceBoxIsIgnoredUntilACropIsChosen) {
    LocateBrown();
    s.Crops.FocusCell(1, kTagInsurance);
    Col(1).DBCheckBoxCIClick(true);
    EXPECT_TRUE(Rec(1).AsBoolean(fInsurance)); // the box writes its field
    EXPECT_TRUE(Null(1, fCoverageLevel));
    EXPECT_FALSE(Col(1).Control(kTagCoverageLevel).Enabled);
}

TEST_F(ColumnTest, HeaderClicksAddFieldsFromTheLeftAndRemoveToTheRight) {
    LocateBrown();
    s.HeaderControl1SectionClick(6);
    EXPECT_EQ(s.Crops.CropCount, 6);
    for (int k = 3; k <= 6; ++k) {
        EXPECT_EQ(Col(k).Section.Text, "Field # " + std::to_string(k));
        EXPECT_EQ(Col(k).Section.Image, SectionImage::Field);
        EXPECT_EQ(Rec(k).AsInteger(fScenarioID), 1);
        EXPECT_EQ(Rec(k).AsInteger(fFieldID), k);
        EXPECT_FALSE(Rec(k).AsBoolean(fInsurance));
        EXPECT_FALSE(Null(k, fSPE));
        EXPECT_FALSE(Col(k).Control(kTagCoverageLevel).Enabled);
    }
    EXPECT_EQ(Col(7).Section.Text, "Add field #7");
    EXPECT_TRUE(prompts.Shown.empty());

    ChooseCrop(2, 3); // a malt barley layout, which a new field there must not inherit
    Type(1, fAcres, "50");
    s.Crops.FocusCell(1, 2);

    prompts.YesNoAnswers = {false};
    s.HeaderControl1SectionClick(2);
    EXPECT_EQ(s.Crops.CropCount, 6);
    ASSERT_EQ(prompts.Shown.size(), 1u);
    EXPECT_EQ(prompts.Shown[0].text,
              "Are you sure you want to delete this field and the fields to right?");

    prompts.YesNoAnswers = {true};
    s.HeaderControl1SectionClick(2);
    EXPECT_EQ(s.Crops.CropCount, 1);
    for (int k = 2; k <= 6; ++k) {
        EXPECT_FALSE(Col(k).Shown());
        EXPECT_EQ(Col(k).Section.Text, "Add field");
        EXPECT_EQ(Col(k).Section.Image, SectionImage::Removed);
    }
    EXPECT_EQ(Col(1).Section.Image, SectionImage::Focus);

    // The store loses the removed fields at the next write-back.
    s.Crops.SaveDataSet();
    EXPECT_EQ(s.dmRisk.cdsRisk.Scenario(1).size(), 1u);
    EXPECT_DOUBLE_EQ(s.dmRisk.cdsRisk.Locate(1, 1)->AsFloat(fAcres), 50);

    s.AddAField1Click();
    EXPECT_EQ(s.Crops.CropByID(1), &Col(2));
    EXPECT_TRUE(Col(2).Shown());
    EXPECT_FALSE(Col(2).MaltLayout);
    EXPECT_TRUE(Col(2).NoCropField);
    EXPECT_FALSE(Col(3).Shown());
}

TEST_F(ColumnTest, LoadingShowsExactlyTheStoredFields) {
    FieldRecord a, c;
    for (auto [r, id] : {std::pair{&a, 1}, {&c, 3}}) {
        r->Set(fScenarioID, int64_t(2));
        r->Set(fFieldID, int64_t(id));
        r->Set(fCrop, int64_t(2));
    }
    c.Set(fInsurance, true);
    s.dmRisk.cdsRisk.Append(a);
    s.dmRisk.cdsRisk.Append(c);
    s.Crops.LoadDataSet(2);
    EXPECT_EQ(s.Crops.ScenarioNo, 2);
    EXPECT_EQ(s.Crops.CropCount, 2);
    EXPECT_EQ(s.Crops.RunFieldCount(), 1);
    EXPECT_TRUE(Col(1).Shown());
    EXPECT_FALSE(Col(2).Shown());
    EXPECT_EQ(Col(2).Section.Text, "Add field #2");
    EXPECT_EQ(Col(2).Section.Image, SectionImage::Add);
    EXPECT_EQ(Col(3).Section.Text, "Field # 3");
    EXPECT_FALSE(Col(3).NoCropField);
    EXPECT_TRUE(Col(3).Control(kTagB4).Enabled);
    EXPECT_EQ(Col(3).DrawnColor(kTagCoverageLevel), CellColor::White);
    EXPECT_FALSE(Col(1).Control(kTagCoverageAdjustment).Enabled);
    EXPECT_FALSE(Col(3).Control(kTagSPE).Enabled);
}

TEST_F(ColumnTest, VerticalKeysWrapWithinTheColumnAndSkipDisabledControls) {
    LocateBrown();
    ASSERT_TRUE(s.Crops.FocusCell(1, 38));
    s.FormKeyDown(NavKey::Down);
    EXPECT_EQ(s.Crops.Focus, (TCellPos{1, 1}));
    s.FormKeyDown(NavKey::Up);
    EXPECT_EQ(s.Crops.Focus, (TCellPos{1, 38}));
    EXPECT_EQ(s.Crops.ActiveRow, 38);

    // Uninsured: endorsement, coverage level and base coverage cannot take the focus.
    s.Crops.FocusCell(1, 11);
    s.FormKeyDown(NavKey::Enter);
    EXPECT_EQ(s.Crops.Focus, (TCellPos{1, 12}));
    s.FormKeyDown(NavKey::Down);
    EXPECT_EQ(s.Crops.Focus, (TCellPos{1, 16}));
    s.FormKeyDown(NavKey::Up);
    EXPECT_EQ(s.Crops.Focus, (TCellPos{1, 12}));
}

TEST_F(ColumnTest, SideKeysMoveAlongTheActiveRowAcrossShownColumns) {
    LocateBrown();
    s.FormKeyDown(NavKey::Right); // no active row yet
    EXPECT_FALSE(s.Crops.Focus);
    EXPECT_EQ(s.Crops.ActiveRow, -1);

    s.HeaderControl1SectionClick(4);
    s.Crops.FocusCell(4, 7);
    s.FormKeyDown(NavKey::Right);
    EXPECT_EQ(s.Crops.Focus, (TCellPos{1, 7}));
    EXPECT_EQ(Col(1).Section.Image, SectionImage::Focus);
    EXPECT_EQ(Col(4).Section.Image, SectionImage::Field);
    s.FormKeyDown(NavKey::Left);
    EXPECT_EQ(s.Crops.Focus, (TCellPos{4, 7}));
    s.FormKeyDown(NavKey::Left);
    EXPECT_EQ(s.Crops.Focus, (TCellPos{3, 7}));
    EXPECT_EQ(s.Crops.ActiveCrop, 3);

    // A row that the next column cannot take leaves the focus where it is.
    s.Crops.FocusCell(3, 5);
    s.Crops.SetColumnsEnabled(true);
    Col(4).Enabled = false;
    s.FormKeyDown(NavKey::Right);
    EXPECT_EQ(s.Crops.Focus, (TCellPos{3, 5}));
}

TEST_F(ColumnTest, MaltBarleyColumnsOpenTheDialogFromTheirPriceCells) {
    LocateBrown();
    malt.step = [](TMaltBarleyForm& form) {
        EXPECT_EQ(form.SpinValue, 100);
        EXPECT_EQ(form.FocusTag, 1);
        form.EditTextChanged(1, "5");
        form.SetFocusTag(4); // stores the malt worst price
        form.EditTextChanged(4, "3.5");
        form.SetSpinValue(30);
    };
    ChooseCrop(1, 3);
    EXPECT_EQ(malt.runs, 1);
    EXPECT_DOUBLE_EQ(Num(1, fPriceLow), 5);
    EXPECT_DOUBLE_EQ(Num(1, fPriceLow2), 3.5); // stored when the dialog closed
    EXPECT_DOUBLE_EQ(Num(1, fMaltBarley), 30);
    EXPECT_TRUE(Col(1).MaltLayout);
    EXPECT_TRUE(Col(1).ControlVisible(113));
    EXPECT_EQ(Col(1).DrawnColor(9), CellColor::Lime);
    EXPECT_EQ(s.Crops.Focus, (TCellPos{1, kTagInsurance}));

    malt.step = [](TMaltBarleyForm& form) {
        EXPECT_EQ(form.SpinValue, 30);
        form.EditTextChanged(2, "dear");
    };
    s.Crops.FocusCell(1, 10);
    EXPECT_EQ(malt.runs, 2);
    ASSERT_FALSE(prompts.Shown.empty());
    EXPECT_EQ(prompts.Shown.back().text,
              "'dear' is not a valid floating point value for field 'PriceHigh'");
    EXPECT_TRUE(Null(1, fPriceHigh));
    EXPECT_EQ(s.Crops.Focus, (TCellPos{1, kTagInsurance}));

    // Any other crop: one price column in aqua, and no dialog.
    ChooseCrop(1, 2);
    s.Crops.FocusCell(1, 9);
    EXPECT_EQ(malt.runs, 2);
    EXPECT_FALSE(Col(1).MaltLayout);
    EXPECT_FALSE(Col(1).ControlVisible(109));
    EXPECT_EQ(Col(1).DrawnColor(9), CellColor::Aqua);
    EXPECT_EQ(s.Crops.Focus, (TCellPos{1, 9}));
}

TEST(MaltBarleyDialog, KeysMoveByTheTagTable) {
    // Rows: Enter/Down, Up, Left, Right from tags 1..7.
    const int expected[4][8] = {{0, 2, 3, 7, 5, 6, 4, 1},
                                {0, 7, 1, 2, 6, 4, 5, 3},
                                {0, 4, 5, 6, 1, 2, 3, 7},
                                {0, 4, 5, 6, 1, 2, 3, 7}};
    const NavKey keys[4] = {NavKey::Down, NavKey::Up, NavKey::Left, NavKey::Right};
    for (int k = 0; k < 4; ++k)
        for (int tag = 1; tag <= 7; ++tag)
            EXPECT_EQ(TMaltBarleyForm::NextTag(tag, keys[k]), expected[k][tag])
                << "key " << k << " tag " << tag;
    EXPECT_EQ(TMaltBarleyForm::NextTag(3, NavKey::Enter), 7);

    ScriptedPrompts prompts;
    TMaltBarleyForm form(prompts);
    FieldRecord r;
    r.Set(fMaltBarley, 64.6);
    form.FormShow(r);
    EXPECT_EQ(form.SpinValue, 65);
    EXPECT_TRUE(form.FormKeyDown(NavKey::Up));
    EXPECT_EQ(form.FocusTag, 7);
    form.SetSpinValue(140);
    EXPECT_TRUE(form.FormClose());
    EXPECT_DOUBLE_EQ(r.AsFloat(fMaltBarley), 100);
}

} // namespace
