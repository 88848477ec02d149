#include "app/cli_reference.h"

#include "app/cli_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace acremark {

namespace {
QString ProgramFolder() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    // Without an application object (tests call the commands in-process).
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
}
} // namespace

QString ReferenceFolder(const QString& dataOption) {
    if (!dataOption.isEmpty()) return dataOption;
    const QString env = qEnvironmentVariable("ACREMARK_DATA");
    if (!env.isEmpty()) return env;
    const QDir exe(ProgramFolder());
    const QString beside = QDir::cleanPath(exe.filePath(QStringLiteral("refdata")));
    const QString installed =
        QDir::cleanPath(exe.filePath(QStringLiteral("../share/acremark/refdata")));
    for (const QString& folder : {beside, installed})
        if (QFileInfo(folder).isDir()) return folder;
    throw CliError("The reference tables were not found: neither " + beside.toStdString() +
                   " nor " + installed.toStdString() +
                   " exists (give the folder with --data DIR or ACREMARK_DATA)");
}

std::shared_ptr<const TReferenceTables> LoadReferenceTables(const QString& dataOption) {
    const QString folder = ReferenceFolder(dataOption);
    try {
        return std::make_shared<const TReferenceTables>(
            TReferenceTables::LoadFromFolder(folder.toStdString()));
    } catch (const ReferenceDataError& e) {
        throw CliError(e.what());
    }
}

} // namespace acremark
