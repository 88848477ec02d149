// Draws the pictures of the help pages and the program's icons (see CMakeLists.txt).
#include "editor/scripted_prompts.h"
#include "results/sim_chart.h"
#include "ui/chart_form.h"
#include "ui/ini_settings.h"
#include "ui/main_form.h"
#include "ui/welcome_form.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <cstdio>

using namespace acremark;

namespace {

QFont Sans(int pixels, bool bold = false) {
    QFont f("Liberation Sans");
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

void Save(const QImage& image, const QString& path) {
    if (!image.save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s %dx%d\n", qPrintable(path), image.width(), image.height());
}

// A triangle of a yield: worst, most likely and best, with the chance read as area.
QImage Triangle() {
    QImage img(560, 250, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double x0 = 60, x1 = 500, base = 200, top = 40;
    const double xm = x0 + (x1 - x0) * 0.4;
    QPainterPath shape;
    shape.moveTo(x0, base);
    shape.lineTo(xm, top);
    shape.lineTo(x1, base);
    shape.closeSubpath();
    p.fillPath(shape, QColor(0xD8, 0xEC, 0xD0));
    // The area left of a yield is the chance of a lower yield.
    const double xs = x0 + (x1 - x0) * 0.22;
    QPainterPath left;
    left.moveTo(x0, base);
    left.lineTo(xs, base - (base - top) * (xs - x0) / (xm - x0));
    left.lineTo(xs, base);
    left.closeSubpath();
    p.fillPath(left, QColor(0xF4, 0xC0, 0x70));
    p.setPen(QPen(QColor(0x2E, 0x6B, 0x1E), 2));
    p.drawPath(shape);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(30, base), QPointF(530, base));
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.drawLine(QPointF(xm, top), QPointF(xm, base));
    p.setFont(Sans(14, true));
    p.setPen(Qt::black);
    const auto label = [&](double x, const QString& a, const QString& b) {
        p.drawText(QRectF(x - 80, base + 6, 160, 18), Qt::AlignHCenter, a);
        p.setFont(Sans(13));
        p.drawText(QRectF(x - 80, base + 24, 160, 18), Qt::AlignHCenter, b);
        p.setFont(Sans(14, true));
    };
    label(x0, "Worst possible", "20 bu/acre");
    label(xm, "Most likely", "40 bu/acre");
    label(x1, "Best possible", "75 bu/acre");
    p.setFont(Sans(13));
    p.drawText(QRectF(x0 + 8, top - 30, 300, 18), "how often a yield comes up");
    p.setPen(QColor(0x9A, 0x5B, 0x00));
    p.drawText(QRectF(xs - 40, top + 40, 220, 36), Qt::TextWordWrap,
               "orange area: the chance of a yield below 30");
    p.setPen(QPen(QColor(0x9A, 0x5B, 0x00), 1));
    p.drawLine(QPointF(xs - 10, top + 76), QPointF(xs - 20, base - 25));
    return img;
}

// The steps of a run, one box each.
QImage RunSteps() {
    const QStringList steps = {
        "Your fields\nacres, yield and price triangles,\ninsurance, costs per acre",
        "Draw correlated yields and prices\nfor every field, 1000, 5000 or\n10000 times",
        "In every draw: insurance payment,\ncontribution margin and gross\nmargin of every field",
        "Farm totals of every draw:\nrevenue, payments, margins,\nland owner's share",
        "Results: expected margins,\nstandard deviations, chances,\nthe two charts"};
    const int w = 250, h = 78, gap = 34;
    QImage img(2 * w + gap + 40, 3 * (h + gap) + 20, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    std::vector<QRectF> boxes;
    for (int i = 0; i < steps.size(); ++i) {
        const int row = i < 3 ? i : 4 - i + 0; // down the left, then up the right
        const int col = i < 3 ? 0 : 1;
        const double y = 10 + (i < 3 ? i : (i == 3 ? 2 : 1)) * (h + gap);
        (void)row;
        boxes.emplace_back(20 + col * (w + gap), y, w, h);
    }
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 2));
    for (size_t i = 0; i + 1 < boxes.size(); ++i) {
        QPointF a, b;
        if (i < 2) {
            a = {boxes[i].center().x(), boxes[i].bottom()};
            b = {boxes[i + 1].center().x(), boxes[i + 1].top()};
        } else if (i == 2) {
            a = {boxes[i].right(), boxes[i].center().y()};
            b = {boxes[i + 1].left(), boxes[i + 1].center().y()};
        } else {
            a = {boxes[i].center().x(), boxes[i].top()};
            b = {boxes[i + 1].center().x(), boxes[i + 1].bottom()};
        }
        p.drawLine(a, b);
        const QPointF d = (b - a) / std::hypot((b - a).x(), (b - a).y());
        const QPointF n(-d.y(), d.x());
        QPolygonF head{b, b - 10 * d + 5 * n, b - 10 * d - 5 * n};
        p.setBrush(QColor(0x40, 0x40, 0x40));
        p.drawPolygon(head);
    }
    const QColor fills[] = {QColor(0xE8, 0xF1, 0xFB), QColor(0xFD, 0xF2, 0xDC),
                            QColor(0xFD, 0xF2, 0xDC), QColor(0xFD, 0xF2, 0xDC),
                            QColor(0xE3, 0xF2, 0xE0)};
    p.setFont(Sans(13));
    for (size_t i = 0; i < boxes.size(); ++i) {
        p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1.5));
        p.setBrush(fills[i]);
        p.drawRoundedRect(boxes[i], 8, 8);
        p.setPen(Qt::black);
        p.drawText(boxes[i], Qt::AlignCenter, steps[int(i)]);
    }
    return img;
}

