#include "print/print_preview.h"
#include "print/print_progress_form.h"
#include "print_test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace acremark;
using namespace acremark::testing;

namespace {

[[maybe_unused]] auto* const kEnv =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment<QApplication>);

const QColor kBlue(0, 0, 255);

// Three landscape pages, each with a blue square one inch further right than the last.
struct Report {
    ScriptedPrompts prompts;
    TPrintObject p;
    explicit Report(TPrintDisplay* display = nullptr) : p(&prompts, display) {
        p.UseProgress = false;
        p.PageOrientation = TPageOrientation::poLandscape;
        p.DocumentTitle = QStringLiteral("Scenario Analysis");
        p.Start();
        p.SetBrushColor(kBlue);
        for (int i = 1; i <= 3; ++i) {
            if (i > 1) p.NewPage();
            p.FillRect(i, 1, i + 1, 2);
            p.WriteLine(3, 1, QStringLiteral("Page %1").arg(i));
        }
    }
};

// Which square is blue in the preview's picture: 1..3, 0 for none.
int BlueSquare(const QImage& img, double dpi) {
    for (int i = 1; i <= 3; ++i)
        if (img.pixelColor(int((i + 0.5) * dpi), int(1.5 * dpi)) == kBlue) return i;
    return 0;
}

int PdfPages(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    return int(QString::fromLatin1(f.readAll())
                   .count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

} // namespace

TEST(PrintPreview, CaptionButtonsAndHints) {
    Report r;
    TPrintPreviewForm form(r.p);
    EXPECT_EQ(form.windowTitle(), "Print Preview");
    EXPECT_EQ(form.FirstButton->toolTip(), "first page");
    EXPECT_EQ(form.PriorButton->toolTip(), "previous page");
    EXPECT_EQ(form.NextButton->toolTip(), "next page");
    EXPECT_EQ(form.LastButton->toolTip(), "last page");
    EXPECT_EQ(form.ZoomLabel->text(), "ZOOM");
    QStringList zooms;
    for (int i = 0; i < form.ZoomBox->count(); ++i)
        zooms << form.ZoomBox->itemText(i);
    EXPECT_EQ(zooms, (QStringList{"60 %", "70 %", "80 %", "90 %", "100 %"}));
    EXPECT_EQ(form.CloseButton->text(), "&Close");
    EXPECT_EQ(form.CloseButton->toolTip(), "close preview");
    EXPECT_EQ(form.PrintButton->text(), "&Print");
    EXPECT_EQ(form.PrintButton->toolTip(), "print document");
}

TEST(PrintPreview, NavigatesZoomsAndPrintsTheChosenRange) {
    QTemporaryDir dir;
    struct Capture : TPrintDisplay {
        std::function<void(TPrintObject&)> onPreview;
        bool ShowPreview(TPrintObject& x) override {
            onPreview(x);
            return true;
        }
        bool PrintReport(TPrintObject&) override { return false; }
    } capture;
    Report r(&capture);
    capture.onPreview = [&](TPrintObject& report) {
        TPreviewDisplay display;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<TPrintPreviewForm*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
            double dpi = form->PageView->logicalDpiX();
            EXPECT_EQ(form->CurrentPage(), 1);
            EXPECT_EQ(BlueSquare(form->PageImage(), dpi), 1);
            EXPECT_FALSE(form->FirstButton->isEnabled());
            EXPECT_FALSE(form->PriorButton->isEnabled());
            form->NextButton->click();
            EXPECT_EQ(form->CurrentPage(), 2);
            EXPECT_EQ(form->PageNumber->value(), 2);
            EXPECT_EQ(BlueSquare(form->PageImage(), dpi), 2);
            form->LastButton->click();
            EXPECT_EQ(form->CurrentPage(), 3);
            EXPECT_FALSE(form->NextButton->isEnabled());
            EXPECT_EQ(BlueSquare(form->PageImage(), dpi), 3);
            form->PageNumber->setValue(1);
            EXPECT_EQ(BlueSquare(form->PageImage(), dpi), 1);
            form->PriorButton->setEnabled(true);
            form->PriorButton->click(); // stays on the first page
            EXPECT_EQ(form->CurrentPage(), 1);

            int fullWidth = form->PageImage().width();
            EXPECT_NEAR(fullWidth, 11 * dpi, 1); // landscape Letter at 100 %
            form->ZoomBox->setCurrentIndex(0);
            EXPECT_EQ(form->Zoom(), 60);
            EXPECT_NEAR(form->PageImage().width(), 0.6 * fullWidth, 0.01 * fullWidth);
            EXPECT_EQ(BlueSquare(form->PageImage(), form->PageImage().logicalDpiX()), 1);

            form->ChoosePrinter = [&](int& first, int& last) {
                auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
                printer->setOutputFormat(QPrinter::PdfFormat);
                printer->setOutputFileName(dir.filePath(QStringLiteral("range.pdf")));
                printer->setFullPage(true);
                first = 2;
                last = 3;
                return printer;
            };
            form->PrintButton->click();
            form->ChoosePrinter = [](int&, int&) { return std::unique_ptr<QPrinter>(); };
            form->PrintButton->click(); // cancelled: nothing printed, nothing told
            form->CloseButton->click();
        });
        EXPECT_TRUE(display.ShowPreview(report));
    };
    r.p.Quit();
    EXPECT_EQ(PdfPages(dir.filePath(QStringLiteral("range.pdf"))), 2);
    EXPECT_TRUE(r.prompts.messages.empty());
    EXPECT_EQ(r.p.PageCount(), 0);
}

TEST(PrintProgressForm, SitsAtAThirdOfTheMainWindowAndReportsCancel) {
    QWidget main;
    main.setGeometry(90, 60, 900, 600);
    main.show();
    std::vector<QString> told, asked;
    TWidgetPrintPrompts prompts(
        &main, [&](const QString& t) { told.push_back(t); },
        [&](const QString& t) {
            asked.push_back(t);
            return true;
        });
    prompts.ShowProgress(QStringLiteral("Printing Report......."), true);
    TPrintProgressForm& form = prompts.ProgressForm();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Caption(), "Printing Report.......");
    QRect g = main.frameGeometry();
    EXPECT_EQ(form.pos(), QPoint(g.left() + g.width() / 3, g.top() + g.height() / 3));
    EXPECT_FALSE(form.CancelButton()->isHidden());
    prompts.SetProgress(40);
    EXPECT_EQ(form.Percent(), 40);
    EXPECT_FALSE(prompts.CancelPressed());
    form.CancelButton()->click();
    EXPECT_TRUE(prompts.CancelPressed());
    EXPECT_FALSE(prompts.CancelPressed()); // told once
    prompts.ShowMessage(QStringLiteral("Error in FillRect command."));
    EXPECT_TRUE(prompts.AskYesNo(QStringLiteral("Abort printing?")));
    EXPECT_EQ(told, std::vector<QString>{"Error in FillRect command."});
    EXPECT_EQ(asked, std::vector<QString>{"Abort printing?"});
    prompts.HideProgress();
    EXPECT_FALSE(form.isVisible());
    prompts.ShowProgress(QStringLiteral("Preparing Report......."), false);
    EXPECT_TRUE(form.CancelButton()->isHidden());
}
