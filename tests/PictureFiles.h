// What the plot tests read back from picture files: SVG texts and xmllint's verdict.
#pragma once

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QXmlStreamReader>

namespace pictures {

// The texts of an SVG file's <text> elements; none when it is not well-formed.
inline QStringList svgTexts(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    QStringList texts;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("text"))
            texts << xml.readElementText(QXmlStreamReader::IncludeChildElements);
    }
    return xml.hasError() ? QStringList() : texts;
}

// What xmllint says about a file: empty when it is well-formed XML.
inline QString xmllintFaults(const QString& path)
{
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty())
        return QStringLiteral("xmllint is missing (Debian package libxml2-utils)");
    QProcess process;
    process.start(xmllint, { QStringLiteral("--noout"), path });
    if (!process.waitForFinished(60000))
        return QStringLiteral("xmllint did not finish");
    return process.exitCode() == 0 ? QString()
                                   : QString::fromLocal8Bit(process.readAllStandardError());
}

} // namespace pictures
