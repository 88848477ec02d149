#include "help/help_resources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

static void InitHelpPagesResource() {
    Q_INIT_RESOURCE(help_pages);
}

namespace acremark {

void InitHelpResources() {
    static const bool done = (InitHelpPagesResource(), true);
    (void)done;
}

THelpResourceKind HelpKindOf(const QString& name) {
    const QString ext = QFileInfo(name).suffix().toLower();
    if (ext == "gif" || ext == "jpg" || ext == "jpeg" || ext == "png" || ext == "bmp")
        return THelpResourceKind::Picture;
    if (ext == "txt") return THelpResourceKind::Text;
    return THelpResourceKind::Html;
}

QString HelpResourceName(const QUrl& address) {
    QString path = address.path();
    while (path.startsWith('/'))
        path.remove(0, 1);
    return path;
}

bool IsHelpAddress(const QUrl& address) {
    return address.scheme() == kResScheme;
}

namespace {

const char* FolderOf(THelpResourceKind kind) {
    switch (kind) {
    case THelpResourceKind::Picture:
        return ":/help/picture";
    case THelpResourceKind::Text:
        return ":/help/text";
    case THelpResourceKind::Html:
        break;
    }
    return ":/help/html";
}

// Resource names, like the pages' links, do not depend on case.
QString FindInFolder(const QString& folder, const QString& name) {
    if (name.isEmpty() || name.contains('/')) return {};
    const QDir dir(folder);
    for (const QString& entry : dir.entryList(QDir::Files))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return {};
}

} // namespace

THelpResource FindHelpResource(const QString& name) {
    InitHelpResources();
    THelpResource r;
    r.Name = name;
    r.Kind = HelpKindOf(name);
    const QString folder = FolderOf(r.Kind);
    r.Path = FindInFolder(folder, name);
    if (r.Path.isEmpty()) {
        const QFileInfo info(name);
        if (!info.suffix().isEmpty())
            r.Path = FindInFolder(folder, name.left(name.size() - info.suffix().size() - 1));
    }
    if (r.Path.isEmpty()) {
        r.Error = kCantFindResource + name;
        return r;
    }
    QFile file(r.Path);
    if (!file.open(QIODevice::ReadOnly)) {
        r.Error = kCantLoadResource + name;
        return r;
    }
    r.Data = file.readAll();
    if (r.Kind == THelpResourceKind::Picture && QImage::fromData(r.Data).isNull())
        r.Error = kCantLoadResource + name;
    return r;
}

THelpResource FindHelpResource(const QUrl& address) {
    return FindHelpResource(HelpResourceName(address));
}

} // namespace acremark
