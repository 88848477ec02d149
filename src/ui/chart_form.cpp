#include "ui/chart_form.h"

#include "print/print_object.h"
#include "print/print_preview.h"
#include "print/print_progress_form.h"

#include "editor/prompts.h"
#include "results/sim_chart.h"
#include "ui/comparison_grid_view.h"
#include "ui/guarded.h"
#include "ui/risk_ranking_form.h"

#include <QAction>
#include <QBoxLayout>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QStyle>
#include <QTextOption>

#include <algorithm>

// The logo pictures live in this library's resources, which a static library must register.
static void InitChartFormResources() {
    Q_INIT_RESOURCE(chart_form);
}

namespace acremark {

namespace {

constexpr int kButtonLeft = 6, kButtonWidth = 86, kButtonHeight = 38;
constexpr int kRiskRankingTop = 299, kRiskRankingHeight = 30;
constexpr int kLogoWidth = 95, kLogoHeight = 32, kBannerHeight = 24;
constexpr int kDescriptionRowHeight = 46; // the design height: three lines
constexpr int kDescriptionLines = 5;
constexpr int kDescriptionMargin = 2;
const QColor kSilver(0xC0, 0xC0, 0xC0);
const char* const kCsvFilter = "CSV file|*.csv";

} // namespace

// ---- chart pictures ----

TChartPicture::TChartPicture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TChartPicture::Redraw() {
    if (width() <= 0 || height() <= 0) {
        image_ = QImage();
    } else {
        // The chart measures in inches: the picture has the screen's resolution, in device
        // pixels on a high-density screen. Its pixel ratio is set after drawing, since the
        // chart draws in the picture's own pixels.
        const qreal ratio = devicePixelRatioF();
        image_ = QImage(size() * ratio, QImage::Format_RGB32);
        image_.setDotsPerMeterX(qRound(logicalDpiX() * ratio / 0.0254));
        image_.setDotsPerMeterY(qRound(logicalDpiY() * ratio / 0.0254));
        image_.fill(Qt::white);
        if (Draw) Draw(image_);
        image_.setDevicePixelRatio(ratio);
    }
    update();
}

void TChartPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (!image_.isNull()) p.drawImage(0, 0, image_);
}

void TChartPicture::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) Redraw();
}

TChartSplitter::TChartSplitter(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
    setHandleWidth(TChartForm::kSplitterWidth);
    setChildrenCollapsible(false);
    setOpaqueResize(true);
}

void TChartSplitter::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    if (Resized) Resized();
}

// ---- the window ----

QString TChartForm::Caption() {
    return QStringLiteral("Acremark$ (Version 5.50 - March 26, 2023)  -  Scenario Analysis");
}

