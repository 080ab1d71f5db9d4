// File list: the files of one folder that match a name pattern.
#pragma once

#include <QListWidget>
#include <QString>

#include <string>

// Joins a folder and a file name with the platform's separator, adding one
// only where the folder does not already end with one.
QString joinPath(const QString& folder, const QString& name);

// One item per matching file (folders never, nor hidden files), sorted by
// name, whose text is the file name. A name that is not valid in the
// system's encoding is listed too, shown with its bytes read as Latin-1, and
// opens through its native path. Choosing an item by mouse or keyboard emits
// fileClicked; filling the list never does.
class FileListBox : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath)
    Q_PROPERTY(QString pattern READ pattern WRITE setPattern)
public:
    explicit FileListBox(QWidget* parent = nullptr);

    // The folder listed, in native form.
    QString path() const;
    void setPath(const QString& path);
    // A name pattern such as "*.txt" ("*" lists every file; several patterns
    // are separated by ";"). Letter case does not matter.
    QString pattern() const;
    void setPattern(const QString& pattern);
    // Reads the folder again; the current file stays current if it is still listed.
    void refresh();
    // The native path (platform/NativePath.h) of the current file; empty when none is current.
    std::string currentFilePath() const;
    // The native path of the file `name` in the folder listed: the current
    // file's own bytes when `name` is the name it shows, so that a name not
    // valid in the system's encoding is found; otherwise `name` encoded.
    std::string filePath(const QString& name) const;
    // Makes the file of native name `nativeName` current, without emitting
    // fileClicked; false when it is not listed.
    bool setCurrentFile(const std::string& nativeName);

signals:
    void fileClicked(const QString& fileName);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void fill(const QByteArray& currentName);

    QString m_path; // absolute, clean, "/" separators
    QString m_pattern = QStringLiteral("*");
};
