#pragma once
// The comparison grid on screen: a table model that shows the text of TComparisonGrid, the
// delegate that draws each cell (colours per row and scenario, right-aligned text, the target
// sentences of rows 9 to 12) and edits the three targets, and the view `sgScenario` with its
// three fixed rows. The widgets hold no results: every text comes from the model.

#include "budget/comparison_grid.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>
#include <vector>

class QKeyEvent;

namespace acremark {

// Rows above the first figure: headings, hairline, descriptions.
inline constexpr int kFixedRows = Row(GridRow::CMMean);
inline constexpr int kFirstTargetRow = Row(GridRow::ChanceBelowTarget1),
                     kLastTargetRow = Row(GridRow::MarginAtChance);

// Whether (col, row) is one of the three editable targets.
inline bool IsTargetCell(int col, int row) {
    return col == 0 && row >= kFirstTargetRow && row <= kLastTargetRow;
}

// A row's label as column 0 shows it (RowSentence), with colours: its parts in Qt's strings.
struct ShownPart {
    QString text;
    SentencePart::Tone tone = SentencePart::Normal;
};
std::vector<ShownPart> LabelSentence(int row, const std::string& label,
                                     const NumberSeparators& sep);

// The key filter of the grid: while a target is edited only backspace, enter, "-", "." (and
// the locale's decimal separator when it is another character), and the digits are typed.
// Keys that move, delete or leave the editor pass; every other key is discarded.
bool AcceptedTargetKey(const QKeyEvent& event, QChar decimalSeparator);

class TComparisonGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // `results` (may be null) gives each scenario's iteration count for the tooltips that
    // state how precise a figure is.
    explicit TComparisonGridModel(const TComparisonGrid& grid,
                                  const ScenarioResults* results = nullptr,
                                  QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A committed target edit goes to TargetCommitted; the model itself is read-only.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Every cell may have changed (a run, clearing), or every scenario column (a target edit:
    // the open editor of the target keeps its text and cursor).
    void Refresh();
    void RefreshScenarios();

    const TComparisonGrid& Grid() const { return grid_; }
    std::function<void(int row, const QString& text)> TargetCommitted;

    // The Monte Carlo standard error of a scenario's chance (rows 9..11) or mean (rows 3 and 6),
    // as its tooltip states it; empty for any other cell or a scenario without results.
    QString PrecisionTip(int col, int row) const;

private:
    const TComparisonGrid& grid_;
    const ScenarioResults* results_;
};

class TComparisonGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TComparisonGridDelegate(const TComparisonGrid& grid, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

    // A figure of a scenario column as drawn in a cell this wide: "###" when it does not fit.
    static QString ShownFigure(const QFontMetrics& fm, const QString& text, int cellWidth);
    // A cut figure's tooltip gives it whole, over the model's tooltip (its precision).
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    QChar DecimalSeparator = QLatin1Char('.');
    // After each key released in a target's editor: the target row and the editor's text.
    std::function<void(int row, const QString& text)> TargetKeyUp;

    static const QColor kSelected;      // aqua
    static const QColor kLabelPurple;   // rows 3..5 of column 0
    static const QColor kLabelBlue;     // rows 6..8
    static const QColor kSentenceGreen; // row 9's sentence

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    const TComparisonGrid& grid_;
};

// `sgScenario`: 9 columns, 13 rows, rows 0..2 fixed. Sizes are given as the cell's own pixels;
// the grid line (1 pixel) comes on top, as in the grid's column and row size properties.
class TScenarioGridView : public QTableView {
    Q_OBJECT
public:
    explicit TScenarioGridView(QWidget* parent = nullptr);

    static constexpr int kDefaultRowHeight = 16;
    static constexpr int kLabelColWidth = 205;

    int CellWidth(int col) const { return columnWidth(col) - 1; }
    int CellHeight(int row) const { return rowHeight(row) - 1; }
    void SetCellWidth(int col, int width) { setColumnWidth(col, width + 1); }
    void SetCellHeight(int row, int height) { setRowHeight(row, height + 1); }

    QChar DecimalSeparator = QLatin1Char('.');

    // Typing never jumps to a cell by its text.
    void keyboardSearch(const QString&) override {}

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace acremark
