#include "print/print_object.h"

#include "print/print_painter.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace acremark {

namespace {

const QString kPreparing = QStringLiteral("Preparing Report.......");
const QString kPrinting = QStringLiteral("Printing Report.......");
const QString kAbort = QStringLiteral("Abort printing?");

QImage MakeMeasureDevice() {
    QImage img(1, 1, QImage::Format_RGB32);
    int dpm = qRound(kPageDotsPerInch / 0.0254);
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    return img;
}

} // namespace

TPrintObject::TPrintObject(TPrintPrompts* prompts, TPrintDisplay* display)
    : prompts_(prompts ? prompts : &stderrPrompts_), display_(display),
      measureDevice_(MakeMeasureDevice()) {}

TPrintObject::~TPrintObject() {
    canvasDraw_.reset();
    if (canvasPainter_ && canvasPainter_->isActive()) canvasPainter_->end();
    if (progressShown_) prompts_->HideProgress();
}

// ---------------------------------------------------------------- geometry and units

QSizeF TPrintObject::PaperSizeInches() const {
    if (imagePrinting_ && ImageCanvas)
        return {ImageCanvas->width() / dpiX_, ImageCanvas->height() / dpiY_};
    QSizeF s = PaperDimension.size(QPageSize::Inch);
    if (PageOrientation == TPageOrientation::poLandscape) s.transpose();
    return s;
}

double TPrintObject::PrintableRight() const {
    return PaperSizeInches().width() - (imagePrinting_ ? 0 : GutterRight);
}

double TPrintObject::PrintableBottom() const {
    return PaperSizeInches().height() - (imagePrinting_ ? 0 : GutterBottom);
}

const QPaintDevice* TPrintObject::MeasureDevice() const {
    if (imagePrinting_ && ImageCanvas) return ImageCanvas;
    return &measureDevice_;
}

double TPrintObject::ToInchesX(double v) const {
    switch (measure_) {
    case 1:
        return v / 25.4;
    case 2:
        return v / dpiX_;
    default:
        return v;
    }
}

double TPrintObject::ToInchesY(double v) const {
    switch (measure_) {
    case 1:
        return v / 25.4;
    case 2:
        return v / dpiY_;
    default:
        return v;
    }
}

double TPrintObject::WidthInches(const QString& text) const {
    if (!ValidFont(state_.Font)) return 0;
    QFontMetricsF fm(DeviceFont(state_.Font), MeasureDevice());
    return fm.horizontalAdvance(text) / dpiX_;
}

double TPrintObject::GetTextWidthInches(const QString& text) const {
    return WidthInches(text);
}

double TPrintObject::GetLineHeightInches() const {
    if (!ValidFont(state_.Font)) return 0;
    QFontMetricsF fm(DeviceFont(state_.Font), MeasureDevice());
    return fm.height() / dpiY_;
}

// ---------------------------------------------------------------- start and recording

bool TPrintObject::Start() {
    canvasDraw_.reset();
    if (canvasPainter_ && canvasPainter_->isActive()) canvasPainter_->end();
    canvasPainter_.reset();
    pages_.clear();
    firstPage_ = lastPage_ = 0;
    canvasFailures_.clear();
    state_ = TDrawState{};
    measure_ = 0;
    tab_ = 0;
    autoPaging_ = true;
    printingOK_ = false;

    if (ImageCanvas) {
        imagePrinting_ = true;
        dryRun_ = false;
        dpiX_ = ImageCanvas->logicalDpiX();
        dpiY_ = ImageCanvas->logicalDpiY();
        canvasPainter_ = std::make_unique<QPainter>();
        if (ImageCanvas->width() <= 0 || ImageCanvas->height() <= 0 ||
            !canvasPainter_->begin(ImageCanvas)) {
            canvasPainter_.reset();
            imagePrinting_ = false;
            return false;
        }
        canvasDraw_ = std::make_unique<TCommandPainter>(*canvasPainter_, dpiX_, dpiY_, 1.0, state_);
    } else {
        imagePrinting_ = false;
        dryRun_ = true;
        dpiX_ = dpiY_ = kPageDotsPerInch;
        BeginPage();
    }
    topMargin_ = PrintableTop();
    bottomMargin_ = PrintableBottom();
    leftMargin_ = PrintableLeft();
    rightMargin_ = PrintableRight();
    detailTop_ = topMargin_;
    detailBottom_ = bottomMargin_;
    lastY_ = topMargin_;
    lastX_ = leftMargin_;
    printingOK_ = true;
    if (!imagePrinting_ && UseProgress) {
        progressCaption_ = kPreparing;
        progressMax_ = 100;
        progressPos_ = 0;
        prompts_->ShowProgress(progressCaption_, ShowCancel);
        progressShown_ = true;
    }
    return true;
}

