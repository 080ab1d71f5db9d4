// Tests of the effect-size bootstrap logic: checks, gathering, resampling, interval and report.
#include "analyses/BootstrapAnalysis.h"

#include "TestData.h"
#include "data/Parallel.h"

#include <QtTest>

#include <atomic>
#include <cmath>
#include <new>
#include <stdexcept>
#include <utility>

Q_DECLARE_METATYPE(DataMatrix)

namespace {

using Rows = std::vector<std::vector<float>>;

BootstrapRequest request(int32_t trials = 600, float level = 0.95f, uint64_t seed = 1)
{
    BootstrapRequest r;
    r.lngDependent = 1;
    r.lngGrouping = 2;
    r.strGroup1 = "1";
    r.strGroup2 = "2";
    r.lngTrials = trials;
    r.sngLevel = level;
    r.clockSeed = seed;
    return r;
}

// The report line that starts with `start`, or an empty text.
QString line(const AnalysisResult& result, const QString& start)
{
    const QStringList lines = QString::fromStdString(result.report).split("\n");
    for (const QString& l : lines) {
        if (l.startsWith(start))
            return l;
    }
    return {};
}

// Group 1 takes `count1` cases and group 2 `count2`, each running through the
// values (first + k) / divisor for k = 0 .. period - 1 and over again.
DataMatrix cyclingGroups(int count1, int count2, int first, int period, double divisor)
{
    DataMatrix data;
    data.reserve(
        static_cast<std::size_t>(count1 + count2), 2 * static_cast<std::size_t>(count1 + count2));
    for (const auto& [code, count] : { std::pair { 1.0f, count1 }, std::pair { 2.0f, count2 } }) {
        for (int k = 0; k < count; ++k) {
            data.beginRow();
            data.appendField(static_cast<float>((first + k % period) / divisor));
            data.appendField(code);
        }
    }
    return data;
}

// Thirty cases: an identifier, the dependent value (one missing) and a
// grouping code 1, 2 or 3.
DataMatrix thirtyCases()
{
    const float M = MISSING_VALUE;
    return matrixFromRows({ { 1, 40.2f, 1 }, { 2, 59.0f, 2 }, { 3, 64.0f, 3 }, { 4, 45.9f, 1 }, { 5, M, 2 },
        { 6, 55.5f, 3 }, { 7, 53.8f, 1 }, { 8, 64.8f, 2 }, { 9, 46.3f, 3 }, { 10, 39.7f, 1 },
        { 11, 61.6f, 2 }, { 12, 59.8f, 3 }, { 13, 62.3f, 1 }, { 14, 63.9f, 2 }, { 15, 55.2f, 3 },
        { 16, 47.8f, 1 }, { 17, 76.6f, 2 }, { 18, 53.7f, 3 }, { 19, 43.7f, 1 }, { 20, 46.9f, 2 },
        { 21, 56.8f, 3 }, { 22, 51.2f, 1 }, { 23, 53.2f, 2 }, { 24, 55.5f, 3 }, { 25, 52.2f, 1 },
        { 26, 61.5f, 2 }, { 27, 64.8f, 3 }, { 28, 51.7f, 1 }, { 29, 41.7f, 2 }, { 30, 61.6f, 3 } });
}

// The two ways trials run: spread over `threads` threads, each on its own
// stream, or one after another from a scripted uniform source.
void addTrialPaths()
{
    QTest::addColumn<int>("threads");
    QTest::addColumn<bool>("scripted");
    QTest::newRow("own streams on 4 threads") << 4 << false;
    QTest::newRow("own streams on 1 thread") << 1 << false;
    QTest::newRow("scripted uniform numbers") << 4 << true;
}

void chooseTrialPath(BootstrapRequest& r, int threads, bool scripted)
{
    setWorkerThreads(threads);
    if (scripted) {
        r.uniform = [next = 0]() mutable {
            next = (next + 37) % 100;
            return next / 100.0;
        };
    }
}

} // namespace

