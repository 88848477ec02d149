#pragma once
// A chart on a page of its own, for the command line: composed in page mode (a printer page, so
// frames of 4 and 8 dots and curves of 8) on a page exactly W x H inches that the chart fills.

#include "budget/scenario_result.h"
#include "data/number_format.h"
#include "print/print_object.h"

#include <QJsonArray>
#include <QString>

#include <memory>

namespace acremark {

// The composed page (page 1 of the returned print object, not yet finished).
std::unique_ptr<TPrintObject> ComposeChartPage(const ScenarioResults& results, int chartId,
                                               double widthInches, double heightInches,
                                               const NumberSeparators& sep = {},
                                               TPrintPrompts* prompts = nullptr);

// The page's recorded commands: [{"kind": "commText", ...}, ...], positions in inches.
QJsonArray ChartCommandsJson(const ScenarioResults& results, int chartId, double widthInches,
                             double heightInches, const NumberSeparators& sep = {});

// The page rendered to a PNG picture at dpi pixels per inch, or to a one-page PDF. False with
// the reason in *error when the file cannot be written.
bool WriteChartPng(const ScenarioResults& results, int chartId, double widthInches,
                   double heightInches, const QString& path, QString* error = nullptr,
                   int dpi = 150, const NumberSeparators& sep = {});
bool WriteChartPdf(const ScenarioResults& results, int chartId, double widthInches,
                   double heightInches, const QString& path, QString* error = nullptr,
                   const NumberSeparators& sep = {});

} // namespace acremark
