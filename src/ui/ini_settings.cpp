#include "ui/ini_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace acremark {

IniSettings::IniSettings(const QString& programPath, const QString& configDir) {
    const QFileInfo program(programPath);
    const QString name = program.completeBaseName() + ".ini";
    const QFileInfo folder(program.absolutePath());
    if (folder.isDir() && folder.isWritable()) {
        path_ = program.absoluteDir().filePath(name);
    } else {
        QString dir = configDir.isEmpty()
                          ? QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
                          : configDir;
        QDir().mkpath(dir);
        path_ = QDir(dir).filePath(name);
    }
}

bool IniSettings::NotShowWelcomeForm() const {
    QSettings s(path_, QSettings::IniFormat);
    return s.value("Section1/NotShowWelcomeForm", false).toBool();
}

void IniSettings::SetNotShowWelcomeForm(bool value) {
    QSettings s(path_, QSettings::IniFormat);
    s.setValue("Section1/NotShowWelcomeForm", value);
    s.sync();
}

std::string IniSettings::LastFolder() const {
    QSettings s(path_, QSettings::IniFormat);
    return s.value("Files/LastFolder").toString().toStdString();
}

void IniSettings::SetLastFolder(const std::string& folder) {
    QSettings s(path_, QSettings::IniFormat);
    s.setValue("Files/LastFolder", QString::fromStdString(folder));
    s.sync();
}

std::optional<std::uint32_t> IniSettings::CommonSeed() const {
    QSettings s(path_, QSettings::IniFormat);
    bool ok = false;
    const qulonglong v = s.value("Section1/CommonSeed").toULongLong(&ok);
    if (!ok || v > 0xFFFFFFFFull) return std::nullopt; // absent or not a seed: the option is off
    return std::uint32_t(v);
}

void IniSettings::SetCommonSeed(std::optional<std::uint32_t> seed) {
    QSettings s(path_, QSettings::IniFormat);
    if (seed)
        s.setValue("Section1/CommonSeed", qulonglong(*seed));
    else
        s.remove("Section1/CommonSeed");
    s.sync();
}

} // namespace acremark