void TPrintObject::BeginPage() {
    pages_.push_back(TPrintPage{state_, {}});
}

// Headers, footers and page numbers would be drawn here; the program's reports have none.
void TPrintObject::ClosePage() {}

void TPrintObject::Fail(const QString& message) const {
    prompts_->ShowMessage(message);
}

void TPrintObject::Emit(TPrintCommand c) {
    if (dryRun_) {
        if (!pages_.empty()) pages_.back().Commands.push_back(std::move(c));
    } else if (imagePrinting_ && canvasDraw_) {
        if (!canvasDraw_->Execute(c) && std::find(canvasFailures_.begin(), canvasFailures_.end(),
                                                  c.Kind) == canvasFailures_.end()) {
            canvasFailures_.push_back(c.Kind);
            Fail(CommandFailureMessage(c.Kind));
        }
    }
}

// ---------------------------------------------------------------- settings

void TPrintObject::SetMeasure(int measure) {
    if (printingOK_ && measure >= 0 && measure <= 2) measure_ = measure;
}

void TPrintObject::SetMargins(double top, double bottom, double left, double right) {
    if (!printingOK_) return;
    topMargin_ = std::max(ToInchesY(top), PrintableTop());
    bottomMargin_ = std::min(ToInchesY(bottom), PrintableBottom());
    leftMargin_ = std::max(ToInchesX(left), PrintableLeft());
    rightMargin_ = std::min(ToInchesX(right), PrintableRight());
}

void TPrintObject::SetYPosition(double y) {
    if (printingOK_) lastY_ = ToInchesY(y);
}

void TPrintObject::SetDetailTopBottom(double top, double bottom) {
    if (!printingOK_) return;
    detailTop_ = ToInchesY(top);
    detailBottom_ = ToInchesY(bottom);
    lastY_ = detailTop_ - GetLineHeightInches();
}

void TPrintObject::SetTopOfPage() {
    if (!printingOK_) return;
    lastY_ = detailTop_;
    lastX_ = leftMargin_;
}

void TPrintObject::SetTab(double x) {
    if (printingOK_) tab_ = ToInchesX(x);
}

void TPrintObject::SetAutoPaging(bool on) {
    if (printingOK_) autoPaging_ = on;
}

void TPrintObject::SetFontInfo(const QString& name, double size, bool bold, bool italic,
                               bool underline) {
    if (!printingOK_) return;
    state_.Font.Name = name;
    state_.Font.Size = size;
    state_.Font.Bold = bold;
    state_.Font.Italic = italic;
    state_.Font.Underline = underline;
    TPrintCommand c{.Kind = commFont};
    c.Font = state_.Font;
    Emit(std::move(c));
}

void TPrintObject::SetFontName(const QString& name) {
    if (!printingOK_) return;
    state_.Font.Name = name;
    TPrintCommand c{.Kind = commFont};
    c.Font = state_.Font;
    Emit(std::move(c));
}

void TPrintObject::SetFontSize(double points) {
    if (!printingOK_) return;
    state_.Font.Size = points;
    TPrintCommand c{.Kind = commFont};
    c.Font = state_.Font;
    Emit(std::move(c));
}

void TPrintObject::SetFontColor(const QColor& color) {
    if (!printingOK_) return;
    state_.Font.Color = color;
    Emit(TPrintCommand{.Kind = commFColor, .Color = color});
}

