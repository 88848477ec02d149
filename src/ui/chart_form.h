#pragma once
// The scenario comparison window: the comparison grid of all eight scenarios over the two result
// charts, with a button panel on the left. It shows the runs' results and grid that the main
// window's session owns; it holds no results itself.
//
// The main window connects the buttons it serves (Main, Print, Report, Help), calls
// SetDescription when a scenario description is typed, ClearAllScenarios when a file is opened,
// and after a run GridChanged, ChartLayout, ChartRedraw and ShowForm (or ShowResults for all
// four).

#include "budget/comparison_table.h"
#include "budget/run_workspace.h"
#include "results/reports.h"

#include <QImage>
#include <QSplitter>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace acremark {

class Prompts;
class TComparisonGridDelegate;
class TComparisonGridModel;
class TScenarioGridView;
class TSimChart;
class TPrintDisplay;
class TPrintObject;
class TPrintPrompts;
class TRiskRankingForm;

// A chart picture: an image as large as the widget, drawn again whenever its size changes.
// (Drawing into the picture's current size needs no screen-sized bitmap behind it.)
class TChartPicture : public QWidget {
    Q_OBJECT
public:
    explicit TChartPicture(QWidget* parent = nullptr);
    // Draws the chart into a fresh image of the widget's size (nothing while it has no area).
    void Redraw();
    const QImage& Image() const { return image_; }
    std::function<void(QImage&)> Draw;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage image_;
};

// The chart panel: the two chart pictures either side of a 6-pixel splitter.
class TChartSplitter : public QSplitter {
    Q_OBJECT
public:
    explicit TChartSplitter(QWidget* parent = nullptr);
    // Moves the splitter as the user's drag does (splitterMoved follows).
    void MoveSplitterTo(int leftWidth) { moveSplitter(leftWidth, 1); }
    std::function<void()> Resized;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

class TChartForm : public QWidget {
    Q_OBJECT
public:
    // The chart must draw the results of `runs`.
    TChartForm(RunWorkspace& runs, TSimChart& chart, QWidget* parent = nullptr);
    ~TChartForm() override;

    static constexpr int kButtonPanelWidth = 97;
    // The grid's height with a description row of 46 pixels; it grows with that row.
    static constexpr int kGridHeight = 248;
    static constexpr int kSplitterWidth = 6;
    static QString Caption();

    // The share of the chart panel's width given to the left chart; the splitter keeps it.
    double ChartSizeRatio = 0.45;

    // Messages and the export's file question; the window's own dialogs while none is set.
    Prompts* prompts = nullptr;

    // Shows the window non-modally and brings it to the front; showing lays out and redraws
    // the charts.
    void ShowForm();
    // After a run filled a scenario's column: repaint the grid, lay out and redraw the charts,
    // show the window.
    void ShowResults();
    // The grid model changed (a run filled a column): repaint it.
    void GridChanged();
    // Box s (1..8) shows scenario s's description, whole in its tooltip.
    void SetDescription(int s, const QString& text);
    // The descriptions as the boxes show them (index 1..8).
    ScenarioDescriptions Descriptions() const;
    // Row 2 holds five lines of a description (the most a report prints) at the grid's font;
    // the grid is that much higher than its design height.
    int DescriptionRowHeight() const { return descriptionRowHeight_; }
    int GridHeight() const;
    // The left chart's width from ChartSizeRatio.
    void ChartLayout();
    // Both charts drawn again into their pictures (while the window is shown).
    void ChartRedraw();
    // Clears every scenario's results (their enterprise summaries with them), the description
    // boxes and the charts; the targets stay as typed. The "Clear" button; also on opening a file.
    void ClearAllScenarios();
    // The grid as a table for the clipboard and CSV files (see ComparisonTable).
    TextTable Table() const;

    // The grid's context menu: "Copy" puts the table on the clipboard as tab-separated text;
    // "Export CSV…" asks for a file name and writes it as CSV.
    void CopyGrid();
    void ExportCsv();
    // Writes the CSV file; false (after a message) when it cannot be written.
    bool WriteCsv(const QString& fileName);

