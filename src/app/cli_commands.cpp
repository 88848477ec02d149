#include "app/cli_commands.h"

#include "app/cli_json.h"
#include "data/packet.h"

#include <QCommandLineParser>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <ostream>
#include <span>

namespace acremark {

namespace {

const char* kUsage = R"(Usage: acremark-cli [--data DIR] COMMAND ARGS...

Commands:
  packet FILE        print a data packet's columns, key and current rows as JSON

Options:
  --data DIR         folder of the reference tables (else $ACREMARK_DATA, then the
                     refdata folder beside the program)
  -h, --help         show this text
  -v, --version      show the version
)";

struct CliError {
    std::string message;
};

QByteArray ReadWholeFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw CliError{"Cannot open file " + path.toStdString() + ": " +
                       f.errorString().toStdString()};
    return f.readAll();
}

void PrintJson(std::ostream& out, const QJsonValue& v) {
    QJsonDocument doc = v.isArray() ? QJsonDocument(v.toArray()) : QJsonDocument(v.toObject());
    out << doc.toJson(QJsonDocument::Compact).toStdString() << "\n";
}

int CmdPacket(const QStringList& args, std::ostream& out) {
    if (args.size() != 1) throw CliError{"Usage: acremark-cli packet FILE"};
    QByteArray bytes = ReadWholeFile(args[0]);
    PacketTable t = ReadPacketTable(
        std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())));
    QJsonArray columns;
    for (const auto& c : t.schema.columns) {
        QJsonObject o;
        o["name"] = Q(c.name);
        o["type"] = ColTypeName(c.type);
        o["width"] = c.type == ColType::String ? QJsonValue(c.width) : QJsonValue();
        o["required"] = (c.attributes & kAttrRequired) != 0;
        columns.append(o);
    }
    QJsonArray key;
    for (int k : t.schema.OrderColumns()) key.append(Q(t.schema.columns[size_t(k)].name));
    QJsonArray rows;
    for (const auto& r : t.rows) {
        QJsonArray row;
        for (const auto& v : r) row.append(ToJson(v));
        rows.append(row);
    }
    QJsonObject o;
    o["columns"] = columns;
    o["key"] = key;
    o["rows"] = rows;
    PrintJson(out, o);
    return 0;
}

} // namespace

int RunCli(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QCommandLineOption help({"h", "help"}, "Show help.");
    QCommandLineOption version({"v", "version"}, "Show the version.");
    QCommandLineOption data("data", "Reference folder.", "DIR");
    parser.addOptions({help, version, data});
    if (!parser.parse(arguments)) {
        err << parser.errorText().toStdString() << "\n";
        return 1;
    }
    if (parser.isSet(help)) {
        out << kUsage;
        return 0;
    }
    if (parser.isSet(version)) {
        out << "acremark-cli " << ACREMARK_VERSION << "\n";
        return 0;
    }
    QStringList pos = parser.positionalArguments();
    if (pos.isEmpty()) {
        err << kUsage;
        return 1;
    }
    const QString command = pos.takeFirst();
    try {
        if (command == "packet") return CmdPacket(pos, out);
        err << "Unknown command: " << command.toStdString() << "\n" << kUsage;
        return 1;
    } catch (const CliError& e) {
        err << e.message << "\n";
    } catch (const std::exception& e) {
        err << e.what() << "\n";
    }
    return 1;
}

} // namespace acremark
