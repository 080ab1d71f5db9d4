// The output pane: an editable plain-text box that reports are appended to.
#pragma once

#include <QPlainTextEdit>
#include <QString>

// Reports arrive with CR LF line ends; the pane shows them as plain line
// breaks. Appends go through a text cursor at the end, so the user's edits,
// scroll position and undo history survive and an append costs the same
// however much the pane holds. Text that leaves the pane has CR LF line ends.
class OutputPane : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit OutputPane(QWidget* parent = nullptr);

    // Appends `report` (CR LF line ends) at the very end of the text.
    void appendReport(const QString& report);
    // The whole text with CR LF line ends.
    QString textCrLf() const;
    // The selected text with CR LF line ends.
    QString selectedTextCrLf() const;
    // Replaces the whole text (CR LF, LF or CR line ends), as opening a file
    // does: the undo history starts afresh.
    void replaceText(const QString& text);

    // Converts CR LF and CR to the pane's own line breaks, and back (LF and
    // the document's paragraph and line separators become CR LF).
    static QString fromCrLf(const QString& text);
    static QString toCrLf(const QString& text);

protected:
    // Copy, cut and drag hand out CR LF line ends; pasted text of any line ends
    // comes in as plain text.
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;
};
