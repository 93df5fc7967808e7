#pragma once

// Reading printed PDF files back through poppler's command-line tools.

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// Standard output of program, or an empty text when it failed.
inline QString runTool(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The page count pdfinfo reads, or -1.
inline int pdfPageCount(const QString& path) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(runTool(QStringLiteral("pdfinfo"), {path}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The text of each page, as pdftotext lays it out.
inline QStringList pdfPageTexts(const QString& path) {
    return runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")})
        .split(QLatin1Char('\f'), Qt::SkipEmptyParts);
}
