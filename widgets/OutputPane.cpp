// The output pane: an editable plain-text box that reports are appended to.
#include "widgets/OutputPane.h"

#include <QFontDatabase>
#include <QMimeData>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

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
    // The raw text keeps non-breaking spaces, which toPlainText() turns into blanks.
    return toCrLf(document()->toRawText());
}

QString OutputPane::selectedTextCrLf() const
{
    // QTextCursor marks paragraph breaks in a selection with U+2029.
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return toCrLf(text);
}

QMimeData* OutputPane::createMimeDataFromSelection() const
{
    auto* data = new QMimeData;
    data->setText(selectedTextCrLf());
    return data;
}

void OutputPane::insertFromMimeData(const QMimeData* source)
{
    if (source && source->hasText())
        insertPlainText(fromCrLf(source->text()));
}

void OutputPane::replaceText(const QString& text)
{
    // The old text goes at once and the new one comes in without undo records:
    // as an undoable edit, replacing megabytes of text would take seconds.
    QTextDocument* doc = document();
    const bool undoWasEnabled = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false); // also drops the history
    doc->clear();
    QTextCursor(doc).insertText(fromCrLf(text));
    doc->setUndoRedoEnabled(undoWasEnabled);
    moveCursor(QTextCursor::Start);
}

// Both conversions run in one pass: QString::replace() slows to seconds on
// megabytes of text with hundreds of thousands of line ends.
QString OutputPane::fromCrLf(const QString& text)
{
    QString plain(text.size(), Qt::Uninitialized);
    QChar* out = plain.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c == QLatin1Char('\r')) {
            c = QLatin1Char('\n');
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
        }
        *out++ = c;
    }
    plain.truncate(out - plain.constData());
    return plain;
}

QString OutputPane::toCrLf(const QString& text)
{
    const auto isBreak = [](QChar c) {
        return c == QLatin1Char('\n') || c == QChar::ParagraphSeparator
            || c == QChar::LineSeparator;
    };
    const qsizetype breaks = std::count_if(text.cbegin(), text.cend(), isBreak);
    QString crlf(text.size() + breaks, Qt::Uninitialized);
    QChar* out = crlf.data();
    for (const QChar c : text) {
        if (isBreak(c)) {
            *out++ = QLatin1Char('\r');
            *out++ = QLatin1Char('\n');
        } else {
            *out++ = c;
        }
    }
    return crlf;
}
