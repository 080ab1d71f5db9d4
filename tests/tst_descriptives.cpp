// Tests of the Descriptives figures and report text.
#include "analyses/DescriptivesAnalysis.h"

#include "TestData.h"

#include <QtTest>

#include <vector>

using Rows = QList<QList<float>>;
using Columns = QList<int32_t>;

namespace {

constexpr float M = MISSING_VALUE;

// One value per row in column 1.
Rows column(const QList<float>& values)
{
    Rows rows;
    for (float value : values)
        rows.append(QList<float> { value });
    return rows;
}

// Two rows of `columns` columns: column c holds c and c + 1.
Rows wideRows(int columns)
{
    Rows rows = { {}, {} };
    for (int c = 1; c <= columns; ++c) {
        rows[0].append(float(c));
        rows[1].append(float(c + 1));
    }
    return rows;
}

QList<float> sequence(int from, int to)
{
    QList<float> values;
    for (int v = from; v <= to; ++v)
        values.append(float(v));
    return values;
}

AnalysisResult run(
    const Rows& rows, const Columns& columns, char separator = '.', int32_t split = NO_SPLIT)
{
    const std::vector<int32_t> chosen(columns.begin(), columns.end());
    return descriptivesAnalysis(matrixFromRows(rows), chosen, separator, split);
}

const QString RULE = QString(60, QLatin1Char('-'));

} // namespace

class Tst_descriptives : public QObject {
    Q_OBJECT
private slots:
    void wholeReport();
    void manyColumnsInOrder();
    void tableByGroup();
    void summaryLine_data();
    void summaryLine();
    void longColumnsKeepTheirMean_data();
    void longColumnsKeepTheirMean();
    void messages_data();
    void messages();
};

void Tst_descriptives::wholeReport()
{
    // Column 3 holds 5, 20, a missing entry and 12.5; columns are reported in the order given.
    const Rows rows = { { 1, 2, 5 }, { 1, 4, 20 }, { 1, 6, M }, { 1, 8, 12.5f } };
    const AnalysisResult result = run(rows, { 2, 3 });
    QVERIFY(result.message.empty());
    const QString expected = QStringLiteral("DESCRIPTIVES\n") + RULE + "\n"
        + "Name            Mean        SD       Min       Max         N\n" + RULE + "\n"
        + "Var 2              5     2.582         2         8         4\n"
        + "Var 3           12.5       7.5         5        20         3\n" + RULE
        + "\n\n\n\n";
    QCOMPARE(QString::fromStdString(result.report), expected);
}

// Group 1 holds ten values, two trimmed from each end; group 2 only missing
// values; group 3 one value; the row without a group is left out. Figures
// from NumPy and SciPy (trim_mean, mstats.winsorize).
void Tst_descriptives::tableByGroup()
{
    Rows rows = { { 2, M }, { 2, M }, { 3, 5 }, { M, 100 } };
    for (const float x : { 9.0f, -4.0f, 2.0f, -0.5f, 7.0f, 3.0f, -8.0f, 1.0f, 0.0f, 5.0f })
        rows.append({ 1, x });
    const AnalysisResult result = run(rows, { 1, 2 }, ',', 1);
    QVERIFY(result.message.empty());
    const QString rule = QString(100, QLatin1Char('-')) + "\n";
    const QString expected = QStringLiteral("\nDESCRIPTIVES OF Var 2 BY Var 1\n") + rule
        + "Group              N   Missing      Mean        SD    Median    TrMean    WinsSD"
          "       Min       Max\n"
        + rule
        + "1                 10         0      1,45     5,036       1,5      1,75     2,397"
          "        -8         9\n"
          "2                  0         2         .         .         .         .         ."
          "         .         .\n"
          "3                  1         0         5         .         5         5         ."
          "         5         5\n"
        + rule + "\n\n\n";
    const QString report = QString::fromStdString(result.report);
    QVERIFY(report.startsWith("DESCRIPTIVES\n"));
    QCOMPARE(report.mid(report.indexOf("\nDESCRIPTIVES OF")), expected);
}

