// The platform's dialog for choosing a file to open, with a seam through which tests give the name.
#include "platform/OpenFileDialog.h"

#include <QFileDialog>
#include <QQueue>

namespace {

QQueue<QString>& pendingNames()
{
    static QQueue<QString> names;
    return names;
}

} // namespace

namespace OpenFileDialog {

QString getOpenFileName(
    QWidget* parent, const QString& caption, const QString& folder, const QStringList& filters)
{
    if (!pendingNames().isEmpty())
        return pendingNames().dequeue();
    QFileDialog dialog(parent, caption, folder);
    dialog.setObjectName(QStringLiteral("dlgOpenFile"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

void setNextFileName(const QString& path)
{
    pendingNames().enqueue(path);
}

} // namespace OpenFileDialog
