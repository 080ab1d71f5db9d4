// Tests of column names: a header line in the import, the layout guess for
// files opened without the user's choices, and names in the reports.
#include "analyses/DescriptivesAnalysis.h"
#include "analyses/TwoGroups.h"
#include "data/DataImport.h"
#include "data/LayoutGuess.h"

#include "ImportFiles.h"
#include "TestData.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include <string>
#include <vector>

using Grid = QList<QList<float>>;
using Labels = QList<QStringList>; // per column; an empty list for a numeric column

namespace {

constexpr float M = MISSING_VALUE;

QStringList namesOf(const DataMatrix& data)
{
    QStringList names;
    for (int32_t column = 1; column <= data.columnCount(); ++column)
        names << QString::fromStdString(data.name(column));
    return names;
}

} // namespace

class Tst_names : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void headerLineNamesColumns_data();
    void headerLineNamesColumns();
    void problemsCountRowsOfTheDataSet_data();
    void problemsCountRowsOfTheDataSet();
    void textColumnsHoldLabels_data();
    void textColumnsHoldLabels();
    void labelledFileProblems_data();
    void labelledFileProblems();
    void layoutGuess_data();
    void layoutGuess();
    void pipeIsNeverRead();
    void reportsUseNames();

private:
    std::string writeFile(const QString& name, const QByteArray& bytes);
    QTemporaryDir m_dir;
};

void Tst_names::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

std::string Tst_names::writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write a test file");
    return file.fileName().toStdString();
}

void Tst_names::headerLineNamesColumns_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("delimiter");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("rows");

    QTest::newRow("R write.csv: quoted names, no row names")
        << QByteArray("\"feed\",\"weight\"\n1,10.5\n2,11\n") << QByteArray(",")
        << QStringList { "feed", "weight" } << 2;
    QTest::newRow("spreadsheet export: byte-order mark and CR LF")
        << QByteArray("\xEF\xBB\xBFgroup,body weight\r\n1,70\r\n2,81\r\n2,.\r\n") << QByteArray(",")
        << QStringList { "group", "body weight" } << 3;
    QTest::newRow("blanks around and inside the quotes are trimmed")
        << QByteArray(" \"  a b \" \t x \n1\t2\n") << QByteArray("\t") << QStringList { "a b", "x" }
        << 1;
    QTest::newRow("doubled quotes in a quoted name stand for one")
        << QByteArray("\"\"\"q\"\"\",\"a,b\"\n1,2\n") << QByteArray(",")
        << QStringList { "\"q\"", "a,b" } << 1;
    QTest::newRow("an empty field leaves its column unnamed")
        << QByteArray("a,,\"\"\n1,2,3\n") << QByteArray(",") << QStringList { "a", "", "" } << 1;
    QTest::newRow("a header wider than every line counts its columns")
        << QByteArray("a b c d\n1 2\n3\n") << QByteArray(" ") << QStringList { "a", "b", "c", "d" }
        << 2;
    QTest::newRow("a header alone gives no cases")
        << QByteArray("x,y") << QByteArray(",") << QStringList { "x", "y" } << 0;
    QTest::newRow("an empty first line names nothing")
        << QByteArray("\n1,2\n") << QByteArray(",") << QStringList { "", "" } << 1;
    QTest::newRow("no delimiter: the whole line is the name")
        << QByteArray("reaction time, ms\n512\n") << QByteArray()
        << QStringList { "reaction time, ms" } << 1;
    QTest::newRow("names are cut at 64 characters, not bytes")
        << QString(70, QChar(0x00E9)).toUtf8() + ",b\n1,2\n"
        << QByteArray(",") << QStringList { QString(64, QChar(0x00E9)), "b" } << 1;
    QTest::newRow("a file that is not UTF-8 is read as Windows-1252")
        << QByteArray("caf\xE9,\x80 \x93q\x94\n1,2\n") << QByteArray(",")
        << QStringList { QString::fromUtf8("café"), QString::fromUtf8("€ “q”") } << 1;
}