void Tst_descriptives::manyColumnsInOrder()
{
    // More columns than are read in one pass over the rows, chosen out of order.
    const Columns chosen = { 40, 3, 17, 1, 25, 2, 33, 16, 18, 5, 6, 7, 8, 9, 10, 11, 12, 13, 39 };
    const AnalysisResult result = run(wideRows(40), chosen);
    QVERIFY(result.message.empty());
    const QStringList lines = QString::fromStdString(result.report).split(QStringLiteral("\n"));
    QCOMPARE(lines.size(), 4 + chosen.size() + 5);
    for (int i = 0; i < chosen.size(); ++i) {
        const int c = chosen[i];
        const QString expected = QStringLiteral("%1%2%3%4%5%6")
                                     .arg(QStringLiteral("Var %1").arg(c), -10)
                                     .arg(QString::number(c + 0.5), 10)
                                     .arg(QStringLiteral("0.707"), 10)
                                     .arg(QString::number(c), 10)
                                     .arg(QString::number(c + 1), 10)
                                     .arg(QStringLiteral("2"), 10);
        QCOMPARE(lines[4 + i], expected);
    }

    Rows huge = wideRows(40);
    huge[0][38] = 3e38f;
    huge[1][38] = -3e38f;
    QCOMPARE(QString::fromStdString(run(huge, chosen).message),
        QStringLiteral("Var 39 has values too large to summarise."));
}

void Tst_descriptives::summaryLine_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<int32_t>("col");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("expected");

    // clang-format off
    QTest::newRow("missing entries are skipped")
        << column({ 5, 20, M, 12.5f }) << 1 << '.'
        << "Var 1           12.5       7.5         5        20         3";
    QTest::newRow("all missing gives dots and N 0")
        << column({ M, M }) << 1 << '.'
        << "Var 1              .         .         .         .         0";
    QTest::newRow("one value has no SD")
        << column({ 2.71828f }) << 1 << '.'
        << "Var 1          2.718         .   2.71828   2.71828         1";
    QTest::newRow("cells of short and empty lines count as 0")
        << Rows{ { 1, 4 }, { 3 }, {}, { 5, 8 } } << 2 << '.'
        << "Var 2              3      3.83         0         8         4";
    QTest::newRow("min and max of values in no order")
        << column({ 3, -7, 12, 0 }) << 1 << '.'
        << "Var 1              2     7.874        -7        12         4";
    QTest::newRow("comma separator")
        << column({ 5, 20, M, 12.5f }) << 1 << ','
        << "Var 1           12,5       7,5         5        20         3";

    // Spreads small against the values: where the sums cancel, the two-pass
    // variance is shown.
    QTest::newRow("three tenths give SD 0, not a negative variance")
        << column({ 0.1f, 0.1f, 0.1f }) << 1 << '.'
        << "Var 1            0.1         0       0.1       0.1         3";
    QTest::newRow("values near 100000 with a small spread")
        << column(sequence(99995, 100005)) << 1 << '.'
        << "Var 1         100000     3.317     99995    100005        11";
    QTest::newRow("years 1990 to 2010")
        << column(sequence(1990, 2010)) << 1 << '.'
        << "Var 1           2000     6.205      1990      2010        21";
    // Single-precision sums gave 46.24; the SD of these values is 46.2395.
    QTest::newRow("ordinary data keep the SD from the sums")
        << column({ 271.8f, 167.5f, 258.7f, 179.8f, 218.8f }) << 1 << '.'
        << "Var 1         219.32    46.239     167.5     271.8         5";
    QTest::newRow("equal values of 3e38 sum without overflow")
        << column({ 3e38f, 3e38f }) << 1 << '.'
        << "Var 1          3E+38         0     3E+38     3E+38         2";

    QTest::newRow("a 7-digit text of nine characters stays whole")
        << column({ -1234.5678f }) << 1 << '.'
        << "Var 1      -1234.568         . -1234.568 -1234.568         1";
    QTest::newRow("a mean longer than nine characters is cut")
        << column({ 123456.75f, 123456.8125f }) << 1 << '.'
        << "Var 1      123456.78     0.044  123456.8  123456.8         2";
    QTest::newRow("an exponent form is shortened, never cut")
        << column({ 12345678.0f }) << 1 << '.'
        << "Var 1       12345678         . 1.235E+07 1.235E+07         1";
    // clang-format on
}

