// Damaged scenario files and values no field may hold: each is refused with a message that says
// what is wrong, and nothing of the store changes. Non-files are refused before reading; saves
// follow symbolic links and respect read-only files.
#include "data/input_file.h"
#include "data/risk_data.h"
#include "packet_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

using namespace acremark;
namespace fs = std::filesystem;

namespace {

constexpr size_t kPacketAt = 41696; // where version 911 puts the field table's packet

FieldRecord Field(int s, int f, double acres) {
    FieldRecord r;
    r.Set(fScenarioID, int64_t(s));
    r.Set(fFieldID, int64_t(f));
    r.Set(fCrop, int64_t(2));
    r.Set(fAcres, acres);
    r.Set(fYieldMost, 62.5);
    return r;
}

// The example's shape: four fields in scenario 1, two in scenario 2.
TdmRisk Farm() {
    TdmRisk dm;
    for (int f = 1; f <= 4; ++f)
        dm.cdsRisk.Append(Field(1, f, 100.0 * f));
    for (int f = 1; f <= 2; ++f)
        dm.cdsRisk.Append(Field(2, f, 80.0));
    dm.LocationCode = 401001;
    return dm;
}

std::vector<uint8_t> FileOf(const TdmRisk& dm) {
    return TRiskData().Serialize(dm);
}

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}
void Complement(std::vector<uint8_t>& b) {
    for (size_t i = 256; i < 256 + (b.size() - 256) / 4 * 4; ++i)
        b[i] = uint8_t(~b[i]);
}

// A valid file whose packet is edited in plain form; both packet lengths follow the edit unless
// `keepLengths` (to damage the lengths themselves).
std::vector<uint8_t> EditPacket(const TdmRisk& dm,
                                const std::function<void(std::vector<uint8_t>&)>& edit,
                                bool keepLengths = false) {
    auto b = FileOf(dm);
    Complement(b);
    std::vector<uint8_t> packet(b.begin() + long(kPacketAt), b.end());
    edit(packet);
    b.resize(kPacketAt);
    b.insert(b.end(), packet.begin(), packet.end());
    if (!keepLengths) {
        Put32(b, 8, uint32_t(packet.size()));
        Put32(b, kPacketAt - 4, uint32_t(packet.size()));
    }
    Complement(b);
    return b;
}

// The packet's rows: offset of each row's status byte (the field table has no strings here but
// Description/Unit are null, so every row of Farm() has the same length).
size_t FirstRow(const std::vector<uint8_t>& packet) {
    return size_t(packet[22]) | size_t(packet[23]) << 8;
}

// A version-908 file (no packet) whose input block holds the given entries for field 1 of
// scenario 1, built byte by byte.
std::vector<uint8_t> OldFile(const std::vector<std::pair<int, float>>& entries) {
    std::vector<uint8_t> b(256, 0);
    Put32(b, 0, uint32_t(kScenarioFileMagic));
    Put32(b, 4, 908);
    b.resize(256 + 40960 + 64 + 408, 0);
    for (auto [k, v] : entries) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        Put32(b, 256 + size_t(k) * 4, bits);
    }
    Complement(b);
    return b;
}

struct TempDir {
    fs::path path;
    TempDir() {
        char tmpl[] = "/tmp/acremark-damage-XXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string File(const std::string& name) const { return (path / name).string(); }
};

void WriteAll(const std::string& path, const std::vector<uint8_t>& b) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}
std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Unit(int) {
    return "bushels";
}

// Opens `path` into a store holding another farm; expects a refusal whose message contains
// `message` and a store exactly as it was.
void ExpectRefused(const std::string& path, const std::string& message, const std::string& name) {
    TdmRisk dm;
    dm.cdsRisk.Append(Field(3, 1, 5.0));
    dm.SetScenarioDescription(3, "keep me");
    const TdmRisk before = dm;
    TRiskData rd;
    rd.FileName = path;
    OpenOutcome o = rd.Open(dm, Unit);
    EXPECT_EQ(o.kind, OpenOutcome::Kind::Refused) << name;
    EXPECT_EQ(o.refusal.caption, "Error") << name;
    EXPECT_NE(o.refusal.message.find(message), std::string::npos)
        << name << ": " << o.refusal.message;
    EXPECT_EQ(dm.cdsRisk, before.cdsRisk) << name;
    EXPECT_EQ(dm.ScenarioDescriptions, before.ScenarioDescriptions) << name;
}

} // namespace

