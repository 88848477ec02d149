#pragma once
// The print object composes pages of positioned text, lines, boxes and pictures.
//
// Page mode (no ImageCanvas): Start begins page 1 and every call is recorded, in inches, page by
// page, without touching a printer; Quit sends the finished pages to the preview (or prints them
// at once) through a TPrintDisplay. Recorded pages replay onto any QPainter: the preview's page
// picture, a printer, a PDF writer. The built-in PDF writer counts as a printer, so Start in page
// mode always finds one.
//
// Picture mode (ImageCanvas set before Start): the same calls draw straight onto the picture.
//
// Positions are in inches from the paper's (or picture's) top left corner, or in the unit chosen
// with SetMeasure; a text position is the top of its line. While PrintingOK is false (before
// Start, after Quit or a cancel) every operation does nothing.

#include "print/print_commands.h"
#include "print/print_prompts.h"

#include <QImage>
#include <QPageSize>
#include <QSizeF>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class QPainter;
class QPaintDevice;
class QPagedPaintDevice;

namespace acremark {

enum class TPageOrientation { poPortrait, poLandscape };

class TPrintObject {
public:
    // prompts and display are not owned; without prompts, messages go to stderr.
    explicit TPrintObject(TPrintPrompts* prompts = nullptr, TPrintDisplay* display = nullptr);
    ~TPrintObject();
    TPrintObject(const TPrintObject&) = delete;
    TPrintObject& operator=(const TPrintObject&) = delete;

    // ---- Set before Start ----
    QPaintDevice* ImageCanvas = nullptr; // picture mode when set; not owned
    TPageOrientation PageOrientation = TPageOrientation::poPortrait;
    QPageSize PaperDimension{QPageSize::Letter};
    // The device's unprintable borders in inches. The PDF writer has none; a caller that
    // composes for a particular printer may set its borders.
    double GutterLeft = 0, GutterTop = 0, GutterRight = 0, GutterBottom = 0;
    bool ActualPreview = true; // Quit shows the preview; false prints at once
    bool ShowDialog = true;    // print dialog before printing
    bool UseProgress = true;   // progress window
    bool ShowCancel = true;    // its "Cancel" button
    QString DocumentTitle;
    bool PageFeeding = true; // a new sheet between replayed pages
    TPrintPrompts* Prompts() const { return prompts_; }
    TPrintDisplay* Display() const { return display_; }

    // ---- State ----
    bool ImagePrinting() const { return imagePrinting_; }
    bool PrintingOK() const { return printingOK_; }
    bool DryRun() const { return dryRun_; }
    int Measure() const { return measure_; } // 0 inches, 1 millimetres, 2 pixels
    // The rest in inches.
    double LastYPosition() const { return lastY_; }
    double LastXPosition() const { return lastX_; }
    double CurrentTab() const { return tab_; }
    double DetailTop() const { return detailTop_; }
    double DetailBottom() const { return detailBottom_; }
    bool AutoPaging() const { return autoPaging_; }
    double TopMargin() const { return topMargin_; }
    double BottomMargin() const { return bottomMargin_; }
    double LeftMargin() const { return leftMargin_; }
    double RightMargin() const { return rightMargin_; }
    const TDrawState& State() const { return state_; }
    const TPrintFont& Font() const { return state_.Font; }
    // Paper size in inches as oriented (the picture's size in picture mode).
    QSizeF PaperSizeInches() const;

    // ---- Operations ----
    // Page mode: page 1 begun, margins at the printable area, progress window "Preparing
    // Report......." when UseProgress. Picture mode: binds a painter to ImageCanvas; false when
    // the picture cannot be painted on.
    bool Start();
    void SetMeasure(int measure);
    // Margins as positions: the top and bottom lines, the left and right edges. Kept inside the
    // printable area.
    void SetMargins(double top, double bottom, double left, double right);
    void SetYPosition(double y);
    // The detail area; the current position becomes one line above its top.
    void SetDetailTopBottom(double top, double bottom);
    // Current position to the detail area's top and the left margin.
    void SetTopOfPage();
    void SetTab(double x); // added to every text position while positive
    void SetAutoPaging(bool on);

    void SetFontInfo(const QString& name, double size, bool bold = false, bool italic = false,
                     bool underline = false);
    void SetFontName(const QString& name);
    void SetFontSize(double points);
    void SetFontColor(const QColor& color);
    void SetFontAngle(double degrees);
    void SetPenColor(const QColor& color);
    void SetPenStyle(TPenStyle style);
    void SetPenWidth(double dots);
    void SetBrushColor(const QColor& color); // also the colour behind texts
    void SetBrushStyle(TBrushStyle style);   // clear: texts without background

