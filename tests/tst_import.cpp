// Tests of the delimited import and the number rule, on the named edge-case
// files of tests/files/import and on real files in a temporary folder.
#include "ImportFiles.h"
#include "data/DataImport.h"
#include "data/ImportBlocks.h"
#include "data/NumberText.h"
#include "data/Parallel.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include <bit>
#include <cfloat>
#include <charconv>
#include <cstdlib>
#include <random>
#include <string>

using Grid = QList<QList<float>>;

namespace {

constexpr float M = MISSING_VALUE;

// `count` copies of `field` joined by `delimiter`.
QByteArray joined(int count, const QByteArray& field, char delimiter)
{
    QByteArray line = field;
    for (int i = 1; i < count; ++i)
        line += delimiter + field;
    return line;
}

// QCOMPARE on floats allows a relative error; cells must hold exact values.
// Nine significant digits tell every float apart.
QString exact(float value)
{
    return QString::number(value, 'g', 9);
}

// Everything an import gives, cell by cell, as one text to compare.
QByteArray outcomeText(const ImportResult& result)
{
    QByteArray text = QByteArray::number(int(result.status)) + ' '
        + QByteArray::fromStdString(result.message) + ' ' + QByteArray::number(result.row) + ' '
        + QByteArray::number(result.column) + ' ' + QByteArray::fromStdString(result.report);
    for (int32_t c = 1; c <= result.data.columnCount(); ++c) {
        text += QByteArray::fromStdString(result.data.name(c)) + '[';
        for (const std::string& label : result.data.labels(c))
            text += QByteArray::fromStdString(label) + '|';
        text += ']';
    }
    for (int32_t r = 1; r <= result.data.rowCount(); ++r) {
        text += QByteArray::number(result.data.fieldCount(r)) + ':';
        for (int32_t c = 1; c <= result.data.fieldCount(r); ++c)
            text += QByteArray::number(std::bit_cast<uint32_t>(result.data(r, c)), 16) + ' ';
    }
    return text;
}

// Lines of 0 to 6 fields and empty ones, with CR LF ends, the line `problem`
// (when not 0) replaced by `problemLine`: several megabytes, many read blocks.
QByteArray raggedLines(int lines, int problem = 0, const QByteArray& problemLine = {})
{
    QByteArray bytes;
    for (int i = 1; i <= lines; ++i) {
        if (i == problem) {
            bytes += problemLine + "\r\n";
            continue;
        }
        for (int f = 0; f < i % 7; ++f)
            bytes += (f ? "," : "") + QByteArray::number(i * 0.25 + f);
        bytes += i % 3 ? "\r\n" : "\n";
    }
    return bytes;
}

// A file with names as R writes it: a quoted text column whose every fifth
// text runs over a line end, NA, CR LF and LF ends; from line `late` on (when
// not 0) column 3 holds texts as well as numbers.
QByteArray labelledLines(int lines, int late = 0)
{
    QByteArray bytes = "\"id\",\"group\",\"score\"\n";
    for (int i = 1; i <= lines; ++i) {
        bytes += QByteArray::number(i) + ',';
        bytes += i % 5 ? "\"g" + QByteArray::number(i % 13) + '"' : QByteArray("\"two\nlines\"");
        bytes += ',';
        if (i % 11 == 0)
            bytes += "NA";
        else if (late && i >= late && i % 2)
            bytes += "\"t" + QByteArray::number(i % 5) + '"';
        else
            bytes += QByteArray::number(i * 0.5);
        bytes += i % 3 ? "\r\n" : "\n";
    }
    return bytes;
}

} // namespace

