#pragma once
// A report's destination for window tests: instead of the preview, it keeps the texts of every
// page of the last report shown.

#include "print/print_object.h"

#include <QStringList>

#include <vector>

namespace acremark::testing {

struct ReportRecorder : TPrintDisplay {
    std::vector<QStringList> pages; // the last report's, page by page
    bool ShowPreview(TPrintObject& report) override {
        pages.clear();
        for (int k = 1; k <= report.PageCount(); ++k) {
            QStringList texts;
            for (const auto& c : report.Page(k).Commands)
                if (c.Kind == commText) texts << c.Text;
            pages.push_back(texts);
        }
        return true;
    }
    bool PrintReport(TPrintObject&) override { return true; }
};

} // namespace acremark::testing
