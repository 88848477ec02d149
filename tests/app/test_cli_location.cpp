// acremark-cli location, the reference folder every command reads, and `packet` on the carried
// packets.
#include "cli_test_util.h"
#include "data/reference_tables.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <optional>

using namespace acremark;
using namespace acremark::test;

namespace {

const QString kRefData = QStringLiteral(ACREMARK_BINARY_DIR "/refdata");

QJsonObject Json(const std::string& out) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
}

// Sets or removes an environment variable for the life of the object.
class EnvVar {
public:
    EnvVar(const char* name, std::optional<QByteArray> value) : name_(name) {
        if (qEnvironmentVariableIsSet(name)) old_ = qgetenv(name);
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~EnvVar() {
        if (old_)
            qputenv(name_, *old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    std::optional<QByteArray> old_;
};

} // namespace

TEST(CliLocation, GivesCodeRiskAreaSoilZoneAndGroup) {
    struct Case {
        QStringList trm;
        int code;
        QJsonValue area, soil, group;
    };
    const Case cases[] = {
        {{"1", "1", "4"}, 401001, 4, "Brown", "B"},
        {{"23", "1", "4"}, 401023, 9, "Dark Brown", "C"},
        {{" 23", "01", "+4"}, 401023, 9, "Dark Brown", "C"},
        {{"126", "30", "6"}, 630126, QJsonValue(), QJsonValue(), QJsonValue()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trm.join(' ').toStdString());
        auto res = Cli(QStringList{"location"} + c.trm + QStringList{"--data", kRefData});
        ASSERT_EQ(res.status, 0) << res.err;
        QJsonObject o = Json(res.out);
        EXPECT_EQ(o.size(), 4);
        EXPECT_EQ(o["code"], c.code);
        EXPECT_EQ(o["risk_area"], c.area);
        EXPECT_EQ(o["soil_zone"], c.soil);
        EXPECT_EQ(o["group"], c.group);
    }
    // Every township of the map answers with its own risk area and that area's mappings.
    auto res = Cli({"--data", kRefData, "location", "15", "1", "5"});
    ASSERT_EQ(res.status, 0) << res.err;
    QJsonObject o = Json(res.out);
    const int area = o["risk_area"].toInt();
    EXPECT_EQ(o["soil_zone"].toString().toStdString(), SoilZoneName(RiskAreaDefaultSoilZone(area)));
    EXPECT_EQ(o["group"].toString().toStdString(), std::string(1, RiskAreaGroup(area)));
}

TEST(CliLocation, RefusesWhatTheLocationEditsRefuse) {
    struct Case {
        QStringList args;
        std::string err;
    };
    const Case cases[] = {
        {{"127", "1", "4"},
         "127 is not a valid value for field 'Township'. The allowed range is 1 to 126\n"},
        {{"1", "0", "4"},
         "0 is not a valid value for field 'Range'. The allowed range is 1 to 30\n"},
        {{"1", "1", "7"},
         "7 is not a valid value for field 'Meridian'. The allowed range is 4 to 6\n"},
        {{"1", "x", "4"}, "'x' is not a valid integer value for field 'Range'\n"},
        {{"1", "1"}, "Usage: acremark-cli location TOWNSHIP RANGE MERIDIAN\n"},
        {{"", "1", "4"}, "Usage: acremark-cli location TOWNSHIP RANGE MERIDIAN\n"},
    };
    for (const auto& c : cases) {
        auto res = Cli(QStringList{"location"} + c.args + QStringList{"--data", kRefData});
        EXPECT_EQ(res.status, 1) << c.args.join(' ').toStdString();
        EXPECT_EQ(res.err, c.err);
        EXPECT_EQ(res.out, "");
    }
}

TEST(CliReference, FolderComesFromDataOptionThenEnvironmentThenBesideTheProgram) {
    QTemporaryDir empty;
    const std::string emptyPath = empty.path().toStdString();
    {
        // --data wins over the environment.
        EnvVar env("ACREMARK_DATA", empty.path().toUtf8());
        auto res = Cli({"--data", kRefData, "location", "1", "1", "4"});
        EXPECT_EQ(res.status, 0) << res.err;
        // The environment is used without --data: here a folder without tables.
        res = Cli({"location", "1", "1", "4"});
        EXPECT_EQ(res.status, 1);
        EXPECT_EQ(res.err, "Cannot load the reference table cdsCrops from the folder " + emptyPath +
                               ": the file cdsCrops.pkt is missing\n");
    }
    {
        EnvVar env("ACREMARK_DATA", kRefData.toUtf8());
        EXPECT_EQ(Cli({"location", "1", "1", "4"}).status, 0);
    }
    {
        // Neither given: the folders beside the test program, which hold no tables.
        EnvVar env("ACREMARK_DATA", std::nullopt);
        auto res = Cli({"location", "1", "1", "4"});
        EXPECT_EQ(res.status, 1);
        EXPECT_NE(res.err.find("The reference tables were not found"), std::string::npos)
            << res.err;
        EXPECT_NE(res.err.find("/refdata nor "), std::string::npos) << res.err;
        EXPECT_NE(res.err.find("/share/acremark/refdata exists"), std::string::npos) << res.err;
    }
}

TEST(CliReference, ADamagedTableStopsTheCommandNamingTableAndFolder) {
    QTemporaryDir dir;
    for (RefTable t : kRefTables) {
        const QString name = QString::fromStdString(RefTableFileName(t));
        ASSERT_TRUE(QFile::link(kRefData + "/" + name, dir.filePath(name)));
    }
    QFile::remove(dir.filePath("cdsTRWRA.pkt"));
    QByteArray bytes = ReadWholeFile(kRefData + "/cdsTRWRA.pkt");
    bytes.chop(5);
    QFile f(dir.filePath("cdsTRWRA.pkt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    auto res = Cli({"location", "1", "1", "4", "--data", dir.path()});
    EXPECT_EQ(res.status, 1);
    EXPECT_EQ(res.err, "Cannot load the reference table cdsTRWRA from the folder " +
                           dir.path().toStdString() +
                           ": cdsTRWRA.pkt is damaged (Mismatch in datapacket.)\n");
}

TEST(CliPacket, ReadsEveryCarriedPacket) {
    const std::pair<const char*, int> packets[] = {
        {"cdsCrops", 40},       {"cdsSFI", 3},         {"cdsCLevel", 4},
        {"cdsVCost", 316},      {"cdsPYMatrix", 1600}, {"cdsCIPrice", 40},
        {"cdsCIRates", 294800}, {"cdsTRWRA", 3685},    {"cdsLocation", 0},
    };
    for (const auto& [name, rows] : packets) {
        SCOPED_TRACE(name);
        auto res = Cli({"packet", kRefData + "/" + name + ".pkt"});
        ASSERT_EQ(res.status, 0) << res.err;
        QJsonObject o = Json(res.out);
        EXPECT_EQ(o["rows"].toArray().size(), rows);
        EXPECT_FALSE(o["columns"].toArray().isEmpty());
    }
}
