// helppdf OUT.pdf: the user guide as one printable document, made from the carried pages (the
// guide, then the input topics) through the same page layout as the help viewer's Print:
// letter paper, header with the page's title, footer with the product title and page number.
#include "help/help_resources.h"
#include "help/html_print.h"
#include "print/print_object.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>
#include <cstdio>

using namespace acremark;

namespace {

// Pictures and the style sheet come from the carried resources, as in the viewer.
class GuideDocument : public QTextDocument {
protected:
    QVariant loadResource(int type, const QUrl& name) override {
        const THelpResource r = FindHelpResource(QUrl("res:///").resolved(name));
        if (!r.Ok()) {
            std::fprintf(stderr, "helppdf: %s\n", qPrintable(r.Error));
            failed = true;
            return {};
        }
        if (type == QTextDocument::ImageResource) return QImage::fromData(r.Data);
        return QString::fromUtf8(r.Data);
    }

public:
    bool failed = false;
};

QString Body(const QString& html) {
    static const QRegularExpression body("<body[^>]*>(.*)</body>",
                                         QRegularExpression::DotMatchesEverythingOption |
                                             QRegularExpression::CaseInsensitiveOption);
    return body.match(html).captured(1);
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: helppdf OUT.pdf [--png DIR]\n");
        return 2;
    }
    const QStringList pages = {"UserGuide.htm",      "InputOverview",
                               "InputPossibleYield", "InputPossiblePrice",
                               "InputCropInsurance", "InputIndividualBaseCoverage",
                               "InputCost",          "InputCashRent"};
    // Links between the carried pages mean nothing on paper; their text stays.
    static const QRegularExpression links("<a href=[^>]*>|</a>");
    QString html = "<html><head><title>Acremark$ User Guide</title><link rel=\"stylesheet\" "
                   "type=\"text/css\" href=\"style.css\"></head><body>";
    for (const QString& page : pages) {
        const THelpResource r = FindHelpResource(page);
        if (!r.Ok()) {
            std::fprintf(stderr, "helppdf: %s\n", qPrintable(r.Error));
            return 1;
        }
        QString body = Body(QString::fromUtf8(r.Data)).replace(links, "");
        if (page != pages.front())
            body = "<div style=\"page-break-before: always\">" + body + "</div>";
        html += body;
    }
    html += "</body></html>";

    GuideDocument doc;
    doc.setHtml(html);
    TPrintObject report;
    report.DocumentTitle = "Acremark$ User Guide";
    report.UseProgress = false;
    if (!report.Start()) return 1;
    THelpPrintFrame frame{"Acremark$ User Guide", "UserGuide.pdf",
                          "Acremark$ (Version 5.50 - March 26, 2023)", QDate(2023, 3, 26)};
    const int count = ComposeHelpDocument(report, doc, frame);
    QPdfWriter pdf(QString::fromLocal8Bit(argv[1]));
    pdf.setTitle("Acremark$ User Guide");
    pdf.setCreator("Acremark$");
    pdf.setPageSize(QPageSize(QPageSize::Letter));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setResolution(600);
    if (doc.failed || !report.PrintRange(pdf, 1, report.PageCount())) {
        std::fprintf(stderr, "helppdf: cannot write %s\n", argv[1]);
        return 1;
    }
    // --png DIR: every page as a picture too, to look at without a PDF viewer.
    if (argc == 4 && QString(argv[2]) == "--png")
        for (int p = 1; p <= report.PageCount(); ++p) {
            // Drawn at 300 dots to the inch, as text stands on paper, then made smaller.
            QImage page(2550, 3300, QImage::Format_RGB32);
            page.setDotsPerMeterX(qRound(300 / 0.0254));
            page.setDotsPerMeterY(qRound(300 / 0.0254));
            page.fill(Qt::white);
            QPainter painter(&page);
            report.ReplayPage(p, painter);
            painter.end();
            page.scaledToWidth(850, Qt::SmoothTransformation)
                .save(QString("%1/guide-%2.png").arg(QString::fromLocal8Bit(argv[3])).arg(p));
        }
    std::printf("helppdf: %d pages\n", count);
    return 0;
}
