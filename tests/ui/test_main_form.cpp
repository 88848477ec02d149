// The main window driven as a user drives it, offscreen, on the carried reference tables.
#include "data/risk_data.h"
#include "editor/scripted_prompts.h"
#include "print/print_object.h"
#include "report_recorder.h"
#include "results/sim_chart.h"
#include "ui/chart_form.h"
#include "ui/crop_column.h"
#include "ui/ini_settings.h"
#include "ui/main_form.h"
#include "ui/malt_barley_dialog.h"
#include "ui/risk_ranking_form.h"
#include "ui/seed_dialog.h"
#include "ui/spin_gauge.h"
#include "ui/status_bar_widget.h"
#include "ui/welcome_form.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <limits>
#include <stdexcept>

using namespace acremark;

namespace {

// Scripted answers, and a file dialog that can fail as a broken platform dialog would.
struct TestPrompts : ScriptedPrompts {
    std::string FileDialogFault;
    std::optional<std::string> OpenFileName(const std::string& filter,
                                            const std::string& fileName) override {
        if (!FileDialogFault.empty()) throw std::runtime_error(FileDialogFault);
        return ScriptedPrompts::OpenFileName(filter, fileName);
    }
    std::optional<std::string> SaveFileName(const std::string& filter,
                                            const std::string& fileName) override {
        if (!FileDialogFault.empty()) throw std::runtime_error(FileDialogFault);
        return ScriptedPrompts::SaveFileName(filter, fileName);
    }
};

struct Window {
    TestPrompts prompts;
    MemorySettings settings{true};
    AnsweredWelcome welcome;
    TMainSession session{prompts, settings, welcome, "/tmp/acremark-ui-test/acremark"};
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TSimChart> chart;
    std::unique_ptr<TChartForm> chartForm;

