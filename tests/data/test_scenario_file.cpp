#include "data/risk_data.h"
#include "packet_builder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

using namespace acremark;
namespace fs = std::filesystem;

namespace {

std::string Unit(int crop) {
    switch (crop) {
    case 1: return "pounds";
    case 2:
    case 3:
    case 19: return "bushels";
    default: return "";
    }
}

FieldRecord Field(int s, int f) {
    FieldRecord r;
    r.Set(fScenarioID, int64_t(s));
    r.Set(fFieldID, int64_t(f));
    return r;
}

// A store with a bit of everything: a malt barley field, an irrigated insured field, nulls,
// a 50-character description and non-ASCII text.
TdmRisk SampleStore() {
    TdmRisk dm;
    FieldRecord malt = Field(1, 1);
    malt.Set(fDescription, std::string(50, 'M'));
    malt.Set(fUnit, std::string("bushels"));
    malt.Set(fCrop, int64_t(3));
    malt.Set(fSFI, int64_t(1));
    malt.Set(fAcres, 160.0);
    malt.Set(fPriceLow, 0.1 + 0.2);
    malt.Set(fMaltBarley, 100.0);
    malt.Set(fPriceLow2, 4.5);
    malt.Set(fPriceHigh2, 6.25);
    malt.Set(fPriceMost2, 5.0);
    dm.cdsRisk.Append(malt);
    FieldRecord irr = Field(1, 2);
    irr.Set(fDescription, std::string("Pivot \xC3\xA9st"));
    irr.Set(fCrop, int64_t(2));
    irr.Set(fSFI, int64_t(3));
    irr.Set(fInsurance, true);
    irr.Set(fSPE, false);
    irr.Set(fCoverageLevel, int64_t(3));
    irr.Set(fCoverageAdjustment, 40.23468);
    irr.Set(fGMSD, 1234.56789);
    dm.cdsRisk.Append(irr);
    dm.cdsRisk.Append(Field(4, 1));
    dm.SoilZoneIndex.fill(1);
    dm.RiskAreaIndex.fill(3);
    dm.LocationCode = 401001;
    dm.SetScenarioDescription(1, std::string(60, 'd'));
    dm.SetScenarioDescription(4, "Caf\xC3\xA9 plan");
    return dm;
}

struct TempDir {
    fs::path path;
    TempDir() {
        char tmpl[] = "/tmp/acremark-test-XXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string File(const std::string& name) const { return (path / name).string(); }
};

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& b) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// An old-layout file, built byte by byte: header, block (16 or 32 fields per scenario), soil
// zones, risk areas, an optional location, descriptions and an optional packet; complemented.
std::vector<uint8_t> OldFile(int32_t version, int fieldsPerScenario,
                             const std::vector<std::tuple<int, int, int, float>>& entries,
                             std::optional<int32_t> location,
                             const std::vector<uint8_t>* packet) {
    test::Bytes b;
    b.u32(uint32_t(kScenarioFileMagic)).u32(uint32_t(version));
    b.u32(packet ? uint32_t(packet->size()) : 0);
    b.b.resize(256, 0);
    std::vector<float> block(size_t(8 * fieldsPerScenario * 40), 0.0f);
    for (auto [s, f, k, v] : entries) block[size_t(((s - 1) * fieldsPerScenario + f - 1) * 40 + k)] = v;
    for (float v : block) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        b.u32(bits);
    }
    for (int i = 0; i < 8; ++i) b.u32(2);
    for (int i = 0; i < 8; ++i) b.u32(8);
    if (location) b.u32(uint32_t(*location));
    for (int i = 0; i < 8; ++i) {
        std::string d = i == 1 ? "Old plan" : "";
        b.u8(uint8_t(d.size()));
        b.b.insert(b.b.end(), d.begin(), d.end());
        b.b.resize(b.b.size() + 50 - d.size(), 0xAA); // the rest of a slot means nothing
    }
    if (packet) {
        b.u32(uint32_t(packet->size()));
        b.b.insert(b.b.end(), packet->begin(), packet->end());
    }
    size_t words = (b.b.size() - 256) / 4;
    for (size_t i = 0; i < words * 4; ++i) b.b[256 + i] = uint8_t(~b.b[256 + i]);
    return b.b;
}

} // namespace

