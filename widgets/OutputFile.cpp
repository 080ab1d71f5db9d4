// Output files: the output pane's text kept in a plain 8-bit text file.
#include "widgets/OutputFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QLatin1String lineEnd("\r\n");

// `text` with every line, a last one without a line end included, ending in CR LF.
QString withCrLfLineEnds(QStringView text)
{
    QString lines;
    lines.reserve(text.size() + text.size() / 8 + 2);
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.sliced(lineStart, i - lineStart));
        lines.append(lineEnd);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < text.size()) {
        lines.append(text.sliced(lineStart));
        lines.append(lineEnd);
    }
    return lines;
}

} // namespace

QString outputFileName(const QString& typedName)
{
    if (typedName.endsWith(QLatin1String(".txt"), Qt::CaseSensitive))
        return typedName;
    return typedName + QLatin1String(".txt");
}

bool saveOutputText(const QString& path, const QString& text)
{
    // Replacing the file through a new one would otherwise get past a file
    // that was made read-only to keep it.
    const QFileInfo target(path);
    if (target.exists() && !target.isWritable())
        return false;

    // QSaveFile follows a symbolic link, copies an existing file's
    // permissions to the new file and falls back to writing in place only
    // where the folder refuses a new file.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes = text.toLocal8Bit();
    bytes.append(lineEnd.data(), lineEnd.size());
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<QString> readOutputText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return withCrLfLineEnds(QString::fromLocal8Bit(bytes));
}
