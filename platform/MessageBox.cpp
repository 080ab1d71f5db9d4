// Modal message boxes, with a seam through which tests give the answer.
#include "platform/MessageBox.h"

#include <QQueue>

namespace {

QQueue<QMessageBox::StandardButton>& pendingAnswers()
{
    static QQueue<QMessageBox::StandardButton> answers;
    return answers;
}

QString& lastTitleText()
{
    static QString title;
    return title;
}

QString& lastBodyText()
{
    static QString text;
    return text;
}

QString& lastInformative()
{
    static QString text;
    return text;
}

QMessageBox::StandardButton show(QWidget* parent, const QString& title, const QString& text,
    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton,
    QMessageBox::Icon icon = QMessageBox::Warning, const QString& informative = QString())
{
    lastTitleText() = title;
    lastBodyText() = text;
    lastInformative() = informative;
    if (!pendingAnswers().isEmpty())
        return pendingAnswers().dequeue();
    QMessageBox box(icon, title, text, buttons, parent);
    box.setObjectName(QStringLiteral("msgBox"));
    box.setDefaultButton(defaultButton);
    box.setInformativeText(informative);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

namespace MessageBox {

void warning(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void warning(QWidget* parent, const QString& title, const QString& text, const QString& informative)
{
    show(parent, title, text, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Warning, informative);
}

void information(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, title, text, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Information);
}

QMessageBox::StandardButton askYesNoCancel(
    QWidget* parent, const QString& title, const QString& text)
{
    return show(parent, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
        QMessageBox::Yes);
}

QMessageBox::StandardButton askYesNo(QWidget* parent, const QString& title, const QString& text)
{
    return show(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
}

void setNextAnswer(QMessageBox::StandardButton answer)
{
    pendingAnswers().enqueue(answer);
}

QString lastTitle()
{
    return lastTitleText();
}

QString lastText()
{
    return lastBodyText();
}

QString lastInformativeText()
{
    return lastInformative();
}

} // namespace MessageBox
