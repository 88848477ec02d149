#pragma once
// Recorded drawing commands of the print engine. A report is composed once into pages of these
// commands, all positions already in inches from the paper's top left corner, and the pages are
// replayed later onto whatever paints them (preview, printer, PDF file). The same commands are
// carried out at once when drawing straight onto a picture.

#include <QColor>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <optional>
#include <vector>

namespace acremark {

// Every kind of command, numbered from 0 in this order.
enum TCommandKind : int {
    commLine,
    commNewLine,
    commNewPage,
    commGraphic,
    commWritePage,
    commDetailArea,
    commFont,
    commFooterDim,
    commFooterInf,
    commGraphicFile,
    commHeaderDim,
    commHeaderInf,
    commLineWidth,
    commMargins,
    commOrient,
    commPageNumber,
    commTab,
    commTopOfPage,
    commSetY,
    commText,
    commColumn,
    commSetPrint,
    commGetPrint,
    commSizeLetter,
    commSizeLegal,
    commAutoPageTrue,
    commAutoPageFalse,
    commSaveY,
    commRestoreY,
    commFColor,
    commBColor,
    commPColor,
    commMoveTo,
    commLineTo,
    commEllipse,
    commBrushStyle,
    commFloodFill,
    commFillRect,
    commFrameRect,
    commArc,
    commPie,
    commPolyLine,
    commPolygon,
    commMeasure,
    commPStyle,
    commPMode,
    commFontAngle,
    commColRight,
    commWriteRight,
    commIndent,
};
inline constexpr int kCommandKindCount = commIndent + 1;

// "commText", "commFont", ...
const char* CommandKindName(TCommandKind kind);
// What the user is told when a command of this kind cannot be carried out.
QString CommandFailureMessage(TCommandKind kind);

enum class TPenStyle { psSolid, psDot, psDash, psDashDot, psDashDotDot, psClear };
// "solid", "dot", "dash", "dashdot", "dashdotdot", "clear"
const char* PenStyleName(TPenStyle style);

enum class TBrushStyle { bsSolid, bsClear }; // clear: texts are written without a background

struct TPrintFont {
    QString Name = QStringLiteral("Arial");
    double Size = 10; // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    QColor Color = QColor(0, 0, 0);
    double Angle = 0; // degrees, counter-clockwise; 90 writes upwards
    bool operator==(const TPrintFont&) const = default;
};

// One recorded call. Which members carry values depends on the kind:
//   commText           X1, Y1 (left end, top of the line), Text, Width (inches), LineHeight,
//                      Brush (the colour behind the text, none when transparent)
//   commFont           Font (the whole font after the change)
//   commFColor, commPColor, commBColor   Color
//   commFontAngle      Angle
//   commLineWidth      Width (dots, as the caller gave it)
//   commPStyle         PenStyle;  commBrushStyle  BrushStyle
//   commMoveTo, commLineTo   X1, Y1
//   commLine, commFillRect, commFrameRect, commGraphic   X1, Y1, X2, Y2
//   commFillRect       Color (the fill);  commFrameRect  Width (frame width in dots)
//   commGraphic        Picture, stretched into the rectangle
struct TPrintCommand {
    TCommandKind Kind = commText;
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    QString Text;
    double Width = 0;
    double LineHeight = 0;
    QColor Color;
    std::optional<QColor> Brush;
    TPrintFont Font;
    double Angle = 0;
    TPenStyle PenStyle = TPenStyle::psSolid;
    TBrushStyle BrushStyle = TBrushStyle::bsSolid;
    QImage Picture;
};

// Pen, brush and font as they stand at some point of a page.
struct TDrawState {
    TPrintFont Font;
    QColor PenColor = QColor(0, 0, 0);
    TPenStyle PenStyle = TPenStyle::psSolid;
    double PenWidth = 1; // dots
    QColor BrushColor = QColor(255, 255, 255);
    TBrushStyle BrushStyle = TBrushStyle::bsSolid;
    double PenX = 0, PenY = 0; // inches, where LineTo starts
};

struct TPrintPage {
    // The state the page begins with, so that any page can be replayed on its own.
    TDrawState Initial;
    std::vector<TPrintCommand> Commands;
};

// "#RRGGBB"
QString ColorText(const QColor& c);

// {"kind": name, ...values...}: positions in inches, colours as "#RRGGBB".
QJsonObject CommandToJson(const TPrintCommand& c);
QJsonArray PageToJson(const TPrintPage& page);

} // namespace acremark