TEST(DamagedScenarioFile, EveryDamageIsRefusedAndNothingChanges) {
    const TdmRisk farm = Farm();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    auto with = [&](const std::function<void(TdmRisk&)>& change) {
        TdmRisk dm = farm;
        change(dm);
        return FileOf(dm);
    };
    auto field = [](TdmRisk& dm, int s, int f, int col, Value v) {
        FieldRecord r = *dm.cdsRisk.Locate(s, f);
        r.Set(col, v);
        dm.cdsRisk.Post(r);
    };
    // Re-keys field (1, 4) without going through the table's ordering.
    auto rekey = [&](int col, Value v) {
        return with([&](TdmRisk& dm) {
            FieldRecord r = *dm.cdsRisk.Locate(1, 4);
            dm.cdsRisk.Delete(1, 4);
            r.Set(col, v);
            dm.cdsRisk.Append(r);
        });
    };
    // A packet whose key columns are doubles, holding one record with ScenarioID 1 and FieldID
    // as given.
    auto doubleKeys = [&](double fieldId) {
        PacketSchema s = TFieldTable::PacketLayout();
        s.columns[fScenarioID].type = s.columns[fFieldID].type = ColType::Double;
        std::vector<Value> row(kFieldCount);
        row[fScenarioID] = 1.0, row[fFieldID] = fieldId;
        const auto packet = WritePacket(s, {row});
        return EditPacket(farm, [&](std::vector<uint8_t>& p) { p = packet; });
    };
    // Every record of the farm has the same values filled, so its rows are equally long.
    const size_t rowBytes = [&] {
        auto b = FileOf(farm);
        Complement(b);
        const std::vector<uint8_t> packet(b.begin() + long(kPacketAt), b.end());
        return (packet.size() - FirstRow(packet)) / farm.cdsRisk.size();
    }();

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string message;
    };
    const Case cases[] = {
        {"row count 0", EditPacket(farm, [](auto& p) { Put32(p, 14, 0); }), kPacketMismatch},
        {"row count one less", EditPacket(farm, [](auto& p) { Put32(p, 14, 5); }), kPacketMismatch},
        {"bytes after the last row", EditPacket(farm, [](auto& p) { p.push_back(0); }),
         kPacketMismatch},
        {"bytes after the packet",
         EditPacket(
             farm, [](auto& p) { p.push_back(0); }, /*keepLengths=*/true),
         kPacketMismatch},
        {"the two packet lengths differ",
         [&] {
             auto b = FileOf(farm);
             Put32(b, 8, Get32(b, 8) - 1);
             return b;
         }(),
         kPacketMismatch},
        {"a row marked deleted without a change log",
         EditPacket(farm, [&](auto& p) { p[FirstRow(p) + 2 * rowBytes] = kRowDeleted; }),
         kPacketMismatch},
        {"an undefined row status", EditPacket(farm, [&](auto& p) { p[FirstRow(p)] = 0x40; }),
         kPacketMismatch},
        {"an undefined null code", EditPacket(farm, [&](auto& p) { p[FirstRow(p) + 1] |= 0x02; }),
         kPacketMismatch},
        {"first-row offset off by one", EditPacket(farm, [](auto& p) { ++p[22]; }),
         kPacketMismatch},
        {"FieldID 2050", rekey(fFieldID, int64_t(2050)),
         "Scenario 1, Field # 2050: FieldID must be 1 to 32."},
        {"ScenarioID 9", rekey(fScenarioID, int64_t(9)),
         "Scenario 9, Field # 4: ScenarioID must be 1 to 8."},
        {"FieldID 0", rekey(fFieldID, int64_t(0)), "FieldID must be 1 to 32."},
        {"FieldID blank", rekey(fFieldID, Value{}),
         "Scenario 1, Field # (blank): FieldID must be 1 to 32."},
        {"Acres NaN", with([&](TdmRisk& dm) { field(dm, 1, 3, fAcres, nan); }),
         "Scenario 1, Field # 3: Acres is not a finite number (nan)."},
        {"a yield infinite", with([&](TdmRisk& dm) { field(dm, 2, 1, fYieldMost, -inf); }),
         "Scenario 2, Field # 1: YieldMost is not a finite number (-inf)."},
        {"MaltBarley NaN", with([&](TdmRisk& dm) { field(dm, 1, 2, fMaltBarley, nan); }),
         "Scenario 1, Field # 2: MaltBarley is not a finite number"},
        {"a double key beyond 32 bits", doubleKeys(3e9),
         "Field # 3e+09: FieldID 3e+09 is outside the range of a whole number."},
        {"a double key that is NaN", doubleKeys(nan), "FieldID is not a finite number (nan)."},
        {"257 records",
         [&] {
             std::vector<std::vector<Value>> rows;
             for (int s = 1; s <= 9; ++s)
                 for (int f = 1; f <= 32; ++f) {
                     std::vector<Value> row(kFieldCount);
                     row[fScenarioID] = int64_t(s), row[fFieldID] = int64_t(f);
                     rows.push_back(row);
                 }
             rows.resize(257);
             const auto packet = WritePacket(TFieldTable::PacketLayout(), rows);
             return EditPacket(farm, [&](std::vector<uint8_t>& p) { p = packet; });
         }(),
         "more than 256 records"},
        {"old file with NaN in the input block", OldFile({{0, 1.0f}, {4, std::nanf("")}}),
         "Scenario 1, Field # 1: YieldHigh is not a finite number"},
        {"old file with a practice of 3e9", OldFile({{0, 1.0f}, {1, 3e9f}}),
         "Scenario 1, Field # 1: SFI 3e+09 is outside the range of a code."},
    };
    TempDir dir;
    for (const auto& c : cases)
        WriteAll(dir.File("bad.crs"), c.bytes),
            ExpectRefused(dir.File("bad.crs"), c.message, c.name);

    // The constructions start from a file that opens.
    WriteAll(dir.File("good.crs"), FileOf(farm));
    TdmRisk dm;
    TRiskData rd;
    rd.FileName = dir.File("good.crs");
    ASSERT_EQ(rd.Open(dm, Unit).kind, OpenOutcome::Kind::Opened);
    EXPECT_EQ(dm.cdsRisk, farm.cdsRisk);
}

