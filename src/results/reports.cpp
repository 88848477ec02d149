#include "results/reports.h"

#include "budget/run_workspace.h"
#include "data/reference_tables.h"
#include "print/print_object.h"
#include "print/print_painter.h"
#include "print/qt_text.h"
#include "results/sim_chart.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>

#include <algorithm>

namespace acremark {

namespace {

const QString kTitleFont = QStringLiteral("Times New Roman");
const QString kBodyFont = QStringLiteral("Arial");
const QColor kSilver(0xC0, 0xC0, 0xC0);

// ---------------------------------------------------------------------------------------------
// Enterprise and farm level summary

constexpr double kRow = 0.18;    // body rows
constexpr double kRuleUp = 0.03; // a row's rule above its text
constexpr double kLeft = 2.5;    // the table's left edge: X(1)
constexpr double kRight = 10.5;  // its right edge: X(9)
constexpr double kFirstRow = 2.40;

double X(int s) {
    return s + 1.5;
}

// A line of small print under a report's table (how the runs were drawn), when there is one.
void Note(TPrintObject& p, double y, double x, const std::string& note) {
    if (note.empty()) return;
    p.SetFontInfo(kBodyFont, 7, false, true);
    p.SetBrushColor(Qt::white);
    p.WriteLine(y, x, QString::fromStdString(note));
    p.SetFontInfo(kBodyFont, 7);
}

// Lines printed, in order, and whether an empty row (a section gap) comes before the line.
struct PrintedLine {
    int line;
    bool gapBefore;
};
std::vector<PrintedLine> PrintedLines() {
    std::vector<PrintedLine> out;
    for (int k = 0; k <= 27; ++k)
        if (k != 18) out.push_back({k, k == 1 || k == 16 || k == 22});
    return out;
}

} // namespace

void ComposeEnterpriseSummary(TPrintObject& p, const EnterpriseSummarySource& source) {
    const auto& sep = source.separators;
    auto withAcres = [&](int s) {
        const auto& l = source.lines[size_t(s)];
        return l && (*l)[TScenarioSummary::kTotalAcresLine] != 0;
    };

    p.SetFontInfo(kTitleFont, 18);
    p.WriteLineCenter(
        1.0, QStringLiteral("Enterprise & Farm Level Summary of Expected Costs and Returns"));
    p.SetFontInfo(kBodyFont, 7);

    // Headings: descriptions (three lines at most), scenario numbers, column captions.
    p.Line(kLeft, 1.47, kRight, 1.47);
    for (int s = 1; s <= 8; ++s) {
        QStringList lines;
        p.WrapText(Q(source.descriptions[size_t(s - 1)]), lines, 1.0, 0.0);
        for (int j = 0; j < 3 && j < lines.size(); ++j)
            p.WriteLine(1.5 + kRow * j, X(s) + 0.05, lines[j]);
    }
    p.Line(kLeft, 2.04 - kRuleUp, kRight, 2.04 - kRuleUp);
    for (int s = 1; s <= 8; ++s)
        p.WriteLineCenterToX(2.04, X(s) + 0.5, QStringLiteral("Scenario # %1").arg(s));
    for (int s = 1; s <= 9; ++s)
        p.Line(X(s), 1.47, X(s), 2.37);
    p.Line(kLeft, 2.22 - kRuleUp, kRight, 2.22 - kRuleUp);
    for (int s = 1; s <= 8; ++s) {
        p.WriteLineRightToX(2.22, X(s) + 0.5, QStringLiteral("Total $ "));
        p.WriteLineRightToX(2.22, X(s) + 1, QStringLiteral("$ / Acre "));
        p.Line(X(s) + 0.5, 2.19, X(s) + 0.5, 2.37);
    }

    // The verticals of a block of rows: the scenario edges and the sub-column dividers.
    auto verticals = [&](double top, double bottom, double firstEdgeBottom) {
        p.Line(X(1), top, X(1), firstEdgeBottom);
        for (int s = 2; s <= 9; ++s)
            p.Line(X(s), top, X(s), bottom);
        for (int s = 1; s <= 8; ++s)
            p.Line(X(s) + 0.5, top, X(s) + 0.5, bottom);
    };

    const auto& rows = TScenarioSummary::Rows();
    double y = kFirstRow;
    double blockTop = y - kRuleUp;
    double percentTop = 0; // the rule above line 25
    for (const PrintedLine& printed : PrintedLines()) {
        const int k = printed.line;
        if (printed.gapBefore) {
            // The block ends at the gap's rule; the next one starts a row lower.
            p.Line(kLeft, y - kRuleUp, kRight, y - kRuleUp);
            verticals(blockTop, y - kRuleUp, y - kRuleUp);
            y += kRow;
            blockTop = y - kRuleUp;
        }
        // The row's label, with its section mark and number.
        const auto& row = *std::find_if(
            rows.begin(), rows.end(), [&](const TScenarioSummary::Row& r) { return r.line == k; });
        const double labelX = k <= 20 ? 0.7 : 0.4;
        if (row.mark && *row.mark) p.WriteLine(y, labelX - 0.3, QString::fromUtf8(row.mark));
        if (row.number && *row.number) p.WriteLine(y, labelX - 0.15, QString::fromUtf8(row.number));
        p.WriteLine(y, labelX, QString::fromUtf8(row.label));

        if (k <= 25) {
            // A rule across the table: above every amount row and above line 25.
            p.Line(kLeft, y - kRuleUp, kRight, y - kRuleUp);
        }
        if (k == 25) percentTop = y - kRuleUp;
        for (int s = 1; s <= 8; ++s) {
            if (!withAcres(s)) continue;
            const auto& l = *source.lines[size_t(s)];
            if (k < 25) {
                p.WriteLineRightToX(y, X(s) + 0.5,
                                    Q(FormatFloat("#,##0", l[size_t(k)], sep) + " "));
                p.WriteLineRightToX(
                    y, X(s) + 1,
                    Q(FormatFloat("0.00", l[size_t(k)] / l[TScenarioSummary::kTotalAcresLine],
                                  sep) +
                      " "));
            } else {
                if (k > 25) p.Line(X(s) + 0.5, y - kRuleUp, X(s) + 1, y - kRuleUp);
                p.WriteLineRightToX(y, X(s) + 1, Q(FormatFloat("#,###%", l[size_t(k)], sep) + " "));
            }
        }
        y += kRow;
    }
    // The bottom: a short rule closing every scenario's "$ / Acre" column, the last block's
    // verticals (the first edge stops above the percentage rows).
    const double bottom = y - kRuleUp;
    for (int s = 1; s <= 8; ++s)
        if (withAcres(s)) p.Line(X(s) + 0.5, bottom, X(s) + 1, bottom);
    verticals(blockTop, bottom, percentTop);

    DrawPublisherLogo(p, 9.5, 0.5, 1.0, 0.3);
    Note(p, y + kRow, 0.4, source.note);
}

// ---------------------------------------------------------------------------------------------
// Comparison print

namespace {
double C(int s) {
    return 2.2 + (s - 1) * 15.0 / 14.0;
}
} // namespace

void ComposeComparisonPrint(TPrintObject& p, const ComparisonPrintSource& source) {
    const auto& sep = source.separators;
    p.SetFontInfo(kTitleFont, 18);
    p.WriteLineCenter(0.7, QStringLiteral("Scenario Analysis - Contribution and Gross Margins"));
    p.SetFontInfo(kBodyFont, 7);

    const double left = 0.25, right = C(9);
    p.Line(left, 1.17, right, 1.17);
    for (int s = 1; s <= 8; ++s)
        p.WriteLineCenterToX(1.2, C(s) + 0.375, QStringLiteral("Scenario # %1").arg(s));
    p.Line(left, 1.35, right, 1.35);
    for (int s = 1; s <= 8; ++s) {
        QStringList lines;
        p.WrapText(Q(source.descriptions[size_t(s - 1)]), lines, 1.0, 0.0);
        for (int j = 0; j < 5 && j < lines.size(); ++j)
            p.WriteLine(1.38 + kRow * j, C(s) + 0.05, lines[j]);
    }

    // Rows 3 to 12 with the sentences the print writes around the targets.
    auto sentence = [&](int row) {
        switch (row) {
        case 9:
            return std::string("The chance of Gross Margin below $0 is:");
        case 10:
        case 11:
            return "The chance of GM below " +
                   FormatFloat(" $#,##0", row == 10 ? source.target10 : source.target11, sep) +
                   " is:";
        case 12:
            return "There is a " + FormatFloat(" 0.00%", source.target12, sep) +
                   " chance of a GM below: ";
        default:
            return source.cells[0][size_t(row)];
        }
    };
    double y = 2.28;
    for (int row = 3; row <= 12; ++row, y += kRow) {
        p.Line(left, y - kRuleUp, right, y - kRuleUp);
        p.WriteLine(y, 0.30, Q(sentence(row)));
        for (int s = 1; s <= 8; ++s) {
            const std::string& text = source.cells[size_t(s)][size_t(row)];
            if (!text.empty()) p.WriteLineRightToX(y, C(s + 1) - 0.05, Q(text));
        }
    }
    const double last = y - kRuleUp;
    p.Line(left, last, right, last);
    p.Line(left, 1.17, left, last);
    for (int s = 1; s <= 9; ++s)
        p.Line(C(s), 1.17, C(s), last);

    // The charts side by side, split as on screen.
    if (source.drawChart) {
        const double w = source.chartSizeRatio * 10.3;
        source.drawChart(p, 0.25, 4.1, w, 3.8, 3);
        source.drawChart(p, w + 0.5, 4.1, 10.3 - w, 3.8, 2);
    }
    DrawPublisherLogo(p, 9.7, 0.5, 1.0, 0.3);
    Note(p, 7.95, 0.25, source.note);
}

// ---------------------------------------------------------------------------------------------
// Input summary

namespace {

constexpr double kLabelLeft = 0.45, kLabelRight = 2.08, kSlot = 1.0625, kTableRight = 10.58;

double RowY(int j) {
    return 1.15 + 0.138 * j;
}
double XR(int m) {
    return kLabelRight + kSlot * (m + 1);
}

const std::array<const char*, 48> kInputLabels = {
    "Field No.",
    "Field Description",
    "",
    "Acres",
    "Crops",
    "Stubble, Fallow or Irrigated",
    "Unit",
    "Worst Possible Yield/Acre",
    "Best Possible Yield/Acre",
    "Most Likely Yield/Acre",
    "Expected Yield/Acre",
    "Worst Possible Price",
    "Best Possible Price",
    "Most Likely Price",
    "Expected Price",
    "Crop Insurance",
    "Spring Price Endorsement",
    "Coverage Level",
    "Individual Base Coverage",
    "Variable Cost",
    "Seed",
    "Fertilizer",
    "Chemicals",
    "Crop Insurance Premiums",
    "Trucking & Marketing",
    "Fuel, Oil & Lube",
    "Irrigation Fuel & Electricity",
    "Repairs - Machinery",
    "Repairs - Buildings",
    "Utilities & Misc. Expenses",
    "Custom Work & Specialized Labour",
    "Operating Interest Paid",
    "Paid Labour & Benefits",
    "Unpaid Labour",
    "Total Variable Costs",
    "Cash Overheads",
    "Cash Rent ",
    "or Share Crop - Land Owner %",
    "Seed/Fert/Chem - Land Owner %",
    "or $/acre",
    "Owner's Other Exp.$/acre",
    "Taxes, Water Rates, Lic",
    "Paid Capital Interest",
    "Fixed Cash Costs",
    "Contribution Margin (CM)",
    "Standard Deviation of CM",
    "Gross Margin (GM)",
    "Standard Deviation of GM",
};

void InputFrame(TPrintObject& p, const InputSummarySource& s) {
    p.SetBrushColor(Qt::white);
    p.SetFontInfo(kTitleFont, 20);
    p.WriteLineCenter(0.65, QStringLiteral("Summary of Input Data"));
    p.SetFontInfo(kBodyFont, 12);
    p.WriteLineCenter(1.0, QStringLiteral("Scenario # %1: ").arg(s.scenario) + Q(s.description));
    p.SetFontInfo(kBodyFont, 10);
    p.WriteLine(1.1, 0.5, QStringLiteral("Township: ") + Q(s.township));
    p.WriteLine(1.1, 1.5, QStringLiteral("Range: ") + Q(s.range));
    p.WriteLine(1.1, 2.3, QStringLiteral("Meridian: ") + Q(s.meridian));
    p.WriteLineRightToX(1.1, 10.5, QStringLiteral("Soil Type: ") + Q(s.soilType));

    p.SetFontInfo(kBodyFont, 7);
    const double top = RowY(1) - 0.02, bottom = RowY(49) - 0.02;
    p.DrawBox(kLabelLeft, top, kTableRight, bottom, 2);
    p.DrawBoxShade(kLabelLeft, RowY(45) - 0.02, kTableRight, bottom, 2, kSilver);
    for (int j : {5, 8, 12, 16, 20, 36})
        p.Line(kLabelLeft, RowY(j) - 0.02, kTableRight, RowY(j) - 0.02);
    for (int j = 1; j <= 48; ++j) {
        p.SetBrushColor(j >= 45 ? kSilver : QColor(Qt::white));
        const QString label = QString::fromUtf8(kInputLabels[size_t(j - 1)]);
        if (!label.isEmpty()) p.WriteLineRightToX(RowY(j), kLabelRight, label + QLatin1Char(' '));
    }
    p.SetBrushColor(Qt::white);
    p.Line(kLabelRight, top, kLabelRight, bottom);
}

void InputField(TPrintObject& p, const InputSummarySource& s, int k) {
    const FieldRecord& r = s.fields[size_t(k)];
    const int m = k % 8;
    const auto& sep = s.separators;
    auto put = [&](int row, const QString& text, double right) {
        if (text.isEmpty()) return; // "#,###" prints no acres as nothing
        p.SetBrushColor(row >= 45 ? kSilver : QColor(Qt::white));
        p.WriteLineRightToX(RowY(row), right, text + QLatin1Char(' '));
    };
    auto num = [&](int row, const char* pattern, double v, double right) {
        put(row, Q(FormatFloat(pattern, v, sep)), right);
    };
    auto name = [](const std::function<std::string(int)>& lookup, int code) {
        return lookup ? lookup(code) : std::string();
    };

    put(1, QStringLiteral("Field #%1").arg(k + 1), XR(m));
    QStringList lines;
    p.WrapText(Q(r.AsString(fDescription)), lines, 1.0, 0.0);
    for (int j = 0; j < 2 && j < lines.size(); ++j)
        put(2 + j, lines[j], XR(m));
    num(4, "#,###", r.AsFloat(fAcres), XR(m));
    std::string crop = r.IsNull(fCrop) ? std::string() : name(s.cropName, r.AsInteger(fCrop));
    const bool malt = !r.IsNull(fCrop) && r.AsInteger(fCrop) == kMaltBarleyCrop;
    if (malt) crop += " (" + FormatFloat("0", r.AsFloat(fMaltBarley), sep) + "%)";
    put(5, Q(crop), XR(m));
    put(6, Q(r.IsNull(fSFI) ? std::string() : name(s.practiceName, r.AsInteger(fSFI))), XR(m));
    put(7, Q(r.AsString(fUnit)), XR(m));
    const double yl = r.AsFloat(fYieldLow), yh = r.AsFloat(fYieldHigh), ym = r.AsFloat(fYieldMost);
    num(8, "#,##0.0", yl, XR(m));
    num(9, "#,##0.0", yh, XR(m));
    num(10, "#,##0.0", ym, XR(m));
    num(11, "#,##0.0", (yl + yh + ym) / 3, XR(m));
    // Malt barley: the malt price triangle half a slot left of the feed price triangle.
    auto prices = [&](int low, int high, int most, double right) {
        const double pl = r.AsFloat(low), ph = r.AsFloat(high), pm = r.AsFloat(most);
        num(12, "#,##0.00", pl, right);
        num(13, "#,##0.00", ph, right);
        num(14, "#,##0.00", pm, right);
        num(15, "#,##0.00", (pl + ph + pm) / 3, right);
    };
    if (malt) {
        prices(fPriceLow, fPriceHigh, fPriceMost, XR(m) - 0.5);
        prices(fPriceLow2, fPriceHigh2, fPriceMost2, XR(m));
    } else {
        prices(fPriceLow, fPriceHigh, fPriceMost, XR(m));
    }
    const bool insured = r.AsBoolean(fInsurance);
    put(16, insured ? QStringLiteral("Yes") : QStringLiteral("No"), XR(m));
    put(17, QStringLiteral("N/A"), XR(m));
    if (insured) {
        put(18,
            Q(r.IsNull(fCoverageLevel) ? std::string()
                                       : name(s.coverageName, r.AsInteger(fCoverageLevel))),
            XR(m));
        num(19, "0.00", r.AsFloat(fCoverageAdjustment), XR(m));
    }
    for (int i = 0; i < 14; ++i)
        num(21 + i, "0.00", r.AsFloat(fB1 + i), XR(m));
    num(35, "0.00", r.AsFloat(fB), XR(m));
    const int overheads[] = {fC1, fC2, fC3, fC4, fC5, fC6, fC7, fC, fCM, fCMSD, fGM, fGMSD};
    for (int i = 0; i < 12; ++i)
        num(37 + i, "0.00;; ", r.AsFloat(overheads[i]), XR(m));
    p.SetBrushColor(Qt::white);
    p.Line(XR(m), RowY(1) - 0.02, XR(m), RowY(49) - 0.02);
}

} // namespace

std::unique_ptr<TPrintObject> StartReport(const QString& title, TPrintPrompts* prompts,
                                          TPrintDisplay* display, bool progress) {
    auto p = std::make_unique<TPrintObject>(prompts, display);
    p->PageOrientation = TPageOrientation::poLandscape;
    p->PaperDimension = QPageSize(QPageSize::Letter);
    p->ActualPreview = true;
    p->UseProgress = progress;
    p->DocumentTitle = title;
    p->Start();
    p->SetYPosition(0.5);
    return p;
}

bool WriteReportPdf(TPrintObject& report, const QString& path, QString* error) {
    QPdfWriter writer(path);
    writer.setResolution(int(kPageDotsPerInch));
    writer.setTitle(report.DocumentTitle);
    writer.setCreator(QStringLiteral("Acremark$"));
    if (report.PageCount() == 0 || !report.PrintRange(writer, 1, report.PageCount())) {
        if (error) *error = QStringLiteral("Cannot write ") + path;
        return false;
    }
    return true;
}

void DrawPublisherLogo(TPrintObject& p, double x, double y, double w, double h) {
    const TDrawState before = p.State();
    const QColor green(0x2E, 0x6B, 0x30);
    p.SetBrushStyle(TBrushStyle::bsSolid);
    p.SetBrushColor(green);
    p.FillRect(x, y, x + w, y + h);
    p.SetBrushStyle(TBrushStyle::bsClear);
    p.SetFontInfo(kBodyFont, 11 * h / 0.3, true);
    p.SetFontColor(Qt::white);
    p.WriteLineCenterToX(y + 0.02 * h / 0.3, x + w / 2, QStringLiteral("Acremark$"));
    p.SetFontInfo(kBodyFont, 5.5 * h / 0.3, false, true);
    p.SetFontColor(QColor(0xD8, 0xE8, 0xC8));
    p.WriteLineCenterToX(y + 0.19 * h / 0.3, x + w / 2, QStringLiteral("crop decisions"));
    // What the caller drew with before.
    p.SetFontInfo(before.Font.Name, before.Font.Size, before.Font.Bold, before.Font.Italic,
                  before.Font.Underline);
    p.SetFontColor(before.Font.Color);
    p.SetBrushStyle(before.BrushStyle);
    p.SetBrushColor(before.BrushColor);
}

bool WriteReportPng(TPrintObject& report, const QString& path, QString* error, int dpi) {
    const QSizeF paper = report.PaperSizeInches();
    const QFileInfo info(path);
    for (int k = 1; k <= report.PageCount(); ++k) {
        const QString file =
            k == 1
                ? path
                : info.dir().filePath(info.completeBaseName() + QStringLiteral("-%1").arg(k) +
                                      (info.suffix().isEmpty() ? QString() : "." + info.suffix()));
        QImage image(qRound(paper.width() * dpi), qRound(paper.height() * dpi),
                     QImage::Format_RGB32);
        const int dpm = qRound(dpi / 0.0254);
        image.setDotsPerMeterX(dpm);
        image.setDotsPerMeterY(dpm);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            report.ReplayPage(k, painter);
        }
        if (!image.save(file, "PNG")) {
            if (error) *error = QStringLiteral("Cannot write ") + file;
            return false;
        }
    }
    return true;
}