TEST(ScenarioFile, LayoutOfAFileSavedBeforeAnyFileWasOpened) {
    TdmRisk dm;
    TRiskData rd;
    auto bytes = rd.Serialize(dm);
    const size_t emptyPacket = TFieldTable().SaveToPacket().size();
    ASSERT_EQ(bytes.size(), 41696 + emptyPacket);
    auto word = [&](size_t at) {
        return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
               uint32_t(bytes[at + 3]) << 24;
    };
    EXPECT_EQ(word(0), 19621210u);
    EXPECT_EQ(word(4), 911u);
    EXPECT_EQ(word(8), emptyPacket);
    for (size_t i = 12; i < 256; ++i) ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(word(256), 0xFFFFFFFFu); // entry 0 of field 1, scenario 1 is 0
    float minusOne = -1.0f;
    uint32_t bits;
    std::memcpy(&bits, &minusOne, 4);
    EXPECT_EQ(word(256 + 11 * 4), ~bits); // entry 11 holds -1.0
    EXPECT_EQ(word(41216), ~uint32_t(-1)); // soil zone of scenario 1: none
    EXPECT_EQ(word(41280), ~0u);            // location code 0
    EXPECT_EQ(word(41692), ~uint32_t(emptyPacket));
}

TEST(ScenarioFile, SaveAndOpenKeepEverythingBitForBit) {
    TempDir dir;
    TdmRisk dm = SampleStore();
    TRiskData rd;
    rd.Legacy.At(2, 5, 7) = 3.5f;
    rd.FileName = dir.File("farm.crs");
    ASSERT_EQ(rd.Save(dm), std::nullopt);

    TdmRisk back;
    TRiskData rd2;
    rd2.FileName = rd.FileName;
    OpenOutcome o = rd2.Open(back, Unit);
    ASSERT_EQ(o.kind, OpenOutcome::Kind::Opened);
    EXPECT_EQ(o.version, 911);
    EXPECT_EQ(o.locationCode, 401001);
    EXPECT_EQ(back.cdsRisk, dm.cdsRisk);
    EXPECT_EQ(back.SoilZoneIndex, dm.SoilZoneIndex);
    EXPECT_EQ(back.RiskAreaIndex, dm.RiskAreaIndex);
    EXPECT_EQ(back.LocationCode, 401001);
    EXPECT_EQ(back.ScenarioDescriptions, dm.ScenarioDescriptions);
    EXPECT_EQ(back.ScenarioDescriptions[0].size(), 50u);
    EXPECT_EQ(rd2.Legacy, rd.Legacy);
    // Saving again gives the same bytes.
    EXPECT_EQ(rd2.Serialize(back), ReadAll(rd.FileName));
}

TEST(ScenarioFile, RefusedFilesChangeNothing) {
    TempDir dir;
    TdmRisk saved = SampleStore();
    TRiskData writer;
    writer.FileName = dir.File("good.crs");
    ASSERT_EQ(writer.Save(saved), std::nullopt);
    const auto good = ReadAll(writer.FileName);

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* message; // nullptr: any message
    };
    std::vector<Case> cases;
    auto oneBitOff = good;
    oneBitOff[2] ^= 0x10;
    cases.push_back({"magic one bit off", oneBitOff, "Invalid Data File"});
    cases.push_back({"empty", {}, "Invalid Data File"});
    auto damagedPacket = good;
    damagedPacket[41696] ^= 0xFF; // packet signature
    cases.push_back({"damaged packet", damagedPacket, "Invalid data packet"});
    for (size_t cut : {size_t(8), size_t(300), size_t(41250), size_t(41690), good.size() - 1})
        cases.push_back({"cut", std::vector<uint8_t>(good.begin(), good.begin() + long(cut)),
                         nullptr});

    for (const auto& c : cases) {
        TdmRisk dm = SampleStore();
        dm.cdsRisk.Delete(4, 1);
        dm.LocationCode = 501015;
        dm.SetScenarioDescription(2, "keep me");
        const TdmRisk before = dm;
        TRiskData rd;
        rd.Legacy.At(1, 1, 0) = 7.0f;
        const LegacyBlock legacyBefore = rd.Legacy;
        rd.FileName = dir.File("bad.crs");
        WriteAll(rd.FileName, c.bytes);
        OpenOutcome o = rd.Open(dm, Unit);
        EXPECT_EQ(o.kind, OpenOutcome::Kind::Refused) << c.name;
        EXPECT_EQ(o.refusal.caption, "Error") << c.name;
        if (c.message) EXPECT_EQ(o.refusal.message, c.message) << c.name;
        else EXPECT_FALSE(o.refusal.message.empty()) << c.name;
        EXPECT_EQ(dm.cdsRisk, before.cdsRisk) << c.name;
        EXPECT_EQ(dm.LocationCode, 501015) << c.name;
        EXPECT_EQ(dm.ScenarioDescriptions, before.ScenarioDescriptions) << c.name;
        EXPECT_EQ(dm.SoilZoneIndex, before.SoilZoneIndex) << c.name;
        EXPECT_EQ(rd.Legacy, legacyBefore) << c.name;
    }

    // A missing file is not opened and not reported.
    TdmRisk dm = SampleStore();
    TRiskData rd;
    rd.FileName = dir.File("missing.crs");
    EXPECT_EQ(rd.Open(dm, Unit).kind, OpenOutcome::Kind::Missing);
    EXPECT_EQ(dm.cdsRisk, SampleStore().cdsRisk);
}

