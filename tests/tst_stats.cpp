// Tests of the robust statistics kernel: group summaries, the robust d, the sorts.
#include "report/NumberFormat.h"
#include "RankCountingSort.h"
#include "stats/RobustStats.h"

#include <QtTest>

#include <bit>
#include <cmath>
#include <random>

using Values = std::vector<float>;
Q_DECLARE_METATYPE(Values)

namespace {

// Single-precision results are compared bit for bit.
bool sameBits(float a, float b)
{
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

bool sameBits(const Values& a, const Values& b)
{
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](float x, float y) { return sameBits(x, y); });
}

QByteArray describe(float actual, float expected)
{
    return QByteArray::number(actual, 'g', 9) + " instead of "
        + QByteArray::number(expected, 'g', 9);
}

#define COMPARE_BITS(actual, expected)                                                             \
    QVERIFY2(sameBits((actual), (expected)), describe((actual), (expected)).constData())

Values range(int from, int to)
{
    Values values;
    for (int v = from; v <= to; ++v)
        values.push_back(static_cast<float>(v));
    return values;
}

// `count` values running from `first` through `first + period - 1` and over again.
Values cycling(int first, int period, int count)
{
    Values values;
    for (int k = 0; k < count; ++k)
        values.push_back(static_cast<float>(first + k % period));
    return values;
}

// Many ties, both zeros and a few negatives, as data files hold them.
Values tiedValues(std::mt19937& engine, std::size_t count)
{
    const float pool[] = { 0.0f, -0.0f, 1.5f, -2.0f, 3.0f, 3.0f, 7.25f, -0.0f, 0.0f, 100.0f };
    std::uniform_int_distribution<int> pick(0, 9);
    Values values(count);
    for (float& v : values)
        v = pool[pick(engine)];
    return values;
}

Values normalValues(std::mt19937& engine, std::size_t count, double mean)
{
    std::normal_distribution<double> normal(mean, 10.0);
    Values values(count);
    for (float& v : values)
        v = static_cast<float>(normal(engine));
    return values;
}

} // namespace

class Tst_stats : public QObject {
    Q_OBJECT
private slots:
    void trimCount_data();
    void trimCount();
    void groupStatistics_data();
    void groupStatistics();
    void singlePrecisionDigits_data();
    void singlePrecisionDigits();
    void effectSize_data();
    void effectSize();
    void sortKeepsEqualValuesInOrder();
    void fastSortsMatchRankCounting();
    void swappingGroupsNegatesD();
    void addingAConstantKeepsD();
};

void Tst_stats::trimCount_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("g");
    QTest::newRow("2 values trim none") << 2 << 0;
    QTest::newRow("4 values trim none") << 4 << 0;
    QTest::newRow("5 values trim one") << 5 << 1;
    QTest::newRow("9 values trim one") << 9 << 1;
    QTest::newRow("10 values trim two") << 10 << 2;
    QTest::newRow("14 values trim two") << 14 << 2;
    QTest::newRow("100000 values trim a fifth") << 100000 << 20000;
}

void Tst_stats::trimCount()
{
    QFETCH(int, n);
    QFETCH(int, g);
    QCOMPARE(robust::trimCount(n), g);
}

