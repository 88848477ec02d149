#include "ui/guarded.h"

#include "editor/prompts.h"

#include <QMessageBox>

#include <cstdio>

namespace acremark {

void ShowFault(Prompts* prompts, QWidget* parent, const QString& text) {
    try {
        if (prompts)
            prompts->ShowMessage("Error", text.toStdString());
        else
            QMessageBox::critical(parent, QStringLiteral("Error"), text);
    } catch (...) {
        // The message itself failed: the fault must still not reach the event loop.
        std::fprintf(stderr, "Error: %s\n", text.toLocal8Bit().constData());
    }
}

} // namespace acremark
