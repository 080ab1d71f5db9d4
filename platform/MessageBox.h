// Modal message boxes, with a seam through which tests give the answer.
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace MessageBox {

// A modal warning box (exclamation icon, one OK button).
void warning(QWidget* parent, const QString& title, const QString& text);
// The same with `informative` below the text: what was found, what may mend it.
void warning(
    QWidget* parent, const QString& title, const QString& text, const QString& informative);

// A modal box that tells something (information icon, one OK button).
void information(QWidget* parent, const QString& title, const QString& text);
// A modal question with Yes, No and Cancel (warning icon); returns the button.
QMessageBox::StandardButton askYesNoCancel(
    QWidget* parent, const QString& title, const QString& text);

// A modal question with Yes and No, No the default, for a step that cannot
// be undone (warning icon); returns the button.
QMessageBox::StandardButton askYesNo(QWidget* parent, const QString& title, const QString& text);

// Tests: the next box is not shown and returns `answer` at once. Each call
// answers one box; calls queue up in order.
void setNextAnswer(QMessageBox::StandardButton answer);
// Tests: the title and text of the last box asked for, shown or answered.
QString lastTitle();
QString lastText();
// Tests: the informative text of the last box; empty when it had none.
QString lastInformativeText();

} // namespace MessageBox