TChartForm::TChartForm(RunWorkspace& runs, TSimChart& chart, QWidget* parent)
    : QWidget(parent, Qt::Window), runs_(runs), grid_(runs.Grid()), chart_(chart) {
    InitChartFormResources();
    setWindowTitle(Caption());

    // Figures follow the user's locale; the C locale keeps "." and ",".
    const QLocale locale;
    if (locale.language() != QLocale::C) {
        grid_.separators.decimal = locale.decimalPoint().toStdString();
        grid_.separators.thousands = locale.groupSeparator().toStdString();
    }
    chart_.Separators = grid_.separators;
    const QString decimal = QString::fromStdString(grid_.separators.decimal);
    const QChar decimalChar = decimal.size() == 1 ? decimal.front() : QLatin1Char('.');

    // Button panel.
    PanelButtons = new QWidget(this);
    PanelButtons->setFixedWidth(kButtonPanelWidth);
    PanelButtons->installEventFilter(this);
    ImageLogo = new QLabel(PanelButtons);
    ImageLogo->setPixmap(QPixmap(QStringLiteral(":/chart_form/images/chart_form_logo.png")));
    ImageLogo->setGeometry(1, 0, kLogoWidth, kLogoHeight);
    auto button = [this](const QString& caption, const QString& hint, int top,
                         QStyle::StandardPixmap glyph) {
        auto* b = new QPushButton(style()->standardIcon(glyph), caption, PanelButtons);
        b->setToolTip(hint);
        b->setGeometry(kButtonLeft, top, kButtonWidth, kButtonHeight);
        b->installEventFilter(this);
        return b;
    };
    BitBtnMain = button(QStringLiteral("Main\nInput Form"), QStringLiteral("Return to Mainform"),
                        64, QStyle::SP_ArrowBack);
    BitBtnClear = button(QStringLiteral("Clear\nScenarios"), QStringLiteral("Clear all scenarios"),
                         128, QStyle::SP_DialogResetButton);
    BitBtnPrint = button(QStringLiteral("Print\nPreview"), QStringLiteral("Print current screen"),
                         192, QStyle::SP_FileDialogContentsView);
    BitBtnReport = button(QStringLiteral("Summary\nReport"),
                          QStringLiteral("Print Scenarios Comparison Report"), 256,
                          QStyle::SP_FileDialogDetailedView);
    BitBtnHelp = button(QStringLiteral("Help"), QStringLiteral("Help for the Acremark$"), 335,
                        QStyle::SP_DialogHelpButton);
    BitBtnClose = button(QStringLiteral("&Close"), QStringLiteral("Close the current form"), 392,
                         QStyle::SP_DialogCloseButton);
    connect(BitBtnMain, &QPushButton::clicked, this, &TChartForm::BitBtnMainClick);
    connect(BitBtnClear, &QPushButton::clicked, this, &TChartForm::BitBtnClearClick);
    connect(BitBtnPrint, &QPushButton::clicked, this, &TChartForm::BitBtnPrintClick);
    connect(BitBtnReport, &QPushButton::clicked, this, &TChartForm::BitBtnReportClick);
    connect(BitBtnHelp, &QPushButton::clicked, this, &TChartForm::BitBtnHelpClick);
    connect(BitBtnClose, &QPushButton::clicked, this, &TChartForm::BitBtnCloseClick);
    // One line in the gap between the report buttons and Help.
    BitBtnRiskRanking = new QPushButton(QStringLiteral("Risk Ranking"), PanelButtons);
    BitBtnRiskRanking->setToolTip(
        QStringLiteral("Rank the scenarios by how much risk the farmer will bear"));
    BitBtnRiskRanking->setGeometry(kButtonLeft, kRiskRankingTop, kButtonWidth, kRiskRankingHeight);
    BitBtnRiskRanking->installEventFilter(this);
    connect(BitBtnRiskRanking, &QPushButton::clicked, this, &TChartForm::BitBtnRiskRankingClick);
    ImageBanner = new QLabel(PanelButtons);
    ImageBanner->setPixmap(QPixmap(QStringLiteral(":/chart_form/images/chart_form_banner.png")));

    // Output panel: the grid over the charts.
    PanelOutput = new QWidget(this);
    PanelOutput->installEventFilter(this);
    sgScenario = new TScenarioGridView(PanelOutput);
    sgScenario->DecimalSeparator = decimalChar;
    sgScenario->setFont(QFont(QStringLiteral("Arial"), 8));
    model_ = new TComparisonGridModel(grid_, &runs_.Results(), this);
    delegate_ = new TComparisonGridDelegate(grid_, this);
    delegate_->DecimalSeparator = decimalChar;
    sgScenario->setModel(model_);
    sgScenario->setItemDelegate(delegate_);
    // A description of the most a report prints is read whole: the row grows from its design
    // height to five lines of the grid's font, and the grid with it.
    descriptionRowHeight_ = std::max(
        kDescriptionRowHeight, kDescriptionLines * QFontMetrics(sgScenario->font()).lineSpacing() +
                                   2 * kDescriptionMargin + 2);
    sgScenario->setFixedHeight(GridHeight());
    sgScenario->SetCellWidth(0, TScenarioGridView::kLabelColWidth);
    sgScenario->SetCellHeight(Row(GridRow::Hairline), 1);
    sgScenario->SetCellHeight(Row(GridRow::Description), descriptionRowHeight_);
    sgScenario->setCurrentIndex(model_->index(kFixedRows, 0));
    delegate_->TargetKeyUp = [this](int row, const QString& text) {
        Handle([&] { sgScenarioKeyUp(row, text); });
    };
    model_->TargetCommitted = [this](int row, const QString& text) {
        Handle([&] {
            // Each key has already reached the model; only a text that differs is taken again.
            if (text.toStdString() != grid_.Label(row)) sgScenarioKeyUp(row, text);
            model_->Refresh();
        });
    };

    GridMenu = new QMenu(this);
    ActionCopy = GridMenu->addAction(QStringLiteral("Copy"), this,
                                     [this] { Handle([this] { CopyGrid(); }); });
    ActionExportCsv = GridMenu->addAction(QStringLiteral("Export CSV…"), this,
                                          [this] { Handle([this] { ExportCsv(); }); });
    GridMenu->addSeparator();
    ActionRiskRanking = GridMenu->addAction(QStringLiteral("Risk Ranking…"), this,
                                            [this] { Handle([this] { ShowRiskRanking(); }); });
    connect(sgScenario, &QWidget::customContextMenuRequested, this, &TChartForm::GridContextMenu);

    for (int s = 1; s <= 8; ++s) {
        auto* memo = new QPlainTextEdit(PanelOutput);
        memo->setReadOnly(true);
        memo->setFocusPolicy(Qt::ClickFocus); // not reached by Tab
        memo->setFrameStyle(QFrame::NoFrame);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        memo->setFont(sgScenario->font());
        memo->document()->setDocumentMargin(kDescriptionMargin);
        // A word longer than the column still shows whole, broken where it must.
        memo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        QPalette pal = memo->palette();
        pal.setColor(QPalette::Base, kSilver);
        pal.setColor(QPalette::Text, Qt::black);
        memo->setPalette(pal);
        memo->setBackgroundVisible(false);
        memo->raise();
        DescriptionMemo[size_t(s)] = memo;
    }

    RiskRanking = new TRiskRankingForm(runs_, this);

    PanelChart = new TChartSplitter(PanelOutput);
    ImageChartLeft = new TChartPicture(PanelChart);
    ImageChartRight = new TChartPicture(PanelChart);
    ImageChartLeft->Draw = [this](QImage& image) { chart_.PrintImageChart(image, 3); };
    ImageChartRight->Draw = [this](QImage& image) { chart_.PrintImageChart(image, 2); };
    PanelChart->addWidget(ImageChartLeft);
    PanelChart->addWidget(ImageChartRight);
    PanelChart->Resized = [this] { ChartLayout(); };
    connect(PanelChart, &QSplitter::splitterMoved, this, &TChartForm::SplitterMoved);

    auto* output = new QVBoxLayout(PanelOutput);
    output->setContentsMargins(0, 0, 0, 0);
    output->setSpacing(0);
    output->addWidget(sgScenario);
    output->addWidget(PanelChart, 1);
    auto* whole = new QHBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->setSpacing(0);
    whole->addWidget(PanelButtons);
    whole->addWidget(PanelOutput, 1);
    for (auto* memo : DescriptionMemo)
        if (memo) memo->raise();

    // Small enough for the buttons and a readable grid; the design size is 892 x 636.
    setMinimumSize(640, 460);
    resize(892, 636);
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->geometry();
        if (area.width() <= 800)
            move(area.topLeft());
        else
            move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

TChartForm::~TChartForm() {
    // An open target editor would hand its text over as it loses the focus while the widgets
    // are torn down, into a window already half destroyed. Every key it took has reached the
    // grid model already, so the editor is dropped, and nothing calls back from here on.
    model_->TargetCommitted = nullptr;
    delegate_->TargetKeyUp = nullptr;
    if (QWidget* editor = sgScenario->indexWidget(sgScenario->currentIndex())) {
        delegate_->disconnect(sgScenario);
        editor->removeEventFilter(delegate_);
        editor->hide();
    }
}

int TChartForm::GridHeight() const {
    return kGridHeight + descriptionRowHeight_ - kDescriptionRowHeight;
}

void TChartForm::ShowForm() {
    show();
    raise();
    activateWindow();
}

void TChartForm::ShowResults() {
    GridChanged();
    ChartLayout();
    ChartRedraw();
    ShowForm();
}

void TChartForm::GridChanged() {
    model_->Refresh();
    sgScenario->viewport()->update();
    if (RiskRanking->isVisible()) RiskRanking->Refresh();
}

void TChartForm::ShowRiskRanking() {
    RiskRanking->prompts = prompts;
    if (RiskRanking->isVisible()) RiskRanking->Refresh(); // showing refreshes it otherwise
    RiskRanking->ShowForm();
}

void TChartForm::SetDescription(int s, const QString& text) {
    if (s < 1 || s > 8) return;
    DescriptionMemo[size_t(s)]->setPlainText(text);
    DescriptionMemo[size_t(s)]->setToolTip(text);
}

ScenarioDescriptions TChartForm::Descriptions() const {
    ScenarioDescriptions d;
    for (int s = 1; s <= kScenarioCount; ++s)
        d[size_t(s)] = DescriptionMemo[size_t(s)]->toPlainText().toStdString();
    return d;
}

TextTable TChartForm::Table() const {
    return ComparisonTable(grid_, runs_.Results(), Descriptions());
}

void TChartForm::ChartLayout() {
    const int total = PanelChart->width();
    if (total <= 0) return;
    const int left = qRound(total * ChartSizeRatio);
    PanelChart->setSizes({left, std::max(0, total - kSplitterWidth - left)});
}

void TChartForm::ChartRedraw() {
    if (!isVisible()) return; // showing draws them
    ImageChartLeft->Redraw();
    ImageChartRight->Redraw();
}

void TChartForm::ClearAllScenarios() {
    grid_.ClearAll();
    for (int s = 1; s <= 8; ++s)
        SetDescription(s, QString());
    GridChanged();
    ChartLayout();
    ChartRedraw();
}

void TChartForm::sgScenarioKeyUp(int row, const QString& text) {
    // The locale's decimal separator alone is a number being started, as "." alone is.
    const QChar decimal = delegate_->DecimalSeparator;
    if (decimal != QLatin1Char('.') && text == QString(decimal)) return;
    auto message = grid_.SetTargetText(row, text.toStdString());
    model_->RefreshScenarios();
    sgScenario->viewport()->update();
    if (RiskRanking->isVisible()) RiskRanking->Refresh(); // the stoplight follows the targets
    if (message) Message(QStringLiteral("Error"), QString::fromStdString(*message));
}

void TChartForm::CopyGrid() {
    QGuiApplication::clipboard()->setText(QString::fromStdString(DelimitedText(Table(), '\t')));
}

void TChartForm::ExportCsv() {
    std::optional<std::string> name;
    if (prompts) {
        name = prompts->SaveFileName(kCsvFilter, lastCsvName_.toStdString());
    } else {
        const QString chosen = QFileDialog::getSaveFileName(
            this, QStringLiteral("Export CSV"), lastCsvName_, QStringLiteral("CSV file (*.csv)"));
        if (!chosen.isEmpty()) name = chosen.toStdString();
    }
    if (!name || name->empty()) return;
    QString file = QString::fromStdString(*name);
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".csv");
    lastCsvName_ = file;
    WriteCsv(file);
}