void TPrintObject::SetFontAngle(double degrees) {
    if (!printingOK_) return;
    state_.Font.Angle = degrees;
    Emit(TPrintCommand{.Kind = commFontAngle, .Angle = degrees});
}

void TPrintObject::SetPenColor(const QColor& color) {
    if (!printingOK_) return;
    state_.PenColor = color;
    Emit(TPrintCommand{.Kind = commPColor, .Color = color});
}

void TPrintObject::SetPenStyle(TPenStyle style) {
    if (!printingOK_) return;
    state_.PenStyle = style;
    Emit(TPrintCommand{.Kind = commPStyle, .PenStyle = style});
}

void TPrintObject::SetPenWidth(double dots) {
    if (!printingOK_) return;
    state_.PenWidth = dots;
    Emit(TPrintCommand{.Kind = commLineWidth, .Width = dots});
}

void TPrintObject::SetBrushColor(const QColor& color) {
    if (!printingOK_) return;
    state_.BrushColor = color;
    Emit(TPrintCommand{.Kind = commBColor, .Color = color});
}

void TPrintObject::SetBrushStyle(TBrushStyle style) {
    if (!printingOK_) return;
    state_.BrushStyle = style;
    Emit(TPrintCommand{.Kind = commBrushStyle, .BrushStyle = style});
}

// ---------------------------------------------------------------- text

void TPrintObject::Write(double y, double x, bool codedX, bool useTab, const QString& text) {
    if (!printingOK_) return;
    double lh = GetLineHeightInches();

    double xi;
    if (!codedX)
        xi = x; // a computed position in inches, never a code
    else if (x >= 0)
        xi = ToInchesX(x);
    else if (x == -1)
        xi = lastX_;
    else
        xi = leftMargin_;
    xi = std::max(xi, PrintableLeft());
    if (useTab && tab_ > 0) xi += tab_;

    if (y > -0.01) {
        lastY_ =
            std::clamp(ToInchesY(y), PrintableTop(), std::max(PrintableTop(), PrintableBottom()));
    } else if (y == -1) {
        if (autoPaging_ && lastY_ + lh > detailBottom_) NewPage();
        lastY_ += lh;
    } else {
        if (autoPaging_ && lastY_ > detailBottom_) NewPage();
    }

    double w = WidthInches(text);
    TPrintCommand c{
        .Kind = commText, .X1 = xi, .Y1 = lastY_, .Text = text, .Width = w, .LineHeight = lh};
    if (state_.BrushStyle == TBrushStyle::bsSolid) c.Brush = state_.BrushColor;
    Emit(std::move(c));
    double a = state_.Font.Angle * std::numbers::pi / 180.0;
    lastX_ = xi + w * std::cos(a);
}

void TPrintObject::WriteLine(double y, double x, const QString& text) {
    Write(y, x, true, true, text);
}

void TPrintObject::WriteLineCenter(double y, const QString& text) {
    if (!printingOK_) return;
    Write(y, (leftMargin_ + rightMargin_) / 2 - WidthInches(text) / 2, false, false, text);
}

void TPrintObject::WriteLineCenterToX(double y, double x, const QString& text) {
    if (!printingOK_) return;
    Write(y, ToInchesX(x) - WidthInches(text) / 2, false, false, text);
}

void TPrintObject::WriteLineRightToX(double y, double x, const QString& text) {
    if (!printingOK_) return;
    Write(y, ToInchesX(x) - WidthInches(text), false, false, text);
}

void TPrintObject::NextLine() {
    if (!printingOK_) return;
    double lh = GetLineHeightInches();
    lastX_ = leftMargin_;
    if (autoPaging_ && lastY_ + lh > detailBottom_)
        NewPage();
    else
        lastY_ += lh;
}

void TPrintObject::NewLines(int n) {
    for (int i = 0; i < n && printingOK_; ++i) {
        int pages = PageCount();
        NextLine();
        if (PageCount() != pages) break;
    }
}