void Tst_stats::groupStatistics_data()
{
    QTest::addColumn<Values>("values");
    QTest::addColumn<float>("mean");
    QTest::addColumn<float>("variance");
    QTest::addColumn<float>("trimmedMean");
    QTest::addColumn<float>("winsorizedMean");
    QTest::addColumn<float>("winsorizedVariance");

    QTest::newRow("four values trim nothing")
        << Values { 1, 2, 3, 4 } << 2.5f << 1.6666666f << 2.5f << 2.5f << 1.6666666f;
    QTest::newRow("1 to 10 trims two from each tail")
        << range(1, 10) << 5.5f << 9.166667f << 5.5f << 5.5f << 4.7222223f;
    QTest::newRow("Winsorizing makes 1 5 5 5 9 constant")
        << Values { 1, 5, 5, 5, 9 } << 5.0f << 8.0f << 5.0f << 5.0f << 0.0f;
    QTest::newRow("a constant group has exactly zero spread")
        << Values(7, 0.3f) << 0.3f << 0.0f << 0.3f << 0.3f << 0.0f;
    QTest::newRow("values 100000 plus or minus 5 keep their variance")
        << Values { 99996, 100004, 99995, 100002, 99999, 100003, 99998, 99998, 100002 }
        << 99999.664f << 10.25f << 99999.71f << 99999.664f
        << 8.250001f; // 8.25 within the sums' cancellation: two units in the last place
    QTest::newRow("five years around 2000 keep their variance") << Values { 2004, 2004, 2006, 2009,
        2006 } << 2005.8f << 4.2f << 2005.3334f << 2005.2f << 1.2f;
    QTest::newRow("years 1990 to 2010 keep their variance")
        << range(1990, 2010) << 2000.0f << 38.5f << 2000.0f << 2000.0f << 23.5f;
    // Single-precision running sums drift here: mean 1999.6534, trimmed mean 1999.7325;
    // and the Winsorized variance from the rounded Winsorized mean is 22.389185.
    QTest::newRow("100000 years 1990 to 2010 keep their means and variances")
        << cycling(1990, 21, 100000) << 1999.9998f << 36.66596f << 1999.9998f << 1999.9999f
        << 22.380903f;
}

void Tst_stats::groupStatistics()
{
    QFETCH(Values, values);
    const robust::GroupStatistics stats = robust::groupStatistics(values);
    QCOMPARE(stats.lngN, static_cast<int32_t>(values.size()));
    QFETCH(float, mean);
    QFETCH(float, variance);
    QFETCH(float, trimmedMean);
    QFETCH(float, winsorizedMean);
    QFETCH(float, winsorizedVariance);
    COMPARE_BITS(stats.sngMean, mean);
    COMPARE_BITS(stats.sngVariance, variance);
    COMPARE_BITS(stats.sngTrimmedMean, trimmedMean);
    COMPARE_BITS(stats.sngWinsorizedMean, winsorizedMean);
    COMPARE_BITS(stats.sngWinsorizedVariance, winsorizedVariance);
}

void Tst_stats::singlePrecisionDigits_data()
{
    // Each statistic is rounded once to single precision before it is
    // printed: the same statistic of the same values left in double precision
    // differs in its last digit.
    QTest::addColumn<Values>("values");
    QTest::addColumn<QString>("statistic");
    QTest::addColumn<QString>("printed");
    const Values twelve { 39.86f, 36.44f, 25.69f, 27.72f, 33.37f, 20.45f, 29.23f, 23.36f, 22.34f,
        21.18f, 35.36f, 22.59f };
    QTest::newRow("mean 28.132, not 28.133") << twelve << "mean"
                                             << "28.132";
    QTest::newRow("trimmed mean 27.458, not 27.457") << twelve << "trimmed mean"
                                                     << "27.458";
}

void Tst_stats::singlePrecisionDigits()
{
    QFETCH(Values, values);
    QFETCH(QString, statistic);
    QFETCH(QString, printed);
    const robust::GroupStatistics stats = robust::groupStatistics(values);
    const float value = statistic == "mean" ? stats.sngMean
        : statistic == "trimmed mean"       ? stats.sngTrimmedMean
        : statistic == "variance"           ? stats.sngVariance
                                            : stats.sngWinsorizedVariance;
    QCOMPARE(QString::fromStdString(formatReportNumber(value)), printed);
}

void Tst_stats::effectSize_data()
{
    QTest::addColumn<Values>("group1");
    QTest::addColumn<Values>("group2");
    QTest::addColumn<float>("pooledVariance");
    QTest::addColumn<float>("pooledWinsorizedVariance");
    QTest::addColumn<float>("robustD");
    QTest::addColumn<bool>("computable");

    QTest::newRow("larger group 2 gives a positive d")
        << Values { 1, 2, 3, 4 } << Values { 3, 4, 5, 6 } << 1.6666666f << 1.6666666f << 0.99546975f
        << true;
    QTest::newRow("larger group 1 gives a negative d")
        << Values { 3, 4, 5, 6 } << Values { 1, 2, 3, 4 } << 1.6666666f << 1.6666666f
        << -0.99546975f << true;
    QTest::newRow("two constant groups give no d")
        << Values(7, 0.3f) << Values(6, 123.4f) << 0.0f << 0.0f << 9999999.0f << false;
    QTest::newRow("no Winsorized spread gives no d")
        << Values { 1, 5, 5, 5, 9 } << Values(5, 5.0f) << 4.0f << 0.0f << 9999999.0f << false;
}

