// File list: the files of one folder that match a name pattern.
#pragma once

#include <QListWidget>
#include <QString>

// Joins a folder and a file name with the platform's separator, adding one
// only where the folder does not already end with one.
QString joinPath(const QString& folder, const QString& name);

// One item per matching file (folders never), sorted by name, whose text is
// the file name. Choosing an item by mouse or keyboard emits fileClicked;
// filling the list never does.
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

signals:
    void fileClicked(const QString& fileName);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void fill(const QString& currentName);

    QString m_path; // absolute, clean, "/" separators
    QString m_pattern = QStringLiteral("*");
};
