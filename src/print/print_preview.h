#pragma once
// The preview window "Print Preview": one page of a finished report at a time, paging buttons,
// a page number box, a zoom choice and printing through the print dialog (the system's printers
// and saving as PDF). TPreviewDisplay is where a report's Quit sends its pages in the program.

#include "print/print_object.h"

#include <QDialog>
#include <QImage>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QToolButton;

namespace acremark {

// Asks for a printer and a page range (1-based, within the report's FirstPage..LastPage): the
// print dialog when the report's ShowDialog is on or no system printer exists, otherwise the
// default printer and the whole range. Null when the user cancels.
std::unique_ptr<QPrinter> ChooseReportPrinter(TPrintObject& report, QWidget* parent, int& first,
                                              int& last);

// Prints the chosen range; a device that cannot be painted on gives "Error showing/printing
// final report.". Returns false only on such a failure (a cancelled dialog is no failure).
bool PrintReportPages(TPrintObject& report, QWidget* parent,
                      const std::function<std::unique_ptr<QPrinter>(int&, int&)>& choose);

class TPrintPreviewForm : public QDialog {
    Q_OBJECT
public:
    explicit TPrintPreviewForm(TPrintObject& report, QWidget* parent = nullptr);

    int CurrentPage() const { return page_; } // 1-based
    int Zoom() const { return zoom_; }        // per cent
    const QImage& PageImage() const { return image_; }
    void ShowPage(int pageNo);
    void SetZoom(int percent); // 60..100
    void PrintClick();

    // How "&Print" picks the printer and range; ChooseReportPrinter unless replaced.
    std::function<std::unique_ptr<QPrinter>(int& first, int& last)> ChoosePrinter;

    QToolButton* FirstButton;
    QToolButton* PriorButton;
    QToolButton* NextButton;
    QToolButton* LastButton;
    QSpinBox* PageNumber;
    QLabel* ZoomLabel;
    QComboBox* ZoomBox;
    QPushButton* CloseButton;
    QPushButton* PrintButton;
    QLabel* PageView;

private:
    void Render();
    void UpdateButtons();

    TPrintObject& report_;
    int page_ = 0;
    int zoom_ = 100;
    QImage image_;
    QScrollArea* scroll_;
};

// Quit's destination in the program: the preview window, maximised and modal; or printing at
// once through the print dialog.
class TPreviewDisplay final : public TPrintDisplay {
public:
    explicit TPreviewDisplay(QWidget* owner = nullptr) : owner_(owner) {}
    bool ShowPreview(TPrintObject& report) override;
    bool PrintReport(TPrintObject& report) override;

private:
    QWidget* owner_;
};

} // namespace acremark
