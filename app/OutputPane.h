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
    // Replaces the whole text (CR LF, LF or CR line ends) as one undoable step.
    void replaceText(const QString& text);

    // Converts CR LF and CR to the pane's own line breaks, and back.
    static QString fromCrLf(const QString& text);
    static QString toCrLf(const QString& text);
};