TEST(ScenarioFile, FailedSaveLeavesTheOldFileAsItWas) {
    TempDir dir;
    TRiskData rd;
    rd.FileName = dir.File("farm.crs");
    ASSERT_EQ(rd.Save(TdmRisk()), std::nullopt);
    const auto old = ReadAll(rd.FileName);

    struct FailAfter : ByteSink {
        ByteSink& inner;
        size_t left;
        FailAfter(ByteSink& i, size_t n) : inner(i), left(n) {}
        void Write(std::span<const uint8_t> b) override {
            if (b.size() > left) {
                inner.Write(b.first(left));
                throw SaveError("No space left on device");
            }
            left -= b.size();
            inner.Write(b);
        }
    };
    for (size_t n : {size_t(0), size_t(100), size_t(41000)}) {
        auto err = rd.Save(SampleStore(), [n](ByteSink& file) {
            return std::make_unique<FailAfter>(file, n);
        });
        ASSERT_TRUE(err.has_value());
        EXPECT_EQ(*err, "Cannot save " + rd.FileName + ": No space left on device");
        EXPECT_EQ(ReadAll(rd.FileName), old);
    }
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);

    // A folder that is gone: the platform's reason.
    rd.FileName = dir.File("gone/farm.crs");
    auto err = rd.Save(TdmRisk());
    ASSERT_TRUE(err.has_value());
    EXPECT_NE(err->find("No such file or directory"), std::string::npos);
}

