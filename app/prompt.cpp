#include "app/prompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace {
QString gAppTitle;
Prompt* gInstalledPrompt = nullptr;

// "Excel Files (*.xls)|*.xls|" -> "Excel Files (*.xls)": Qt wants the visible half only.
QString qtFilterFrom(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList names;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        names << parts.at(i);
    return names.join(QStringLiteral(";;"));
}
} // namespace

Prompt& prompt() {
    static QtPrompt qtPrompt;
    return gInstalledPrompt ? *gInstalledPrompt : qtPrompt;
}

void setPrompt(Prompt* p) {
    gInstalledPrompt = p;
}

QString appTitle() {
    return gAppTitle;
}
void setAppTitle(const QString& title) {
    gAppTitle = title;
}

Prompt::Answer QtPrompt::message(const QString& text, const QString& title, Icon icon, Buttons buttons,
                                 Answer defaultButton) {
    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? appTitle() : title);
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(defaultButton == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int result = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString QtPrompt::saveFileName(const QString& title, const QString& filter) {
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, QString(), qtFilterFrom(filter));
}
