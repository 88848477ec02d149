#include "ui/risk_ranking_form.h"

#include "editor/prompts.h"
#include "print/qt_text.h"
#include "results/scenario_colors.h"
#include "ui/guarded.h"

#include <QBoxLayout>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace acremark {

namespace {

const QColor kRed(0xD7, 0x30, 0x27), kYellow(0xF5, 0xC4, 0x00), kGreen(0x1A, 0x98, 0x50);
const QColor kYieldBar(0x2C, 0x6F, 0xB0), kPriceBar(0xE0, 0x80, 0x20);
const QColor kAxis(0x40, 0x40, 0x40), kGridLine(0xE4, 0xE4, 0xE4);
const char* const kCsvFilter = "CSV file|*.csv";

// A step of 1, 2 or 5 times a power of ten that cuts `span` into about `parts` pieces.
double NiceStep(double span, int parts) {
    if (!(span > 0)) return 1;
    const double raw = span / parts;
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (raw <= m * p) return m * p;
    return 10 * p;
}

// "⁻⁵" and the like, for the scale of the coefficient axis.
QString Superscript(int n) {
    static const QString digits = QStringLiteral("⁰¹²³⁴⁵⁶⁷⁸⁹");
    QString s = n < 0 ? QStringLiteral("⁻") : QString();
    for (QChar c : QString::number(std::abs(n)))
        s += digits[c.digitValue()];
    return s;
}

// The power of ten the coefficient axis is labelled in (coefficients are small: 4 ÷ a margin).
int AxisExponent(double rMax) {
    return rMax > 0 ? int(std::floor(std::log10(rMax))) : 0;
}

QString ScenarioName(int s) {
    return QStringLiteral("Scenario %1").arg(s);
}

} // namespace

// ---- certainty equivalent chart ----

TCertaintyChart::TCertaintyChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(320, 220);
    setCursor(Qt::CrossCursor);
    setToolTip(QStringLiteral("Click to rank the scenarios at that risk aversion"));
}

void TCertaintyChart::SetData(std::vector<double> coefficients, std::vector<Line> lines,
                              const NumberSeparators& sep) {
    rac_ = std::move(coefficients);
    lines_ = std::move(lines);
    sep_ = sep;
    picked_ = std::clamp(picked_, 0, std::max(0, int(rac_.size()) - 1));
    update();
}

void TCertaintyChart::SetPicked(int index) {
    picked_ = std::clamp(index, 0, std::max(0, int(rac_.size()) - 1));
    update();
}

QRect TCertaintyChart::PlotRect() const {
    return QRect(QPoint(78, 26), QPoint(width() - 16, height() - 46));
}

double TCertaintyChart::XOf(int k) const {
    const QRect p = PlotRect();
    const int n = int(rac_.size());
    if (n < 2) return p.left();
    return p.left() + double(p.width()) * k / (n - 1);
}

void TCertaintyChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || rac_.empty()) return;
    const double x = event->position().x();
    int best = 0;
    for (int k = 1; k < int(rac_.size()); ++k)
        if (std::abs(XOf(k) - x) < std::abs(XOf(best) - x)) best = k;
    SetPicked(best);
    if (OnPick) OnPick(best);
}

void TCertaintyChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    const QRect plot = PlotRect();
    const QFontMetrics fm(font());
    p.setPen(kAxis);
    if (lines_.empty() || rac_.empty()) {
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("No scenario has results yet"));
        return;
    }

    double lo = lines_.front().ce.front(), hi = lo;
    for (const Line& l : lines_)
        for (double v : l.ce)
            lo = std::min(lo, v), hi = std::max(hi, v);
    if (hi - lo < 1) lo -= 1, hi += 1;
    const double step = NiceStep(hi - lo, 5);
    lo = std::floor(lo / step) * step;
    hi = std::ceil(hi / step) * step;
    auto yOf = [&](double v) { return plot.bottom() - (v - lo) / (hi - lo) * plot.height(); };
    const double rMax = rac_.back();

    // Grid lines and the money axis.
    for (double v = lo; v <= hi + step / 2; v += step) {
        const double y = yOf(v);
        p.setPen(kGridLine);
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(kAxis);
        const QString t = Q(FormatFloat("$#,##0", v, sep_));
        p.drawText(QRectF(0, y - fm.height() / 2.0, plot.left() - 6, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, t);
    }
    // The coefficient axis, labelled in a power of ten.
    const int e = AxisExponent(rMax);
    const double scale = std::pow(10.0, e);
    const double xStep = rMax > 0 ? NiceStep(rMax / scale, 5) * scale : 1;
    for (double r = 0; rMax > 0 && r <= rMax * (1 + 1e-9); r += xStep) {
        const double x = plot.left() + r / rMax * plot.width();
        p.setPen(kGridLine);
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        p.setPen(kAxis);
        p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
        const QString t = Q(FormatFloat("0.##", r / scale, sep_));
        p.drawText(QRectF(x - 40, plot.bottom() + 5, 80, fm.height()), Qt::AlignHCenter, t);
    }
    p.setPen(kAxis);
    p.drawRect(plot);
    const QString xTitle =
        e == 0 ? QStringLiteral("Risk aversion coefficient r (per $)")
               : QStringLiteral("Risk aversion coefficient r (× 10%1 per $)").arg(Superscript(e));
    p.drawText(QRectF(plot.left(), plot.bottom() + 6 + fm.height(), plot.width(), fm.height()),
               Qt::AlignHCenter, xTitle);
    p.save();
    p.translate(12, plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-plot.height() / 2.0, -fm.ascent(), plot.height(), fm.height() + 2),
               Qt::AlignHCenter, QStringLiteral("Certainty equivalent"));
    p.restore();

    // The picked coefficient.
    const double mx = XOf(picked_);
    p.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
    p.drawLine(QPointF(mx, plot.top()), QPointF(mx, plot.bottom()));

    // One line per scenario, in its colour.
    for (const Line& l : lines_) {
        const QColor c = ScenarioColor(l.scenario);
        p.setPen(QPen(c, 2));
        QPolygonF poly;
        for (int k = 0; k < int(l.ce.size()); ++k)
            poly << QPointF(XOf(k), yOf(l.ce[size_t(k)]));
        p.drawPolyline(poly);
        p.setBrush(c);
        p.setPen(Qt::NoPen);
        if (picked_ < int(l.ce.size()))
            p.drawEllipse(QPointF(mx, yOf(l.ce[size_t(picked_)])), 3, 3);
        p.setBrush(Qt::NoBrush);
    }

    // Legend above the plot.
    double x = plot.left();
    for (const Line& l : lines_) {
        const QString t = ScenarioName(l.scenario);
        p.setPen(QPen(ScenarioColor(l.scenario), 2));
        p.drawLine(QPointF(x, 13), QPointF(x + 16, 13));
        p.setPen(kAxis);
        p.drawText(QPointF(x + 20, 13 + fm.ascent() / 2.0 - 1), t);
        x += 28 + fm.horizontalAdvance(t);
    }
}

// ---- stoplight ----

TStoplightChart::TStoplightChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(280, 120);
}

void TStoplightChart::SetBars(std::vector<Bar> bars, const NumberSeparators& sep) {
    bars_ = std::move(bars);
    sep_ = sep;
    update();
}

QString TStoplightChart::PercentText(double percent) const {
    return Q(FormatFloat("0.00", percent, sep_)) + QLatin1Char('%');
}

void TStoplightChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QFontMetrics fm(font());
    p.setPen(kAxis);
    if (bars_.empty()) {
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("No scenario has results yet"));
        return;
    }
    const int labelWidth = fm.horizontalAdvance(ScenarioName(8)) + 12;
    // Every percentage is also written right of its bar, where a narrow part has no room.
    const int numberWidth = fm.horizontalAdvance(PercentText(100)) + 8;
    const int left = labelWidth, right = width() - 8 - 3 * numberWidth;
    const int rowHeight =
        std::clamp((height() - 8) / int(bars_.size()), fm.height() + 4, fm.height() * 2 + 8);
    const QColor darkYellow(0x9A, 0x7B, 0x00);
    int y = 4;
    for (const Bar& b : bars_) {
        const QRect row(left, y + 2, std::max(10, right - left), rowHeight - 4);
        p.setPen(ScenarioColor(b.scenario));
        p.drawText(QRect(0, y, labelWidth - 6, rowHeight), Qt::AlignRight | Qt::AlignVCenter,
                   ScenarioName(b.scenario));
        double x = row.left();
        const double parts[3] = {b.red, b.yellow, b.green};
        const QColor colors[3] = {kRed, kYellow, kGreen};
        const QColor inks[3] = {kRed, darkYellow, kGreen};
        for (int i = 0; i < 3; ++i) {
            const double w = row.width() * parts[i] / 100;
            const QRectF seg(x, row.top(), w, row.height());
            p.fillRect(seg, colors[i]);
            const QString t = PercentText(parts[i]);
            if (parts[i] > 0 && fm.horizontalAdvance(t) + 4 <= w) {
                p.setPen(i == 1 ? Qt::black : Qt::white);
                p.drawText(seg, Qt::AlignCenter, t);
            }
            p.setPen(inks[i]);
            p.drawText(QRect(row.right() + 1 + i * numberWidth, y, numberWidth, rowHeight),
                       Qt::AlignRight | Qt::AlignVCenter, t);
            x += w;
        }
        p.setPen(kAxis);
        p.drawRect(row.adjusted(0, 0, -1, -1));
        y += rowHeight;
    }
}

// ---- tornado ----

TTornadoChart::TTornadoChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(280, 120);
}

void TTornadoChart::SetData(int scenario, std::vector<FieldSensitivity> fields,
                            const NumberSeparators& sep) {
    scenario_ = scenario;
    sep_ = sep;
    rows_ = std::move(fields);
    // Largest magnitude on top; equal ones keep the column order.
    std::stable_sort(rows_.begin(), rows_.end(), [](const auto& a, const auto& b) {
        return std::max(std::abs(a.yieldR), std::abs(a.priceR)) >
               std::max(std::abs(b.yieldR), std::abs(b.priceR));
    });
    update();
}

void TTornadoChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QFontMetrics fm(font());
    p.setPen(kAxis);
    if (rows_.empty()) {
        p.drawText(rect().adjusted(8, 0, -8, 0), Qt::AlignCenter | Qt::TextWordWrap,
                   QStringLiteral("Run a scenario to see which field drives its risk"));
        return;
    }
    const int labelWidth = fm.horizontalAdvance(QStringLiteral("Field 32")) + 12;
    const QRect plot(QPoint(labelWidth, fm.height() + 8),
                     QPoint(width() - 12, height() - fm.height() - 8));
    // Legend and title.
    p.drawText(QPoint(4, fm.ascent() + 2), QStringLiteral("%1:").arg(ScenarioName(scenario_)));
    int x = 4 + fm.horizontalAdvance(ScenarioName(scenario_) + QStringLiteral(": ")) + 6;
    for (auto [color, name] : {std::pair{kYieldBar, QStringLiteral("yield")},
                               std::pair{kPriceBar, QStringLiteral("price")}}) {
        p.fillRect(QRect(x, 3, 12, fm.ascent() - 1), color);
        p.drawText(QPoint(x + 16, fm.ascent() + 2), name);
        x += 16 + fm.horizontalAdvance(name) + 12;
    }
    const double cx = plot.center().x(), half = plot.width() / 2.0;
    // Scale from -1 to 1: the correlation with the gross margin.
    for (double v : {-1.0, -0.5, 0.0, 0.5, 1.0}) {
        const double gx = cx + v * half;
        p.setPen(v == 0 ? kAxis : kGridLine);
        p.drawLine(QPointF(gx, plot.top()), QPointF(gx, plot.bottom()));
        p.setPen(kAxis);
        p.drawText(QRectF(gx - 20, plot.bottom() + 2, 40, fm.height()), Qt::AlignHCenter,
                   Q(FormatFloat("0.0", v, sep_)));
    }
    const double rowHeight =
        std::min<double>(double(plot.height()) / double(rows_.size()), fm.height() * 2.5);
    double y = plot.top();
    for (const FieldSensitivity& f : rows_) {
        p.setPen(kAxis);
        p.drawText(QRectF(0, y, labelWidth - 6, rowHeight), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Field %1").arg(f.fieldId));
        const double barH = std::max(2.0, (rowHeight - 6) / 2);
        const double values[2] = {f.yieldR, f.priceR};
        const QColor colors[2] = {kYieldBar, kPriceBar};
        for (int i = 0; i < 2; ++i) {
            const double w = values[i] * half;
            p.fillRect(QRectF(std::min(cx, cx + w), y + 3 + i * barH, std::abs(w), barH),
                       colors[i]);
        }
        y += rowHeight;
    }
}