class Tst_import : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void importsCells_data();
    void importsCells();
    void reportsFirstProblem_data();
    void reportsFirstProblem();
    void lineEndSplitBetweenReads_data();
    void lineEndSplitBetweenReads();
    void unreadablePath_data();
    void unreadablePath();
    void reportText();
    void readsNonAsciiFileName();
    void newDataSetReplacesOld();
    void numberRule_data();
    void numberRule();
    void numberRuleAgreesWithCLibrary();
    void importsExamples_data();
    void importsExamples();
    void sameOutcomeOnAnyNumberOfThreads_data();
    void sameOutcomeOnAnyNumberOfThreads();
    void fileCutShortWhileRead();
    void partsJoinAcrossRowGroups();
    void invalidEntrySaysWhatMayMendIt_data();
    void invalidEntrySaysWhatMayMendIt();

private:
    std::string writeFile(const QString& name, const QByteArray& bytes);
    QTemporaryDir m_dir;
};

void Tst_import::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

std::string Tst_import::writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write a test file");
    return file.fileName().toStdString();
}

// Each case is a named file of tests/files/import, or a file built in code;
// its name ends in its delimiter.
void Tst_import::importsCells_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<Grid>("cells"); // one list per row; cells beyond a list read 0

    const auto named = [](const char* name, const char* file, const Grid& cells) {
        QTest::newRow(name) << importFile(file) << cells;
    };
    named("tab delimited", "tab-cells.tab.txt", { { 1, 2.5f }, { -3, 400 } });
    named(
        "no delimiter: each line one field", "one-number-per-line.none.txt", { { 1.5f }, { -2 } });
    named("two spaces give an empty field", "two-spaces-empty-field.space.txt", { { 1, M, 2 } });
    named("leading and trailing delimiters give empty fields, the trailing one a column",
        "leading-and-trailing-delimiters.comma.txt", { { M, 5 }, { 1, 2, M }, { 3, 4 } });
    named("consecutive delimiters give empty fields", "consecutive-delimiters.tab.txt",
        { { 1, M, M, 2 } });
    named("short rows read 0 beyond their fields", "short-rows.space.txt",
        { { 1, 2 }, { 3 }, { 4, 5, 6 } });
    named("dot, empty, one space and 9999999 are missing", "missing-texts.comma.txt",
        { { M, M, M }, { M, 1 } });
    named("semicolon files take a decimal comma or point", "decimal-comma.semicolon.txt",
        { { 1.5f, 2 }, { -0.25f, 300 } });
    named("blanks around numbers are allowed", "blanks-around-numbers.comma.txt", { { 1.5f, -2 } });
    named("empty lines are cases of zeros", "empty-lines.tab.txt", { { 1 }, {}, { 2 } });
    named("a file of line ends is cases without variables", "empty-lines-only.tab.txt",
        { {}, {}, {} });
    named("CR LF, LF and CR end a line, CR CR and LF CR hold an empty one, the last needs none",
        "line-ends-mixed.tab.txt", { {}, { 1 }, { 2 }, { 3 }, { 4 }, {}, { 5 }, {}, { 6 } });
    named("byte-order mark is skipped", "byte-order-mark.comma.txt", { { 1, 2 }, { 3, 4 } });
    named("empty file", "empty.tab.txt", {});
    named("byte-order mark alone", "byte-order-mark-alone.tab.txt", {});
    named("too small for single precision reads 0, largest and smallest float read as themselves",
        "extreme-magnitudes.tab.txt", { { 0, -0.0f, 1e-45f, FLT_MAX, 1e30f, -1e-30f } });
    named("leading zeros beyond a double's digits", "long-digits.tab.txt", { { 1.5f, 2 } });
    named("1000 fields", "one-thousand-fields.comma.txt", { { 1 }, QList<float>(999, 1) << 7.5f });
    QTest::newRow("line longer than a read")
        << builtImportFile("long-line.comma.txt", "1" + QByteArray(3'000'000, ' ') + ",2\n3,4")
        << Grid { { 1, 2 }, { 3, 4 } };
    QTest::newRow("field of three million digits")
        << builtImportFile("three-million-digits.tab.txt", QByteArray(3'000'000, '0') + "1.5\t2")
        << Grid { { 1.5f, 2 } };
}

