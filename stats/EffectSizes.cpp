// Robust effect sizes of two groups at any trimming.
//
// The measures follow R's WRS2 1.1 (akp.effect) and Wilcox's Rallfun
// (akp.effect, kms.effect, yuenv2 with yuen.effect, shiftes, cid/cidv2),
// each oriented as group 2 against group 1.
#include "stats/EffectSizes.h"

#include <boost/math/distributions/normal.hpp>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace robust {

namespace {

constexpr double INF = std::numeric_limits<double>::infinity();

// Exact integer sums of rank counts: squares of counts near 10^7 summed over
// 10^7 values pass 2^63.
__extension__ typedef __int128 Wide;

// √c times the difference over √scale², when the scale is above 0.
std::optional<double> standardized(double rootC, double difference, double scaleSquared)
{
    if (!(scaleSquared > 0.0))
        return std::nullopt;
    const double value = rootC * difference / std::sqrt(scaleSquared);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

// The (k + 1)-th smallest of two sorted groups together (k 0-based).
float kthOfBoth(std::span<const float> a, std::span<const float> b, std::size_t k)
{
    // i values from a and k + 1 − i from b are the k + 1 smallest.
    std::size_t lo = k + 1 > b.size() ? k + 1 - b.size() : 0;
    std::size_t hi = std::min(k + 1, a.size());
    while (lo < hi) {
        const std::size_t i = lo + (hi - lo) / 2;
        if (a[i] < b[k - i])
            lo = i + 1;
        else
            hi = i;
    }
    const std::size_t j = k + 1 - lo;
    const float fromA = lo > 0 ? a[lo - 1] : -std::numeric_limits<float>::infinity();
    const float fromB = j > 0 ? b[j - 1] : -std::numeric_limits<float>::infinity();
    return std::max(fromA, fromB);
}

// The rank counts of one group's values among the other's: for each value v
// of `own`, (number of `other` below v) − (number above v), summed and
// squared-summed, with the pairs where `other` lies below and above.
struct RankCounts {
    int64_t below = 0;
    int64_t above = 0;
    Wide sum = 0;
    Wide squares = 0;
};

RankCounts rankCounts(std::span<const float> own, std::span<const float> other)
{
    RankCounts counts;
    const int64_t m = static_cast<int64_t>(other.size());
    std::size_t less = 0;
    std::size_t atMost = 0;
    for (const float v : own) {
        while (less < other.size() && other[less] < v)
            ++less;
        while (atMost < other.size() && other[atMost] <= v)
            ++atMost;
        const int64_t below = static_cast<int64_t>(less);
        const int64_t above = m - static_cast<int64_t>(atMost);
        counts.below += below;
        counts.above += above;
        const Wide d = below - above;
        counts.sum += d;
        counts.squares += d * d;
    }
    return counts;
}

// The variance (divisor n − 1) of n counts divided by `scale`, from their
// exact sums.
double countVariance(const RankCounts& counts, int64_t n, double scale)
{
    const Wide numerator = counts.squares * n - counts.sum * counts.sum;
    return static_cast<double>(numerator) / (static_cast<double>(n) * (n - 1.0)) / (scale * scale);
}

} // namespace

int32_t trimCountAt(int32_t n, int32_t trimPercent)
{
    return static_cast<int32_t>(static_cast<int64_t>(n) * trimPercent / 100);
}

double normalWinsorizedVariance(int32_t trimPercent)
{
    if (trimPercent <= 0)
        return 1.0;
    // The constant the robust d has always used.
    if (trimPercent == 20)
        return 0.4129;
    const double gamma = trimPercent / 100.0;
    const boost::math::normal_distribution<double> normal;
    const double z = quantile(complement(normal, gamma));
    return 1.0 - 2.0 * gamma - 2.0 * z * pdf(normal, z) + 2.0 * gamma * z * z;
}

TrimmedSummary trimmedSummary(std::span<const float> sorted, int32_t trimPercent)
{
    TrimmedSummary summary;
    summary.n = static_cast<int32_t>(sorted.size());
    const int32_t g = trimCountAt(summary.n, trimPercent);
    summary.g = g;
    const int32_t h = summary.n - 2 * g;
    const auto kept = sorted.subspan(static_cast<std::size_t>(g), static_cast<std::size_t>(h));
    const double lowest = kept.front();
    const double highest = kept.back();

    double keptSum = 0.0;
    for (float x : kept)
        keptSum += x;
    summary.trimmedMean = keptSum / h;

    // Equal ends leave every Winsorized value equal: the variance is exactly
    // 0, whatever rounding the mean would carry.
    if (lowest != highest) {
        const double n = summary.n;
        const double winsorizedMean = (g * lowest + keptSum + g * highest) / n;
        double squares = g * ((lowest - winsorizedMean) * (lowest - winsorizedMean))
            + g * ((highest - winsorizedMean) * (highest - winsorizedMean));
        for (float x : kept)
            squares += (x - winsorizedMean) * (x - winsorizedMean);
        summary.winsorizedVariance = squares / (n - 1.0);
    }
    return summary;
}

StandardizedDifferences standardizedDifferences(
    const TrimmedSummary& x, const TrimmedSummary& y, double c)
{
    // akp.effect and kms.effect divide t_x − t_y; group 2 minus group 1 here.
    const double rootC = std::sqrt(c);
    const double difference = y.trimmedMean - x.trimmedMean;
    const double n1 = x.n;
    const double n2 = y.n;
    StandardizedDifferences result;
    result.pooled = standardized(rootC, difference,
        ((n1 - 1.0) * x.winsorizedVariance + (n2 - 1.0) * y.winsorizedVariance) / (n1 + n2 - 2.0));
    result.group1 = standardized(rootC, difference, x.winsorizedVariance);
    result.group2 = standardized(rootC, difference, y.winsorizedVariance);
    const double q = n1 / (n1 + n2);
    result.kms = standardized(rootC, difference,
        ((1.0 - q) * x.winsorizedVariance + q * y.winsorizedVariance) / (q * (1.0 - q)));
    return result;
}

std::optional<double> explanatoryPower(std::span<const float> sortedX,
    std::span<const float> sortedY, const TrimmedSummary& x, const TrimmedSummary& y,
    int32_t trimPercent, double c)
{
    // Both groups pooled and Winsorized: every value held between the pooled
    // order statistics g + 1 and N − g.
    const std::size_t total = sortedX.size() + sortedY.size();
    const std::size_t g
        = static_cast<std::size_t>(trimCountAt(static_cast<int32_t>(total), trimPercent));
    const double lowest = kthOfBoth(sortedX, sortedY, g);
    const double highest = kthOfBoth(sortedX, sortedY, total - 1 - g);
    const auto winsorized = [&](float v) { return std::clamp<double>(v, lowest, highest); };
    double sum = 0.0;
    for (const auto group : { sortedX, sortedY }) {
        for (float v : group)
            sum += winsorized(v);
    }
    const double mean = sum / static_cast<double>(total);
    double squares = 0.0;
    double deviationX = 0.0;
    double deviationY = 0.0;
    for (float v : sortedX) {
        const double d = winsorized(v) - mean;
        deviationX += d;
        squares += d * d;
    }
    for (float v : sortedY) {
        const double d = winsorized(v) - mean;
        deviationY += d;
        squares += d * d;
    }
    const double variance = squares / (static_cast<double>(total) - 1.0);
    if (!(variance > 0.0))
        return std::nullopt;
    const double difference = x.trimmedMean - y.trimmedMean;
    double power = (difference * difference / 2.0) / (variance / c);
    if (power > 1.0) {
        // The group codes of equal groups stay as they are when Winsorized,
        // so the correlation is that of the code with the Winsorized values.
        const double r
            = (deviationY - deviationX) / std::sqrt(static_cast<double>(total) * squares);
        power = r * r;
    }
    if (!std::isfinite(power))
        return std::nullopt;
    return power;
}

PairwiseDifferences::PairwiseDifferences(
    std::span<const float> sortedX, std::span<const float> sortedY)
    : m_x(sortedX)
    , m_y(sortedY)
    , m_wideX(sortedX.begin(), sortedX.end())
    , m_wideY(sortedY.begin(), sortedY.end())
{
    m_wideY.insert(m_wideY.end(), 2, INF);
}

// As x_i grows, y_j − x_i falls: the number of y within a bound of x_i only
// grows, so one pointer into y serves every x_i. A difference of two floats
// rounded to double is monotone in each, so the walk holds for the rounded
// differences as well.
PairwiseDifferences::Probe PairwiseDifferences::probe(double t) const
{
    Probe p;
    p.below = -INF;
    p.above = INF;
    const std::size_t ny = m_y.size();
    std::size_t j = 0;
    for (const float xf : m_x) {
        const double x = xf;
        while (j < ny && m_y[j] - x <= t)
            ++j;
        p.count += static_cast<int64_t>(j);
        p.below = std::max(p.below, j > 0 ? m_y[j - 1] - x : -INF);
        p.above = std::min(p.above, j < ny ? m_y[j] - x : INF);
    }
    return p;
}

int64_t PairwiseDifferences::walk(double t, uint32_t* boundaries) const
{
    // One step either passes a y_j or closes a row, decided without a
    // branch. A single walk waits on each step's loads; the rows are
    // split into WALKS stretches walked side by side, each started by a
    // binary search, so that their steps overlap.
    constexpr std::size_t WALKS = 8;
    const double* x = m_wideX.data();
    const double* y = m_wideY.data();
    const std::size_t nx = m_wideX.size();
    const std::size_t ny = m_y.size();
    std::size_t i[WALKS];
    std::size_t end[WALKS];
    std::size_t j[WALKS];
    int64_t count[WALKS];
    for (std::size_t w = 0; w < WALKS; ++w) {
        i[w] = nx * w / WALKS;
        end[w] = nx * (w + 1) / WALKS;
        count[w] = 0;
        std::size_t lo = 0;
        std::size_t hi = ny;
        if (i[w] < end[w]) {
            while (lo < hi) {
                const std::size_t middle = lo + (hi - lo) / 2;
                if (y[middle] - x[i[w]] <= t)
                    lo = middle + 1;
                else
                    hi = middle;
            }
        }
        j[w] = lo;
    }
    uint32_t scratch = 0;
    for (bool going = true; going;) {
        going = false;
        for (std::size_t w = 0; w < WALKS; ++w) {
            if (i[w] == end[w])
                continue;
            going = true;
            const std::size_t passes = y[j[w]] - x[i[w]] <= t;
            j[w] += passes;
            // The row's count, kept when the step closes it.
            count[w] += static_cast<int64_t>(j[w] & (passes - 1));
            (boundaries ? boundaries[i[w]] : scratch) = static_cast<uint32_t>(j[w]);
            i[w] += 1 - passes;
        }
    }
    int64_t total = 0;
    for (std::size_t w = 0; w < WALKS; ++w)
        total += count[w];
    return total;
}

std::pair<int64_t, int64_t> PairwiseDifferences::countAtMost(
    double ta, double tb, std::vector<double>* band, std::size_t limit) const
{
    if (!band)
        return { walk(ta, nullptr), walk(tb, nullptr) };
    m_lower.resize(m_x.size());
    m_upper.resize(m_x.size());
    const int64_t a = walk(ta, m_lower.data());
    const int64_t b = walk(tb, m_upper.data());
    band->clear();
    if (static_cast<uint64_t>(b - a) <= limit) {
        // Most rows hold none or one: two are written every time, without a
        // loop whose length is hard to guess, and the next row writes over
        // what is not kept.
        band->resize(static_cast<std::size_t>(b - a) + 2);
        double* out = band->data();
        const double* y = m_wideY.data();
        for (std::size_t i = 0; i < m_x.size(); ++i) {
            const double x = m_wideX[i];
            const uint32_t from = m_lower[i];
            const uint32_t count = m_upper[i] - from;
            if (count <= 2) {
                out[0] = y[from] - x;
                out[1] = y[from + 1] - x;
                out += count;
            } else {
                for (uint32_t j = from; j < m_upper[i]; ++j)
                    *out++ = y[j] - x;
            }
        }
        band->resize(static_cast<std::size_t>(b - a));
    }
    return { a, b };
}

int64_t PairwiseDifferences::countAtMost(double t) const
{
    return walk(t, nullptr);
}

namespace {

// Every `step`-th value of a sorted group, from the middle of each run of
// `step`: a grid of its quantiles.
std::vector<float> everyStep(std::span<const float> sorted, std::size_t step)
{
    std::vector<float> grid;
    grid.reserve(sorted.size() / step);
    for (std::size_t k = step / 2; k < sorted.size(); k += step)
        grid.push_back(sorted[k]);
    return grid;
}

// Doubles as integers in the same order, and back.
int64_t orderKey(double value)
{
    const auto bits = std::bit_cast<int64_t>(value);
    return bits < 0 ? -(bits & std::numeric_limits<int64_t>::max()) : bits;
}

double fromOrderKey(int64_t key)
{
    return key < 0 ? std::bit_cast<double>(-key | std::numeric_limits<int64_t>::min())
                   : std::bit_cast<double>(key);
}

// The double halfway between two others in order, not in value.
double middleDouble(double a, double b)
{
    const int64_t ka = orderKey(a);
    const int64_t kb = orderKey(b);
    return fromOrderKey(ka / 2 + kb / 2 + (ka % 2 + kb % 2) / 2);
}

// Groups at least this large are first bracketed from their grids; below
// it, or for a few thousand differences, they are gathered whole.
constexpr std::size_t GRID_STEP = 8;
constexpr std::size_t GRID_FROM = 8 * GRID_STEP;
constexpr int64_t GATHER_ALWAYS = 4096;

} // namespace

std::pair<double, double> PairwiseDifferences::select(
    int64_t r1, int64_t r2, std::vector<double>& band) const
{
    // The bracket (lo, hi]: fewer than r1 differences at most lo, at least r2
    // at most hi. Probes only count; the neighbours of a value are sought
    // only where ties keep the counts from narrowing.
    const int64_t total = static_cast<int64_t>(m_x.size()) * static_cast<int64_t>(m_y.size());
    double lo = static_cast<double>(m_y.front()) - m_x.back();
    lo = std::nextafter(lo, -INF);
    int64_t countLo = 0;
    double hi = static_cast<double>(m_y.back()) - m_x.front();
    int64_t countHi = total;
    // Small enough to gather and select from in about the time of a pass.
    const int64_t gatherLimit
        = std::max<int64_t>(static_cast<int64_t>(m_x.size() + m_y.size()) / 2, GATHER_ALWAYS);
    std::optional<std::pair<double, double>> found;
    const auto update = [&](double t, int64_t count) {
        if (found || !(t > lo && t < hi))
            return;
        if (count >= r2) {
            hi = t;
            countHi = count;
        } else if (count < r1) {
            lo = t;
            countLo = count;
        } else {
            // Exactly r1 at most t: the two neighbours of t.
            const Probe p = probe(t);
            found = std::make_pair(p.below, p.above);
        }
    };
    // Counts at ta ≤ tb, each first moved into the bracket, gathering the
    // differences between them on the way; true when the bracket is then
    // (ta, tb] and all of them were gathered.
    const auto tryAt = [&](double ta, double tb) {
        ta = std::clamp(ta, lo, hi);
        tb = std::clamp(tb, ta, hi);
        const auto [a, b] = countAtMost(ta, tb, &band, static_cast<std::size_t>(gatherLimit));
        update(ta, a);
        update(tb, b);
        return !found && lo == ta && hi == tb
            && static_cast<int64_t>(band.size()) == countHi - countLo;
    };
    bool gathered = false;
    // The same selection among the groups' grids of quantiles puts each rank
    // close to where the grid has it (for smooth data within a few thousand
    // of 10^10); aiming a quarter of the gathering band outside both ranks
    // mostly brackets them narrowly enough to gather at once.
    if (total > gatherLimit && m_x.size() >= GRID_FROM && m_y.size() >= GRID_FROM) {
        const std::vector<float> gridX = everyStep(m_x, GRID_STEP);
        const std::vector<float> gridY = everyStep(m_y, GRID_STEP);
        const PairwiseDifferences grid(gridX, gridY);
        const int64_t gridTotal
            = static_cast<int64_t>(gridX.size()) * static_cast<int64_t>(gridY.size());
        const int64_t spread = gatherLimit / 4;
        const auto gridRank = [&](int64_t rank) {
            const double share = static_cast<double>(std::clamp<int64_t>(rank, 1, total))
                / static_cast<double>(total);
            return std::clamp<int64_t>(
                static_cast<int64_t>(std::ceil(share * static_cast<double>(gridTotal))), 1,
                gridTotal);
        };
        const int64_t rankA = gridRank(r1 - spread);
        const int64_t rankB = gridRank(r2 + spread);
        const double ta = grid.select(rankA, rankA, band).first;
        const double tb = grid.select(rankB, rankB, band).first;
        gathered = tryAt(ta, tb);
    }
    int64_t previousWidth = total + 1;
    while (!found) {
        const int64_t width = countHi - countLo;
        if (gathered || width <= gatherLimit) {
            if (!gathered)
                countAtMost(lo, hi, &band, static_cast<std::size_t>(width));
            const auto k = static_cast<std::ptrdiff_t>(r1 - countLo - 1);
            std::nth_element(band.begin(), band.begin() + k, band.end());
            const double first = band[static_cast<std::size_t>(k)];
            const double second
                = r2 == r1 ? first : *std::min_element(band.begin() + k + 1, band.end());
            return { first, second };
        }
        if (width > previousWidth / 2) {
            // Ties or values far from straight: find the differences next to
            // both ends. One alone in the bracket is the answer; otherwise
            // probe at it and halfway to the other among the doubles between
            // them, which halves the bracket's doubles at least: at most 64
            // such rounds.
            const double first = probe(lo).above;
            const double last = probe(hi).below;
            if (first == last)
                return { first, first };
            gathered = tryAt(first, middleDouble(first, last));
            previousWidth = width;
            continue;
        }
        previousWidth = width;
        // Aim just outside both ranks by interpolating in the bracket, where
        // the count of differences runs nearly straight.
        const int64_t margin = std::max(gatherLimit / 4, width / 16);
        const auto at = [&](int64_t target) {
            const double share = static_cast<double>(target - countLo) / static_cast<double>(width);
            return lo + (hi - lo) * std::clamp(share, 0.0, 1.0);
        };
        gathered = tryAt(at(r1 - margin), at(r2 + margin));
    }
    return *found;
}

double PairwiseDifferences::median(std::vector<double>& band) const
{
    const int64_t total = static_cast<int64_t>(m_x.size()) * static_cast<int64_t>(m_y.size());
    const auto [first, second] = total % 2 == 1 ? select((total + 1) / 2, (total + 1) / 2, band)
                                                : select(total / 2, total / 2 + 1, band);
    return (first + second) / 2.0;
}

double PairwiseDifferences::quantileShift(std::vector<double>& band) const
{
    const double total = static_cast<double>(m_x.size()) * static_cast<double>(m_y.size());
    return static_cast<double>(countAtMost(2.0 * median(band))) / total;
}

Dominance dominance(std::span<const float> sortedX, std::span<const float> sortedY, double level)
{
    // cid(y, x) in Rallfun's terms: its d is P(Y > X) − P(Y < X), its "di"
    // the counts of each y among the x, its "dh" those of each x among the y.
    const int64_t nx = static_cast<int64_t>(sortedX.size());
    const int64_t ny = static_cast<int64_t>(sortedY.size());
    const int64_t total = nx * ny;
    const RankCounts ofX = rankCounts(sortedX, sortedY); // y below and above each x
    const RankCounts ofY = rankCounts(sortedY, sortedX);
    const int64_t greater = ofX.above; // pairs with y > x
    const int64_t less = ofX.below;
    const int64_t ties = total - greater - less;
    Dominance result;
    const double n = static_cast<double>(total);
    result.p = (2.0 * static_cast<double>(greater) + static_cast<double>(ties)) / (2.0 * n);
    result.delta = static_cast<double>(greater - less) / n;
    if (greater == total || less == total)
        return result;

    const Wide s = greater - less;
    const Wide signs = static_cast<Wide>(total) * (greater + less) - s * s;
    const double pairVariance = static_cast<double>(signs) / (n * (n - 1.0));
    const double ofYVariance = countVariance(ofY, ny, static_cast<double>(nx));
    const double ofXVariance = countVariance(ofX, nx, static_cast<double>(ny));
    const double sh = ((nx - 1.0) * ofYVariance + (ny - 1.0) * ofXVariance + pairVariance) / n;
    const double alpha = (100.0 - std::nearbyint(level * 100.0)) / 100.0;
    const double z = quantile(boost::math::normal_distribution<double>(), alpha / 2.0);
    const double d = result.delta;
    const double spread = z * std::sqrt(sh) * std::sqrt((1.0 - d * d) * (1.0 - d * d) + z * z * sh);
    const double denominator = 1.0 - d * d + z * z * sh;
    result.lower = (d - d * d * d + spread) / denominator;
    result.upper = (d - d * d * d - spread) / denominator;
    return result;
}

} // namespace robust