void TPrintObject::WrapText(const QString& text, QStringList& lines, double x1, double x2) const {
    lines.clear();
    QString t = text;
    t.replace(QLatin1Char('\t'), QStringLiteral("  "));
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (t.endsWith(QLatin1Char('\n')))
        t.chop(1);
    double allowed = ToInchesX(x1) - ToInchesX(x2);

    QString line;
    qsizetype lastBreak = -1; // in line
    for (QChar ch : t) {
        line += ch;
        bool feed = ch == QLatin1Char('\n');
        if (feed || ch == QLatin1Char(' ')) lastBreak = line.size() - 1;
        if ((feed || WidthInches(line) > allowed) && lastBreak >= 0) {
            lines << line.left(lastBreak);
            line = line.mid(lastBreak + 1);
            lastBreak = -1;
        }
    }
    lines << line;
}

// ---------------------------------------------------------------- lines, boxes, pictures

void TPrintObject::MoveTo(double x, double y) {
    if (!printingOK_) return;
    state_.PenX = ToInchesX(x);
    state_.PenY = ToInchesY(y);
    Emit(TPrintCommand{.Kind = commMoveTo, .X1 = state_.PenX, .Y1 = state_.PenY});
}

void TPrintObject::LineTo(double x, double y) {
    if (!printingOK_) return;
    state_.PenX = ToInchesX(x);
    state_.PenY = ToInchesY(y);
    Emit(TPrintCommand{.Kind = commLineTo, .X1 = state_.PenX, .Y1 = state_.PenY});
}

void TPrintObject::Line(double x1, double y1, double x2, double y2) {
    if (!printingOK_) return;
    state_.PenX = ToInchesX(x2);
    state_.PenY = ToInchesY(y2);
    Emit(TPrintCommand{.Kind = commLine,
                       .X1 = ToInchesX(x1),
                       .Y1 = ToInchesY(y1),
                       .X2 = state_.PenX,
                       .Y2 = state_.PenY});
}

void TPrintObject::DrawBox(double x1, double y1, double x2, double y2, double lineWidth) {
    if (!printingOK_) return;
    Emit(TPrintCommand{.Kind = commFrameRect,
                       .X1 = ToInchesX(x1),
                       .Y1 = ToInchesY(y1),
                       .X2 = ToInchesX(x2),
                       .Y2 = ToInchesY(y2),
                       .Width = lineWidth});
}

void TPrintObject::DrawBoxShade(double x1, double y1, double x2, double y2, double lineWidth,
                                const QColor& shade) {
    if (!printingOK_) return;
    Emit(TPrintCommand{.Kind = commFillRect,
                       .X1 = ToInchesX(x1),
                       .Y1 = ToInchesY(y1),
                       .X2 = ToInchesX(x2),
                       .Y2 = ToInchesY(y2),
                       .Color = shade});
    DrawBox(x1, y1, x2, y2, lineWidth);
}

void TPrintObject::FillRect(double x1, double y1, double x2, double y2) {
    if (!printingOK_) return;
    Emit(TPrintCommand{.Kind = commFillRect,
                       .X1 = ToInchesX(x1),
                       .Y1 = ToInchesY(y1),
                       .X2 = ToInchesX(x2),
                       .Y2 = ToInchesY(y2),
                       .Color = state_.BrushColor});
}

void TPrintObject::PrintGraphic(double x1, double y1, double x2, double y2, const QImage& picture) {
    if (!printingOK_) return;
    Emit(TPrintCommand{.Kind = commGraphic,
                       .X1 = ToInchesX(x1),
                       .Y1 = ToInchesY(y1),
                       .X2 = ToInchesX(x2),
                       .Y2 = ToInchesY(y2),
                       .Picture = picture});
}

// ---------------------------------------------------------------- progress and pages

void TPrintObject::SetProgressMax(int max) {
    if (!printingOK_) return;
    progressMax_ = std::max(1, max);
    progressPos_ = 0;
    if (progressShown_) prompts_->SetProgress(0);
}

