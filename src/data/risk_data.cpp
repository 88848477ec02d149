#include "data/risk_data.h"

#include "data/cp1252.h"
#include "data/input_file.h"

#include <cmath>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace acremark {

namespace fs = std::filesystem;

namespace {

constexpr size_t kHeader = 256;
constexpr size_t kShortBlock = LegacyBlock::kBytes / 2; // version 907: 16 fields per scenario
constexpr size_t kDescriptionSlot = 51;

void Put32(std::vector<uint8_t>& o, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        o.push_back(uint8_t(v >> (8 * i)));
}
uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
float GetFloat(const uint8_t* p) {
    uint32_t bits = Get32(p);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}
void PutFloat(std::vector<uint8_t>& o, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    Put32(o, bits);
}

// Complements every whole 32-bit word from the header's end to the end of the buffer.
void ComplementWords(std::vector<uint8_t>& b) {
    if (b.size() < kHeader) return;
    size_t words = (b.size() - kHeader) / 4;
    for (size_t i = 0; i < words * 4; ++i)
        b[kHeader + i] = uint8_t(~b[kHeader + i]);
}

// Reads the decoded file front to back; running out is a refusal of the whole file.
class Reader {
public:
    Reader(const std::vector<uint8_t>& b, size_t pos) : b_(b), pos_(pos) {}
    const uint8_t* Take(size_t n) {
        if (pos_ > b_.size() || n > b_.size() - pos_)
            throw ScenarioFileError("Error", "The file ends before its data is complete (" +
                                                 std::to_string(b_.size()) + " bytes).");
        const uint8_t* p = b_.data() + pos_;
        pos_ += n;
        return p;
    }
    int32_t I32() { return int32_t(Get32(Take(4))); }
    bool AtEnd() const { return pos_ == b_.size(); }

private:
    const std::vector<uint8_t>& b_;
    size_t pos_;
};

constexpr int kOldCropCodes[15] = {0, 2, 9, 10, 15, 19, 20, 28, 29, 30, 31, 32, 33, 34, 35};

// Writes into a temporary file beside the target and renames it over the target on Commit.
class AtomicFile : public ByteSink {
public:
    explicit AtomicFile(const std::string& target) : target_(target) {
        fs::path dir = fs::path(target).parent_path();
        if (dir.empty()) dir = ".";
        std::string pattern =
            (dir / ("." + fs::path(target).filename().string() + ".XXXXXX")).string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        fd_ = mkstemp(name.data());
        if (fd_ < 0) throw SaveError(std::strerror(errno));
        temp_ = name.data();
    }
    ~AtomicFile() override {
        if (fd_ >= 0) close(fd_);
        if (!committed_ && !temp_.empty()) unlink(temp_.c_str());
    }
    void Write(std::span<const uint8_t> bytes) override {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                throw SaveError(std::strerror(errno));
            }
            done += size_t(n);
        }
    }
    void Commit() {
        // Keep the old file's permissions; a new file gets the usual ones.
        struct stat st;
        mode_t mode = 0644;
        if (stat(target_.c_str(), &st) == 0) mode = st.st_mode & 07777;
        fchmod(fd_, mode);
        if (fsync(fd_) != 0) throw SaveError(std::strerror(errno));
        int rc = close(fd_);
        fd_ = -1;
        if (rc != 0) throw SaveError(std::strerror(errno));
        if (rename(temp_.c_str(), target_.c_str()) != 0) throw SaveError(std::strerror(errno));
        committed_ = true;
        fs::path dir = fs::path(target_).parent_path();
        int dfd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
        if (dfd >= 0) {
            fsync(dfd);
            close(dfd);
        }
    }

private:
    std::string target_, temp_;
    int fd_ = -1;
    bool committed_ = false;
};

} // namespace

// ---------------------------------------------------------------------------------------------

void LegacyBlock::Reset() {
    v_.fill(0.0f);
    for (int s = 1; s <= kScenarioCount; ++s)
        for (int f = 1; f <= kMaxFields; ++f)
            At(s, f, 11) = -1.0f;
}

