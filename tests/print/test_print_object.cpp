#include "print/print_object.h"
#include "print_test_support.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace acremark;
using namespace acremark::testing;

namespace {

[[maybe_unused]] auto* const kEnv =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment<QGuiApplication>);

const QColor kRed(255, 0, 0), kBlue(0, 0, 255), kGreen(0, 128, 0), kSilver(192, 192, 192);

// A page-mode print object started on Letter paper, Arial 10.
struct Composer {
    ScriptedPrompts prompts;
    TPrintObject p{&prompts};
    explicit Composer(double gutterLeft = 0, double gutterBottom = 0) {
        p.UseProgress = false;
        p.GutterLeft = gutterLeft;
        p.GutterBottom = gutterBottom;
        EXPECT_TRUE(p.Start());
    }
    const TPrintCommand& LastText() const {
        return *OfKind(p.Page(p.PageCount()), commText).back();
    }
};

QImage Canvas(int w, int h, int dpi) {
    QImage img(w, h, QImage::Format_RGB32);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    img.fill(Qt::white);
    return img;
}

QImage Render(TPrintObject& p, int pageNo, int dpi) {
    QSizeF paper = p.PaperSizeInches();
    QImage img = Canvas(qRound(paper.width() * dpi), qRound(paper.height() * dpi), dpi);
    QPainter painter(&img);
    p.ReplayPage(pageNo, painter);
    return img;
}

bool Dark(QRgb c) {
    return qGray(c) < 100;
}

// Dark pixels inside [x0, x1) x [y0, y1).
int DarkIn(const QImage& img, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(img.height(), y1); ++y)
        for (int x = std::max(0, x0); x < std::min(img.width(), x1); ++x)
            n += Dark(img.pixel(x, y));
    return n;
}

