// Tests of Yuen's trimmed-means test against SciPy on published and sample data.
//
// The golden numbers come from /usr/bin/python3 with SciPy 1.10, on each
// group's values rounded to single precision as the data set stores them
// (a = np.array(group1, dtype=np.float32).astype(float), b likewise):
//   from scipy import stats
//   from scipy.stats._stats_py import _ttest_trim_var_mean_len as vml
//   from scipy.stats._stats_py import _unequal_var_ttest_denom as den
//   t, p = stats.ttest_ind(a, b, equal_var=False, trim=0.2)  # t is a - b: we pin -t
//   (v1, m1, h1), (v2, m2, h2) = vml(a, 0.2, -1), vml(b, 0.2, -1)
//   df, se = den(v1, h1, v2, h2)
//   q = stats.t.isf(alpha / 2, df)  # alpha = 1 - level
//   q += (stats.t.sf(q, df) - alpha / 2) / stats.t.pdf(q, df)  # isf is good to 1e-9 only
//   lower, upper = m2 - m1 -+ q * se
// Groups of 2 to 4 values are not trimmed; their rows use trim=0 there, and
// ttest_ind(a, b, equal_var=False) without trimming gives the same t and p.
#include "data/DataImport.h"
#include "stats/Yuen.h"

#include <QtTest>

#include <cmath>

using Values = std::vector<float>;

struct Expected {
    int n1, n2;
    double t, df, p, standardError, difference, lower, upper;
};
Q_DECLARE_METATYPE(Values)
Q_DECLARE_METATYPE(Expected)

namespace {

bool close(double actual, double expected)
{
    return std::fabs(actual - expected) <= 1e-12 * std::fabs(expected);
}

#define COMPARE_CLOSE(actual, expected)                                                            \
    QVERIFY2(close((actual), (expected)),                                                          \
        (#actual ": " + QByteArray::number((actual), 'g', 17) + " instead of "                     \
            + QByteArray::number((expected), 'g', 17))                                             \
            .constData())

// Column `column` of a sample file, split by the group code in column 1;
// missing entries left out.
std::pair<Values, Values> exampleGroups(const char* file, const char* delimiter, int column)
{
    const std::string path = std::string(TRELLAM_SOURCE_DIR "/examples/") + file;
    const DataMatrix data = importDelimitedFile(path, delimiter, path).data;
    std::pair<Values, Values> groups;
    for (int32_t row = 1; row <= data.rowCount(); ++row) {
        const float value = data(row, column);
        if (value == MISSING_VALUE)
            continue;
        (data(row, 1) == 1.0f ? groups.first : groups.second).push_back(value);
    }
    return groups;
}

} // namespace

class Tst_yuen : public QObject {
    Q_OBJECT
private slots:
    void matchesScipy_data();
    void matchesScipy();
    void bothWinsorizedVariancesZeroIsNotComputable_data();
    void bothWinsorizedVariancesZeroIsNotComputable();
    void extremeValuesGiveFiniteResults();
};

