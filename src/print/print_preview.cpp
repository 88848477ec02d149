#include "print/print_preview.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace acremark {

std::unique_ptr<QPrinter> ChooseReportPrinter(TPrintObject& report, QWidget* parent, int& first,
                                              int& last) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(report.DocumentTitle);
    printer->setFullPage(true); // positions are measured from the paper's corner
    first = report.FirstPage();
    last = report.LastPage();
    bool haveSystemPrinter = !QPrinterInfo::defaultPrinter().isNull();
    if (!report.ShowDialog && haveSystemPrinter) return printer;
    QPrintDialog dialog(printer.get(), parent);
    dialog.setMinMax(report.FirstPage(), report.LastPage());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
        first = std::max(report.FirstPage(), printer->fromPage());
        last = std::min(report.LastPage(), std::max(printer->fromPage(), printer->toPage()));
    }
    return printer;
}

bool PrintReportPages(TPrintObject& report, QWidget* parent,
                      const std::function<std::unique_ptr<QPrinter>(int&, int&)>& choose) {
    int first = 0, last = 0;
    std::unique_ptr<QPrinter> printer =
        choose ? choose(first, last) : ChooseReportPrinter(report, parent, first, last);
    if (!printer) return true; // the user cancelled: nothing printed, nothing failed
    if (!report.PrintRange(*printer, first, last)) {
        if (report.Prompts())
            report.Prompts()->ShowMessage(QStringLiteral("Error showing/printing final report."));
        return false;
    }
    return true;
}

TPrintPreviewForm::TPrintPreviewForm(TPrintObject& report, QWidget* parent)
    : QDialog(parent), report_(report) {
    setWindowTitle(QStringLiteral("Print Preview"));
    setSizeGripEnabled(true);

    auto tool = [this](const QString& text, const QString& hint) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(hint);
        b->setAutoRaise(true);
        return b;
    };
    FirstButton = tool(QStringLiteral("|<"), QStringLiteral("first page"));
    PriorButton = tool(QStringLiteral("<"), QStringLiteral("previous page"));
    NextButton = tool(QStringLiteral(">"), QStringLiteral("next page"));
    LastButton = tool(QStringLiteral(">|"), QStringLiteral("last page"));
    PageNumber = new QSpinBox(this);
    PageNumber->setToolTip(QStringLiteral("page number"));
    int first = std::max(1, report.FirstPage()), last = std::max(first, report.LastPage());
    PageNumber->setRange(first, last);
    ZoomLabel = new QLabel(QStringLiteral("ZOOM"), this);
    ZoomBox = new QComboBox(this);
    for (int z = 60; z <= 100; z += 10)
        ZoomBox->addItem(QStringLiteral("%1 %").arg(z), z);
    ZoomBox->setCurrentIndex(ZoomBox->count() - 1);
    CloseButton = new QPushButton(QStringLiteral("&Close"), this);
    CloseButton->setToolTip(QStringLiteral("close preview"));
    PrintButton = new QPushButton(QStringLiteral("&Print"), this);
    PrintButton->setToolTip(QStringLiteral("print document"));

    auto* bar = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{FirstButton, PriorButton, PageNumber,
                                                      NextButton, LastButton})
        bar->addWidget(w);
    bar->addSpacing(20);
    bar->addWidget(ZoomLabel);
    bar->addWidget(ZoomBox);
    bar->addStretch(1);
    bar->addWidget(PrintButton);
    bar->addWidget(CloseButton);

    PageView = new QLabel;
    PageView->setAlignment(Qt::AlignCenter);
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(PageView);
    scroll_->setWidgetResizable(true);
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setBackgroundRole(QPalette::Dark);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(scroll_, 1);

    connect(FirstButton, &QToolButton::clicked, this, [this] { ShowPage(PageNumber->minimum()); });
    connect(PriorButton, &QToolButton::clicked, this, [this] { ShowPage(page_ - 1); });
    connect(NextButton, &QToolButton::clicked, this, [this] { ShowPage(page_ + 1); });
    connect(LastButton, &QToolButton::clicked, this, [this] { ShowPage(PageNumber->maximum()); });
    connect(PageNumber, &QSpinBox::valueChanged, this, [this](int v) { ShowPage(v); });
    connect(ZoomBox, &QComboBox::currentIndexChanged, this,
            [this](int i) { SetZoom(ZoomBox->itemData(i).toInt()); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(PrintButton, &QPushButton::clicked, this, &TPrintPreviewForm::PrintClick);

    resize(900, 700);
    ShowPage(first);
}

void TPrintPreviewForm::ShowPage(int pageNo) {
    pageNo = std::clamp(pageNo, PageNumber->minimum(), PageNumber->maximum());
    if (pageNo == page_) return;
    page_ = pageNo;
    if (PageNumber->value() != page_) PageNumber->setValue(page_); // comes back here, unchanged
    UpdateButtons();
    Render();
}

void TPrintPreviewForm::SetZoom(int percent) {
    percent = std::clamp(percent, 60, 100);
    int index = ZoomBox->findData(percent);
    if (index >= 0 && ZoomBox->currentIndex() != index) ZoomBox->setCurrentIndex(index);
    if (percent == zoom_) return;
    zoom_ = percent;
    Render();
}

void TPrintPreviewForm::UpdateButtons() {
    bool atFirst = page_ <= PageNumber->minimum(), atLast = page_ >= PageNumber->maximum();
    FirstButton->setEnabled(!atFirst);
    PriorButton->setEnabled(!atFirst);
    NextButton->setEnabled(!atLast);
    LastButton->setEnabled(!atLast);
}

void TPrintPreviewForm::Render() {
    // The page at the screen's resolution times the zoom; fonts follow the same resolution.
    double dpi = PageView->logicalDpiX() * zoom_ / 100.0;
    int dpm = qRound(dpi / 0.0254);
    QImage probe(1, 1, QImage::Format_RGB32);
    probe.setDotsPerMeterX(dpm);
    double deviceDpi = probe.logicalDpiX();
    QSizeF paper = report_.PaperSizeInches();
    image_ = QImage(std::max(1, qRound(paper.width() * deviceDpi)),
                    std::max(1, qRound(paper.height() * deviceDpi)), QImage::Format_RGB32);
    image_.setDotsPerMeterX(dpm);
    image_.setDotsPerMeterY(dpm);
    image_.fill(Qt::white);
    if (page_ >= 1 && page_ <= report_.PageCount()) {
        QPainter painter(&image_);
        report_.ReplayPage(page_, painter);
    }
    PageView->setPixmap(QPixmap::fromImage(image_));
}

void TPrintPreviewForm::PrintClick() {
    PrintReportPages(report_, this, ChoosePrinter);
}

bool TPreviewDisplay::ShowPreview(TPrintObject& report) {
    if (report.PageCount() == 0) return false;
    TPrintPreviewForm form(report, owner_);
    form.setWindowState(form.windowState() | Qt::WindowMaximized);
    form.exec();
    return true;
}

bool TPreviewDisplay::PrintReport(TPrintObject& report) {
    return PrintReportPages(report, owner_, nullptr);
}

} // namespace acremark
