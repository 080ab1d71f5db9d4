// Tests of the Descriptives dialog, driven offscreen, alone and through the main window.
#include "forms/frmDescriptives.h"
#include "widgets/OutputPane.h"
#include "forms/frmMain.h"
#include "data/modGeneral.h"

#include "TestData.h"

#include <QtTest>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

using Rows = QList<QList<float>>;

namespace {

void useDataSet(const Rows& rows)
{
    setDataSet(matrixFromRows(rows));
}

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
const QString EXAMPLE_REPORT = QStringLiteral("DESCRIPTIVES\r\n") + RULE + "\r\n"
    + "Name            Mean        SD       Min       Max         N\r\n" + RULE + "\r\n"
    + "Var 3           12.5       7.5         5        20         3\r\n" + RULE
    + "\r\n\r\n\r\n\r\n";

QListWidget* itemList(QWidget* dialog)
{
    return dialog->findChild<QListWidget*>(QStringLiteral("lstItems"));
}

// Toggles the check of entry `index` as the user does: current entry, space bar.
void toggleItem(QWidget* dialog, int index)
{
    QListWidget* list = itemList(dialog);
    list->setCurrentRow(index);
    QTest::keyClick(list->viewport(), Qt::Key_Space);
}

QList<int> checkedIndexes(QWidget* dialog)
{
    QList<int> checked;
    QListWidget* list = itemList(dialog);
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked)
            checked.append(i);
    }
    return checked;
}

void click(QWidget* dialog, const char* name)
{
    QAbstractButton* button = dialog->findChild<QAbstractButton*>(QLatin1String(name));
    QVERIFY(button);
    button->click();
}

bool isOptionSelected(QWidget* dialog, const char* name)
{
    return dialog->findChild<QRadioButton*>(QLatin1String(name))->isChecked();
}

// Runs `work` on the next modal window once it is up (armed before the click that opens it).
void onNextModal(std::function<void(QWidget*)> work)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, work] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        work(modal);
    });
    timer->start();
}

struct DialogState {
    int count = -1;
    QList<int> checked;
    bool ranges = false;
};

// Opens the dialog through the menu, notes its state, then lets `finish` hide or close it.
DialogState openDescriptives(QAction* menu, const std::function<void(QWidget*)>& finish)
{
    DialogState state;
    onNextModal([&state, finish](QWidget* dialog) {
        state = { itemList(dialog)->count(), checkedIndexes(dialog),
            isOptionSelected(dialog, "optRanges") };
        finish(dialog);
    });
    menu->trigger();
    return state;
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
    useDataSet(exampleRows(8));
    OutputPane pane;
    frmDescriptives dialog(&pane);
    dialog.show();
    QVERIFY(isOptionSelected(&dialog, "optRanges"));
    QCOMPARE(itemList(&dialog)->count(), 8);
    QCOMPARE(itemList(&dialog)->item(7)->text(), QStringLiteral("Var 8"));
    if (individual)
        click(&dialog, "optIndividual");
    for (int index : toggles)
        toggleItem(&dialog, index);
    QCOMPARE(checkedIndexes(&dialog), expected);
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
    useDataSet(rows);
    OutputPane pane;
    frmDescriptives dialog(&pane);
    dialog.show();
    for (int index : toggles)
        toggleItem(&dialog, index);
    QString title;
    QString text;
    onNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        title = box->windowTitle();
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    click(&dialog, "cmdOK");
    QCOMPARE(title, QStringLiteral("Analysis Error"));
    QCOMPARE(text, expected);
    QVERIFY(pane.toPlainText().isEmpty());
    QVERIFY(dialog.isVisible());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void Tst_frmDescriptives::twoRunsAppendTwoReports()
{
    useDataSet(exampleRows(4));
    OutputPane pane;
    frmDescriptives dialog(&pane);
    dialog.show();
    toggleItem(&dialog, 2);
    click(&dialog, "cmdOK");
    QVERIFY(!dialog.isVisible());
    QCOMPARE(pane.textCrLf(), EXAMPLE_REPORT);
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    dialog.show();
    QCOMPARE(checkedIndexes(&dialog), QList<int> { 2 });
    QTest::keyClick(&dialog, Qt::Key_Return);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(pane.textCrLf(), EXAMPLE_REPORT + EXAMPLE_REPORT);
}

void Tst_frmDescriptives::lifecycleThroughMainWindow()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("six.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1\t2\t3\t4\t5\t6\n7\t8\t9\t10\t11\t12\n");
    file.close();

    useDataSet(exampleRows(4));
    frmMain window(0);
    window.show();
    QAction* menu = window.findChild<QAction*>(QStringLiteral("mnuDescriptives"));
    QVERIFY(menu);
    const auto chooseAndCancel = [](QWidget* dialog) {
        toggleItem(dialog, 1);
        click(dialog, "optIndividual");
        click(dialog, "cmdCancel");
    };

    openDescriptives(menu, chooseAndCancel);
    DialogState state
        = openDescriptives(menu, [](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    QCOMPARE(state.checked, QList<int> { 1 });
    QVERIFY(!state.ranges);

    QPointer<QWidget> closed;
    state = openDescriptives(menu, [&](QWidget* dialog) {
        closed = dialog;
        dialog->close();
    });
    QCOMPARE(state.checked, QList<int> { 1 });
    QTRY_VERIFY(closed.isNull());

    state = openDescriptives(menu, chooseAndCancel);
    QCOMPARE(state.count, 4);
    QVERIFY(state.checked.isEmpty());
    QVERIFY(state.ranges);

    // A successful import discards the hidden dialog with its checks.
    window.m_strFileName = path;
    click(&window, "optTab");
    click(&window, "cmdImportData");
    QCOMPARE(g_lngNumCols, 6);
    state = openDescriptives(menu, [](QWidget* dialog) { click(dialog, "cmdCancel"); });
    QCOMPARE(state.count, 6);
    QVERIFY(state.checked.isEmpty());
    QVERIFY(state.ranges);
}

QTEST_MAIN(Tst_frmDescriptives)
#include "tst_frmDescriptives.moc"
