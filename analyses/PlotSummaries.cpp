// What the bootstrap pictures draw: quartiles, box-plot summaries and histogram bins.
#include "analyses/PlotSummaries.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// Markers of outliers closer than this share of the range overlap anyway.
constexpr double OUTLIER_SPACING = 1.0 / 1000.0;

// The p-quantile by the rule in PlotSummaries.h of finite `values` (at
// least one), which are partly reordered.
double quantile(std::span<float> values, double p)
{
    const double h = static_cast<double>(values.size() - 1) * p;
    const std::size_t j = static_cast<std::size_t>(std::floor(h));
    const double g = h - static_cast<double>(j);
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(j), values.end());
    const double below = values[j];
    if (g == 0.0 || j + 1 >= values.size())
        return below;
    const double above
        = *std::min_element(values.begin() + static_cast<std::ptrdiff_t>(j) + 1, values.end());
    return below + g * (above - below);
}

// Keeps the first of every run of ascending values closer than `spacing`.
std::vector<float> thinned(std::vector<float> ascending, double spacing)
{
    std::vector<float> kept;
    for (float value : ascending) {
        if (kept.empty() || static_cast<double>(value) - kept.back() >= spacing)
            kept.push_back(value);
    }
    return kept;
}

// The finite ones of `values`: a value that is not a number would break
// the ordering that the quantiles and the bins rely on.
std::vector<float> finiteValues(std::span<const float> values)
{
    std::vector<float> finite;
    finite.reserve(values.size());
    std::copy_if(values.begin(), values.end(), std::back_inserter(finite),
        [](float value) { return std::isfinite(value); });
    return finite;
}

} // namespace

Quartiles quartiles(std::span<float> values)
{
    Quartiles result;
    // Only finite values count; they are gathered at the front.
    values = values.first(static_cast<std::size_t>(
        std::partition(values.begin(), values.end(), [](float v) { return std::isfinite(v); })
        - values.begin()));
    if (values.empty())
        return result;
    result.median = quantile(values, 0.5);
    result.lower = quantile(values, 0.25);
    result.upper = quantile(values, 0.75);
    return result;
}

BoxSummary boxSummary(std::span<const float> given)
{
    // Reordered by the quartiles; nothing after them depends on the order.
    std::vector<float> values = finiteValues(given);
    BoxSummary box;
    if (values.empty())
        return box;
    box.quartiles = quartiles(values);
    const double spread = box.quartiles.upper - box.quartiles.lower;
    const double lowFence = box.quartiles.lower - 1.5 * spread;
    const double highFence = box.quartiles.upper + 1.5 * spread;
    const auto [least, most] = std::minmax_element(values.begin(), values.end());
    box.minimum = *least;
    box.maximum = *most;
    // A whisker never ends inside the box.
    box.lowerWhisker = box.quartiles.lower;
    box.upperWhisker = box.quartiles.upper;
    std::vector<float> beyond;
    for (float value : values) {
        if (value < lowFence || value > highFence) {
            beyond.push_back(value);
            continue;
        }
        box.lowerWhisker = std::min<double>(box.lowerWhisker, value);
        box.upperWhisker = std::max<double>(box.upperWhisker, value);
    }
    box.lngOutliers = static_cast<int64_t>(beyond.size());
    std::sort(beyond.begin(), beyond.end());
    box.outliers = thinned(std::move(beyond), (box.maximum - box.minimum) * OUTLIER_SPACING);
    return box;
}

Histogram freedmanDiaconis(std::span<const float> given, int32_t maxBins)
{
    Histogram histogram;
    // Reordered by the quartiles; nothing after them depends on the order.
    std::vector<float> values = finiteValues(given);
    if (values.empty())
        return histogram;
    const auto [least, most] = std::minmax_element(values.begin(), values.end());
    const double minimum = *least;
    const double range = static_cast<double>(*most) - minimum;
    const double n = static_cast<double>(values.size());
    if (range == 0.0) {
        histogram.start = minimum - 0.5;
        histogram.counts = { static_cast<int64_t>(values.size()) };
        return histogram;
    }
    const Quartiles q = quartiles(values);
    const double spread = q.upper - q.lower;
    const double wanted = spread > 0.0 ? std::ceil(range / (2.0 * spread * std::pow(n, -1.0 / 3.0)))
                                       : std::ceil(std::log2(n)) + 1.0;
    const int32_t bins = static_cast<int32_t>(std::clamp(wanted, 1.0, double(maxBins)));
    histogram.start = minimum;
    histogram.binWidth = range / bins;
    histogram.counts.assign(static_cast<std::size_t>(bins), 0);
    for (float value : values) {
        const double place = (static_cast<double>(value) - minimum) / histogram.binWidth;
        const int32_t bin = std::min(static_cast<int32_t>(place), bins - 1);
        ++histogram.counts[static_cast<std::size_t>(bin)];
    }
    return histogram;
}
