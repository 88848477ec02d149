#pragma once
// TRiskData: the scenario file (".crs"). A 256-byte header, the legacy input block, the values
// kept beside the field table and the field table as a data packet; every 32-bit word after the
// header is stored complemented. Versions 907 to 911 are read; 911 is written.
//
// Opening is atomic: the whole file is parsed into a new content first, and only a file read
// without error replaces the store. Saving is atomic: the bytes go to a temporary file in the
// target folder, which is flushed, synced and renamed over the old file.

#include "data/risk_store.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace acremark {

inline constexpr int32_t kScenarioFileMagic = 19621210;
inline constexpr int32_t kScenarioFileVersion = 911;
inline constexpr const char* kProgramTitle = "Acremark$ (Version 5.50 - March 26, 2023)";
// Begins the message of a file refused for a value no field record may hold.
inline constexpr const char* kDamagedFile = "This file is damaged and was not opened. ";

// The input block of the old layout: 8 scenarios × 32 fields × 40 single-precision entries.
// Entry k stands for field k + 5 of the field record (entry 0 the old crop index, entry 1 the
// practice code − 1, entry 11 the coverage level code − 1 or −1 for none).
class LegacyBlock {
public:
    static constexpr int kEntries = 40;
    static constexpr size_t kBytes = kScenarioCount * kMaxFields * kEntries * 4; // 40960

    LegacyBlock() { Reset(); }
    // As a program that has opened no file holds it: 0 everywhere, −1.0 in entry 11.
    void Reset();
    float& At(int scenario, int field, int entry) { return v_[Index(scenario, field, entry)]; }
    float At(int scenario, int field, int entry) const { return v_[Index(scenario, field, entry)]; }
    // Entries 0 to 35 of every field of scenario `from` over those of `to`.
    void CopyScenario(int from, int to);
    // Entries 0 to 9 of every field of the scenario set to 0.
    void ClearScenario(int scenario);
    bool operator==(const LegacyBlock&) const = default;

private:
    static size_t Index(int s, int f, int k) {
        return size_t(((s - 1) * kMaxFields + (f - 1)) * kEntries + k);
    }
    std::array<float, kScenarioCount * kMaxFields * kEntries> v_;
};

// Where the bytes of a save go; Write throws SaveError when it cannot take them.
class SaveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Write(std::span<const uint8_t> bytes) = 0;
};

// The crop's unit by code ("bushels"), empty when the crop is unknown.
using CropUnitLookup = std::function<std::string(int cropCode)>;

// Everything a scenario file gives, as it gives it.
struct ScenarioFileContent {
    int32_t version = kScenarioFileVersion; // as stored in the file
    LegacyBlock legacy;
    std::array<int32_t, kScenarioCount> soilZoneIndex{};
    std::array<int32_t, kScenarioCount> riskAreaIndex{};
    std::optional<int32_t> locationCode; // none before version 911
    std::array<std::string, kScenarioCount> descriptions;
    TFieldTable fields;
};

// A file that cannot be opened: the message box's caption and text.
struct OpenRefusal {
    std::string caption, message;
};

struct OpenOutcome {
    enum class Kind { Missing, Refused, Opened } kind = Kind::Missing;
    OpenRefusal refusal;                 // when refused
    int32_t version = 0;                 // when opened
    std::optional<int32_t> locationCode; // when opened: the code the location edits take
};

class TRiskData {
public:
    // FileName starts as the program's path with its extension replaced by ".crs".
    explicit TRiskData(const std::string& programPath = "");

    int HeaderSize = 256;
    std::string FileName;
    LegacyBlock Legacy; // the block of the last opened file, written back on Save

    // Serializes the store (version 911) into the sink.
    void WriteTo(const TdmRisk& dm, ByteSink& sink) const;
    std::vector<uint8_t> Serialize(const TdmRisk& dm) const;

    // Saves to FileName atomically. Returns the reason when the file could not be written; the
    // old file is then as it was. `wrap` lets a caller put a sink between the bytes and the file.
    std::optional<std::string>
    Save(const TdmRisk& dm,
         const std::function<std::unique_ptr<ByteSink>(ByteSink&)>& wrap = nullptr) const;

    // Parses a whole file; throws OpenRefusal-carrying ScenarioFileError when it cannot be read.
    static ScenarioFileContent Parse(std::span<const uint8_t> bytes, const CropUnitLookup& unitOf);

    // Reads FileName into the store. Nothing changes unless the file is read without error.
    OpenOutcome Open(TdmRisk& dm, const CropUnitLookup& unitOf);

    // Converts a legacy block into field records (old versions).
    static TFieldTable LoadOldData(const LegacyBlock& block, const CropUnitLookup& unitOf);

    // "Acremark$ (Version 5.50 - March 26, 2023)  - name.crs (folder)".
    static std::string TitleFor(const std::string& fileName);
    // The file name without folder and extension, as the file name panel shows it.
    static std::string PanelName(const std::string& fileName);
    // The name with its extension replaced by (or given) ".crs".
    static std::string WithCrsExtension(const std::string& fileName);
};

class ScenarioFileError : public std::runtime_error {
public:
    ScenarioFileError(std::string caption, const std::string& message)
        : std::runtime_error(message), caption_(std::move(caption)) {}
    const std::string& Caption() const { return caption_; }

private:
    std::string caption_;
};

} // namespace acremark
