// Tests of how report numbers become text: 3-decimal rounding, the general form and fitting.
#include "report/NumberFormat.h"

#include <QtTest>

#include <string>

class Tst_numbers : public QObject {
    Q_OBJECT
private slots:
    void reportNumber_data();
    void reportNumber();
    void generalForm_data();
    void generalForm();
    void fittedText_data();
    void fittedText();
};

void Tst_numbers::reportNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("exact tie 0.0625 goes down to even") << 0.0625 << "0.062";
    QTest::newRow("exact tie 2.5625 goes down to even") << 2.5625 << "2.562";
    QTest::newRow("exact tie 0.1875 goes up to even") << 0.1875 << "0.188";
    QTest::newRow("0.9955 lies above the tie in binary") << 0.9955 << "0.996";
    QTest::newRow("1.0005 lies below the tie in binary") << 1.0005 << "1";
    QTest::newRow("-0.0005 lies beyond the tie in binary") << -0.0005 << "-0.001";
    QTest::newRow("trailing zeros are dropped") << 2.5 << "2.5";
    QTest::newRow("negative value") << -1.25 << "-1.25";
    QTest::newRow("small negative value gives 0, not -0") << -0.0004 << "0";
    QTest::newRow("negative zero gives 0") << -0.0 << "0";
    QTest::newRow("large value stays positional") << 1e20 << "100000000000000000000";
    QTest::newRow("integer without a point") << 1234567.0 << "1234567";
}

void Tst_numbers::reportNumber()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(formatReportNumber(value)), expected);
}

void Tst_numbers::generalForm_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("expected");
    const float tenth = 0.1f;
    const float negative = -1234.5678f;
    QTest::newRow("integer plainly") << 20.0 << 7 << '.' << "20";
    QTest::newRow("7 digits below 10^7 stay positional") << 9999999.0 << 7 << '.' << "9999999";
    QTest::newRow("10^7 with 7 digits takes an exponent") << 1e7 << 7 << '.' << "1E+07";
    QTest::newRow("rounding up to 10^7 takes an exponent") << 9999999.5 << 7 << '.' << "1E+07";
    QTest::newRow("15 digits below 10^15 stay positional")
        << 123456789012345.0 << 15 << '.' << "123456789012345";
    QTest::newRow("10^15 with 15 digits takes an exponent") << 1e15 << 15 << '.' << "1E+15";
    QTest::newRow("0.0001 stays positional") << 0.0001 << 7 << '.' << "0.0001";
    QTest::newRow("below 0.0001 takes an exponent") << 0.00009999 << 7 << '.' << "9.999E-05";
    QTest::newRow("rounding up to 0.0001 stays positional")
        << 0.000099999999 << 7 << '.' << "0.0001";
    QTest::newRow("three-digit exponent") << 1e100 << 15 << '.' << "1E+100";
    QTest::newRow("single 0.1 with 7 digits") << double(tenth) << 7 << '.' << "0.1";
    QTest::newRow("single 0.1 with 15 digits") << double(tenth) << 15 << '.' << "0.100000001490116";
    QTest::newRow("single rounded to 7 digits") << double(negative) << 7 << '.' << "-1234.568";
    QTest::newRow("negative zero gives 0") << -0.0 << 15 << '.' << "0";
    QTest::newRow("comma separator") << 1.5 << 7 << ',' << "1,5";
    QTest::newRow("comma separator with exponent") << 1.5e-5 << 7 << ',' << "1,5E-05";
}

void Tst_numbers::generalForm()
{
    QFETCH(double, value);
    QFETCH(int, digits);
    QFETCH(char, separator);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(formatGeneral(value, digits, separator)), expected);
}

void Tst_numbers::fittedText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("expected");
    QTest::newRow("short text untouched") << 12.5 << 15 << '.' << "12.5";
    QTest::newRow("nine characters stay whole") << double(-1234.5678f) << 7 << '.' << "-1234.568";
    QTest::newRow("decimals beyond nine characters are cut")
        << -1234.5678 << 15 << '.' << "-1234.567";
    QTest::newRow("cut with comma separator") << -1234.5678 << 15 << ',' << "-1234,567";
    QTest::newRow("nine integer digits stay whole") << 123456789.0 << 15 << '.' << "123456789";
    QTest::newRow("integer digits beyond nine take an exponent")
        << 123456789012.0 << 15 << '.' << "1.235E+11";
    QTest::newRow("negative integer beyond nine takes an exponent")
        << -123456789.0 << 15 << '.' << "-1.23E+08";
    QTest::newRow("long exponent form is shortened")
        << double(12345678.0f) << 7 << '.' << "1.235E+07";
    QTest::newRow("negative long exponent form is shortened")
        << double(-12345678.0f) << 7 << '.' << "-1.23E+07";
    QTest::newRow("small long exponent form is shortened")
        << double(1.2345678e-5f) << 7 << '.' << "1.235E-05";
    QTest::newRow("shortened exponent form with comma")
        << double(12345678.0f) << 7 << ',' << "1,235E+07";
    QTest::newRow("rounding up carries into the exponent") << 99999600000.0 << 15 << '.' << "1E+11";
}

void Tst_numbers::fittedText()
{
    QFETCH(double, value);
    QFETCH(int, digits);
    QFETCH(char, separator);
    QFETCH(QString, expected);
    const std::string text = formatGeneral(value, digits, separator);
    QCOMPARE(QString::fromStdString(fitNumberText(text, value, 9, separator)), expected);
}

QTEST_GUILESS_MAIN(Tst_numbers)
#include "tst_numbers.moc"
