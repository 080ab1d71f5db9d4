// trellam-cli bootstrap --plot: the picture files it has trellam-plot write, and its refusals.
#include "FileKinds.h"
#include "PictureFiles.h"

#include "analyses/BootstrapRun.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <sstream>

namespace {

const QString CLI = QStringLiteral(TRELLAM_CLI);
const QString PLOT = QStringLiteral(TRELLAM_PLOT);
const QString SAMPLE = QStringLiteral(TRELLAM_SOURCE_DIR "/examples/anxiety_comma.txt");

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome run(const QString& program, const QStringList& args, const QByteArray& input = {},
    const QString& folder = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, args);
    process.write(input);
    process.closeWriteChannel();
    Outcome outcome;
    if (!process.waitForFinished(120000))
        return outcome;
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.out = QString::fromUtf8(process.readAllStandardOutput());
    outcome.err = QString::fromUtf8(process.readAllStandardError());
    return outcome;
}

// A seeded bootstrap of Var 2 by the groups 1 and 2 of Var 1, with `extra` arguments.
QStringList bootstrap(const QString& command, const QStringList& extra)
{
    return QStringList { command, SAMPLE, QStringLiteral("--dv"), QStringLiteral("2"),
        QStringLiteral("--gv"), QStringLiteral("1"), QStringLiteral("--group1"),
        QStringLiteral("1"), QStringLiteral("--group2"), QStringLiteral("2"),
        QStringLiteral("--seed"), QStringLiteral("99"), QStringLiteral("--trials"),
        QStringLiteral("1000") }
    + extra;
}

QString validTrials(const QString& report)
{
    const QRegularExpression valid(QStringLiteral("valid robust D bootstrap trials = (\\d+)"));
    return valid.match(report).captured(1);
}

// A run as trellam-cli hands it to trellam-plot.
QByteArray runBytes(const BootstrapRun& run)
{
    std::ostringstream out(std::ios::binary);
    writeBootstrapRun(out, run);
    return QByteArray::fromStdString(out.str());
}

BootstrapRun smallRun()
{
    BootstrapRun run;
    run.group1 = { 1, 2, 3, 4 };
    run.group2 = { 2, 3, 5, 8 };
    run.sngTrimmedMean1 = 2.5f;
    run.sngTrimmedMean2 = 4.5f;
    run.effects = { 0.1f, 0.4f, 0.5f, 0.9f };
    run.lowerBound = 0.1f;
    run.upperBound = 0.9f;
    run.sngRobustD = 0.45f;
    run.strGroup1 = "1";
    run.strGroup2 = "2";
    run.lngDependent = 2;
    run.dependentLabel = "Var 2";
    return run;
}

} // namespace

class Tst_cliPlot : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pictureBesideTheSameReport_data();
    void pictureBesideTheSameReport();
    void refusals_data();
    void refusals();
    void missingPlotProgramStopsBeforeTheRun();
    void plotReplacesOnlyFiles_data();
    void plotReplacesOnlyFiles();
    void plotNameNotValidUtf8IsWrittenAsGiven();
    void plotProgramRefusesWhatItCannotDraw_data();
    void plotProgramRefusesWhatItCannotDraw();

private:
    QTemporaryDir m_dir;
    QString m_plainReport;
};

void Tst_cliPlot::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const Outcome plain = run(CLI, bootstrap(QStringLiteral("bootstrap"), {}));
    QCOMPARE(plain.exitCode, 0);
    m_plainReport = plain.out;
    QVERIFY(!validTrials(m_plainReport).isEmpty());
}

void Tst_cliPlot::pictureBesideTheSameReport_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("svg") << QStringLiteral("plot.svg");
    QTest::newRow("png") << QStringLiteral("plot.png");
    QTest::newRow("png in capitals") << QStringLiteral("PLOT.PNG");
}

