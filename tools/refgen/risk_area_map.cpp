// cdsTRWRA: the crop insurance risk area of every township. The townships form a plausible
// farming region on the township grid (meridians 4 to 6), and each risk area grows as one
// connected region from an anchor township towards its centre, all areas at a pace
// proportional to their size, so the map reads like a map: the brown-soil areas of group B in
// the south-east, the park belt across the middle, the grey-wooded fringe to the north and the
// Peace River areas in the north-west.
#include "data/land_location.h"
#include "refgen.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <stdexcept>

namespace acremark::refgen {

namespace {

struct Cell {
    int m, r, t;
    auto operator<=>(const Cell&) const = default;
};

// Grid position: x grows westwards across the meridians, y northwards.
int X(const Cell& c) {
    return (c.m - 4) * 30 + c.r - 1;
}
int Y(const Cell& c) {
    return c.t - 1;
}

// The townships of each range: one run [low, high] per (meridian, range).
std::map<std::pair<int, int>, std::pair<int, int>> Columns() {
    std::map<std::pair<int, int>, std::pair<int, int>> cols;
    for (int r = 1; r <= 30; ++r) {
        int h = 70 - (r - 1) / 5;
        if (r >= 18) h -= 1;
        cols[{4, r}] = {1, h};
    }
    for (int r = 1; r <= 30; ++r) {
        if (r <= 10) // the foothills close in from the south-west
            cols[{5, r}] = {std::max(1, 4 * (r - 2)), 72 + std::max(0, r - 7) * 2};
        else if (r <= 18) // a strip runs north to the northern farmland
            cols[{5, r}] = {32 + 3 * (r - 10), r < 14 ? 84 : 112 - 2 * (r - 14)};
        else
            cols[{5, r}] = {62 + (r - 19) / 3, 92 - (r - 19) / 2};
    }
    for (int r = 1; r <= 13; ++r)
        cols[{6, r}] = {70, 92 - r / 3};

    auto count = [&](int m) {
        int n = 0;
        for (const auto& [key, run] : cols)
            if (key.first == m) n += run.second - run.first + 1;
        return n;
    };
    // Trim or extend the northern ends until each meridian holds its number of townships.
    auto fit = [&](int m, int target, const std::vector<int>& ranges) {
        for (size_t i = 0; count(m) != target; ++i) {
            auto& run = cols[{m, ranges[i % ranges.size()]}];
            run.second += count(m) < target ? 1 : -1;
        }
    };
    std::vector<int> m5;
    for (int r = 19; r <= 30; ++r)
        m5.push_back(r);
    for (int r = 1; r <= 10; ++r)
        m5.push_back(r);
    fit(5, 1403, m5);
    fit(6, 270, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    if (count(4) != 2012) throw std::logic_error("meridian 4 does not hold 2012 townships");
    return cols;
}

struct Area {
    int number;
    Cell anchor;
    int cx, cy; // the point the area grows towards
    int size;   // 0: whatever remains
};

// Group B first: area 4 holds 401001, area 9 holds 401023.
const std::vector<Area> kAreas = {
    {4, {4, 1, 1}, 7, 8, 392},      {3, {4, 28, 1}, 26, 7, 250},     {5, {5, 1, 1}, 36, 10, 170},
    {2, {4, 20, 24}, 20, 26, 200},  {9, {4, 1, 23}, 4, 38, 200},     {1, {5, 5, 24}, 40, 30, 150},
    {8, {4, 8, 42}, 10, 44, 180},   {12, {4, 22, 42}, 24, 42, 170},  {13, {5, 8, 42}, 38, 44, 160},
    {15, {4, 1, 56}, 3, 58, 120},   {11, {4, 20, 58}, 22, 60, 160},  {7, {5, 10, 56}, 42, 56, 170},
    {10, {4, 8, 66}, 10, 66, 150},  {14, {5, 2, 68}, 34, 68, 140},   {6, {5, 12, 70}, 44, 68, 76},
    {16, {5, 16, 86}, 46, 84, 120}, {22, {5, 16, 108}, 45, 96, 150}, {17, {5, 22, 76}, 52, 76, 110},
    {18, {5, 28, 68}, 58, 70, 110}, {19, {6, 4, 74}, 64, 76, 100},   {20, {6, 11, 84}, 70, 84, 100},
    {21, {5, 25, 90}, 57, 86, 0},
};

} // namespace

std::vector<Township> GenerateRiskAreaMap() {
    std::map<std::pair<int, int>, Cell> grid; // (x, y) -> township
    for (const auto& [key, run] : Columns())
        for (int t = run.first; t <= run.second; ++t) {
            Cell c{key.first, key.second, t};
            grid[{X(c), Y(c)}] = c;
        }
    const int total = int(grid.size());
    auto neighbours = [&](const Cell& c) {
        std::vector<Cell> out;
        for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
            auto it = grid.find({X(c) + dx, Y(c) + dy});
            if (it != grid.end()) out.push_back(it->second);
        }
        return out;
    };