void LegacyBlock::CopyScenario(int from, int to) {
    if (from == to) return;
    for (int f = 1; f <= kMaxFields; ++f)
        for (int k = 0; k <= 35; ++k)
            At(to, f, k) = At(from, f, k);
}

void LegacyBlock::ClearScenario(int scenario) {
    for (int f = 1; f <= kMaxFields; ++f)
        for (int k = 0; k <= 9; ++k)
            At(scenario, f, k) = 0.0f;
}

TRiskData::TRiskData(const std::string& programPath) {
    FileName = programPath.empty() ? std::string("acremark.crs") : WithCrsExtension(programPath);
}

std::string TRiskData::WithCrsExtension(const std::string& fileName) {
    fs::path p(fileName);
    p.replace_extension(".crs");
    return p.string();
}

std::string TRiskData::TitleFor(const std::string& fileName) {
    fs::path p(fileName);
    std::string folder = p.parent_path().string();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return std::string(kProgramTitle) + "  - " + p.filename().string() + " (" + folder + ")";
}

std::string TRiskData::PanelName(const std::string& fileName) {
    return fs::path(fileName).stem().string();
}

void TRiskData::WriteTo(const TdmRisk& dm, ByteSink& sink) const {
    std::vector<uint8_t> b = Serialize(dm);
    // In pieces, so that a sink can fail part-way as a full disk does.
    constexpr size_t kChunk = 4096;
    for (size_t at = 0; at < b.size(); at += kChunk)
        sink.Write(std::span(b).subspan(at, std::min(kChunk, b.size() - at)));
}

std::vector<uint8_t> TRiskData::Serialize(const TdmRisk& dm) const {
    std::vector<uint8_t> b(kHeader, 0);
    b.reserve(kHeader + LegacyBlock::kBytes + 2048);
    for (int s = 1; s <= kScenarioCount; ++s)
        for (int f = 1; f <= kMaxFields; ++f)
            for (int k = 0; k < LegacyBlock::kEntries; ++k)
                PutFloat(b, Legacy.At(s, f, k));
    for (int32_t v : dm.SoilZoneIndex)
        Put32(b, uint32_t(v));
    for (int32_t v : dm.RiskAreaIndex)
        Put32(b, uint32_t(v));
    Put32(b, uint32_t(dm.LocationCode));
    for (const auto& d : dm.ScenarioDescriptions) {
        std::string bytes = Utf8ToCp1252(d);
        if (bytes.size() > size_t(kDescriptionWidth)) bytes.resize(kDescriptionWidth);
        b.push_back(uint8_t(bytes.size()));
        b.insert(b.end(), bytes.begin(), bytes.end());
        b.insert(b.end(), kDescriptionSlot - 1 - bytes.size(), 0);
    }
    std::vector<uint8_t> packet = dm.cdsRisk.SaveToPacket();
    Put32(b, uint32_t(packet.size()));
    b.insert(b.end(), packet.begin(), packet.end());
    ComplementWords(b);
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    put(0, uint32_t(kScenarioFileMagic));
    put(4, uint32_t(kScenarioFileVersion));
    put(8, uint32_t(packet.size()));
    return b;
}

namespace {
// The file a save writes: a symbolic link's target (followed link by link, as the system
// would), so the link stays and the file it names is updated. Refuses a target that exists but
// is not a plain file or that has no write permission; the check is on the permission bits
// too, since the super-user may write anything and a read-only file is the user's choice.
std::string SaveTarget(const std::string& name) {
    fs::path target = name;
    for (int hops = 0;; ++hops) {
        struct stat st;
        if (lstat(target.c_str(), &st) != 0) {
            if (errno == ENOENT) return target.string(); // a new file (or a dangling link's)
            throw SaveError(std::strerror(errno));
        }
        if (S_ISLNK(st.st_mode)) {
            if (hops == 40) throw SaveError(std::strerror(ELOOP));
            std::error_code ec;
            fs::path next = fs::read_symlink(target, ec);
            if (ec) throw SaveError(ec.message());
            target = next.is_absolute() ? next : target.parent_path() / next;
            continue;
        }
        if (S_ISDIR(st.st_mode)) throw SaveError(std::strerror(EISDIR));
        if (!S_ISREG(st.st_mode)) throw SaveError("not a regular file");
        if (access(target.c_str(), W_OK) != 0) throw SaveError(std::strerror(errno));
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            throw SaveError(std::strerror(EACCES));
        return target.string();
    }
}
} // namespace

