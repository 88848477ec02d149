// Noise, CSV reading and small numeric helpers shared by the generators.
#include "data/field_text.h"
#include "data/land_location.h"
#include "refgen.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace acremark::refgen {

namespace {
uint64_t Mix(uint64_t x) {
    // splitmix64 finaliser
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}
} // namespace

uint64_t Hash(uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
    return Mix(Mix(Mix(Mix(a) ^ b) ^ c) ^ d);
}

double Uniform(uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
    return double(Hash(a, b, c, d) >> 11) * 0x1.0p-53;
}

double Jitter(double spread, uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
    return 1.0 + spread * (2.0 * Uniform(a, b, c, d) - 1.0);
}

double RoundTo(double x, double denominator) {
    return std::round(x * denominator) / denominator;
}

bool CropFacts::GrownInGroup(char group) const {
    for (int a = 1; a <= kRiskAreaCount; ++a)
        if (GrownIn(a) && RiskAreaGroup(a) == group) return true;
    return false;
}

namespace {
std::vector<std::string> SplitCsvLine(const std::string& line) {
    std::vector<std::string> cells(1);
    for (char ch : line) {
        if (ch == ',')
            cells.emplace_back();
        else if (ch != '\r')
            cells.back() += ch;
    }
    return cells;
}

FieldType FieldTypeOf(ColType t) {
    switch (t) {
    case ColType::Int16:
    case ColType::UInt16:
        return FieldType::Int16;
    case ColType::Int32:
    case ColType::UInt32:
        return FieldType::Int32;
    case ColType::Bool:
        return FieldType::Bool;
    case ColType::Double:
        return FieldType::Double;
    case ColType::String:
        return FieldType::String;
    }
    return FieldType::String;
}
} // namespace

Rows ReadCsvTable(const std::string& path, const PacketSchema& schema) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error(path + ": cannot be opened");
    std::string line;
    if (!std::getline(in, line)) throw std::runtime_error(path + ": no header line");
    const auto header = SplitCsvLine(line);
    std::vector<int> target; // schema column of each CSV column
    for (const auto& name : header) {
        int c = schema.ColumnIndex(name);
        if (c < 0) throw std::runtime_error(path + ": unknown column " + name);
        target.push_back(c);
    }
    if (header.size() != schema.columns.size())
        throw std::runtime_error(path + ": the header must name every column once");
    Rows rows;
    int lineNo = 1;
    while (std::getline(in, line)) {
        ++lineNo;
        if (line.empty() || line == "\r") continue;
        const auto cells = SplitCsvLine(line);
        if (cells.size() != header.size())
            throw std::runtime_error(path + ":" + std::to_string(lineNo) + ": " +
                                     std::to_string(cells.size()) + " cells, expected " +
                                     std::to_string(header.size()));
        std::vector<Value> row(schema.columns.size());
        for (size_t i = 0; i < cells.size(); ++i) {
            const auto& col = schema.columns[size_t(target[i])];
            FieldSpec spec{col.name, FieldTypeOf(col.type), col.width, std::nullopt, std::nullopt};
            auto conv = ConvertFieldText(spec, cells[i]);
            if (!conv.Ok())
                throw std::runtime_error(path + ":" + std::to_string(lineNo) + ": " + conv.error);
            row[size_t(target[i])] = conv.value;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<CropFacts> CropsFromRows(const Rows& cdsCropsRows) {
    std::vector<CropFacts> crops;
    for (const auto& r : cdsCropsRows) {
        CropFacts c;
        c.code = int(ValueAsInt(r[0]));
        c.name = std::get<std::string>(r[1]);
        c.unit = std::get<std::string>(r[2]);
        for (int a = 1; a <= kRiskAreaCount; ++a)
            if (ValueAsBool(r[size_t(2 + a)])) c.riskAreas |= 1u << (a - 1);
        crops.push_back(c);
    }
    return crops;
}

double MinEigenvalue(std::vector<std::vector<double>> a) {
    const size_t n = a.size();
    if (n == 0) return 0;
    for (int sweep = 0; sweep < 100; ++sweep) {
        double off = 0;
        for (size_t p = 0; p < n; ++p)
            for (size_t q = p + 1; q < n; ++q)
                off += a[p][q] * a[p][q];
        if (off < 1e-26) break;
        for (size_t p = 0; p < n; ++p)
            for (size_t q = p + 1; q < n; ++q) {
                if (std::fabs(a[p][q]) < 1e-300) continue;
                const double theta = (a[q][q] - a[p][p]) / (2 * a[p][q]);
                const double t =
                    (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
                const double c = 1 / std::sqrt(t * t + 1), s = t * c;
                for (size_t k = 0; k < n; ++k) {
                    const double akp = a[k][p], akq = a[k][q];
                    a[k][p] = c * akp - s * akq;
                    a[k][q] = s * akp + c * akq;
                }
                for (size_t k = 0; k < n; ++k) {
                    const double apk = a[p][k], aqk = a[q][k];
                    a[p][k] = c * apk - s * aqk;
                    a[q][k] = s * apk + c * aqk;
                }
            }
    }
    double m = a[0][0];
    for (size_t i = 1; i < n; ++i)
        m = std::min(m, a[i][i]);
    return m;
}

} // namespace acremark::refgen
