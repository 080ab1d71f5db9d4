// The import's edge cases as named data files, shared by the import tests, the
// bad-input catalogue and the import fuzz target's seeds (fuzz/import_seeds.sh).
#pragma once

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>

// A file's base name ends in the delimiter it is imported with, after a dot
// or an underscore: tests/files/import/two-spaces-empty-field.space.txt,
// examples/scores_space.dat.
struct Delimiter {
    const char* word;
    const char* text;
    const char* option; // the main window's option button; none for no delimiter
};

inline const Delimiter& delimiterOf(const QString& path)
{
    static const Delimiter delimiters[] = { { "tab", "\t", "optTab" }, { "comma", ",", "optComma" },
        { "semicolon", ";", "optSemicolon" }, { "space", " ", "optSpace" }, { "none", "", "" } };
    const QString base = QFileInfo(path).completeBaseName();
    const QString word = base.mid(std::max(base.lastIndexOf('.'), base.lastIndexOf('_')) + 1);
    for (const Delimiter& delimiter : delimiters) {
        if (word == QLatin1String(delimiter.word))
            return delimiter;
    }
    qFatal("%s does not end in its delimiter", qPrintable(path));
}

// The named file `name` of tests/files/import.
inline QString importFile(const QString& name)
{
    return QStringLiteral(TRELLAM_SOURCE_DIR "/tests/files/import/") + name;
}

// A file built in code where a named file would be silly (lines longer than a
// read), written to a folder that lasts as long as the test program.
inline QString builtImportFile(const QString& name, const QByteArray& bytes)
{
    static QTemporaryDir folder;
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}
