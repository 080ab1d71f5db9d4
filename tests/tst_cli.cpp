// trellam-cli end to end: whole reports on the sample files against golden
// texts, its messages and exit codes.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Where the program's standard output goes, when not to the test.
enum class Output { Captured, Closed, FullDisk, ReaderGone };

Run runCli(const QStringList& args, Output output = Output::Captured)
{
    QProcess process;
    process.setWorkingDirectory(QStringLiteral(TRELLAM_SOURCE_DIR));
    // A pipe whose reading end is already closed: the first write fails.
    int readerGone[2] = { -1, -1 };
    if (output == Output::ReaderGone) {
        if (pipe(readerGone) != 0)
            qFatal("no pipe");
        close(readerGone[0]);
    }
    if (output == Output::FullDisk)
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
    process.setChildProcessModifier([output, readerGone] {
        if (output == Output::Closed)
            close(STDOUT_FILENO);
        else if (output == Output::ReaderGone)
            dup2(readerGone[1], STDOUT_FILENO);
    });
    process.start(QStringLiteral(TRELLAM_CLI), args);
    if (output == Output::ReaderGone)
        close(readerGone[1]);
    process.waitForFinished(120000);
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardOutput(), process.readAllStandardError() };
}

QByteArray golden(const QString& name)
{
    QFile file(QStringLiteral(TRELLAM_SOURCE_DIR "/tests/golden/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("golden file %s is missing", qPrintable(name));
    return file.readAll();
}

const QStringList bootstrapGroups { "--dv", "2", "--gv", "1", "--group1", "1", "--group2", "2" };

} // namespace

class Tst_cli : public QObject {
    Q_OBJECT
private slots:
    void goldenReports_data();
    void goldenReports();
    void sameReportOnAnyNumberOfThreads();
    void seedFromTheClockRepeatsTheRun();
    void failures_data();
    void failures();
    void importFailureSaysWhatMayMendIt();
    void noDataInTheFile_data();
    void noDataInTheFile();
    void reportNotWritten_data();
    void reportNotWritten();
};

void Tst_cli::goldenReports_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("golden");
    const QStringList samples { "anxiety_comma.txt", "reaction_times_tab.txt", "scores_space.dat" };
    const QStringList levels { "95", "90", "99" };
    for (int i = 0; i < samples.size(); ++i) {
        const QString file = "examples/" + samples[i];
        const QString stem = samples[i].section('.', 0, 0);
        QTest::addRow("descriptives of %s", qPrintable(stem))
            << QStringList { "descriptives", file } << stem + ".descriptives.txt";
        QTest::addRow("bootstrap of %s at %s%%", qPrintable(stem), qPrintable(levels[i]))
            << QStringList { "bootstrap", file } + bootstrapGroups
                + QStringList { "--level", levels[i], "--seed", "20261208" }
            << stem + ".bootstrap.txt";
        QTest::addRow("yuen of %s at %s%%", qPrintable(stem), qPrintable(levels[i]))
            << QStringList { "yuen", file } + bootstrapGroups + QStringList { "--level", levels[i] }
            << stem + ".yuen.txt";
    }
    QTest::newRow("effects of anxiety_comma, seeded")
        << QStringList { "effects", "examples/anxiety_comma.txt" } + bootstrapGroups
            + QStringList { "--seed", "20261208" }
        << "anxiety_comma.effects.txt";
    QTest::newRow("chosen columns, delimiter given") << QStringList { "descriptives",
        "examples/scores_space.dat", "--delimiter", "space", "--columns", "3,1-2" }
                                                     << "scores_space.columns.txt";
    // Files written by R: a quoted row-name column, NA in len, supp as text.
    QTest::newRow("descriptives of R's write.csv, with names") << QStringList { "descriptives",
        "examples/toothgrowth.csv", "--names" } << "toothgrowth.descriptives.txt";
    QTest::newRow("descriptives of R's write.csv2, its delimiter guessed")
        << QStringList { "descriptives", "examples/toothgrowth_semicolon.csv", "--names" }
        << "toothgrowth.descriptives.txt";
    QTest::newRow("descriptives of R's write.csv2, its delimiter given") << QStringList {
        "descriptives", "examples/toothgrowth_semicolon.csv", "--names", "--delimiter", "semicolon"
    } << "toothgrowth.descriptives.txt";
    QTest::newRow("yuen of len by supp: OJ is group 1, VC group 2") << QStringList { "yuen",
        "examples/toothgrowth.csv", "--names", "--dv", "2", "--gv", "3", "--group1", "1",
        "--group2", "2" } << "toothgrowth.yuen.txt";
    QTest::newRow("descriptives by a numeric group, missing values counted")
        << QStringList { "descriptives", "examples/scores_space.dat", "--by", "1" }
        << "scores_space.descriptives_by.txt";
    QTest::newRow("descriptives by a labelled group, the split column left out") << QStringList {
        "descriptives", "examples/toothgrowth.csv", "--names", "--by", "3", "--columns", "2-4"
    } << "toothgrowth.descriptives_by.txt";
    // 28 and 29 values: ξ from subsamples; checked against R's yuen, akp.effect,
    // kms.effect, shiftes and cid at 10% trimming on the printed digits.
    QTest::newRow("effects of len by supp at 10% trimming, 90%") << QStringList { "effects",
        "examples/toothgrowth.csv", "--names", "--dv", "2", "--gv", "3", "--group1", "OJ",
        "--group2", "VC", "--trim", "0.1", "--level", "90", "--trials", "1000", "--seed", "7" }
        << "toothgrowth.effects.txt";
    QTest::newRow("yuen of len by supp at 10% trimming") << QStringList { "yuen",
        "examples/toothgrowth.csv", "--names", "--dv", "2", "--gv", "3", "--group1", "OJ",
        "--group2", "VC", "--trim", ".1" } << "toothgrowth.yuen-10.txt";
    QTest::newRow("yuen of len by supp, the groups named by their labels") << QStringList {
        "yuen", "examples/toothgrowth.csv", "--names", "--dv", "2", "--gv", "3", "--group1", "OJ",
        "--group2", "VC" } << "toothgrowth.yuen.txt";

    // Files of other programs, made by their own writers (tests/files/import/
    // make-workbooks-and-statistics-files.sh): the file's content decides how
    // it is read, whatever its name.
    const QString files = "tests/files/import/";
    for (const char* file : { "spss-labelled.sav", "spss-labelled.zsav", "stata-labelled.dta" })
        QTest::addRow("descriptives of %s: labelled codes stay numbers, declared missing left out",
            file) << QStringList { "descriptives", files + file } << "spss-labelled.descriptives.txt";
    QTest::newRow("yuen of an SPSS file, the groups named by their value labels")
        << QStringList { "yuen", files + "spss-labelled.sav", "--dv", "2", "--gv", "1",
               "--group1", "control", "--group2", "treatment" }
        << "spss-labelled.yuen.txt";
    // PSPP's portable file keeps the names in capitals.
    QTest::newRow("descriptives of PSPP's portable file: declared missing left out")
        << QStringList { "descriptives", files + "spss-portable.por" }
        << "spss-portable.descriptives.txt";
    QTest::newRow("yuen of PSPP's portable file, the groups named by their value labels")
        << QStringList { "yuen", files + "spss-portable.por", "--dv", "2", "--gv", "1",
               "--group1", "control", "--group2", "treatment" }
        << "spss-portable.yuen.txt";
    for (const char* file : { "workbook.xlsx", "workbook.ods", "workbook-named-as-text.txt" })
        QTest::addRow("descriptives of %s: formula results, an error cell missing, dates as "
                      "serial numbers",
            file) << QStringList { "descriptives", files + file } << "workbook.descriptives.txt";
    for (const char* sheet : { "Second", "2" })
        QTest::addRow("descriptives of the sheet given as %s", sheet)
            << QStringList { "descriptives", files + "workbook.xlsx", "--sheet", sheet }
            << "workbook.second.descriptives.txt";
    QTest::newRow("descriptives of a workbook with shared strings and texts held in their cells")
        << QStringList { "descriptives", files + "mixed-strings.xlsx" }
        << "workbook.descriptives.txt";
    QTest::newRow("descriptives of pandas' OpenDocument file")
        << QStringList { "descriptives", files + "pandas.ods" } << "pandas.descriptives.txt";
    QTest::newRow("descriptives of openpyxl's workbook: its inline texts and the sheets it "
                  "names from the package's root")
        << QStringList { "descriptives", files + "openpyxl.xlsx" } << "pandas.descriptives.txt";
    for (const char* file : { "sas-scores.xpt", "sas-scores.sas7bdat" })
        QTest::addRow("descriptives of %s", file)
            << QStringList { "descriptives", files + file } << "sas-scores.descriptives.txt";
}

