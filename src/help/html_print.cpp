#include "help/html_print.h"

#include "print/print_object.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextList>
#include <QTextTable>

#include <algorithm>
#include <memory>
#include <vector>

namespace acremark {

namespace {

// The page: letter, portrait, in inches.
constexpr double kLeft = 0.75, kRight = 7.75;
constexpr double kHeaderY = 0.4, kBodyTop = 0.8, kBodyBottom = 10.2, kFooterY = 10.45;
// The copy is laid out in pixels of 96 to the inch, as on the screen.
constexpr double kLayoutDpi = 96;

struct Item {
    enum Kind { Text, Picture, Rule, Fill, Box } kind = Text;
    double top = 0, bottom = 0; // layout pixels
    double x = 0, x2 = 0;
    QString text;
    QFont font;
    QColor color;
    QImage picture;
    bool breaksLine = true; // a page may be cut above this item
};

QFont PrintFont(const QTextCharFormat& format, const QFont& base) {
    return format.font().resolve(base);
}

double PointSize(const QFont& f) {
    if (f.pointSizeF() > 0) return f.pointSizeF();
    return f.pixelSize() > 0 ? f.pixelSize() * 72.0 / kLayoutDpi : 10;
}

QImage PictureOf(const QTextDocument& doc, const QString& name) {
    const QVariant v = doc.resource(QTextDocument::ImageResource, QUrl(name));
    if (v.canConvert<QImage>() && v.typeId() == QMetaType::QImage) return v.value<QImage>();
    if (v.typeId() == QMetaType::QPixmap) return v.value<QPixmap>().toImage();
    if (v.typeId() == QMetaType::QByteArray) return QImage::fromData(v.toByteArray());
    return {};
}

// `source` is the shown document, which knows where its pictures come from.
void CollectBlock(const QTextDocument& doc, const QTextDocument& source, const QTextBlock& block,
                  std::vector<Item>& items, QPaintDevice* device) {
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    QTextLayout* tl = block.layout();
    if (!tl) return;
    const QRectF br = layout->blockBoundingRect(block);
    const QPointF origin = br.topLeft() - tl->boundingRect().topLeft();
    const QFont base = doc.defaultFont();

    if (block.blockFormat().hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth)) {
        Item rule{Item::Rule, br.center().y(), br.center().y() + 1, br.left(), br.right()};
        rule.color = QColor(0xA0, 0xA0, 0xA0);
        items.push_back(rule);
    }
    for (int i = 0; i < tl->lineCount(); ++i) {
        const QTextLine line = tl->lineAt(i);
        const double top = origin.y() + line.y();
        const double baseline = top + line.ascent();
        const int lineStart = block.position() + line.textStart();
        const int lineEnd = lineStart + line.textLength();
        if (i == 0 && block.textList()) {
            QTextList* list = block.textList();
            const int style = list->format().style();
            const bool bullet = style == QTextListFormat::ListDisc ||
                                style == QTextListFormat::ListCircle ||
                                style == QTextListFormat::ListSquare;
            QString mark = bullet ? QString(QChar(0x2022)) : list->itemText(block);
            const QFont f = PrintFont(block.charFormat(), base);
            const QFontMetricsF fm(f, device);
            Item m{Item::Text, baseline - fm.ascent(), baseline + fm.descent()};
            m.x = origin.x() + line.x() - fm.horizontalAdvance(mark) - 6;
            m.text = mark;
            m.font = f;
            m.color = Qt::black;
            items.push_back(m);
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const int a = std::max(lineStart, frag.position());
            const int b = std::min(lineEnd, frag.position() + frag.length());
            if (a >= b) continue;
            const QTextCharFormat cf = frag.charFormat();
            if (cf.isImageFormat()) {
                const double x = origin.x() + line.cursorToX(a - block.position());
                const QTextImageFormat imf = cf.toImageFormat();
                QImage picture = PictureOf(source, imf.name());
                if (picture.isNull()) continue;
                double w = imf.width() > 0 ? imf.width() : picture.width();
                double h = imf.height() > 0 ? imf.height() : picture.height();
                if (imf.width() > 0 && imf.height() <= 0)
                    h = picture.height() * w / picture.width();
                if (imf.height() > 0 && imf.width() <= 0)
                    w = picture.width() * h / picture.height();
                Item p{Item::Picture, baseline - h, baseline, x, x + w};
                p.picture = picture;
                items.push_back(p);
                continue;
            }
            QString text = frag.text().mid(a - frag.position(), b - a);
            text.replace(QChar::LineSeparator, ' ').replace(QChar::Nbsp, ' ');
            if (text.trimmed().isEmpty()) continue;
            const QFont f = PrintFont(cf, base);
            const QFontMetricsF fm(f, device);
            const QColor color = cf.foreground().style() == Qt::NoBrush ? QColor(Qt::black)
                                                                        : cf.foreground().color();
            // Each word where the layout put it: the printer's fonts measure a little
            // differently from the layout's, and a run placed whole would push into the next
            // run after a change of font (a bold word running into the plain one after it).
            for (int i = 0; i < text.size();) {
                if (text.at(i) == ' ') {
                    ++i;
                    continue;
                }
                int j = i;
                while (j < text.size() && text.at(j) != ' ')
                    ++j;
                const double x = origin.x() + line.cursorToX(a + i - block.position());
                Item t{Item::Text, baseline - fm.ascent(), baseline + fm.descent(), x};
                t.text = text.mid(i, j - i);
                t.font = f;
                t.color = color;
                items.push_back(t);
                i = j;
            }
        }
    }
}

// Cell backgrounds and borders, from where the cells' blocks were laid out.
void CollectTable(const QTextDocument& doc, QTextTable* table, std::vector<Item>& items) {
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    const QTextTableFormat tf = table->format();
    const double pad = tf.cellPadding() + (tf.border() > 0 ? tf.border() : 0);
    const QRectF whole = layout->frameBoundingRect(table);
    std::vector<double> lefts(size_t(table->columns()) + 1, whole.right());
    for (int c = 0; c < table->columns(); ++c) {
        double left = whole.right();
        for (int r = 0; r < table->rows(); ++r) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.column() != c) continue;
            left = std::min(
                left, layout->blockBoundingRect(cell.firstCursorPosition().block()).left() - pad);
        }
        lefts[size_t(c)] = c == 0 ? whole.left() + tf.margin() : left;
    }
    lefts.back() = whole.right() - tf.margin();
    double rowTop = whole.top() + tf.margin();
    for (int r = 0; r < table->rows(); ++r) {
        double bottom = rowTop;
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            bottom = std::max(
                bottom,
                layout->blockBoundingRect(cell.lastCursorPosition().block()).bottom() + pad);
        }
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() != r || cell.column() != c) continue;
            const double x1 = lefts[size_t(c)];
            const double x2 = lefts[size_t(std::min(c + cell.columnSpan(), table->columns()))];
            const QBrush bg = cell.format().background();
            if (bg.style() != Qt::NoBrush) {
                Item f{Item::Fill, rowTop, bottom, x1, x2};
                f.color = bg.color();
                f.breaksLine = false;
                items.push_back(f);
            }
            if (tf.border() > 0) {
                Item b{Item::Box, rowTop, bottom, x1, x2};
                b.color = tf.borderBrush().style() == Qt::NoBrush ? QColor(0x80, 0x80, 0x80)
                                                                  : tf.borderBrush().color();
                b.breaksLine = false;
                items.push_back(b);
            }
        }
        rowTop = bottom;
    }
}

