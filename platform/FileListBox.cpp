// File list: the files of one folder that match a name pattern.
#include "platform/FileListBox.h"

#include "platform/NativePath.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QKeyEvent>
#include <QRegularExpression>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace {

// An item's native name, the file system's own bytes.
constexpr int NativeNameRole = Qt::UserRole;

struct ListedFile {
    QString shown;
    QByteArray native;
};

QList<QRegularExpression> namePatterns(const QString& patterns)
{
    QList<QRegularExpression> expressions;
    for (const QString& pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        expressions << QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
            QRegularExpression::CaseInsensitiveOption);
    return expressions;
}

// The regular files of `folder` (links to them too) whose shown names match
// one of `patterns`, sorted by name in any letter case. The folder is read
// through the file system's own names: Qt's listing leaves out a name that
// is not valid in the system's encoding.
std::vector<ListedFile> matchingFiles(const QString& folder, const QString& patterns)
{
    const QList<QRegularExpression> expressions = namePatterns(patterns);
    std::vector<ListedFile> files;
    std::error_code unreadable;
    std::filesystem::directory_iterator entries(fileSystemPath(nativePath(folder)),
        std::filesystem::directory_options::skip_permission_denied, unreadable);
    for (; !unreadable && entries != std::filesystem::directory_iterator();
         entries.increment(unreadable)) {
        std::error_code typeUnknown;
        const QByteArray native
            = QByteArray::fromStdString(fromFileSystemPath(entries->path().filename()));
        if (native.startsWith('.') || !entries->is_regular_file(typeUnknown))
            continue;
        const QString shown = displayPath(native.toStdString());
        if (std::any_of(expressions.begin(), expressions.end(),
                [&shown](const QRegularExpression& e) { return e.match(shown).hasMatch(); }))
            files.push_back({ shown, native });
    }
    std::sort(files.begin(), files.end(), [](const ListedFile& a, const ListedFile& b) {
        const int order = a.shown.compare(b.shown, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.native < b.native;
    });
    return files;
}

} // namespace

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
    fill(QByteArray()); // a name chosen in another folder means nothing here
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
    fill(currentItem() ? currentItem()->data(NativeNameRole).toByteArray() : QByteArray());
}

std::string FileListBox::currentFilePath() const
{
    if (!currentItem())
        return {};
    std::string path = nativePath(m_path);
    if (!path.empty() && path.back() != '/' && path.back() != '\\')
        path += nativePath(QStringLiteral("/"));
    return path + currentItem()->data(NativeNameRole).toByteArray().toStdString();
}

std::string FileListBox::filePath(const QString& name) const
{
    if (currentItem() && currentItem()->text() == name)
        return currentFilePath();
    return nativePath(joinPath(path(), name));
}

bool FileListBox::setCurrentFile(const std::string& nativeName)
{
    const QByteArray wanted = QByteArray::fromStdString(nativeName);
    for (int row = 0; row < count(); ++row) {
        if (item(row)->data(NativeNameRole).toByteArray() == wanted) {
            setCurrentItem(item(row));
            scrollToItem(item(row));
            return true;
        }
    }
    return false;
}

void FileListBox::fill(const QByteArray& currentName)
{
    clear();
    // Name patterns ignore letter case, so "*.txt" lists "DATA.TXT" too.
    const QIcon icon = QFileIconProvider().icon(QFileIconProvider::File);
    for (const ListedFile& file : matchingFiles(m_path, m_pattern)) {
        auto* item = new QListWidgetItem(icon, file.shown, this);
        item->setData(NativeNameRole, file.native);
        if (file.native == currentName)
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