int PdfPages(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    QString data = QString::fromLatin1(f.readAll());
    return int(data.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

} // namespace

// ---------------------------------------------------------------- WriteLine positions

TEST(WriteLine, HorizontalPositionRules) {
    struct Case {
        const char* name;
        double gutter;
        std::function<void(TPrintObject&)> act;
        std::function<double(TPrintObject&)> expected;
    };
    const QString t = QStringLiteral("Wheat 2023");
    std::vector<Case> cases = {
        {"given x", 0, [&](TPrintObject& p) { p.WriteLine(1, 2.5, t); },
         [](TPrintObject&) { return 2.5; }},
        {"-1 continues after the last text", 0,
         [&](TPrintObject& p) {
             p.WriteLine(1, 1.0, QStringLiteral("abc"));
             p.WriteLine(1, -1, t);
         },
         [](TPrintObject& p) { return 1.0 + p.GetTextWidthInches(QStringLiteral("abc")); }},
        {"other negatives mean the left margin", 0,
         [&](TPrintObject& p) {
             p.SetMargins(0.5, 10, 0.75, 8);
             p.WriteLine(1, -3, t);
         },
         [](TPrintObject&) { return 0.75; }},
        {"never left of the printable area", 0.25, [&](TPrintObject& p) { p.WriteLine(1, 0.1, t); },
         [](TPrintObject&) { return 0.25; }},
        {"tab added", 0,
         [&](TPrintObject& p) {
             p.SetTab(0.5);
             p.WriteLine(1, 1.0, t);
         },
         [](TPrintObject&) { return 1.5; }},
        {"tab added after the printable-area limit", 0.25,
         [&](TPrintObject& p) {
             p.SetTab(0.5);
             p.WriteLine(1, 0.1, t);
         },
         [](TPrintObject&) { return 0.75; }},
        {"centred on x, tab off", 0,
         [&](TPrintObject& p) {
             p.SetTab(0.5);
             p.WriteLineCenterToX(1, 3, t);
         },
         [&](TPrintObject& p) { return 3 - p.GetTextWidthInches(t) / 2; }},
        {"ending at x, tab off", 0,
         [&](TPrintObject& p) {
             p.SetTab(0.5);
             p.WriteLineRightToX(1, 3, t);
         },
         [&](TPrintObject& p) { return 3 - p.GetTextWidthInches(t); }},
        {"centred between the margins", 0,
         [&](TPrintObject& p) {
             p.SetMargins(0.5, 10, 1, 7);
             p.WriteLineCenter(1, t);
         },
         [&](TPrintObject& p) { return 4 - p.GetTextWidthInches(t) / 2; }},
        {"millimetres", 0,
         [&](TPrintObject& p) {
             p.SetMeasure(1);
             p.WriteLine(25.4, 50.8, t);
         },
         [](TPrintObject&) { return 2.0; }},
    };
    for (const auto& c : cases) {
        Composer k(c.gutter);
        c.act(k.p);
        EXPECT_DOUBLE_EQ(k.LastText().X1, c.expected(k.p)) << c.name;
    }
}

TEST(WriteLine, VerticalPositionRules) {
    Composer k(0, 0.5);
    double lh = k.p.GetLineHeightInches();
    ASSERT_GT(lh, 0.1);
    k.p.WriteLine(2, 1, QStringLiteral("a"));
    EXPECT_DOUBLE_EQ(k.LastText().Y1, 2);
    EXPECT_DOUBLE_EQ(k.LastText().LineHeight, lh);
    k.p.WriteLine(-1, 1, QStringLiteral("next"));
    EXPECT_DOUBLE_EQ(k.LastText().Y1, 2 + lh);
    k.p.WriteLine(-2, 1, QStringLiteral("same"));
    EXPECT_DOUBLE_EQ(k.LastText().Y1, 2 + lh);
    k.p.WriteLine(30, 1, QStringLiteral("below the paper"));
    EXPECT_DOUBLE_EQ(k.LastText().Y1, 11 - 0.5); // kept inside the printable area
    EXPECT_DOUBLE_EQ(k.p.LastYPosition(), 10.5);
    k.p.SetMeasure(2); // printer dots of 1/600 inch while composing
    k.p.WriteLine(600, 1200, QStringLiteral("dots"));
    EXPECT_DOUBLE_EQ(k.LastText().Y1, 1);
    EXPECT_DOUBLE_EQ(k.LastText().X1, 2);
}

TEST(WriteLine, AutomaticPagingAgainstTheDetailBottom) {
    Composer k;
    double lh = k.p.GetLineHeightInches();
    k.p.SetDetailTopBottom(1, 2);
    k.p.WriteLine(-1, 1, QStringLiteral("first"));
    EXPECT_DOUBLE_EQ(k.LastText().Y1, 1); // one line above the top, then down one line
    while (k.p.PageCount() == 1)
        k.p.WriteLine(-1, 1, QStringLiteral("line"));
    const auto page1 = OfKind(k.p.Page(1), commText);
    // The last line of the page starts inside the detail area; the next would start below it.
    EXPECT_LE(page1.back()->Y1, 2);
    EXPECT_GT(page1.back()->Y1 + lh, 2);
    // The line that broke the page is written one line below the new page's top.
    EXPECT_EQ(k.p.Page(2).Commands.size(), 1u);
    EXPECT_DOUBLE_EQ(k.LastText().Y1, 1 + lh);

    // The current line (-2) breaks only once the position itself is below the detail area.
    k.p.SetYPosition(2.01);
    k.p.WriteLine(-2, 1, QStringLiteral("current"));
    EXPECT_EQ(k.p.PageCount(), 3);
    EXPECT_DOUBLE_EQ(k.LastText().Y1, 1);

    k.p.SetAutoPaging(false);
    k.p.SetYPosition(1.95);
    k.p.WriteLine(-1, 1, QStringLiteral("no paging"));
    EXPECT_EQ(k.p.PageCount(), 3);
    EXPECT_DOUBLE_EQ(k.LastText().Y1, 1.95 + lh);
}

TEST(WriteLine, NewLinesStopAtTheTopOfANewPage) {
    Composer k;
    double lh = k.p.GetLineHeightInches();
    k.p.SetDetailTopBottom(1, 1 + 3.5 * lh);
    k.p.SetYPosition(1);
    k.p.NewLines(10);
    EXPECT_EQ(k.p.PageCount(), 2);
    EXPECT_DOUBLE_EQ(k.p.LastYPosition(), 1);
}

// ---------------------------------------------------------------- WrapText

TEST(WrapText, CutsAtTheLastBreakBeforeTheTextGetsTooWide) {
    Composer k;
    TPrintObject& p = k.p;
    const double eps = 0.001;
    auto width = [&](const char* s) { return p.GetTextWidthInches(QString::fromUtf8(s)); };
    struct Case {
        const char* text;
        double allowed; // inches
        QStringList lines;
    };
    std::vector<Case> cases = {
        {"aaa aaa aaa", width("aaa a") + eps, {"aaa", "aaa", "aaa"}},
        {"aaa aaa aaa", width("aaa aaa") + eps, {"aaa aaa", "aaa"}},
        {"aaa aaa", width("aaa") + eps, {"aaa", "aaa"}}, // too wide on the blank itself
        {"aaaaaaaaaaaa", width("aa"), {"aaaaaaaaaaaa"}}, // no break: one line, however wide
        {"aa aaaaaaaaaaaa", width("aaa"), {"aa", "aaaaaaaaaaaa"}},
        {"aaa  aaa", width("aaa a") + eps, {"aaa ", "aaa"}}, // cut at the last of two blanks
        {"one\r\ntwo\rthree\nfour", 10, {"one", "two", "three", "four"}},
        {"a\n\nb", 10, {"a", "", "b"}},
        {"trailing feeds\n\r\n\n", 10, {"trailing feeds"}},
        {"tab\there", 10, {"tab  here"}},
        {"", 10, {""}},
        {"hello world", 10, {"hello world"}},
    };
    for (const auto& c : cases) {
        QStringList lines{QStringLiteral("old content")};
        p.WrapText(QString::fromUtf8(c.text), lines, 1 + c.allowed, 1);
        EXPECT_EQ(lines, c.lines) << c.text << " in " << c.allowed;
    }
    // Positions follow the unit of measure.
    QStringList lines;
    p.SetMeasure(1);
    p.WrapText(QStringLiteral("aaa aaa aaa"), lines, (width("aaa a") + eps) * 25.4, 0);
    EXPECT_EQ(lines, (QStringList{"aaa", "aaa", "aaa"}));
}

// ---------------------------------------------------------------- recorded commands

TEST(Recording, CommandsHoldTheirValuesAndSerialiseToJson) {
    Composer k;
    TPrintObject& p = k.p;
    QImage logo(4, 2, QImage::Format_RGB32);
    logo.fill(kGreen);
    p.SetMeasure(1); // millimetres, recorded as inches
    p.SetFontInfo(QStringLiteral("Times New Roman"), 18, true, false, true);
    p.SetFontColor(kRed);
    p.SetFontAngle(90);
    p.SetFontAngle(0);
    p.SetPenColor(kBlue);
    p.SetPenStyle(TPenStyle::psDashDot);
    p.SetPenWidth(8);
    p.SetBrushColor(kSilver);
    p.WriteLine(25.4, 50.8, QStringLiteral("Title"));
    p.SetBrushStyle(TBrushStyle::bsClear);
    p.WriteLine(-1, 50.8, QStringLiteral("clear"));
    p.MoveTo(25.4, 25.4);
    p.LineTo(50.8, 101.6);
    p.Line(0, 0, 25.4, 12.7);
    p.FillRect(0, 0, 25.4, 25.4);
    p.DrawBox(25.4, 25.4, 50.8, 50.8, 4);
    p.DrawBoxShade(0, 25.4, 25.4, 50.8, 2, kGreen);
    p.PrintGraphic(0, 0, 25.4, 12.7, logo);

    QJsonArray json = p.PageCommandsJson(1);
    auto at = [&](int i) { return json.at(i).toObject(); };
    ASSERT_EQ(json.size(), 19);
    EXPECT_EQ(at(0), (QJsonObject{{"kind", "commFont"},
                                  {"name", "Times New Roman"},
                                  {"size", 18},
                                  {"bold", true},
                                  {"italic", false},
                                  {"underline", true},
                                  {"color", "#000000"},
                                  {"angle", 0}}));
    EXPECT_EQ(at(1), (QJsonObject{{"kind", "commFColor"}, {"color", "#FF0000"}}));
    EXPECT_EQ(at(2), (QJsonObject{{"kind", "commFontAngle"}, {"angle", 90}}));
    EXPECT_EQ(at(4), (QJsonObject{{"kind", "commPColor"}, {"color", "#0000FF"}}));
    EXPECT_EQ(at(5), (QJsonObject{{"kind", "commPStyle"}, {"style", "dashdot"}}));
    EXPECT_EQ(at(6), (QJsonObject{{"kind", "commLineWidth"}, {"width", 8}}));
    EXPECT_EQ(at(7), (QJsonObject{{"kind", "commBColor"}, {"color", "#C0C0C0"}}));
    double w = p.GetTextWidthInches(QStringLiteral("Title")), lh = p.GetLineHeightInches();
    EXPECT_EQ(at(8), (QJsonObject{{"kind", "commText"},
                                  {"x", 2.0},
                                  {"y", 1.0},
                                  {"text", "Title"},
                                  {"width", w},
                                  {"line_height", lh},
                                  {"brush", "#C0C0C0"}}));
    EXPECT_EQ(at(9), (QJsonObject{{"kind", "commBrushStyle"}, {"style", "clear"}}));
    EXPECT_TRUE(at(10)["brush"].isNull());
    EXPECT_DOUBLE_EQ(at(10)["y"].toDouble(), 1.0 + lh);
    EXPECT_EQ(at(11), (QJsonObject{{"kind", "commMoveTo"}, {"x", 1.0}, {"y", 1.0}}));
    EXPECT_EQ(at(12), (QJsonObject{{"kind", "commLineTo"}, {"x", 2.0}, {"y", 4.0}}));
    EXPECT_EQ(at(13),
              (QJsonObject{{"kind", "commLine"}, {"x1", 0}, {"y1", 0}, {"x2", 1.0}, {"y2", 0.5}}));
    EXPECT_EQ(at(14), (QJsonObject{{"kind", "commFillRect"},
                                   {"x1", 0},
                                   {"y1", 0},
                                   {"x2", 1.0},
                                   {"y2", 1.0},
                                   {"color", "#C0C0C0"}}));
    EXPECT_EQ(at(15), (QJsonObject{{"kind", "commFrameRect"},
                                   {"x1", 1.0},
                                   {"y1", 1.0},
                                   {"x2", 2.0},
                                   {"y2", 2.0},
                                   {"pen_width", 4}}));
    EXPECT_EQ(at(16)["color"], "#008000"); // the shade under the box
    EXPECT_EQ(at(17)["pen_width"], 2);
    EXPECT_EQ(at(18), (QJsonObject{{"kind", "commGraphic"},
                                   {"x1", 0},
                                   {"y1", 0},
                                   {"x2", 1.0},
                                   {"y2", 0.5},
                                   {"pixels", QJsonArray{4, 2}}}));
    EXPECT_STREQ(CommandKindName(commLine), "commLine");
    EXPECT_STREQ(CommandKindName(commText), "commText");
    EXPECT_EQ(int(commText), 19);
    EXPECT_STREQ(CommandKindName(commIndent), "commIndent");
}

TEST(Recording, NothingHappensOutsideStartAndQuit) {
    ScriptedPrompts prompts;
    TPrintObject p(&prompts);
    p.UseProgress = false;
    p.WriteLine(1, 1, QStringLiteral("before"));
    EXPECT_FALSE(p.PrintingOK());
    EXPECT_EQ(p.PageCount(), 0);
}

// ---------------------------------------------------------------- replay

TEST(Replay, DrawsTextBoxesFillsAndPicturesWhereRecorded) {
    Composer k;
    TPrintObject& p = k.p;
    const int dpi = 100;
    p.SetBrushColor(kBlue);
    p.FillRect(1, 1, 2, 2);
    p.SetPenColor(kRed);
    p.DrawBox(3, 1, 4, 2, 30); // 30 dots = 5 pixels at 100 per inch
    p.SetPenColor(QColor(0, 0, 0));
    p.DrawBoxShade(5, 1, 6, 2, 6, kSilver);
    QImage logo(2, 2, QImage::Format_RGB32);
    logo.fill(kGreen);
    p.PrintGraphic(7, 1, 8, 2, logo);
    p.SetFontInfo(QStringLiteral("Arial"), 24);
    p.SetBrushColor(QColor(255, 255, 0));
    p.WriteLine(3, 1, QStringLiteral("MMMM"));
    p.SetFontAngle(90);
    p.SetBrushStyle(TBrushStyle::bsClear);
    p.WriteLine(8, 1, QStringLiteral("MMMM"));

    QImage img = Render(p, 1, dpi);
    EXPECT_EQ(img.pixelColor(150, 150), kBlue);
    EXPECT_EQ(img.pixelColor(302, 150), kRed);      // inside the 5-pixel frame
    EXPECT_EQ(img.pixelColor(350, 150), Qt::white); // the box is not filled
    EXPECT_EQ(img.pixelColor(550, 150), kSilver);
    EXPECT_TRUE(Dark(img.pixel(500, 150)));
    EXPECT_EQ(img.pixelColor(750, 150), kGreen);

    double w = p.GetTextWidthInches(QStringLiteral("MMMM")), lh = p.GetLineHeightInches();
    int tw = int(w * dpi), th = int(lh * dpi);
    // Upright text: below and right of its top left corner, on the yellow brush.
    EXPECT_GT(DarkIn(img, 100, 300, 100 + tw, 300 + th), 50);
    EXPECT_EQ(img.pixelColor(101, 301), QColor(255, 255, 0));
    EXPECT_EQ(DarkIn(img, 100, 280, 100 + tw, 299), 0);
    // Text at 90 degrees reads upwards from its start, its top towards the left.
    EXPECT_GT(DarkIn(img, 100, 800 - tw, 100 + th, 800), 50);
    EXPECT_EQ(DarkIn(img, 100, 801, 100 + th, 820), 0);
    EXPECT_EQ(DarkIn(img, 100 + th + 1, 800 - tw, 100 + th + 30, 800), 0);
    EXPECT_EQ(DarkIn(img, 70, 800 - tw, 99, 800), 0);
    EXPECT_TRUE(k.prompts.messages.empty());
}

TEST(Replay, EachPageReplaysOnItsOwnWithTheStateItBeganWith) {
    Composer k;
    TPrintObject& p = k.p;
    p.SetFontInfo(QStringLiteral("Arial"), 30);
    p.SetFontColor(kRed);
    p.WriteLine(1, 1, QStringLiteral("one"));
    p.NewPage();
    p.WriteLine(1, 1, QStringLiteral("two"));
    ASSERT_EQ(p.PageCount(), 2);
    EXPECT_EQ(p.Page(2).Initial.Font.Color, kRed);
    EXPECT_EQ(Texts(p.Page(2)), QStringList{"two"});

    QImage img = Render(p, 2, 72);
    int red = 0;
    for (int y = 72; y < 120; ++y)
        for (int x = 72; x < 150; ++x)
            red += img.pixelColor(x, y) == kRed;
    EXPECT_GT(red, 20);
}

TEST(Replay, PictureModeDrawsWhatAReplayedPageDraws) {
    auto draw = [](TPrintObject& p) {
        p.SetFontInfo(QStringLiteral("Times New Roman"), 14, false, true);
        p.SetFontColor(kBlue);
        p.WriteLine(0.3, 0.2, QStringLiteral("Gross margin 1,234"));
        p.SetPenColor(kRed);
        p.SetPenStyle(TPenStyle::psDot);
        p.Line(0.2, 1, 3, 1.2);
        p.SetPenStyle(TPenStyle::psSolid);
        p.MoveTo(0.2, 1.5);
        p.LineTo(2, 2.5);
        p.LineTo(3, 1.5);
        p.DrawBox(0.1, 0.1, 3.5, 2.8, 1);
        p.SetBrushColor(kSilver);
        p.FillRect(2.5, 0.2, 3.2, 0.6);
    };
    ScriptedPrompts prompts;
    QImage picture = Canvas(384, 288, 96);
    TPrintObject direct(&prompts);
    direct.ImageCanvas = &picture;
    ASSERT_TRUE(direct.Start());
    EXPECT_TRUE(direct.ImagePrinting());
    draw(direct);
    EXPECT_EQ(direct.PageCount(), 0); // nothing recorded
    direct.Quit();
    EXPECT_EQ(direct.ImageCanvas, nullptr);

    Composer k;
    draw(k.p);
    QImage replayed = Canvas(384, 288, 96);
    {
        QPainter painter(&replayed);
        k.p.ReplayPage(1, painter);
    }
    EXPECT_EQ(picture, replayed);
    EXPECT_GT(DarkIn(picture, 0, 0, 384, 288), 100);
}

TEST(Replay, AFailedCommandShowsItsMessageAndTheRestIsDrawn) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Composer k;
    TPrintObject& p = k.p;
    p.Line(nan, 1, 2, 2);
    p.Line(1, nan, 2, 2); // the same kind again: told once per replay
    p.PrintGraphic(1, 1, 2, 2, QImage());
    p.SetFontSize(0);
    p.SetBrushColor(kBlue);
    p.FillRect(1, 1, 2, 2);
    QImage img = Render(p, 1, 50);
    EXPECT_EQ(k.prompts.messages, (std::vector<QString>{"Error in Line Drawing command.",
                                                        "Error in Graphics Drawing routine.",
                                                        "Error in Changing Font information"}));
    EXPECT_EQ(img.pixelColor(75, 75), kBlue);

    // Picture mode tells the same.
    ScriptedPrompts prompts;
    QImage picture = Canvas(100, 100, 96);
    TPrintObject direct(&prompts);
    direct.ImageCanvas = &picture;
    ASSERT_TRUE(direct.Start());
    direct.MoveTo(0, 0);
    direct.LineTo(nan, 1);
    direct.LineTo(1, nan);
    direct.Quit();
    EXPECT_EQ(prompts.messages, std::vector<QString>{"Error in LineTo command."});
}