void Tst_yuen::matchesScipy_data()
{
    QTest::addColumn<Values>("group1");
    QTest::addColumn<Values>("group2");
    QTest::addColumn<float>("level");
    QTest::addColumn<Expected>("expected");

    const Values automatic { 21.4f, 18.7f, 18.1f, 14.3f, 24.4f, 22.8f, 19.2f, 17.8f, 16.4f, 17.3f,
        15.2f, 10.4f, 10.4f, 14.7f, 21.5f, 15.5f, 15.2f, 13.3f, 19.2f };
    const Values manual { 21.0f, 21.0f, 22.8f, 32.4f, 30.4f, 33.9f, 27.3f, 26.0f, 30.4f, 15.8f,
        19.7f, 15.0f, 21.4f };
    QTest::newRow("mtcars mpg, automatic against manual, 95%")
        << automatic << manual << 0.95f
        << Expected { 19, 13, 3.4771000710447133, 11.849227361832853, 0.004652969183628107,
               2.096746694000143, 7.290598078670666, 2.7157240200464035, 11.865472137294928 };
    QTest::newRow("mtcars mpg at 90%")
        << automatic << manual << 0.90f
        << Expected { 19, 13, 3.4771000710447133, 11.849227361832853, 0.004652969183628107,
               2.096746694000143, 7.290598078670666, 3.549626637890311, 11.03156951945102 };
    QTest::newRow("mtcars mpg at 99%")
        << automatic << manual << 0.99f
        << Expected { 19, 13, 3.4771000710447133, 11.849227361832853, 0.004652969183628107,
               2.096746694000143, 7.290598078670666, 0.8711388641188984, 13.710057293222434 };
    QTest::newRow("sleep extra, group 1 against group 2")
        << Values { 0.7f, -1.6f, -0.2f, -1.2f, -0.1f, 3.4f, 3.7f, 0.8f, 0.0f, 2.0f }
        << Values { 1.9f, 0.8f, 1.1f, 0.1f, -0.1f, 4.4f, 5.5f, 1.6f, 4.6f, 3.4f } << 0.95f
        << Expected { 10, 10, 1.6167773727235384, 8.264708393994479, 0.1433782875565155,
               1.0308572678461931, 1.666666705161333, -0.6973066378588264, 4.030640048181493 };
    QTest::newRow("ToothGrowth len, VC against OJ")
        << Values { 4.2f, 11.5f, 7.3f, 5.8f, 6.4f, 10.0f, 11.2f, 11.2f, 5.2f, 7.0f, 16.5f, 16.5f,
               15.2f, 17.3f, 22.5f, 17.3f, 13.6f, 14.5f, 18.8f, 15.5f, 23.6f, 18.5f, 33.9f, 25.5f,
               26.4f, 32.5f, 26.7f, 21.5f, 23.3f, 29.5f }
        << Values { 15.2f, 21.5f, 17.6f, 9.7f, 14.5f, 10.0f, 8.2f, 9.4f, 16.5f, 9.7f, 19.7f, 23.3f,
               23.6f, 26.4f, 20.0f, 25.2f, 25.8f, 21.2f, 14.5f, 27.3f, 25.5f, 26.4f, 22.4f, 24.5f,
               24.8f, 30.9f, 26.4f, 27.3f, 29.4f, 23.0f }
        << 0.95f
        << Expected { 30, 30, 2.2873418439676025, 33.49113118405514, 0.028621347319927763,
               2.2393777231332415, 5.12222237057156, 0.568710920871089, 9.67573382027203 };
    QTest::newRow("chickwts weight, soybean against sunflower")
        << Values { 243, 230, 248, 327, 329, 250, 193, 271, 316, 267, 199, 171, 158, 248 }
        << Values { 423, 340, 392, 339, 341, 226, 320, 295, 334, 322, 297, 318 } << 0.95f
        << Expected { 14, 12, 4.2023834066173675, 12.65465744015969, 0.0010955292014562816,
               19.00707105263723, 79.875, 38.69851772665014, 121.05148227334986 };

    const auto example
        = [](const char* name, const char* file, const char* delimiter, Expected expected) {
              const auto [group1, group2] = exampleGroups(file, delimiter, 2);
              QTest::newRow(name) << group1 << group2 << 0.95f << expected;
          };
    example("anxiety_comma.txt, column 2", "anxiety_comma.txt", ",",
        { 14, 14, -4.145647765109439, 17.912174275489754, 0.0006129101126548678, 2.286735410090025,
            -9.479999542236328, -14.285941395466446, -4.67405768900621 });
    example("reaction_times_tab.txt, column 2", "reaction_times_tab.txt", "\t",
        { 20, 19, 4.584082262970017, 22.84260703944082, 0.00013325320403851127, 23.544404525925728,
            107.92948717948713, 59.20559907761272, 156.65337528136155 });
    example("scores_space.dat, column 2", "scores_space.dat", " ",
        { 27, 21, 2.328974799544164, 26.411314920821294, 0.027770416994977017, 3.60596003309808,
            8.398190045248867, 0.9916470856773651, 15.80473300482037 });

    QTest::newRow("groups of 2 and 4 are not trimmed: Welch's test")
        << Values { 3.1f, 4.7f } << Values { 5.0f, 6.2f, 9.4f, 7.1f } << 0.95f
        << Expected { 2, 4, 2.465284230332197, 3.437994533629107, 0.07962983664714712,
               1.227039032229774, 3.024999976158142, -0.6130905523998424, 6.663090504716127 };
    QTest::newRow("groups of 3 are not trimmed: Welch's test")
        << Values { 12.5f, 10.25f, 11.0f } << Values { 9.5f, 8.75f, 10.5f } << 0.95f
        << Expected { 3, 3, -1.9999999999999991, 3.7467216185837393, 0.12087156707347341,
               0.8333333333333334, -1.666666666666666, -4.043379310811742, 0.7100459774784103 };
    QTest::newRow("4 values untrimmed against 12 trimmed by two")
        << Values { 0.31f, 0.42f, 0.29f, 0.55f }
        << Values { 0.61f, 0.48f, 0.72f, 0.39f, 0.66f, 0.58f, 0.91f, 0.53f, 0.47f, 0.70f, 0.62f,
               1.85f }
        << 0.95f
        << Expected { 4, 12, 2.9807883922515948, 6.237613921497966, 0.023488360172967026,
               0.0738059780107424, 0.2200000025331974, 0.04105787741350028, 0.3989421276528945 };
    QTest::newRow("one zero Winsorized variance: df is the other group's h - 1")
        << Values { 5, 5, 5, 5, 5, 1, 9 }
        << Values { 4.5f, 6.1f, 7.3f, 5.2f, 8.8f, 6.4f, 3.9f, 7.7f } << 0.95f
        << Expected { 7, 8, 1.8564347876227578, 5.0, 0.12253096758196222, 0.6464002809102206,
               1.1999999682108564, -0.46162485244716756, 2.8616247888688804 };
}

