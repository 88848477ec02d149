#include "print/print_painter.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace acremark {

namespace {

bool Finite(double v) {
    return std::isfinite(v);
}
bool Finite(double a, double b) {
    return Finite(a) && Finite(b);
}
bool Finite(double a, double b, double c, double d) {
    return Finite(a, b) && Finite(c, d);
}

QString DeviceFamily(const QString& name) {
    static const QHash<QString, QString> kFaces = {
        {QStringLiteral("arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("helvetica"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("ms sans serif"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("times new roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("times"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("courier new"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("courier"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("arial unicode ms"), QStringLiteral("DejaVu Sans")},
    };
    return kFaces.value(name.trimmed().toLower(), name);
}

// Dash patterns in 1/96 inch, so dotted grid lines look alike on screen, paper and PDF.
QList<qreal> DashPattern(TPenStyle s) {
    switch (s) {
    case TPenStyle::psDot:
        return {1, 2};
    case TPenStyle::psDash:
        return {6, 3};
    case TPenStyle::psDashDot:
        return {6, 3, 1, 3};
    case TPenStyle::psDashDotDot:
        return {6, 3, 1, 3, 1, 3};
    default:
        return {};
    }
}

} // namespace

bool ValidFont(const TPrintFont& f) {
    return !f.Name.trimmed().isEmpty() && Finite(f.Size) && f.Size > 0 && Finite(f.Angle) &&
           f.Color.isValid();
}

QFont DeviceFont(const TPrintFont& f) {
    QFont q;
    q.setFamilies({DeviceFamily(f.Name), QStringLiteral("DejaVu Sans")});
    q.setPointSizeF(Finite(f.Size) && f.Size > 0 ? f.Size : 10.0);
    q.setBold(f.Bold);
    q.setItalic(f.Italic);
    q.setUnderline(f.Underline);
    q.setKerning(false);
    q.setHintingPreference(QFont::PreferNoHinting);
    return q;
}

TCommandPainter::TCommandPainter(QPainter& painter, double dpiX, double dpiY, double pixelsPerDot,
                                 const TDrawState& initial)
    : p_(painter), dpiX_(dpiX), dpiY_(dpiY), pixelsPerDot_(pixelsPerDot), state_(initial) {}

void TCommandPainter::ApplyPen() {
    if (state_.PenStyle == TPenStyle::psClear) {
        p_.setPen(Qt::NoPen);
        return;
    }
    double w = state_.PenWidth * pixelsPerDot_;
    QPen pen(state_.PenColor);
    pen.setWidthF(w <= 1 ? 0.0 : w); // up to one device pixel: a one-pixel line
    pen.setJoinStyle(Qt::RoundJoin);
    if (state_.PenStyle == TPenStyle::psSolid) {
        pen.setCapStyle(Qt::RoundCap); // wide curves drawn segment by segment stay smooth
    } else {
        pen.setCapStyle(Qt::FlatCap);
        double unit = (dpiX_ / 96.0) / std::max(1.0, w);
        QList<qreal> pattern = DashPattern(state_.PenStyle);
        for (auto& v : pattern)
            v *= unit;
        pen.setDashPattern(pattern);
    }
    p_.setPen(pen);
}

bool TCommandPainter::DrawText(const TPrintCommand& c) {
    if (!Finite(c.X1, c.Y1) || !ValidFont(state_.Font)) return false;
    QFont font = DeviceFont(state_.Font);
    QFontMetricsF fm(font, p_.device());
    double w = fm.horizontalAdvance(c.Text);
    double h = fm.height();
    p_.save();
    p_.translate(X(c.X1), Y(c.Y1));
    // Turned text pivots on its top left corner, as written before turning.
    if (state_.Font.Angle != 0) p_.rotate(-state_.Font.Angle);
    if (c.Brush && c.Brush->isValid()) p_.fillRect(QRectF(0, 0, w, h), *c.Brush);
    p_.setFont(font);
    p_.setPen(QPen(state_.Font.Color));
    p_.drawText(QPointF(0, fm.ascent()), c.Text);
    p_.restore();
    return true;
}

bool TCommandPainter::Execute(const TPrintCommand& c) {
    switch (c.Kind) {
    case commFont:
        if (!ValidFont(c.Font)) return false;
        state_.Font = c.Font;
        return true;
    case commFColor:
        if (!c.Color.isValid()) return false;
        state_.Font.Color = c.Color;
        return true;
    case commFontAngle:
        if (!Finite(c.Angle)) return false;
        state_.Font.Angle = c.Angle;
        return true;
    case commPColor:
        if (!c.Color.isValid()) return false;
        state_.PenColor = c.Color;
        return true;
    case commBColor:
        if (!c.Color.isValid()) return false;
        state_.BrushColor = c.Color;
        return true;
    case commPStyle:
        state_.PenStyle = c.PenStyle;
        return true;
    case commBrushStyle:
        state_.BrushStyle = c.BrushStyle;
        return true;
    case commLineWidth:
        if (!Finite(c.Width) || c.Width < 0) return false;
        state_.PenWidth = c.Width;
        return true;
    case commText:
        return DrawText(c);
    case commMoveTo:
        if (!Finite(c.X1, c.Y1)) return false;
        state_.PenX = c.X1;
        state_.PenY = c.Y1;
        return true;
    case commLineTo: {
        if (!Finite(c.X1, c.Y1)) return false;
        ApplyPen();
        p_.save();
        p_.setRenderHint(QPainter::Antialiasing, true);
        p_.drawLine(QPointF(X(state_.PenX), Y(state_.PenY)), QPointF(X(c.X1), Y(c.Y1)));
        p_.restore();
        state_.PenX = c.X1;
        state_.PenY = c.Y1;
        return true;
    }
    case commLine:
        if (!Finite(c.X1, c.Y1, c.X2, c.Y2)) return false;
        ApplyPen();
        p_.save();
        p_.setRenderHint(QPainter::Antialiasing, true);
        p_.drawLine(QPointF(X(c.X1), Y(c.Y1)), QPointF(X(c.X2), Y(c.Y2)));
        p_.restore();
        state_.PenX = c.X2;
        state_.PenY = c.Y2;
        return true;
    case commFillRect: {
        if (!Finite(c.X1, c.Y1, c.X2, c.Y2) || !c.Color.isValid()) return false;
        QRectF r = QRectF(QPointF(X(c.X1), Y(c.Y1)), QPointF(X(c.X2), Y(c.Y2))).normalized();
        p_.fillRect(r, c.Color);
        return true;
    }
    case commFrameRect: {
        if (!Finite(c.X1, c.Y1, c.X2, c.Y2) || !Finite(c.Width) || c.Width < 0) return false;
        // The frame lies inside the rectangle, so a frame round a whole page is not cut off.
        QRectF r = QRectF(QPointF(X(c.X1), Y(c.Y1)), QPointF(X(c.X2), Y(c.Y2))).normalized();
        double w = std::max(1.0, c.Width * pixelsPerDot_);
        QColor col = state_.PenColor;
        if (2 * w >= r.width() || 2 * w >= r.height()) {
            p_.fillRect(r, col);
            return true;
        }
        p_.fillRect(QRectF(r.left(), r.top(), r.width(), w), col);
        p_.fillRect(QRectF(r.left(), r.bottom() - w, r.width(), w), col);
        p_.fillRect(QRectF(r.left(), r.top() + w, w, r.height() - 2 * w), col);
        p_.fillRect(QRectF(r.right() - w, r.top() + w, w, r.height() - 2 * w), col);
        return true;
    }
    case commGraphic: {
        if (!Finite(c.X1, c.Y1, c.X2, c.Y2) || c.Picture.isNull()) return false;
        QRectF r = QRectF(QPointF(X(c.X1), Y(c.Y1)), QPointF(X(c.X2), Y(c.Y2))).normalized();
        p_.save();
        p_.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p_.drawImage(r, c.Picture);
        p_.restore();
        return true;
    }
    default:
        return true; // page layout kinds carry no drawing of their own
    }
}

std::vector<TCommandKind> ReplayCommands(const TPrintPage& page, QPainter& painter,
                                         double pixelsPerDot) {
    std::vector<TCommandKind> failed;
    QPaintDevice* dev = painter.device();
    double dpiX = dev ? dev->logicalDpiX() : 96.0, dpiY = dev ? dev->logicalDpiY() : 96.0;
    TCommandPainter cp(painter, dpiX, dpiY, pixelsPerDot, page.Initial);
    for (const auto& c : page.Commands) {
        if (!cp.Execute(c) && std::find(failed.begin(), failed.end(), c.Kind) == failed.end())
            failed.push_back(c.Kind);
    }
    return failed;
}

} // namespace acremark
