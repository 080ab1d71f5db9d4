// Tests of the Descriptives dialog, driven offscreen, alone and through the main window.
#include "forms/frmDescriptives.h"
#include "widgets/OutputPane.h"
#include "forms/frmMain.h"
#include "data/DataMatrix.h"

#include "GuiDriver.h"
#include "TestData.h"

#include <QtTest>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPointer>
#include <QRadioButton>
#include <QTemporaryDir>

#include <functional>
#include <memory>

using Rows = QList<QList<float>>;
using gui::checkedRows;
using gui::child;
using gui::click;

namespace {

// Rows of `columns` columns; column 3 (when there) holds 5, 20, a missing entry and 12.5.
Rows exampleRows(int columns)
{
    const QList<float> third = { 5, 20, MISSING_VALUE, 12.5f };
    Rows rows;
    for (float value : third) {
        QList<float> row;
        for (int c = 1; c <= columns; ++c)
            row.append(c == 3 ? value : float(c));
        rows.append(row);
    }
    return rows;
}

const QString RULE = QString(60, QLatin1Char('-'));
const QString EXAMPLE_REPORT = QStringLiteral("DESCRIPTIVES\n") + RULE + "\n"
    + "Name            Mean        SD       Min       Max         N\n" + RULE + "\n"
    + "Var 3           12.5       7.5         5        20         3\n" + RULE
    + "\n\n\n\n";

void toggleItem(QWidget* dialog, int index)
{
    gui::toggleItem(dialog, "lstItems", index);
}

bool isOptionSelected(QWidget* dialog, const char* name)
{
    return child<QRadioButton>(dialog, name)->isChecked();
}

} // namespace

class Tst_frmDescriptives : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void rangeRule_data();
    void rangeRule();
    void messages_data();
    void messages();
    void twoRunsAppendTwoReports();
    void splitByAddsATableByGroup();
    void lifecycleThroughMainWindow();
};

void Tst_frmDescriptives::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void Tst_frmDescriptives::rangeRule_data()
{
    QTest::addColumn<bool>("individual");
    QTest::addColumn<QList<int>>("toggles");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("range: Var 2 then Var 5 also checks Var 3 and Var 4")
        << false << QList<int> { 1, 4 } << QList<int> { 1, 2, 3, 4 };
    QTest::newRow("range: Var 5 then Var 2 leaves only those two")
        << false << QList<int> { 4, 1 } << QList<int> { 1, 4 };
    QTest::newRow("range: checking Var 1 changes nothing else")
        << false << QList<int> { 3, 0 } << QList<int> { 0, 3 };
    QTest::newRow("range: unchecking changes nothing, filling stops at the nearest check")
        << false << QList<int> { 1, 4, 2, 6 } << QList<int> { 1, 3, 4, 5, 6 };
    QTest::newRow("individual: Var 2 then Var 5 leaves only those two")
        << true << QList<int> { 1, 4 } << QList<int> { 1, 4 };
}

void Tst_frmDescriptives::rangeRule()
{
    QFETCH(bool, individual);
    QFETCH(QList<int>, toggles);
    QFETCH(QList<int>, expected);
    const DataMatrix data = matrixFromRows(exampleRows(8));
    OutputPane pane;
    frmDescriptives dialog(data, &pane);
    dialog.show();
    QVERIFY(isOptionSelected(&dialog, "optRanges"));
    QCOMPARE(child<QListWidget>(&dialog, "lstItems")->count(), 8);
    QCOMPARE(child<QListWidget>(&dialog, "lstItems")->item(7)->text(), QStringLiteral("Var 8"));
    if (individual)
        click(&dialog, "optIndividual");
    for (int index : toggles)
        toggleItem(&dialog, index);
    QCOMPARE(checkedRows(&dialog, "lstItems"), expected);
}

void Tst_frmDescriptives::messages_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QList<int>>("toggles");
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("nothing checked")
        << exampleRows(3) << QList<int>{} << "At least one item must be selected.";
    QTest::newRow("no data set")
        << Rows{} << QList<int>{} << "At least one item must be selected.";
    QTest::newRow("variance beyond single precision")
        << Rows{ { 1, 3e38f }, { 2, -3e38f } } << QList<int>{ 0, 1 }
        << "Var 2 has values too large to summarise.";
    // clang-format on
}