void Tst_import::importsCells()
{
    QFETCH(QString, path);
    QFETCH(Grid, cells);

    const ImportResult result
        = importDelimitedFile(path.toStdString(), delimiterOf(path).text, "cells.txt");
    QCOMPARE(int(result.status), int(ImportStatus::Ok));
    qsizetype columns = 0;
    for (const QList<float>& row : cells)
        columns = std::max(columns, row.size());
    QCOMPARE(qsizetype(result.data.rowCount()), cells.size());
    QCOMPARE(qsizetype(result.data.columnCount()), columns);
    for (int r = 1; r <= cells.size() + 1; ++r) {
        for (int c = 1; c <= columns + 1; ++c) {
            const QList<float> row = cells.value(r - 1);
            QCOMPARE(exact(result.data(r, c)), exact(row.value(c - 1, 0.0f)));
        }
    }
}

void Tst_import::invalidEntrySaysWhatMayMendIt_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("delimiter");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("cure");

    const QString names = QStringLiteral("If line 1 holds names, check \"First line holds variable "
                                         "names\": text columns are then read as group labels.");
    QTest::newRow("a text under a delimiter: names may be missing")
        << importFile("letters.comma.txt") << QByteArray(",") << "abc" << names;
    const auto noDelimiter = [](const char* name, const QByteArray& line, const char* caption) {
        QTest::newRow(name) << builtImportFile(QString::fromLatin1(name) + ".none.txt", line + "\n")
                            // a tab shows as "?", as every control character
                            << QByteArray() << QString::fromLatin1(line).replace('\t', '?')
                            << QStringLiteral("The first line suggests \"%1\" as the type of "
                                              "delimiter.")
                                   .arg(caption);
    };
    noDelimiter("no delimiter chosen for commas", "1,2", "Comma Delimited");
    noDelimiter("no delimiter chosen for tabs", "1\t2", "Tab Delimited");
    noDelimiter("no delimiter chosen for semicolons", "1;2", "Semicolon Delimited");
    noDelimiter("no delimiter chosen for spaces", "1 2", "Space Delimited");
}

void Tst_import::invalidEntrySaysWhatMayMendIt()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, delimiter);
    QFETCH(QString, entry);
    QFETCH(QString, cure);
    const ImportResult result
        = importDelimitedFile(path.toStdString(), delimiter.toStdString(), "bad.txt");
    QCOMPARE(int(result.status), int(ImportStatus::InvalidEntry));
    QCOMPARE(QString::fromStdString(result.entry), entry);
    QCOMPARE(QString::fromStdString(result.cure), "The entry reads \"" + entry + "\". " + cure);
}

