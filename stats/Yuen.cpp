// Yuen's test of two independent groups' 20% trimmed means.
#include "stats/Yuen.h"

#include "stats/RobustStats.h"

#include <boost/math/distributions/students_t.hpp>

#include <cmath>
#include <vector>

namespace robust {

namespace {

// Student's t that returns NaN or infinity where Boost.Math would throw, so
// that no input can raise an exception out of the kernel.
using QuietPolicy = boost::math::policies::policy<
    boost::math::policies::domain_error<boost::math::policies::ignore_error>,
    boost::math::policies::pole_error<boost::math::policies::ignore_error>,
    boost::math::policies::overflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::underflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::denorm_error<boost::math::policies::ignore_error>,
    boost::math::policies::evaluation_error<boost::math::policies::ignore_error>,
    boost::math::policies::rounding_error<boost::math::policies::ignore_error>,
    boost::math::policies::indeterminate_result_error<boost::math::policies::ignore_error>>;
using StudentsT = boost::math::students_t_distribution<double, QuietPolicy>;

struct TrimmedGroup {
    int32_t n = 0;
    int32_t h = 0;
    double trimmedMean = 0.0;
    double winsorizedVariance = 0.0;
    // The group's share of the squared standard error: (n - 1) s²w / (h (h - 1)).
    double d = 0.0;
};

// One group sorted, trimmed and Winsorized. The Winsorized variance takes two
// passes (its mean first), which keeps cancellation out of it.
TrimmedGroup trimmedGroup(std::span<const float> values)
{
    const std::vector<float> sorted = sortAscending(values);
    TrimmedGroup group;
    group.n = static_cast<int32_t>(sorted.size());
    const int32_t g = trimCount(group.n);
    group.h = group.n - 2 * g;
    const auto kept = std::span<const float>(sorted).subspan(
        static_cast<std::size_t>(g), static_cast<std::size_t>(group.h));
    const double lowest = kept.front();
    const double highest = kept.back();

    double keptSum = 0.0;
    for (float x : kept)
        keptSum += x;
    group.trimmedMean = keptSum / group.h;

    // Equal ends leave every Winsorized value equal: the variance is exactly
    // 0, whatever rounding the mean would carry.
    if (lowest != highest) {
        const double n = group.n;
        const double winsorizedMean = (g * lowest + keptSum + g * highest) / n;
        double squares = g * ((lowest - winsorizedMean) * (lowest - winsorizedMean))
            + g * ((highest - winsorizedMean) * (highest - winsorizedMean));
        for (float x : kept)
            squares += (x - winsorizedMean) * (x - winsorizedMean);
        group.winsorizedVariance = squares / (n - 1.0);
        group.d = (n - 1.0) * group.winsorizedVariance
            / (static_cast<double>(group.h) * (group.h - 1.0));
    }
    return group;
}

} // namespace

YuenResult yuenTest(std::span<const float> group1, std::span<const float> group2, double level)
{
    YuenResult result;
    result.n1 = static_cast<int32_t>(group1.size());
    result.n2 = static_cast<int32_t>(group2.size());
    if (result.n1 < 2 || result.n2 < 2)
        return result;

    const TrimmedGroup a = trimmedGroup(group1);
    const TrimmedGroup b = trimmedGroup(group2);
    result.h1 = a.h;
    result.h2 = b.h;
    result.trimmedMean1 = a.trimmedMean;
    result.trimmedMean2 = b.trimmedMean;
    result.winsorizedVariance1 = a.winsorizedVariance;
    result.winsorizedVariance2 = b.winsorizedVariance;
    result.difference = b.trimmedMean - a.trimmedMean;
    if (a.d == 0.0 && b.d == 0.0)
        return result;

    // With one d of 0 the df is the other group's h - 1. A d above 0 lies
    // between about 1e-110 and 1e90 for any finite single-precision data, so
    // its square neither underflows nor overflows.
    const double sum = a.d + b.d;
    result.standardError = std::sqrt(sum);
    result.t = result.difference / result.standardError;
    result.df = sum * sum / (a.d * a.d / (a.h - 1.0) + b.d * b.d / (b.h - 1.0));

    const StudentsT distribution(result.df);
    result.p = 2.0 * cdf(complement(distribution, std::fabs(result.t)));
    const double alpha = (100.0 - std::nearbyint(level * 100.0)) / 100.0;
    const double margin = quantile(complement(distribution, alpha / 2.0)) * result.standardError;
    result.lower = result.difference - margin;
    result.upper = result.difference + margin;
    result.computable = true;
    return result;
}

} // namespace robust
