#pragma once
// The reference tables the program carries: crops, practices, coverage levels, cost profiles,
// price and yield correlations, insurance prices and rates, the risk area of every township and
// the land location edit buffer. They are loaded once from their packets and are read-only
// afterwards; every lookup may miss and says so, the caller decides what follows.

#include "base/large_memory.h"
#include "data/land_location.h"
#include "data/packet.h"
#include "data/value.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace acremark {

// A reference table that is missing or damaged; the message names the folder and the table.
class ReferenceDataError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr int kIrrigatedSoilCode = 6; // cost profile soil code of irrigated land
inline constexpr int kIrrigatedPractice = 3; // cdsSFI code of irrigated land
inline constexpr int kMaltBarleyCrop = 3;    // crop code of malt barley (its feed price option)
inline constexpr int kIrrigatedCropOffset = 1000; // insurance crop code of an irrigated crop
inline constexpr int kScarceCropCode = 11; // crop code of the crop whose figures are estimates

enum class RefTable { Crops, SFI, CLevel, VCost, PYMatrix, CIPrice, CIRates, TRWRA, Location };
inline constexpr std::array<RefTable, 9> kRefTables = {
    RefTable::Crops,   RefTable::SFI,     RefTable::CLevel, RefTable::VCost,   RefTable::PYMatrix,
    RefTable::CIPrice, RefTable::CIRates, RefTable::TRWRA,  RefTable::Location};

const char* RefTableName(RefTable t);     // "cdsCrops"
std::string RefTableFileName(RefTable t); // "cdsCrops.pkt"
// The layout each table is carried in (columns, types, widths, flags, keys).
const PacketSchema& RefTableSchema(RefTable t);

// ---------------------------------------------------------------------------------------------
// cdsCrops, cdsSFI, cdsCLevel

struct TCropRow {
    int Code = 0;
    std::string CropName, Unit;
    uint32_t RiskAreas = 0; // bit a-1 set when RAa is true (a flag not stored counts as false)

    bool GrownIn(int riskArea) const {
        return riskArea >= 1 && riskArea <= kRiskAreaCount && ((RiskAreas >> (riskArea - 1)) & 1u);
    }
};

struct TCodeRow {
    int Code = 0;
    std::string Description;
};

// The crop filter: a crop passes when a risk area is chosen (index 0..21) and the crop's flag
// for that risk area is true.
bool cdsCropsFilterRecord(const TCropRow& row, int riskAreaIndex);
// The practice filter: irrigated land (code 3) passes only in risk areas 2 to 5 (index 1..4).
bool cdsSFIFilterRecord(const TCodeRow& row, int riskAreaIndex);

class TCropsTable {
public:
    const std::vector<TCropRow>& Rows() const { return rows_; } // in Code order
    const TCropRow* Find(int code) const;
    // The rows the filter lets through for a risk area index, in Code order.
    std::vector<const TCropRow*> Filtered(int riskAreaIndex) const;
    size_t MemoryBytes() const;

private:
    friend class TReferenceTables;
    std::vector<TCropRow> rows_;
};

class TCodeTable {
public:
    const std::vector<TCodeRow>& Rows() const { return rows_; } // in Code order
    const TCodeRow* Find(int code) const;
    size_t MemoryBytes() const;

private:
    friend class TReferenceTables;
    std::vector<TCodeRow> rows_;
};

// ---------------------------------------------------------------------------------------------
// cdsVCost: cost profiles by (CropCode, SoilCode, SFI)

struct TVCostRow {
    int CropCode = 0, SoilCode = 0, SFI = 0;
    std::array<double, 16> V{}; // V[0] is V1; 0 where the value is null
    uint16_t NullMask = 0;      // bit k-1 set when Vk is null

    bool IsNull(int k) const { return (NullMask >> (k - 1)) & 1u; }
    // Vk (1..16) as a table value: null when not stored.
    Value Get(int k) const;
};

class TVCostTable {
public:
    const std::vector<TVCostRow>& Rows() const { return rows_; } // in key order
    const TVCostRow* Find(int cropCode, int soilCode, int sfi) const;
    size_t MemoryBytes() const;

private:
    friend class TReferenceTables;
    std::vector<TVCostRow> rows_;
};

// The profile key of a field: soil code 6 on irrigated land, else the soil zone index + 1.
int CostProfileSoilCode(int soilZoneIndex, int sfi);

// ---------------------------------------------------------------------------------------------
// cdsPYMatrix: price and yield correlations by crop pair

enum class YieldColumn { A, BD, BI, BID, C, D };

struct TPYRow {
    int Code1 = 0, Code2 = 0;
    std::optional<double> Price, YieldA, YieldBD, YieldBI, YieldBID, YieldC, YieldD;

    const std::optional<double>& Yield(YieldColumn c) const;
};

class TPYMatrix {
public:
    const std::vector<TPYRow>& Rows() const { return rows_; } // in key order
    const TPYRow* Find(int code1, int code2) const;
    // The row the run reads for fields p < q: (crop of p, crop of q) when p is irrigated,
    // otherwise (crop of q, crop of p), so that Code1 is the irrigated field's crop.
    const TPYRow* FieldPairRow(int cropP, bool irrigatedP, int cropQ) const;
    size_t MemoryBytes() const;

private:
    friend class TReferenceTables;
    std::vector<TPYRow> rows_;
};

