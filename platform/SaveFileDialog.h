// The platform's dialog for naming a file to save, with a seam through which tests give the name.
#pragma once

#include <QString>
#include <QStringList>

#include <string>

class QWidget;

namespace SaveFileDialog {

// Asks for a file to save with the platform's standard dialog; the caller
// asks before replacing a file, through confirmSave. `filters` are
// "SVG picture (*.svg)"-style entries; a name typed without an extension gets
// the chosen filter's. Returns the full path, or an empty text when the user
// cancels; `chosenFilter`, if given, receives the filter chosen last.
QString getSaveFileName(QWidget* parent, const QString& caption, const QStringList& filters,
    QString* chosenFilter = nullptr);

// Before a save onto `nativePath` (platform/NativePath.h), in the window
// `parent` with the title `title`: a folder, pipe or device there, or a link
// to one, is refused at once with warnNotSaved; anything else by that name, a
// link to nothing included, is replaced only when the user answers Yes to
// "<name> already exists. Do you want to replace it?" (No the default). True
// when the save may go ahead.
bool confirmSave(QWidget* parent, const QString& title, const std::string& nativePath);

// "The file could not be saved: <path>" in a warning box.
void warnNotSaved(QWidget* parent, const QString& title, const std::string& nativePath);

// Tests: the next dialog is not shown and gives `path` at once (empty for
// Cancel), with `filter` chosen (the first filter when empty). Each call
// answers one dialog; calls queue up in order.
void setNextFileName(const QString& path, const QString& filter = QString());

} // namespace SaveFileDialog