void Tst_import::reportsFirstProblem_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    const int invalid = int(ImportStatus::InvalidEntry);
    const int tooMany = int(ImportStatus::TooManyFields);
    const QString entry = QStringLiteral("Row %1 of Column %2 has an invalid entry for analysis.");
    const auto named = [&](const char* name, const char* file, int row, int column) {
        QTest::newRow(name) << importFile(file) << invalid << entry.arg(row).arg(column);
    };
    named("letters at line 4 field 2", "letters.comma.txt", 4, 2);
    named("thousands separator in a tab file", "thousands-separator.tab.txt", 1, 2);
    named("decimal comma in a tab file", "decimal-comma.tab.txt", 2, 1);
    named("number above single precision", "above-single-precision.tab.txt", 1, 2);
    named("number below single precision", "below-single-precision.none.txt", 2, 1);
    named("NUL byte inside a field", "nul-in-field.tab.txt", 2, 2);
    named("exponent without digits before a delimiter", "exponent-without-digits.comma.txt", 1, 1);
    named(
        "two spaces are not missing in a comma file", "two-spaces-in-a-comma-file.comma.txt", 1, 2);
    named("no delimiter: the whole line is checked", "spaces-without-delimiter.none.txt", 1, 1);
    named("byte-order mark after the start is data", "byte-order-mark-later.tab.txt", 2, 1);
    named("empty lines count as rows, CR LF is one line end", "letter-after-empty-line.tab.txt", 3,
        1);
    named("nan, inf and other texts that only look numeric", "not-numbers.tab.txt", 1, 1);
    named("binary file", "binary.tab.txt", 1, 1);
    named("UTF-16", "utf16.tab.txt", 1, 1);
    named("UTF-16 without byte-order mark", "utf16-no-byte-order-mark.comma.txt", 1, 1);
    named("UTF-16 big-endian", "utf16-big-endian.space.txt", 1, 1);
    int number = 0;
    for (const char* text : { "nan", "inf", "infinity", "1e", "--1", "0x10", "1.2.3" })
        QTest::newRow(qPrintable(QStringLiteral("\"%1\" is no number").arg(text)))
            << builtImportFile(QStringLiteral("no-number-%1.space.txt").arg(++number),
                   QByteArray("1 2\n3 ") + text + "\n")
            << invalid << entry.arg(2).arg(2);
    QTest::newRow("1001 fields") << importFile("one-thousand-and-one-fields.comma.txt") << tooMany
                                 << "Row 2 has more than 1000 variables.";
    QTest::newRow("trailing delimiter makes field 1001") << importFile(
        "trailing-space-field-1001.space.txt") << tooMany << "Row 1 has more than 1000 variables.";
    QTest::newRow("invalid entry before field 1001 wins")
        << builtImportFile("invalid-before-1001.comma.txt", "1,2,x," + joined(1000, "1", ','))
        << invalid << entry.arg(1).arg(3);
    QTest::newRow("invalid field 1001 is never checked")
        << builtImportFile("invalid-1001.comma.txt", joined(1000, "1", ',') + ",x") << tooMany
        << "Row 1 has more than 1000 variables.";
    QTest::newRow("1001 fields before a later invalid line")
        << builtImportFile("1001-then-invalid.tab.txt", joined(1001, "1", '\t') + "\nx\n")
        << tooMany << "Row 1 has more than 1000 variables.";
    // Lines longer than one read are judged before their end is read.
    const QByteArray longTail(600 * 1024, '7');
    QTest::newRow("long line: field 1001 stops it before its end")
        << builtImportFile(
               "long-1001.comma.txt", "1,2\n" + joined(1000, "1", ',') + "," + longTail + ",x")
        << tooMany << "Row 2 has more than 1000 variables.";
    QTest::newRow("long line: an invalid entry before field 1001 wins")
        << builtImportFile(
               "long-invalid.comma.txt", "1,2\n3,x," + joined(1000, "1", ',') + "," + longTail)
        << invalid << entry.arg(2).arg(2);
}

void Tst_import::reportsFirstProblem()
{
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(QString, message);

    const ImportResult result
        = importDelimitedFile(path.toStdString(), delimiterOf(path).text, "bad.txt");
    QCOMPARE(int(result.status), status);
    QCOMPARE(QString::fromStdString(result.message), message);
    QVERIFY(result.report.empty());
}

void Tst_import::lineEndSplitBetweenReads_data()
{
    QTest::addColumn<int>("shift");
    // With three shifts some CR lands on the last byte of the first read,
    // whatever the read size, and its LF on the first byte of the next.
    QTest::newRow("no shift") << 0;
    QTest::newRow("shifted one byte") << 1;
    QTest::newRow("shifted two bytes") << 2;
}

void Tst_import::lineEndSplitBetweenReads()
{
    QFETCH(int, shift);
    constexpr int LINES = 1'000'000;
    QByteArray content = "1" + QByteArray(shift, '0') + "\r\n";
    for (int i = 1; i < LINES; ++i)
        content += "2\r\n";

    const ImportResult result
        = importDelimitedFile(writeFile("crlf.txt", content), "\t", "crlf.txt");
    QCOMPARE(int(result.status), int(ImportStatus::Ok));
    QCOMPARE(result.data.rowCount(), LINES);
    QCOMPARE(result.data.columnCount(), 1);
    for (int r = 2; r <= LINES; ++r) {
        if (result.data(r, 1) != 2.0f)
            QFAIL(qPrintable(QString("row %1 holds %2").arg(r).arg(result.data(r, 1))));
    }
}

