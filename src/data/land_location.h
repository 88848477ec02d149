#pragma once
// The farm's legal land location (township, range, meridian) as one code, the soil zone list,
// and what a crop insurance risk area implies: its default soil zone and its yield correlation
// group.

#include "data/field_text.h"

#include <cstdint>
#include <string_view>

namespace acremark {

inline constexpr int kRiskAreaCount = 22;
inline constexpr int kSoilZoneCount = 5; // soil zone indexes 0..4

struct TLandLocation {
    int Township = 0, Range = 0, Meridian = 0;
    bool operator==(const TLandLocation&) const = default;
};

// Meridian × 100000 + Range × 1000 + Township.
int32_t EncodeLandLocation(int township, int range, int meridian);
// Township = code mod 1000, Range = (code div 1000) mod 100, Meridian = code div 100000.
TLandLocation DecodeLandLocation(int32_t code);

// The three fields of the location edit buffer cdsLocation (index 0 Township 1..126, 1 Range
// 1..30, 2 Meridian 4..6), 16-bit integers; typed text goes through ConvertFieldText.
const FieldSpec& LocationField(int index);

// Soil zone names by index: 0 "Brown" .. 4 "Peace River - Greywooded", and 5 "Irrigated" (soil
// code 6 of the cost profiles, never offered as a soil zone). Empty for any other index.
std::string_view SoilZoneName(int index);

// The soil zone index (0..4) that a risk area (1..22) implies; -1 for no such risk area.
int RiskAreaDefaultSoilZone(int riskArea);
// The yield correlation group of a risk area (1..22), 'A'..'D'; '\0' for no such risk area.
char RiskAreaGroup(int riskArea);

} // namespace acremark
