#include "app/cli_commands.h"
#include "data/input_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <map>
#include <optional>
#include <ostream>
#include <vector>

namespace acremark {

namespace {
struct Entry {
    std::string usage;
    std::function<int(CliContext&)> run;
    std::vector<std::string> options;
};
std::map<std::string, Entry>& Registry() {
    static std::map<std::string, Entry> r;
    return r;
}

const std::map<std::string, QCommandLineOption>& AllOptions() {
    static const std::map<std::string, QCommandLineOption> all = [] {
        const QCommandLineOption list[] = {
            {"data", "Folder of the reference tables.", "DIR"},
            {"scenario", "Scenario 1..8.", "S"},
            {"iterations", "Iterations.", "N"},
            {"seed", "Seed of the uniform generator.", "SEED"},
            {"targets", "Targets T10,T11,T12.", "T"},
            {"csv", "CSV output."},
            {"width", "Width in inches.", "W"},
            {"height", "Height in inches.", "H"},
            {"commands", "Print the recorded commands."},
            {"png", "PNG output file.", "OUT"},
            {"pdf", "PDF output file.", "OUT"},
            {"out", "Output file.", "OUT"},
            {"threads", "Threads of a run (1: no helper).", "N"},
            {"repeat", "Runs the same run N times.", "N"},
            {"sensitivity", "Each field's yield and price correlation with the gross margin."},
            {"iterations-csv", "The five farm outputs of every iteration as CSV.", "FILE"},
            {"rank", "Risk ranking and stoplight as JSON."},
            {"rac-max", "Upper risk aversion coefficient of the ranking.", "R"},
        };
        std::map<std::string, QCommandLineOption> m;
        for (const auto& o : list)
            m.emplace(o.names().front().toStdString(), o);
        return m;
    }();
    return all;
}

QList<QCommandLineOption> CommonOptions() {
    return {QCommandLineOption({"h", "help"}, "Show help."),
            QCommandLineOption({"v", "version"}, "Show the version.")};
}

std::string Usage() {
    std::string u = "Usage: acremark-cli [--data DIR] COMMAND ARGS...\n\nCommands:\n";
    for (const auto& [name, e] : Registry())
        u += "  " + e.usage + "\n";
    u += "\nOptions:\n"
         "  --data DIR     folder of the reference tables (else $ACREMARK_DATA, then the\n"
         "                 refdata folder beside the program)\n"
         "  -h, --help     show this text; after a command, that command's options\n"
         "  -v, --version  show the version\n";
    return u;
}

// One command's usage and the options it takes.
std::string CommandUsage(const Entry& e) {
    std::string u = "Usage: acremark-cli " + e.usage + "\n\nOptions:\n";
    for (const auto& name : e.options) {
        const QCommandLineOption& o = CliOption(name);
        std::string left = "--" + name;
        if (!o.valueName().isEmpty()) left += " " + o.valueName().toStdString();
        left.resize(std::max<size_t>(left.size() + 2, 18), ' ');
        u += "  " + left + o.description().toStdString() + "\n";
    }
    u += "  -h, --help        show this text\n";
    return u;
}

// The command word: the first argument that is not an option or an option's value, reading
// every option any command takes.
std::optional<std::string> CommandWord(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(CommonOptions());
    for (const auto& [name, o] : AllOptions())
        parser.addOption(o);
    parser.parse(arguments); // unknown options are reported for the command below
    const QStringList pos = parser.positionalArguments();
    if (pos.isEmpty()) return std::nullopt;
    return pos.front().toStdString();
}
} // namespace

CliCommand::CliCommand(const char* name, const char* usage, std::function<int(CliContext&)> run,
                       std::initializer_list<const char*> options) {
    Entry e{usage, std::move(run), {}};
    for (const char* o : options) {
        CliOption(o); // a name no command can take is a programming error, found at start
        e.options.emplace_back(o);
    }
    Registry()[name] = std::move(e);
}

const QCommandLineOption& CliOption(const std::string& name) {
    return AllOptions().at(name);
}

QByteArray ReadWholeFile(const QString& path) {
    const std::string name = path.toStdString();
    std::optional<InputBytes> bytes;
    try {
        bytes = ReadInputFile(name);
    } catch (const InputFileError& e) {
        throw CliError(e.what());
    }
    if (!bytes) throw CliError("Cannot open " + name + ": No such file or directory");
    return QByteArray(reinterpret_cast<const char*>(bytes->data()), qsizetype(bytes->size()));
}

void PrintJson(std::ostream& out, const QJsonValue& v) {
    QJsonDocument doc = v.isArray() ? QJsonDocument(v.toArray()) : QJsonDocument(v.toObject());
    out << doc.toJson(QJsonDocument::Compact).toStdString() << "\n";
}

int RunCli(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    const std::optional<std::string> command = CommandWord(arguments);
    const auto it = command ? Registry().find(*command) : Registry().end();
    const bool known = it != Registry().end();

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(CommonOptions());
    // Without a command only --data may come with --help or --version.
    if (known)
        for (const auto& name : it->second.options)
            parser.addOption(CliOption(name));
    else
        parser.addOption(CliOption("data"));
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (known && !unknown.isEmpty())
            err << "Unknown option '" << unknown.front().toStdString() << "' for " << *command
                << "\n";
        else
            err << parser.errorText().toStdString() << "\n";
        return 1;
    }
    if (parser.isSet("help")) {
        out << (known ? CommandUsage(it->second) : Usage());
        return 0;
    }
    if (parser.isSet("version")) {
        out << "acremark-cli " << ACREMARK_VERSION << "\n";
        return 0;
    }
    if (!command) {
        err << Usage();
        return 1;
    }
    if (!known) {
        err << "Unknown command: " << *command << "\n" << Usage();
        return 1;
    }
    QStringList pos = parser.positionalArguments();
    pos.removeFirst();
    const bool data = std::find(it->second.options.begin(), it->second.options.end(), "data") !=
                      it->second.options.end();
    CliContext ctx{pos, parser, out, err, data ? parser.value("data") : QString()};
    try {
        return it->second.run(ctx);
    } catch (const std::exception& e) {
        err << e.what() << "\n";
    }
    return 1;
}

} // namespace acremark