TEST(PictureMode, RefusesAPictureItCannotPaintOn) {
    QImage empty;
    TPrintObject p;
    p.ImageCanvas = &empty;
    EXPECT_FALSE(p.Start());
    EXPECT_FALSE(p.PrintingOK());
}

// ---------------------------------------------------------------- Quit, progress, cancel

namespace {

struct FakeDisplay : TPrintDisplay {
    bool result = true;
    std::vector<std::string> calls;
    int first = 0, last = 0, pages = 0;
    bool ShowPreview(TPrintObject& r) override { return Note("preview", r); }
    bool PrintReport(TPrintObject& r) override { return Note("print", r); }
    bool Note(const char* what, TPrintObject& r) {
        calls.push_back(what);
        first = r.FirstPage();
        last = r.LastPage();
        pages = r.PageCount();
        return result;
    }
};

} // namespace

TEST(Quit, SendsEveryPageToThePreviewThenFreesThem) {
    ScriptedPrompts prompts;
    FakeDisplay display;
    TPrintObject p(&prompts, &display);
    ASSERT_TRUE(p.Start()); // progress on by default
    EXPECT_EQ(prompts.shown, std::vector<QString>{"Preparing Report......."});
    p.WriteLine(1, 1, QStringLiteral("a"));
    p.NewPage();
    p.NewPage();
    p.Quit();
    EXPECT_EQ(display.calls, std::vector<std::string>{"preview"});
    EXPECT_EQ(display.first, 1);
    EXPECT_EQ(display.last, 3);
    EXPECT_EQ(display.pages, 3);
    EXPECT_EQ(p.PageCount(), 0);
    EXPECT_FALSE(p.PrintingOK());
    EXPECT_FALSE(prompts.visible);
    EXPECT_TRUE(prompts.messages.empty());
    p.WriteLine(1, 1, QStringLiteral("after"));
    EXPECT_EQ(p.PageCount(), 0);
}