class Tst_bootstrap : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void percentileEntries_data();
    void percentileEntries();
    void levelPercent_data();
    void levelPercent();
    void drawnPosition_data();
    void drawnPosition();
    void messages_data();
    void messages();
    void gathering_data();
    void gathering();
    void wholeReport_data();
    void wholeReport();
    void reportLines_data();
    void reportLines();
    void longIdenticalGroupsGiveNoEffect_data();
    void longIdenticalGroupsGiveNoEffect();
    void eachResampleDrawsEachGroupInTurn();
    void everyTrialIsAnnouncedOnce_data();
    void everyTrialIsAnnouncedOnce();
    void aFailedTrialReachesTheCaller_data();
    void aFailedTrialReachesTheCaller();
    void seedDecidesTheInterval();
};

void Tst_bootstrap::percentileEntries_data()
{
    QTest::addColumn<int>("valid");
    QTest::addColumn<float>("level");
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");
    QTest::newRow("V = 600 at 95% takes entries 16 and 585") << 600 << 0.95f << 16 << 585;
    QTest::newRow("V = 2000 at 90% takes entries 101 and 1900") << 2000 << 0.90f << 101 << 1900;
    QTest::newRow("V = 1000 at 99% takes entries 6 and 995") << 1000 << 0.99f << 6 << 995;
    QTest::newRow("V = 1060 at single-precision 95% rounds 26.5000063 up")
        << 1060 << 0.95f << 28 << 1033;
    QTest::newRow("V = 1 takes its only entry") << 1 << 0.95f << 1 << 1;
}

void Tst_bootstrap::percentileEntries()
{
    QFETCH(int, valid);
    QFETCH(float, level);
    QFETCH(int, lower);
    QFETCH(int, upper);
    const PercentileEntries entries = ::percentileEntries(valid, level);
    QCOMPARE(entries.lower, lower);
    QCOMPARE(entries.upper, upper);
}

void Tst_bootstrap::levelPercent_data()
{
    QTest::addColumn<float>("level");
    QTest::addColumn<int>("percent");
    QTest::newRow("0.9 is 90") << 0.90f << 90;
    QTest::newRow("0.95 is 95 though 94.99999 in single precision") << 0.95f << 95;
    QTest::newRow("0.99 is 99") << 0.99f << 99;
}

void Tst_bootstrap::levelPercent()
{
    QFETCH(float, level);
    QFETCH(int, percent);
    QCOMPARE(::levelPercent(level), percent);
}

void Tst_bootstrap::drawnPosition_data()
{
    QTest::addColumn<double>("u");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("position");
    QTest::newRow("a draw of exactly 0 takes the first") << 0.0 << 10 << 1;
    QTest::newRow("a quarter of 4 takes the first") << 0.25 << 4 << 1;
    QTest::newRow("just above a quarter of 4 takes the second")
        << std::nextafter(0.25, 1.0) << 4 << 2;
    QTest::newRow("a half of 3 takes the second") << 0.5 << 3 << 2;
    QTest::newRow("the largest draw takes the last") << 1.0 - 0x1.0p-53 << 10 << 10;
}

void Tst_bootstrap::drawnPosition()
{
    QFETCH(double, u);
    QFETCH(int, size);
    QFETCH(int, position);
    QCOMPARE(::drawnPosition(u, size), position);
}