void Tst_names::headerLineNamesColumns()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, delimiter);
    QFETCH(QStringList, names);
    QFETCH(int, rows);
    const std::string path = writeFile("names.txt", content);
    const ImportResult result
        = importDelimitedFile(path, delimiter.toStdString(), "names.txt", true);
    QCOMPARE(int(result.status), int(ImportStatus::Ok));
    QCOMPARE(namesOf(result.data), names);
    QCOMPARE(result.data.rowCount(), rows);
    QVERIFY(
        result.report.find("Number of Cases: " + std::to_string(rows) + "\n") != std::string::npos);
    if (rows > 0)
        QVERIFY(result.data(1, 1) != MISSING_VALUE); // line 2 is row 1
}

void Tst_names::problemsCountRowsOfTheDataSet_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("an unclosed quote on line 5 is in row 4")
        << QByteArray("a,b,c\n1,2,3\n4,5,6\n7,8,9\n1,2,\"x\n")
        << "Row 4 of Column 3 has an unclosed quotation mark.";
    QTest::newRow("too many fields on line 3 is row 2")
        << QByteArray("a\n1\n") + QByteArray(1001, ',') + "\n"
        << "Row 2 has more than 1000 variables.";
    QTest::newRow("a header of 1001 fields") << QByteArray(1000, ',') + "\n1\n"
                                             << "The first line has more than 1000 variable names.";
}

void Tst_names::problemsCountRowsOfTheDataSet()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const std::string path = writeFile("bad.txt", content);
    const ImportResult result = importDelimitedFile(path, ",", "bad.txt", true);
    QCOMPARE(QString::fromStdString(result.message), message);
}

void Tst_names::textColumnsHoldLabels_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<Grid>("cells"); // every row as wide as the data set
    QTest::addColumn<Labels>("labels");

    const auto named = [](const char* name, const char* file, const QStringList& names,
                           const Grid& cells, const Labels& labels) {
        QTest::newRow(name) << importFile(file) << names << cells << labels;
    };
    named("quoted fields hold delimiters, doubled quotes and line ends",
        "labels-quoted-fields.comma.txt", { "name, full", "score" },
        { { 3, 1.5f }, { 1, 2 }, { 2, 3 } }, { { "Smith, J.", "say \"hi\"", "two\r\nlines" }, {} });
    named("codes follow the texts' code points; numbers there are labels too",
        "labels-code-point-order.tab.txt", { "group", "score", "n" },
        { { 5, 1, 3 }, { 3, 2, 4 }, { 6, 3, 5 }, { 4, M, 6 }, { 4, 4, 7 }, { 2, 5, 8 },
            { 1, 6, 9 } },
        { { "10", "9", "B", "a", "b", QString::fromUtf8("é") }, {}, {} });
    named("short lines are missing where they end, blank lines are skipped",
        "labels-short-and-blank-lines.comma.txt", { "a", "b", "c" },
        { { 1, 2, 3 }, { 4, 5, M }, { 6, M, M } }, { {}, {}, {} });
    named("empty, one space, dot, NA and NaN are missing", "labels-missing-texts.comma.txt",
        { "x", "g" }, { { M, 1 }, { M, M }, { M, M }, { M, M }, { 1, 2 } }, { {}, { "a", "b" } });
    named("semicolon files take decimal commas", "labels-decimal-comma.semicolon.txt",
        { "", "len", "supp" }, { { 1, 4.2f, 2 }, { 2, 11.5f, 1 }, { 3, 7.3f, 2 } },
        { {}, {}, { "OJ", "VC" } });
    named("names and labels not in UTF-8 are Windows-1252", "labels-windows-1252.comma.txt",
        { QString::fromUtf8("Größe"), QString::fromUtf8("“x”") }, { { 2, 1 }, { 1, 2 } },
        { { "A", QString::fromUtf8("€") }, {} });

    QByteArray many = "g\n";
    for (int i = 100000; i >= 1; --i)
        many += 't' + QByteArray::number(i) + '\n';
    QStringList manyLabels;
    for (int i = 1; i <= 100000; ++i)
        manyLabels << 't' + QString::number(i);
    manyLabels.sort(); // byte order, as the texts are ASCII
    QTest::newRow("100000 different texts are still groups")
        << builtImportFile("labels-100000.tab.txt", many) << QStringList { "g" }
        << Grid { { float(manyLabels.indexOf("t100000") + 1) } } << Labels { manyLabels };
}

