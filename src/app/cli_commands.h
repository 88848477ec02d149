#pragma once
// acremark-cli: batch and inspection commands. JSON goes to `out`, messages to `err`; the
// result is the process exit status.

#include <QByteArray>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>

namespace acremark {

int RunCli(const QStringList& arguments, std::ostream& out, std::ostream& err);

// What a command gets: its arguments (after the command word), the parsed options and streams.
struct CliContext {
    QStringList args;
    const QCommandLineParser& parser;
    std::ostream& out;
    std::ostream& err;
    QString dataOption; // --data DIR, empty when not given
};

// A refused command: its message goes to stderr and the exit status is 1.
struct CliError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Each cli_<name>.cpp registers its commands with a static CliCommand.
struct CliCommand {
    CliCommand(const char* name, const char* usage, std::function<int(CliContext&)> run);
};

// Options shared by the commands; a command reads those it takes from CliContext::parser.
QList<QCommandLineOption> CliOptions();

QByteArray ReadWholeFile(const QString& path);
void PrintJson(std::ostream& out, const class QJsonValue& v);

} // namespace acremark
