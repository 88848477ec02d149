// Behaviour cases of the main window: every tests/cases/NAME.jsonl runs through
// `acremark-cli session`, and its state must match NAME.json in the keys that file names.
// Matching: objects match key by key (keys the expected file leaves out are not compared); an
// object in place of a list picks list items by their number counted from 1 (so "columns":
// {"3": {...}} is column 3); {"$regex": "..."} matches a string that contains the pattern;
// {"$near": [value, tolerance]} a number; anything else must be equal.
#include "cli_test_util.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using acremark::test::Cli;

const fs::path kCases = fs::path(ACREMARK_SOURCE_DIR) / "tests" / "cases";

std::vector<std::string> CaseNames() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(kCases))
        if (e.path().extension() == ".jsonl") names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

QString Show(const QJsonValue& v) {
    if (v.isObject()) return QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact);
    if (v.isArray()) return QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact);
    return QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).mid(1).chopped(1);
}

void Match(const QJsonValue& want, const QJsonValue& got, const QString& path,
           QStringList& faults) {
    auto fault = [&] { faults << path + ": expected " + Show(want) + ", got " + Show(got); };
    if (want.isObject()) {
        const QJsonObject w = want.toObject();
        if (w.size() == 1 && w.contains("$regex")) {
            if (!got.isString() ||
                !QRegularExpression(w["$regex"].toString()).match(got.toString()).hasMatch())
                fault();
            return;
        }
        if (w.size() == 1 && w.contains("$near")) {
            const QJsonArray n = w["$near"].toArray();
            if (!got.isDouble() || std::fabs(got.toDouble() - n[0].toDouble()) > n[1].toDouble())
                fault();
            return;
        }
        if (got.isArray()) {
            const QJsonArray g = got.toArray();
            for (auto it = w.begin(); it != w.end(); ++it) {
                bool ok = false;
                const int i = it.key().toInt(&ok);
                if (!ok || i < 1 || i > g.size()) {
                    faults << path + "." + it.key() + ": no such item";
                    continue;
                }
                Match(it.value(), g[i - 1], path + "." + it.key(), faults);
            }
            return;
        }
        if (!got.isObject()) return fault();
        const QJsonObject g = got.toObject();
        for (auto it = w.begin(); it != w.end(); ++it) {
            if (!g.contains(it.key()))
                faults << path + "." + it.key() + ": missing";
            else
                Match(it.value(), g[it.key()], path + "." + it.key(), faults);
        }
        return;
    }
    if (want.isArray()) {
        const QJsonArray w = want.toArray(), g = got.toArray();
        if (!got.isArray() || w.size() != g.size()) return fault();
        for (qsizetype i = 0; i < w.size(); ++i)
            Match(w[i], g[i], path + "[" + QString::number(i) + "]", faults);
        return;
    }
    if (want.isDouble() && got.isDouble() ? want.toDouble() != got.toDouble() : want != got)
        fault();
}

class SessionCase : public ::testing::TestWithParam<std::string> {};

TEST_P(SessionCase, StateMatchesTheExpectedKeys) {
    const fs::path script = kCases / (GetParam() + ".jsonl");
    QFile f(QString::fromStdString((kCases / (GetParam() + ".json")).string()));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "no expected state beside " << script;
    const QJsonDocument expected = QJsonDocument::fromJson(f.readAll());
    ASSERT_TRUE(expected.isObject()) << "the expected state is not a JSON object";

    // Files the script saves land in a folder of its own.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const fs::path before = fs::current_path();
    fs::current_path(dir.path().toStdString());
    auto res = Cli({"--data", QString(ACREMARK_BINARY_DIR) + "/refdata", "session",
                    QString::fromStdString(script.string())});
    fs::current_path(before);
    ASSERT_EQ(res.status, 0) << res.err;

    const QJsonDocument state = QJsonDocument::fromJson(QByteArray::fromStdString(res.out));
    ASSERT_TRUE(state.isObject()) << res.out;
    QStringList faults;
    Match(expected.object(), state.object(), "state", faults);
    EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, SessionCase, ::testing::ValuesIn(CaseNames()),
                         [](const auto& info) {
                             std::string n = info.param;
                             for (char& c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return n;
                         });

TEST(SessionDriver, RefusesAScriptItCannotRead) {
    QTemporaryDir dir;
    const QString script = dir.filePath("bad.jsonl");
    for (const char* line : {"{\"crop\":[1,2]", "{\"jump\":true}", "{\"crop\":[40,2]}",
                             "{\"scenario\":2,\"crop\":[1,2]}"}) {
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("# a comment\n\n");
        f.write(line);
        f.close();
        auto res = Cli({"--data", QString(ACREMARK_BINARY_DIR) + "/refdata", "session", script});
        EXPECT_EQ(res.status, 1) << line;
        EXPECT_NE(res.err.find("bad.jsonl:3: "), std::string::npos) << res.err;
        EXPECT_TRUE(res.out.empty());
    }
}

TEST(SessionDriver, WritesTheStateToAFileWhenAsked) {
    QTemporaryDir dir;
    const QString script = dir.filePath("s.jsonl"), out = dir.filePath("state.json");
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\"description\":\"North farm\"}\n");
    f.close();
    auto res =
        Cli({"--data", QString(ACREMARK_BINARY_DIR) + "/refdata", "session", script, "--out", out});
    ASSERT_EQ(res.status, 0) << res.err;
    EXPECT_TRUE(res.out.empty());
    QFile o(out);
    ASSERT_TRUE(o.open(QIODevice::ReadOnly));
    const QJsonObject state = QJsonDocument::fromJson(o.readAll()).object();
    EXPECT_EQ(state["descriptions"].toArray()[0].toString(), "North farm");
}

} // namespace