TEST(ScenarioFile, OldVersionsAreConverted) {
    // Field 3 of scenario 2: old crop index 5 (oats), practice entry 1.0 (fallow), 120 acres,
    // insured (1.0) at coverage entry 2.0 (70 %), a result in entry 38 (GM).
    std::vector<std::tuple<int, int, int, float>> entries = {
        {2, 3, 0, 5.0f}, {2, 3, 1, 1.0f}, {2, 3, 2, 120.0f}, {2, 3, 9, 1.0f},
        {2, 3, 10, 0.5f}, {2, 3, 11, 2.0f}, {2, 3, 38, -250.5f},
        {1, 1, 0, 99.0f}, {1, 1, 11, -1.0f},  // an unknown old crop index becomes code 1
        {8, 16, 0, 1.0f}, {8, 16, 11, -1.0f}, // the last field a 907 file can hold
    };
    for (int version : {907, 908, 800}) {
        const int perScenario = version == 907 ? 16 : 32;
        auto bytes = OldFile(version, perScenario, entries, std::nullopt, nullptr);
        auto c = TRiskData::Parse(bytes, Unit);
        EXPECT_EQ(c.version, version);
        EXPECT_FALSE(c.locationCode.has_value());
        EXPECT_EQ(c.descriptions[1], "Old plan");
        EXPECT_EQ(c.soilZoneIndex[0], 2);
        EXPECT_EQ(c.riskAreaIndex[7], 8);
        ASSERT_EQ(c.fields.size(), 3u) << version;
        const FieldRecord& oats = *c.fields.Locate(2, 3);
        EXPECT_EQ(oats.AsString(fDescription), "Field 3, Scenario 2");
        EXPECT_EQ(oats.AsInteger(fCrop), 19);
        EXPECT_EQ(oats.AsString(fUnit), "bushels");
        EXPECT_EQ(oats.AsInteger(fSFI), 2);
        EXPECT_EQ(oats.AsFloat(fAcres), 120.0);
        EXPECT_EQ(std::get<bool>(oats.Get(fInsurance)), true);
        EXPECT_EQ(std::get<bool>(oats.Get(fSPE)), false); // only 1.0 is true
        EXPECT_EQ(oats.AsInteger(fCoverageLevel), 3);
        EXPECT_EQ(oats.AsFloat(fGM), -250.5);
        EXPECT_TRUE(oats.IsNull(fYieldLow));
        EXPECT_TRUE(oats.IsNull(fMaltBarley));
        const FieldRecord& odd = *c.fields.Locate(1, 1);
        EXPECT_EQ(odd.AsInteger(fCrop), 1);
        EXPECT_EQ(odd.AsString(fUnit), "pounds");
        EXPECT_TRUE(odd.IsNull(fCoverageLevel));
        EXPECT_EQ(odd.AsInteger(fSFI), 1);
        ASSERT_NE(c.fields.Locate(8, 16), nullptr);
    }
    // A 907 file leaves fields 17..32 of the held block empty, whatever was held before.
    auto c907 = TRiskData::Parse(OldFile(907, 16, entries, std::nullopt, nullptr), Unit);
    EXPECT_EQ(c907.legacy.At(1, 17, 11), 0.0f);
    EXPECT_EQ(c907.legacy.At(2, 3, 2), 120.0f);
}

TEST(ScenarioFile, Versions909And910ReadThePacketWithoutLocation) {
    TdmRisk dm = SampleStore();
    auto packet = dm.cdsRisk.SaveToPacket();
    for (int version : {909, 910}) {
        auto c = TRiskData::Parse(OldFile(version, 32, {{1, 1, 0, 3.0f}}, std::nullopt, &packet),
                                  Unit);
        EXPECT_FALSE(c.locationCode.has_value());
        EXPECT_EQ(c.fields, dm.cdsRisk); // the packet, not the block, holds the data
        EXPECT_EQ(c.legacy.At(1, 1, 0), 3.0f);
    }
    // A version above 911 is read as 911.
    auto c = TRiskData::Parse(OldFile(1000, 32, {}, 630126, &packet), Unit);
    EXPECT_EQ(c.locationCode, 630126);
    EXPECT_EQ(c.fields, dm.cdsRisk);
}

TEST(ScenarioFile, TitleAndNames) {
    EXPECT_EQ(TRiskData::TitleFor("/home/ann/farms/north.crs"),
              "Acremark$ (Version 5.50 - March 26, 2023)  - north.crs (/home/ann/farms)");
    EXPECT_EQ(TRiskData::PanelName("/home/ann/farms/north.crs"), "north");
    EXPECT_EQ(TRiskData::WithCrsExtension("/tmp/plan.txt"), "/tmp/plan.crs");
    EXPECT_EQ(TRiskData::WithCrsExtension("/tmp/plan"), "/tmp/plan.crs");
    EXPECT_EQ(TRiskData("/opt/acremark/bin/acremark").FileName, "/opt/acremark/bin/acremark.crs");
}

TEST(LegacyBlock, ScenarioOperations) {
    LegacyBlock b;
    for (int k = 0; k < 40; ++k) b.At(2, 7, k) = float(k + 1);
    b.CopyScenario(2, 5);
    EXPECT_EQ(b.At(5, 7, 0), 1.0f);
    EXPECT_EQ(b.At(5, 7, 35), 36.0f);
    EXPECT_EQ(b.At(5, 7, 36), 0.0f); // results are not copied
    EXPECT_EQ(b.At(5, 8, 11), -1.0f);
    b.ClearScenario(2);
    EXPECT_EQ(b.At(2, 7, 9), 0.0f);
    EXPECT_EQ(b.At(2, 7, 10), 11.0f);
}
