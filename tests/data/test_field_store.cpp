#include "data/risk_store.h"

#include <gtest/gtest.h>

using namespace acremark;

namespace {
FieldRecord Field(int scenario, int field, double acres) {
    FieldRecord r;
    r.Set(fScenarioID, int64_t(scenario));
    r.Set(fFieldID, int64_t(field));
    r.Set(fAcres, acres);
    return r;
}
} // namespace

TEST(FieldRecord, FieldsByPositionAndByNameWithoutRegardToCase) {
    ASSERT_EQ(kFieldCount, 52);
    EXPECT_EQ(FieldDef(fPriceMost2).name, "PriceMost2");
    EXPECT_EQ(FieldIndexOf("coverageadjustment"), fCoverageAdjustment);
    EXPECT_EQ(FieldIndexOf("B14"), fB14);
    EXPECT_EQ(FieldIndexOf("c"), fC);
    EXPECT_FALSE(FieldIndexOf("Nope").has_value());

    FieldRecord r;
    EXPECT_TRUE(r.IsNull(fAcres));
    EXPECT_EQ(r.AsFloat(fAcres), 0.0); // null counts as 0
    r.Set("acres", 12.5);
    EXPECT_EQ(std::get<double>(r.Get("ACRES")), 12.5);
    r.Set(fDescription, std::string(60, 'd'));
    EXPECT_EQ(r.AsString(fDescription).size(), 50u);
    r.Set(fUnit, std::string("bushelsXX"));
    EXPECT_EQ(r.AsString(fUnit), "bushelsX");
    EXPECT_THROW(r.Get("Nope"), std::out_of_range);
}

TEST(FieldRecord, TypedTextIsConvertedOrRefusedKeepingTheOldValue) {
    FieldRecord r;
    r.Set(fAcres, 160.0);
    EXPECT_EQ(r.SetText(fAcres, "abc"),
              std::optional<std::string>("'abc' is not a valid floating point value for field "
                                         "'Acres'"));
    EXPECT_EQ(r.AsFloat(fAcres), 160.0);
    EXPECT_EQ(r.SetText(fCrop, "2.5"),
              std::optional<std::string>("'2.5' is not a valid integer value for field 'Crop'"));
    EXPECT_TRUE(r.IsNull(fCrop));
    EXPECT_FALSE(r.SetText(fAcres, " 1e3 ").has_value());
    EXPECT_EQ(r.AsFloat(fAcres), 1000.0);
    EXPECT_FALSE(r.SetText(fAcres, "").has_value());
    EXPECT_TRUE(r.IsNull(fAcres));
    EXPECT_FALSE(r.SetText(fPriceLow, "8,05", ',').has_value());
    EXPECT_EQ(r.AsFloat(fPriceLow), 8.05);
}

TEST(FieldTable, UniqueKeyInKeyOrder) {
    TFieldTable t;
    t.Append(Field(2, 1, 1));
    t.Append(Field(1, 2, 2));
    t.Append(Field(1, 1, 3));
    try {
        t.Append(Field(1, 2, 9));
        FAIL();
    } catch (const TableError& e) {
        EXPECT_STREQ(e.what(), "Key violation.");
    }
    std::vector<double> acres;
    for (const auto& r : t) acres.push_back(r.AsFloat(fAcres));
    EXPECT_EQ(acres, (std::vector<double>{3, 2, 1}));
    t.Post(Field(1, 2, 7));
    EXPECT_EQ(t.Locate(1, 2)->AsFloat(fAcres), 7);
    EXPECT_EQ(t.Locate(3, 1), nullptr);
}

TEST(DataModule, StartsWithNothingChosen) {
    TdmRisk dm;
    EXPECT_TRUE(dm.cdsRisk.empty());
    for (int s = 0; s < kScenarioCount; ++s) {
        EXPECT_EQ(dm.SoilZoneIndex[s], -1);
        EXPECT_EQ(dm.RiskAreaIndex[s], -1);
        EXPECT_EQ(dm.ScenarioDescriptions[s], "");
    }
    EXPECT_EQ(dm.LocationCode, 0);
    dm.SetScenarioDescription(3, std::string(55, 'a'));
    EXPECT_EQ(dm.ScenarioDescriptions[2], std::string(50, 'a'));
}

TEST(DataModule, EmptyScenarioDeletesAdjacentRowsOfThatScenarioOnly) {
    TdmRisk dm;
    for (int f = 1; f <= 3; ++f) dm.cdsRisk.Append(Field(2, f, f));
    dm.cdsRisk.Append(Field(1, 1, 10));
    dm.cdsRisk.Append(Field(3, 1, 30));
    dm.EmptyScenarioDataSet(2);
    EXPECT_EQ(dm.cdsRisk.size(), 2u);
    EXPECT_FALSE(dm.cdsRisk.HasScenario(2));
    EXPECT_TRUE(dm.cdsRisk.HasScenario(1));
    EXPECT_TRUE(dm.cdsRisk.HasScenario(3));
}

TEST(DataModule, CopyScenarioIsASnapshotWithResults) {
    TdmRisk dm;
    for (int f = 1; f <= 3; ++f) {
        FieldRecord r = Field(2, f, 100.0 * f);
        r.Set(fGM, 1234.5 * f);
        r.Set(fInsurance, true);
        dm.cdsRisk.Append(r);
    }
    dm.CopyScenarioDataSet(7, 4); // a blank scenario adds nothing
    EXPECT_EQ(dm.cdsRisk.size(), 3u);
    dm.CopyScenarioDataSet(2, 5);
    ASSERT_EQ(dm.cdsRisk.size(), 6u);
    for (int f = 1; f <= 3; ++f) {
        FieldRecord src = *dm.cdsRisk.Locate(2, f);
        FieldRecord dst = *dm.cdsRisk.Locate(5, f);
        EXPECT_EQ(dst.AsInteger(fScenarioID), 5);
        dst.Set(fScenarioID, int64_t(2));
        EXPECT_EQ(dst, src);
    }
    FieldRecord edited = *dm.cdsRisk.Locate(2, 1);
    edited.Set(fAcres, 1.0);
    dm.cdsRisk.Post(edited);
    EXPECT_EQ(dm.cdsRisk.Locate(5, 1)->AsFloat(fAcres), 100.0);
    // Copying onto existing keys is refused and changes nothing.
    EXPECT_THROW(dm.CopyScenarioDataSet(2, 5), TableError);
    EXPECT_EQ(dm.cdsRisk.size(), 6u);
}

TEST(FieldTable, PacketRoundTripKeepsEveryValueAndABadPacketChangesNothing) {
    TFieldTable t;
    FieldRecord a = Field(1, 1, 160);
    a.Set(fDescription, std::string(50, 'Q'));
    a.Set(fUnit, std::string("bushels"));
    a.Set(fCrop, int64_t(3));
    a.Set(fInsurance, true);
    a.Set(fSPE, false);
    a.Set(fPriceLow2, 0.1 + 0.2);
    a.Set(fGMSD, -1e-300);
    t.Append(a);
    t.Append(Field(8, 32, 1)); // mostly nulls
    TFieldTable back;
    back.LoadFromPacket(t.SaveToPacket());
    EXPECT_EQ(back, t);

    auto bytes = t.SaveToPacket();
    bytes.resize(bytes.size() - 1);
    EXPECT_THROW(back.LoadFromPacket(bytes), PacketError);
    EXPECT_EQ(back, t);
}
