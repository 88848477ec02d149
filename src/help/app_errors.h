#pragma once
// The program-wide handler for errors that no window handles. Qt cannot carry an exception
// through its event loop, so the application object catches whatever escapes an event handler
// and hands its text to the installed handler (the help viewer installs one that shows the
// standard error box); without a handler the text goes to stderr.

#include <QApplication>
#include <functional>

namespace acremark {

using TUnhandledErrorHandler = std::function<void(const QString& text)>;

// Installs the handler (an empty function removes it); returns the one it replaces.
TUnhandledErrorHandler SetUnhandledErrorHandler(TUnhandledErrorHandler handler);
// Shows the text through the handler. Never throws.
void ReportUnhandledError(const QString& text);

class TGuardedApplication : public QApplication {
public:
    TGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace acremark