    std::vector<Area> areas = kAreas;
    int fixed = 0;
    for (const auto& a : areas)
        fixed += a.size;
    areas.back().size = total - fixed;

    std::map<Cell, int> owner;
    std::map<int, int> size;
    std::map<int, std::set<Cell>> front;
    for (const auto& a : areas) {
        if (!grid.count({X(a.anchor), Y(a.anchor)}) || owner.count(a.anchor))
            throw std::logic_error("bad anchor of risk area " + std::to_string(a.number));
        owner[a.anchor] = a.number;
        size[a.number] = 1;
    }
    for (const auto& a : areas)
        for (const Cell& n : neighbours(a.anchor))
            if (!owner.count(n)) front[a.number].insert(n);

    // Round robin: each area takes townships at a pace proportional to its size, always the
    // free neighbour nearest its centre.
    const double largest = 392.0;
    std::map<int, double> credit;
    for (bool progress = true; progress;) {
        progress = false;
        for (const auto& a : areas) {
            auto& fr = front[a.number];
            credit[a.number] += a.size / largest;
            while (credit[a.number] >= 1.0) {
                credit[a.number] -= 1.0;
                std::erase_if(fr, [&](const Cell& c) { return owner.count(c) > 0; });
                if (size[a.number] >= a.size || fr.empty()) break;
                auto dist = [&](const Cell& c) {
                    int dx = X(c) - a.cx, dy = Y(c) - a.cy;
                    return std::pair{dx * dx + dy * dy, c};
                };
                auto best =
                    std::min_element(fr.begin(), fr.end(), [&](const Cell& p, const Cell& q) {
                        return dist(p) < dist(q);
                    });
                Cell c = *best;
                fr.erase(best);
                owner[c] = a.number;
                ++size[a.number];
                progress = true;
                for (const Cell& n : neighbours(c))
                    if (!owner.count(n)) fr.insert(n);
            }
            if (size[a.number] < a.size && !fr.empty()) progress = true;
        }
    }
    // Townships left over join the smallest neighbouring area (never the largest or smallest
    // area, whose sizes are fixed).
    std::vector<Cell> left;
    for (const auto& [key, c] : grid)
        if (!owner.count(c)) left.push_back(c);
    std::sort(left.begin(), left.end());
    while (!left.empty()) {
        std::vector<Cell> still;
        for (const Cell& c : left) {
            int pick = 0;
            for (const Cell& n : neighbours(c)) {
                auto it = owner.find(n);
                if (it == owner.end() || it->second == 4 || it->second == 6) continue;
                int a = it->second;
                if (!pick || std::pair(size[a], a) < std::pair(size[pick], pick)) pick = a;
            }
            if (pick) {
                owner[c] = pick;
                ++size[pick];
            } else {
                still.push_back(c);
            }
        }
        if (still.size() == left.size()) throw std::logic_error("townships without a risk area");
        left = std::move(still);
    }

    std::vector<Township> map;
    for (const auto& [c, a] : owner)
        map.push_back({EncodeLandLocation(c.t, c.r, c.m), a});
    std::sort(map.begin(), map.end(),
              [](const Township& a, const Township& b) { return a.trw < b.trw; });
    return map;
}

std::string RiskAreaMapPicture(const std::vector<Township>& map) {
    const char* symbols = "?123456789ABCDEFGHIJKLM";
    std::map<std::pair<int, int>, int> at;
    int maxX = 0, maxY = 0;
    for (const auto& t : map) {
        TLandLocation l = DecodeLandLocation(t.trw);
        Cell c{l.Meridian, l.Range, l.Township};
        at[{X(c), Y(c)}] = t.riskArea;
        maxX = std::max(maxX, X(c));
        maxY = std::max(maxY, Y(c));
    }
    std::string out;
    for (int y = maxY; y >= 0; --y) {
        std::string line = std::to_string(y + 1);
        line.insert(0, 4 - line.size(), ' ');
        line += ' ';
        for (int x = maxX; x >= 0; --x) {
            auto it = at.find({x, y});
            line += it == at.end() ? '.' : symbols[std::clamp(it->second, 0, 22)];
        }
        out += line + "\n";
    }
    return out;
}

} // namespace acremark::refgen