void Tst_bootstrap::messages_data()
{
    QTest::addColumn<DataMatrix>("data");
    QTest::addColumn<int>("dependent");
    QTest::addColumn<int>("grouping");
    QTest::addColumn<QString>("group1");
    QTest::addColumn<QString>("group2");
    QTest::addColumn<QString>("message");

    const DataMatrix ordinary = twoGroups({ 1, 2, 3 }, { 4, 6, 5 });
    const QString noDependent = "A dependent variable must be selected.";
    const QString noGrouping = "A grouping variable must be selected.";
    const QString badGroup1 = "The value provided for Group 1 is not valid.";
    const QString badGroup2 = "The value provided for Group 2 is not valid.";
    const QString fewGroup1 = "There is an insufficient number of observations for Group 1.";
    const QString fewGroup2 = "There is an insufficient number of observations for Group 2.";
    const QString noSpread = "Group 1 and Group 2 both have a zero variance.";

    QTest::newRow("no variable chosen asks for the dependent one first")
        << ordinary << NO_VARIABLE << NO_VARIABLE << "x"
        << "x" << noDependent;
    QTest::newRow("no grouping variable") << ordinary << 1 << NO_VARIABLE << "x"
                                          << "x" << noGrouping;
    QTest::newRow("group 1 text is a word") << ordinary << 1 << 2 << "one"
                                            << "x" << badGroup1;
    QTest::newRow("group 1 text has trailing letters") << ordinary << 1 << 2 << "1x"
                                                       << "2" << badGroup1;
    QTest::newRow("group 1 text is empty") << ordinary << 1 << 2 << ""
                                           << "2" << badGroup1;
    QTest::newRow("group 2 text is a word") << ordinary << 1 << 2 << "1"
                                            << "two" << badGroup2;
    QTest::newRow("one observation in each group blames group 1")
        << twoGroups({ 1 }, { 4 }) << 1 << 2 << "1"
        << "2" << fewGroup1;
    QTest::newRow("one observation in group 2") << twoGroups({ 1, 2 }, { 4 }) << 1 << 2 << "1"
                                                << "2" << fewGroup2;
    QTest::newRow("equal group texts leave group 2 empty") << ordinary << 1 << 2 << "1"
                                                           << "1.0" << fewGroup2;
    QTest::newRow("a short group comes before zero variances")
        << twoGroups({ 1 }, { 4, 4 }) << 1 << 2 << "1"
        << "2" << fewGroup1;
    QTest::newRow("a d beyond single precision names the dependent variable")
        << matrixFromRows({ { 0, 1, 3e38f }, { 0, 1, 3e38f }, { 0, 2, 1 }, { 0, 2, 2 } }) << 3 << 2 << "1"
        << "2"
        << "Var 3 has values too large to summarise.";
    QTest::newRow("a variance too large comes before values too small")
        << twoGroups({ 3e38f, -3e38f }, { 1e-30f, 2e-30f }) << 1 << 2 << "1"
        << "2"
        << "Var 1 has values too large to summarise.";
    QTest::newRow("equal values of 3e38 sum without overflow and have no spread")
        << twoGroups({ 3e38f, 3e38f }, { 4, 4 }) << 1 << 2 << "1"
        << "2" << noSpread;
    QTest::newRow("two constant groups") << twoGroups({ 1, 1 }, { 4, 4, 4 }) << 1 << 2 << "1"
                                         << "2" << noSpread;
}

void Tst_bootstrap::messages()
{
    QFETCH(DataMatrix, data);
    QFETCH(int, dependent);
    QFETCH(int, grouping);
    QFETCH(QString, group1);
    QFETCH(QString, group2);
    QFETCH(QString, message);
    BootstrapRequest r = request();
    r.lngDependent = dependent;
    r.lngGrouping = grouping;
    r.strGroup1 = group1.toStdString();
    r.strGroup2 = group2.toStdString();
    BootstrapControl control;
    r.control = &control;
    const AnalysisResult result = runBootstrapAnalysis(data, r);
    QCOMPARE(QString::fromStdString(result.message), message);
    QVERIFY(result.report.empty());
    QCOMPARE(control.completedTrials.load(), 0);
}

void Tst_bootstrap::gathering_data()
{
    QTest::addColumn<DataMatrix>("data");
    QTest::addColumn<QString>("group1");
    QTest::addColumn<QString>("group2");
    QTest::addColumn<QString>("sizes");

    const float M = MISSING_VALUE;
    QTest::newRow("rows with a missing dependent value are left out")
        << matrixFromRows({ { 1, 1 }, { M, 1 }, { 2, 1 }, { 3, 2 }, { M, 2 }, { 4, 2 }, { 5, 2 } }) << "1"
        << "2"
        << "Sample Size                  2              3";
    QTest::newRow("rows matching neither group are ignored")
        << matrixFromRows({ { 1, 1 }, { 2, 1 }, { 3, 2 }, { 4, 2 }, { 5, 3 }, { 6, 0 } }) << "1"
        << "2"
        << "Sample Size                  2              2";
    QTest::newRow("text 1 matches grouping values 1 and 1.0")
        << matrixFromRows({ { 1, 1.0f }, { 2, 1 }, { 3, 2 }, { 4, 2 } }) << " 1.0 "
        << "2"
        << "Sample Size                  2              2";
    QTest::newRow("text 1.5 matches 1.5 in single precision")
        << matrixFromRows({ { 1, 1.5f }, { 2, 1.5f }, { 3, 1.5f }, { 4, 2 }, { 5, 2 } }) << "1.5"
        << "2e0"
        << "Sample Size                  3              2";
    QTest::newRow("a missing grouping value is compared like any other")
        << matrixFromRows({ { 1, M }, { 2, M }, { 3, 2 }, { 4, 2 } }) << "9999999"
        << "2"
        << "Sample Size                  2              2";
    QTest::newRow("short rows read as grouping value 0")
        << matrixFromRows({ { 1 }, { 2 }, { 3, 2 }, { 4, 2 } }) << "0"
        << "2"
        << "Sample Size                  2              2";
}

