// acremark: the desktop program. Start-up creates the main window, the data module (the
// reference tables load before the main window shows), the comparison window, the copy dialog,
// the help viewer, the malt barley dialog and the welcome window, then runs the event loop
// until the main window closes.
#include "data/reference_tables.h"
#include "editor/main_session.h"
#include "help/app_errors.h"
#include "help/http_form.h"
#include "results/sim_chart.h"
#include "ui/chart_form.h"
#include "ui/copy_scenario_form.h"
#include "ui/ini_settings.h"
#include "ui/main_form.h"
#include "ui/malt_barley_dialog.h"
#include "ui/qt_prompts.h"
#include "ui/welcome_form.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <functional>

using namespace acremark;

namespace {

// $ACREMARK_DATA, else refdata beside the program, else ../share/acremark/refdata.
QString ReferenceFolder() {
    const QString env = qEnvironmentVariable("ACREMARK_DATA");
    if (!env.isEmpty()) return env;
    const QDir exe(QCoreApplication::applicationDirPath());
    const QString beside = exe.filePath("refdata");
    if (QFileInfo(beside).isDir()) return beside;
    return QDir::cleanPath(exe.filePath("../share/acremark/refdata"));
}

// The welcome window is created last, but the session needs it from the start.
class LateWelcome : public WelcomeWindow {
public:
    TWelcomeForm* form = nullptr;
    std::function<void()> beforeShow; // the main window shows its columns first
    bool ShowModal(const std::string& title) override {
        if (beforeShow) beforeShow();
        return form ? form->ShowModal(title) : false;
    }
};

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    // Errors that no window handles reach the help viewer's handler: the standard error box.
    TGuardedApplication app(argc, argv);
    QApplication::setOrganizationName("Acremark");
    QApplication::setApplicationName("acremark");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Acremark$: compares cropping plans of a farm by simulating the coming season.\n"
        "FILE.crs, when given, is opened at start as Open does.");
    parser.addHelpOption();
    parser.addPositionalArgument("FILE.crs", "A scenario file to open at start.", "[FILE.crs]");
    QCommandLineOption measure("measure-startup",
                               "Print the milliseconds from start to the first shown main window "
                               "on stdout and quit (for the start-up benchmark).");
    parser.addOption(measure);
    parser.process(app);

    IniSettings iniSettings(QCoreApplication::applicationFilePath());
    // Measuring the start-up neither shows the welcome window nor touches the settings file.
    MemorySettings quietSettings(true);
    SettingsStore& settings =
        parser.isSet(measure) ? static_cast<SettingsStore&>(quietSettings) : iniSettings;
    QtPrompts prompts(nullptr, nullptr);
    LateWelcome welcome;

    // FormCreate; then the data module.
    TMainSession session(prompts, settings, welcome,
                         QCoreApplication::applicationFilePath().toStdString());
    TMainForm mainForm(session);
    prompts.SetParent(&mainForm);
    mainForm.SetPrompts(&prompts);
    try {
        session.DataModuleCreate(ReferenceFolder().toStdString());
    } catch (const std::exception& e) {
        const QString message = QString("Acremark$ cannot start.\n\n%1").arg(e.what());
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        QMessageBox::critical(nullptr, "Error", message);
        return 1;
    }
    session.DocumentsFolder =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
    QLocale locale;
    if (locale.language() != QLocale::C)
        session.SetSeparators(
            {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()});

    TSimChart chart(session.Runs.Results());
    TChartForm chartForm(session.Runs, chart);
    chartForm.prompts = &prompts;
    chartForm.ReportNote = [&session] { return session.ReportNote(); };
    mainForm.SetChartForm(&chartForm);
    TCopyScenarioForm copyForm(&mainForm);
    prompts.SetCopyForm(&copyForm);
    THTTPForm help(&mainForm);
    help.setWindowFlag(Qt::Window);
    help.ShowMessage = [&](const QString& caption, const QString& text) {
        prompts.ShowMessage(caption.toStdString(), text.toStdString());
    };
    help.AskYesNo = [&](const QString& text) {
        return prompts.AskYesNo("Confirm", text.toStdString());
    };
    TMaltBarleyDialog maltDialog(&mainForm);
    session.SetMaltDialogRunner(&maltDialog);
    TWelcomeForm welcomeForm(&mainForm);
    welcome.form = &welcomeForm;
    welcome.beforeShow = [&] {
        mainForm.SyncAll();
        QApplication::processEvents();
    };

    auto openDocument = [](const std::string& path) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    };
    mainForm.OnOpenDocument = openDocument;
    mainForm.OnHelp = [&](const std::string& page, const std::string& topic) {
        help.Title = QString::fromStdString(session.HelpTitle);
        help.UserGuideAddress = QString::fromStdString(session.HelpUserGuidePage);
        help.AboutAddress = QString::fromStdString(session.HelpAboutPage);
        if (help.LoadRes(QString::fromStdString(page)) && !topic.empty())
            help.LoadHelp(QString::fromStdString(topic));
    };
    welcomeForm.OnUserGuide = [&] {
        auto path = session.BitBtnHelpClick(UserGuideFolders());
        if (path) openDocument(*path);
    };
    welcomeForm.OnContactUs = [&] { session.ContactUsClick(); };
    QObject::connect(&chartForm, &TChartForm::MainClicked, &mainForm, [&] {
        mainForm.show();
        mainForm.raise();
        mainForm.activateWindow();
    });
    QObject::connect(&chartForm, &TChartForm::HelpClicked, &mainForm, [&] {
        auto path = session.BitBtnHelpClick(UserGuideFolders());
        if (path) openDocument(*path);
    });

    mainForm.show();
    const QStringList files = parser.positionalArguments();
    if (parser.isSet(measure)) {
        QTimer::singleShot(0, &mainForm, [&] {
            mainForm.FirstShow();
            QApplication::processEvents();
            std::printf("%lld\n", static_cast<long long>(sinceStart.elapsed()));
            std::fflush(stdout);
            QApplication::exit(0);
        });
        return app.exec();
    }
    QTimer::singleShot(0, &mainForm, [&] {
        mainForm.FirstShow();
        if (!files.isEmpty()) mainForm.OpenAtStart(files.first());
    });
    return app.exec();
}
