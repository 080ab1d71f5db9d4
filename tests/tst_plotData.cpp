// Tests of what the bootstrap pictures draw: quartiles, box plots, histogram bins and the kept run.
#include "analyses/BootstrapAnalysis.h"
#include "report/NumberFormat.h"
#include "analyses/PlotSummaries.h"

#include "TestData.h"

#include <QtTest>

#include <cstring>
#include <limits>
#include <numeric>
#include <sstream>

using Values = std::vector<float>;
Q_DECLARE_METATYPE(Values)
Q_DECLARE_METATYPE(BootstrapRun)

namespace {

// Report line that starts with `start`, or an empty text.
QString line(const std::string& report, const QString& start)
{
    for (const QString& l : QString::fromStdString(report).split('\n')) {
        if (l.startsWith(start))
            return l;
    }
    return {};
}

// Fifty-seven normal draws (numpy, seed 7, mean 0.8, sd 0.3) in single precision.
const Values fiftySeven { 0.800369024f, 0.889623642f, 0.717758656f, 0.53282243f, 0.663598776f,
    0.502506018f, 0.818043053f, 1.20206451f, 0.652338028f, 0.613857508f, 0.946952641f, 0.907066107f,
    0.831624269f, 0.520859599f, 0.79122448f, 1.00859094f, 0.396735638f, 0.662715256f, 0.229633182f,
    0.413138688f, 0.247479483f, 0.729472637f, 0.419766068f, 0.881379306f, 0.847025335f,
    0.743920743f, 0.0449720882f, 0.63839215f, 0.785449743f, 0.83399272f, 0.340959281f, 0.656674027f,
    0.506444275f, 0.557348847f, 1.11826956f, 0.557739615f, 0.790243506f, 1.06531692f, 0.624919891f,
    0.766489387f, 0.833139241f, 0.819134533f, 0.432483256f, 0.822842062f, 1.20764709f, 0.335856587f,
    1.05781484f, 0.835806191f, 0.607558906f, 1.40012491f, 1.02867794f, 0.440213323f, 0.822354853f,
    0.973006904f, 0.743365347f, 1.00487304f, 0.780044794f };

BootstrapRun sampleRun()
{
    BootstrapRun run;
    run.group1 = { 1.5f, -2.25f, 1e-30f, 3e38f };
    run.group2 = { 0.1f, 0.2f };
    run.sngTrimmedMean1 = 0.1f;
    run.sngTrimmedMean2 = 1.0f / 3.0f;
    run.effects = { 0.7f, -0.0f, 1.25f };
    run.lowerBound = -0.0f;
    run.upperBound = 1.25f;
    run.sngLevel = 0.99f;
    run.sngRobustD = 0.123456789f;
    run.seed = 18446744073709551615ULL;
    run.strGroup1 = " 1.0 ";
    run.strGroup2 = "2";
    run.lngDependent = 7;
    run.dependentLabel = "Var 7";
    return run;
}

bool sameBits(const Values& a, const Values& b)
{
    return a.size() == b.size()
        && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

std::string written(const BootstrapRun& run)
{
    std::ostringstream out;
    writeBootstrapRun(out, run);
    return out.str();
}

std::optional<BootstrapRun> readBack(const std::string& bytes)
{
    std::istringstream in(bytes);
    return readBootstrapRun(in);
}

BootstrapRequest seededRequest(int32_t trials)
{
    BootstrapRequest r;
    r.lngDependent = 2;
    r.lngGrouping = 3;
    r.strGroup1 = "1";
    r.strGroup2 = "2";
    r.lngTrials = trials;
    r.strSeed = "20240611";
    return r;
}

// Eleven cases: an identifier, the dependent value (one missing) and a group code.
DataMatrix elevenCases()
{
    const float M = MISSING_VALUE;
    return matrixFromRows({ { 1, 40.2f, 1 }, { 2, 59.0f, 2 }, { 3, 45.9f, 1 }, { 4, M, 2 },
        { 5, 53.8f, 1 }, { 6, 64.8f, 2 }, { 7, 39.7f, 1 }, { 8, 61.6f, 2 }, { 9, 62.3f, 1 },
        { 10, 46.9f, 2 }, { 11, 50.0f, 3 } });
}

} // namespace

class Tst_plotData : public QObject {
    Q_OBJECT
private slots:
    void quartilesInterpolateLinearly_data();
    void quartilesInterpolateLinearly();
    void boxWhiskersEndAtTheLastValuesInsideTheFences();
    void outliersCloserThanAThousandthOfTheRangeShareAMarker();
    void freedmanDiaconisBinsMatchNumpy();
    void binRules_data();
    void binRules();
    void runFileGivesBackTheSameRun_data();
    void runFileGivesBackTheSameRun();
    void damagedRunFileIsRefused_data();
    void damagedRunFileIsRefused();
    void completedRunKeepsWhatTheReportSays();
    void onlyACompletedRunLeavesItsData();
    void observedDThatCannotBeComputedIsLeftOut();
    void summariesLeaveOutWhatIsNotFinite_data();
    void summariesLeaveOutWhatIsNotFinite();
    void runsThatCannotBeDrawn_data();
    void runsThatCannotBeDrawn();
};

void Tst_plotData::quartilesInterpolateLinearly_data()
{
    QTest::addColumn<Values>("values");
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("median");
    QTest::addColumn<double>("upper");
    // Golden values: numpy.percentile(x, [25, 50, 75]) on the single-precision values.
    QTest::newRow("odd count, quartiles between neighbours") << Values { 3.1f, -2.5f, 7.25f, 0.5f,
        4.0f, 9.75f, 1.0f } << 0.75 << 3.0999999046325684 << 5.625;
    QTest::newRow("even count, median between the middle two")
        << Values { 10.0f, 2.5f, 6.5f, 4.0f, 8.0f, 1.5f } << 2.875 << 5.25 << 7.625;
    QTest::newRow("two values") << Values { 2.0f, 1.0f } << 1.25 << 1.5 << 1.75;
    QTest::newRow("one value is every quartile") << Values { 5.5f } << 5.5 << 5.5 << 5.5;
    QTest::newRow("ties") << Values { 2, 2, 2, 3, 3, 9, 2, 3 } << 2.0 << 2.5 << 3.0;
}

void Tst_plotData::quartilesInterpolateLinearly()
{
    QFETCH(Values, values);
    QFETCH(double, lower);
    QFETCH(double, median);
    QFETCH(double, upper);
    const Quartiles q = quartiles(values);
    QCOMPARE(q.lower, lower);
    QCOMPARE(q.median, median);
    QCOMPARE(q.upper, upper);
}

void Tst_plotData::boxWhiskersEndAtTheLastValuesInsideTheFences()
{
    // Quartiles 2.375 and 5.25 put the fences at -1.9375 and 9.5625.
    const Values values { 30, 4.5f, -20, 1, 2, 2.5f, 3, 3.5f, 4, 31, 5, 6 };
    const BoxSummary box = boxSummary(values);
    QCOMPARE(box.quartiles.lower, 2.375);
    QCOMPARE(box.quartiles.median, 3.75);
    QCOMPARE(box.quartiles.upper, 5.25);
    QCOMPARE(box.lowerWhisker, 1.0);
    QCOMPARE(box.upperWhisker, 6.0);
    QCOMPARE(box.minimum, -20.0);
    QCOMPARE(box.maximum, 31.0);
    QCOMPARE(box.lngOutliers, 3);
    QCOMPARE(box.outliers, (Values { -20, 30, 31 }));
}

void Tst_plotData::outliersCloserThanAThousandthOfTheRangeShareAMarker()
{
    // A thousand values from 0 to 0.999, and far above them 30 within 0.03 of
    // 100 and one at 200: the range is 200, so markers 0.2 apart are kept.
    Values values;
    for (int i = 0; i < 1000; ++i)
        values.push_back(static_cast<float>(i) / 1000.0f);
    for (int i = 0; i < 30; ++i)
        values.push_back(100.0f + static_cast<float>(i) * 1e-3f);
    values.push_back(200.0f);
    const BoxSummary box = boxSummary(values);
    QCOMPARE(box.lngOutliers, 31);
    QCOMPARE(box.outliers, (Values { 100.0f, 200.0f }));
    QCOMPARE(box.upperWhisker, 0.999f);
}

void Tst_plotData::freedmanDiaconisBinsMatchNumpy()
{
    // numpy.histogram(x, bins='fd') on the values in double precision.
    const Histogram histogram = freedmanDiaconis(fiftySeven);
    const std::vector<int64_t> counts { 1, 2, 7, 6, 9, 18, 5, 6, 2, 1 };
    QCOMPARE(histogram.counts, counts);
    QCOMPARE(histogram.start, 0.04497208818793297);
    QVERIFY(qAbs(histogram.binWidth - 0.13551528193056583) < 1e-15);
}

void Tst_plotData::binRules_data()
{
    QTest::addColumn<Values>("values");
    QTest::addColumn<int>("bins");

    Values farApart(1000, 0.0f);
    for (std::size_t i = 0; i < farApart.size(); ++i)
        farApart[i] = static_cast<float>(i % 100) / 100.0f;
    farApart.front() = -1e4f;
    farApart.back() = 1e4f;
    Values mostlyEqual(20, 1.0f);
    mostlyEqual.push_back(5.0f);

    QTest::newRow("far outliers are held to 100 bins") << farApart << 100;
    QTest::newRow("equal values give one bin") << Values(7, 2.5f) << 1;
    QTest::newRow("one value gives one bin") << Values { -3.0f } << 1;
    QTest::newRow("no interquartile range: Sturges' 6 bins for 21 values") << mostlyEqual << 6;
    QTest::newRow("no values, no bins") << Values {} << 0;
}

void Tst_plotData::binRules()
{
    QFETCH(Values, values);
    QFETCH(int, bins);
    const Histogram histogram = freedmanDiaconis(values);
    QCOMPARE(static_cast<int>(histogram.counts.size()), bins);
    QCOMPARE(std::accumulate(histogram.counts.begin(), histogram.counts.end(), int64_t { 0 }),
        static_cast<int64_t>(values.size()));
    for (float value : values)
        QVERIFY(histogram.start <= value && value <= histogram.end());
}

void Tst_plotData::runFileGivesBackTheSameRun_data()
{
    QTest::addColumn<bool>("withInterval");
    QTest::newRow("a run with its interval and seed") << true;
    QTest::newRow("no valid trial, no observed d, a seed from the clock") << false;
}

void Tst_plotData::runFileGivesBackTheSameRun()
{
    QFETCH(bool, withInterval);
    BootstrapRun run = sampleRun();
    if (!withInterval) {
        run.effects.clear();
        run.lowerBound.reset();
        run.upperBound.reset();
        run.seed.reset();
        run.sngRobustD.reset();
    }
    const std::optional<BootstrapRun> back = readBack(written(run));
    QVERIFY(back);
    QVERIFY(sameBits(back->group1, run.group1));
    QVERIFY(sameBits(back->group2, run.group2));
    QVERIFY(sameBits(back->effects, run.effects));
    QCOMPARE(back->lowerBound.has_value(), withInterval);
    if (withInterval) {
        QVERIFY(std::signbit(*back->lowerBound));
        QCOMPARE(*back->upperBound, 1.25f);
    }
    QCOMPARE(back->seed, run.seed);
    QCOMPARE(back->sngTrimmedMean1, run.sngTrimmedMean1);
    QCOMPARE(back->sngTrimmedMean2, run.sngTrimmedMean2);
    QCOMPARE(back->sngRobustD, run.sngRobustD);
    QCOMPARE(back->sngLevel, run.sngLevel);
    QCOMPARE(back->strGroup1, run.strGroup1);
    QCOMPARE(back->strGroup2, run.strGroup2);
    QCOMPARE(back->lngDependent, run.lngDependent);
    QCOMPARE(back->dependentLabel, run.dependentLabel);
}

void Tst_plotData::damagedRunFileIsRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray whole = QByteArray::fromStdString(written(sampleRun()));
    QByteArray badNumber = whole;
    badNumber.replace("level 0.99", "level 0,99");
    QByteArray swapped = whole;
    swapped.replace("group-1 ", "group-x ");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("another first line") << QByteArray("trellam-bootstrap-run 2\n") + whole.mid(24);
    QTest::newRow("cut inside the header") << whole.left(whole.indexOf("seed"));
    QTest::newRow("cut inside the values") << whole.left(whole.size() - 1);
    QTest::newRow("a comma for the decimal point") << badNumber;
    QTest::newRow("a line out of place") << swapped;
}