    Window() {
        session.DataModuleCreate(std::string(ACREMARK_BINARY_DIR) + "/refdata");
        session.RunSeed = 99;
        form = std::make_unique<TMainForm>(session);
        chart = std::make_unique<TSimChart>(session.Runs.Results());
        chartForm = std::make_unique<TChartForm>(session.Runs, *chart);
        chartForm->prompts = &prompts;
        form->SetChartForm(chartForm.get());
        form->resize(1200, 800);
        form->show();
        // Keys go to the focused widget of the active window.
        QApplication::setActiveWindow(form.get());
        form->FirstShow();
    }
    QWidget* Cell(int column, int tag) { return form->Column(column)->ControlWidget(tag); }
    QLineEdit* Edit(int column, int tag) { return qobject_cast<QLineEdit*>(Cell(column, tag)); }
    void Type(QLineEdit* e, const QString& text) {
        e->setFocus();
        QTest::keyClicks(e, text);
    }
    void Location(int t, int r, int m) {
        Type(form->DBEditLocation[0], QString::number(t));
        Type(form->DBEditLocation[1], QString::number(r));
        Type(form->DBEditLocation[2], QString::number(m));
    }
    void ChooseCrop(int column, int code) {
        auto* box = qobject_cast<QComboBox*>(Cell(column, 3));
        const int index = box->findData(code);
        ASSERT_GE(index, 0) << "crop " << code << " not offered";
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    void Save(const char* name) {
        QImage img = form->grab().toImage();
        img.save(QString(ACREMARK_BINARY_DIR) + "/" + name);
    }
    // Two fields that a run accepts: feed barley and another crop, acres, yields and prices.
    void TwoRunnableFields() {
        for (auto [column, code] : {std::pair{1, 2}, std::pair{2, 28}}) {
            ChooseCrop(column, code);
            const char* values[] = {"100", "20", "60", "40", "6", "10", "8"};
            const int tags[] = {2, 6, 7, 8, 9, 10, 11};
            for (int i = 0; i < 7; ++i) {
                Edit(column, tags[i])->setFocus();
                Edit(column, tags[i])->selectAll();
                QTest::keyClicks(Edit(column, tags[i]), values[i]);
            }
        }
    }
    // Whether the whole control lies inside the columns' visible area.
    bool WhollyVisible(QWidget* control) const {
        QWidget* viewport = form->ScrollBox()->viewport();
        const QRect r(control->mapTo(viewport, QPoint(0, 0)), control->size());
        return viewport->rect().contains(r);
    }
};

// One notch of the mouse wheel over a widget, downwards.
void WheelNotch(QWidget* w) {
    const QPointF pos(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent wheel(pos, w->mapToGlobal(pos), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &wheel);
}

} // namespace

TEST(MainForm, StartsWithTwoEmptyFieldsAndTheLocationRule) {
    Window w;
    EXPECT_EQ(w.form->windowTitle(), "Acremark$ (Version 5.50 - March 26, 2023)");
    EXPECT_TRUE(w.form->Column(1)->isVisible());
    EXPECT_TRUE(w.form->Column(2)->isVisible());
    EXPECT_FALSE(w.form->Column(3)->isVisible());
    auto* hm = w.form->Header()->model();
    EXPECT_EQ(hm->headerData(0, Qt::Horizontal).toString(), "Field # 1");
    EXPECT_EQ(hm->headerData(2, Qt::Horizontal).toString(), "Add field #3");

    w.Location(1, 1, 4);
    EXPECT_EQ(w.form->ComboBoxSoilType->currentText(), "Brown");
    EXPECT_TRUE(w.form->ComboBoxSoilType->isEnabled());
    EXPECT_EQ(w.form->ComboBoxRiskArea->currentIndex(), 3);
    EXPECT_TRUE(w.Cell(1, 2)->isEnabled());

    // An unknown location: the warning, and the columns cannot be edited.
    w.form->DBEditLocation[0]->setFocus();
    w.form->DBEditLocation[0]->selectAll();
    QTest::keyClicks(w.form->DBEditLocation[0], "112");
    w.form->DBEditLocation[1]->setFocus();
    w.form->DBEditLocation[1]->selectAll();
    QTest::keyClicks(w.form->DBEditLocation[1], "30");
    ASSERT_FALSE(w.prompts.Shown.empty());
    EXPECT_EQ(w.prompts.Shown.back().caption, "Warning") << w.prompts.Shown.back().text;
    EXPECT_FALSE(w.form->Column(1)->isEnabled());
    EXPECT_FALSE(w.form->ComboBoxSoilType->isEnabled());
}

TEST(MainForm, CropDefaultsTotalsWhileTypingHeaderClicksAndArrows) {
    Window w;
    w.Location(1, 1, 4);
    w.ChooseCrop(1, 2); // feed barley on stubble, brown soil: the quoted profile
    EXPECT_EQ(w.Edit(1, 5)->text(), "bushels");
    EXPECT_EQ(w.Edit(1, 16)->text(), "28.85");
    const QString before = w.Edit(1, 30)->text();
    w.Edit(1, 17)->setFocus();
    w.Edit(1, 17)->selectAll();
    QTest::keyClicks(w.Edit(1, 17), "100");
    EXPECT_NE(w.Edit(1, 30)->text(), before); // B follows the typed text at once
    EXPECT_EQ(w.session.Crops.Crop(1).Record().AsFloat(fB2), 122.9); // not stored yet

    // Down stores the text and moves to the next row.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(w.session.Crops.Crop(1).Record().AsFloat(fB2), 100.0);
    EXPECT_EQ(QApplication::focusWidget(), w.Cell(1, 18));

    // Right moves to the same row of the next column, and wraps after the last shown one.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), w.Cell(2, 18));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), w.Cell(1, 18));

    // A header click on column 5 adds fields 3 to 5.
    emit w.form->Header()->sectionClicked(4);
    for (int k = 3; k <= 5; ++k)
        EXPECT_TRUE(w.form->Column(k)->isVisible()) << k;
    EXPECT_FALSE(w.form->Column(6)->isVisible());

    // Letters in the acres edit are refused with the field's message when the edit is left.
    w.Type(w.Edit(2, 2), "abc");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    ASSERT_FALSE(w.prompts.Shown.empty());
    EXPECT_EQ(w.prompts.Shown.back().text,
              "'abc' is not a valid floating point value for field 'Acres'");
}

TEST(MainForm, IterationChoiceRunsAndTheStatusBarFollows) {
    Window w;
    w.Location(1, 1, 4);
    w.TwoRunnableFields();
    QTest::mouseClick(w.form->RadioGroupIteration[0], Qt::LeftButton);
    EXPECT_EQ(w.session.Iterations(), 1000);
    EXPECT_EQ(w.session.StatusBar1.Panels[0], "1");
    EXPECT_EQ(w.session.StatusBar1.Panels[2].rfind("Time:", 0), 0u);
    EXPECT_TRUE(w.session.Runs.Grid().HasResults(1));
    EXPECT_TRUE(w.chartForm->isVisible());
    EXPECT_FALSE(w.session.Crops.Crop(1).Record().IsNull(fGM));
    w.Save("main_form_after_run.png");

    // The spectral bar: at 42 % of a 200 pixel panel, 84 columns are painted.
    w.session.StatusBar1.Tag = 42;
    w.form->StatusBar1->resize(410, 22);
    QImage panel = w.form->StatusBar1->RenderPanel2();
    EXPECT_NE(panel.pixelColor(10, 5), QColor(Qt::white));
    EXPECT_EQ(panel.pixelColor(panel.width() - 2, 5), QColor(Qt::white));
}

TEST(MainForm, TheSameRandomNumbersForEveryScenarioMakeTwoRunsIdentical) {
    Window w;
    w.session.RunSeed.reset(); // runs take the clock unless the option gives a seed
    w.Location(1, 1, 4);
    w.TwoRunnableFields();
    QAction* option = w.form->ActionCommonSeed;
    QAction* seedItem = w.form->ActionSeed;
    ASSERT_TRUE(option && seedItem);
    EXPECT_EQ(option->text(), "Use the same random numbers for every scenario");
    EXPECT_EQ(seedItem->text(), "Random number seed…");
    EXPECT_TRUE(w.form->PopupMenu1->actions().contains(option));
    EXPECT_TRUE(option->isCheckable());
    EXPECT_FALSE(option->isChecked()) << "off by default";
    EXPECT_FALSE(seedItem->isEnabled());

    std::vector<uint32_t> offered;
    std::optional<uint32_t> answer; // cancelled
    w.form->AskSeed = [&](uint32_t seed) {
        offered.push_back(seed);
        return answer;
    };
    // Cancelling the dialog leaves the option off.
    option->trigger();
    EXPECT_EQ(offered.size(), 1u);
    EXPECT_FALSE(w.session.CommonSeed());
    EXPECT_FALSE(option->isChecked());
    EXPECT_FALSE(seedItem->isEnabled());

    answer = 3000000000u; // above the largest int: the whole 32-bit range is a seed
    option->trigger();
    ASSERT_EQ(w.session.CommonSeed(), std::optional<uint32_t>(3000000000u));
    EXPECT_TRUE(option->isChecked());
    EXPECT_TRUE(seedItem->isEnabled());
    w.form->PopupMenu1->grab().toImage().save(QString(ACREMARK_BINARY_DIR) +
                                              "/main_form_menu_common_seed.png");

    // Two runs of the scenario give the same grid, with the seed in the time panel.
    auto column = [&] {
        std::vector<std::string> texts;
        for (int row = 3; row <= 12; ++row)
            texts.push_back(w.session.Runs.Grid().Cell(1, row));
        return texts;
    };
    QTest::mouseClick(w.form->RadioGroupIteration[0], Qt::LeftButton); // runs 1000 iterations
    ASSERT_TRUE(w.session.Runs.Grid().HasResults(1));
    const auto first = column();
    EXPECT_EQ(w.session.Runs.Result(1).seed, 3000000000u);
    EXPECT_NE(w.session.StatusBar1.Panels[2].find("seed 3000000000"), std::string::npos)
        << w.session.StatusBar1.Panels[2];
    w.form->BitBtn1Click();
    EXPECT_EQ(column(), first);

    // "Random number seed…" offers the current seed and changes it; the runs follow.
    answer = 17u;
    seedItem->trigger();
    EXPECT_EQ(offered.back(), 3000000000u);
    EXPECT_EQ(w.session.CommonSeed(), std::optional<uint32_t>(17u));
    w.form->BitBtn1Click();
    EXPECT_EQ(w.session.Runs.Result(1).seed, 17u);
    EXPECT_NE(column(), first);

    // Switching it off sets none, without a question.
    option->trigger();
    EXPECT_EQ(offered.size(), 3u);
    EXPECT_FALSE(w.session.CommonSeed());
    EXPECT_FALSE(option->isChecked());
    EXPECT_FALSE(seedItem->isEnabled());
}

TEST(SeedDialog, ShowsTheSeedDrawsANewOneAndTakesOnlyWholeNumbersInRange) {
    TSeedDialog dialog(1234, [] { return 4000000001u; });
    EXPECT_EQ(dialog.EditSeed->text(), "1234");
    EXPECT_EQ(dialog.Seed(), std::optional<uint32_t>(1234u));
    dialog.BitBtnNewSeed->click();
    EXPECT_EQ(dialog.EditSeed->text(), "4000000001");
    EXPECT_EQ(dialog.Seed(), std::optional<uint32_t>(4000000001u));
    struct Case {
        const char* typed;
        const char* shown;
        std::optional<uint32_t> seed;
    };
    const Case cases[] = {{"0", "0", 0u},
                          {"4294967295", "4294967295", 4294967295u},
                          {"4294967296", "4294967296", std::nullopt},
                          {"12a-3", "123", 123u},
                          {"", "", std::nullopt}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        dialog.EditSeed->clear();
        QTest::keyClicks(dialog.EditSeed, c.typed);
        EXPECT_EQ(dialog.EditSeed->text(), c.shown);
        EXPECT_EQ(dialog.Seed(), c.seed);
        EXPECT_EQ(dialog.BitBtnOK->isEnabled(), c.seed.has_value());
    }
    dialog.EditSeed->setText("99");
    dialog.grab().toImage().save(QString(ACREMARK_BINARY_DIR) + "/seed_dialog.png");
    dialog.BitBtnCancel->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(MainForm, TheRiskRankingWindowFollowsARealRunAndExportsItsIterations) {
    Window w;
    w.Location(1, 1, 4);
    w.TwoRunnableFields();
    QTest::mouseClick(w.form->RadioGroupIteration[0], Qt::LeftButton); // 1000 iterations
    ASSERT_TRUE(w.session.Runs.Grid().HasResults(1));
    w.chartForm->BitBtnRiskRanking->click();
    TRiskRankingForm* ranking = w.chartForm->RiskRanking;
    ASSERT_TRUE(ranking->isVisible());
    EXPECT_EQ(ranking->Ranking(), std::vector<int>{1});
    EXPECT_EQ(ranking->LastRunScenario(), 1);
    // Both fields are charted, the largest correlation on top.
    const auto& rows = ranking->ChartTornado->Rows();
    ASSERT_EQ(rows.size(), 2u);
    auto size = [](const FieldSensitivity& f) {
        return std::max(std::abs(f.yieldR), std::abs(f.priceR));
    };
    EXPECT_GE(size(rows[0]), size(rows[1]));
    EXPECT_GT(rows[0].yieldR, 0) << "more yield, more margin";

    // The next run (another iteration count) is what the shown window exports.
    QTest::mouseClick(w.form->RadioGroupIteration[1], Qt::LeftButton);
    const int n = w.session.Runs.Result(1).iterations;
    ASSERT_NE(n, 1000);
    QTemporaryDir dir;
    const QString file = dir.filePath("run.csv");
    w.prompts.FileNames.push_back(file.toStdString());
    ranking->BitBtnExport->click();
    QFile csv(file);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    int data = 0;
    for (const QByteArray& line : csv.readAll().split('\n'))
        if (!line.trimmed().isEmpty() && !line.startsWith('#')) ++data;
    EXPECT_EQ(data, 1 + n) << "a heading and one line per iteration";
    QImage picture = ranking->grab().toImage();
    picture.save(QString(ACREMARK_BINARY_DIR) + "/risk_ranking_after_run.png");
}

TEST(MainForm, ClosingAsksAndCancelKeepsTheWindow) {
    Window w;
    w.prompts.YesNoCancelAnswers = {PromptAnswer::Cancel, PromptAnswer::Yes};
    w.prompts.FileNames = {std::nullopt}; // the save dialog cancelled
    EXPECT_FALSE(w.form->close());
    EXPECT_EQ(w.prompts.Shown.back().text, "Do you want to save the input data?");
    EXPECT_FALSE(w.form->close()); // Yes, then a cancelled save dialog: the window stays
    w.prompts.YesNoCancelAnswers = {PromptAnswer::No};
    EXPECT_TRUE(w.form->close());
}

TEST(MaltDialog, KeysMoveByTagAndClosingStoresTheChance) {
    ScriptedPrompts prompts;
    TMaltBarleyForm form(prompts);
    FieldRecord r;
    r.Set(fCrop, int64_t(kMaltBarleyCrop));
    TMaltBarleyDialog dialog;
    form.FormShow(r);
    EXPECT_EQ(form.SpinValue, 100); // a blank chance starts at 100
    QTimer::singleShot(0, [&] {
        QApplication::setActiveWindow(&dialog);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up); // from 1 to the chance (7)
        EXPECT_EQ(form.FocusTag, 7);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left); // stays
        EXPECT_EQ(form.FocusTag, 7);
        dialog.BMSpinEdit1->setValue(35);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down); // to 1
        QTest::keyClicks(QApplication::focusWidget(), "9.5");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right); // to 4
        EXPECT_EQ(form.FocusTag, 4);
        dialog.grab().save(QString(ACREMARK_BINARY_DIR) + "/malt_dialog.png");
        dialog.ButtonClose->click();
    });
    dialog.Execute(form);
    EXPECT_EQ(r.AsFloat(fMaltBarley), 35);
    EXPECT_EQ(r.AsFloat(fPriceLow), 9.5);
}