void Tst_import::unreadablePath_data()
{
    QTest::addColumn<QString>("path");
    writeFile("plain.txt", "1\n");
    QVERIFY(QDir(m_dir.path()).mkdir("folder.txt"));
    QTest::newRow("missing file") << m_dir.filePath("missing.txt");
    QTest::newRow("a folder") << m_dir.filePath("folder.txt");
    QTest::newRow("path under a regular file") << m_dir.filePath("plain.txt/data.txt");
    QTest::newRow("name longer than the file system allows")
        << m_dir.filePath(QString(300, 'a') + ".txt");
#ifdef Q_OS_UNIX
    // Neither has an end: importing must not wait or read forever.
    QVERIFY(::mkfifo(QFile::encodeName(m_dir.filePath("pipe.txt")).constData(), 0600) == 0);
    QTest::newRow("a named pipe") << m_dir.filePath("pipe.txt");
    QVERIFY(QFile::link("/dev/zero", m_dir.filePath("zeros.txt")));
    QTest::newRow("a link to an endless device") << m_dir.filePath("zeros.txt");
#endif
}

void Tst_import::unreadablePath()
{
    QFETCH(QString, path);
    const ImportResult result = importDelimitedFile(path.toStdString(), "\t", "C:\\shown.txt");
    QCOMPARE(int(result.status), int(ImportStatus::Unreadable));
    QCOMPARE(result.message, std::string("The file could not be read: C:\\shown.txt"));
    QVERIFY(result.report.empty());
}

void Tst_import::reportText()
{
    const ImportResult result
        = importDelimitedFile(writeFile("report.txt", "1,2,3\n4,5\n"), ",", "C:\\data\\report.txt");
    QCOMPARE(int(result.status), int(ImportStatus::Ok));
    QCOMPARE(result.report,
        std::string("Opened the text file: C:\\data\\report.txt\n"
                    "Number of Cases: 2\n"
                    "Number of Variables: 3\n\n\n"));
    QVERIFY(result.message.empty());
}

void Tst_import::readsNonAsciiFileName()
{
    const std::string path = writeFile(QString::fromUtf8("Größe データ.txt"), "2.5\n");
    const ImportResult result = importDelimitedFile(path, "\t", path);
    QCOMPARE(int(result.status), int(ImportStatus::Ok));
    QCOMPARE(exact(result.data(1, 1)), exact(2.5f));
}

void Tst_import::newDataSetReplacesOld()
{
    DataMatrix current
        = importDelimitedFile(writeFile("long.txt", "1 2 3\n4 5 6\n7 8 9\n"), " ", "").data;
    QCOMPARE(current.rowCount(), 3);
    QCOMPARE(current.columnCount(), 3);

    ImportResult second = importDelimitedFile(writeFile("short.txt", "5\n"), " ", "");
    current = std::move(second.data);
    QCOMPARE(second.data.rowCount(), 0);
    QCOMPARE(second.data.columnCount(), 0);
    QCOMPARE(current.rowCount(), 1);
    QCOMPARE(current.columnCount(), 1);
    QCOMPARE(exact(current(1, 1)), exact(5.0f));
    QCOMPARE(exact(current(1, 2)), exact(0.0f));
    QCOMPARE(exact(current(2, 1)), exact(0.0f));
}