// ---- the window ----

TRiskRankingForm::TRiskRankingForm(RunWorkspace& runs, QWidget* parent)
    : QWidget(parent, Qt::Window), runs_(runs) {
    setWindowTitle(Caption());

    SpinAversionMax = new QDoubleSpinBox(this);
    SpinAversionMax->setRange(0, 1e6);
    SpinAversionMax->setDecimals(10);
    SpinAversionMax->setToolTip(
        QStringLiteral("The highest absolute risk aversion coefficient the chart reaches"));
    auto* spinLabel = new QLabel(QStringLiteral("&Highest risk aversion coefficient:"), this);
    spinLabel->setBuddy(SpinAversionMax);
    auto* defaultButton = new QPushButton(QStringLiteral("Default"), this);
    defaultButton->setToolTip(QStringLiteral("4 ÷ the largest mean gross margin"));

    ChartCertainty = new TCertaintyChart(this);
    LabelRanking = new QLabel(this);
    GridRanking = new QTableWidget(0, 3, this);
    GridRanking->setHorizontalHeaderLabels({QStringLiteral("Rank"), QStringLiteral("Scenario"),
                                            QStringLiteral("Certainty equivalent")});
    GridRanking->verticalHeader()->hide();
    GridRanking->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridRanking->setSelectionMode(QAbstractItemView::NoSelection);
    GridRanking->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    GridRanking->horizontalHeader()->setStretchLastSection(true);
    GridRanking->setFixedWidth(290);

    ChartStoplight = new TStoplightChart(this);
    ChartTornado = new TTornadoChart(this);
    BitBtnExport = new QPushButton(QStringLiteral("Export iterations…"), this);
    BitBtnExport->setToolTip(
        QStringLiteral("The five farm outputs of every iteration of the last run, as CSV"));
    BitBtnClose = new QPushButton(QStringLiteral("&Close"), this);

    auto* top = new QHBoxLayout;
    top->addWidget(spinLabel);
    top->addWidget(SpinAversionMax);
    top->addWidget(defaultButton);
    top->addStretch(1);
    auto* rankColumn = new QVBoxLayout;
    rankColumn->addWidget(LabelRanking);
    rankColumn->addWidget(GridRanking, 1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(ChartCertainty, 1);
    middle->addLayout(rankColumn);
    auto group = [this](const QString& title, QWidget* inner) {
        auto* box = new QGroupBox(title, this);
        auto* l = new QVBoxLayout(box);
        l->setContentsMargins(4, 4, 4, 4);
        l->addWidget(inner);
        return box;
    };
    stoplightBox_ = group(QString(), ChartStoplight);
    tornadoBox_ =
        group(QStringLiteral("Field sensitivity: correlation with the gross margin"), ChartTornado);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(stoplightBox_, 1);
    bottom->addWidget(tornadoBox_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtnExport);
    buttons->addWidget(BitBtnClose);
    auto* whole = new QVBoxLayout(this);
    whole->addLayout(top);
    whole->addLayout(middle, 3);
    whole->addLayout(bottom, 2);
    whole->addLayout(buttons);

    ChartCertainty->OnPick = [this](int k) { Guarded(prompts, this, [&] { PickCoefficient(k); }); };
    connect(SpinAversionMax, &QDoubleSpinBox::valueChanged, this, [this] {
        userMax_ = true;
        Guarded(prompts, this, [this] { Recompute(); });
    });
    connect(defaultButton, &QPushButton::clicked, this, [this] {
        userMax_ = false;
        Guarded(prompts, this, [this] { Refresh(); });
    });
    connect(BitBtnExport, &QPushButton::clicked, this,
            [this] { Guarded(prompts, this, [this] { ExportIterations(); }); });
    connect(BitBtnClose, &QPushButton::clicked, this, &QWidget::hide);

    resize(980, 720);
}

void TRiskRankingForm::ShowForm() {
    show();
    raise();
    activateWindow();
}

void TRiskRankingForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
}

