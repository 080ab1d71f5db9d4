// Output files: the output pane's text kept in a plain 8-bit text file.
#include "widgets/OutputFile.h"

#include "widgets/LineEnds.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QLatin1String fileLineEnd("\r\n");

// `text` with every line, a last one without a line end included, ending in LF.
QString withClosedLines(QStringView text)
{
    QString lines = withLf(text);
    if (!lines.isEmpty() && !lines.endsWith(QLatin1Char('\n')))
        lines.append(QLatin1Char('\n'));
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
    QByteArray bytes = withCrLf(text).toLocal8Bit();
    bytes.append(fileLineEnd.data(), fileLineEnd.size());
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
    return withClosedLines(QString::fromLocal8Bit(bytes));
}