void Tst_import::numberRule_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<float>("value");

    QTest::newRow("integer") << QByteArray("42") << true << 42.0f;
    QTest::newRow("negative fraction") << QByteArray("-1.5") << true << -1.5f;
    QTest::newRow("plus sign") << QByteArray("+2") << true << 2.0f;
    QTest::newRow("point without fraction digits") << QByteArray("1.") << true << 1.0f;
    QTest::newRow("fraction without integer digits") << QByteArray(".5") << true << 0.5f;
    QTest::newRow("sign, fraction and signed exponent") << QByteArray("+.5e-3") << true << 0.0005f;
    QTest::newRow("upper-case exponent") << QByteArray("2E3") << true << 2000.0f;
    QTest::newRow("exponent with plus") << QByteArray("1e+2") << true << 100.0f;
    QTest::newRow("blanks around") << QByteArray("  3.25  ") << true << 3.25f;
    QTest::newRow("9999999 equals the missing value") << QByteArray("9999999") << true << M;
    QTest::newRow("rounded to single precision") << QByteArray("0.1") << true << 0.1f;
    // Texts next to a point halfway between two neighbouring floats: each is
    // rounded once, to the float on its own side. The double nearest each of
    // those not exactly halfway is the halfway point itself, so rounding to
    // double first would tie to even.
    QTest::newRow("just above 1 + 2^-24 rounds up")
        << QByteArray("1.00000005960464477539062500000001") << true << 1.0000001f;
    QTest::newRow("just below 1 + 2^-24 rounds down")
        << QByteArray("1.00000005960464477539062499999999") << true << 1.0f;
    QTest::newRow("exactly 1 + 2^-24 ties to even below")
        << QByteArray("1.000000059604644775390625") << true << 1.0f;
    QTest::newRow("exactly 1 + 3 * 2^-24 ties to even above")
        << QByteArray("1.000000178813934326171875") << true << 1.0000002f;
    QTest::newRow("2^24 + 1 ties to even below") << QByteArray("16777217") << true << 16777216.0f;
    QTest::newRow("2^24 + 3 ties to even above") << QByteArray("16777219") << true << 16777220.0f;
    QTest::newRow("16 digits just above halfway round up")
        << QByteArray("61.25925636291504") << true << 61.25926f;
    QTest::newRow("16 digits just above halfway near 1 round up")
        << QByteArray("1.150341808795929") << true << 1.1503419f;
    QTest::newRow("16 digits just below halfway round down")
        << QByteArray("31.71272563934326") << true << 31.712725f;
    QTest::newRow("16 digits just below halfway under 1 round down")
        << QByteArray("0.2767934054136276") << true << 0.2767934f;
    QTest::newRow("21 digits just above halfway round up")
        << QByteArray("1.25506907701492309670") << true << 1.2550691f;
    QTest::newRow("largest float") << QByteArray("3.4028235e38") << true << FLT_MAX;
    QTest::newRow("just below the overflow point")
        << QByteArray("3.4028235677e38") << true << FLT_MAX;
    QTest::newRow("40 digits just below the overflow point")
        << QByteArray("3.402823567797336616375393954581425684479e38") << true << FLT_MAX;
    QTest::newRow("just above half the smallest float reads the smallest")
        << QByteArray("7.00649232162408535461864791644958065641e-46") << true << 1e-45f;
    QTest::newRow("exactly half the smallest float ties to 0") << QByteArray(
        "7.006492321624085354618647916449580656401309709382578858785341419448955413"
        "42930300743319094181060791015625e-46") << true << 0.0f;
    QTest::newRow("below single precision reads 0") << QByteArray("1e-50") << true << 0.0f;
    QTest::newRow("below double precision reads 0") << QByteArray("-1e-400") << true << -0.0f;
    QTest::newRow("many digits") << QByteArray("0.1000000000000000000000000001") << true << 0.1f;
    QTest::newRow("leading zeros") << QByteArray("0000000000000000000000012") << true << 12.0f;

    for (const char* text : { "", " ", ".", "-", "+", "nan", "inf", "infinity", "1e", "1e+", "e5",
             "--1", "+-1", "0x10", "1.2.3", "1,000", "0,435", "1 2", "\t1", "1\t", "$5", "5x",
             "1d5", "abc", "1e39", "-1e39", "3.4028236e38", "1e400", "1e99999999999999999999",
             "3.40282356779733661637539395458142568448e38" })
        QTest::newRow(qPrintable(QString("not a number: \"%1\"").arg(text)))
            << QByteArray(text) << false << 0.0f;
}

