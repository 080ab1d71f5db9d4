// The platform's dialog for naming a file to save, with a seam through which tests give the name.
#include "platform/SaveFileDialog.h"

#include "platform/MessageBox.h"
#include "platform/NativePath.h"
#include "files/OutputFile.h"

#include <QDir>
#include <QFileDialog>
#include <QQueue>
#include <QRegularExpression>

namespace {

struct Answer {
    QString path;
    QString filter;
};

QQueue<Answer>& pendingNames()
{
    static QQueue<Answer> names;
    return names;
}

// "svg" from "SVG picture (*.svg)".
QString suffixOf(const QString& filter)
{
    const QRegularExpressionMatch match
        = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

namespace SaveFileDialog {

QString getSaveFileName(
    QWidget* parent, const QString& caption, const QStringList& filters, QString* chosenFilter)
{
    if (!pendingNames().isEmpty()) {
        const Answer answer = pendingNames().dequeue();
        if (chosenFilter)
            *chosenFilter = answer.filter.isEmpty() ? filters.value(0) : answer.filter;
        return answer.path;
    }
    QFileDialog dialog(parent, caption, QDir::currentPath());
    dialog.setObjectName(QStringLiteral("dlgSaveFile"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // confirmSave asks, by the program's rules, which see a link to nothing too.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(filters);
    // The suffix follows the chosen filter, and is added before the dialog
    // checks for a file to replace.
    dialog.setDefaultSuffix(suffixOf(filters.value(0)));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    if (chosenFilter)
        *chosenFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().first();
}

bool confirmSave(QWidget* parent, const QString& title, const std::string& nativePath)
{
    switch (saveTarget(nativePath)) {
    case SaveTarget::Missing:
        return true;
    case SaveTarget::NotAFile:
        warnNotSaved(parent, title, nativePath);
        return false;
    case SaveTarget::File:
    case SaveTarget::DanglingLink:
        break;
    }
    return MessageBox::askYesNo(parent, title,
               displayPath(nativeFileName(nativePath))
                   + QStringLiteral(" already exists. Do you want to replace it?"))
        == QMessageBox::Yes;
}

void warnNotSaved(QWidget* parent, const QString& title, const std::string& nativePath)
{
    MessageBox::warning(parent, title, notSavedMessage(displayPath(nativePath)));
}

void setNextFileName(const QString& path, const QString& filter)
{
    pendingNames().enqueue({ path, filter });
}

} // namespace SaveFileDialog
