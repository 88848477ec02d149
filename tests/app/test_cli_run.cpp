#include "cli_test_util.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

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
    std::vector<std::string> lines;
    std::string line;
    for (char ch : c.out) {
        if (ch == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += ch;
        }
    }
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], ",Scenario 1,Scenario 2,Scenario 3,Scenario 4,Scenario 5,Scenario 6,"
                        "Scenario 7,Scenario 8");
    EXPECT_EQ(lines[1].rfind("Description,\"Barley, canola, wheat and malt\",Wheat on the north half", 0), 0u);
    EXPECT_EQ(lines[2].rfind("Expected Contribution Margin,\"$", 0), 0u) << lines[2];
    EXPECT_NE(lines[9].find("The chance of GM below $20,000 is:"), std::string::npos);
    // Scenarios without fields stay empty.
    EXPECT_EQ(lines[2].substr(lines[2].size() - 6), ",,,,,,");
}
