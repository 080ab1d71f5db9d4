// The output pane: an editable plain-text box that reports are appended to.
#include "widgets/OutputPane.h"

#include "analyses/AnalysisResult.h"
#include "files/LineEnds.h"

#include <QFontDatabase>
#include <QMimeData>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

namespace {

// The document marks its line breaks with U+2029 (and U+2028 for soft ones).
QString withLineFeeds(QString text)
{
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    }
    return text;
}

} // namespace

OutputPane::OutputPane(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setUndoRedoEnabled(true);
}

void OutputPane::appendReport(const QString& report)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    // Lines do not wrap, so the scroll bar counts lines: the line where the
    // report begins is the value that puts it at the top.
    const int firstLine = cursor.blockNumber();
    cursor.insertText(report);
    verticalScrollBar()->setValue(firstLine);
}

void OutputPane::appendAnalysisReport(const AnalysisResult& result)
{
    appendReport(QString::fromStdString(m_sourceLines
            ? reportWithSourceLine(result, m_dataFileName.toStdString())
            : result.report));
}

void OutputPane::clearOutput()
{
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
}

QString OutputPane::plainText() const
{
    // The raw text keeps non-breaking spaces, which toPlainText() turns into blanks.
    return withLineFeeds(document()->toRawText());
}

QString OutputPane::selectedPlainText() const
{
    return withLineFeeds(textCursor().selectedText());
}

QMimeData* OutputPane::createMimeDataFromSelection() const
{
    auto* data = new QMimeData;
    data->setText(withCrLf(selectedPlainText()));
    return data;
}

bool OutputPane::canInsertFromMimeData(const QMimeData* source) const
{
    if (source && source->hasUrls()) {
        for (const QUrl& url : source->urls()) {
            if (url.isLocalFile())
                return false;
        }
    }
    return QPlainTextEdit::canInsertFromMimeData(source);
}

void OutputPane::insertFromMimeData(const QMimeData* source)
{
    if (source && source->hasText())
        insertPlainText(withLf(source->text()));
}

void OutputPane::replaceText(const QString& text)
{
    // The old text goes at once and the new one comes in without undo records:
    // as an undoable edit, replacing megabytes of text would take seconds.
    QTextDocument* doc = document();
    const bool undoWasEnabled = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false); // also drops the history
    doc->clear();
    QTextCursor(doc).insertText(text);
    doc->setUndoRedoEnabled(undoWasEnabled);
    moveCursor(QTextCursor::Start);
    markSaved();
}

void OutputPane::markSaved()
{
    document()->setModified(false);
}

bool OutputPane::hasUnsavedText() const
{
    return document()->isModified() && !document()->isEmpty();
}