int TRiskRankingForm::LastRunScenario() const {
    const int s = runs_.Simulation.ScenarioNo;
    if (s < 1 || s > kScenarioCount) return 0;
    const ScenarioResult& r = runs_.Result(s);
    return r.ran && r.outputs && r.outputs->Iterations() > 0 ? s : 0;
}

void TRiskRankingForm::Refresh() {
    scenarios_.clear();
    std::vector<double> means;
    for (int s = 1; s <= kScenarioCount; ++s) {
        const ScenarioResult& r = runs_.Result(s);
        if (r.HasResults() && r.outputs && r.outputs->Iterations() > 0) {
            scenarios_.push_back(s);
            means.push_back(r.gmMean);
        }
    }
    if (!userMax_) {
        const QSignalBlocker block(SpinAversionMax);
        const double rMax = defaultMax_ = DefaultAversionMax(means);
        // Four significant digits of the coefficient are shown and stepped.
        const int e = AxisExponent(rMax);
        SpinAversionMax->setDecimals(std::clamp(3 - e, 2, 12));
        SpinAversionMax->setSingleStep(rMax > 0 ? std::pow(10.0, e) : 0.01);
        SpinAversionMax->setValue(rMax);
    }
    Recompute();

    // The stoplight, with the grid's targets as they stand.
    const TComparisonGrid& grid = runs_.Grid();
    std::vector<TStoplightChart::Bar> bars;
    const auto targets = grid.ReadTargets();
    if (targets) {
        for (int s = 1; s <= kScenarioCount; ++s) {
            const ScenarioResult& r = runs_.Result(s);
            if (!r.HasResults()) continue;
            const Stoplight sl = StoplightOf(r.gmCurve.data(), targets->t10, targets->t11);
            // Rounded at each boundary as the grid rounds its chances.
            const double below = RoundedAsShown(sl.red * 100, 2);
            const double within = RoundedAsShown((sl.red + sl.yellow) * 100, 2);
            bars.push_back({s, below, within - below, 100 - within});
        }
        const double lo = std::min(targets->t10, targets->t11),
                     hi = std::max(targets->t10, targets->t11);
        stoplightBox_->setTitle(QStringLiteral("Gross margin below %1, between, at or above %2")
                                    .arg(Q(FormatFloat("$#,##0", lo, grid.separators)),
                                         Q(FormatFloat("$#,##0", hi, grid.separators))));
    } else {
        stoplightBox_->setTitle(QStringLiteral("The targets of the grid are not numbers"));
    }
    ChartStoplight->SetBars(std::move(bars), grid.separators);

    const int last = LastRunScenario();
    ChartTornado->SetData(last,
                          last ? FieldSensitivities(runs_, last) : std::vector<FieldSensitivity>{},
                          grid.separators);
    BitBtnExport->setEnabled(last != 0);
}

void TRiskRankingForm::Recompute() {
    const std::vector<double> rac = AversionCoefficients(AversionMax(), kPoints);
    ce_.clear();
    std::vector<TCertaintyChart::Line> lines;
    for (int s : scenarios_) {
        const IterationOutputs& out = *runs_.Result(s).outputs;
        const double* gm = out.Row(IterationOutputs::kRows);
        std::vector<double> ce = CertaintyEquivalents(gm, size_t(out.Iterations()), rac);
        ce_.push_back(ce);
        lines.push_back({s, std::move(ce)});
    }
    ChartCertainty->SetData(rac, std::move(lines), runs_.Grid().separators);
    FillRanking();
}

