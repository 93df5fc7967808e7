#include "app/widgets/qt_prompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace {

// "Excel Files (*.xls)|*.xls|" -> "Excel Files (*.xls)": Qt wants the visible half only.
QString qtFilterFrom(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList names;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        names << parts.at(i);
    return names.join(QStringLiteral(";;"));
}

QMessageBox::Icon boxIcon(Prompt::Icon icon) {
    switch (icon) {
    case Prompt::Icon::Warning:
        return QMessageBox::Warning;
    case Prompt::Icon::Question:
        return QMessageBox::Question;
    case Prompt::Icon::Information:
        return QMessageBox::Information;
    case Prompt::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

Prompt::Answer QtPrompt::message(const QString& text, const QString& title, Icon icon, Buttons buttons,
                                 Answer defaultButton) {
    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? appTitle() : title);
    box.setText(text);
    box.setIcon(boxIcon(icon));
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