void Tst_cliPlot::pictureBesideTheSameReport()
{
    QFETCH(QString, name);
    const QString path = m_dir.filePath(name);
    const Outcome outcome
        = run(CLI, bootstrap(QStringLiteral("bootstrap"), { QStringLiteral("--plot"), path }));
    QCOMPARE(outcome.exitCode, 0);
    QCOMPARE(outcome.out, m_plainReport);
    if (name.endsWith(QLatin1String("svg"))) {
        const QString faults = pictures::xmllintFaults(path);
        QVERIFY2(faults.isEmpty(), qPrintable(faults));
        QVERIFY(pictures::svgTexts(path).contains(
            QStringLiteral("Bootstrap distribution of Robust Cohen's D (V = %1)")
                .arg(validTrials(m_plainReport))));
        return;
    }
    QImage image;
    QVERIFY(image.load(path, "PNG"));
    QVERIFY(image.width() >= 1100 && image.height() >= 560);
}

void Tst_cliPlot::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("reported");

    QTest::newRow("a name that is neither svg nor png")
        << bootstrap(QStringLiteral("bootstrap"),
               { QStringLiteral("--plot"), QStringLiteral("plot.txt") })
        << 2 << QStringLiteral("--plot needs a file name ending in .svg or .png") << false;
    QTest::newRow("the trimmed-means test draws no plot")
        << QStringList { QStringLiteral("yuen"), SAMPLE, QStringLiteral("--dv"),
               QStringLiteral("2"), QStringLiteral("--gv"), QStringLiteral("1"),
               QStringLiteral("--group1"), QStringLiteral("1"), QStringLiteral("--group2"),
               QStringLiteral("2"), QStringLiteral("--plot"), QStringLiteral("plot.svg") }
        << 2 << QStringLiteral("--plot is not an option of yuen") << false;
    QTest::newRow("a folder that does not exist: report printed, plot not written")
        << bootstrap(QStringLiteral("bootstrap"),
               { QStringLiteral("--plot"), QStringLiteral("/no/such/folder/plot.svg") })
        << 1 << QStringLiteral("the plot was not written") << true;
}

void Tst_cliPlot::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(bool, reported);
    const Outcome outcome = run(CLI, args);
    QCOMPARE(outcome.exitCode, exitCode);
    QVERIFY2(outcome.err.contains(message), qPrintable(outcome.err));
    QCOMPARE(outcome.out, reported ? m_plainReport : QString());
}

void Tst_cliPlot::missingPlotProgramStopsBeforeTheRun()
{
    const QString alone = m_dir.filePath(QStringLiteral("trellam-cli"));
    QVERIFY(QFile::copy(CLI, alone));
    const Outcome outcome = run(alone,
        bootstrap(
            QStringLiteral("bootstrap"), { QStringLiteral("--plot"), m_dir.filePath("x.svg") }));
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY2(outcome.err.contains(QStringLiteral("--plot needs ")), qPrintable(outcome.err));
    QVERIFY(outcome.out.isEmpty());
    QVERIFY(!QFile::exists(m_dir.filePath("x.svg")));
}

void Tst_cliPlot::plotReplacesOnlyFiles_data()
{
    using filekinds::Kind;
    QTest::addColumn<Kind>("kind"); // what plot.svg is before
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("type"); // what plot.svg is after
    QTest::newRow("a file is replaced") << Kind::File << true << "file";
    QTest::newRow("a link to a file: the file is replaced") << Kind::LinkToFile << true << "link";
    QTest::newRow("a link to nothing gives way to the file")
        << Kind::DanglingLink << true << "file";
    QTest::newRow("a named pipe is refused") << Kind::Pipe << false << "pipe";
    QTest::newRow("a folder is refused") << Kind::Folder << false << "folder";
    QTest::newRow("a link to the null device is refused") << Kind::LinkToDevice << false << "link";
}

