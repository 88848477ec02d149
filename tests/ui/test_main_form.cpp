// The main window driven as a user drives it, offscreen, on the carried reference tables.
#include "editor/scripted_prompts.h"
#include "results/sim_chart.h"
#include "ui/chart_form.h"
#include "ui/crop_column.h"
#include "ui/main_form.h"
#include "ui/malt_barley_dialog.h"
#include "ui/spin_gauge.h"
#include "ui/status_bar_widget.h"
#include "ui/welcome_form.h"

#include <QCheckBox>
#include <QPushButton>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace acremark;

namespace {

struct Window {
    ScriptedPrompts prompts;
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
        chart = std::make_unique<TSimChart>(session.Simulation);
        chartForm = std::make_unique<TChartForm>(session.Simulation, session.sgScenario,
                                                 session.ScenarioSummary, *chart);
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
};

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
    for (int k = 3; k <= 5; ++k) EXPECT_TRUE(w.form->Column(k)->isVisible()) << k;
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
    struct Crop {
        int column, code;
    };
    for (Crop c : {Crop{1, 2}, Crop{2, 28}}) {
        w.ChooseCrop(c.column, c.code);
        const char* values[] = {"100", "20", "60", "40", "6", "10", "8"};
        const int tags[] = {2, 6, 7, 8, 9, 10, 11};
        for (int i = 0; i < 7; ++i) {
            w.Edit(c.column, tags[i])->setFocus();
            w.Edit(c.column, tags[i])->selectAll();
            QTest::keyClicks(w.Edit(c.column, tags[i]), values[i]);
        }
    }
    QTest::mouseClick(w.form->RadioGroupIteration[0], Qt::LeftButton);
    EXPECT_EQ(w.session.Iterations(), 1000);
    EXPECT_EQ(w.session.StatusBar1.Panels[0], "1");
    EXPECT_EQ(w.session.StatusBar1.Panels[2].rfind("Time:", 0), 0u);
    EXPECT_TRUE(w.session.sgScenario.HasResults(1));
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
    r.Set(fCrop, int64_t(kMaltCropCode));
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
