#include "cli_test_util.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

using namespace acremark::test;

namespace {

const QString kData = QString(ACREMARK_BINARY_DIR) + "/refdata";
const QString kExample = QString(ACREMARK_SOURCE_DIR) + "/examples/example-farm.json";

QJsonObject Json(const std::string& text) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}

} // namespace

TEST(CliRun, ExampleFarmRunsReproduciblyAndDumpsBack) {
    QTemporaryDir dir;
    const QString crs = dir.filePath("example.crs");
    auto imp = Cli({"import", kExample, crs});
    ASSERT_EQ(imp.status, 0) << imp.err;

    auto a = Cli({"run", crs, "--data", kData, "--iterations", "1000", "--seed", "42"});
    ASSERT_EQ(a.status, 0) << a.err;
    QJsonObject o = Json(a.out);
    EXPECT_EQ(o["scenario"].toInt(), 1);
    EXPECT_EQ(o["seed"].toInteger(), 42);
    EXPECT_EQ(o["fields"].toArray().size(), 4);
    EXPECT_EQ(o["cm_curve"].toArray().size(), 1000);
    EXPECT_EQ(o["summary"].toArray().size(), 31);
    EXPECT_EQ(o["outputs"].toObject()["mean"].toArray().size(), 5);
    EXPECT_EQ(o["summary"].toArray()[30].toDouble(), 760); // total acres
    EXPECT_TRUE(o["grid"].toObject()["3"].toString().startsWith("$"));
    EXPECT_TRUE(o["grid"].toObject()["12"].toString().contains("$"));
    EXPECT_GT(o["outputs"].toObject()["mean"].toArray()[1].toDouble(), 0); // insured barley pays
    // The same seed gives the same figures.
    auto b = Cli({"run", crs, "--data", kData, "--iterations", "1000", "--seed", "42"});
    QJsonObject p = Json(b.out);
    EXPECT_EQ(p["gm_curve"], o["gm_curve"]);
    EXPECT_EQ(p["fields"], o["fields"]);
    EXPECT_EQ(p["grid"], o["grid"]);

    auto d = Cli({"dump", crs, "--data", kData});
    ASSERT_EQ(d.status, 0) << d.err;
    QJsonObject dump = Json(d.out);
    EXPECT_EQ(dump["location_code"].toInt(), 401001);
    EXPECT_EQ(dump["fields"].toArray().size(), 8);
    EXPECT_EQ(dump["fields"].toArray()[3].toObject()["MaltBarley"].toDouble(), 60);
    EXPECT_EQ(dump["descriptions"].toArray()[1].toString(), "Wheat on the north half");
}

