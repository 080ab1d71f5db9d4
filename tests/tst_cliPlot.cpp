// trellam-cli bootstrap --plot: the picture files it has trellam-plot write, and its refusals.
#include "PictureFiles.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString CLI = QStringLiteral(TRELLAM_CLI);
const QString SAMPLE = QStringLiteral(TRELLAM_SOURCE_DIR "/examples/anxiety_comma.txt");

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
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

QTEST_GUILESS_MAIN(Tst_cliPlot)
#include "tst_cliPlot.moc"