// The program's icon: a field in furrows under a rising margin curve.
QImage Icon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient sky(0, 0, 0, 64);
    sky.setColorAt(0, QColor(0x3D, 0x8B, 0xD9));
    sky.setColorAt(1, QColor(0xB9, 0xDD, 0xF7));
    QPainterPath frame;
    frame.addRoundedRect(2, 2, 60, 60, 10, 10);
    p.fillPath(frame, sky);
    p.setClipPath(frame);
    QPainterPath field;
    field.moveTo(0, 40);
    field.cubicTo(20, 34, 44, 34, 64, 38);
    field.lineTo(64, 64);
    field.lineTo(0, 64);
    field.closeSubpath();
    p.fillPath(field, QColor(0xD9, 0xA4, 0x2B));
    p.setPen(QPen(QColor(0x8A, 0x5A, 0x0E), size >= 32 ? 1.6 : 2.2));
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(32, 36), QPointF(-24 + i * 28, 66));
    p.setClipping(false);
    QPainterPath curve;
    curve.moveTo(10, 33);
    curve.cubicTo(22, 32, 30, 16, 52, 12);
    p.setPen(QPen(Qt::white, size >= 32 ? 4.5 : 6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(curve);
    p.setPen(QPen(QColor(0x1B, 0x5E, 0x20), size >= 32 ? 2.5 : 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(curve);
    p.setPen(QPen(QColor(0x1E, 0x3A, 0x5F), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(frame);
    return img;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: helpshots REFDATA FARM.crs IMAGES_DIR ICONS_DIR\n");
        return 2;
    }
    const QString refdata = argv[1], farm = argv[2];
    const QDir images(argv[3]), icons(argv[4]);

    ScriptedPrompts prompts;
    MemorySettings settings(true);
    AnsweredWelcome welcome;
    TMainSession session(prompts, settings, welcome, "/tmp/helpshots/acremark");
    session.DataModuleCreate(refdata.toStdString());
    session.RunSeed = 20230326;
    TMainForm form(session);
    TSimChart chart(session.Simulation);
    TChartForm chartForm(session.Simulation, session.sgScenario, session.ScenarioSummary, chart);
    chartForm.prompts = &prompts;
    form.SetChartForm(&chartForm);
    form.resize(1180, 760);
    form.show();
    form.FirstShow();
    form.OpenFile(farm);
    app.processEvents();
    Save(form.grab().toImage(), images.filePath("main-window.png"));

    form.BitBtn1Click();
    session.ComboBoxScenarioChange(2);
    form.SyncAll();
    form.BitBtn1Click();
    session.ComboBoxScenarioChange(1);
    form.SyncAll();
    chartForm.resize(1000, 700);
    chartForm.ShowForm();
    for (int i = 0; i < 5; ++i)
        app.processEvents();
    Save(chartForm.grab().toImage(), images.filePath("comparison-window.png"));
    form.resize(1180, 760);
    app.processEvents();
    // The columns after the run: each field's expected margins are written into its column.
    Save(form.grab().toImage(), images.filePath("main-window-results.png"));

    TWelcomeForm welcomeForm;
    welcomeForm.show();
    app.processEvents();
    Save(welcomeForm.grab().toImage(), images.filePath("welcome-window.png"));

    Save(Triangle(), images.filePath("triangle.png"));
    Save(RunSteps(), images.filePath("run-steps.png"));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        Save(Icon(size), icons.filePath(QString("acremark-%1.png").arg(size)));
    for (const QString& m : prompts.Shown.empty() ? QStringList{} : QStringList{"messages:"})
        std::printf("%s\n", qPrintable(m));
    for (const auto& m : prompts.Shown)
        std::printf("  %s: %s\n", m.caption.c_str(), m.text.c_str());
    return 0;
}