TEST(Quit, ReportsAPreviewOrPrintThatFails) {
    for (bool preview : {true, false}) {
        ScriptedPrompts prompts;
        FakeDisplay display;
        display.result = false;
        TPrintObject p(&prompts, &display);
        p.ActualPreview = preview;
        p.UseProgress = false;
        p.Start();
        p.Quit();
        EXPECT_EQ(display.calls, std::vector<std::string>{preview ? "preview" : "print"});
        EXPECT_EQ(prompts.messages, std::vector<QString>{"Error showing/printing final report."});
    }
    ScriptedPrompts prompts;
    TPrintObject nowhere(&prompts); // no display to show it on
    nowhere.UseProgress = false;
    nowhere.Start();
    nowhere.Quit();
    EXPECT_EQ(prompts.messages, std::vector<QString>{"Error showing/printing final report."});
}

TEST(Cancel, AbortingWhileComposingStopsTheReport) {
    for (bool abort : {true, false}) {
        ScriptedPrompts prompts;
        prompts.cancelOnCall = 2;
        prompts.answers = {abort};
        FakeDisplay display;
        TPrintObject p(&prompts, &display);
        p.Start();
        p.SetProgressMax(4);
        p.IncBar();
        p.IncBar(); // Cancel was pressed meanwhile
        EXPECT_EQ(prompts.questions, std::vector<QString>{"Abort printing?"});
        EXPECT_EQ(prompts.percents, (std::vector<int>{0, 25, 50}));
        p.WriteLine(1, 1, QStringLiteral("after the question"));
        p.Quit();
        if (abort) {
            EXPECT_FALSE(p.PrintingOK());
            EXPECT_TRUE(display.calls.empty());
            EXPECT_EQ(prompts.shown, std::vector<QString>{"Preparing Report......."});
        } else {
            EXPECT_EQ(display.calls, std::vector<std::string>{"preview"});
            EXPECT_EQ(prompts.shown.size(), 2u); // shown again after "No"
        }
    }
}

