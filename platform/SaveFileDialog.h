// The platform's dialog for naming a file to save, with a seam through which tests give the name.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace SaveFileDialog {

// Asks for a file to save with the platform's standard dialog, which asks
// before replacing a file. `filters` are "SVG picture (*.svg)"-style entries;
// a name typed without an extension gets the chosen filter's. Returns the
// full path, or an empty text when the user cancels.
QString getSaveFileName(QWidget* parent, const QString& caption, const QStringList& filters);

// Tests: the next dialog is not shown and gives `path` at once (empty for
// Cancel). Each call answers one dialog; calls queue up in order.
void setNextFileName(const QString& path);

} // namespace SaveFileDialog
