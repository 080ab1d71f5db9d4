// Yuen's test of two independent groups' trimmed means.
#include "stats/Yuen.h"

#include "stats/EffectSizes.h"
#include "stats/RobustStats.h"

#include <boost/math/distributions/students_t.hpp>

#include <cmath>

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

// One group sorted, trimmed and Winsorized as the effect sizes do it.
TrimmedGroup trimmedGroup(std::span<const float> values, int32_t trimPercent)
{
    const TrimmedSummary summary = trimmedSummary(sortAscending(values), trimPercent);
    TrimmedGroup group;
    group.n = summary.n;
    group.h = summary.n - 2 * summary.g;
    group.trimmedMean = summary.trimmedMean;
    group.winsorizedVariance = summary.winsorizedVariance;
    if (summary.winsorizedVariance > 0.0) {
        group.d = (summary.n - 1.0) * summary.winsorizedVariance
            / (static_cast<double>(group.h) * (group.h - 1.0));
    }
    return group;
}

} // namespace

YuenResult yuenTest(
    std::span<const float> group1, std::span<const float> group2, double level, int32_t trimPercent)
{
    YuenResult result;
    result.n1 = static_cast<int32_t>(group1.size());
    result.n2 = static_cast<int32_t>(group2.size());
    if (result.n1 < 2 || result.n2 < 2)
        return result;

    const TrimmedGroup a = trimmedGroup(group1, trimPercent);
    const TrimmedGroup b = trimmedGroup(group2, trimPercent);
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
    // A group of d = 0 adds nothing, even one that keeps a single value.
    const auto share = [](const TrimmedGroup& group) {
        return group.d > 0.0 ? group.d * group.d / (group.h - 1.0) : 0.0;
    };
    result.df = sum * sum / (share(a) + share(b));

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