bool TChartForm::WriteCsv(const QString& fileName) {
    QSaveFile out(fileName);
    if (out.open(QIODevice::WriteOnly)) {
        const std::string csv = DelimitedText(Table(), ',');
        out.write(csv.data(), qint64(csv.size()));
        if (out.commit()) return true;
    }
    Message(QStringLiteral("Error"),
            QStringLiteral("Could not write %1: %2").arg(fileName, out.errorString()));
    return false;
}

void TChartForm::GridContextMenu(const QPoint& pos) {
    GridMenu->popup(sgScenario->viewport()->mapToGlobal(pos));
}

void TChartForm::Handle(const std::function<void()>& body) {
    Guarded(prompts, this, body);
}

void TChartForm::Message(const QString& caption, const QString& text) {
    if (prompts)
        prompts->ShowMessage(caption.toStdString(), text.toStdString());
    else
        QMessageBox::warning(this, caption, text);
}

void TChartForm::OutputPanelResize() {
    const int w = std::max(0, (PanelOutput->width() - TScenarioGridView::kLabelColWidth - 16) / 8);
    for (int s = 1; s <= 8; ++s)
        sgScenario->SetCellWidth(s, w);
    const int top = sgScenario->CellHeight(Row(GridRow::Heading)) +
                    sgScenario->CellHeight(Row(GridRow::Hairline)) + 4;
    int left = sgScenario->CellWidth(0) + 2;
    for (int s = 1; s <= 8; ++s) {
        const int width = sgScenario->CellWidth(s) + 1;
        DescriptionMemo[size_t(s)]->setGeometry(left, top, width,
                                                sgScenario->CellHeight(Row(GridRow::Description)));
        left += width;
    }
}

