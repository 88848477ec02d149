#pragma once
// The display colour of each scenario, shared by the comparison grid and the charts.

#include <QColor>

#include <array>
#include <cstdint>

namespace acremark {

// RGB of scenarios 1..8 (index 0 unused): red, blue, green, purple, teal, olive, fuchsia, black.
inline constexpr std::array<std::uint32_t, 9> ScenarioColors{
    0x000000, 0xFF0000, 0x0000FF, 0x008000, 0x800080, 0x008080, 0x808000, 0xFF00FF, 0x000000};

// Scenario s's colour as a QColor; black outside 1..8.
inline QColor ScenarioColor(int s) {
    return QColor::fromRgb(s >= 1 && s <= 8 ? ScenarioColors[std::size_t(s)] : 0x000000u);
}

} // namespace acremark