void Tst_plotData::damagedRunFileIsRefused()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!readBack(bytes.toStdString()));
}

void Tst_plotData::completedRunKeepsWhatTheReportSays()
{
    const BootstrapResult result = runBootstrapAnalysis(elevenCases(), seededRequest(800));
    QVERIFY(result.run);
    const BootstrapRun& run = *result.run;
    QCOMPARE(run.group1, (Values { 40.2f, 45.9f, 53.8f, 39.7f, 62.3f }));
    QCOMPARE(run.group2, (Values { 59.0f, 64.8f, 61.6f, 46.9f }));
    const QString valid = line(result.report, "Number of valid robust D bootstrap trials = ");
    QCOMPARE(QString::number(run.effects.size()), valid.section(" = ", 1));
    QVERIFY(run.effects.size() > 700);
    QVERIFY(run.lowerBound && run.upperBound);
    QCOMPARE(line(result.report, "95% CI"),
        QString::fromStdString("95% CI for population Robust D = ("
            + formatReportNumber(*run.lowerBound) + ", " + formatReportNumber(*run.upperBound)
            + ")"));
    QVERIFY(run.sngRobustD);
    QCOMPARE(line(result.report, "Robust Cohen's D = "),
        QString::fromStdString("Robust Cohen's D = " + formatReportNumber(*run.sngRobustD)));
    QCOMPARE(line(result.report, "Trimmed Mean").simplified(),
        QString::fromStdString("Trimmed Mean " + formatReportNumber(run.sngTrimmedMean1) + " "
            + formatReportNumber(run.sngTrimmedMean2)));
    QCOMPARE(run.seed, std::optional<uint64_t>(20240611));
    QCOMPARE(run.sngLevel, 0.95f);
    QCOMPARE(run.dependentLabel, std::string("Var 2"));
    QCOMPARE(run.strGroup1 + run.strGroup2, std::string("12"));
}