void TChartForm::SplitterMoved() {
    const int total = PanelChart->width();
    if (total > 0) ChartSizeRatio = double(PanelChart->sizes().value(0)) / total;
}

bool TChartForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == PanelOutput)
            OutputPanelResize();
        else if (watched == PanelButtons)
            ImageBanner->setGeometry(1, PanelButtons->height() - kBannerHeight - 2, kLogoWidth,
                                     kBannerHeight);
    } else if (event->type() == QEvent::Enter) {
        // Moving the mouse over a button gives it the keyboard focus.
        if (auto* b = qobject_cast<QPushButton*>(watched)) b->setFocus(Qt::MouseFocusReason);
    }
    return QWidget::eventFilter(watched, event);
}

void TChartForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ChartLayout();
    ChartRedraw();
}

} // namespace acremark

namespace acremark {

// The descriptions as the boxes show them, scenario 1 first.
std::array<std::string, 8> TChartForm::ReportDescriptions() const {
    const ScenarioDescriptions d = Descriptions();
    std::array<std::string, 8> out;
    for (int s = 1; s <= kScenarioCount; ++s)
        out[size_t(s - 1)] = d[size_t(s)];
    return out;
}

ComparisonPrintSource TChartForm::ComparisonSource() const {
    ComparisonPrintSource src =
        ComparisonPrintOf(runs_, chart_, ReportDescriptions(), ChartSizeRatio);
    if (ReportNote) src.note = ReportNote();
    return src;
}

EnterpriseSummarySource TChartForm::SummarySource() const {
    EnterpriseSummarySource src = EnterpriseSummaryOf(runs_, ReportDescriptions());
    if (ReportNote) src.note = ReportNote();
    return src;
}

void TChartForm::ShowReport(const std::function<void(TPrintObject&)>& compose,
                            const QString& title) {
    if (!previewDisplay_) previewDisplay_ = std::make_unique<TPreviewDisplay>(this);
    if (!printPrompts_)
        printPrompts_ = std::make_unique<TWidgetPrintPrompts>(
            this, [this](const QString& text) { Message(QStringLiteral("Warning"), text); },
            [this](const QString& text) {
                if (prompts) return prompts->AskYesNo("Confirm", text.toStdString());
                return QMessageBox::question(this, QStringLiteral("Confirm"), text) ==
                       QMessageBox::Yes;
            });
    auto report = StartReport(title, ReportPrompts ? ReportPrompts : printPrompts_.get(),
                              ReportDisplay ? ReportDisplay : previewDisplay_.get());
    compose(*report);
    report->Quit();
}

void TChartForm::ShowReport(const ComparisonPrintSource& source) {
    ShowReport([&](TPrintObject& p) { ComposeComparisonPrint(p, source); },
               QStringLiteral("Scenario Analysis - Contribution and Gross Margins"));
}

void TChartForm::ShowReport(const EnterpriseSummarySource& source) {
    ShowReport([&](TPrintObject& p) { ComposeEnterpriseSummary(p, source); },
               QStringLiteral("Enterprise & Farm Level Summary of Expected Costs and Returns"));
}

} // namespace acremark