void Tst_cli::goldenReports()
{
    QFETCH(QStringList, args);
    QFETCH(QString, golden);
    const Run run = runCli(args);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, ::golden(golden));

    // With --source-lines, the source line follows the report's text, ahead
    // of the empty lines that close it; the file is named without its folder.
    const qsizetype trim = args.indexOf(QStringLiteral("--trim"));
    const int percent = trim < 0 ? 20 : qRound(args[trim + 1].toDouble() * 100);
    QByteArray line = "Trellam " TRELLAM_VERSION "; data: "
        + QFileInfo(args[1]).fileName().toUtf8() + "; " + QByteArray::number(percent)
        + "% trimming";
    if (args[0] == QLatin1String("bootstrap") || args[0] == QLatin1String("effects"))
        line += "; percentile bootstrap";
    QByteArray expected = run.out;
    qsizetype text = expected.size();
    while (text > 0 && expected[text - 1] == '\n')
        --text;
    QCOMPARE(runCli(args + QStringList { "--source-lines" }).out,
        expected.insert(text + 1, line + '\n'));
}

void Tst_cli::sameReportOnAnyNumberOfThreads()
{
    const QStringList args = QStringList { "bootstrap", "examples/reaction_times_tab.txt" }
        + bootstrapGroups + QStringList { "--trials", "5000", "--seed", "7" };
    const QByteArray one = runCli(args + QStringList { "--threads", "1" }).out;
    QVERIFY(one.contains("Random number seed = 7\n"));
    for (const char* threads : { "2", "7" })
        QCOMPARE(runCli(args + QStringList { "--threads", threads }).out, one);
}

