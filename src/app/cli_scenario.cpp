// acremark-cli dump FILE.crs and import FARM.json OUT.crs: a scenario file as JSON and back.
#include "app/cli_commands.h"
#include "app/cli_json.h"
#include "app/cli_reference.h"
#include "data/risk_data.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <span>

namespace acremark {

namespace {

QJsonArray IntList(const std::array<int32_t, kScenarioCount>& v) {
    QJsonArray a;
    for (int32_t x : v)
        a.append(x);
    return a;
}

int CmdDump(CliContext& ctx) {
    if (ctx.args.size() != 1) throw CliError("Usage: acremark-cli dump FILE.crs");
    QByteArray bytes = ReadWholeFile(ctx.args[0]);
    // Old files name their crops by the old list; their units come from the crop table.
    std::shared_ptr<const TReferenceTables> reference;
    CropUnitLookup unitOf = [&](int crop) {
        if (!reference) reference = LoadReferenceTables(ctx.dataOption);
        const TCropRow* row = reference->cdsCrops.Find(crop);
        return row ? row->Unit : std::string();
    };
    ScenarioFileContent c;
    try {
        c = TRiskData::Parse(
            std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())),
            unitOf);
    } catch (const ScenarioFileError& e) {
        throw CliError(e.what());
    }
    QJsonObject o;
    o["version"] = c.version;
    o["location_code"] = c.locationCode.value_or(0);
    o["soil_zone_index"] = IntList(c.soilZoneIndex);
    o["risk_area_index"] = IntList(c.riskAreaIndex);
    QJsonArray descriptions;
    for (const auto& d : c.descriptions)
        descriptions.append(Q(d));
    o["descriptions"] = descriptions;
    QJsonArray fields;
    for (const auto& r : c.fields) {
        QJsonObject f;
        for (int i = 0; i < kFieldCount; ++i)
            f[QString::fromUtf8(FieldDef(i).name.data(), qsizetype(FieldDef(i).name.size()))] =
                ToJson(r.Get(i));
        fields.append(f);
    }
    o["fields"] = fields;
    PrintJson(ctx.out, o);
    return 0;
}

// A JSON object's value by name, without regard to case; undefined when absent.
QJsonValue Member(const QJsonObject& o, const QString& name) {
    for (auto it = o.begin(); it != o.end(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0) return it.value();
    return QJsonValue(QJsonValue::Undefined);
}

// A whole number that a 32-bit value of the file can hold; anything else is refused by name.
int32_t FileInt(const QJsonValue& v, const std::string& what) {
    const double d = v.toDouble();
    if (!(d >= -2147483648.0 && d <= 2147483647.0) || d != std::trunc(d))
        throw CliError(what + " holds " + RoundTripDouble(d) + ", not a whole number of 32 bits");
    return int32_t(d);
}

void ReadIntList(const QJsonObject& o, const char* name, std::array<int32_t, kScenarioCount>& out) {
    QJsonArray a = Member(o, name).toArray();
    for (int i = 0; i < kScenarioCount; ++i)
        out[size_t(i)] = i < a.size() && a[i].isDouble()
                             ? FileInt(a[i], std::string(name) + "[" + std::to_string(i) + "]")
                             : -1;
}

// Each scenario's fields are numbered 1, 2, 3, … without a gap: the columns, and so the run,
// stop at the first missing number, and the fields after a gap would silently be left out.
void CheckFieldNumbers(const TFieldTable& table) {
    int scenario = 0, expected = 1;
    for (const auto& r : table) {
        if (r.AsInteger(fScenarioID) != scenario) scenario = r.AsInteger(fScenarioID), expected = 1;
        if (r.AsInteger(fFieldID) != expected)
            throw CliError("Scenario " + std::to_string(scenario) + " has a Field # " +
                           std::to_string(r.AsInteger(fFieldID)) + " but no Field # " +
                           std::to_string(expected) + ": fields are numbered from 1 without gaps");
        ++expected;
    }
}

int CmdImport(CliContext& ctx) {
    if (ctx.args.size() != 2) throw CliError("Usage: acremark-cli import FARM.json OUT.crs");
    QJsonParseError perr;
    QJsonDocument doc = QJsonDocument::fromJson(ReadWholeFile(ctx.args[0]), &perr);
    if (doc.isNull() || !doc.isObject())
        throw CliError(
            "Cannot read " + ctx.args[0].toStdString() + ": " +
            (doc.isNull() ? perr.errorString().toStdString() : std::string("not a JSON object")));
    const QJsonObject root = doc.object();
    TdmRisk dm;
    ReadIntList(root, "soil_zone_index", dm.SoilZoneIndex);
    ReadIntList(root, "risk_area_index", dm.RiskAreaIndex);
    QJsonValue loc = Member(root, "location_code");
    dm.LocationCode = loc.isDouble() ? FileInt(loc, "location_code") : 0;
    QJsonArray descriptions = Member(root, "descriptions").toArray();
    for (int s = 1; s <= kScenarioCount; ++s)
        if (s - 1 < descriptions.size() && descriptions[s - 1].isString())
            dm.SetScenarioDescription(s, descriptions[s - 1].toString().toStdString());
    const QJsonArray fields = Member(root, "fields").toArray();
    const std::string source = ctx.args[0].toStdString();
    if (size_t(fields.size()) > kMaxFieldRecords)
        throw CliError(source + " holds " + std::to_string(fields.size()) + " fields; at most " +
                       std::to_string(kMaxFieldRecords) + " (8 scenarios of 32) are possible");
    std::vector<FieldRecord> records;
    for (qsizetype n = 0; n < fields.size(); ++n) {
        const QJsonObject f = fields[n].toObject();
        FieldEntry values{};
        for (auto it = f.begin(); it != f.end(); ++it)
            if (auto i = FieldIndexOf(it.key().toStdString()))
                values[size_t(*i)] = FromJson(it.value());
        try {
            records.push_back(CheckedFieldRecord(values));
        } catch (const TableError& e) {
            throw CliError("Field " + std::to_string(n + 1) + " of " + source + ": " + e.what());
        }
    }
    try {
        dm.cdsRisk = TFieldTable::FromRecords(std::move(records));
    } catch (const TableError& e) {
        throw CliError(source + ": " + e.what());
    }
    CheckFieldNumbers(dm.cdsRisk);
    TRiskData rd;
    rd.FileName = ctx.args[1].toStdString();
    if (auto err = rd.Save(dm)) throw CliError(*err);
    return 0;
}

const CliCommand dump("dump", "dump FILE.crs              a scenario file's store as JSON", CmdDump,
                      {"data"});
const CliCommand import("import", "import FARM.json OUT.crs   writes a scenario file from JSON",
                        CmdImport);
} // namespace

} // namespace acremark
