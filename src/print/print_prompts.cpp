#include "print/print_prompts.h"

#include <iostream>

namespace acremark {

void TStderrPrintPrompts::ShowMessage(const QString& text) {
    std::cerr << text.toStdString() << '\n';
}

bool TStderrPrintPrompts::AskYesNo(const QString& text) {
    std::cerr << text.toStdString() << " No\n";
    return false;
}

} // namespace acremark