// The seed a run without --seed names, typed as --seed, gives the same report.
void Tst_cli::seedFromTheClockRepeatsTheRun()
{
    const QStringList args = QStringList { "bootstrap", "examples/reaction_times_tab.txt" }
        + bootstrapGroups + QStringList { "--trials", "600" };
    const QString drawn = QString::fromUtf8(runCli(args).out);
    const QRegularExpression seedLine("\nRandom number seed = ([0-9]+) \\(from the clock\\)\n");
    const QRegularExpressionMatch seed = seedLine.match(drawn);
    QVERIFY(seed.hasMatch());
    const QString repeated
        = QString::fromUtf8(runCli(args + QStringList { "--seed", seed.captured(1) }).out);
    QCOMPARE(repeated, QString(drawn).remove(" (from the clock)"));
}

void Tst_cli::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("firstLine");
    const QString file = "examples/anxiety_comma.txt";
    QTest::newRow("the window's message for an analysis") << QStringList {
        "bootstrap", file, "--dv", "2", "--gv", "1", "--group1", "1", "--group2", "9"
    } << 1 << "There is an insufficient number of observations for Group 2.";
    QTest::newRow("the window's message for a seed")
        << QStringList { "bootstrap", file } + bootstrapGroups + QStringList { "--seed", "-1" } << 1
        << "The seed must be a whole number from 0 to 18446744073709551615.";
    QTest::newRow("the window's message for an import") << QStringList { "descriptives", file,
        "--delimiter", "tab" } << 1 << "Row 1 of Column 1 has an invalid entry for analysis.";
    QTest::newRow("an unreadable file") << QStringList { "yuen", "no such file.txt" } << 1
                                        << "The file could not be read: no such file.txt";
    for (const char* damaged : { "spss-labelled.sav", "spss-labelled.zsav", "stata-labelled.dta",
             "sas-scores.xpt", "sas-scores.sas7bdat", "workbook.xlsx", "workbook.ods",
             "pandas.ods" }) {
        const QString path = QStringLiteral("tests/files/import/truncated-") + damaged;
        QTest::addRow("%s cut in half", damaged)
            << QStringList { "descriptives", path } << 1 << "The file could not be read: " + path;
    }
    QTest::newRow("a workbook whose sheet's packed bytes are damaged, its directory intact")
        << QStringList { "descriptives", "tests/files/import/damaged-workbook.xlsx" } << 1
        << "The file could not be read: tests/files/import/damaged-workbook.xlsx";
    QTest::newRow("an Excel 97 file, a compound file as an encrypted workbook is")
        << QStringList { "descriptives", "tests/files/import/old-excel.xls" } << 1
        << "The file could not be read: tests/files/import/old-excel.xls";
    QTest::newRow("a text file named as a workbook")
        << QStringList { "descriptives", "tests/files/import/text-named-as-workbook.xlsx" } << 1
        << "Row 2 of Column 1 has an invalid entry for analysis.";
    QTest::newRow("an empty sheet")
        << QStringList { "descriptives", "tests/files/import/openpyxl.xlsx", "--sheet", "Empty" }
        << 1 << "The data file holds no data: tests/files/import/openpyxl.xlsx";
    QTest::newRow("a sheet of names alone")
        << QStringList { "descriptives", "tests/files/import/openpyxl.xlsx", "--sheet", "3",
               "--names" }
        << 1 << "The data file holds no data: tests/files/import/openpyxl.xlsx";
    QTest::newRow("a sheet the workbook lacks")
        << QStringList { "descriptives", "tests/files/import/workbook.ods", "--sheet", "3" } << 1
        << "The workbook has no sheet 3: tests/files/import/workbook.ods";
    QTest::newRow("no command") << QStringList {} << 2 << "trellam-cli: no command";
    QTest::newRow("a column beyond the data")
        << QStringList { "yuen", file, "--dv", "4", "--gv", "1", "--group1", "1", "--group2", "2" }
        << 2 << "trellam-cli: --dv must be a whole number from 1 to 3";
    QTest::newRow("trials beyond a million")
        << QStringList { "bootstrap", file } + bootstrapGroups
            + QStringList { "--trials", "1000001" }
        << 2 << "trellam-cli: --trials must be a whole number from 1 to 1000000";
    QTest::newRow("a level the window does not offer")
        << QStringList { "yuen", file } + bootstrapGroups + QStringList { "--level", "80" } << 2
        << "trellam-cli: --level must be a whole number from 90 to 99";
    QTest::newRow("a split column beyond the data") << QStringList { "descriptives", file, "--by",
        "4" } << 2 << "trellam-cli: --by must be a whole number from 1 to 3";
    QTest::newRow("a split for the bootstrap") << QStringList { "bootstrap", file, "--by", "1" }
            + bootstrapGroups << 2 << "trellam-cli: --by is an option of descriptives only";
    QTest::newRow("the window's message for a trimming")
        << QStringList { "effects", file } + bootstrapGroups + QStringList { "--trim", "0.5" } << 1
        << "The trimming must be a number from 0 to 0.49 with at most two decimals.";
    QTest::newRow("effects trials below the window's")
        << QStringList { "effects", file } + bootstrapGroups + QStringList { "--trials", "99" }
        << 2 << "trellam-cli: --trials must be a whole number from 100 to 100000";
    QTest::newRow("a script of neither language")
        << QStringList { "effects", file, "--script", "effects.txt" } + bootstrapGroups << 2
        << "trellam-cli: --script needs a file name ending in .py or .R";
    QTest::newRow("an option of another command") << QStringList { "yuen", file, "--trials", "5" }
            + bootstrapGroups << 2 << "trellam-cli: --trials is not an option of yuen";
}

