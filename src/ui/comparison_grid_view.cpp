#include "ui/comparison_grid_view.h"

#include "budget/risk_analytics.h"
#include "data/number_format.h"
#include "print/qt_text.h"
#include "results/scenario_colors.h"
#include "ui/fit_text.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QToolTip>

#include <algorithm>

namespace acremark {

std::vector<ShownPart> LabelSentence(int row, const std::string& label,
                                     const NumberSeparators& sep) {
    std::vector<ShownPart> parts;
    for (const auto& p : RowSentenceParts(GridRow(row), label, sep))
        parts.push_back({Q(p.text), p.tone});
    return parts;
}

bool AcceptedTargetKey(const QKeyEvent& event, QChar decimalSeparator) {
    switch (event.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    // Keys that move, delete or leave; they type nothing.
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
        return true;
    default:
        break;
    }
    // Paste and the like carry control characters or letters, so they end here too.
    const QString text = event.text();
    if (text.size() != 1) return false;
    const QChar c = text.front();
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') ||
           c == QLatin1Char('.') || c == decimalSeparator;
}

// ---- model ----

TComparisonGridModel::TComparisonGridModel(const TComparisonGrid& grid,
                                           const ScenarioResults* results, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), results_(results) {}

QString TComparisonGridModel::PrecisionTip(int col, int row) const {
    if (!results_ || col < 1 || col > kScenarioCount || !grid_.HasResults(col)) return {};
    const std::size_t n = std::size_t(std::max(0, (*results_)[size_t(col)].iterations));
    if (n == 0) return {};
    const GridRow r = GridRow(row);
    if (r == GridRow::ChanceBelowZero || r == GridRow::ChanceBelowTarget1 ||
        r == GridRow::ChanceBelowTarget2) {
        const auto p = grid_.Value(col, r);
        if (!p) return {};
        const double se = ChanceStandardError(std::clamp(*p / 100, 0.0, 1.0), n) * 100;
        return QStringLiteral("± %1% (Monte Carlo standard error)")
            .arg(Q(FormatFloat("0.00", se, grid_.separators)));
    }
    if (r == GridRow::CMMean || r == GridRow::GMMean) {
        const auto sd = grid_.Value(col, r == GridRow::CMMean ? GridRow::CMStd : GridRow::GMStd);
        if (!sd) return {};
        return QStringLiteral("± %1 (standard error of the mean)")
            .arg(Q(FormatFloat("$#,##0", MeanStandardError(*sd, n), grid_.separators)));
    }
    return {};
}

int TComparisonGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : TComparisonGrid::kRows;
}

int TComparisonGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : TComparisonGrid::kCols;
}

QVariant TComparisonGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const std::string text = grid_.Cell(index.column(), index.row());
    if (role == Qt::EditRole) return Q(text);
    if (role == Qt::ToolTipRole) {
        const QString tip = PrecisionTip(index.column(), index.row());
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    if (role == Qt::DisplayRole) {
        if (index.column() == 0)
            return Q(RowSentence(GridRow(index.row()), text, grid_.separators));
        return Q(text);
    }
    return {};
}

Qt::ItemFlags TComparisonGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    if (index.row() < kFixedRows) return Qt::ItemIsEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (IsTargetCell(index.column(), index.row())) f |= Qt::ItemIsEditable;
    return f;
}

bool TComparisonGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !IsTargetCell(index.column(), index.row())) return false;
    if (TargetCommitted) TargetCommitted(index.row(), value.toString());
    return true;
}

void TComparisonGridModel::Refresh() {
    emit dataChanged(index(0, 0), index(TComparisonGrid::kRows - 1, TComparisonGrid::kCols - 1));
}

void TComparisonGridModel::RefreshScenarios() {
    emit dataChanged(index(0, 1), index(TComparisonGrid::kRows - 1, TComparisonGrid::kCols - 1));
}

// ---- delegate ----

const QColor TComparisonGridDelegate::kSelected{0x00, 0xFF, 0xFF};
const QColor TComparisonGridDelegate::kLabelPurple{0x80, 0x00, 0x80};
const QColor TComparisonGridDelegate::kLabelBlue{0x00, 0x00, 0xFF};
const QColor TComparisonGridDelegate::kSentenceGreen{0x00, 0x80, 0x00};

TComparisonGridDelegate::TComparisonGridDelegate(const TComparisonGrid& grid, QObject* parent)
    : QStyledItemDelegate(parent), grid_(grid) {}

void TComparisonGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    const int row = index.row(), col = index.column();
    const QColor face = option.palette.color(QPalette::Button);
    QColor fill = row < kFixedRows ? face : QColor(Qt::white);
    if (option.state & QStyle::State_Selected) fill = kSelected;

    QColor normal = option.palette.color(QPalette::WindowText);
    if (col == 0 && row >= Row(GridRow::CMMean) && row <= Row(GridRow::CMVariation))
        normal = kLabelPurple;
    else if (col == 0 && row >= Row(GridRow::GMMean) && row <= Row(GridRow::GMVariation))
        normal = kLabelBlue;
    else if (col > 0)
        normal = ScenarioColor(col);

    painter->save();
    painter->setClipRect(option.rect);
    painter->fillRect(option.rect, fill);
    painter->setFont(option.font);
    const QFontMetrics fm(option.font);
    const std::string text = grid_.Cell(col, row);
    const auto parts =
        col == 0 ? LabelSentence(row, text, grid_.separators)
                 : std::vector<ShownPart>{{ShownFigure(fm, Q(text), option.rect.width())}};
    // Right to left, so the sentence ends 5 pixels inside the cell's right edge.
    int x = option.rect.x() + option.rect.width() - 5;
    const int baseline = option.rect.top() + fm.ascent();
    for (auto p = parts.rbegin(); p != parts.rend(); ++p) {
        x -= fm.horizontalAdvance(p->text);
        switch (p->tone) {
        case SentencePart::Normal:
            painter->setPen(normal);
            break;
        case SentencePart::Black:
            painter->setPen(Qt::black);
            break;
        case SentencePart::Red:
            painter->setPen(Qt::red);
            break;
        case SentencePart::Green:
            painter->setPen(kSentenceGreen);
            break;
        }
        painter->drawText(QPoint(x, baseline), p->text);
    }
    painter->restore();
}

QString TComparisonGridDelegate::ShownFigure(const QFontMetrics& fm, const QString& text,
                                             int cellWidth) {
    // The text ends 5 pixels inside the right edge; a pixel is left at the left edge.
    return FittedNumber(fm, text, cellWidth - 6);
}

bool TComparisonGridDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                        const QStyleOptionViewItem& option,
                                        const QModelIndex& index) {
    if (event && event->type() == QEvent::ToolTip && index.isValid() && index.column() > 0) {
        const QString text = QString::fromStdString(grid_.Cell(index.column(), index.row()));
        QStringList tip;
        if (ShownFigure(QFontMetrics(option.font), text, option.rect.width()) != text) tip << text;
        const QString precision = index.data(Qt::ToolTipRole).toString();
        if (!precision.isEmpty()) tip << precision;
        if (!tip.isEmpty()) {
            QToolTip::showText(event->globalPos(), tip.join(QLatin1Char('\n')), view);
            return true;
        }
        QToolTip::hideText();
        event->ignore();
        return false;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

QWidget* TComparisonGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                               const QModelIndex& index) const {
    if (!IsTargetCell(index.column(), index.row())) return nullptr;
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    edit->setFont(option.font);
    // No paste from a menu: only typed keys reach a target.
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    edit->setProperty("targetRow", index.row());
    return edit;
}

void TComparisonGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* edit = qobject_cast<QLineEdit*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    if (edit && edit->text() != text) edit->setText(text);
}

void TComparisonGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                           const QModelIndex& index) const {
    if (auto* edit = qobject_cast<QLineEdit*>(editor))
        model->setData(index, edit->text(), Qt::EditRole);
}

void TComparisonGridDelegate::updateEditorGeometry(QWidget* editor,
                                                   const QStyleOptionViewItem& option,
                                                   const QModelIndex&) const {
    editor->setGeometry(option.rect);
}

bool TComparisonGridDelegate::eventFilter(QObject* object, QEvent* event) {
    if (auto* edit = qobject_cast<QLineEdit*>(object)) {
        if (event->type() == QEvent::KeyPress &&
            !AcceptedTargetKey(*static_cast<QKeyEvent*>(event), DecimalSeparator))
            return true;
        if (event->type() == QEvent::KeyRelease && TargetKeyUp) {
            // A message about the text may take the focus and close the editor meanwhile.
            QPointer<QLineEdit> guard(edit);
            TargetKeyUp(edit->property("targetRow").toInt(), edit->text());
            if (!guard) return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

// ---- view ----

TScenarioGridView::TScenarioGridView(QWidget* parent) : QTableView(parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kDefaultRowHeight + 1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setShowGrid(true);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

QModelIndex TScenarioGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    QModelIndex next = QTableView::moveCursor(action, modifiers);
    if (!next.isValid() || next.row() >= kFixedRows) return next;
    // The fixed rows are never current: stop at the first row below them.
    if (action == MovePrevious) return currentIndex();
    return model()->index(kFixedRows, action == MoveNext ? 0 : next.column());
}

void TScenarioGridView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    if (at.isValid() && at.row() < kFixedRows) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void TScenarioGridView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    if (at.isValid() && at.row() < kFixedRows) {
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void TScenarioGridView::keyPressEvent(QKeyEvent* event) {
    // The key filter holds before the editor opens too: a key it discards does not start one.
    const QModelIndex cur = currentIndex();
    if (state() != EditingState && cur.isValid() && IsTargetCell(cur.column(), cur.row()) &&
        !event->text().isEmpty() && !AcceptedTargetKey(*event, DecimalSeparator)) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace acremark
