#pragma once
// The help viewer's interface as the main window calls it: a page carried with the program
// ("res:///HelpInput.htm") and a topic on it. Until the carried pages land, the window says
// which page and topic were asked for.

#include <QDialog>
#include <string>

class QLabel;

namespace acremark {

class THelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);
    void SetTitle(const std::string& title);
    void LoadRes(const std::string& page);
    void LoadHelp(const std::string& topic);

private:
    void Refresh();
    QLabel* text_;
    std::string page_, topic_;
};

} // namespace acremark
