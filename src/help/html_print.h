#pragma once
// A laid-out help page on printed pages through the print engine: each text run at its place in
// its own font and colour, pictures, list marks, table cells and rules, cut into pages between
// lines; every page with the header (document title at the left, the page's address at the
// right) and the footer (product title and date at the left, "Page N" at the right) in Arial 8.

#include <QDate>
#include <QString>

class QTextDocument;

namespace acremark {

class TPrintObject;

struct THelpPrintFrame {
    QString DocumentTitle;
    QString Address; // shown as given; the caller drops the scheme
    QString ProductTitle;
    QDate Date;
};

// Composes `doc` onto `report`, which must be started in page mode; the first page is the
// report's current page. The document is laid out again at the page's width on a copy, so the
// shown page is left as it is. Returns the number of pages composed.
int ComposeHelpDocument(TPrintObject& report, const QTextDocument& doc,
                        const THelpPrintFrame& frame);

// "MMM d, yyyy" in English, as every printed date of the program.
QString PrintedDate(const QDate& date);

} // namespace acremark
