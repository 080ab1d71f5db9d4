// Tests of the robust effect sizes: the measures against the reference R
// functions, the rank and pairwise-difference paths against their pairwise
// definitions, the invariants, and the analysis around them.
//
// The golden numbers come from R 4.2 running Wilcox's Rallfun (v45) with
// MASS, on the values rounded to single precision as the data set stores
// them (f32 <- function(v) readBin(writeBin(v, raw(), size = 4), "double",
// size = 4, n = length(v))), x group 1 and y group 2:
//   -akp.effect(x, y, EQVAR = TRUE, tr), -akp.effect(x, y, EQVAR = FALSE, tr)
//   -kms.effect(x, y, tr)$effect.size, yuenv2(x, y, tr = tr)$Effect.Size
//   shiftes(y, x)$Q.Effect, cid(y, x)$d, $cl, $cu
// R integrates the normal's Winsorized variance numerically (MASS::area, good
// to about 1e-8); the program takes its closed form, hence the tolerance.
#include "TestData.h"
#include "analyses/BootstrapAnalysis.h"
#include "analyses/EffectsAnalysis.h"
#include "analyses/ManuscriptText.h"
#include "analyses/YuenAnalysis.h"
#include "stats/EffectSizes.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <random>

using Values = std::vector<float>;
Q_DECLARE_METATYPE(Values)