    // X: 0 or more as given; -1 right after the last text; any other negative the left margin;
    // never left of the printable area; CurrentTab added while positive. Y: above -0.01 as
    // given (inside the printable area); -1 the next line, -2 (or any other value at or below
    // -0.01) the current line, with automatic paging against DetailBottom.
    void WriteLine(double y, double x, const QString& text);
    void WriteLineCenter(double y, const QString& text);              // between the margins
    void WriteLineCenterToX(double y, double x, const QString& text); // centred on x
    void WriteLineRightToX(double y, double x, const QString& text);  // ending at x
    void NextLine();
    void NewLines(int n); // stops at the top of a new page

    double GetTextWidthInches(const QString& text) const;
    double GetLineHeightInches() const;
    // Cuts text into lines no wider than x1 - x2 in the current font; lines is replaced. Tabs
    // become two blanks, CR LF and lone CRs line feeds, trailing line feeds go. A line ends at
    // the last blank or line feed before the text gets too wide, or at a line feed; a word
    // without such a break stays whole, however wide.
    void WrapText(const QString& text, QStringList& lines, double x1, double x2) const;

    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void Line(double x1, double y1, double x2, double y2);
    // Frame of lineWidth dots in the pen colour, inside the rectangle.
    void DrawBox(double x1, double y1, double x2, double y2, double lineWidth);
    // The same over the rectangle filled with shade.
    void DrawBoxShade(double x1, double y1, double x2, double y2, double lineWidth,
                      const QColor& shade);
    void FillRect(double x1, double y1, double x2, double y2); // in the brush colour
    void PrintGraphic(double x1, double y1, double x2, double y2, const QImage& picture);

    void SetProgressMax(int max);
    // Advances the progress window; a "Cancel" pressed meanwhile asks "Abort printing?".
    void IncBar(int step = 1);

    void NewPage();
    // Page mode: closes the last page, marks pages 1..n for replay, shows the preview (or
    // prints at once), frees the pages. Picture mode: detaches the picture.
    void Quit();

    // ---- Pages ----
    int PageCount() const { return int(pages_.size()); }
    const std::vector<TPrintPage>& Pages() const { return pages_; }
    const TPrintPage& Page(int pageNo) const { return pages_.at(size_t(pageNo - 1)); } // 1-based
    int FirstPage() const { return firstPage_; }
    int LastPage() const { return lastPage_; }
    // Page pageNo's recorded commands as JSON (see CommandToJson).
    QJsonArray PageCommandsJson(int pageNo) const;

    // Replays page pageNo onto painter at its device's resolution; each kind of command that
    // fails shows its message once, and the rest of the page is drawn.
    void ReplayPage(int pageNo, QPainter& painter);
    // Prints pages first..last onto a printer or PDF writer: paper as composed, a new sheet
    // between pages, the progress window "Printing Report......." with "Cancel" (a cancel stops
    // after the current page once the user confirms). False when the device cannot be painted
    // on or the range holds no page.
    bool PrintRange(QPagedPaintDevice& device, int first, int last);

    // Conversions between inches and the pixels of the device drawn on (the picture, or a
    // printer dot of 1/600 inch while composing).
    double PixelsToInchesX(double px) const { return px / dpiX_; }
    double PixelsToInchesY(double px) const { return px / dpiY_; }
    double InchesToPixelsX(double in) const { return in * dpiX_; }
    double InchesToPixelsY(double in) const { return in * dpiY_; }

private:
    double ToInchesX(double v) const;
    double ToInchesY(double v) const;
    void Emit(TPrintCommand c);
    void Write(double y, double x, bool codedX, bool useTab, const QString& text);
    double WidthInches(const QString& text) const;
    void BeginPage();
    void ClosePage();
    void Fail(const QString& message) const;
    void CheckCancel();
    TPrintPrompts& Ask() const { return *prompts_; }
    double PrintableLeft() const { return imagePrinting_ ? 0 : GutterLeft; }
    double PrintableTop() const { return imagePrinting_ ? 0 : GutterTop; }
    double PrintableRight() const;
    double PrintableBottom() const;
    const QPaintDevice* MeasureDevice() const;

    TPrintPrompts* prompts_;
    TPrintDisplay* display_;
    TStderrPrintPrompts stderrPrompts_;

    bool imagePrinting_ = false;
    bool printingOK_ = false;
    bool dryRun_ = false;
    int measure_ = 0;
    double dpiX_ = 600, dpiY_ = 600;
    double lastY_ = 0, lastX_ = 0, tab_ = 0;
    double detailTop_ = 0, detailBottom_ = 0;
    bool autoPaging_ = true;
    double topMargin_ = 0, bottomMargin_ = 0, leftMargin_ = 0, rightMargin_ = 0;
    TDrawState state_;
    int progressMax_ = 100, progressPos_ = 0;
    bool progressShown_ = false;
    QString progressCaption_;
    std::vector<TCommandKind> canvasFailures_; // picture mode tells each kind's failure once

    std::vector<TPrintPage> pages_;
    int firstPage_ = 0, lastPage_ = 0;

    QImage measureDevice_; // fonts are measured at the page's dot resolution while composing
    std::unique_ptr<QPainter> canvasPainter_;
    std::unique_ptr<class TCommandPainter> canvasDraw_;
};

} // namespace acremark