TEST(DamagedScenarioFile, ThousandsOfRowsInDescendingOrderAreRefusedAtTheLimit) {
    // 20,000 rows, last key first: the reader stops at the 257th record instead of inserting
    // every row into an ordered table one by one.
    std::vector<std::vector<Value>> rows;
    for (int k = 19999; k >= 0; --k) {
        std::vector<Value> row(kFieldCount);
        row[fScenarioID] = int64_t(1 + (k / 32) % 8), row[fFieldID] = int64_t(1 + k % 32);
        rows.push_back(row);
    }
    const auto packet = WritePacket(TFieldTable::PacketLayout(), rows);
    TFieldTable table;
    table.Append(Field(1, 1, 10.0));
    const TFieldTable before = table;
    try {
        table.LoadFromPacket(packet);
        ADD_FAILURE() << "loaded";
    } catch (const FieldEntryError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The field table holds more than 256 records (8 scenarios of 32 fields).");
    }
    EXPECT_EQ(table, before);

    // Within the limit, any order loads into key order.
    rows.clear();
    for (int s = 8; s >= 1; --s)
        for (int f = 32; f >= 1; --f) {
            std::vector<Value> row(kFieldCount);
            row[fScenarioID] = int64_t(s), row[fFieldID] = int64_t(f);
            rows.push_back(row);
        }
    table.LoadFromPacket(WritePacket(TFieldTable::PacketLayout(), rows));
    ASSERT_EQ(table.size(), 256u);
    EXPECT_EQ(table.begin()->AsInteger(fFieldID), 1);
    EXPECT_EQ((table.end() - 1)->AsInteger(fScenarioID), 8);
    EXPECT_EQ((table.end() - 1)->AsInteger(fFieldID), 32);
    ASSERT_NE(table.Locate(5, 17), nullptr);
    EXPECT_EQ(table.Locate(5, 17)->AsInteger(fFieldID), 17);
}

