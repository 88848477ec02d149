// What the synthetic tables assume about each crop: its market family, normal yields, premium
// level and cost factors against feed barley, and which cost profiles exist.
#include "refgen.h"

#include <array>
#include <stdexcept>

namespace acremark::refgen {

namespace {
using F = Family;
// family, dry yield, irrigated yield, risk, seed, fert, chem, truck, other, water
constexpr std::array<CropTraits, 40> kTraits = {{
    {F::SeedCrop, 320, 600, 700, 0.6, 0.5, 1.6, 0.5, 1.1, 0.9},   // 1 alfalfa_seed
    {F::Feed, 62, 105, 420, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0},        // 2 barley_feed
    {F::Feed, 58, 100, 440, 1.1, 0.95, 1.0, 1.05, 1.0, 1.0},      // 3 barley_malt
    {F::Pulse, 1700, 2100, 900, 2.4, 0.7, 1.6, 1.2, 1.2, 1.1},    // 4 bean_blk
    {F::Pulse, 1750, 2150, 900, 2.4, 0.7, 1.6, 1.2, 1.2, 1.1},    // 5 bean_gn
    {F::Pulse, 1800, 2200, 900, 2.4, 0.7, 1.6, 1.2, 1.2, 1.1},    // 6 bean_pink
    {F::Pulse, 1900, 2300, 880, 2.5, 0.7, 1.6, 1.2, 1.2, 1.1},    // 7 bean_pinto
    {F::Pulse, 1750, 2200, 900, 2.4, 0.7, 1.6, 1.2, 1.2, 1.1},    // 8 bean_smred
    {F::Oilseed, 32, 52, 380, 2.0, 1.15, 1.2, 0.9, 1.05, 0.9},    // 9 canola_arg
    {F::Oilseed, 34, 54, 380, 2.0, 1.15, 1.2, 0.9, 1.05, 0.9},    // 10 canola_pol
    {F::Pulse, 1300, 2200, 800, 2.2, 0.35, 1.5, 0.9, 1.0, 1.0},   // 11 chickpeas
    {F::SeedCrop, 550, 0, 650, 0.3, 0.9, 0.9, 0.6, 1.0, 0.0},     // 12 fescue_seed
    {F::Oilseed, 26, 42, 450, 0.9, 0.8, 1.0, 0.8, 1.0, 0.9},      // 13 flax
    {F::Pulse, 1400, 2300, 700, 1.3, 0.3, 1.6, 0.9, 1.0, 0.9},    // 14 lentils
    {F::Feed, 68, 110, 380, 0.9, 0.9, 0.8, 1.0, 0.95, 1.0},       // 15 mixed_grain
    {F::Oilseed, 1100, 1600, 600, 0.5, 0.9, 1.0, 0.8, 0.95, 0.9}, // 16 must_br
    {F::Oilseed, 1050, 1550, 600, 0.5, 0.9, 1.0, 0.8, 0.95, 0.9}, // 17 must_or
    {F::Oilseed, 1000, 1500, 600, 0.5, 0.9, 1.0, 0.8, 0.95, 0.9}, // 18 must_yel
    {F::Feed, 85, 140, 400, 0.85, 0.85, 0.8, 1.0, 0.95, 1.0},     // 19 oats
    {F::Pulse, 40, 62, 500, 2.1, 0.35, 1.3, 0.9, 1.0, 0.9},       // 20 peas_field
    {F::Vegetable, 0, 15, 600, 20.0, 2.2, 4.0, 4.0, 2.5, 1.6},    // 21 potatoes
    {F::Feed, 50, 80, 380, 0.8, 0.9, 0.8, 0.9, 0.95, 0.9},        // 22 rye_fall
    {F::Feed, 45, 75, 420, 0.8, 0.9, 0.8, 0.9, 0.95, 0.9},        // 23 rye_spr
    {F::Vegetable, 0, 24, 500, 5.0, 1.3, 3.0, 3.0, 2.0, 1.4},     // 24 sugarbeets
    {F::SeedCrop, 450, 0, 600, 0.3, 0.8, 0.7, 0.6, 1.0, 0.0},     // 25 timothy_seed
    {F::Feed, 65, 105, 400, 0.9, 0.95, 0.9, 1.0, 1.0, 1.0},       // 26 trit_spr
    {F::Feed, 70, 110, 420, 0.9, 0.95, 0.9, 1.0, 1.0, 1.0},       // 27 trit_winter
    {F::Wheat, 52, 85, 390, 1.05, 1.05, 1.1, 1.0, 1.0, 1.0},      // 28 wht_cps
    {F::Wheat, 42, 75, 420, 1.1, 1.05, 1.1, 1.0, 1.0, 1.0},       // 29 wht_dur
    {F::Wheat, 44, 78, 420, 1.1, 1.05, 1.1, 1.0, 1.0, 1.0},       // 30 wht_dur_hp
    {F::Wheat, 50, 82, 400, 1.05, 1.05, 1.1, 1.0, 1.0, 1.0},      // 31 wht_es
    {F::Wheat, 46, 80, 380, 1.05, 1.05, 1.1, 1.0, 1.0, 1.0},      // 32 wht_hrs
    {F::Wheat, 48, 82, 380, 1.05, 1.1, 1.1, 1.0, 1.0, 1.0},       // 33 wht_hrs_hp
    {F::Wheat, 50, 85, 440, 1.0, 1.05, 1.0, 1.0, 1.0, 1.0},       // 34 wht_hrw
    {F::Wheat, 0, 95, 400, 1.1, 1.1, 1.1, 1.0, 1.0, 1.1},         // 35 wht_sws
    {F::Forage, 2.2, 4.5, 550, 0.15, 0.6, 0.2, 0.4, 0.9, 1.2},    // 36 hay_leg
    {F::Forage, 1.8, 4.0, 550, 0.15, 0.6, 0.2, 0.4, 0.9, 1.2},    // 37 hay_grass
    {F::Forage, 2.0, 4.2, 550, 0.15, 0.6, 0.2, 0.4, 0.9, 1.2},    // 38 hay_mixed
    {F::Feed, 6.5, 11, 450, 1.0, 1.1, 0.8, 1.5, 1.0, 1.0},        // 39 silage_cereal
    {F::Feed, 2.6, 4.4, 450, 1.0, 0.9, 0.7, 1.2, 1.0, 1.0},       // 40 greenfeed
}};
} // namespace

const CropTraits& Traits(int crop) {
    if (crop < 1 || crop > 40) throw std::out_of_range("no crop " + std::to_string(crop));
    return kTraits[size_t(crop - 1)];
}

std::vector<int> DrylandSoilCodes(int crop) {
    switch (crop) {
    case 1:
    case 25:
        return {2, 3, 4, 5};
    case 14:
    case 16:
    case 17:
    case 18:
    case 29:
    case 30:
        return {1, 2, 3};
    case 11:
        return {1, 2};
    case 12:
        return {5};
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 21:
    case 24:
    case 35:
        return {};
    default:
        return {1, 2, 3, 4, 5};
    }
}

bool HasIrrigatedProfile(int crop) {
    return crop != 12 && crop != 25;
}

} // namespace acremark::refgen