QJsonArray ReportCommandsJson(const TPrintObject& report) {
    QJsonArray all;
    for (int k = 1; k <= report.PageCount(); ++k) {
        if (k > 1) all.append(QJsonObject{{QStringLiteral("kind"), QStringLiteral("commNewPage")}});
        for (const auto& c : report.PageCommandsJson(k))
            all.append(c);
    }
    return all;
}

ComparisonPrintSource ComparisonPrintOf(const RunWorkspace& runs, TSimChart& chart,
                                        const std::array<std::string, 8>& descriptions,
                                        double chartSizeRatio) {
    const TComparisonGrid& grid = runs.Grid();
    ComparisonPrintSource src;
    for (int c = 0; c < TComparisonGrid::kCols; ++c)
        for (int r = 0; r < kGridRows; ++r)
            src.cells[size_t(c)][size_t(r)] = grid.Cell(c, r);
    if (const auto t = grid.ReadTargets()) {
        src.target10 = t->t10;
        src.target11 = t->t11;
        src.target12 = t->t12;
    }
    src.descriptions = descriptions;
    src.chartSizeRatio = chartSizeRatio;
    TSimChart* drawer = &chart;
    src.drawChart = [drawer](TPrintObject& page, double x, double y, double w, double h, int id) {
        TPrintObject* before = drawer->prn;
        drawer->prn = &page;
        drawer->PrintChart(float(x), float(y), float(w), float(h), id);
        drawer->prn = before;
    };
    src.separators = grid.separators;
    return src;
}