TEST(DamagedScenarioFile, NotAFileIsRefusedBeforeReading) {
    TempDir dir;
    const std::string big = dir.File("big.crs");
    {
        int fd = open(big.c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, off_t(kMaxInputFileBytes) + 1), 0); // sparse: nothing written
        close(fd);
    }
    const std::string fifo = dir.File("pipe.crs");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    ExpectRefused(dir.path.string(), dir.path.string() + " is a folder, not a file.", "folder");
    ExpectRefused("/dev/zero", "/dev/zero is not a regular file.", "device");
    ExpectRefused(fifo, fifo + " is not a regular file.", "pipe");
    ExpectRefused(big, big + " is larger than 64 MB.", "too large");

    // A file of exactly the limit is read (and refused only for what it holds).
    std::vector<uint8_t> justFits(size_t(kMaxInputFileBytes), 0);
    WriteAll(big, justFits);
    auto bytes = ReadInputFile(big);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->size(), size_t(kMaxInputFileBytes));
    EXPECT_FALSE(ReadInputFile(dir.File("missing.crs")).has_value());
}

TEST(ScenarioFileSave, FollowsSymbolicLinksAndRespectsReadOnlyFiles) {
    TempDir dir;
    const TdmRisk farm = Farm();
    fs::create_directory(dir.path / "real");
    const std::string real = dir.File("real/farm.crs");
    WriteAll(real, {1, 2, 3});
    const std::string link = dir.File("link.crs");
    fs::create_symlink("real/farm.crs", link); // relative, as users make them

    TRiskData rd;
    rd.FileName = link;
    ASSERT_EQ(rd.Save(farm), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(link)) << "the link stays a link";
    EXPECT_EQ(ReadAll(real), FileOf(farm)) << "the file it names is written";
    for (const auto& e : fs::directory_iterator(dir.path / "real"))
        EXPECT_EQ(e.path().filename(), "farm.crs") << "no temporary file is left";

    // A link to a file that does not exist yet creates that file.
    fs::create_symlink("real/new.crs", dir.File("dangling.crs"));
    rd.FileName = dir.File("dangling.crs");
    ASSERT_EQ(rd.Save(farm), std::nullopt);
    EXPECT_EQ(ReadAll(dir.File("real/new.crs")), FileOf(farm));

    // A read-only file is refused with the system's reason and left as it is (even for the
    // super-user, who may write anything).
    const std::string locked = dir.File("locked.crs");
    WriteAll(locked, {9, 9, 9});
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    rd.FileName = locked;
    auto err = rd.Save(farm);
    ASSERT_TRUE(err.has_value());
    EXPECT_EQ(*err, "Cannot save " + locked + ": Permission denied");
    EXPECT_EQ(ReadAll(locked), (std::vector<uint8_t>{9, 9, 9}));
    EXPECT_EQ(fs::status(locked).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    // A folder under the file's name is not replaced.
    fs::create_directory(dir.path / "folder.crs");
    rd.FileName = dir.File("folder.crs");
    err = rd.Save(farm);
    ASSERT_TRUE(err.has_value());
    EXPECT_EQ(*err, "Cannot save " + rd.FileName + ": Is a directory");
    EXPECT_TRUE(fs::is_directory(rd.FileName));
}
