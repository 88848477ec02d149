// acremark-cli packet FILE: a data packet's columns, key and current rows.
#include "app/cli_commands.h"
#include "app/cli_json.h"
#include "data/packet.h"

#include <QJsonArray>
#include <QJsonObject>
#include <span>

namespace acremark {

namespace {
int CmdPacket(CliContext& ctx) {
    if (ctx.args.size() != 1) throw CliError("Usage: acremark-cli packet FILE");
    QByteArray bytes = ReadWholeFile(ctx.args[0]);
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
    PrintJson(ctx.out, o);
    return 0;
}

const CliCommand reg("packet", "packet FILE               a data packet's columns, key and rows",
                     CmdPacket);
} // namespace

} // namespace acremark
