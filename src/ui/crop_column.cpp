#include "ui/crop_column.h"

#include "editor/crops.h"
#include "print/qt_text.h"
#include "ui/fit_text.h"
#include "ui/guarded.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>

namespace acremark {

QColor CellQColor(CellColor c, const QPalette& palette) {
    switch (c) {
    case CellColor::White:
        return Qt::white;
    case CellColor::Aqua:
        return QColor(0x00, 0xFF, 0xFF);
    case CellColor::Lime:
        return QColor(0x00, 0xFF, 0x00);
    case CellColor::Yellow:
        return QColor(0xFF, 0xFF, 0x00);
    case CellColor::Grey:
        return palette.color(QPalette::Button);
    }
    return Qt::white;
}

namespace {
void SetBackground(QWidget* w, const QColor& color) {
    QPalette p = w->palette();
    if (p.color(QPalette::Base) == color && p.color(QPalette::Button) == color) return;
    p.setColor(QPalette::Base, color);
    p.setColor(QPalette::Button, color);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

} // namespace

TCropColumn::TCropColumn(TCrops& crops, int fieldId, QWidget* parent)
    : QWidget(parent), crops_(crops), fieldId_(fieldId) {
    setObjectName(QString("Crop%1").arg(fieldId));
    for (const TFrameControl& c : FrameControls()) {
        QWidget* w = nullptr;
        switch (c.Kind) {
        case ControlKind::Edit:
        case ControlKind::ReadOnlyEdit: {
            auto* e = new QLineEdit(this);
            e->setFrame(true);
            e->setReadOnly(c.Kind == ControlKind::ReadOnlyEdit);
            if (c.Field != fDescription && c.Field != fUnit) e->setAlignment(Qt::AlignRight);
            connect(e, &QLineEdit::textEdited, this, [this, tag = c.Tag](const QString& t) {
                if (syncing_) return;
                Forward([&] { Frame().EditTextChanged(tag, t.toStdString()); });
            });
            w = e;
            break;
        }
        case ControlKind::Lookup: {
            auto* b = new QComboBox(this);
            b->setMaxVisibleItems(28);
            // A wheel notch neither focuses nor changes a list (the window scrolls instead).
            b->setFocusPolicy(Qt::StrongFocus);
            connect(b, qOverload<int>(&QComboBox::activated), this, [this, b, c](int index) {
                if (syncing_) return;
                typed_.clear();
                std::optional<int> code;
                if (index >= 0) code = b->itemData(index).toInt();
                Forward([&] {
                    TCropFrame& f = Frame();
                    if (c.Field == fCrop)
                        f.DBLookupComboBoxCropClick(code);
                    else if (c.Field == fSFI)
                        f.DBLookupComboBoxSFIClick(code);
                    else
                        f.DBLookupComboBoxCIClick(code);
                });
            });
            w = b;
            break;
        }
        case ControlKind::CheckBox: {
            auto* b = new QCheckBox(c.Tag == kTagInsurance ? "CI" : "SPE (N/A)", this);
            if (c.Tag == kTagInsurance)
                b->setCursor(Qt::PointingHandCursor);
            else {
                QFont small = b->font();
                small.setPointSizeF(small.pointSizeF() * 0.8);
                b->setFont(small);
            }
            connect(b, &QCheckBox::clicked, this, [this, tag = c.Tag](bool checked) {
                if (syncing_) return;
                Forward([&] {
                    if (tag == kTagInsurance)
                        Frame().DBCheckBoxCIClick(checked);
                    else
                        Frame().DBCheckBoxSPEClick(checked);
                });
            });
            w = b;
            break;
        }
        }
        w->setProperty("tag", c.Tag);
        w->setObjectName(QString("c%1_t%2").arg(fieldId).arg(c.Tag));
        w->installEventFilter(this);
        controls_[c.Tag] = w;
    }
    maltLabel_ = new QLabel("% chance of malt", this);
    maltLabel_->setObjectName("LabelMaltChance");
    maltLabel_->setWordWrap(true);
    maltLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    maltLabel_->hide();
    labelPoints_ = maltLabel_->font().pointSizeF();
    spePoints_ = controls_.at(kTagSPE)->font().pointSizeF();
    setFixedHeight(kColumnHeight);
    Layout();
}

TCropFrame& TCropColumn::Frame() {
    return crops_.Crop(fieldId_);
}

void TCropColumn::Forward(const std::function<void()>& body) {
    Guarded(&crops_.Prompter(), this, body);
    if (OnChanged) OnChanged();
}

bool TCropColumn::TypeAhead(int tag, const QString& text) {
    const bool fresh = typedTag_ != tag || !typedAt_.isValid() ||
                       typedAt_.elapsed() > QApplication::keyboardInputInterval();
    if (fresh) typed_.clear();
    // A space on its own opens the list, as it always has.
    if (typed_.isEmpty() && text == QLatin1String(" ")) return false;
    typed_ += text;
    typedTag_ = tag;
    typedAt_.start();
    Forward([&] { Frame().LookupTypeAhead(tag, typed_.toStdString()); });
    return true;
}

QWidget* TCropColumn::ControlWidget(int tag) const {
    auto it = controls_.find(tag);
    return it == controls_.end() ? nullptr : it->second;
}

void TCropColumn::resizeEvent(QResizeEvent*) {
    Layout();
    // What fits in a cell depends on its width.
    if (fieldId_ <= crops_.Count() && Frame().Shown()) Sync();
}

namespace {

// The largest font, from the widget's own size down to 6 points, at which `fits` holds; the
// smallest when none does.
void FitFont(QWidget* w, qreal basePoints, const std::function<bool(const QFont&)>& fits) {
    QFont font = w->font();
    qreal points = basePoints;
    for (; points > 6; points -= 0.5) {
        font.setPointSizeF(points);
        if (fits(font)) break;
    }
    font.setPointSizeF(std::max<qreal>(points, 6));
    if (w->font() != font) w->setFont(font);
}

} // namespace

void TCropColumn::Layout() {
    const int W = width();
    const bool malt = fieldId_ <= crops_.Count() && crops_.Crop(fieldId_).MaltLayout;
    const int half = W / 2 - 3;
    auto* ci = static_cast<QCheckBox*>(controls_.at(kTagInsurance));
    auto* spe = static_cast<QCheckBox*>(controls_.at(kTagSPE));
    // Rows 12 and 13 of a malt barley column share their cells: the CI box keeps what its
    // caption needs and the malt label takes the rest; the chance edit keeps room for "100"
    // and the SPE box takes the rest, so that both captions are read whole.
    const int ciWidth = std::min(ci->sizeHint().width(), half);
    const int chanceMin = fontMetrics().horizontalAdvance(QStringLiteral("100")) + 14;
    const int chanceWidth = std::max(std::min(half, W - 4 - spe->sizeHint().width()), chanceMin);
    for (auto& [tag, w] : controls_) {
        const int row = tag % 100;
        const int y = (row - 1) * kRowHeight;
        int x = 1, cw = W - 2;
        if (malt && (row == 9 || row == 10 || row == 11)) {
            // Malt and feed prices side by side.
            cw = half;
            if (tag > 100) x = half + 2;
        } else if (tag == kTagMaltChance) {
            cw = chanceWidth;
            x = W - 1 - cw;
        } else if (malt && tag == kTagInsurance) {
            cw = ciWidth;
        } else if (malt && tag == kTagSPE) {
            cw = W - 4 - chanceWidth;
        }
        w->setGeometry(x, y, std::max(10, cw), kRowHeight - 1);
    }
    const int labelLeft = 1 + ciWidth + 2;
    maltLabel_->setGeometry(labelLeft, 11 * kRowHeight, std::max(10, W - 1 - labelLeft),
                            kRowHeight - 1);
    if (!malt) {
        QFont f = spe->font();
        if (f.pointSizeF() != spePoints_) {
            f.setPointSizeF(spePoints_);
            spe->setFont(f);
        }
        return;
    }
    const QRect room = maltLabel_->contentsRect();
    FitFont(maltLabel_, labelPoints_, [&](const QFont& f) {
        return room.contains(QFontMetrics(f).boundingRect(
            room, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignVCenter, maltLabel_->text()));
    });
    FitFont(spe, spePoints_, [&](const QFont& f) {
        // The caption's width at that font, with the box's indicator and spacing.
        const int caption = QFontMetrics(f).horizontalAdvance(spe->text());
        return spe->sizeHint().width() - spe->fontMetrics().horizontalAdvance(spe->text()) +
                   caption <=
               spe->width();
    });
}

void TCropColumn::FillLookup(QComboBox* box, int field) {
    const TdmRisk& dm = crops_.Dm();
    std::vector<std::pair<int, QString>> items;
    if (field == fCrop) {
        for (const TCropRow* r : dm.FilteredCrops())
            items.emplace_back(r->Code, Q(r->CropName) + "  " + Q(r->Unit));
    } else if (field == fSFI) {
        for (const TCodeRow* r : dm.FilteredPractices())
            items.emplace_back(r->Code, Q(r->Description));
    } else {
        for (const TCodeRow& r : dm.Ref().cdsCLevel.Rows())
            items.emplace_back(r.Code, Q(r.Description));
    }
    bool same = box->count() == int(items.size());
    for (int i = 0; same && i < box->count(); ++i)
        same = box->itemData(i).toInt() == items[size_t(i)].first;
    if (same) return;
    box->clear();
    for (const auto& [code, text] : items)
        box->addItem(text, code);
}

void TCropColumn::SyncLookup(QComboBox* box, int tag) {
    const TFrameControl* c = FrameControlByTag(tag);
    FillLookup(box, c->Field);
    int index = -1;
    // A type-ahead pick shows before it is chosen.
    if (auto code = Frame().LookupCode(tag)) index = box->findData(*code);
    if (box->currentIndex() != index) box->setCurrentIndex(index);
    // A value the list does not offer shows as the model shows it.
    box->setPlaceholderText(Q(Frame().CellText(tag)));
}

void TCropColumn::Sync() {
    TCropFrame& f = Frame();
    syncing_ = true;
    const QSignalBlocker block(this);
    setVisible(f.Shown());
    if (!f.Shown()) {
        syncing_ = false;
        return;
    }
    setEnabled(f.Enabled);
    Layout();
    maltLabel_->setVisible(f.MaltLayout);
    const auto focus = crops_.Focus;
    for (auto& [tag, w] : controls_) {
        const bool visible = f.ControlVisible(tag);
        w->setVisible(visible);
        if (!visible) continue;
        const TControlState& s = f.Control(tag);
        w->setEnabled(s.Enabled);
        SetBackground(w, CellQColor(f.DrawnColor(tag), palette()));
        const TFrameControl* c = FrameControlByTag(tag);
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            const bool focused = focus && focus->Column == fieldId_ && focus->Tag == tag;
            const QString text = Q(focused ? f.EditText(tag) : f.CellText(tag));
            const bool number = c->Field != fDescription && c->Field != fUnit;
            ShowFitted(e, text, number, focused);
            // The edit holding the focus shows its text bold and blue.
            QPalette p = e->palette();
            const QColor ink = focused ? QColor(Qt::blue) : QColor(Qt::black);
            if (p.color(QPalette::Text) != ink) {
                p.setColor(QPalette::Text, ink);
                e->setPalette(p);
                QFont font = e->font();
                font.setBold(focused);
                e->setFont(font);
            }
        } else if (auto* b = qobject_cast<QComboBox*>(w)) {
            SyncLookup(b, tag);
        } else if (auto* b = qobject_cast<QCheckBox*>(w)) {
            const bool on = f.Record().AsBoolean(c->Field);
            if (b->isChecked() != on) b->setChecked(on);
        }
    }
    syncing_ = false;
}

void TCropColumn::ShowFitted(QLineEdit* e, const QString& text, bool number, bool focused) {
    QString shown = text;
    QString tip;
    if (!focused) {
        const int frame =
            e->hasFrame() ? 2 * e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e)
                          : 0;
        // The line edit keeps 2 pixels of margin each side inside its frame.
        const int room =
            e->width() - frame - 4 - e->textMargins().left() - e->textMargins().right();
        if (!FitsIn(e->fontMetrics(), text, room)) {
            tip = text;
            if (number) shown = FittedNumber(e->fontMetrics(), text, room);
        }
    }
    if (e->text() != shown) e->setText(shown);
    if (number && !focused) e->setCursorPosition(0);
    if (e->toolTip() != tip) e->setToolTip(tip);
}

bool TCropColumn::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && !syncing_) {
        const int tag = watched->property("tag").toInt();
        if (tag > 0 && OnFocusIn) OnFocusIn(fieldId_, tag);
    } else if (event->type() == QEvent::KeyPress && !syncing_) {
        auto* box = qobject_cast<QComboBox*>(watched);
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool printable = text.size() == 1 && text.front().isPrint() &&
                               !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (box && printable && !(box->view() && box->view()->isVisible())) {
            const int tag = watched->property("tag").toInt();
            if (TypeAhead(tag, text)) return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace acremark
