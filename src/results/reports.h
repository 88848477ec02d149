#pragma once
// The printed reports, composed page by page on a started print object (page mode; landscape
// letter paper): the enterprise and farm level summary of all scenarios and the input summary of
// one scenario. Positions are in inches from the paper's top left corner; a text's position is
// the top of its line.

#include "budget/scenario_summary.h"
#include "data/field_record.h"
#include "data/number_format.h"

#include <QImage>
#include <QJsonArray>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace acremark {

class RunWorkspace;
class TReferenceTables;
class TSimChart;
class TPrintObject;
class TPrintPrompts;
class TPrintDisplay;

// What the enterprise summary prints: each scenario's summary lines (none when it has no
// results) and its description.
struct EnterpriseSummarySource {
    std::array<std::optional<SummaryLines>, 9> lines; // index 1..8
    std::array<std::string, 8> descriptions;          // scenario 1 first
    std::string note; // printed under the table when not empty (the common seed of the runs)
    NumberSeparators separators;
};

// One landscape page: the title, the table of the presented summary lines for all eight
// scenarios, total and per acre.
void ComposeEnterpriseSummary(TPrintObject& p, const EnterpriseSummarySource& source);

// What the comparison print shows: the comparison grid's texts as on screen, its three targets,
// the descriptions, and the two charts drawn by the caller into rectangles of the page.
struct ComparisonPrintSource {
    std::array<std::array<std::string, 13>, 9> cells; // [column][row]; column 0 the labels
    double target10 = 0, target11 = 0, target12 = 0;
    std::array<std::string, 8> descriptions;
    double chartSizeRatio = 0.45; // the left chart's share of the width, as on screen
    std::string note;             // printed under the charts when not empty
    // Draws chart 3 (risk-return) or 2 (probability) on the page in the rectangle (inches).
    std::function<void(TPrintObject& page, double x, double y, double w, double h, int chart)>
        drawChart;
    NumberSeparators separators;
};

// One landscape page: rows 3 to 12 of the comparison grid with their sentences, and both charts.
void ComposeComparisonPrint(TPrintObject& p, const ComparisonPrintSource& source);

// What the input summary prints: the scenario's fields as its columns hold them, and what the
// main window shows beside them.
struct InputSummarySource {
    int scenario = 1;
    std::string description;
    std::string township, range, meridian; // the location edits' texts
    std::string soilType;                  // the soil zone's name; empty when none is chosen
    std::vector<FieldRecord> fields;       // columns 1, 2, … up to the first without a record
    std::string note;                      // printed under the table when not empty
    // Names from the reference tables; empty when the code has no row.
    std::function<std::string(int)> cropName, practiceName, coverageName;
    NumberSeparators separators;
};

// Eight fields a page, each page with its frame and labels; a scenario without fields gives one
// empty page. Advances the progress window by one at the end.
void ComposeInputSummary(TPrintObject& p, const InputSummarySource& source);

// The publisher's logo drawn in the rectangle from (x, y), w × h inches: the program's name on
// its green plate, crisp at any size (the reports put it at the top right, 1.0 × 0.3 inch).
void DrawPublisherLogo(TPrintObject& p, double x, double y, double w, double h);

// The sources as a workspace's results give them: the comparison print of its grid and results
// (the charts drawn by `chart`, which must draw the same results), the summary lines of every
// scenario run; descriptions scenario 1 first.
ComparisonPrintSource ComparisonPrintOf(const RunWorkspace& runs, TSimChart& chart,
                                        const std::array<std::string, 8>& descriptions,
                                        double chartSizeRatio);
EnterpriseSummarySource EnterpriseSummaryOf(const RunWorkspace& runs,
                                            const std::array<std::string, 8>& descriptions);
// The crop, practice and coverage level names of the input summary from the reference tables,
// which must outlive the source.
void UseReferenceNames(InputSummarySource& source, const TReferenceTables& tables);

// The labels of the input summary's 48 rows ("" for the second description row).
const std::array<const char*, 48>& InputSummaryLabels();

// A print object for a report: landscape letter paper, page mode, started (page 1 begun).
// Without a display, Quit shows nothing; a batch caller writes the pages with WriteReportPdf.
std::unique_ptr<TPrintObject> StartReport(const QString& title, TPrintPrompts* prompts = nullptr,
                                          TPrintDisplay* display = nullptr, bool progress = false);

// Every composed page into a PDF file; false with the reason in *error when it cannot be
// written.
bool WriteReportPdf(TPrintObject& report, const QString& path, QString* error = nullptr);
// Every page as a PNG picture at dpi: page 1 into path, later pages into path with "-2", "-3",
// … before its extension.
bool WriteReportPng(TPrintObject& report, const QString& path, QString* error = nullptr,
                    int dpi = 150);
// Every page's recorded commands in one JSON array, {"kind":"commNewPage"} between pages.
QJsonArray ReportCommandsJson(const TPrintObject& report);

} // namespace acremark