void Tst_stats::effectSize()
{
    QFETCH(Values, group1);
    QFETCH(Values, group2);
    QFETCH(float, pooledVariance);
    QFETCH(float, pooledWinsorizedVariance);
    QFETCH(float, robustD);
    QFETCH(bool, computable);
    const robust::EffectSize effect
        = robust::effectSize(robust::groupStatistics(group1), robust::groupStatistics(group2));
    COMPARE_BITS(effect.sngPooledVariance, pooledVariance);
    COMPARE_BITS(effect.sngPooledWinsorizedVariance, pooledWinsorizedVariance);
    COMPARE_BITS(effect.sngRobustD, robustD);
    QCOMPARE(effect.computable, computable);
}

void Tst_stats::sortKeepsEqualValuesInOrder()
{
    const Values values { 0.0f, 2.0f, -0.0f, -1.0f, -0.0f, 0.0f, 2.0f };
    const Values expected { -1.0f, 0.0f, -0.0f, -0.0f, 0.0f, 2.0f, 2.0f };
    QVERIFY(sameBits(robust::sortAscending(values), expected));
    QVERIFY(sameBits(robust::rankCountingSort(values), expected));
}

void Tst_stats::fastSortsMatchRankCounting()
{
    std::mt19937 engine(4711);
    for (std::size_t size : { 1u, 2u, 3u, 5u, 17u, 64u, 300u }) {
        const Values values = tiedValues(engine, size);
        QVERIFY(sameBits(robust::sortAscending(values), robust::rankCountingSort(values)));

        robust::OrderedGroup group(values);
        QVERIFY(sameBits(Values(group.sorted().begin(), group.sorted().end()),
            robust::rankCountingSort(values)));
        std::uniform_int_distribution<int32_t> position(0, static_cast<int32_t>(size) - 1);
        robust::Resample resample;
        for (int round = 0; round < 20; ++round) {
            std::vector<int32_t> positions(size);
            for (int32_t& p : positions)
                p = position(engine);
            group.resample(positions, resample);
            Values drawn;
            for (int32_t p : positions)
                drawn.push_back(values[static_cast<std::size_t>(p)]);
            QVERIFY(sameBits(Values(resample.drawn().begin(), resample.drawn().end()), drawn));
            QVERIFY(sameBits(Values(resample.sorted().begin(), resample.sorted().end()),
                robust::rankCountingSort(drawn)));
        }
    }
}

void Tst_stats::swappingGroupsNegatesD()
{
    std::mt19937 engine(99);
    for (int round = 0; round < 20; ++round) {
        const Values values1 = normalValues(engine, 10 + round, 50.0);
        const Values values2 = normalValues(engine, 30 - round, 54.0);
        const auto stats1 = robust::groupStatistics(values1);
        const auto stats2 = robust::groupStatistics(values2);
        const float forward = robust::effectSize(stats1, stats2).sngRobustD;
        const float backward = robust::effectSize(stats2, stats1).sngRobustD;
        QVERIFY2(std::fabs(forward + backward) <= 1e-6f * std::fabs(forward),
            describe(backward, -forward).constData());
    }
}

void Tst_stats::addingAConstantKeepsD()
{
    std::mt19937 engine(5);
    for (int round = 0; round < 20; ++round) {
        Values values1 = normalValues(engine, 12 + round, 50.0);
        Values values2 = normalValues(engine, 25, 52.0);
        const float before
            = robust::effectSize(robust::groupStatistics(values1), robust::groupStatistics(values2))
                  .sngRobustD;
        for (Values* values : { &values1, &values2 }) {
            for (float& v : *values)
                v += 100.0f;
        }
        const float after
            = robust::effectSize(robust::groupStatistics(values1), robust::groupStatistics(values2))
                  .sngRobustD;
        QVERIFY2(std::fabs(after - before) <= 1e-4f, describe(after, before).constData());
    }
}

QTEST_GUILESS_MAIN(Tst_stats)
#include "tst_stats.moc"
