// The output pane: an editable plain-text box that reports are appended to.
#pragma once

#include <QPlainTextEdit>
#include <QString>

struct AnalysisResult;

// Lines end in LF inside the pane. Appends go through a text cursor at the
// end, so the user's edits and undo history survive and an append costs the
// same however much the pane holds. Copy, cut and drag hand out CR LF line
// ends; pasted text of any line ends comes in as plain text. Appending and
// clearing are edits like the user's own: Undo takes them back.
class OutputPane : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit OutputPane(QWidget* parent = nullptr);

    // Appends `report` at the very end of the text and scrolls so that its
    // first line is at the top, or the end of the text is in view when the
    // report is shorter than the pane.
    void appendReport(const QString& report);
    // Appends the report of an analysis, ending with its source line
    // (report/SourceLine.h) while source lines are on.
    void appendAnalysisReport(const AnalysisResult& result);
    // Whether analysis reports end with a source line; off at first.
    void setSourceLines(bool on) { m_sourceLines = on; }
    bool sourceLines() const { return m_sourceLines; }
    // The name (not the path) of the data file that analyses run on now.
    void setDataFileName(const QString& name) { m_dataFileName = name; }
    // Empties the pane as one edit, which Undo brings back.
    void clearOutput();
    // The whole text, lines ended by LF.
    QString plainText() const;
    // The selected text, lines ended by LF.
    QString selectedPlainText() const;
    // Replaces the whole text, as opening a file does: the undo history starts
    // afresh, and the text counts as saved.
    void replaceText(const QString& text);
    // The text as it is now has been saved.
    void markSaved();
    // True when the pane holds text that changed since it was last saved or
    // opened; an empty pane has nothing to lose.
    bool hasUnsavedText() const;

protected:
    QMimeData* createMimeDataFromSelection() const override;
    // Dropped files are not text for the pane: the window opens them.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    bool m_sourceLines = false;
    QString m_dataFileName;
};