void TPrintObject::IncBar(int step) {
    if (!printingOK_) return;
    progressPos_ = std::min(progressMax_, progressPos_ + step);
    if (!progressShown_) return;
    prompts_->SetProgress(int(100.0 * progressPos_ / progressMax_));
    CheckCancel();
}

void TPrintObject::CheckCancel() {
    if (!prompts_->CancelPressed()) return;
    prompts_->HideProgress();
    if (prompts_->AskYesNo(kAbort)) {
        progressShown_ = false;
        printingOK_ = false;
    } else {
        prompts_->ShowProgress(progressCaption_, ShowCancel);
    }
}

void TPrintObject::NewPage() {
    if (!printingOK_) return;
    if (dryRun_) {
        ClosePage();
        BeginPage();
        lastY_ = detailTop_;
        lastX_ = leftMargin_;
    } else if (autoPaging_) {
        lastY_ = detailTop_;
        lastX_ = leftMargin_;
    }
}

void TPrintObject::Quit() {
    if (!printingOK_) return;
    if (imagePrinting_) {
        canvasDraw_.reset();
        if (canvasPainter_) canvasPainter_->end();
        canvasPainter_.reset();
        ImageCanvas = nullptr;
        imagePrinting_ = false;
        printingOK_ = false;
        return;
    }
    if (progressShown_) {
        prompts_->HideProgress();
        progressShown_ = false;
    }
    try {
        ClosePage();
    } catch (...) {
        Fail(QStringLiteral("Error in completing last page."));
    }
    try {
        firstPage_ = 1;
        lastPage_ = PageCount();
        dryRun_ = false;
    } catch (...) {
        Fail(QStringLiteral("Error preparing final report."));
    }
    bool shown = false;
    try {
        if (display_)
            shown = ActualPreview ? display_->ShowPreview(*this) : display_->PrintReport(*this);
    } catch (...) {
        shown = false;
    }
    if (!shown) Fail(QStringLiteral("Error showing/printing final report."));
    try {
        pages_.clear();
        pages_.shrink_to_fit();
        firstPage_ = lastPage_ = 0;
    } catch (...) {
        Fail(QStringLiteral("Error cleaning up report pages."));
    }
    printingOK_ = false;
}

QJsonArray TPrintObject::PageCommandsJson(int pageNo) const {
    if (pageNo < 1 || pageNo > PageCount()) return {};
    return PageToJson(Page(pageNo));
}

void TPrintObject::ReplayPage(int pageNo, QPainter& painter) {
    if (pageNo < 1 || pageNo > PageCount() || !painter.isActive()) return;
    double pixelsPerDot = painter.device()->logicalDpiX() / kPageDotsPerInch;
    for (TCommandKind k : ReplayCommands(Page(pageNo), painter, pixelsPerDot))
        Fail(CommandFailureMessage(k));
}

bool TPrintObject::PrintRange(QPagedPaintDevice& device, int first, int last) {
    if (first < 1 || last > PageCount() || first > last) return false;
    QPageLayout::Orientation o = PageOrientation == TPageOrientation::poLandscape
                                     ? QPageLayout::Landscape
                                     : QPageLayout::Portrait;
    device.setPageLayout(QPageLayout(PaperDimension, o, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&device)) return false;
    if (UseProgress) {
        progressCaption_ = kPrinting;
        prompts_->ShowProgress(kPrinting, true);
        prompts_->SetProgress(0);
    }
    double percent = 0;
    int count = last - first + 1;
    for (int pg = first; pg <= last; ++pg) {
        if (pg > first && PageFeeding) device.newPage();
        ReplayPage(pg, painter);
        percent += 100.0 / count;
        if (!UseProgress) continue;
        prompts_->SetProgress(std::min(100, int(percent + 1e-9)));
        if (pg < last && prompts_->CancelPressed()) {
            prompts_->HideProgress();
            if (prompts_->AskYesNo(kAbort)) {
                printingOK_ = false;
                break;
            }
            prompts_->ShowProgress(kPrinting, true);
        }
    }
    painter.end();
    if (UseProgress) prompts_->HideProgress();
    return true;
}

} // namespace acremark