void TRiskRankingForm::PickCoefficient(int k) {
    ChartCertainty->SetPicked(k);
    FillRanking();
}

double TRiskRankingForm::AversionMax() const {
    // The spin box shows the default rounded; the chart keeps it exact.
    return userMax_ ? SpinAversionMax->value() : defaultMax_;
}

double TRiskRankingForm::PickedCoefficient() const {
    const auto& rac = ChartCertainty->Coefficients();
    const int k = ChartCertainty->Picked();
    return k >= 0 && k < int(rac.size()) ? rac[size_t(k)] : 0.0;
}

void TRiskRankingForm::FillRanking() {
    const int k = ChartCertainty->Picked();
    std::vector<double> at;
    for (const auto& ce : ce_)
        at.push_back(k < int(ce.size()) ? ce[size_t(k)] : 0.0);
    const std::vector<int> order = RankAt(scenarios_, at);
    ranking_.clear();
    const NumberSeparators& sep = runs_.Grid().separators;
    GridRanking->setRowCount(int(order.size()));
    for (int i = 0; i < int(order.size()); ++i) {
        const int s = order[size_t(i)];
        const size_t idx =
            size_t(std::find(scenarios_.begin(), scenarios_.end(), s) - scenarios_.begin());
        ranking_.push_back(s);
        auto* rank = new QTableWidgetItem(QString::number(i + 1));
        auto* name = new QTableWidgetItem(ScenarioName(s));
        name->setForeground(ScenarioColor(s));
        auto* value = new QTableWidgetItem(Q(FormatFloat("$#,##0", at[idx], sep)));
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        GridRanking->setItem(i, 0, rank);
        GridRanking->setItem(i, 1, name);
        GridRanking->setItem(i, 2, value);
    }
    LabelRanking->setText(scenarios_.empty()
                              ? QStringLiteral("No scenario has results yet.")
                              : QStringLiteral("Best first at r = %1")
                                    .arg(Q(FormatFloat("0.##########", PickedCoefficient(), sep))));
}

void TRiskRankingForm::ExportIterations() {
    if (!LastRunScenario()) {
        Message(QStringLiteral("Information"), QStringLiteral("Run a scenario first."));
        return;
    }
    std::optional<std::string> name;
    if (prompts) {
        name = prompts->SaveFileName(kCsvFilter, lastCsvName_.toStdString());
    } else {
        const QString chosen =
            QFileDialog::getSaveFileName(this, QStringLiteral("Export iterations"), lastCsvName_,
                                         QStringLiteral("CSV file (*.csv)"));
        if (!chosen.isEmpty()) name = chosen.toStdString();
    }
    if (!name || name->empty()) return;
    QString file = QString::fromStdString(*name);
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".csv");
    lastCsvName_ = file;
    WriteIterations(file);
}

bool TRiskRankingForm::WriteIterations(const QString& fileName) {
    const int s = LastRunScenario();
    if (!s) {
        Message(QStringLiteral("Information"), QStringLiteral("Run a scenario first."));
        return false;
    }
    const ScenarioResult& r = runs_.Result(s);
    std::ostringstream csv;
    WriteIterationsCsv(csv, r, "Acremark$ 5.50");
    const std::string text = csv.str();
    QSaveFile out(fileName);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(text.data(), qint64(text.size()));
        if (out.commit()) return true;
    }
    Message(QStringLiteral("Error"),
            QStringLiteral("Could not write %1: %2").arg(fileName, out.errorString()));
    return false;
}

void TRiskRankingForm::Message(const QString& caption, const QString& text) {
    if (prompts)
        prompts->ShowMessage(caption.toStdString(), text.toStdString());
    else
        QMessageBox::warning(this, caption, text);
}

} // namespace acremark
