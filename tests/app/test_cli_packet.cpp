#include "cli_test_util.h"
#include "data/risk_store.h"

#include <gtest/gtest.h>

using namespace acremark;
using namespace acremark::test;

TEST(CliPacket, PrintsColumnsKeyAndRowsWithRoundTripNumbers) {
    QTemporaryDir dir;
    TFieldTable t;
    FieldRecord r;
    r.Set(fScenarioID, int64_t(2));
    r.Set(fFieldID, int64_t(1));
    r.Set(fDescription, std::string("Caf\xC3\xA9 \"north\""));
    r.Set(fAcres, 0.1 + 0.2);
    r.Set(fInsurance, true);
    t.Append(r);
    std::string path = dir.filePath("f.pkt").toStdString();
    WriteFile(path, t.SaveToPacket());

    auto res = Cli({"packet", QString::fromStdString(path)});
    ASSERT_EQ(res.status, 0) << res.err;
    EXPECT_NE(res.out.find(R"({"name":"Description","required":false,"type":"string","width":50})"),
              std::string::npos);
    EXPECT_NE(res.out.find(R"({"name":"Acres","required":false,"type":"double","width":null})"),
              std::string::npos);
    EXPECT_NE(res.out.find(R"("key":["ScenarioID","FieldID"])"), std::string::npos);
    EXPECT_NE(res.out.find(R"("rows":[[2,1,"Café \"north\"",null,null,null,0.30000000000000004,)"),
              std::string::npos)
        << res.out;
    EXPECT_NE(res.out.find(",true,null,"), std::string::npos);
}

TEST(CliPacket, DamagedOrMissingFileExitsOneWithAMessage) {
    QTemporaryDir dir;
    std::string path = dir.filePath("bad.pkt").toStdString();
    auto bytes = TFieldTable().SaveToPacket();
    bytes.resize(30);
    WriteFile(path, bytes);
    auto res = Cli({"packet", QString::fromStdString(path)});
    EXPECT_EQ(res.status, 1);
    EXPECT_EQ(res.err, "Mismatch in datapacket.\n");
    EXPECT_EQ(res.out, "");

    res = Cli({"packet", dir.filePath("missing.pkt")});
    EXPECT_EQ(res.status, 1);
    EXPECT_NE(res.err.find("missing.pkt"), std::string::npos);

    res = Cli({"frobnicate"});
    EXPECT_EQ(res.status, 1);
    EXPECT_NE(res.err.find("Unknown command"), std::string::npos);
}

// Each command takes its own options: any other is refused before the command runs, and the
// help after a command lists only that command's.
TEST(CliOptions, EachCommandTakesItsOwnOptions) {
    struct Case {
        QStringList args;
        const char* err;
    };
    const Case refused[] = {
        {{"location", "1", "1", "4", "--csv"}, "Unknown option 'csv' for location\n"},
        {{"packet", "x.pkt", "--data", "dir"}, "Unknown option 'data' for packet\n"},
        {{"run", "x.crs", "--csv"}, "Unknown option 'csv' for run\n"},
        {{"compare", "x.crs", "--repeat", "2"}, "Unknown option 'repeat' for compare\n"},
        {{"--width", "3", "session", "s.jsonl"}, "Unknown option 'width' for session\n"},
    };
    for (const auto& c : refused) {
        const auto res = Cli(c.args);
        EXPECT_EQ(res.status, 1) << c.err;
        EXPECT_EQ(res.err, c.err);
        EXPECT_EQ(res.out, "");
    }

    struct Help {
        const char* command;
        std::vector<const char*> has, lacks;
    };
    const Help helps[] = {
        {"run", {"--repeat N", "--scenario S", "--threads N", "--data DIR"}, {"--csv", "--png"}},
        {"compare", {"--csv", "--targets T"}, {"--repeat", "--scenario"}},
        {"chart", {"--commands", "--width W", "--pdf OUT"}, {"--csv", "--repeat"}},
        {"location", {"--data DIR"}, {"--seed", "--csv"}},
        {"packet", {}, {"--data", "--seed"}},
    };
    for (const auto& h : helps) {
        const auto res = Cli({h.command, "--help"});
        EXPECT_EQ(res.status, 0);
        EXPECT_EQ(res.out.rfind(std::string("Usage: acremark-cli ") + h.command, 0), 0u) << res.out;
        for (const char* o : h.has)
            EXPECT_NE(res.out.find(o), std::string::npos) << h.command << " " << o;
        for (const char* o : h.lacks)
            EXPECT_EQ(res.out.find(o), std::string::npos) << h.command << " " << o;
    }
}