void Tst_bootstrap::gathering()
{
    QFETCH(DataMatrix, data);
    QFETCH(QString, group1);
    QFETCH(QString, group2);
    QFETCH(QString, sizes);
    BootstrapRequest r = request(10);
    r.strGroup1 = group1.toStdString();
    r.strGroup2 = group2.toStdString();
    const AnalysisResult result = runBootstrapAnalysis(data, r);
    QCOMPARE(QString::fromStdString(result.message), QString());
    QCOMPARE(line(result, "Sample Size"), sizes);
}

void Tst_bootstrap::wholeReport_data()
{
    QTest::addColumn<DataMatrix>("data");
    QTest::addColumn<int>("dependent");
    QTest::addColumn<int>("grouping");
    QTest::addColumn<int>("trials");
    QTest::addColumn<float>("level");
    QTest::addColumn<qulonglong>("seed");
    QTest::addColumn<QString>("report");

    QTest::newRow("thirty cases, 600 trials at 95%")
        << thirtyCases() << 2 << 3 << 600 << 0.95f << Q_UINT64_C(20240611)
        << "GROUP-LEVEL STATISTICS\n---------------------------------------------\n"
           "Statistic              Group 1        Group 2\n"
           "---------------------------------------------\n"
           "Sample Size                 10              9\n\n"
           "Mean                     48.85           58.8\n"
           "Trimmed Mean             48.75           58.7\n\n"
           "Variance                47.238        107.425\n"
           "Wins. Var.              14.991         52.865\n"
           "---------------------------------------------\n"
           "Dep Var = Var 2; Grp Var = Var 3\n\n\n"
           "EFFECT SIZE ESTIMATES AND 95% CI\n"
           "--------------------------------------------------\n"
           "Pooled variance = 75.561\nPooled Winsorized variance = 32.814\n\n"
           "Robust Cohen's D = 1.116\n\n"
           "95% CI for population Robust D = (0.129, 3.309)\n"
           "--------------------------------------------------\n"
           "Number of attempted bootstrap trials = 600\n"
           "Number of valid robust D bootstrap trials = 600\n"
           "Random number seed = 20240611\n\n\n\n\n\n";

    QTest::newRow("three and three, constant resamples are not counted, 90%")
        << twoGroups({ 1, 2, 2 }, { 4, 4, 5 }) << 1 << 2 << 600 << 0.90f << Q_UINT64_C(7)
        << "GROUP-LEVEL STATISTICS\n---------------------------------------------\n"
           "Statistic              Group 1        Group 2\n"
           "---------------------------------------------\n"
           "Sample Size                  3              3\n\n"
           "Mean                     1.667          4.333\n"
           "Trimmed Mean             1.667          4.333\n\n"
           "Variance                 0.333          0.333\n"
           "Wins. Var.               0.333          0.333\n"
           "---------------------------------------------\n"
           "Dep Var = Var 1; Grp Var = Var 2\n\n\n"
           "EFFECT SIZE ESTIMATES AND 90% CI\n"
           "--------------------------------------------------\n"
           "Pooled variance = 0.333\nPooled Winsorized variance = 0.333\n\n"
           "Robust Cohen's D = 2.968\n\n"
           "90% CI for population Robust D = (2.968, 4.197)\n"
           "--------------------------------------------------\n"
           "Number of attempted bootstrap trials = 600\n"
           "Number of valid robust D bootstrap trials = 536\n"
           "Random number seed = 7\n\n\n\n\n\n";
}

