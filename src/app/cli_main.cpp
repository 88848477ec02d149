#include "app/cli_commands.h"

#include <QCoreApplication>
#include <iostream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return acremark::RunCli(app.arguments(), std::cout, std::cerr);
}