void Tst_yuen::matchesScipy()
{
    QFETCH(Values, group1);
    QFETCH(Values, group2);
    QFETCH(float, level);
    QFETCH(Expected, expected);

    // Levels are held in single precision and passed widened.
    const robust::YuenResult r = robust::yuenTest(group1, group2, level);
    QVERIFY(r.computable);
    QCOMPARE(r.n1, expected.n1);
    QCOMPARE(r.n2, expected.n2);
    COMPARE_CLOSE(r.t, expected.t);
    COMPARE_CLOSE(r.df, expected.df);
    COMPARE_CLOSE(r.p, expected.p);
    COMPARE_CLOSE(r.standardError, expected.standardError);
    COMPARE_CLOSE(r.difference, expected.difference);
    COMPARE_CLOSE(r.lower, expected.lower);
    COMPARE_CLOSE(r.upper, expected.upper);

    // Swapping the groups negates t and mirrors the interval.
    const robust::YuenResult s = robust::yuenTest(group2, group1, level);
    QVERIFY(s.computable);
    QCOMPARE(s.t, -r.t);
    QCOMPARE(s.df, r.df);
    QCOMPARE(s.p, r.p);
    QCOMPARE(s.lower, -r.upper);
    QCOMPARE(s.upper, -r.lower);
}

void Tst_yuen::bothWinsorizedVariancesZeroIsNotComputable_data()
{
    QTest::addColumn<Values>("group1");
    QTest::addColumn<Values>("group2");
    QTest::addColumn<double>("difference");
    QTest::newRow("Winsorizing makes both groups constant")
        << Values { 5, 5, 5, 5, 5, 1, 9 } << Values { 2, 2, 2, 2, 2, 2, 0, 100, 2, 2 } << -3.0;
    QTest::newRow("two untrimmed constant groups")
        << Values { 0.1f, 0.1f } << Values { 0.1f, 0.1f, 0.1f } << 0.0;
}

void Tst_yuen::bothWinsorizedVariancesZeroIsNotComputable()
{
    QFETCH(Values, group1);
    QFETCH(Values, group2);
    QFETCH(double, difference);
    const robust::YuenResult r = robust::yuenTest(group1, group2, 0.95);
    QVERIFY(!r.computable);
    QCOMPARE(r.winsorizedVariance1, 0.0);
    QCOMPARE(r.winsorizedVariance2, 0.0);
    QCOMPARE(r.difference, difference);
}

void Tst_yuen::extremeValuesGiveFiniteResults()
{
    // Squares near the single-precision limits stay within double precision.
    const Values huge { -3.4e38f, 3.4e38f, 1e38f, -2e38f, 0.0f, 3e38f };
    const Values tiny { 1e-45f, 3e-45f, 0.0f, 6e-45f, 1e-45f, 4e-45f, 0.0f };
    const robust::YuenResult r = robust::yuenTest(huge, tiny, 0.99);
    QVERIFY(r.computable);
    QVERIFY(std::isfinite(r.t) && std::isfinite(r.df) && std::isfinite(r.upper));
    QVERIFY(r.p > 0.0 && r.p <= 1.0);
    const robust::YuenResult s = robust::yuenTest(tiny, Values { 0.0f, 1e-45f, 0.0f }, 0.99);
    QVERIFY(s.computable);
    QVERIFY(std::isfinite(s.t) && std::isfinite(s.df) && s.lower < s.upper);
    QVERIFY(s.p > 0.0 && s.p <= 1.0);
}

QTEST_GUILESS_MAIN(Tst_yuen)
#include "tst_yuen.moc"