void Tst_names::textColumnsHoldLabels()
{
    QFETCH(QString, path);
    QFETCH(QStringList, names);
    QFETCH(Grid, cells);
    QFETCH(Labels, labels);
    const ImportResult result
        = importDelimitedFile(path.toStdString(), delimiterOf(path).text, "labels.txt", true);
    QCOMPARE(QString::fromStdString(result.message), QString());
    QCOMPARE(namesOf(result.data), names);
    for (int32_t column = 1; column <= result.data.columnCount(); ++column) {
        QStringList texts;
        for (const std::string& label : result.data.labels(column))
            texts << QString::fromStdString(label);
        QCOMPARE(texts, labels.value(column - 1));
    }
    // Only the first rows are listed where a file is long.
    for (int32_t row = 1; row <= cells.size(); ++row) {
        const QList<float>& expected = cells[row - 1];
        QCOMPARE(result.data.fieldCount(row), int32_t(expected.size()));
        for (int32_t column = 1; column <= expected.size(); ++column)
            QCOMPARE(result.data(row, column), expected[column - 1]);
    }
    if (cells.size() > 1)
        QCOMPARE(result.data.rowCount(), int32_t(cells.size()));
}

void Tst_names::labelledFileProblems_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    QTest::newRow("an unclosed quote") << importFile("labels-unclosed-quote.comma.txt")
                                       << "Row 2 of Column 1 has an unclosed quotation mark.";
    QTest::newRow("an unclosed quote in the names") << builtImportFile("unclosed-name.comma.txt",
        "a,\"b\n1,2\n") << "The first line has an unclosed quotation mark.";
    QByteArray many = "n,g\n";
    for (int i = 0; i <= 100000; ++i)
        many += "1,t" + QByteArray::number(i) + '\n';
    QTest::newRow("100001 different texts") << builtImportFile(
        "labels-100001.comma.txt", many) << "Column 2 has more than 100000 different text values.";
}

void Tst_names::labelledFileProblems()
{
    QFETCH(QString, path);
    QFETCH(QString, message);
    const ImportResult result
        = importDelimitedFile(path.toStdString(), delimiterOf(path).text, "bad.txt", true);
    QCOMPARE(QString::fromStdString(result.message), message);
    QCOMPARE(result.data.rowCount(), 0);
    QVERIFY(result.report.empty());
}

void Tst_names::layoutGuess_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("chosen"); // "-" for none
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<bool>("names");

    QTest::newRow("R write.csv") << QByteArray("\"x\",\"g\"\n1.5,1\n") << "-"
                                 << "," << true;
    QTest::newRow("tab, CR LF and a byte-order mark")
        << QByteArray("\xEF\xBB\xBFscore\tgroup\r\n3\t1\r\n") << "-"
        << "\t" << true;
    QTest::newRow("a byte-order mark before a number is no name") << QByteArray("\xEF\xBB\xBF"
                                                                                "1,2\n3,4\n")
                                                                  << "-"
                                                                  << "," << false;
    QTest::newRow("R write.csv2: semicolons and decimal commas")
        << QByteArray("\"\";\"len\";\"supp\"\n\"1\";4,2;\"VC\"\n") << "-"
        << ";" << true;
    QTest::newRow("R write.csv with row names and a text column")
        << QByteArray("\"\",\"len\",\"supp\"\n\"1\",4.2,\"VC\"\n") << "-"
        << "," << true;
    QTest::newRow("a saved report is no file with names")
        << QByteArray("Opened the text file: a.txt\r\nNumber of Cases: 3\r\n") << "-"
        << " " << false;
    QTest::newRow("fewer semicolons than commas") << QByteArray("a,b;c,d\n1,2\n") << "-"
                                                  << "," << true;
    QTest::newRow("numbers on line 1") << QByteArray("1 2\n3 4\n") << "-"
                                       << " " << false;
    QTest::newRow("missing entries are not names") << QByteArray(".,\n1,2\n") << "-"
                                                   << "," << false;
    QTest::newRow("missing entries on line 2 are data") << QByteArray("a b\n. 3\n") << "-"
                                                        << " " << true;
    QTest::newRow("a header alone") << QByteArray("a,b\n") << "-"
                                    << "," << false;
    QTest::newRow("two lines of text") << QByteArray("a,b\nc,d\n1,2\n") << "-"
                                       << "," << false;
    QTest::newRow("the chosen delimiter splits the lines") << QByteArray("a,b\n1,2\n") << " "
                                                           << " " << false;
    QTest::newRow("a file that cannot be read") << QByteArray() << "-"
                                                << " " << false;
}

