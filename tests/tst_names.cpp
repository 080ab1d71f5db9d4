// Tests of column names: a header line in the import, the layout guess for
// files opened without the user's choices, and names in the reports.
#include "analyses/DescriptivesAnalysis.h"
#include "analyses/TwoGroups.h"
#include "data/DataImport.h"
#include "data/LayoutGuess.h"

#include "TestData.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include <string>
#include <vector>

namespace {

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
    QTest::newRow("only one pair of quotes goes")
        << QByteArray("\"\"q\"\",\"\n1,2\n") << QByteArray(",") << QStringList { "\"q\"", "\"" }
        << 1;
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
    QTest::newRow("a name that is not UTF-8 is read as Latin-1")
        << QByteArray("caf\xE9,Gr\xC3\xB6\xC3\x9F"
                      "e\n1,2\n")
        << QByteArray(",") << QStringList { QString::fromUtf8("café"), QString::fromUtf8("Größe") }
        << 1;
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
    QTest::newRow("a bad field on line 5 is in row 4")
        << QByteArray("a,b,c\n1,2,3\n4,5,6\n7,8,9\n1,2,x\n")
        << "Row 4 of Column 3 has an invalid entry for analysis.";
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
