#pragma once
// The help pages are carried inside the program as Qt resources, one folder per kind:
// ":/help/html" (pages and the style sheet), ":/help/picture" and ":/help/text". A page is
// addressed as "res:///" followed by its name; the extension picks the kind (htm, html, css:
// HTML; gif, jpg, jpeg, png, bmp: picture; txt: text) and the name is tried with its extension,
// then without it, without regard to case.

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace acremark {

enum class THelpResourceKind { Html, Picture, Text };

struct THelpResource {
    THelpResourceKind Kind = THelpResourceKind::Html;
    QString Name; // the name as asked for, without the scheme
    QString Path; // the Qt resource path found; empty when none
    QByteArray Data;
    QString Error; // "Can't find resource: NAME" or "Can't load resource: NAME"; empty when read
    bool Ok() const { return Error.isEmpty(); }
};

inline constexpr const char* kResScheme = "res";
inline constexpr const char* kCantFindResource = "Can't find resource: ";
inline constexpr const char* kCantLoadResource = "Can't load resource: ";

// The kind an extension selects; HTML for a name without one or with one not listed.
THelpResourceKind HelpKindOf(const QString& name);
// "res:///Name.ext" (or a relative "Name.ext" taken as such) to "Name.ext".
QString HelpResourceName(const QUrl& address);
// Whether the address is one of the carried pages.
bool IsHelpAddress(const QUrl& address);
// Finds and reads the resource; a picture must also decode.
THelpResource FindHelpResource(const QString& name);
// The same for an address: the kind follows the name unless `kind` is given.
THelpResource FindHelpResource(const QUrl& address);

// Makes sure the carried pages are registered (the library is static).
void InitHelpResources();

} // namespace acremark
