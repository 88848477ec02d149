#include "app/cli_commands.h"
#include "data/input_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>
#include <ostream>

namespace acremark {

namespace {
struct Entry {
    std::string usage;
    std::function<int(CliContext&)> run;
};
std::map<std::string, Entry>& Registry() {
    static std::map<std::string, Entry> r;
    return r;
}

std::string Usage() {
    std::string u = "Usage: acremark-cli [--data DIR] COMMAND ARGS...\n\nCommands:\n";
    for (const auto& [name, e] : Registry())
        u += "  " + e.usage + "\n";
    u += "\nOptions:\n"
         "  --data DIR     folder of the reference tables (else $ACREMARK_DATA, then the\n"
         "                 refdata folder beside the program)\n"
         "  -h, --help     show this text\n"
         "  -v, --version  show the version\n";
    return u;
}
} // namespace

CliCommand::CliCommand(const char* name, const char* usage, std::function<int(CliContext&)> run) {
    Registry()[name] = Entry{usage, std::move(run)};
}

QList<QCommandLineOption> CliOptions() {
    return {
        QCommandLineOption({"h", "help"}, "Show help."),
        QCommandLineOption({"v", "version"}, "Show the version."),
        QCommandLineOption("data", "Reference folder.", "DIR"),
        QCommandLineOption("scenario", "Scenario 1..8.", "S"),
        QCommandLineOption("iterations", "Iterations.", "N"),
        QCommandLineOption("seed", "Seed of the uniform generator.", "SEED"),
        QCommandLineOption("targets", "Targets T10,T11,T12.", "T"),
        QCommandLineOption("csv", "CSV output."),
        QCommandLineOption("width", "Width in inches.", "W"),
        QCommandLineOption("height", "Height in inches.", "H"),
        QCommandLineOption("commands", "Print the recorded commands."),
        QCommandLineOption("png", "PNG output file.", "OUT"),
        QCommandLineOption("pdf", "PDF output file.", "OUT"),
        QCommandLineOption("out", "Output file.", "OUT"),
        QCommandLineOption("threads", "Threads of a run (1: no helper).", "N"),
        QCommandLineOption("repeat", "Runs the same run N times.", "N"),
    };
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
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(CliOptions());
    if (!parser.parse(arguments)) {
        err << parser.errorText().toStdString() << "\n";
        return 1;
    }
    if (parser.isSet("help")) {
        out << Usage();
        return 0;
    }
    if (parser.isSet("version")) {
        out << "acremark-cli " << ACREMARK_VERSION << "\n";
        return 0;
    }
    QStringList pos = parser.positionalArguments();
    if (pos.isEmpty()) {
        err << Usage();
        return 1;
    }
    const std::string command = pos.takeFirst().toStdString();
    auto it = Registry().find(command);
    if (it == Registry().end()) {
        err << "Unknown command: " << command << "\n" << Usage();
        return 1;
    }
    CliContext ctx{pos, parser, out, err, parser.value("data")};
    try {
        return it->second.run(ctx);
    } catch (const std::exception& e) {
        err << e.what() << "\n";
    }
    return 1;
}

} // namespace acremark
