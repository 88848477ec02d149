#pragma once
// refgen: writes the reference tables the program carries. The short tables come from the CSV
// files in data/; the long ones (cost profiles, correlations, insurance rates, the risk area
// map) are synthetic, generated deterministically from fixed seeds so that every build writes
// the same bytes and the tables keep the facts the program relies on.

#include "data/packet.h"
#include "data/value.h"

#include <cstdint>
#include <string>
#include <vector>

namespace acremark::refgen {

using Rows = std::vector<std::vector<Value>>;

// ----- deterministic noise (integer hashing only, no clock, no library randomness)

uint64_t Hash(uint64_t a, uint64_t b = 0, uint64_t c = 0, uint64_t d = 0);
// Uniform in [0, 1).
double Uniform(uint64_t a, uint64_t b = 0, uint64_t c = 0, uint64_t d = 0);
// 1 ± spread, uniformly.
double Jitter(double spread, uint64_t a, uint64_t b = 0, uint64_t c = 0, uint64_t d = 0);
// x rounded half away from zero to a multiple of 1/denominator, as the double nearest that
// decimal (RoundTo(x, 20) gives the nearest 0.05).
double RoundTo(double x, double denominator);

// ----- the short tables

// Reads a CSV file whose header names the schema's columns (in any order); an empty cell is
// a null value. Throws std::runtime_error naming the file and line on any fault.
Rows ReadCsvTable(const std::string& path, const PacketSchema& schema);

struct CropFacts {
    int code = 0;
    std::string name, unit;
    uint32_t riskAreas = 0; // bit a-1: offered in risk area a
    bool GrownIn(int riskArea) const { return (riskAreas >> (riskArea - 1)) & 1u; }
    bool GrownInGroup(char group) const;
};
std::vector<CropFacts> CropsFromRows(const Rows& cdsCropsRows);

// ----- agronomy behind the synthetic tables

enum class Family { Feed, Wheat, Oilseed, Pulse, Forage, SeedCrop, Vegetable };

struct CropTraits {
    Family family;
    double dryYield; // normal yield per acre on black soil, in the crop's unit (0: none)
    double irrYield; // irrigated normal yield per acre (0: not grown irrigated)
    double risk;     // premium rate at 70 % coverage on black soil, 1/10000
    double seed, fert, chem, truck, other; // cost factors against feed barley
    double water;                          // irrigation fuel and electricity factor
};
const CropTraits& Traits(int crop);

// Which cost profiles exist: the dryland soil codes (1..5) and whether there is an irrigated
// profile (soil code 6 with practice 3).
std::vector<int> DrylandSoilCodes(int crop);
bool HasIrrigatedProfile(int crop);

// ----- the long tables

struct Township {
    int32_t trw;
    int riskArea;
};
// The 3,685 townships in TRW order with their risk areas.
std::vector<Township> GenerateRiskAreaMap();
// A text picture of the map (north up, east right), one character per township.
std::string RiskAreaMapPicture(const std::vector<Township>& map);

Rows GenerateCostProfiles();

struct CorrelationReport {
    double priceMinEigen = 0; // smallest eigenvalue of the 40 × 40 price matrix
    double yieldMinEigen = 0; // smallest over the yield models (same-crop entries on the diagonal)
};
Rows GenerateCorrelations(const std::vector<CropFacts>& crops, CorrelationReport& report);

// Streams the 294,800 rate rows into the writer, in key order.
void GenerateInsuranceRates(const std::vector<CropFacts>& crops, const std::vector<Township>& map,
                            PacketWriter& out);

// Smallest eigenvalue of a symmetric matrix (cyclic Jacobi).
double MinEigenvalue(std::vector<std::vector<double>> a);

} // namespace acremark::refgen