TEST(CliRun, RefusalsAndTargets) {
    QTemporaryDir dir;
    const QString crs = dir.filePath("example.crs");
    ASSERT_EQ(Cli({"import", kExample, crs}).status, 0);
    auto blank = Cli({"run", crs, "--data", kData, "--scenario", "3", "--seed", "1"});
    EXPECT_EQ(blank.status, 1);
    EXPECT_EQ(blank.err, "Select at least 2 crops\n");
    auto bad = Cli({"run", crs, "--data", kData, "--targets", "20000,x,10"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("row 11"), std::string::npos);
    auto iters = Cli({"run", crs, "--data", kData, "--iterations", "1500"});
    EXPECT_EQ(iters.status, 1);

    auto t = Cli({"run", crs, "--data", kData, "--iterations", "1000", "--seed", "7", "--targets",
                  "-1e12,1e12,100"});
    ASSERT_EQ(t.status, 0) << t.err;
    QJsonObject grid = Json(t.out)["grid"].toObject();
    EXPECT_EQ(grid["10"].toString(), "0.00%");
    EXPECT_EQ(grid["11"].toString(), "100.00%");
}

TEST(CliCompare, RunsEveryScenarioIntoTheGrid) {
    QTemporaryDir dir;
    const QString crs = dir.filePath("example.crs");
    ASSERT_EQ(Cli({"import", kExample, crs}).status, 0);
    auto c = Cli({"compare", crs, "--data", kData, "--iterations", "1000", "--seed", "3", "--csv"});
    ASSERT_EQ(c.status, 0) << c.err;
    // The comparison window's export: CSV with CRLF line ends.
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = c.out.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(c.out.substr(at, end - at));
    ASSERT_EQ(lines.size(), 14u);
    ASSERT_EQ(c.out.substr(c.out.size() - 2), "\r\n");
    EXPECT_EQ(
        lines[0].rfind("Description,\"Barley, canola, wheat and malt\",Wheat on the north half", 0),
        0u);
    EXPECT_EQ(lines[1], ",Scenario 1,Scenario 2,Scenario 3,Scenario 4,Scenario 5,Scenario 6,"
                        "Scenario 7,Scenario 8,Target,Scenario 1 value,Scenario 2 value,"
                        "Scenario 3 value,Scenario 4 value,Scenario 5 value,Scenario 6 value,"
                        "Scenario 7 value,Scenario 8 value");
    EXPECT_EQ(lines[2].rfind("Expected Contribution Margin,\"$", 0), 0u) << lines[2];
    EXPECT_EQ(lines[9].rfind("\"The chance of GM below $20,000 is:\"", 0), 0u) << lines[9];
    EXPECT_NE(lines[9].find(",20000,"), std::string::npos) << lines[9];
    // Scenarios without fields stay empty.
    EXPECT_EQ(lines[2].substr(lines[2].size() - 6), ",,,,,,");
    EXPECT_EQ(lines[12], "Iterations,1000,1000,,,,,,");
    EXPECT_EQ(lines[13], "Seed,3,3,,,,,,");
}

TEST(CliImport, RefusesWhatNoFieldMayHoldAndTheRunRefusesWhatItCannotCompute) {
    QTemporaryDir dir;
    QFile in(kExample);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QJsonObject example = QJsonDocument::fromJson(in.readAll()).object();
    // The example with field k (0-based, in file order) changed; nullopt value removes it.
    auto variant = [&](int k, const QString& name, std::optional<QJsonValue> v) {
        QJsonObject o = example;
        QJsonArray fields = o["fields"].toArray();
        if (!v) {
            fields.removeAt(k);
        } else {
            QJsonObject f = fields[k].toObject();
            f[name] = *v;
            fields[k] = f;
        }
        o["fields"] = fields;
        const QString path = dir.filePath("variant.json");
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(QJsonDocument(o).toJson());
        return path;
    };
    struct Case {
        const char* name;
        int field;
        QString column;
        std::optional<QJsonValue> value;
        std::string importError; // empty: imported, and then the run refuses with runError
        std::string runError;
    };
    const Case cases[] = {
        {"scenario beyond 32 bits", 0, "ScenarioID", QJsonValue(4294967297.0),
         "Scenario 4294967297, Field # 1: ScenarioID 4294967297 is outside the range of a whole "
         "number.",
         ""},
        {"a gap in the field numbers", 1, "", std::nullopt,
         "Scenario 1 has a Field # 3 but no Field # 2", ""},
        {"a 33rd field", 3, "FieldID", QJsonValue(33), "FieldID must be 1 to 32.", ""},
        {"crop 1e20", 2, "Crop", QJsonValue(1e20), "Crop 1e+20 is outside the range", ""},
        {"acres beyond any farm", 0, "Acres", QJsonValue(1e308), "",
         "Invalid data: the farm's totals are too large to compute.\n"},
        {"crop 999", 1, "Crop", QJsonValue(999), "", "Blank value: Crops in Field # 2\n"},
        {"coverage level 9 on an insured field", 0, "CoverageLevel", QJsonValue(9), "",
         "Blank value: Coverage Level in Field # 1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString crs = dir.filePath(QString("%1.crs").arg(&c - cases));
        auto imp = Cli({"import", variant(c.field, c.column, c.value), crs});
        if (!c.importError.empty()) {
            EXPECT_EQ(imp.status, 1);
            EXPECT_NE(imp.err.find(c.importError), std::string::npos) << imp.err;
            EXPECT_FALSE(QFile::exists(crs)) << "nothing is written";
            continue;
        }
        ASSERT_EQ(imp.status, 0) << imp.err;
        auto run = Cli({"run", crs, "--data", kData, "--iterations", "1000", "--seed", "3"});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, c.runError);
    }

    const QString crs = dir.filePath("example.crs");
    ASSERT_EQ(Cli({"import", kExample, crs}).status, 0);
    auto many = Cli({"run", crs, "--data", kData, "--iterations", "10000000"});
    EXPECT_EQ(many.status, 1);
    EXPECT_NE(many.err.find("from 1000 to 1000000"), std::string::npos) << many.err;
    auto folder = Cli({"dump", dir.path()});
    EXPECT_EQ(folder.status, 1);
    EXPECT_EQ(folder.err, dir.path().toStdString() + " is a folder, not a file.\n");
}

// The decision analytics on the command line: the risk ranking and stoplight of compare --rank
// recomputed from the iterations that run --iterations-csv writes, sensitivity and standard
// errors of run.
TEST(CliAnalytics, RankingStoplightSensitivityAndIterationsAgreeWithTheRun) {
    QTemporaryDir dir;
    const QString crs = dir.filePath("example.crs");
    ASSERT_EQ(Cli({"import", kExample, crs}).status, 0);
    const QString csv = dir.filePath("iterations.csv");
    auto run = Cli({"run", crs, "--data", kData, "--iterations", "2000", "--seed", "9",
                    "--sensitivity", "--iterations-csv", csv});
    ASSERT_EQ(run.status, 0) << run.err;
    const QJsonObject r = Json(run.out);

    // The iterations: header block, then every iteration; their gross margins give the mean.
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    EXPECT_EQ(lines[0], "# scenario,1");
    EXPECT_EQ(lines[2], "# seed,9");
    std::vector<double> gm;
    for (const QString& line : lines)
        if (!line.startsWith('#') && !line.startsWith("iteration"))
            gm.push_back(line.split(',')[5].toDouble());
    ASSERT_EQ(gm.size(), 2000u);
    double sum = 0;
    for (double v : gm)
        sum += v;
    EXPECT_NEAR(sum / 2000, r["gm_mean"].toDouble(), 1e-9 * std::abs(sum / 2000));

    // Standard errors: SD / sqrt N for the mean, sqrt(p (1 - p) / N) for a chance.
    const QJsonObject se = r["se"].toObject();
    EXPECT_NEAR(se["gm_mean"].toDouble(), r["gm_std"].toDouble() / std::sqrt(2000.0), 1e-9);
    const double p9 = r["grid"].toObject()["9"].toString().chopped(1).toDouble() / 100;
    EXPECT_NEAR(se["grid"].toObject()["9"].toDouble(), std::sqrt(p9 * (1 - p9) / 2000) * 100, 1e-3);

    // Sensitivity: every field's yield drives its margin more than nothing, within -1..1.
    const QJsonArray sens = r["sensitivity"].toArray();
    ASSERT_EQ(sens.size(), 4);
    for (const auto& f : sens) {
        EXPECT_GT(f.toObject()["yield_r"].toDouble(), 0);
        EXPECT_LE(std::abs(f.toObject()["price_r"].toDouble()), 1);
    }

    // The ranking: CE(0) is the mean; at any coefficient the CE recomputed from the iterations.
    auto cmp =
        Cli({"compare", crs, "--data", kData, "--iterations", "2000", "--seed", "9", "--rank"});
    ASSERT_EQ(cmp.status, 0) << cmp.err;
    const QJsonObject rank = Json(cmp.out);
    const QJsonArray rac = rank["rac"].toArray();
    ASSERT_EQ(rac.size(), 25);
    const QJsonArray ce = rank["scenarios"].toArray()[0].toObject()["ce"].toArray();
    EXPECT_NEAR(ce[0].toDouble(), r["gm_mean"].toDouble(), 1e-6);
    EXPECT_NEAR(rank["scenarios"].toArray()[0].toObject()["se"].toObject()["gm_mean"].toDouble(),
                se["gm_mean"].toDouble(), 1e-9);
    const double rMax = rac[24].toDouble();
    const double m = *std::min_element(gm.begin(), gm.end());
    double e = 0;
    for (double v : gm)
        e += std::exp(-rMax * (v - m));
    EXPECT_NEAR(ce[24].toDouble(), m - std::log(e / 2000) / rMax, 1e-6 * std::abs(m));
    EXPECT_LT(ce[24].toDouble(), ce[0].toDouble());
    EXPECT_EQ(rank["ranking_at_max"].toArray().size(), 2);
    for (const auto& light : rank["stoplight"].toArray()) {
        const QJsonObject l = light.toObject();
        EXPECT_NEAR(l["red"].toDouble() + l["yellow"].toDouble() + l["green"].toDouble(), 1, 1e-12);
    }
    auto bad = Cli({"compare", crs, "--data", kData, "--rank", "--rac-max", "-1"});
    EXPECT_EQ(bad.status, 1);
}
