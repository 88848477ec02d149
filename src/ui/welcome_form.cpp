#include "ui/welcome_form.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace acremark {

TWelcomeForm::TWelcomeForm(QWidget* parent) : QDialog(parent) {
    setObjectName("WelcomeForm");
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel("Welcome to Acremark$", this);
    QFont big = heading->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    heading->setFont(big);
    heading->setAlignment(Qt::AlignCenter);
    layout->addWidget(heading);

    auto* intro = new QLabel(
        "Acremark$ compares up to eight cropping plans for your farm. Describe each field - its "
        "crop, acres, practice, the worst, best and most likely yield and price, crop insurance "
        "and a per-acre cost budget - then let the program simulate the coming season thousands "
        "of times with correlated yields and prices.\n\n"
        "Start by entering the farm's legal land location (township, range, meridian) and its "
        "soil type; then add fields, run the simulation and compare the scenarios.",
        this);
    intro->setWordWrap(true);
    intro->setMinimumWidth(420);
    layout->addWidget(intro);

    auto* links = new QHBoxLayout;
    LinkUserGuide = new QLabel("The User Guide", this);
    LinkContactUs = new QLabel("Contact Us", this);
    for (QLabel* link : {LinkUserGuide, LinkContactUs}) {
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
        StyleLink(link, false);
        links->addWidget(link);
    }
    links->addStretch();
    layout->addLayout(links);

    auto* bottom = new QHBoxLayout;
    CheckBoxNotShow = new QCheckBox("Do not show this window at start", this);
    bottom->addWidget(CheckBoxNotShow);
    bottom->addStretch();
    ButtonStart = new QPushButton("Start", this);
    ButtonStart->setDefault(true);
    bottom->addWidget(ButtonStart);
    layout->addLayout(bottom);
    connect(ButtonStart, &QPushButton::clicked, this, &QDialog::accept);
}

void TWelcomeForm::StyleLink(QLabel* link, bool hot) {
    // Underlined navy; blue and bold under the mouse.
    link->setStyleSheet(hot ? "QLabel { color: #0000FF; font-weight: bold; text-decoration: "
                              "underline; }"
                            : "QLabel { color: #000080; font-weight: normal; text-decoration: "
                              "underline; }");
}

bool TWelcomeForm::eventFilter(QObject* watched, QEvent* event) {
    auto* link = qobject_cast<QLabel*>(watched);
    if (link && (link == LinkUserGuide || link == LinkContactUs)) {
        if (event->type() == QEvent::Enter)
            StyleLink(link, true);
        else if (event->type() == QEvent::Leave)
            StyleLink(link, false);
        else if (event->type() == QEvent::MouseButtonRelease) {
            if (link == LinkUserGuide && OnUserGuide) OnUserGuide();
            if (link == LinkContactUs && OnContactUs) OnContactUs();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TWelcomeForm::ShowModal(const std::string& title) {
    setWindowTitle(QString::fromStdString(title));
    exec();
    ButtonStart->setText("Resume"); // from the first showing on
    return CheckBoxNotShow->isChecked();
}

} // namespace acremark