    // Button handlers.
    void BitBtnMainClick() {
        Handle([this] { emit MainClicked(); });
    }
    void BitBtnClearClick() {
        Handle([this] { ClearAllScenarios(); });
    }
    // "Print Preview": the comparison print; "Summary Report": the enterprise and farm level
    // summary. Each is composed and handed to the preview, then the button's signal follows.
    void BitBtnPrintClick() {
        Handle([this] {
            ShowReport(ComparisonSource());
            emit PrintClicked();
        });
    }
    void BitBtnReportClick() {
        Handle([this] {
            ShowReport(SummarySource());
            emit ReportClicked();
        });
    }
    // What the two reports print, as the window shows it now.
    ComparisonPrintSource ComparisonSource() const;
    EnterpriseSummarySource SummarySource() const;
    // Where a composed report goes and how the print engine talks to the user: the preview
    // window and the program's dialogs unless set (tests set their own).
    TPrintDisplay* ReportDisplay = nullptr;
    TPrintPrompts* ReportPrompts = nullptr;
    // A line the reports print under their tables (how the runs were drawn), when not empty.
    std::function<std::string()> ReportNote;
    void BitBtnHelpClick() {
        Handle([this] { emit HelpClicked(); });
    }
    void BitBtnCloseClick() { hide(); }
    // "Risk Ranking": the ranking window of the scenarios with results, brought to the front.
    void BitBtnRiskRankingClick() {
        Handle([this] { ShowRiskRanking(); });
    }
    void ShowRiskRanking();

    // Typing in a target cell: the model takes the text and re-evaluates every scenario.
    void sgScenarioKeyUp(int row, const QString& text);

    // The widgets, named by role.
    QWidget* PanelButtons;
    QLabel* ImageLogo;
    QPushButton* BitBtnMain;
    QPushButton* BitBtnClear;
    QPushButton* BitBtnPrint;
    QPushButton* BitBtnReport;
    QPushButton* BitBtnHelp;
    QPushButton* BitBtnClose;
    QPushButton* BitBtnRiskRanking;
    QLabel* ImageBanner;
    QWidget* PanelOutput;
    TScenarioGridView* sgScenario;
    std::array<QPlainTextEdit*, 9> DescriptionMemo{}; // index 1..8
    TChartSplitter* PanelChart;
    TChartPicture* ImageChartLeft;  // risk-return chart
    TChartPicture* ImageChartRight; // gross margin probability curves
    QMenu* GridMenu;                // the grid's context menu
    QAction* ActionCopy;
    QAction* ActionExportCsv;
    QAction* ActionRiskRanking;
    // The risk ranking window, owned by this one; it follows each run while it is shown.
    TRiskRankingForm* RiskRanking;

signals:
    void MainClicked();
    void PrintClicked();
    void ReportClicked();
    void HelpClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OutputPanelResize();
    void SplitterMoved();
    void GridContextMenu(const QPoint& pos);
    void Message(const QString& caption, const QString& text);
    std::array<std::string, 8> ReportDescriptions() const;
    void ShowReport(const ComparisonPrintSource& source);
    void ShowReport(const EnterpriseSummarySource& source);
    void ShowReport(const std::function<void(TPrintObject&)>& compose, const QString& title);
    std::unique_ptr<TPrintDisplay> previewDisplay_;
    std::unique_ptr<TPrintPrompts> printPrompts_;
    // Runs a handler's body; a fault becomes the "Error" message and the window goes on.
    void Handle(const std::function<void()>& body);

    RunWorkspace& runs_;
    TComparisonGrid& grid_;
    TSimChart& chart_;
    TComparisonGridModel* model_;
    TComparisonGridDelegate* delegate_;
    QString lastCsvName_;
    int descriptionRowHeight_ = 46;
};

} // namespace acremark