std::optional<std::string>
TRiskData::Save(const TdmRisk& dm,
                const std::function<std::unique_ptr<ByteSink>(ByteSink&)>& wrap) const {
    try {
        AtomicFile file(SaveTarget(FileName));
        if (wrap) {
            auto sink = wrap(file);
            WriteTo(dm, *sink);
        } else {
            WriteTo(dm, file);
        }
        file.Commit();
        return std::nullopt;
    } catch (const SaveError& e) {
        return "Cannot save " + FileName + ": " + e.what();
    }
}

ScenarioFileContent TRiskData::Parse(std::span<const uint8_t> bytes, const CropUnitLookup& unitOf) {
    if (bytes.size() < 4 || int32_t(Get32(bytes.data())) != kScenarioFileMagic)
        throw ScenarioFileError("Error", "Invalid Data File");
    std::vector<uint8_t> b(bytes.begin(), bytes.end());
    ComplementWords(b);
    ScenarioFileContent c;
    Reader head(b, 4);
    c.version = head.I32();
    const int32_t v = c.version > 911 ? 911 : c.version < 907 ? 908 : c.version;

    Reader r(b, kHeader);
    if (v == 907) {
        const uint8_t* p = r.Take(kShortBlock);
        c.legacy = LegacyBlock();
        for (int s = 1; s <= kScenarioCount; ++s)
            for (int f = 1; f <= kMaxFields; ++f)
                for (int k = 0; k < LegacyBlock::kEntries; ++k)
                    c.legacy.At(s, f, k) =
                        f <= 16 ? GetFloat(p + (((s - 1) * 16 + (f - 1)) * 160 + k * 4)) : 0.0f;
    } else {
        const uint8_t* p = r.Take(LegacyBlock::kBytes);
        for (int s = 1; s <= kScenarioCount; ++s)
            for (int f = 1; f <= kMaxFields; ++f)
                for (int k = 0; k < LegacyBlock::kEntries; ++k)
                    c.legacy.At(s, f, k) =
                        GetFloat(p + (((s - 1) * kMaxFields + (f - 1)) * 160 + k * 4));
    }
    for (auto& x : c.soilZoneIndex)
        x = r.I32();
    for (auto& x : c.riskAreaIndex)
        x = r.I32();
    if (v >= 911) c.locationCode = r.I32();
    for (auto& d : c.descriptions) {
        const uint8_t* slot = r.Take(kDescriptionSlot);
        size_t len = std::min<size_t>(slot[0], kDescriptionWidth);
        d = Cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(slot + 1), len));
    }
    if (v <= 908) {
        try {
            c.fields = LoadOldData(c.legacy, unitOf);
        } catch (const FieldEntryError& e) {
            throw ScenarioFileError("Error", std::string(kDamagedFile) + e.what());
        }
        return c;
    }
    int32_t size = r.I32();
    if (size < 0) throw ScenarioFileError("Error", kPacketMismatch);
    // Version 911 gives the packet's length twice; a file whose two lengths differ is damaged.
    if (v == 911 && int32_t(Get32(bytes.data() + 8)) != size)
        throw ScenarioFileError("Error", kPacketMismatch);
    const uint8_t* packet = r.Take(size_t(size));
    // The packet fills the file to its end: bytes after it mean a damaged length.
    if (!r.AtEnd()) throw ScenarioFileError("Error", kPacketMismatch);
    try {
        c.fields.LoadFromPacket(std::span(packet, size_t(size)));
    } catch (const PacketError& e) {
        throw ScenarioFileError("Error", e.what());
    } catch (const FieldEntryError& e) {
        throw ScenarioFileError("Error", std::string(kDamagedFile) + e.what());
    } catch (const TableError& e) {
        throw ScenarioFileError("Error", e.what());
    }
    return c;
}