void Tst_import::numberRule()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, isNumber);
    QFETCH(float, value);

    const std::optional<float> number = parseNumber(std::string_view(text.data(), text.size()));
    QCOMPARE(number.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(exact(*number), exact(value));
}

// Short numbers take a quicker way than long ones; both must give the float
// nearest the text, as the C library's strtof reads it. The texts lie next to
// halfway points between neighbouring floats, where rounding to double first
// can tie to the wrong float.
void Tst_import::numberRuleAgreesWithCLibrary()
{
    std::mt19937 random(20240601);
    std::uniform_int_distribution<uint32_t> positiveFloat(0x0000'0000u, 0x7f7f'fffeu);
    std::uniform_int_distribution<int> significantDigits(15, 22);
    for (int i = 0; i < 100'000; ++i) {
        const float below = std::bit_cast<float>(positiveFloat(random));
        const double halfway
            = (double(below) + double(std::nextafter(below, std::numeric_limits<float>::max())))
            / 2;
        char buffer[64];
        char* end = std::to_chars(buffer, buffer + sizeof buffer, halfway,
            std::chars_format::scientific, significantDigits(random) - 1)
                        .ptr;
        const std::string text(buffer, end);

        const float expected = std::strtof(text.c_str(), nullptr);
        const std::optional<float> number = parseNumber(text);
        if (!number || std::bit_cast<uint32_t>(*number) != std::bit_cast<uint32_t>(expected))
            QFAIL(qPrintable(QString::fromStdString(text)));
    }
}

void Tst_import::importsExamples_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("rows");
    QTest::newRow("tab-delimited sample") << "reaction_times_tab.txt" << 40;
    QTest::newRow("comma-delimited sample") << "anxiety_comma.txt" << 30;
    QTest::newRow("space-delimited sample") << "scores_space.dat" << 50;
}

void Tst_import::importsExamples()
{
    QFETCH(QString, file);
    QFETCH(int, rows);
    const QString path = QStringLiteral(TRELLAM_SOURCE_DIR "/examples/") + file;
    const ImportResult result
        = importDelimitedFile(path.toStdString(), delimiterOf(path).text, path.toStdString());
    QCOMPARE(QString::fromStdString(result.message), QString());
    QCOMPARE(result.data.rowCount(), rows);
    QCOMPARE(result.data.columnCount(), 3);
}

QTEST_GUILESS_MAIN(Tst_import)
#include "tst_import.moc"

void Tst_import::sameOutcomeOnAnyNumberOfThreads_data()
{
    QTest::addColumn<QString>("path"); // a named file, or one written below
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message"); // of a file written below
    QTest::addColumn<bool>("names");
    const QDir named(QStringLiteral(TRELLAM_SOURCE_DIR "/tests/files/import"));
    // The text files, named for their delimiter; the other programs' files
    // beside them have tests of their own.
    const QStringList textFiles { "*.tab.*", "*.comma.*", "*.space.*", "*.semicolon.*", "*.none.*" };
    for (const QString& name : named.entryList(textFiles, QDir::Files)) {
        for (bool names : { false, true })
            QTest::addRow("%s%s", qPrintable(name), names ? ", names" : "")
                << named.filePath(name) << QByteArray() << QString() << names;
    }
    QTest::newRow("ragged rows over many blocks")
        << "ragged.comma.txt" << raggedLines(60000) << QString() << false;
    QTest::newRow("an invalid entry deep in the file")
        << "invalid.comma.txt" << raggedLines(60000, 51234, "1,2,x")
        << "Row 51234 of Column 3 has an invalid entry for analysis." << false;
    QTest::newRow("1001 fields deep in the file")
        << "wide.comma.txt" << raggedLines(60000, 40001, joined(1001, "7", ','))
        << "Row 40001 has more than 1000 variables." << false;
    QTest::newRow("texts over line ends in many pieces")
        << "labels.comma.txt" << labelledLines(3000) << QString() << true;
    QTest::newRow("a column that holds texts late")
        << "late.comma.txt" << labelledLines(3000, 2500) << QString() << true;
    QTest::newRow("an unclosed quote deep in the file")
        << "unclosed.comma.txt" << labelledLines(3000) + "1,\"open,2\n3,x,4\n"
        << "Row 3001 of Column 2 has an unclosed quotation mark." << true;
}

