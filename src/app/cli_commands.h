#pragma once
// acremark-cli: batch and inspection commands. JSON goes to `out`, messages to `err`; the
// result is the process exit status.

#include <QByteArray>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
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

    // Whether the option was given; false for one the command does not take.
    bool Given(const char* name) const { return parser.optionNames().contains(name); }
};

// A refused command: its message goes to stderr and the exit status is 1.
struct CliError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Each cli_<name>.cpp registers its commands with a static CliCommand, naming the options the
// command takes (from those CliOption knows); any other option is refused for it. --help and
// --version are every command's.
struct CliCommand {
    CliCommand(const char* name, const char* usage, std::function<int(CliContext&)> run,
               std::initializer_list<const char*> options = {});
};

// The option of that name (its value name and help text); throws std::out_of_range for a name
// no command can take.
const QCommandLineOption& CliOption(const std::string& name);

QByteArray ReadWholeFile(const QString& path);
void PrintJson(std::ostream& out, const class QJsonValue& v);

} // namespace acremark
