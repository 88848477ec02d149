#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const QString kCli = QString(ACREMARK_BINARY_DIR) + "/src/app/acremark-cli";
const QString kData = QString(ACREMARK_BINARY_DIR) + "/refdata";

struct Proc {
    int status;
    QByteArray out, err;
};
Proc RunCliProcess(const QStringList& args) {
    QProcess p;
    p.start(kCli, args);
    p.waitForFinished(60000);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}
} // namespace

// The whole program as a process: the drawing commands start their own GUI application.
TEST(CliChart, CommandsPngAndRefusals) {
    QTemporaryDir dir;
    const QString crs = dir.filePath("farm.crs");
    ASSERT_EQ(RunCliProcess({"import", QString(ACREMARK_SOURCE_DIR) + "/examples/example-farm.json", crs})
                  .status,
              0);
    Proc c = RunCliProcess({"chart", "3", crs, "--data", kData, "--iterations", "1000", "--seed", "5",
                  "--commands"});
    ASSERT_EQ(c.status, 0) << c.err.toStdString();
    EXPECT_TRUE(c.err.isEmpty()) << c.err.toStdString();
    QJsonArray cmds = QJsonDocument::fromJson(c.out).array();
    ASSERT_FALSE(cmds.isEmpty());
    bool title = false, marker = false;
    for (const auto& v : cmds) {
        QJsonObject o = v.toObject();
        if (o["kind"] == "commText" && o["text"] == "Risk-Return Tradeoff Chart") title = true;
        if (o["kind"] == "commText" && o["text"] == QString::fromUtf8("\u2461")) marker = true;
    }
    EXPECT_TRUE(title);
    EXPECT_TRUE(marker); // scenario 2 has results

    const QString png = dir.filePath("c.png");
    Proc p = RunCliProcess({"chart", "2", crs, "--data", kData, "--iterations", "1000", "--seed", "5",
                  "--png", png, "--width", "4", "--height", "3"});
    ASSERT_EQ(p.status, 0) << p.err.toStdString();
    EXPECT_GT(QFileInfo(png).size(), 1000);

    Proc bad = RunCliProcess({"chart", "4", crs, "--data", kData, "--commands"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_FALSE(bad.err.isEmpty());
}