EnterpriseSummarySource EnterpriseSummaryOf(const RunWorkspace& runs,
                                            const std::array<std::string, 8>& descriptions) {
    EnterpriseSummarySource src;
    for (int s = 1; s <= kScenarioCount; ++s)
        if (runs.Result(s).ran) src.lines[size_t(s)] = runs.Result(s).summary;
    src.descriptions = descriptions;
    src.separators = runs.Grid().separators;
    return src;
}

void UseReferenceNames(InputSummarySource& source, const TReferenceTables& tables) {
    const TReferenceTables* ref = &tables;
    source.cropName = [ref](int code) {
        const TCropRow* r = ref->cdsCrops.Find(code);
        return r ? r->CropName : std::string();
    };
    source.practiceName = [ref](int code) {
        const TCodeRow* r = ref->cdsSFI.Find(code);
        return r ? r->Description : std::string();
    };
    source.coverageName = [ref](int code) {
        const TCodeRow* r = ref->cdsCLevel.Find(code);
        return r ? r->Description : std::string();
    };
}

const std::array<const char*, 48>& InputSummaryLabels() {
    return kInputLabels;
}

void ComposeInputSummary(TPrintObject& p, const InputSummarySource& source) {
    p.SetDetailTopBottom(0.5, 8.0);
    for (int k = 0; k < int(source.fields.size()); ++k) {
        if (k % 8 == 0) {
            if (k > 0) p.NewPage();
            InputFrame(p, source);
        }
        InputField(p, source, k);
        if (k % 8 == 7 || k + 1 == int(source.fields.size()))
            Note(p, RowY(49) + 0.05, kLabelLeft, source.note);
    }
    p.IncBar(1);
}

} // namespace acremark