void Tst_plotData::onlyACompletedRunLeavesItsData()
{
    BootstrapRequest badSeed = seededRequest(10);
    badSeed.strSeed = "x";
    QVERIFY(!runBootstrapAnalysis(elevenCases(), badSeed).run);

    BootstrapRequest stopped = seededRequest(10);
    BootstrapControl control;
    control.stopRequested = true;
    stopped.control = &control;
    const BootstrapResult result = runBootstrapAnalysis(elevenCases(), stopped);
    QVERIFY(result.cancelled);
    QVERIFY(!result.run);
}

void Tst_plotData::observedDThatCannotBeComputedIsLeftOut()
{
    // Winsorizing leaves each group constant: the pooled Winsorized variance is 0.
    const DataMatrix data
        = twoGroups({ 1, 1, 1, 1, 1, 1, 1, 1, 1, 9 }, { 2, 2, 2, 2, 2, 2, 2, 2, 2, 8 });
    BootstrapRequest r = seededRequest(50);
    r.lngDependent = 1;
    r.lngGrouping = 2;
    const BootstrapResult result = runBootstrapAnalysis(data, r);
    QCOMPARE(line(result.report, "Robust Cohen's D = "), QString("Robust Cohen's D = ."));
    QVERIFY(result.run);
    QVERIFY(!result.run->sngRobustD);
}