TFieldTable TRiskData::LoadOldData(const LegacyBlock& block, const CropUnitLookup& unitOf) {
    TFieldTable table;
    for (int s = 1; s <= kScenarioCount; ++s) {
        for (int f = 1; f <= kMaxFields; ++f) {
            if (block.At(s, f, 0) == 0.0f) continue;
            FieldRecord r;
            r.Set(fScenarioID, int64_t(s));
            r.Set(fFieldID, int64_t(f));
            r.Set(fDescription, "Field " + std::to_string(f) + ", Scenario " + std::to_string(s));
            for (int k = 0; k < LegacyBlock::kEntries; ++k) {
                const int col = k + 4; // entry k is field k + 5, counted from 1
                const float e = block.At(s, f, k);
                // Entries become numbers of the record and codes (practice, coverage level):
                // a value that is not finite or no whole number of a code's size is damage.
                const bool code = k == 1 || k == 11;
                if (!std::isfinite(e) || (code && std::fabs(e) >= 2147483520.0f))
                    throw FieldEntryError(
                        "Scenario " + std::to_string(s) + ", Field # " + std::to_string(f) + ": " +
                        std::string(FieldDef(col).name) + " " +
                        (std::isfinite(e) ? RoundTripDouble(e) + " is outside the range of a code"
                                          : "is not a finite number (" + RoundTripDouble(e) + ")") +
                        ".");
                if (col == fInsurance || col == fSPE)
                    r.Set(col, e == 1.0f);
                else if (e != 0.0f)
                    r.Set(col, double(e));
            }
            const float index = block.At(s, f, 0);
            int crop = 1;
            if (index >= 1.0f && index < 15.0f) crop = kOldCropCodes[int(index)];
            r.Set(fCrop, int64_t(crop));
            std::string unit = unitOf ? unitOf(crop) : std::string();
            if (!unit.empty()) r.Set(fUnit, unit);
            r.Set(fSFI, int64_t(int(block.At(s, f, 1)) + 1));
            const float level = block.At(s, f, 11);
            if (level == -1.0f)
                r.Clear(fCoverageLevel);
            else
                r.Set(fCoverageLevel, int64_t(int(level) + 1));
            table.Append(r);
        }
    }
    return table;
}

OpenOutcome TRiskData::Open(TdmRisk& dm, const CropUnitLookup& unitOf) {
    OpenOutcome out;
    std::optional<InputBytes> bytes;
    try {
        bytes = ReadInputFile(FileName);
    } catch (const InputFileError& e) {
        out.kind = OpenOutcome::Kind::Refused;
        out.refusal = {"Error", e.what()};
        return out;
    }
    if (!bytes) return out; // nothing to open, nothing reported
    ScenarioFileContent c;
    try {
        c = Parse(*bytes, unitOf);
    } catch (const ScenarioFileError& e) {
        out.kind = OpenOutcome::Kind::Refused;
        out.refusal = {e.Caption(), e.what()};
        return out;
    }
    Legacy = c.legacy;
    dm.SoilZoneIndex = c.soilZoneIndex;
    dm.RiskAreaIndex = c.riskAreaIndex;
    dm.LocationCode = c.locationCode.value_or(0);
    dm.ScenarioDescriptions = c.descriptions;
    dm.cdsRisk = std::move(c.fields);
    out.kind = OpenOutcome::Kind::Opened;
    out.version = c.version;
    out.locationCode = c.locationCode;
    return out;
}

} // namespace acremark