TEST(PrintRange, PrintsTheRangeOnePagePerSheet) {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    TPrintObject p(&prompts);
    p.UseProgress = false;
    p.PageOrientation = TPageOrientation::poLandscape;
    p.Start();
    for (int i = 1; i <= 4; ++i) {
        if (i > 1) p.NewPage();
        p.WriteLine(1, 1, QStringLiteral("Page %1").arg(i));
    }
    p.UseProgress = true;
    QString path = dir.filePath(QStringLiteral("range.pdf"));
    {
        QPdfWriter pdf(path);
        ASSERT_TRUE(p.PrintRange(pdf, 2, 4));
        EXPECT_EQ(pdf.pageLayout().orientation(), QPageLayout::Landscape);
    }
    EXPECT_EQ(PdfPages(path), 3);
    EXPECT_EQ(prompts.shown, std::vector<QString>{"Printing Report......."});
    EXPECT_EQ(prompts.percents, (std::vector<int>{0, 33, 66, 100}));
    EXPECT_FALSE(prompts.visible);

    // Cancel after the first page: "Yes" stops there, "No" goes on.
    for (bool abort : {true, false}) {
        ScriptedPrompts ask;
        ask.cancelOnCall = 1;
        ask.answers = {abort};
        TPrintObject q(&ask);
        q.UseProgress = false;
        q.Start();
        q.NewPage();
        q.NewPage();
        q.UseProgress = true;
        QString out = dir.filePath(abort ? QStringLiteral("a.pdf") : QStringLiteral("b.pdf"));
        {
            QPdfWriter pdf(out);
            ASSERT_TRUE(q.PrintRange(pdf, 1, 3));
        }
        EXPECT_EQ(ask.questions, std::vector<QString>{"Abort printing?"});
        EXPECT_EQ(PdfPages(out), abort ? 1 : 3) << abort;
    }

    QPdfWriter nowhere(dir.filePath(QStringLiteral("missing/dir/x.pdf")));
    EXPECT_FALSE(p.PrintRange(nowhere, 1, 1));
    QPdfWriter outside(dir.filePath(QStringLiteral("y.pdf")));
    EXPECT_FALSE(p.PrintRange(outside, 3, 5));
}