void CollectFrames(const QTextDocument& doc, QTextFrame* frame, std::vector<Item>& items) {
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) CollectTable(doc, table, items);
        CollectFrames(doc, child, items);
    }
}

// Where each page begins, in layout pixels: a page ends before the first line that would not
// fit, or before a block that asks for a new page.
std::vector<double> PageStarts(const std::vector<Item>& items, const std::vector<double>& forced,
                               double height) {
    std::vector<double> starts{0};
    double end = 0;
    for (const Item& it : items)
        end = std::max(end, it.bottom);
    size_t nextForced = 0;
    while (true) {
        const double start = starts.back();
        double cut = start + height;
        while (nextForced < forced.size() && forced[nextForced] <= start + 0.5)
            ++nextForced;
        if (nextForced < forced.size() && forced[nextForced] < cut) cut = forced[nextForced];
        if (cut >= end) break;
        double best = cut;
        for (const Item& it : items)
            if (it.breaksLine && it.top < cut && it.bottom > cut && it.top > start + 0.5)
                best = std::min(best, it.top);
        starts.push_back(best);
    }
    return starts;
}

void WriteFrame(TPrintObject& report, const THelpPrintFrame& frame, int pageNo) {
    report.SetBrushStyle(TBrushStyle::bsClear);
    report.SetFontInfo("Arial", 8);
    report.SetFontColor(Qt::black);
    report.WriteLine(kHeaderY, kLeft, frame.DocumentTitle);
    report.WriteLineRightToX(kHeaderY, kRight, frame.Address);
    report.WriteLine(kFooterY, kLeft, frame.ProductTitle + " " + PrintedDate(frame.Date));
    report.WriteLineRightToX(kFooterY, kRight, QStringLiteral("Page %1").arg(pageNo));
}

} // namespace