void Tst_plotData::summariesLeaveOutWhatIsNotFinite_data()
{
    QTest::addColumn<Values>("values");
    QTest::addColumn<Values>("finite"); // the same values without those that are not finite
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("no values") << Values {} << Values {};
    QTest::newRow("only NaN and infinities") << Values { nan, inf, -inf, nan } << Values {};
    QTest::newRow("NaN among values") << Values { 3, nan, 1, 2, nan, 10 } << Values { 3, 1, 2, 10 };
    QTest::newRow("infinities at both ends")
        << Values { -inf, 0.5f, 4, 1, 2.5f, inf } << Values { 0.5f, 4, 1, 2.5f };
    QTest::newRow("one finite value") << Values { nan, 7 } << Values { 7 };
    Values many = fiftySeven;
    many.insert(many.begin() + 10, 20, nan);
    many.push_back(inf);
    QTest::newRow("fifty-seven values and NaNs") << many << fiftySeven;
}

// A value that is not finite has no order and no place on an axis: every
// summary is that of the finite values alone, and none gives zeros and no bins.
void Tst_plotData::summariesLeaveOutWhatIsNotFinite()
{
    QFETCH(Values, values);
    QFETCH(Values, finite);
    const BoxSummary box = boxSummary(values);
    const Histogram histogram = freedmanDiaconis(values);
    Values reordered = values;
    const Quartiles q = quartiles(reordered);

    const BoxSummary expectedBox = finite.empty() ? BoxSummary {} : boxSummary(finite);
    QCOMPARE(box.quartiles.lower, expectedBox.quartiles.lower);
    QCOMPARE(box.quartiles.median, expectedBox.quartiles.median);
    QCOMPARE(box.quartiles.upper, expectedBox.quartiles.upper);
    QCOMPARE(box.lowerWhisker, expectedBox.lowerWhisker);
    QCOMPARE(box.upperWhisker, expectedBox.upperWhisker);
    QCOMPARE(box.minimum, expectedBox.minimum);
    QCOMPARE(box.maximum, expectedBox.maximum);
    QCOMPARE(box.lngOutliers, expectedBox.lngOutliers);
    QCOMPARE(box.outliers, expectedBox.outliers);
    QCOMPARE(q.median, box.quartiles.median);
    QCOMPARE(q.lower, box.quartiles.lower);
    QCOMPARE(q.upper, box.quartiles.upper);

    const Histogram expected = freedmanDiaconis(finite);
    QCOMPARE(histogram.counts, expected.counts);
    QCOMPARE(histogram.start, expected.start);
    QCOMPARE(histogram.binWidth, expected.binWidth);
    QCOMPARE(std::accumulate(histogram.counts.begin(), histogram.counts.end(), int64_t { 0 }),
        static_cast<int64_t>(finite.size()));
    if (finite.empty()) {
        QCOMPARE(box.maximum, 0.0);
        QVERIFY(histogram.counts.empty());
    }
}