void Tst_cli::failures()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, firstLine);
    const Run run = runCli(args);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromUtf8(run.err).section('\n', 0, 0), firstLine);
    QCOMPARE(run.err.contains("usage: trellam-cli"), exitCode == 2);
}

void Tst_cli::importFailureSaysWhatMayMendIt()
{
    const Run run = runCli({ "descriptives", "examples/toothgrowth.csv" });
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(QString::fromUtf8(run.err),
        QStringLiteral("Row 1 of Column 1 has an invalid entry for analysis.\n"
                       "The entry reads \"\"\"\". If line 1 holds names, check \"First line holds "
                       "variable names\": text columns are then read as group labels.\n"));
}

void Tst_cli::noDataInTheFile_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("names");
    const QList<QStringList> commands { { "descriptives" },
        QStringList { "yuen" } + bootstrapGroups, QStringList { "bootstrap" } + bootstrapGroups };
    for (const QStringList& command : commands) {
        const QByteArray bytes = command.first().toUtf8();
        const char* name = bytes.constData();
        QTest::addRow("%s of an empty file", name) << command << QByteArray() << false;
        QTest::addRow("%s of empty lines only", name) << command << QByteArray("\n\n\n") << false;
        QTest::addRow("%s of a byte order mark alone", name)
            << command << QByteArray("\xEF\xBB\xBF") << false;
        QTest::addRow("%s of names without cases", name)
            << command << QByteArray("score,group\n") << true;
    }
}