QString PrintedDate(const QDate& date) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(date, "MMM d, yyyy");
}

int ComposeHelpDocument(TPrintObject& report, const QTextDocument& doc,
                        const THelpPrintFrame& frame) {
    // The copy asks the shown document's owner for its pictures and style sheet.
    std::unique_ptr<QTextDocument> copy(
        doc.clone(doc.parent() ? doc.parent() : const_cast<QTextDocument*>(&doc)));
    QImage device(1, 1, QImage::Format_RGB32);
    device.setDotsPerMeterX(qRound(kLayoutDpi / 0.0254));
    device.setDotsPerMeterY(qRound(kLayoutDpi / 0.0254));
    copy->documentLayout()->setPaintDevice(&device);
    // Unhinted widths, as the printer's fonts have them, so runs of text keep their spaces.
    copy->setUseDesignMetrics(true);
    copy->setTextWidth((kRight - kLeft) * kLayoutDpi);
    copy->documentLayout()->documentSize(); // lays it out

    std::vector<Item> items;
    std::vector<double> forced;
    for (QTextBlock b = copy->begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            forced.push_back(copy->documentLayout()->blockBoundingRect(b).top());
        CollectBlock(*copy, doc, b, items, &device);
    }
    CollectFrames(*copy, copy->rootFrame(), items);
    std::sort(forced.begin(), forced.end());
    const std::vector<double> starts =
        PageStarts(items, forced, (kBodyBottom - kBodyTop) * kLayoutDpi);

    report.SetAutoPaging(false);
    const int firstPage = report.PageCount();
    for (size_t p = 0; p < starts.size(); ++p) {
        if (p > 0) report.NewPage();
        WriteFrame(report, frame, report.PageCount());
        const double from = starts[p];
        const double to = p + 1 < starts.size() ? starts[p + 1] : 1e300;
        auto Y = [&](double px) { return kBodyTop + (px - from) / kLayoutDpi; };
        auto X = [&](double px) { return kLeft + px / kLayoutDpi; };
        // Backgrounds first, then borders, then what stands on them.
        for (int pass = 0; pass < 3; ++pass)
            for (const Item& it : items) {
                const bool ground = it.kind == Item::Fill || it.kind == Item::Box;
                if (ground ? (it.bottom <= from || it.top >= to) : (it.top < from || it.top >= to))
                    continue;
                const double top = Y(std::max(it.top, from));
                const double bottom = Y(std::min(it.bottom, to));
                if (pass == 0 && it.kind == Item::Fill) {
                    report.SetBrushStyle(TBrushStyle::bsSolid);
                    report.SetBrushColor(it.color);
                    report.FillRect(X(it.x), top, X(it.x2), bottom);
                } else if (pass == 1 && it.kind == Item::Box) {
                    report.SetPenColor(it.color);
                    report.DrawBox(X(it.x), top, X(it.x2), bottom, 2);
                } else if (pass == 2 && it.kind == Item::Rule) {
                    report.SetPenColor(it.color);
                    report.SetPenWidth(2);
                    report.Line(X(it.x), top, X(it.x2), top);
                } else if (pass == 2 && it.kind == Item::Picture) {
                    report.PrintGraphic(X(it.x), top, X(it.x2), Y(it.bottom), it.picture);
                } else if (pass == 2 && it.kind == Item::Text) {
                    report.SetBrushStyle(TBrushStyle::bsClear);
                    report.SetFontInfo(it.font.family(), PointSize(it.font), it.font.bold(),
                                       it.font.italic(), it.font.underline());
                    report.SetFontColor(it.color);
                    report.WriteLine(top, X(it.x), it.text);
                }
            }
    }
    return report.PageCount() - firstPage + 1;
}

} // namespace acremark
