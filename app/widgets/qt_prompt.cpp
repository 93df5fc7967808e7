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
    if (buttons == Buttons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return Answer::Ok;
    }
    const bool cancel = buttons == Buttons::YesNoCancel;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | (cancel ? QMessageBox::Cancel : QMessageBox::NoButton));
    box.setDefaultButton(defaultButton == Answer::Yes  ? QMessageBox::Yes
                         : defaultButton == Answer::No ? QMessageBox::No
                                                       : QMessageBox::Cancel);
    box.setEscapeButton(cancel ? QMessageBox::Cancel : QMessageBox::No);
    const int result = box.exec();
    return result == QMessageBox::Yes ? Answer::Yes : result == QMessageBox::No ? Answer::No : Answer::Cancel;
}

QString QtPrompt::saveFileName(const QString& title, const QString& filter) {
    const QString names = qtFilterFrom(filter);
    QString chosen;
    const QString name = QFileDialog::getSaveFileName(QApplication::activeWindow(), title, QString(), names, &chosen,
                                                      QFileDialog::DontConfirmOverwrite);
    return withChosenSuffix(name, filter, int(names.split(QStringLiteral(";;")).indexOf(chosen)));
}

QString QtPrompt::openFileName(const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, QString(), qtFilterFrom(filter));
}
