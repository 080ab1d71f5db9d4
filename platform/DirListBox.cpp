// Folder list: the folder tree around the current folder.
#include "platform/DirListBox.h"

#include "platform/DriveListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyledItemDelegate>

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int DepthRole = Qt::UserRole + 1;

// Indents each entry by its depth in the tree.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented = option;
        indented.rect.setLeft(option.rect.left() + indent(option, index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(option, index), 0);
    }

private:
    static int indent(const QStyleOptionViewItem& option, const QModelIndex& index)
    {
        return index.data(DepthRole).toInt() * option.fontMetrics.height();
    }
};

// A folder the user can open and list: search permission is needed to see its entries.
bool isBrowsableFolder(const QString& path)
{
    const QFileInfo folder(path);
    if (!folder.isDir() || !folder.isReadable())
        return false;
#ifndef Q_OS_WIN
    if (!folder.isExecutable())
        return false;
#endif
    return true;
}

} // namespace

DirListBox::DirListBox(QWidget* parent)
    : QListWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new IndentDelegate(this));
    connect(this, &QListWidget::itemActivated, this, &DirListBox::enterItem);
    if (!setPath(QDir::currentPath()))
        setPath(QDir::rootPath());
}

QString DirListBox::path() const
{
    return QDir::toNativeSeparators(m_path);
}

bool DirListBox::setPath(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QString absolute
        = QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(path)).absoluteFilePath());
    if (!isBrowsableFolder(absolute))
        return false;
    const bool changed = absolute != m_path;
    m_path = absolute;
    refresh();
    if (changed)
        emit pathChanged(this->path());
    return true;
}

void DirListBox::refresh()
{
    clear();
    // The open chain: the drive's root, each folder down to the current one.
    const QString root = QDir::fromNativeSeparators(DriveListBox::driveOf(m_path));
    QString folder = root;
    addFolder(QDir::toNativeSeparators(root), root, 0, true);
    const QStringList names = m_path.mid(root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (!folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        folder += name;
        addFolder(name, folder, int(count()), true);
    }
    QListWidgetItem* current = item(count() - 1);

    const int depth = int(count());
    const QDir dir(m_path);
    const QStringList subfolders
        = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subfolders)
        addFolder(name, dir.filePath(name), depth, false);

    setCurrentItem(current);
    scrollToItem(current);
}

void DirListBox::addFolder(const QString& name, const QString& path, int depth, bool open)
{
    auto* item = new QListWidgetItem(
        style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon), name,
        this);
    item->setData(PathRole, path);
    item->setData(DepthRole, depth);
}

void DirListBox::enterItem(QListWidgetItem* item)
{
    if (item)
        setPath(item->data(PathRole).toString());
}

void DirListBox::keyPressEvent(QKeyEvent* event)
{
    // Enter goes into the folder and stops there, so that it does not also
    // press a dialog's default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        enterItem(currentItem());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}