void Tst_bootstrap::wholeReport()
{
    QFETCH(DataMatrix, data);
    QFETCH(int, dependent);
    QFETCH(int, grouping);
    QFETCH(int, trials);
    QFETCH(float, level);
    QFETCH(qulonglong, seed);
    QFETCH(QString, report);
    BootstrapRequest r = request(trials, level);
    r.strSeed = std::to_string(seed);
    r.lngDependent = dependent;
    r.lngGrouping = grouping;
    const AnalysisResult result = runBootstrapAnalysis(data, r);
    QCOMPARE(QString::fromStdString(result.message), QString());
    QCOMPARE(QString::fromStdString(result.report), report);
}

void Tst_bootstrap::reportLines_data()
{
    QTest::addColumn<DataMatrix>("data");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("expected");

    QTest::newRow("means on exact ties round to even")
        << twoGroups({ 2.5f, 2.625f }, { 0.0f, 0.125f }) << "Mean"
        << "Mean                     2.562          0.062";
    const DataMatrix zeroWinsorized = twoGroups({ 1, 5, 5, 5, 9 }, { 5, 5, 5, 5, 5 });
    QTest::newRow("a d that cannot be computed prints as a dot")
        << zeroWinsorized << "Robust Cohen's D"
        << "Robust Cohen's D = .";
    QTest::newRow("a d that cannot be computed is explained")
        << zeroWinsorized << "Both groups"
        << "Both groups have a zero Winsorized variance, so the robust d is not defined.";
    QTest::newRow("the interval still comes from the valid trials")
        << zeroWinsorized << "95% CI"
        << "95% CI for population Robust D = (-1.106, 0.553)";
    QTest::newRow("a seed from the clock is named") << zeroWinsorized << "Random number seed"
                                                    << "Random number seed = 1 (from the clock)";
}

void Tst_bootstrap::reportLines()
{
    QFETCH(DataMatrix, data);
    QFETCH(QString, start);
    QFETCH(QString, expected);
    const AnalysisResult result = runBootstrapAnalysis(data, request(20));
    QCOMPARE(QString::fromStdString(result.message), QString());
    QCOMPARE(line(result, start), expected);
}

void Tst_bootstrap::longIdenticalGroupsGiveNoEffect_data()
{
    QTest::addColumn<DataMatrix>("data");
    QTest::addColumn<QString>("means");

    // Single-precision running sums put these means at 101.402 and 101.284,
    // above the largest value, and gave d = 2.776.
    QTest::newRow("a million and a half million of 100.00 to 100.99")
        << cyclingGroups(1'000'000, 1'500'000, 10000, 100, 100.0)
        << "Mean                   100.495        100.495";
    // Single-precision running sums gave d = -0.149, its interval without 0.
    QTest::newRow("100000 and 150000 years 1990 to 2010")
        << cyclingGroups(100'000, 150'000, 1990, 21, 1.0)
        << "Mean                      2000           2000";
}

void Tst_bootstrap::longIdenticalGroupsGiveNoEffect()
{
    QFETCH(DataMatrix, data);
    QFETCH(QString, means);
    const AnalysisResult result = runBootstrapAnalysis(data, request(20));
    QCOMPARE(QString::fromStdString(result.message), QString());
    QCOMPARE(line(result, "Mean"), means);
    QCOMPARE(line(result, "Robust Cohen's D"), QString("Robust Cohen's D = 0"));
    const QString interval = line(result, "95% CI");
    const QStringList bounds = interval.section('(', 1).chopped(1).split(QStringLiteral(", "));
    QCOMPARE(bounds.size(), 2);
    QVERIFY2(bounds[0].toDouble() <= 0.0 && bounds[1].toDouble() >= 0.0, qPrintable(interval));
}

