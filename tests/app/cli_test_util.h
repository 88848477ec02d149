#pragma once
// Runs acremark-cli in-process and captures its streams.

#include "app/cli_commands.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace acremark::test {

struct CliResult {
    int status;
    std::string out, err;
};

inline CliResult Cli(const QStringList& args) {
    std::ostringstream out, err;
    int status = RunCli(QStringList{"acremark-cli"} + args, out, err);
    return {status, out.str(), err.str()};
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace acremark::test
