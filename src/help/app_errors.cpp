#include "help/app_errors.h"

#include <cstdio>
#include <exception>

namespace acremark {

namespace {
TUnhandledErrorHandler& Handler() {
    static TUnhandledErrorHandler handler;
    return handler;
}
} // namespace

TUnhandledErrorHandler SetUnhandledErrorHandler(TUnhandledErrorHandler handler) {
    std::swap(Handler(), handler);
    return handler;
}

void ReportUnhandledError(const QString& text) {
    try {
        if (Handler()) {
            Handler()(text);
            return;
        }
    } catch (...) {
        // The handler itself failed: the text still reaches stderr.
    }
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

bool TGuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ReportUnhandledError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ReportUnhandledError(QStringLiteral("An unknown error occurred."));
    }
    return false;
}

} // namespace acremark
