// File list: the files of one folder that match a name pattern.
#include "platform/FileListBox.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QKeyEvent>

QString joinPath(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return QDir::toNativeSeparators(name);
    const bool endsWithSeparator
        = folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator());
    return QDir::toNativeSeparators(
        endsWithSeparator ? folder + name : folder + QDir::separator() + name);
}

FileListBox::FileListBox(QWidget* parent)
    : QListWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this,
        [this](QListWidgetItem* item) { emit fileClicked(item->text()); });
    setPath(QDir::currentPath());
}

QString FileListBox::path() const
{
    return QDir::toNativeSeparators(m_path);
}

void FileListBox::setPath(const QString& path)
{
    const QString absolute
        = QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(path)).absoluteFilePath());
    if (absolute == m_path) {
        refresh();
        return;
    }
    m_path = absolute;
    fill(QString()); // a name chosen in another folder means nothing here
}

QString FileListBox::pattern() const
{
    return m_pattern;
}

void FileListBox::setPattern(const QString& pattern)
{
    m_pattern = pattern;
    refresh();
}

void FileListBox::refresh()
{
    fill(currentItem() ? currentItem()->text() : QString());
}

void FileListBox::fill(const QString& currentName)
{
    clear();
    const QDir dir(m_path);
    // Name filters ignore letter case, so "*.txt" lists "DATA.TXT" too.
    const QStringList names = dir.entryList(m_pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts),
        QDir::Files, QDir::Name | QDir::IgnoreCase);
    const QIcon icon = QFileIconProvider().icon(QFileIconProvider::File);
    for (const QString& name : names) {
        auto* item = new QListWidgetItem(icon, name, this);
        if (name == currentName)
            setCurrentItem(item);
    }
}

void FileListBox::keyPressEvent(QKeyEvent* event)
{
    // Moving to a file with the keyboard chooses it, as a click does.
    QListWidgetItem* before = currentItem();
    QListWidget::keyPressEvent(event);
    if (currentItem() && currentItem() != before)
        emit fileClicked(currentItem()->text());
}

void FileListBox::focusInEvent(QFocusEvent* event)
{
    // Focus alone chooses nothing, so no file may look chosen: the first
    // arrow key then chooses the first file.
    const bool hadCurrent = currentItem() != nullptr;
    QListWidget::focusInEvent(event);
    if (!hadCurrent)
        setCurrentItem(nullptr);
}
