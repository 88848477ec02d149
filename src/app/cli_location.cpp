// acremark-cli location T R M: what a land location gives, as the main window computes it.
#include "app/cli_commands.h"
#include "app/cli_json.h"
#include "app/cli_reference.h"
#include "data/land_location.h"

#include <QJsonObject>

namespace acremark {

namespace {
int CmdLocation(CliContext& ctx) {
    if (ctx.args.size() != 3)
        throw CliError("Usage: acremark-cli location TOWNSHIP RANGE MERIDIAN");
    // Each number goes through its edit's field, which refuses text and values out of range.
    int parts[3];
    for (int i = 0; i < 3; ++i) {
        const std::string text = ctx.args[i].toStdString();
        TextConversion c = ConvertFieldText(LocationField(i), text);
        if (!c.Ok()) throw CliError(c.error);
        if (IsNull(c.value)) throw CliError("Usage: acremark-cli location TOWNSHIP RANGE MERIDIAN");
        parts[i] = int(ValueAsInt(c.value));
    }
    const auto tables = LoadReferenceTables(ctx.dataOption);
    const TLandLocationInfo info = tables->LandLocation(parts[0], parts[1], parts[2]);
    QJsonObject o;
    o["code"] = info.Code;
    o["risk_area"] = info.RiskArea ? QJsonValue(*info.RiskArea) : QJsonValue();
    o["soil_zone"] = info.SoilZoneIndex >= 0
                         ? QJsonValue(Q(std::string(SoilZoneName(info.SoilZoneIndex))))
                         : QJsonValue();
    o["group"] = info.Group ? QJsonValue(QString(QChar(info.Group))) : QJsonValue();
    PrintJson(ctx.out, o);
    return 0;
}

const CliCommand reg("location",
                     "location T R M            risk area, soil zone and group of a land location",
                     CmdLocation, {"data"});
} // namespace

} // namespace acremark
