#include "print/print_commands.h"

#include <array>

namespace acremark {

namespace {

struct KindInfo {
    const char* name;
    const char* failure;
};

// Names and failure messages, in the order of TCommandKind.
constexpr std::array<KindInfo, kCommandKindCount> kKinds{{
    {"commLine", "Error in Line Drawing command."},
    {"commNewLine", "Error in Next Line command."},
    {"commNewPage", "Error in New Page command."},
    {"commGraphic", "Error in Graphics Drawing routine."},
    {"commWritePage", "Error writing page number information."},
    {"commDetailArea", "Error in Setting Detail Top/Bottom settings."},
    {"commFont", "Error in Changing Font information"},
    {"commFooterDim", "Error in Setting Footer Dimensions."},
    {"commFooterInf", "Error in Setting Footer Information."},
    {"commGraphicFile", "Error in Graphics File Drawing routine."},
    {"commHeaderDim", "Error in Setting Header Dimensions."},
    {"commHeaderInf", "Error in Setting Header Information."},
    {"commLineWidth", "Error in Setting Line Width."},
    {"commMargins", "Error in Setting Margins."},
    {"commOrient", "Error in Setting Page Orientation."},
    {"commPageNumber", "Error writing page number information."},
    {"commTab", "Error Setting Tab."},
    {"commTopOfPage", "Error Setting Top of Page."},
    {"commSetY", "Error Setting Vertical Position."},
    {"commText", "Error Writing Line of Text."},
    {"commColumn", "Error Writing Column Text."},
    {"commSetPrint", "Error in Setting Printer Information."},
    {"commGetPrint", "Error in Getting Printer Information."},
    {"commSizeLetter", "Error in Setting Letter Paper Size."},
    {"commSizeLegal", "Error in Setting Legal Paper Size."},
    {"commAutoPageTrue", "Error in Setting Automatic Paging."},
    {"commAutoPageFalse", "Error in Setting Automatic Paging."},
    {"commSaveY", "Error Saving Vertical Position."},
    {"commRestoreY", "Error Restoring Vertical Position."},
    {"commFColor", "Error in Setting Font Color."},
    {"commBColor", "Error in Setting Brush Color."},
    {"commPColor", "Error in Setting Pen Color."},
    {"commMoveTo", "Error in MoveTo command."},
    {"commLineTo", "Error in LineTo command."},
    {"commEllipse", "Error in Ellipse command."},
    {"commBrushStyle", "Error in Setting Brush Style."},
    {"commFloodFill", "Error in FloodFill command."},
    {"commFillRect", "Error in FillRect command."},
    {"commFrameRect", "Error in FrameRect command."},
    {"commArc", "Error in Arc command."},
    {"commPie", "Error in Pie command."},
    {"commPolyLine", "Error in PolyLine command."},
    {"commPolygon", "Error in Polygon command."},
    {"commMeasure", "Error in Setting Measurement."},
    {"commPStyle", "Error in Setting Pen Style."},
    {"commPMode", "Error in Setting Pen Mode."},
    {"commFontAngle", "Error in Setting Font Angle."},
    {"commColRight", "Error Writing Right Aligned Column Text."},
    {"commWriteRight", "Error Writing Right Aligned Text."},
    {"commIndent", "Error Setting Indent."},
}};

} // namespace

const char* CommandKindName(TCommandKind kind) {
    return kind >= 0 && kind < kCommandKindCount ? kKinds[size_t(kind)].name : "commUnknown";
}

QString CommandFailureMessage(TCommandKind kind) {
    return QString::fromLatin1(kind >= 0 && kind < kCommandKindCount ? kKinds[size_t(kind)].failure
                                                                     : "Error in print command.");
}

const char* PenStyleName(TPenStyle style) {
    switch (style) {
    case TPenStyle::psSolid:
        return "solid";
    case TPenStyle::psDot:
        return "dot";
    case TPenStyle::psDash:
        return "dash";
    case TPenStyle::psDashDot:
        return "dashdot";
    case TPenStyle::psDashDotDot:
        return "dashdotdot";
    case TPenStyle::psClear:
        return "clear";
    }
    return "solid";
}

QString ColorText(const QColor& c) {
    return c.name(QColor::HexRgb).toUpper();
}

QJsonObject CommandToJson(const TPrintCommand& c) {
    QJsonObject o;
    o["kind"] = QString::fromLatin1(CommandKindName(c.Kind));
    auto rect = [&] {
        o["x1"] = c.X1;
        o["y1"] = c.Y1;
        o["x2"] = c.X2;
        o["y2"] = c.Y2;
    };
    switch (c.Kind) {
    case commFont:
        o["name"] = c.Font.Name;
        o["size"] = c.Font.Size;
        o["bold"] = c.Font.Bold;
        o["italic"] = c.Font.Italic;
        o["underline"] = c.Font.Underline;
        o["color"] = ColorText(c.Font.Color);
        o["angle"] = c.Font.Angle;
        break;
    case commFColor:
    case commPColor:
    case commBColor:
        o["color"] = ColorText(c.Color);
        break;
    case commFontAngle:
        o["angle"] = c.Angle;
        break;
    case commLineWidth:
        o["width"] = c.Width;
        break;
    case commPStyle:
        o["style"] = QString::fromLatin1(PenStyleName(c.PenStyle));
        break;
    case commBrushStyle:
        o["style"] = c.BrushStyle == TBrushStyle::bsClear ? "clear" : "solid";
        break;
    case commText:
        o["x"] = c.X1;
        o["y"] = c.Y1;
        o["text"] = c.Text;
        o["width"] = c.Width;
        o["line_height"] = c.LineHeight;
        o["brush"] = c.Brush ? QJsonValue(ColorText(*c.Brush)) : QJsonValue(QJsonValue::Null);
        break;
    case commMoveTo:
    case commLineTo:
        o["x"] = c.X1;
        o["y"] = c.Y1;
        break;
    case commLine:
        rect();
        break;
    case commFillRect:
        rect();
        o["color"] = ColorText(c.Color);
        break;
    case commFrameRect:
        rect();
        o["pen_width"] = c.Width;
        break;
    case commGraphic:
        rect();
        o["pixels"] = QJsonArray{c.Picture.width(), c.Picture.height()};
        break;
    default:
        break;
    }
    return o;
}

QJsonArray PageToJson(const TPrintPage& page) {
    QJsonArray a;
    for (const auto& c : page.Commands)
        a.append(CommandToJson(c));
    return a;
}

} // namespace acremark