void Tst_names::layoutGuess()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, chosen);
    QFETCH(QString, delimiter);
    QFETCH(bool, names);
    std::string path = writeFile("guess.csv", content);
    if (content.isEmpty())
        path += ".missing";
    const DataLayout layout
        = chosen == "-" ? guessLayout(path) : guessLayout(path, chosen.toStdString());
    QCOMPARE(QString::fromStdString(layout.delimiter), delimiter);
    QCOMPARE(layout.firstLineNames, names);
    if (chosen == "-")
        QCOMPARE(guessDelimiter(path), layout.delimiter);
}

void Tst_names::pipeIsNeverRead()
{
#ifdef Q_OS_UNIX
    const std::string path = m_dir.filePath("pipe").toStdString();
    QCOMPARE(mkfifo(path.c_str(), 0600), 0);
    const DataLayout layout = guessLayout(path); // returns at once, no writer needed
    QCOMPARE(layout.delimiter, std::string(" "));
    QVERIFY(!layout.firstLineNames);
#else
    QSKIP("pipes in the file system are POSIX only");
#endif
}

void Tst_names::reportsUseNames()
{
    DataMatrix data = twoGroups({ 1, 2, 3 }, { 4, 5, 7 });
    TwoGroupChoice choice;
    choice.lngDependent = 1;
    choice.lngGrouping = 2;
    QCOMPARE(variablesLine(data, choice), std::string("Dep Var = Var 1; Grp Var = Var 2\n"));
    data.setNames({ "weight", "" });
    QCOMPARE(
        variablesLine(data, choice), std::string("Dep Var = Var 1 (weight); Grp Var = Var 2\n"));
    data.setNames({ "Körpergewicht", "feed" });
    QCOMPARE(variablesLine(data, choice),
        std::string("Dep Var = Var 1 (Körpergewicht); Grp Var = Var 2 (feed)\n"));

    // The Name field holds the name, cut to 9 characters and padded by characters.
    const std::vector<int32_t> columns { 1, 2 };
    const QStringList lines
        = QString::fromStdString(descriptivesAnalysis(data, columns, '.').report).split('\n');
    QCOMPARE(lines[4],
        QString::fromUtf8("Körpergew      3.667      2.16         1         7         6"));
    QCOMPARE(
        lines[5], QStringLiteral("feed             1.5     0.548         1         2         6"));

    // Control characters in a name never reach a terminal: each shows as "?".
    data.setNames({ "a\x1b[31mb", "c\td\xc2\x85" });
    QCOMPARE(variablesLine(data, choice),
        std::string("Dep Var = Var 1 (a?[31mb); Grp Var = Var 2 (c?d?)\n"));
    QVERIFY(QString::fromStdString(descriptivesAnalysis(data, columns, '.').report)
                .contains(QStringLiteral("\na?[31mb ")));

    const std::vector<float> huge { 3e38f, -3e38f, 3e38f };
    DataMatrix large = twoGroups(huge, huge);
    large.setNames({ "big" });
    QCOMPARE(descriptivesAnalysis(large, std::vector<int32_t> { 1 }, '.').message,
        std::string("Var 1 (big) has values too large to summarise."));
}

QTEST_APPLESS_MAIN(Tst_names)
#include "tst_names.moc"
