#include "results/chart_output.h"

#include "print/print_painter.h"
#include "results/sim_chart.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

namespace acremark {

std::unique_ptr<TPrintObject> ComposeChartPage(const ScenarioResults& results, int chartId,
                                               double widthInches, double heightInches,
                                               const NumberSeparators& sep,
                                               TPrintPrompts* prompts) {
    auto p = std::make_unique<TPrintObject>(prompts);
    p->UseProgress = false;
    // Paper sizes are kept upright; a wide page is an upright one turned.
    bool wide = widthInches > heightInches;
    QSizeF upright = wide ? QSizeF(heightInches, widthInches) : QSizeF(widthInches, heightInches);
    p->PaperDimension = QPageSize(upright, QPageSize::Inch, QString(), QPageSize::ExactMatch);
    p->PageOrientation = wide ? TPageOrientation::poLandscape : TPageOrientation::poPortrait;
    p->Start();
    TSimChart chart(results);
    chart.Separators = sep;
    chart.prn = p.get();
    chart.PrintChart(0, 0, float(widthInches), float(heightInches), chartId);
    return p;
}

QJsonArray ChartCommandsJson(const ScenarioResults& results, int chartId, double widthInches,
                             double heightInches, const NumberSeparators& sep) {
    return ComposeChartPage(results, chartId, widthInches, heightInches, sep)->PageCommandsJson(1);
}

namespace {

bool Fail(QString* error, const QString& text) {
    if (error) *error = text;
    return false;
}

bool ValidSize(double w, double h) {
    return std::isfinite(w) && std::isfinite(h) && w > 0 && h > 0 && w <= 200 && h <= 200;
}

} // namespace

bool WriteChartPng(const ScenarioResults& results, int chartId, double widthInches,
                   double heightInches, const QString& path, QString* error, int dpi,
                   const NumberSeparators& sep) {
    if (!ValidSize(widthInches, heightInches) || dpi <= 0 || dpi > 2400)
        return Fail(error, QStringLiteral("Invalid chart size"));
    auto page = ComposeChartPage(results, chartId, widthInches, heightInches, sep);
    int dpm = qRound(dpi / 0.0254);
    QImage image(std::max(1, qRound(widthInches * dpi)), std::max(1, qRound(heightInches * dpi)),
                 QImage::Format_RGB32);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        page->ReplayPage(1, painter);
    }
    if (!image.save(path, "PNG")) return Fail(error, QStringLiteral("Cannot write ") + path);
    return true;
}

bool WriteChartPdf(const ScenarioResults& results, int chartId, double widthInches,
                   double heightInches, const QString& path, QString* error,
                   const NumberSeparators& sep) {
    if (!ValidSize(widthInches, heightInches))
        return Fail(error, QStringLiteral("Invalid chart size"));
    auto page = ComposeChartPage(results, chartId, widthInches, heightInches, sep);
    QPdfWriter writer(path);
    writer.setResolution(int(kPageDotsPerInch));
    writer.setTitle(TSimChart::Title(chartId));
    writer.setCreator(QStringLiteral("Acremark$"));
    if (!page->PrintRange(writer, 1, 1)) return Fail(error, QStringLiteral("Cannot write ") + path);
    return true;
}

} // namespace acremark
