#pragma once
// TMainForm: the main window. It mirrors a TMainSession (the window's whole logic) and forwards
// every event to it: the title bar with Open and Save, the scenario selector and description,
// the land location and soil type, the field columns under their header with the row labels,
// the buttons at the left, the context menu and the status bar.

#include "editor/main_session.h"
#include "results/reports.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QButtonGroup;
class QComboBox;
class QHeaderView;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QStandardItemModel;
class QTimer;

namespace acremark {

// Where the "User Guide" button looks for UserGuide.pdf, in order: beside the program, then the
// installed program's share folder, then its documentation folder.
std::vector<std::string> UserGuideFolders();

class QtPrompts;
class TPrintDisplay;
class TPrintPrompts;
class TChartForm;
class TCropColumn;
class TStatusBarWidget;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(TMainSession& session, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The comparison window, which a run fills and shows and Open clears.
    void SetChartForm(TChartForm* form) { chartForm_ = form; }
    // The prompts the session uses, so that a file named at start or dropped answers Open.
    void SetPrompts(QtPrompts* prompts);
    // Help: the input help on a topic (row labels) and the about page.
    std::function<void(const std::string& page, const std::string& topic)> OnHelp;
    // Opens a document with the desktop's default program (the user guide).
    std::function<void(const std::string& path)> OnOpenDocument;
    // Where a composed report goes and how the print engine talks to the user: the preview
    // window and the program's dialogs unless set (tests set their own).
    TPrintDisplay* ReportDisplay = nullptr;
    TPrintPrompts* ReportPrompts = nullptr;

    // The input summary of the shown scenario as the columns hold it, and the report itself
    // ("Input Data Preview", "Print Input Data").
    InputSummarySource InputSummary() const;
    void BitBtnPrintClick();

    // Builds the columns and runs the session's first showing (after every window exists).
    void FirstShow();
    // Mirrors the session's whole state.
    void SyncAll();
    // Mirrors the title and the file name panel (before a message box covers the window).
    void SyncTitle();
    // Opens a file as Open does, without the dialog (a file dropped, a recent file).
    void OpenFile(const QString& path);
    // The file named on the command line: opened, or, when it does not exist yet, taken as the
    // farm's file name with a message.
    void OpenAtStart(const QString& path);
    // The scroll area of the field columns.
    QScrollArea* ScrollBox() const { return scroll_; }

    // Widgets, for tests and the key hook.
    TCropColumn* Column(int fieldId) const { return columns_.at(size_t(fieldId - 1)); }
    QHeaderView* Header() const { return header_; }
    QComboBox* ComboBoxScenario = nullptr;
    QLineEdit* EditScenarioDescription = nullptr;
    std::array<QLineEdit*, 3> DBEditLocation{};
    QComboBox* ComboBoxSoilType = nullptr;
    QComboBox* ComboBoxRiskArea = nullptr;
    QLabel* ImageSoilWarning = nullptr;
    QLabel* PanelFileName = nullptr;
    std::array<QRadioButton*, 3> RadioGroupIteration{};
    QPushButton *BitBtnOpen = nullptr, *BitBtnSave = nullptr, *BitBtnRun = nullptr,
                *BitBtnScenario2 = nullptr, *BitBtnPrint = nullptr, *BitBtnWelcome = nullptr,
                *BitBtnHelp = nullptr;
    TStatusBarWidget* StatusBar1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    // "Use the same random numbers for every scenario" (checked while the session has a common
    // seed) and "Random number seed…" (enabled while it has one).
    QAction* ActionCommonSeed = nullptr;
    QAction* ActionSeed = nullptr;
    // Asks for the common seed, starting from the given one; none when cancelled. The seed
    // dialog unless set (tests answer it themselves).
    std::function<std::optional<uint32_t>(uint32_t seed)> AskSeed;
    void CommonSeedClick(bool on);
    void SeedClick();
    std::array<QLabel*, 39> RowLabels{}; // 1..38

    void BitBtn1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* BuildTitleBar();
    QWidget* BuildScenarioBar();
    QWidget* BuildButtonColumn();
    QWidget* BuildColumnsArea();
    void BuildMenu();
    void LayoutColumns();
    void ApplyFocus();
    // Scrolls the columns so that the whole control is seen.
    void EnsureVisible(QWidget* control);
    // Runs a handler's body guarded (a fault becomes the "Error" message), then mirrors the
    // model, whatever the body left.
    void Handle(const std::function<void()>& body);
    void Run(const std::function<RunOutcome()>& run);
    void ColumnFocusIn(int column, int tag);
    void FocusChanged(QWidget* old, QWidget* now);
    void ShowResults(const RunOutcome& run);
    void OpenClicked();
    void AfterOpen();
    void SaveClicked();
    void Timer1Timer();
    void AddRecentFile(const QString& path);
    void RebuildRecentMenu();
    void SyncSeedItems();
    std::optional<uint32_t> AskForSeed(uint32_t seed);

    TMainSession& session_;
    TChartForm* chartForm_ = nullptr; // not owned; lives as long as this window
    std::unique_ptr<TPrintDisplay> previewDisplay_;
    std::unique_ptr<TPrintPrompts> printPrompts_;
    QtPrompts* prompts_ = nullptr;
    std::vector<TCropColumn*> columns_;
    QHeaderView* header_ = nullptr;
    QStandardItemModel* headerModel_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QWidget* columnsHost_ = nullptr;
    QWidget* labelPanel_ = nullptr;
    QWidget* endMarker_ = nullptr;
    QLabel* titleLeft_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QTimer* timer_ = nullptr;
    bool syncing_ = false;
    bool built_ = false;
    bool blink_ = false;
};

} // namespace acremark
