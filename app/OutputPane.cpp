// The output pane: an editable plain-text box that reports are appended to.
#include "app/OutputPane.h"

#include <QFontDatabase>
#include <QScrollBar>
#include <QTextCursor>

OutputPane::OutputPane(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setUndoRedoEnabled(true);
}

void OutputPane::appendReport(const QString& report)
{
    QScrollBar* bar = verticalScrollBar();
    const int scrollPosition = bar->value();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(fromCrLf(report));
    bar->setValue(scrollPosition);
}

QString OutputPane::textCrLf() const
{
    return toCrLf(toPlainText());
}

QString OutputPane::selectedTextCrLf() const
{
    // QTextCursor marks paragraph breaks in a selection with U+2029.
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return toCrLf(text);
}

void OutputPane::replaceText(const QString& text)
{
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(fromCrLf(text));
}

QString OutputPane::fromCrLf(const QString& text)
{
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return plain;
}

QString OutputPane::toCrLf(const QString& text)
{
    QString crlf = text;
    crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return crlf;
}
