// The output pane in the main window: a new report comes into view, and Undo
// and Redo step through the pane's edits, Clear Output and reports included.
#include "GuiDriver.h"

#include "widgets/OutputPane.h"

#include <QAction>
#include <QScrollBar>
#include <QTextBlock>

#include <memory>

namespace {

// `count` numbered lines, each ended by LF.
QString lines(const QString& label, int count)
{
    QString text;
    for (int line = 1; line <= count; ++line)
        text += label + QLatin1Char(' ') + QString::number(line) + QLatin1Char('\n');
    return text;
}

// The line shown at the top of the pane.
QTextBlock topLine(const OutputPane* pane)
{
    return pane->cursorForPosition(QPoint(1, 1)).block();
}

} // namespace

class Tst_outputPane : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void newReportComesIntoView_data();
    void newReportComesIntoView();
    void undoBringsClearedOutputBack();
    void reportsAreUndoneOneByOne();

private:
    OutputPane* pane() const { return gui::child<OutputPane>(m_window.get(), "txtOutput"); }
    QAction* action(const char* name) const { return gui::child<QAction>(m_window.get(), name); }

    std::unique_ptr<frmMain> m_window;
};

void Tst_outputPane::init()
{
    gui::showMainWindow(m_window);
}

void Tst_outputPane::cleanup()
{
    gui::closeMainWindow(m_window);
}

void Tst_outputPane::newReportComesIntoView_data()
{
    QTest::addColumn<int>("reportLines");
    QTest::newRow("a long report starts at the top") << 200;
    QTest::newRow("a short report leaves the end in view") << 3;
}

void Tst_outputPane::newReportComesIntoView()
{
    QFETCH(int, reportLines);
    OutputPane* output = pane();
    output->appendReport(lines(QStringLiteral("old"), 300));
    output->verticalScrollBar()->setValue(0); // the user went back to the start
    output->appendReport(lines(QStringLiteral("new"), reportLines));

    QScrollBar* bar = output->verticalScrollBar();
    if (reportLines > 100) {
        QCOMPARE(topLine(output).blockNumber(), 300);
        QCOMPARE(topLine(output).text(), QStringLiteral("new 1"));
    } else {
        QCOMPARE(bar->value(), bar->maximum());
        const QTextBlock last = output->document()->lastBlock();
        QVERIFY(output->viewport()->rect().contains(output->cursorRect(QTextCursor(last))));
        QVERIFY(topLine(output).blockNumber() > 200);
    }
}

void Tst_outputPane::undoBringsClearedOutputBack()
{
    OutputPane* output = pane();
    QVERIFY(!action("mnuUndo")->isEnabled());
    const QString report = lines(QStringLiteral("report"), 5);
    output->appendReport(report);
    QCOMPARE(action("mnuUndo")->shortcut(), QKeySequence(QKeySequence::Undo));
    QCOMPARE(action("mnuRedo")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+Z")));

    action("mnuClearOutput")->trigger();
    QCOMPARE(output->plainText(), QString());
    QVERIFY(action("mnuUndo")->isEnabled());
    // Ctrl+Z from outside the pane reaches it through the menu.
    gui::child<QWidget>(m_window.get(), "cmdImportData")->setFocus();
    QTest::keySequence(m_window.get(), QKeySequence::Undo);
    QCOMPARE(output->plainText(), report);

    QVERIFY(action("mnuRedo")->isEnabled());
    action("mnuRedo")->trigger();
    QCOMPARE(output->plainText(), QString());
    action("mnuUndo")->trigger();
    QCOMPARE(output->plainText(), report);
}

void Tst_outputPane::reportsAreUndoneOneByOne()
{
    OutputPane* output = pane();
    output->appendReport(QStringLiteral("first\n"));
    output->setFocus();
    output->moveCursor(QTextCursor::End);
    QTest::keyClicks(output, QStringLiteral("note"));
    output->appendReport(QStringLiteral("\nsecond\n"));
    output->appendReport(QStringLiteral("third\n"));

    QTest::keySequence(output, QKeySequence::Undo);
    QCOMPARE(output->plainText(), QStringLiteral("first\nnote\nsecond\n"));
    action("mnuUndo")->trigger();
    QCOMPARE(output->plainText(), QStringLiteral("first\nnote"));
    action("mnuUndo")->trigger();
    QCOMPARE(output->plainText(), QStringLiteral("first\n"));
    QTest::keySequence(output, QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    QCOMPARE(output->plainText(), QStringLiteral("first\nnote"));
}

QTEST_MAIN(Tst_outputPane)
#include "tst_outputPane.moc"