void Tst_plotData::runsThatCannotBeDrawn_data()
{
    QTest::addColumn<BootstrapRun>("run");
    QTest::addColumn<QString>("problem");
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const auto with = [](auto change) {
        BootstrapRun run = sampleRun();
        change(run);
        return run;
    };
    const QString notFinite = QStringLiteral("a number of the run is not finite");
    const QString longLabel = QStringLiteral("a label is longer than 1000 characters");

    QTest::newRow("a run the analysis could complete") << sampleRun() << QString();
    QTest::newRow("no valid trial and no observed d") << with([](BootstrapRun& r) {
        r.effects.clear();
        r.lowerBound.reset();
        r.upperBound.reset();
        r.sngRobustD.reset();
    }) << QString();
    QTest::newRow("labels of 1000 characters, two bytes each") << with([](BootstrapRun& r) {
        std::string label;
        for (int i = 0; i < 1000; ++i)
            label += "\xc3\xa9";
        r.dependentLabel = r.strGroup1 = r.strGroup2 = label;
    }) << QString();
    QTest::newRow("group 1 without values")
        << with([](BootstrapRun& r) { r.group1.clear(); }) << "a group has no values";
    QTest::newRow("group 2 without values")
        << with([](BootstrapRun& r) { r.group2.clear(); }) << "a group has no values";
    QTest::newRow("a NaN observed d")
        << with([nan](BootstrapRun& r) { r.sngRobustD = nan; }) << notFinite;
    QTest::newRow("an infinite lower bound")
        << with([inf](BootstrapRun& r) { r.lowerBound = -inf; }) << notFinite;
    QTest::newRow("an infinite upper bound")
        << with([inf](BootstrapRun& r) { r.upperBound = inf; }) << notFinite;
    QTest::newRow("a NaN level") << with([nan](BootstrapRun& r) { r.sngLevel = nan; }) << notFinite;
    QTest::newRow("an infinite trimmed mean")
        << with([inf](BootstrapRun& r) { r.sngTrimmedMean2 = inf; }) << notFinite;
    QTest::newRow("a NaN bootstrap d")
        << with([nan](BootstrapRun& r) { r.effects[1] = nan; }) << "a bootstrap d is not finite";
    QTest::newRow("an infinite value in group 1")
        << with([inf](BootstrapRun& r) { r.group1.back() = inf; })
        << "a group's value is not finite";
    QTest::newRow("a NaN value in group 2")
        << with([nan](BootstrapRun& r) { r.group2.front() = nan; })
        << "a group's value is not finite";
    QTest::newRow("a dependent label of 1001 characters")
        << with([](BootstrapRun& r) { r.dependentLabel = std::string(1001, 'x'); }) << longLabel;
    QTest::newRow("a group value of 100 KB")
        << with([](BootstrapRun& r) { r.strGroup2 = std::string(100 * 1024, '2'); }) << longLabel;
}

// trellam-plot refuses what the analysis never hands over; each run passes
// through the file form first, as trellam-plot gets it.
void Tst_plotData::runsThatCannotBeDrawn()
{
    QFETCH(BootstrapRun, run);
    QFETCH(QString, problem);
    QCOMPARE(QString::fromStdString(plotRunProblem(run)), problem);
    const std::optional<BootstrapRun> back = readBack(written(run));
    QVERIFY(back);
    QCOMPARE(QString::fromStdString(plotRunProblem(*back)), problem);
}

QTEST_GUILESS_MAIN(Tst_plotData)
#include "tst_plotData.moc"
