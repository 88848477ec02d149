#include "app/cli_commands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
    // Drawing (charts, reports) measures fonts, which needs the GUI application; the other
    // commands start faster without it. Drawing needs no display.
    bool draws = false;
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "chart") || !std::strcmp(argv[i], "report")) draws = true;
    std::unique_ptr<QCoreApplication> app;
    if (draws) {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (!std::getenv("XDG_RUNTIME_DIR")) {
            // Qt wants a private runtime folder and warns on stderr without one.
            const std::string dir = "/tmp/runtime-" + std::to_string(getuid());
            mkdir(dir.c_str(), 0700);
            setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        }
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return acremark::RunCli(app->arguments(), std::cout, std::cerr);
}