TEST(WelcomeForm, ResumeAfterTheFirstShowingAndTheCheckBox) {
    TWelcomeForm form;
    QTimer::singleShot(0, [&] {
        form.grab().save(QString(ACREMARK_BINARY_DIR) + "/welcome_form.png");
        form.CheckBoxNotShow->setChecked(true);
        form.ButtonStart->click();
    });
    EXPECT_TRUE(form.ShowModal("Acremark$ (Version 5.50 - March 26, 2023)"));
    EXPECT_EQ(form.windowTitle(), "Acremark$ (Version 5.50 - March 26, 2023)");
    EXPECT_EQ(form.ButtonStart->text(), "Resume");
}

TEST(MainForm, AWheelNotchOverAClosedDropDownScrollsInsteadOfChoosing) {
    Window w;
    w.Location(1, 1, 4);
    w.ChooseCrop(1, 2);
    qobject_cast<QCheckBox*>(w.Cell(1, kTagInsurance))->click(); // the level list is enabled
    ASSERT_TRUE(w.Cell(1, kTagCoverageLevel)->isEnabled());
    auto levels = qobject_cast<QComboBox*>(w.Cell(1, kTagCoverageLevel));
    levels->setCurrentIndex(1);
    emit levels->activated(1);
    const FieldRecord before = w.session.Crops.Crop(1).Record();
    const int soil = w.session.SoilZoneIndex();
    const size_t messages = w.prompts.Shown.size();
    QScrollBar* bar = w.form->ScrollBox()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the window must be short enough to scroll the columns";

    struct Case {
        const char* name;
        QComboBox* box;
        bool focused; // the wheel changes nothing even while the list holds the focus
    };
    const Case cases[] = {
        {"crop", qobject_cast<QComboBox*>(w.Cell(1, 3)), false},
        {"crop with focus", qobject_cast<QComboBox*>(w.Cell(1, 3)), true},
        {"practice", qobject_cast<QComboBox*>(w.Cell(1, 4)), false},
        {"coverage level", levels, false},
        {"soil type", w.form->ComboBoxSoilType, false},
        {"scenario", w.form->ComboBoxScenario, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.box, nullptr);
        if (c.focused) c.box->setFocus();
        bar->setValue(0);
        const int index = c.box->currentIndex();
        WheelNotch(c.box);
        EXPECT_EQ(c.box->currentIndex(), index);
        EXPECT_GT(bar->value(), 0) << "the notch scrolls the columns";
        EXPECT_TRUE(w.session.Crops.Crop(1).Record() == before);
        EXPECT_EQ(w.session.CurrentScenario(), 1);
        EXPECT_EQ(w.session.SoilZoneIndex(), soil);
        EXPECT_EQ(w.prompts.Shown.size(), messages); // no question, no malt dialog
        if (!c.focused) {
            EXPECT_FALSE(c.box->hasFocus()) << "the wheel gives no focus";
        }
    }
}