namespace {

const Values X { 2.1f, 3.4f, 1.9f, 5.6f, 4.2f, 3.3f, 2.8f, 6.1f, 3.9f, 4.4f, 2.2f, 12.0f };
const Values Y { 4.5f, 5.1f, 3.8f, 6.7f, 5.9f, 7.2f, 4.9f, 5.5f, 8.8f, 6.1f, 5.0f, 15.5f };
const Values Z { 3.0f, 2.5f, 4.1f, 3.3f, 2.9f, 3.8f, 3.1f, 9.0f, 2.7f, 3.5f, 3.6f };

Values sorted(Values v)
{
    std::sort(v.begin(), v.end());
    return v;
}

Values shifted(const Values& v, float by)
{
    Values out;
    for (float x : v)
        out.push_back(x + by);
    return out;
}

struct Measures {
    robust::StandardizedDifferences d;
    std::optional<double> xi;
    double shift = 0.0;
    robust::Dominance dominance;
};

Measures measures(const Values& x, const Values& y, int32_t trimPercent)
{
    const Values sx = sorted(x);
    const Values sy = sorted(y);
    const double c = robust::normalWinsorizedVariance(trimPercent);
    const auto a = robust::trimmedSummary(sx, trimPercent);
    const auto b = robust::trimmedSummary(sy, trimPercent);
    std::vector<double> band;
    Measures m;
    m.d = robust::standardizedDifferences(a, b, c);
    if (sx.size() == sy.size()) {
        if (const auto power = robust::explanatoryPower(sx, sy, a, b, trimPercent, c))
            m.xi = std::sqrt(*power);
    }
    m.shift = robust::PairwiseDifferences(sx, sy).quantileShift(band);
    m.dominance = robust::dominance(sx, sy, 0.95);
    return m;
}

#define COMPARE_R(actual, expected)                                                                \
    QVERIFY2(std::fabs((actual) - (expected)) <= 1e-7 * std::max(1.0, std::fabs(expected)),        \
        (#actual ": " + QByteArray::number((actual), 'g', 12)).constData())

// The line of `report` that starts with `start`.
QString reportLine(const std::string& report, const QString& start)
{
    for (const QString& line : QString::fromStdString(report).split('\n')) {
        if (line.startsWith(start))
            return line;
    }
    return {};
}

EffectsRequest request(const char* trim, const char* seed = "20261209")
{
    EffectsRequest r;
    r.lngDependent = 1;
    r.lngGrouping = 2;
    r.strGroup1 = "1";
    r.strGroup2 = "2";
    r.strTrim = trim;
    r.lngTrials = 300;
    r.strSeed = seed;
    return r;
}

} // namespace

class Tst_effects : public QObject {
    Q_OBJECT
private slots:
    void referenceValues_data();
    void referenceValues();
    void explanatoryMeasureAboveOneTakesTheCorrelation();
    void pairwisePathsMatchTheDefinitions();
    void swappingGroupsNegatesTheSignedMeasures();
    void noTrimmingGivesCohensD();
    void trimming_data();
    void trimming();
    void pooledRowAt20IsTheBootstrapsRobustD();
    void completeSeparationLeavesCliffsIntervalEmpty();
    void manuscriptNamesTheTrimmingAndMissingIntervals();
};

void Tst_effects::referenceValues_data()
{
    QTest::addColumn<Values>("y");
    QTest::addColumn<int>("trim");
    QTest::addColumn<QList<double>>("expected"); // AKP pooled, 1, 2, KMS, ξ, QS, δ, lower, upper
    QTest::newRow("no trimming") << Y << 0
                                 << QList<double> { 0.76890930635, 0.819858103642, 0.726413171575,
                                        0.384454653175, 0.515883082272, 0.819444444444,
                                        0.618055555556, 0.129303714848, 0.865201992472 };
    QTest::newRow("10% trimming") << Y << 10
                                  << QList<double> { 1.19313779283, 1.20848823121, 1.17835782908,
                                         0.596568896416, 0.630191007181, 0.819444444444,
                                         0.618055555556, 0.129303714848, 0.865201992472 };
    QTest::newRow("25% trimming") << Y << 25
                                  << QList<double> { 1.50704050715, 1.55850179953, 1.46036189576,
                                         0.753520253574, 0.80417116685, 0.819444444444,
                                         0.618055555556, 0.129303714848, 0.865201992472 };
    // ξ of unequal groups rests on random subsamples: not compared here.
    QTest::newRow("unequal groups, group 2 lower")
        << Z << 10
        << QList<double> { -0.340835455384, -0.2598899431, -0.747191412954, -0.176440002928,
               qQNaN(), 0.424242424242, -0.113636363636, -0.550432276404, 0.372000261245 };
}

void Tst_effects::referenceValues()
{
    QFETCH(Values, y);
    QFETCH(int, trim);
    QFETCH(QList<double>, expected);
    const Measures m = measures(X, y, trim);
    COMPARE_R(*m.d.pooled, expected[0]);
    COMPARE_R(*m.d.group1, expected[1]);
    COMPARE_R(*m.d.group2, expected[2]);
    COMPARE_R(*m.d.kms, expected[3]);
    if (!std::isnan(expected[4]))
        COMPARE_R(*m.xi, expected[4]);
    COMPARE_R(m.shift, expected[5]);
    COMPARE_R(m.dominance.delta, expected[6]);
    COMPARE_R(*m.dominance.lower, expected[7]);
    COMPARE_R(*m.dominance.upper, expected[8]);
    COMPARE_R(m.dominance.p, (1.0 + expected[6]) / 2.0);
}

void Tst_effects::explanatoryMeasureAboveOneTakesTheCorrelation()
{
    // yuenv2(x, y + 20, tr = 0.1): the ratio passes 1, so the squared
    // Winsorized correlation of group and value stands instead.
    const Measures m = measures(X, shifted(Y, 20.0f), 10);
    COMPARE_R(*m.xi, 0.982952121927);
    COMPARE_R(*m.d.pooled, 12.18980033);
    COMPARE_R(m.shift, 1.0);
}

void Tst_effects::pairwisePathsMatchTheDefinitions()
{
    // Sizes past the grid's threshold too, and data full of ties.
    std::mt19937_64 engine(11);
    std::normal_distribution<double> normal;
    for (int round = 0; round < 400; ++round) {
        const int n1 = 2 + static_cast<int>(engine() % (round < 360 ? 40 : 900));
        const int n2 = 2 + static_cast<int>(engine() % (round < 360 ? 40 : 900));
        const bool ties = round % 2 == 1;
        const auto draw = [&] {
            return ties ? static_cast<float>(engine() % 5) : static_cast<float>(normal(engine));
        };
        Values x(static_cast<std::size_t>(n1));
        Values y(static_cast<std::size_t>(n2));
        std::generate(x.begin(), x.end(), draw);
        std::generate(y.begin(), y.end(), draw);
        x = sorted(x);
        y = sorted(y);
        std::vector<double> all;
        int64_t greater = 0;
        int64_t less = 0;
        for (float a : x) {
            for (float b : y) {
                all.push_back(static_cast<double>(b) - a);
                greater += b > a;
                less += b < a;
            }
        }
        std::sort(all.begin(), all.end());
        const std::size_t n = all.size();
        const double median = n % 2 ? all[n / 2] : (all[n / 2 - 1] + all[n / 2]) / 2.0;
        const auto atMost = std::upper_bound(all.begin(), all.end(), 2.0 * median) - all.begin();
        std::vector<double> band;
        const robust::PairwiseDifferences pairs(x, y);
        QCOMPARE(pairs.median(band), median);
        QCOMPARE(pairs.quantileShift(band), static_cast<double>(atMost) / static_cast<double>(n));
        const robust::Dominance d = robust::dominance(x, y, 0.95);
        QCOMPARE(d.delta, static_cast<double>(greater - less) / static_cast<double>(n));
        QCOMPARE(d.p, (2.0 * greater + (n - greater - less)) / (2.0 * static_cast<double>(n)));
    }
}

void Tst_effects::swappingGroupsNegatesTheSignedMeasures()
{
    for (int trim : { 0, 20, 35 }) {
        const Measures m = measures(X, Z, trim);
        const Measures s = measures(Z, X, trim);
        QCOMPARE(*s.d.pooled, -*m.d.pooled);
        QCOMPARE(*s.d.group1, -*m.d.group2);
        QCOMPARE(*s.d.group2, -*m.d.group1);
        QCOMPARE(*s.d.kms, -*m.d.kms);
        QCOMPARE(s.dominance.delta, -m.dominance.delta);
        QCOMPARE(s.dominance.p, 1.0 - m.dominance.p);
        QCOMPARE(*s.dominance.lower, -*m.dominance.upper);
    }
}

void Tst_effects::noTrimmingGivesCohensD()
{
    const auto meanAndVariance = [](const Values& v) {
        double sum = 0.0;
        for (float x : v)
            sum += x;
        const double mean = sum / static_cast<double>(v.size());
        double squares = 0.0;
        for (float x : v)
            squares += (x - mean) * (x - mean);
        return std::make_pair(mean, squares / (static_cast<double>(v.size()) - 1.0));
    };
    const auto [m1, v1] = meanAndVariance(X);
    const auto [m2, v2] = meanAndVariance(Z);
    const double pooled = (11.0 * v1 + 10.0 * v2) / 21.0;
    const Measures m = measures(X, Z, 0);
    QVERIFY(std::fabs(*m.d.pooled - (m2 - m1) / std::sqrt(pooled)) < 1e-12);
    QCOMPARE(robust::normalWinsorizedVariance(0), 1.0);
    // Rallfun's winvarN keeps the value at 10% as 0.6786546.
    QVERIFY(std::fabs(robust::normalWinsorizedVariance(10) - 0.6786546) < 1e-7);
}

void Tst_effects::trimming_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("hundredths"); // -1: refused
    QTest::newRow("the default") << "0.2" << 20;
    QTest::newRow("no leading zero, blanks around") << " .25 " << 25;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("a decimal comma") << "0,1" << 10;
    QTest::newRow("zeros past the second decimal") << "0.4900" << 49;
    QTest::newRow("a half is too much") << "0.5" << -1;
    QTest::newRow("a third decimal") << "0.125" << -1;
    QTest::newRow("negative") << "-0.1" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("a point alone") << "." << -1;
}

void Tst_effects::trimming()
{
    QFETCH(QString, text);
    QFETCH(int, hundredths);
    QCOMPARE(parseTrimming(text.toStdString()).value_or(-1), hundredths);
}

void Tst_effects::pooledRowAt20IsTheBootstrapsRobustD()
{
    // Unequal groups, so that ξ's subsamples draw from the trials' streams too.
    const DataMatrix data = twoGroups(X, Z);
    const AnalysisResult effects = runEffectsAnalysis(data, request("0.2"));
    BootstrapRequest bootstrap;
    static_cast<TwoGroupChoice&>(bootstrap) = request("0.2");
    bootstrap.lngTrials = 300;
    bootstrap.strSeed = "20261209";
    const BootstrapResult reference = runBootstrapAnalysis(data, bootstrap);
    const QString pooled = reportLine(effects.report, "AKP d, pooled");
    const QString d = reportLine(reference.report, "Robust Cohen's D = ").mid(19);
    const QString interval
        = reportLine(reference.report, "95% CI for population").section(" = ", 1);
    QCOMPARE(pooled.mid(41).section(' ', 0, 0), d);
    QVERIFY2(pooled.contains(interval + " "), qPrintable(pooled + " / " + interval));
    QVERIFY(pooled.endsWith(" 300"));
    // The same seed gives the same report on any number of threads.
    QCOMPARE(runEffectsAnalysis(data, request("0.2")).report, effects.report);
}

void Tst_effects::completeSeparationLeavesCliffsIntervalEmpty()
{
    const AnalysisResult result
        = runEffectsAnalysis(twoGroups({ 1, 2, 3, 4 }, { 5, 6, 7, 9 }), request("0"));
    QVERIFY(
        QString::fromStdString(result.report).startsWith("ROBUST EFFECT SIZES (0% TRIMMING)\n"));
    QCOMPARE(reportLine(result.report, "Cliff's delta").simplified(), "Cliff's delta 1 (., .) .");
    QCOMPARE(
        reportLine(result.report, "P(Group 2").simplified(), "P(Group 2 > Group 1) 1 (., .) .");
    QCOMPARE(
        runEffectsAnalysis(twoGroups(X, Y), request("0.5")).message, std::string(TRIMMING_MESSAGE));
}

void Tst_effects::manuscriptNamesTheTrimmingAndMissingIntervals()
{
    const AnalysisResult yuen = runYuenAnalysis(twoGroups(X, Y), request("0.1"), "0.1");
    QVERIFY(manuscriptSentence(*yuen.record).find("difference in 10% trimmed means = ")
        != std::string::npos);
    QVERIFY(manuscriptTable(*yuen.record).find("Yuen's Test of 10% Trimmed Means")
        != std::string::npos);
    const AnalysisResult effects
        = runEffectsAnalysis(twoGroups({ 1, 2, 3, 4 }, { 5, 6, 7, 9 }), request("0"));
    QVERIFY(manuscriptSentence(*effects.record)
                .ends_with("Cliff's \u03b4 = 1.00, 95% CI not available; percentile bootstrap, "
                           "300 resamples, seed 20261209"));
}

QTEST_APPLESS_MAIN(Tst_effects)
#include "tst_effects.moc"
