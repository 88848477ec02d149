// refgen --csv DATA_DIR --out OUT_DIR [--map]: writes the nine reference packets into OUT_DIR.
#include "data/land_location.h"
#include "data/reference_tables.h"
#include "refgen.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>

using namespace acremark;
using namespace acremark::refgen;

namespace {

void Require(bool ok, const std::string& what) {
    if (!ok) throw std::logic_error("generated tables break a stated fact: " + what);
}

// Written beside the target and renamed over it, so a failed run never leaves half a packet
// that the build would take as up to date.
void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::path tmp = path;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + tmp.string());
    }
    std::filesystem::rename(tmp, path);
}

void CheckRiskAreaMap(const std::vector<Township>& map) {
    Require(map.size() == 3685, "3,685 townships");
    std::map<int, int> perMeridian, perArea;
    int maxTownship = 0, minTownship = 1000, maxRange = 0, minRange = 100;
    for (const auto& t : map) {
        TLandLocation l = DecodeLandLocation(t.trw);
        ++perMeridian[l.Meridian];
        ++perArea[t.riskArea];
        maxTownship = std::max(maxTownship, l.Township);
        minTownship = std::min(minTownship, l.Township);
        maxRange = std::max(maxRange, l.Range);
        minRange = std::min(minRange, l.Range);
    }
    Require(perMeridian[4] == 2012 && perMeridian[5] == 1403 && perMeridian[6] == 270,
            "townships per meridian");
    Require(minTownship == 1 && maxTownship == 112 && minRange == 1 && maxRange == 30,
            "townships 1..112, ranges 1..30");
    Require(perArea.size() == 22 && perArea.begin()->first == 1 && perArea.rbegin()->first == 22,
            "every risk area 1..22");
    for (const auto& [area, n] : perArea)
        if (area != 4 && area != 6) Require(n > 76 && n < 392, "area sizes between 76 and 392");
    Require(perArea[6] == 76 && perArea[4] == 392, "area 6 holds 76 townships, area 4 392");
    auto areaOf = [&](int32_t trw) {
        for (const auto& t : map)
            if (t.trw == trw) return t.riskArea;
        return 0;
    };
    Require(areaOf(401001) == 4 && areaOf(401023) == 9 && areaOf(501015) != 0,
            "401001 in area 4, 401023 in area 9, 501015 known");
}

} // namespace

int main(int argc, char** argv) {
    std::string csvDir, outDir;
    bool printMap = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--csv" && i + 1 < argc)
            csvDir = argv[++i];
        else if (a == "--out" && i + 1 < argc)
            outDir = argv[++i];
        else if (a == "--map")
            printMap = true;
        else {
            std::cerr << "Usage: refgen --csv DATA_DIR --out OUT_DIR [--map]\n";
            return 2;
        }
    }
    if (csvDir.empty() || outDir.empty()) {
        std::cerr << "Usage: refgen --csv DATA_DIR --out OUT_DIR [--map]\n";
        return 2;
    }
    try {
        const std::filesystem::path out(outDir);
        std::filesystem::create_directories(out);
        auto path = [&](RefTable t) { return out / RefTableFileName(t); };
        auto csv = [&](RefTable t) {
            return ReadCsvTable(csvDir + "/" + RefTableName(t) + ".csv", RefTableSchema(t));
        };

        // The published short tables, as if typed in row by row.
        const Rows cropRows = csv(RefTable::Crops);
        Require(cropRows.size() == 40, "40 crops");
        for (RefTable t : {RefTable::Crops, RefTable::SFI, RefTable::CLevel, RefTable::CIPrice}) {
            const Rows rows = t == RefTable::Crops ? cropRows : csv(t);
            WriteFile(path(t), WriteInsertedPacket(RefTableSchema(t), rows));
        }
        WriteFile(path(RefTable::Location),
                  WritePacket(RefTableSchema(RefTable::Location), csv(RefTable::Location)));
        const auto crops = CropsFromRows(cropRows);

        const auto map = GenerateRiskAreaMap();
        CheckRiskAreaMap(map);
        if (printMap) std::cout << RiskAreaMapPicture(map);
        Rows trwra;
        for (const auto& t : map)
            trwra.push_back({int64_t(t.trw), int64_t(t.riskArea)});
        WriteFile(path(RefTable::TRWRA), WritePacket(RefTableSchema(RefTable::TRWRA), trwra));

        const Rows profiles = GenerateCostProfiles();
        Require(profiles.size() == 316, "316 cost profiles");
        WriteFile(path(RefTable::VCost), WritePacket(RefTableSchema(RefTable::VCost), profiles));

        CorrelationReport report;
        const Rows correlations = GenerateCorrelations(crops, report);
        Require(report.priceMinEigen > -1e-9 && report.yieldMinEigen > 1e-6,
                "positive semi-definite correlation models");
        WriteFile(path(RefTable::PYMatrix),
                  WritePacket(RefTableSchema(RefTable::PYMatrix), correlations));
        if (printMap)
            std::cout << "smallest eigenvalue: prices " << report.priceMinEigen << ", yields "
                      << report.yieldMinEigen << "\n";

        PacketWriter rates(RefTableSchema(RefTable::CIRates));
        GenerateInsuranceRates(crops, map, rates);
        WriteFile(path(RefTable::CIRates), rates.Finish());
    } catch (const std::exception& e) {
        std::cerr << "refgen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
