#pragma once
// Qt cannot carry an exception through its event loop, so every window handler that calls into
// the model runs its body through Guarded: a fault becomes the "Error" message box with its
// text, and the window goes on as the model left it.

#include <QString>

#include <exception>
#include <utility>

class QWidget;

namespace acremark {

class Prompts;

// Shows a fault's text with the caption "Error": through the prompts when there are some, else
// in a message box over `parent`. Never throws.
void ShowFault(Prompts* prompts, QWidget* parent, const QString& text);

// Runs `body`; true when it ended without a fault.
template <typename F> bool Guarded(Prompts* prompts, QWidget* parent, F&& body) {
    try {
        std::forward<F>(body)();
        return true;
    } catch (const std::exception& e) {
        ShowFault(prompts, parent, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowFault(prompts, parent, QStringLiteral("An unknown error occurred."));
    }
    return false;
}

} // namespace acremark