// The file is read in blocks and parsed in pieces on the worker threads: the
// usual blocks and blocks of 256 bytes (every line end, CR LF, long line and
// quoted line end meeting a boundary somewhere), each on 1, 2 and 7 threads,
// give the same rows, values, names, labels, messages and report.
void Tst_import::sameOutcomeOnAnyNumberOfThreads()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QFETCH(bool, names);
    const std::string file = bytes.isEmpty() ? path.toStdString() : writeFile(path, bytes);
    const char* delimiter = delimiterOf(path).text;
    QByteArray expected;
    for (std::size_t block : { std::size_t { 0 }, std::size_t { 256 } }) {
        setImportBlockBytes(block);
        for (int threads : { 1, 2, 7 }) {
            setWorkerThreads(threads);
            const ImportResult result = importDelimitedFile(file, delimiter, "shown.txt", names);
            if (!bytes.isEmpty())
                QCOMPARE(QString::fromStdString(result.message), message);
            const QByteArray outcome = outcomeText(result);
            if (expected.isEmpty())
                expected = outcome;
            else
                QVERIFY2(outcome == expected,
                    qPrintable(QString("%1 threads, blocks of %2 differ").arg(threads).arg(block)));
        }
    }
    setImportBlockBytes(0);
    setWorkerThreads(0);
}

// Parts of ragged rows joined in batches side by side, over the boundary of
// a million rows where the matrix starts a new group, read as the same rows
// built one by one.
void Tst_import::partsJoinAcrossRowGroups()
{
    constexpr int ROWS = 1100000;
    DataMatrix byRow;
    std::vector<DataMatrix> parts(7);
    DataMatrix joined;
    setWorkerThreads(3);
    for (int row = 0; row < ROWS; ++row) {
        DataMatrix& part = parts[std::size_t(row / 1000 % 7)];
        byRow.beginRow();
        part.beginRow();
        for (int field = 0; field < row % 4; ++field) {
            byRow.appendField(float(row + field));
            part.appendField(float(row + field));
        }
        if (row % 7000 == 6999 || row + 1 == ROWS) {
            joined.appendRows(parts);
            for (DataMatrix& done : parts)
                done.clear();
        }
    }
    setWorkerThreads(0);
    QCOMPARE(joined.rowCount(), ROWS);
    QCOMPARE(joined.columnCount(), byRow.columnCount());
    for (int row = 1; row <= ROWS; ++row) {
        QCOMPARE(joined.fieldCount(row), byRow.fieldCount(row));
        for (int col = 1; col <= joined.fieldCount(row); ++col)
            QCOMPARE(joined(row, col), byRow(row, col));
    }
}

// A file that ends before the size it had when it was opened was cut short
// while it was read: a system file that always claims 4096 bytes stands in.
void Tst_import::fileCutShortWhileRead()
{
    const char* path = "/sys/kernel/uevent_seqnum";
    if (!QFileInfo(QString::fromLatin1(path)).isFile() || QFileInfo(path).size() <= 64)
        QSKIP("no system file that claims more than it holds");
    const ImportResult result = importDelimitedFile(path, " ", path);
    QCOMPARE(int(result.status), int(ImportStatus::Changed));
    QCOMPARE(result.message, std::string("The file changed while it was read."));
}