void Tst_bootstrap::eachResampleDrawsEachGroupInTurn()
{
    const DataMatrix data = twoGroups({ 1, 2, 3, 4 }, { 10, 20, 30, 40, 50 });

    // One trial: group 1 takes 1, 1, 4, 4 (a draw of 0 takes the first),
    // group 2 takes 20, 20, 30, 30 and 10.
    const std::vector<double> script { 0.0, 0.1, 0.99, 0.76, 0.3, 0.3, 0.5, 0.5, 0.0 };
    std::size_t next = 0;
    BootstrapRequest r = request(1);
    r.uniform = [&] { return script[next++ % script.size()]; };
    AnalysisResult result = runBootstrapAnalysis(data, r);
    QCOMPARE(next, script.size());
    QCOMPARE(line(result, "95% CI"), QString("95% CI for population Robust D = (3.118, 3.118)"));

    // Draws that always take the first observation give constant resamples:
    // no trial is valid, and the interval cannot be given.
    next = 0;
    r = request(7);
    r.uniform = [&] {
        ++next;
        return 0.0;
    };
    result = runBootstrapAnalysis(data, r);
    QCOMPARE(next, std::size_t { 7 * (4 + 5) });
    QCOMPARE(line(result, "95% CI"), QString("95% CI for population Robust D = (., .)"));
    QCOMPARE(
        line(result, "Number of valid"), QString("Number of valid robust D bootstrap trials = 0"));
}

void Tst_bootstrap::cleanup()
{
    setWorkerThreads(0);
}

void Tst_bootstrap::everyTrialIsAnnouncedOnce_data()
{
    addTrialPaths();
}

void Tst_bootstrap::everyTrialIsAnnouncedOnce()
{
    QFETCH(int, threads);
    QFETCH(bool, scripted);
    BootstrapRequest r = request(600);
    chooseTrialPath(r, threads, scripted);
    std::vector<std::atomic<int>> calls(602);
    r.onTrial = [&](int32_t trial) { ++calls.at(static_cast<std::size_t>(trial)); };
    BootstrapControl control;
    r.control = &control;
    const AnalysisResult result = runBootstrapAnalysis(twoGroups({ 1, 2, 3 }, { 4, 6, 5 }), r);
    QVERIFY(!result.report.empty());
    QCOMPARE(control.completedTrials.load(), 600);
    QCOMPARE(calls[0].load(), 0);
    for (std::size_t trial = 1; trial <= 600; ++trial)
        QVERIFY2(calls[trial] == 1, qPrintable(QString::number(trial)));
    QCOMPARE(calls[601].load(), 0);
}

void Tst_bootstrap::aFailedTrialReachesTheCaller_data()
{
    addTrialPaths();
}

// A trial that runs out of memory (here: one that says so on trial 7) ends
// the run with that very exception, and the trials after it are not run.
void Tst_bootstrap::aFailedTrialReachesTheCaller()
{
    QFETCH(int, threads);
    QFETCH(bool, scripted);
    BootstrapRequest r = request(2000);
    chooseTrialPath(r, threads, scripted);
    BootstrapControl control;
    r.control = &control;
    r.onTrial = [](int32_t trial) {
        if (trial == 7)
            throw std::bad_alloc();
    };
    const DataMatrix data = twoGroups({ 1, 2, 3, 9 }, { 4, 6, 5, 8 });
    QVERIFY_THROWS_EXCEPTION(std::bad_alloc, runBootstrapAnalysis(data, r));
    QVERIFY(control.completedTrials.load() < 2000);
    if (scripted || threads == 1)
        QCOMPARE(control.completedTrials.load(), 6);

    // Any other failure keeps its type too; the next run is unaffected.
    r.onTrial = [](int32_t trial) {
        if (trial == 1999)
            throw std::runtime_error("trial failed");
    };
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, runBootstrapAnalysis(data, r));
    r.onTrial = nullptr;
    QVERIFY(!runBootstrapAnalysis(data, r).report.empty());
}

void Tst_bootstrap::seedDecidesTheInterval()
{
    const DataMatrix data = thirtyCases();
    BootstrapRequest r = request(600, 0.95f, 1);
    r.lngDependent = 2;
    r.lngGrouping = 3;
    const AnalysisResult first = runBootstrapAnalysis(data, r);
    QCOMPARE(runBootstrapAnalysis(data, r).report, first.report);
    r.clockSeed = 2;
    const AnalysisResult second = runBootstrapAnalysis(data, r);
    QVERIFY(line(second, "95% CI") != line(first, "95% CI"));
    QCOMPARE(line(second, "Robust Cohen's D"), line(first, "Robust Cohen's D"));
}

QTEST_GUILESS_MAIN(Tst_bootstrap)
#include "tst_bootstrap.moc"
