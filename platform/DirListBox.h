// Folder list: the folder tree around the current folder.
#pragma once

#include <QListWidget>
#include <QString>

// Shows the current folder's ancestors from its drive's root down, the folder
// itself and its subfolders, each indented by its depth; activating an entry
// (double click or Enter) makes it the current folder.
class DirListBox : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath NOTIFY pathChanged)
public:
    explicit DirListBox(QWidget* parent = nullptr);

    // The current folder in native form.
    QString path() const;
    // Makes `path` the current folder; returns false and keeps the old one
    // when it is not a readable folder. Emits pathChanged when it changed.
    bool setPath(const QString& path);
    // Reads the current folder's subfolders again.
    void refresh();

signals:
    void pathChanged(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void enterItem(QListWidgetItem* item);
    void addFolder(const QString& name, const QString& path, int depth, bool open);

    QString m_path; // absolute, clean, "/" separators
};