// The yield column for a pair of fields in a risk area group ('A'..'D'): A, C and D by group;
// group B, and no group at all, by irrigation (BI both, BID one, BD neither).
YieldColumn FieldPairYieldColumn(char group, bool irrigatedP, bool irrigatedQ);

// ---------------------------------------------------------------------------------------------
// cdsCIPrice, cdsCIRates: crop insurance

struct TCIPriceRow {
    int CropCode = 0;
    std::optional<double> FloorPrice, SpringPrice; // a null price reads as 0
};

class TCIPriceTable {
public:
    const std::vector<TCIPriceRow>& Rows() const { return rows_; } // in CropCode order
    // By the plain crop code 1..40, also for irrigated fields.
    const TCIPriceRow* Find(int cropCode) const;
    size_t MemoryBytes() const;

private:
    friend class TReferenceTables;
    std::vector<TCIPriceRow> rows_;
};

// The insurance crop code of a field: the crop code, plus 1000 on irrigated land (SFI 3).
int InsuranceCropCode(int crop, int sfi);

struct TCIRatesRow {
    int CropCode = 0;
    int32_t TRW = 0;
    std::optional<double> NormalYield;
    std::array<std::optional<int>, 4> Base, SPE; // index 0 is the 50 % column

    // The premium rate in 1/10000 for coverage level 1..4, with or without the spring price
    // endorsement; 0 when the column is blank or the level is outside 1..4.
    int Rate(int coverageLevel, bool spe) const;
};

// 294,800 rows held as typed columns, sorted by (CropCode, TRW): a directory of crop codes
// points at each crop's run of townships, searched by halving.
class TCIRatesTable {
public:
    std::optional<TCIRatesRow> Find(int cropCode, int32_t trw) const;
    size_t size() const { return trw_.size(); }
    // Row i in key order (0 <= i < size()).
    TCIRatesRow Row(size_t i) const;
    size_t MemoryBytes() const;

private:
    friend class TReferenceTables;
    struct Run {
        int cropCode;
        uint32_t begin, end;
    };
    TCIRatesRow Assemble(int cropCode, size_t i) const;
    void LoadFrom(PacketReader& in);
    std::vector<Run> runs_; // by crop code
    // Megabytes each: from memory that is cheap to touch (see base/large_memory.h).
    LargeVector<int32_t> trw_;
    LargeVector<double> normalYield_; // NaN where null
    LargeVector<std::array<int16_t, 4>> base_;
    LargeVector<std::array<int16_t, 4>> spe_; // empty while every SPE value is null
    LargeVector<uint8_t> nulls_;              // bit c: Base c null; bit 4 + c: SPE c null
};

// ---------------------------------------------------------------------------------------------
// cdsTRWRA: the risk area of every township

struct TTRWRARow {
    int32_t TRW = 0;
    int RiskArea = 0;
};

class TTRWRATable {
public:
    const std::vector<TTRWRARow>& Rows() const { return rows_; } // in TRW order
    // The risk area (1..22 in the carried table) of a location code; nullopt when unknown.
    std::optional<int> RiskArea(int32_t trw) const;
    size_t MemoryBytes() const;

private:
    friend class TReferenceTables;
    std::vector<TTRWRARow> rows_;
};

// What a land location gives: its code, risk area, default soil zone and group.
struct TLandLocationInfo {
    int32_t Code = 0;
    std::optional<int> RiskArea; // nullopt for a location the tables do not know
    int SoilZoneIndex = -1;      // the risk area's default soil zone
    char Group = '\0';
};

// ---------------------------------------------------------------------------------------------

class TReferenceTables {
public:
    TCropsTable cdsCrops;
    TCodeTable cdsSFI;
    TCodeTable cdsCLevel;
    TVCostTable cdsVCost;
    TPYMatrix cdsPYMatrix;
    TCIPriceTable cdsCIPrice;
    TCIRatesTable cdsCIRates;
    TTRWRATable cdsTRWRA;
    // cdsLocation holds no rows; its fields are LocationField(0..2).

    // Loads all nine tables from their packets in `folder` (cdsCrops.pkt ...) and rebuilds
    // cdsCLevel as (1 "50%") .. (4 "80%") whatever its packet holds. Throws ReferenceDataError
    // naming the folder and the table when a packet is missing, unreadable or damaged.
    static TReferenceTables LoadFromFolder(const std::string& folder);
    // Loads one table from its packet bytes (the folder is only named in messages).
    void LoadTable(RefTable t, std::span<const uint8_t> bytes);

    // The crops and practices offered for a risk area index (-1 = none), in Code order.
    std::vector<const TCropRow*> OfferedCrops(int riskAreaIndex) const;
    std::vector<const TCodeRow*> OfferedPractices(int riskAreaIndex) const;

    TLandLocationInfo LandLocation(int township, int range, int meridian) const;

    // Bytes the loaded tables hold (rows and their strings, not counting allocator overhead).
    size_t MemoryBytes() const;

    void RebuildCoverageLevels();
};

} // namespace acremark
