// The data navigator driven offscreen: moves, edges, cell texts and an empty data set.
#include "GuiDriver.h"
#include "ImportFiles.h"
#include "data/DataImport.h"
#include "data/DataMatrix.h"
#include "forms/frmNavigate.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using gui::child;

namespace {

QString labelText(QWidget* window, const char* name)
{
    return child<QLabel>(window, name)->text();
}

// Three cases, three variables: a missing entry, a large value, a short line
// and an empty line.
DataMatrix sampleData()
{
    DataMatrix data;
    data.beginRow();
    data.appendField(1.5f);
    data.appendField(MISSING_VALUE);
    data.appendField(12345678.0f);
    data.beginRow();
    data.appendField(-0.001f);
    data.appendField(0.0f);
    data.beginRow();
    return data;
}

} // namespace

class Tst_frmNavigate : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void movesStopAtTheEdges_data();
    void movesStopAtTheEdges();
    void cellUsesTheLocaleDecimalSeparator();
    void labelledCellShowsItsLabel_data();
    void labelledCellShowsItsLabel();
    void noDataOffersNoMoves_data();
    void noDataOffersNoMoves();
};

void Tst_frmNavigate::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void Tst_frmNavigate::cleanup()
{
    QLocale::setDefault(QLocale::c());
}

void Tst_frmNavigate::movesStopAtTheEdges_data()
{
    // Buttons clicked in order: U(p), D(own), L(eft), R(ight).
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("cell");
    QTest::newRow("opens at row 1, column 1") << "" << 1 << 1 << "1.5";
    QTest::newRow("Up at row 1 stays") << "U" << 1 << 1 << "1.5";
    QTest::newRow("Left at column 1 stays") << "L" << 1 << 1 << "1.5";
    QTest::newRow("a missing entry shows a dot") << "R" << 1 << 2 << ".";
    QTest::newRow("Right stops at the last column") << "RRRR" << 1 << 3 << "1.234568E+07";
    QTest::newRow("Down stops at the last row; an empty line shows 0") << "DDDD" << 3 << 1 << "0";
    QTest::newRow("a stored 0 shows 0") << "DR" << 2 << 2 << "0";
    QTest::newRow("a cell beyond a short line shows 0") << "DRR" << 2 << 3 << "0";
    QTest::newRow("single-precision value at 7 digits") << "D" << 2 << 1 << "-0.001";
    QTest::newRow("Up and Left move back") << "DRRUL" << 1 << 2 << ".";
}

void Tst_frmNavigate::movesStopAtTheEdges()
{
    QFETCH(QString, clicks);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, cell);
    const DataMatrix data = sampleData();
    frmNavigate navigator(data);
    navigator.show();
    QVERIFY(QTest::qWaitForWindowExposed(&navigator));
    const QHash<QChar, const char*> buttons
        = { { 'U', "cmdUp" }, { 'D', "cmdDown" }, { 'L', "cmdLeft" }, { 'R', "cmdRight" } };
    for (const QChar click : clicks)
        QTest::mouseClick(child<QPushButton>(&navigator, buttons.value(click)), Qt::LeftButton);

    QCOMPARE(labelText(&navigator, "lblNumberOfRows"), QStringLiteral("Number of rows: 3"));
    QCOMPARE(labelText(&navigator, "lblNumberOfColumns"), QStringLiteral("Number of columns: 3"));
    QCOMPARE(labelText(&navigator, "lblRow"), "Row: " + QString::number(row));
    QCOMPARE(labelText(&navigator, "lblColumn"), "Column: " + QString::number(column));
    QCOMPARE(labelText(&navigator, "lblCell"), cell);
}

void Tst_frmNavigate::cellUsesTheLocaleDecimalSeparator()
{
    const DataMatrix data = sampleData();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    frmNavigate navigator(data);
    QCOMPARE(labelText(&navigator, "lblCell"), QStringLiteral("1,5"));
    QTest::mouseClick(child<QPushButton>(&navigator, "cmdRight"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(&navigator, "cmdRight"), Qt::LeftButton);
    QCOMPARE(labelText(&navigator, "lblCell"), QStringLiteral("1,234568E+07"));
}

void Tst_frmNavigate::labelledCellShowsItsLabel_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("cell");
    QTest::newRow("a code shows its label") << 2.0f << "VC";
    QTest::newRow("the first code") << 1.0f << "OJ";
    QTest::newRow("a code without a label shows the number") << 3.0f << "3";
    QTest::newRow("a fraction is no code") << 1.5f << "1.5";
    QTest::newRow("a missing cell shows a dot") << MISSING_VALUE << ".";
}

void Tst_frmNavigate::labelledCellShowsItsLabel()
{
    QFETCH(float, value);
    QFETCH(QString, cell);
    DataMatrix data;
    data.beginRow();
    data.appendField(0.0f);
    data.appendField(value);
    data.setLabels(2, { "OJ", "VC" });
    frmNavigate navigator(data);
    QCOMPARE(labelText(&navigator, "lblCell"), QStringLiteral("0"));
    QTest::mouseClick(child<QPushButton>(&navigator, "cmdRight"), Qt::LeftButton);
    QCOMPARE(labelText(&navigator, "lblCell"), cell);
}

void Tst_frmNavigate::noDataOffersNoMoves_data()
{
    QTest::addColumn<QString>("file"); // imported first unless empty
    QTest::addColumn<int>("rows");
    QTest::newRow("nothing imported") << QString() << 0;
    QTest::newRow("a file of empty lines") << importFile("empty-lines-only.tab.txt") << 3;
}

void Tst_frmNavigate::noDataOffersNoMoves()
{
    QFETCH(QString, file);
    QFETCH(int, rows);
    DataMatrix data;
    if (!file.isEmpty()) {
        ImportResult imported = importDelimitedFile(file.toStdString(), "\t", file.toStdString());
        QCOMPARE(int(imported.status), int(ImportStatus::Ok));
        data = std::move(imported.data);
    }
    frmNavigate navigator(data);
    navigator.show();
    QVERIFY(QTest::qWaitForWindowExposed(&navigator));

    QCOMPARE(labelText(&navigator, "lblNumberOfRows"), "Number of rows: " + QString::number(rows));
    QCOMPARE(labelText(&navigator, "lblNumberOfColumns"), QStringLiteral("Number of columns: 0"));
    QCOMPARE(labelText(&navigator, "lblRow"), QStringLiteral("Row:"));
    QCOMPARE(labelText(&navigator, "lblColumn"), QStringLiteral("Column:"));
    QCOMPARE(labelText(&navigator, "lblCell"), QStringLiteral("No data"));
    for (const char* name : { "cmdUp", "cmdDown", "cmdLeft", "cmdRight" })
        QVERIFY2(!child<QPushButton>(&navigator, name)->isEnabled(), name);
}

QTEST_MAIN(Tst_frmNavigate)
#include "tst_frmNavigate.moc"