TEST(MainForm, EveryFocusMoveShowsTheWholeCell) {
    Window w;
    w.Location(1, 1, 4);
    emit w.form->Header()->sectionClicked(31); // 32 fields
    ASSERT_TRUE(w.form->Column(32)->isVisible());
    QScrollBar* across = w.form->ScrollBox()->horizontalScrollBar();
    // Where the last row label stands beside its cells, before anything scrolls.
    auto labelOffset = [&] {
        return w.form->RowLabels[38]->mapTo(w.form.get(), QPoint(0, 0)).y() -
               w.Cell(5, 38)->mapTo(w.form.get(), QPoint(0, 0)).y();
    };
    const int offset = labelOffset();
    auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };

    // Right from the last field wraps to the first, at the far left.
    w.Edit(32, 2)->setFocus();
    ASSERT_EQ(w.session.Crops.Focus, (TCellPos{32, 2}));
    EXPECT_TRUE(w.WhollyVisible(w.Cell(32, 2)));
    press(Qt::Key_Right);
    ASSERT_EQ(QApplication::focusWidget(), w.Cell(1, 2));
    EXPECT_TRUE(w.WhollyVisible(w.Cell(1, 2)));
    w.Save("main_form_right_wrap.png");

    // Left, field by field, from field 13 down to field 1 and round to field 32.
    w.Edit(13, 2)->setFocus();
    for (int k = 12; k >= 0; --k) {
        press(Qt::Key_Left);
        const int column = k == 0 ? 32 : k;
        SCOPED_TRACE(column);
        ASSERT_EQ(QApplication::focusWidget(), w.Cell(column, 2));
        EXPECT_TRUE(w.WhollyVisible(w.Cell(column, 2)));
        // The header follows the columns.
        EXPECT_EQ(w.form->Header()->offset(), across->value());
        if (column == 2) w.Save("main_form_left_to_field_2.png");
    }

    // Down from the last row wraps to the first, Up from the first to the last.
    w.Edit(5, 38)->setFocus();
    EXPECT_TRUE(w.WhollyVisible(w.Cell(5, 38)));
    EXPECT_GT(w.form->ScrollBox()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(labelOffset(), offset) << "the row labels follow the columns";
    press(Qt::Key_Down);
    ASSERT_EQ(QApplication::focusWidget(), w.Cell(5, 1));
    EXPECT_TRUE(w.WhollyVisible(w.Cell(5, 1)));
    press(Qt::Key_Up);
    ASSERT_EQ(QApplication::focusWidget(), w.Cell(5, 38));
    EXPECT_TRUE(w.WhollyVisible(w.Cell(5, 38)));

    // A click on a cell the area shows only in part brings it whole into view.
    across->setValue(0);
    QWidget* half = nullptr;
    for (int k = 1; k <= 32 && !half; ++k) {
        QWidget* cell = w.Cell(k, 7);
        const int left = cell->mapTo(w.form->ScrollBox()->viewport(), QPoint(0, 0)).x();
        if (left < w.form->ScrollBox()->viewport()->width() &&
            left + cell->width() > w.form->ScrollBox()->viewport()->width())
            half = cell;
    }
    ASSERT_NE(half, nullptr);
    QTest::mouseClick(half, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(QApplication::focusWidget(), half);
    EXPECT_TRUE(w.WhollyVisible(half));
}

TEST(MainForm, TypeAheadShowsItsPickAndChoosesOnceWhenTheBoxIsLeft) {
    // The letters arrive faster than any interval; this makes that sure on a loaded machine.
    const int interval = QApplication::keyboardInputInterval();
    QApplication::setKeyboardInputInterval(60000);
    Window w;
    w.Location(1, 1, 4);
    auto* box = qobject_cast<QComboBox*>(w.Cell(1, 3));
    box->setFocus();
    QTest::keyClicks(box, "barley_m");
    EXPECT_TRUE(w.session.Crops.Crop(1).Record().IsNull(fCrop)) << "nothing chosen yet";
    EXPECT_TRUE(w.session.Crops.Crop(1).Record().IsNull(fUnit));
    EXPECT_EQ(box->currentData().toInt(), kMaltBarleyCrop);
    EXPECT_TRUE(w.Edit(1, 5)->text().isEmpty()) << "no values of a crop passed on the way";
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(w.session.Crops.Crop(1).Record().AsInteger(fCrop), kMaltBarleyCrop);
    EXPECT_EQ(w.Edit(1, 5)->text(), "bushels");
    EXPECT_TRUE(w.Cell(1, 109)->isVisible()) << "the malt layout";
    QApplication::setKeyboardInputInterval(interval);
}

TEST(MainForm, AFigureTooWideForItsCellShowsHashesAndItsTooltip) {
    Window w;
    w.Location(1, 1, 4);
    w.Type(w.Edit(1, 2), "100000000000000000000"); // 1e20 acres
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(w.session.Crops.Crop(1).Record().AsFloat(fAcres), 1e20);
    EXPECT_EQ(w.Edit(1, 2)->text(), "###");
    EXPECT_EQ(w.Edit(1, 2)->toolTip(), "100,000,000,000,000,000,000");
    // Typing in it again shows the number itself.
    w.Edit(1, 2)->setFocus();
    EXPECT_EQ(w.Edit(1, 2)->text(), "100000000000000000000");
    // A figure that fits shows as it is.
    w.Type(w.Edit(2, 2), "160");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(w.Edit(2, 2)->text(), "160");
    EXPECT_TRUE(w.Edit(2, 2)->toolTip().isEmpty());
}

TEST(MainForm, TheMaltColumnsLabelsFitTheirCells) {
    Window w;
    w.Location(1, 1, 4);
    w.ChooseCrop(1, kMaltBarleyCrop);
    auto* label = w.form->Column(1)->findChild<QLabel*>("LabelMaltChance");
    ASSERT_NE(label, nullptr);
    ASSERT_TRUE(label->isVisible());
    EXPECT_EQ(label->text(), "% chance of malt");
    const QRect need =
        QFontMetrics(label->font())
            .boundingRect(label->contentsRect(), Qt::TextWordWrap | Qt::AlignLeft, label->text());
    EXPECT_TRUE(label->contentsRect().contains(need)) << need.width() << "x" << need.height();
    auto* spe = qobject_cast<QCheckBox*>(w.Cell(1, kTagSPE));
    EXPECT_EQ(spe->text(), "SPE (N/A)");
    EXPECT_LE(spe->sizeHint().width(), spe->width());
    // Nothing overlaps: the malt label stands right of the CI box, the chance edit right of SPE.
    EXPECT_LE(w.Cell(1, kTagInsurance)->geometry().right(), label->geometry().left());
    EXPECT_LE(spe->geometry().right(), w.Cell(1, kTagMaltChance)->geometry().left());
    w.Save("main_form_malt_column.png");
}

TEST(MainForm, AFileNamedAtStartThatDoesNotExistYetIsTakenAsTheFarmsName) {
    Window w;
    QTemporaryDir dir;
    const QString name = dir.filePath("North quarter.crs");
    w.form->OpenAtStart(name);
    EXPECT_TRUE(w.form->windowTitle().contains("North quarter.crs ("))
        << w.form->windowTitle().toStdString();
    EXPECT_EQ(w.form->PanelFileName->text(), "North quarter");
    ASSERT_FALSE(w.prompts.Shown.empty());
    EXPECT_EQ(w.prompts.Shown.back(),
              (PromptRecord{"Information", name.toStdString() +
                                               " does not exist yet; it will be created when "
                                               "you save."}));
    // The first Save offers that very file, and writes it.
    w.prompts.FileNames = {name.toStdString()};
    QTest::mouseClick(w.form->BitBtnSave, Qt::LeftButton);
    EXPECT_EQ(w.prompts.FileDialogPresets.back(), name.toStdString());
    EXPECT_TRUE(QFile::exists(name));
}

TEST(MainForm, TheFileDialogsStartInTheFarmsFolderElseTheLastOneElseTheDocuments) {
    Window w;
    QTemporaryDir docs, last;
    w.session.DocumentsFolder = docs.path().toStdString();
    w.prompts.FileNames = {std::nullopt, std::nullopt};
    QTest::mouseClick(w.form->BitBtnSave, Qt::LeftButton);
    QTest::mouseClick(w.form->BitBtnOpen, Qt::LeftButton);
    ASSERT_EQ(w.prompts.FileDialogPresets.size(), 2u);
    EXPECT_EQ(w.prompts.FileDialogPresets[0], docs.filePath("Farm plan.crs").toStdString());
    EXPECT_EQ(w.prompts.FileDialogPresets[1], docs.path().toStdString());

    w.settings.SetLastFolder(last.path().toStdString());
    w.prompts.FileNames = {std::nullopt};
    QTest::mouseClick(w.form->BitBtnSave, Qt::LeftButton);
    EXPECT_EQ(w.prompts.FileDialogPresets.back(), last.filePath("Farm plan.crs").toStdString());

    // Once saved, the farm's own file; the folder is remembered for the next program run.
    w.prompts.FileNames = {docs.filePath("farm.crs").toStdString(), std::nullopt};
    QTest::mouseClick(w.form->BitBtnSave, Qt::LeftButton);
    EXPECT_EQ(w.settings.LastFolder(), docs.path().toStdString());
    QTest::mouseClick(w.form->BitBtnOpen, Qt::LeftButton);
    EXPECT_EQ(w.prompts.FileDialogPresets.back(), docs.filePath("farm.crs").toStdString());
}

TEST(MainForm, AFaultInAHandlerShowsTheErrorAndTheWindowGoesOn) {
    Window w;
    w.Location(1, 1, 4);
    w.TwoRunnableFields();

    // The save and open dialogs fail.
    w.prompts.FileDialogFault = "The file dialog could not be shown.";
    for (QPushButton* b : {w.form->BitBtnSave, w.form->BitBtnOpen}) {
        const size_t before = w.prompts.Shown.size();
        QTest::mouseClick(b, Qt::LeftButton);
        ASSERT_EQ(w.prompts.Shown.size(), before + 1) << b->text().toStdString();
        EXPECT_EQ(w.prompts.Shown.back(),
                  (PromptRecord{"Error", "The file dialog could not be shown."}));
    }
    w.prompts.FileDialogFault.clear();

    // The run fails half-way (its progress display breaks down).
    auto repaint = w.session.StatusBar1.OnRepaint;
    w.session.StatusBar1.OnRepaint = [] { throw std::runtime_error("The display is gone."); };
    QTest::mouseClick(w.form->BitBtnRun, Qt::LeftButton);
    EXPECT_EQ(w.prompts.Shown.back(), (PromptRecord{"Error", "The display is gone."}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait cursor ends with the fault";

    // The window goes on: typing, a run and a save all work.
    w.session.StatusBar1.OnRepaint = repaint;
    w.Edit(1, 2)->setFocus();
    w.Edit(1, 2)->selectAll();
    QTest::keyClicks(w.Edit(1, 2), "250");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(w.session.Crops.Crop(1).Record().AsFloat(fAcres), 250);
    QTest::mouseClick(w.form->BitBtnRun, Qt::LeftButton);
    EXPECT_TRUE(w.session.Runs.Grid().HasResults(1));
    QTemporaryDir dir;
    w.prompts.FileNames = {dir.filePath("after.crs").toStdString()};
    QTest::mouseClick(w.form->BitBtnSave, Qt::LeftButton);
    EXPECT_TRUE(QFile::exists(dir.filePath("after.crs")));
}

// A malt barley chance that is not a number once aborted the program from the Run button. A
// file holding one is refused as damaged; a record holding one (however it got there) is
// refused by the run with a warning, and the window goes on.
TEST(MainForm, AChanceThatIsNotANumberIsRefusedNotFatal) {
    Window w;
    w.Location(1, 1, 4);
    w.TwoRunnableFields();

    TdmRisk damaged;
    FieldRecord r;
    r.Set(fScenarioID, int64_t(1));
    r.Set(fFieldID, int64_t(1));
    r.Set(fCrop, int64_t(3));
    r.Set(fMaltBarley, std::numeric_limits<double>::quiet_NaN());
    damaged.cdsRisk.Append(r);
    QTemporaryDir dir;
    TRiskData file;
    file.FileName = dir.filePath("nan.crs").toStdString();
    ASSERT_EQ(file.Save(damaged), std::nullopt);
    w.prompts.FileNames = {file.FileName};
    QTest::mouseClick(w.form->BitBtnOpen, Qt::LeftButton);
    ASSERT_FALSE(w.prompts.Shown.empty());
    EXPECT_EQ(w.prompts.Shown.back().caption, "Error");
    EXPECT_NE(w.prompts.Shown.back().text.find("Field # 1: MaltBarley is not a finite number"),
              std::string::npos)
        << w.prompts.Shown.back().text;
    EXPECT_EQ(w.session.Crops.Crop(1).Record().AsInteger(fCrop), 2) << "the farm is kept";

    w.session.Crops.Crop(2).Record().Set(fMaltBarley, std::numeric_limits<double>::quiet_NaN());
    w.session.Crops.Crop(2).Record().Set(fCrop, int64_t(3));
    for (int f : {fPriceLow2, fPriceMost2, fPriceHigh2})
        w.session.Crops.Crop(2).Record().Set(f, 5.0);
    QTest::mouseClick(w.form->BitBtnRun, Qt::LeftButton);
    EXPECT_EQ(w.prompts.Shown.back(),
              (PromptRecord{
                  "Warning",
                  "Invalid data: Malt Barley Percentage is not a finite number. in Field # 2"}));
    EXPECT_FALSE(w.session.Runs.Grid().HasResults(1));
    w.session.Crops.Crop(2).Record().Set(fMaltBarley, 50.0);
    QTest::mouseClick(w.form->BitBtnRun, Qt::LeftButton);
    EXPECT_TRUE(w.session.Runs.Grid().HasResults(1));
}

// The input summary from the main window: the shown scenario's columns, composed and handed to
// the preview.
TEST(MainForm, InputDataPreviewPrintsTheShownColumns) {
    acremark::testing::ReportRecorder recorder;
    TStderrPrintPrompts quiet;
    Window w;
    w.form->ReportDisplay = &recorder;
    w.form->ReportPrompts = &quiet;
    w.Location(1, 1, 4);
    w.TwoRunnableFields();
    ASSERT_TRUE(w.form->BitBtnPrint->isEnabled());
    QTest::mouseClick(w.form->BitBtnPrint, Qt::LeftButton);
    ASSERT_EQ(recorder.pages.size(), 1u);
    const QStringList& texts = recorder.pages[0];
    EXPECT_TRUE(texts.contains("Summary of Input Data"));
    EXPECT_TRUE(texts.contains("Township: 1"));
    EXPECT_TRUE(texts.contains("Field #1 "));
    EXPECT_TRUE(texts.contains("Field #2 "));
    EXPECT_FALSE(texts.contains("Field #3 "));
    EXPECT_TRUE(texts.contains("100 ")) << "the acres typed in";
}

TEST(IniSettings, TheLastFolderIsKeptInTheSettingsFileBesideTheProgram) {
    QTemporaryDir dir;
    const QString program = dir.filePath("acremark");
    {
        IniSettings s(program);
        EXPECT_EQ(s.FilePath(), dir.filePath("acremark.ini"));
        EXPECT_EQ(s.LastFolder(), "");
        s.SetLastFolder("/home/farmer/Farm plans");
        s.SetNotShowWelcomeForm(true);
    }
    IniSettings again(program); // the next program run
    EXPECT_EQ(again.LastFolder(), "/home/farmer/Farm plans");
    EXPECT_TRUE(again.NotShowWelcomeForm());
    QFile file(dir.filePath("acremark.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("[Section1]\nNotShowWelcomeForm=true")) << text.toStdString();
}