// --plot writes as the windows save: only a regular file is replaced, a link
// to nothing gives way to the picture, and anything else is refused after
// the report, with exit 1.
void Tst_cliPlot::plotReplacesOnlyFiles()
{
    QFETCH(filekinds::Kind, kind);
    QFETCH(bool, written);
    QFETCH(QString, type);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("plot.svg"));
    if (!filekinds::make(path, kind))
        QSKIP("making a device node needs root");
    const QList<QByteArray> before = filekinds::nativeEntries(folder.path());

    const Outcome outcome
        = run(CLI, bootstrap(QStringLiteral("bootstrap"), { QStringLiteral("--plot"), path }));

    QCOMPARE(outcome.out, m_plainReport);
    QCOMPARE(filekinds::entryType(path), type);
    QCOMPARE(filekinds::nativeEntries(folder.path()), before);
    if (!written) {
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.err.contains(QStringLiteral("The file could not be saved: ") + path),
            qPrintable(outcome.err));
        return;
    }
    QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
    QVERIFY(pictures::svgTexts(path).contains(
        QStringLiteral("Bootstrap distribution of Robust Cohen's D (V = %1)")
            .arg(validTrials(m_plainReport))));
    QCOMPARE(filekinds::entryType(folder.filePath(QStringLiteral("never made"))),
        QStringLiteral("nothing"));
}

// A name that is not valid UTF-8 is the file system's own bytes, kept as
// given: that very file is written, and no other.
void Tst_cliPlot::plotNameNotValidUtf8IsWrittenAsGiven()
{
    QTemporaryDir folder;
    // The shell makes the name's bytes, which a QString argument could not carry.
    QStringList args { QStringLiteral("-c"),
        QStringLiteral("exec \"$@\" \"$(printf '\\377\\376.svg')\""), QStringLiteral("sh"), CLI };
    args << bootstrap(QStringLiteral("bootstrap"), { QStringLiteral("--plot") });
    const Outcome outcome = run(QStringLiteral("/bin/sh"), args, {}, folder.path());
    const QByteArray native = QFile::encodeName(folder.path()) + "/\xff\xfe.svg";
    // The test folder's own removal would not see the name.
    const auto removed = qScopeGuard([&native] { ::unlink(native.constData()); });
    QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
    QCOMPARE(filekinds::nativeEntries(folder.path()), QList<QByteArray> { "\xff\xfe.svg" });
    QCOMPARE(filekinds::entryType(native), QStringLiteral("file"));
}

void Tst_cliPlot::plotProgramRefusesWhatItCannotDraw_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("message"); // empty: drawn
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const auto with = [](auto change) {
        BootstrapRun run = smallRun();
        change(run);
        return runBytes(run);
    };
    const QString notFinite = QStringLiteral("is not finite");
    QTest::newRow("a run it can draw") << runBytes(smallRun()) << QString();
    QTest::newRow("an empty group") << with([](BootstrapRun& r) { r.group2.clear(); })
                                    << QStringLiteral("a group has no values");
    QTest::newRow("a NaN observed d")
        << with([nan](BootstrapRun& r) { r.sngRobustD = nan; }) << notFinite;
    QTest::newRow("a label of 100 KB")
        << with([](BootstrapRun& r) { r.dependentLabel = std::string(100 * 1024, 'v'); })
        << QStringLiteral("a label is longer than 1000 characters");
    QTest::newRow("a label of 2 MB is not even held")
        << with([](BootstrapRun& r) { r.dependentLabel = std::string(2 << 20, 'v'); })
        << QStringLiteral("standard input holds no bootstrap run");
}

// trellam-plot checks what comes on its standard input: what it cannot draw
// is refused on standard error with exit 1, and no picture is written.
void Tst_cliPlot::plotProgramRefusesWhatItCannotDraw()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, message);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("plot.png"));

    const Outcome outcome = run(PLOT, { path }, input);

    if (message.isEmpty()) {
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
        QImage image;
        QVERIFY(image.load(path, "PNG"));
        return;
    }
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY2(outcome.err.contains(message), qPrintable(outcome.err));
    QVERIFY(outcome.err.size() < 1000);
    QCOMPARE(filekinds::nativeEntries(folder.path()), QList<QByteArray> {});
}

QTEST_GUILESS_MAIN(Tst_cliPlot)
#include "tst_cliPlot.moc"