void Tst_cli::noDataInTheFile()
{
    QFETCH(QStringList, command);
    QFETCH(QByteArray, content);
    QFETCH(bool, names);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("no data.csv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
    file.close();
    QStringList args = QStringList { command.first(), path } + command.mid(1);
    if (names)
        args << "--names";
    const Run run = runCli(args);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(QString::fromUtf8(run.err), "The data file holds no data: " + path + "\n");
}

void Tst_cli::reportNotWritten_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("output");
    const QStringList descriptives { "descriptives", "examples/anxiety_comma.txt" };
    const QStringList bootstrap = QStringList { "bootstrap", "examples/reaction_times_tab.txt" }
        + bootstrapGroups + QStringList { "--seed", "1" };
    QTest::newRow("descriptives, standard output closed") << descriptives << int(Output::Closed);
    QTest::newRow("descriptives, a full disk") << descriptives << int(Output::FullDisk);
    QTest::newRow("descriptives, the reader gone") << descriptives << int(Output::ReaderGone);
    QTest::newRow("bootstrap, standard output closed") << bootstrap << int(Output::Closed);
    QTest::newRow("bootstrap, a full disk") << bootstrap << int(Output::FullDisk);
    QTest::newRow("bootstrap, the reader gone") << bootstrap << int(Output::ReaderGone);
    QTest::newRow("the version, a full disk")
        << QStringList { "--version" } << int(Output::FullDisk);
    QTest::newRow("the help, the reader gone")
        << QStringList { "--help" } << int(Output::ReaderGone);
}

void Tst_cli::reportNotWritten()
{
    QFETCH(QStringList, args);
    QFETCH(int, output);
    const Run run = runCli(args, Output(output));
    // Exit code 1, not a death by SIGPIPE (which runCli gives as -1).
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(
        run.err, QByteArray("trellam-cli: the report could not be written to standard output.\n"));
}

QTEST_GUILESS_MAIN(Tst_cli)
#include "tst_cli.moc"