void Tst_descriptives::summaryLine()
{
    QFETCH(Rows, rows);
    QFETCH(int32_t, col);
    QFETCH(char, separator);
    QFETCH(QString, expected);
    const AnalysisResult result = run(rows, { col }, separator);
    QVERIFY(result.message.empty());
    const QStringList lines = QString::fromStdString(result.report).split(QStringLiteral("\n"));
    QCOMPARE(lines.value(4), expected);
}

void Tst_descriptives::longColumnsKeepTheirMean_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<float>("first");
    QTest::addColumn<int>("period");
    QTest::addColumn<QString>("expected");
    // Single-precision running sums gave a mean of 0.101 (0.105 for twenty
    // million tenths), and 1999.404 for the years.
    QTest::newRow("a million tenths")
        << 1'000'000 << 0.1f << 1 << "Var 1            0.1         0       0.1       0.1   1000000";
    QTest::newRow("250000 years 1990 to 2010")
        << 250'000 << 1990.0f << 21
        << "Var 1           2000     6.055      1990      2010    250000";
}

void Tst_descriptives::longColumnsKeepTheirMean()
{
    // `count` values running from `first` through `first + period - 1` and over again.
    QFETCH(int, count);
    QFETCH(float, first);
    QFETCH(int, period);
    QFETCH(QString, expected);
    DataMatrix data;
    data.reserve(static_cast<std::size_t>(count), static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        data.beginRow();
        data.appendField(first + static_cast<float>(k % period));
    }
    const int32_t chosen[] = { 1 };
    const AnalysisResult result = descriptivesAnalysis(data, chosen, '.');
    const QStringList lines = QString::fromStdString(result.report).split(QStringLiteral("\n"));
    QCOMPARE(lines.value(4), expected);
}

void Tst_descriptives::messages_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<Columns>("columns");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("split");
    const Rows hugeSpread = { { 1, 3e38f }, { 2, -3e38f } };
    const Rows hugeSquares = { { 1e20f }, { 1 } };
    const Rows bothHuge = { { 3e38f, 1e20f }, { -3e38f, 1 } };
    const QString tooLarge1 = QStringLiteral("Var 1 has values too large to summarise.");
    const QString tooLarge2 = QStringLiteral("Var 2 has values too large to summarise.");
    QTest::newRow("no column chosen") << column({ 1, 2 }) << Columns()
                                      << QStringLiteral("At least one item must be selected.") << 0;
    QTest::newRow("variance of 3e38 and -3e38 beyond single precision")
        << hugeSpread << Columns { 1, 2 } << tooLarge2 << 0;
    QTest::newRow("variance of 1e20 and 1 beyond single precision")
        << hugeSquares << Columns { 1 } << tooLarge1 << 0;
    QTest::newRow("the first such column is named")
        << bothHuge << Columns { 1, 2 } << tooLarge1 << 0;
    QTest::newRow("1001 groups are too many to describe")
        << column(sequence(1, 1001)) << Columns { 1 }
        << QStringLiteral("Var 1 has more than 1000 different values, too many groups to describe.")
        << 1;
}

void Tst_descriptives::messages()
{
    QFETCH(Rows, rows);
    QFETCH(Columns, columns);
    QFETCH(QString, expected);
    QFETCH(int, split);
    const AnalysisResult result = run(rows, columns, '.', split);
    QCOMPARE(QString::fromStdString(result.message), expected);
    QVERIFY(result.report.empty());
}

QTEST_GUILESS_MAIN(Tst_descriptives)
#include "tst_descriptives.moc"