void Tst_frmDescriptives::messages()
{
    QFETCH(Rows, rows);
    QFETCH(QList<int>, toggles);
    QFETCH(QString, expected);
    const DataMatrix data = matrixFromRows(rows);
    OutputPane pane;
    frmDescriptives dialog(data, &pane);
    dialog.show();
    for (int index : toggles)
        toggleItem(&dialog, index);
    const QList<gui::Box> boxes = gui::answeringBoxes([&] { click(&dialog, "cmdOK"); });
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, QStringLiteral("Analysis Error"));
    QCOMPARE(boxes.first().text, expected);
    QVERIFY(pane.toPlainText().isEmpty());
    QVERIFY(dialog.isVisible());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void Tst_frmDescriptives::twoRunsAppendTwoReports()
{
    const DataMatrix data = matrixFromRows(exampleRows(4));
    OutputPane pane;
    frmDescriptives dialog(data, &pane);
    dialog.show();
    toggleItem(&dialog, 2);
    click(&dialog, "cmdOK");
    QVERIFY(!dialog.isVisible());
    QCOMPARE(pane.plainText(), EXAMPLE_REPORT);
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    dialog.show();
    QCOMPARE(checkedRows(&dialog, "lstItems"), QList<int> { 2 });
    QTest::keyClick(&dialog, Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(pane.plainText(), EXAMPLE_REPORT + EXAMPLE_REPORT);
}

void Tst_frmDescriptives::splitByAddsATableByGroup()
{
    const DataMatrix data = matrixFromRows(exampleRows(4));
    OutputPane pane;
    frmDescriptives dialog(data, &pane);
    dialog.show();
    auto* split = child<QComboBox>(&dialog, "cmbSplitBy");
    QCOMPARE(split->count(), 5);
    QCOMPARE(split->currentText(), QStringLiteral("None"));
    QCOMPARE(split->itemText(4), QStringLiteral("Var 4"));
    split->setFocus();
    QTest::keyClick(split, Qt::Key_Down);
    QCOMPARE(split->currentText(), QStringLiteral("Var 1"));
    toggleItem(&dialog, 2);
    click(&dialog, "cmdOK");
    const QString rule = QString(100, QLatin1Char('-')) + "\n";
    QCOMPARE(pane.plainText(),
        EXAMPLE_REPORT.chopped(3) + "\nDESCRIPTIVES OF Var 3 BY Var 1\n" + rule
            + "Group              N   Missing      Mean        SD    Median    TrMean    WinsSD"
              "       Min       Max\n"
            + rule
            + "1                  3         1      12.5       7.5      12.5      12.5       7.5"
              "         5        20\n"
            + rule + "\n\n\n");
}

// The main window keeps the dialog: Cancel and Escape keep its checks, its
// close box discards them, and so does an import, which also rebuilds the list.
void Tst_frmDescriptives::lifecycleThroughMainWindow()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    gui::writeFile(folder.filePath("four.txt"), "1\t2\t5\t4\n1\t2\t20\t4\n");
    gui::writeFile(folder.filePath("six.txt"), "1\t2\t3\t4\t5\t6\n7\t8\t9\t10\t11\t12\n");
    std::unique_ptr<frmMain> window;
    gui::showMainWindow(window);
    gui::importDataFile(
        window.get(), folder.path(), QStringLiteral("four.txt"), QStringLiteral("optTab"));

    // Opens the dialog, checks its state, then lets `finish` hide or close it.
    const auto open = [&](int count, const QList<int>& checked, bool ranges,
                          const std::function<void(QWidget*)>& finish) {
        QVERIFY(gui::withMenuDialog(
            window.get(), "mnuDescriptives", "frmDescriptives", [&](QWidget* dialog) {
                QCOMPARE(child<QListWidget>(dialog, "lstItems")->count(), count);
                QCOMPARE(checkedRows(dialog, "lstItems"), checked);
                QCOMPARE(isOptionSelected(dialog, "optRanges"), ranges);
                finish(dialog);
            }));
    };
    const auto chooseAndCancel = [](QWidget* dialog) {
        toggleItem(dialog, 1);
        click(dialog, "optIndividual");
        click(dialog, "cmdCancel");
    };
    open(4, {}, true, chooseAndCancel);
    open(4, { 1 }, false, [](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    QPointer<QWidget> closed;
    open(4, { 1 }, false, [&](QWidget* dialog) {
        closed = dialog;
        dialog->close();
    });
    QTRY_VERIFY(closed.isNull());
    open(4, {}, true, chooseAndCancel);

    // A successful import discards the hidden dialog with its checks.
    gui::importDataFile(
        window.get(), folder.path(), QStringLiteral("six.txt"), QStringLiteral("optTab"));
    open(6, {}, true, [](QWidget* dialog) { click(dialog, "cmdCancel"); });
    gui::closeMainWindow(window);
}

QTEST_MAIN(Tst_frmDescriptives)
#include "tst_frmDescriptives.moc"
