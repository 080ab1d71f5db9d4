// The platform's dialog for choosing a file to open, with a seam through which tests give the name.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace OpenFileDialog {

// Asks for an existing file with the platform's standard dialog, starting in
// `folder`; `filters` are "CSV (*.csv)"-style entries, the first one chosen.
// Returns the full path, or an empty text when the user cancels.
QString getOpenFileName(
    QWidget* parent, const QString& caption, const QString& folder, const QStringList& filters);

// Tests: the next dialog is not shown and gives `path` at once (empty for
// Cancel). Each call answers one dialog; calls queue up in order.
void setNextFileName(const QString& path);

} // namespace OpenFileDialog
