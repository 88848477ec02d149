#include "data/land_location.h"

#include <array>

namespace acremark {

namespace {
constexpr std::array<std::string_view, 6> kSoilZoneNames = {
    "Brown", "Dark Brown", "Black", "Grey Wooded", "Peace River - Greywooded", "Irrigated"};

// Soil zone index and group of risk areas 1..22.
struct RiskAreaFacts {
    int soilZone;
    char group;
};
constexpr std::array<RiskAreaFacts, kRiskAreaCount> kRiskAreas = {{
    {2, 'A'}, // 1
    {1, 'B'}, // 2
    {0, 'B'}, // 3
    {0, 'B'}, // 4
    {2, 'B'}, // 5
    {3, 'A'}, // 6
    {2, 'A'}, // 7
    {2, 'C'}, // 8
    {1, 'C'}, // 9
    {3, 'A'}, // 10
    {2, 'A'}, // 11
    {2, 'C'}, // 12
    {2, 'C'}, // 13
    {3, 'A'}, // 14
    {2, 'C'}, // 15
    {3, 'D'}, // 16
    {4, 'D'}, // 17
    {4, 'D'}, // 18
    {4, 'D'}, // 19
    {4, 'D'}, // 20
    {4, 'D'}, // 21
    {4, 'D'}, // 22
}};
} // namespace

int32_t EncodeLandLocation(int township, int range, int meridian) {
    return int32_t(meridian) * 100000 + int32_t(range) * 1000 + int32_t(township);
}

TLandLocation DecodeLandLocation(int32_t code) {
    return {int(code % 1000), int((code / 1000) % 100), int(code / 100000)};
}

const FieldSpec& LocationField(int index) {
    static const std::array<FieldSpec, 3> fields = {{
        {"Township", FieldType::Int16, 0, 1.0, 126.0},
        {"Range", FieldType::Int16, 0, 1.0, 30.0},
        {"Meridian", FieldType::Int16, 0, 4.0, 6.0},
    }};
    return fields.at(size_t(index));
}

std::string_view SoilZoneName(int index) {
    if (index < 0 || index >= int(kSoilZoneNames.size())) return {};
    return kSoilZoneNames[size_t(index)];
}

int RiskAreaDefaultSoilZone(int riskArea) {
    if (riskArea < 1 || riskArea > kRiskAreaCount) return -1;
    return kRiskAreas[size_t(riskArea - 1)].soilZone;
}

char RiskAreaGroup(int riskArea) {
    if (riskArea < 1 || riskArea > kRiskAreaCount) return '\0';
    return kRiskAreas[size_t(riskArea - 1)].group;
}

} // namespace acremark
