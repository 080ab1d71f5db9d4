// The two plots of a bootstrap run, drawn with Qt Charts, and the picture files made of them.
#include "widgets/BootstrapPlot.h"

#include "analyses/BootstrapRun.h"
#include "report/NumberFormat.h"
#include "analyses/PlotSummaries.h"
#include "analyses/TwoGroups.h"
#include "platform/NativePath.h"
#include "files/OutputFile.h"

#include <QApplication>
#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBoxPlotSeries>
#include <QBoxSet>
#include <QBuffer>
#include <QChart>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMimeData>
#include <QPainter>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QValueAxis>

#include <QtMath>

#include <algorithm>

namespace BootstrapPlot {

namespace {

// Colours chosen to stay apart in grey scale too (grey levels in brackets):
// light bars (195) with dark edges (68), black dashed bounds (0) and an
// orange observed d (128); light boxes (215) with dark edges (44), orange
// trimmed means (128) and dark grey outliers (77).
const QColor BAR_FILL(0xa6, 0xce, 0xe3);
const QColor BAR_EDGE(0x08, 0x51, 0x9c);
const QColor BOUND_LINE(0x00, 0x00, 0x00);
const QColor OBSERVED_LINE(0xe6, 0x61, 0x01);
const QColor BOX_FILL(0xc6, 0xdb, 0xef);
const QColor BOX_EDGE(0x08, 0x30, 0x6b);
const QColor MEAN_MARKER = OBSERVED_LINE;
const QColor OUTLIER_MARKER(0x4d, 0x4d, 0x4d);

// Height kept for the plot itself, in lines of text.
constexpr int PLOT_LINES = 8;

// The application's font at its size on the screen, fixed in pixels, so that
// a picture file lays its text out exactly as the window does.
QFont plotFont(double scale = 1.0, bool bold = false)
{
    QFont font = QApplication::font();
    font.setPixelSize(std::max(1, qRound(QFontInfo(font).pixelSize() * scale)));
    font.setBold(bold);
    return font;
}

QChart* newChart(const QString& title)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setTitleFont(plotFont(1.2, true));
    chart->setBackgroundRoundness(0);
    chart->setBackgroundBrush(Qt::white);
    chart->setMargins(QMargins(6, 6, 6, 6));
    chart->legend()->setFont(plotFont());
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

QValueAxis* valueAxis(QChart* chart, const QString& title, Qt::Alignment side)
{
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setTitleFont(plotFont());
    axis->setLabelsFont(plotFont());
    axis->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(axis, side);
    return axis;
}

// `low` to `high` widened by a twentieth on each side, on round tick values.
void setPaddedRange(QValueAxis* axis, double low, double high)
{
    const double pad = high > low ? (high - low) / 20.0 : std::max(1.0, std::abs(low)) / 2.0;
    axis->setRange(low - pad, high + pad);
    axis->applyNiceNumbers();
}

void attach(
    QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y, const char* name)
{
    series->setObjectName(QLatin1String(name));
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

void hideFromLegend(QChart* chart, QAbstractSeries* series)
{
    for (QLegendMarker* marker : chart->legend()->markers(series))
        marker->setVisible(false);
}

// The bars' outline: each bin goes up from 0, across and down to 0 again,
// so that every bar has its own edges.
QLineSeries* barOutline(const Histogram& histogram, QObject* parent)
{
    auto* outline = new QLineSeries(parent);
    for (std::size_t bin = 0; bin < histogram.counts.size(); ++bin) {
        const double left = histogram.start + histogram.binWidth * static_cast<double>(bin);
        const double right = left + histogram.binWidth;
        const double count = static_cast<double>(histogram.counts[bin]);
        *outline << QPointF(left, 0) << QPointF(left, count) << QPointF(right, count)
                 << QPointF(right, 0);
    }
    return outline;
}

QLineSeries* verticalLine(double x, double top, const QPen& pen, const QString& name)
{
    auto* line = new QLineSeries;
    *line << QPointF(x, 0) << QPointF(x, top);
    line->setPen(pen);
    line->setName(name);
    return line;
}

QString groupLabel(int group, const std::string& text)
{
    return QStringLiteral("Group %1 (%2)").arg(group).arg(QString::fromStdString(text).trimmed());
}

QScatterSeries* markers(QScatterSeries::MarkerShape shape, double size, const QBrush& fill,
    const QColor& edge, const QString& name)
{
    auto* series = new QScatterSeries;
    series->setMarkerShape(shape);
    series->setMarkerSize(size);
    series->setBrush(fill);
    series->setPen(QPen(edge, 1.5));
    series->setName(name);
    return series;
}

int textWidth(const QFont& font, const QString& text)
{
    return QFontMetrics(font).horizontalAdvance(text);
}

} // namespace

QString distributionTitle(const BootstrapRun& run)
{
    return QStringLiteral("Bootstrap distribution of Robust Cohen's D (V = %1)")
        .arg(static_cast<qulonglong>(run.effects.size()));
}

QChart* distributionChart(const BootstrapRun& run)
{
    QChart* chart = newChart(distributionTitle(run));
    QValueAxis* axisX = valueAxis(chart, QStringLiteral("Robust Cohen's D"), Qt::AlignBottom);
    QValueAxis* axisY = valueAxis(chart, QStringLiteral("Trials"), Qt::AlignLeft);
    const Histogram histogram = freedmanDiaconis(run.effects);

    // The axis spans the bars and every line.
    std::vector<double> spanned;
    if (!histogram.counts.empty())
        spanned = { histogram.start, histogram.end() };
    for (const std::optional<float>& x : { run.lowerBound, run.upperBound, run.sngRobustD }) {
        if (x)
            spanned.push_back(*x);
    }
    if (spanned.empty()) // no valid trial and no observed d
        spanned.push_back(0.0);
    const auto [low, high] = std::minmax_element(spanned.begin(), spanned.end());
    setPaddedRange(axisX, *low, *high);
    const int64_t tallest = histogram.counts.empty()
        ? 1
        : *std::max_element(histogram.counts.begin(), histogram.counts.end());
    axisY->setRange(0, static_cast<double>(tallest) * 1.08);
    axisY->applyNiceNumbers();
    const double top = axisY->max();

    if (!histogram.counts.empty()) {
        auto* bars = new QAreaSeries(barOutline(histogram, chart));
        bars->setName(QStringLiteral("Bootstrap d's"));
        bars->setBrush(BAR_FILL);
        bars->setPen(QPen(BAR_EDGE, 1));
        attach(chart, bars, axisX, axisY, "serBootstrapD");
    }
    if (run.lowerBound && run.upperBound) {
        QPen boundPen(BOUND_LINE, 2, Qt::DashLine);
        const QString name = QStringLiteral("%1% CI bounds").arg(levelPercent(run.sngLevel));
        attach(chart, verticalLine(*run.lowerBound, top, boundPen, name), axisX, axisY,
            "serLowerBound");
        QLineSeries* upper = verticalLine(*run.upperBound, top, boundPen, name);
        attach(chart, upper, axisX, axisY, "serUpperBound");
        hideFromLegend(chart, upper);
    }
    if (run.sngRobustD)
        attach(chart,
            verticalLine(
                *run.sngRobustD, top, QPen(OBSERVED_LINE, 3), QStringLiteral("Observed d")),
            axisX, axisY, "serObservedD");
    return chart;
}

QChart* groupsChart(const BootstrapRun& run)
{
    QChart* chart = newChart(QStringLiteral("Observed values by group"));
    const QStringList labels { groupLabel(1, run.strGroup1), groupLabel(2, run.strGroup2) };
    auto* axisX = new QBarCategoryAxis;
    axisX->append(labels);
    axisX->setLabelsFont(plotFont());
    chart->addAxis(axisX, Qt::AlignBottom);
    QValueAxis* axisY = valueAxis(chart, QString::fromStdString(run.dependentLabel), Qt::AlignLeft);

    const int markerSize = plotFont().pixelSize();
    auto* boxes = new QBoxPlotSeries;
    boxes->setBrush(BOX_FILL);
    boxes->setPen(QPen(BOX_EDGE, 1.5));
    QScatterSeries* outliers = markers(QScatterSeries::MarkerShapeCircle, markerSize * 0.6,
        Qt::NoBrush, OUTLIER_MARKER, QStringLiteral("Beyond 1.5 IQR"));
    QScatterSeries* means = markers(QScatterSeries::MarkerShapeRotatedRectangle, markerSize * 1.1,
        MEAN_MARKER, Qt::black, QStringLiteral("Trimmed mean"));
    double low = run.sngTrimmedMean1;
    double high = run.sngTrimmedMean1;
    const std::vector<float>* groups[] = { &run.group1, &run.group2 };
    const float trimmedMeans[] = { run.sngTrimmedMean1, run.sngTrimmedMean2 };
    for (int g = 0; g < 2; ++g) {
        const BoxSummary box = boxSummary(*groups[g]);
        boxes->append(new QBoxSet(box.lowerWhisker, box.quartiles.lower, box.quartiles.median,
            box.quartiles.upper, box.upperWhisker, labels[g]));
        for (float value : box.outliers)
            outliers->append(g, value);
        means->append(g, trimmedMeans[g]);
        low = std::min({ low, box.minimum, double(trimmedMeans[g]) });
        high = std::max({ high, box.maximum, double(trimmedMeans[g]) });
    }
    setPaddedRange(axisY, low, high);

    attach(chart, boxes, axisX, axisY, "serBoxes");
    hideFromLegend(chart, boxes);
    attach(chart, means, axisX, axisY, "serTrimmedMeans");
    if (outliers->count() > 0)
        attach(chart, outliers, axisX, axisY, "serOutliers");
    else
        delete outliers;
    return chart;
}

QSize chartMinimumSize(QChart* chart)
{
    // What the titles, tick labels, legend and margins take, measured by
    // laying the chart out at a roomy size.
    const QSizeF before = chart->size();
    const QSizeF roomy(4000, 4000);
    chart->resize(roomy);
    QCoreApplication::sendPostedEvents(chart, QEvent::LayoutRequest);
    const QSizeF around = roomy - chart->plotArea().size();
    const qreal sides = roomy.width() - chart->layout()->contentsRect().width();
    chart->resize(before);

    const QFont font = plotFont();
    const int line = QFontMetrics(font).height();
    int legend = 0;
    for (QLegendMarker* marker : chart->legend()->markers()) {
        if (marker->isVisible())
            legend += textWidth(font, marker->label()) + 3 * line;
    }
    // The plot keeps room for its data, its vertical axis title and each
    // category's label.
    int plotWidth = 12 * line;
    int plotHeight = PLOT_LINES * line;
    for (QAbstractAxis* axis : chart->axes()) {
        if (axis->orientation() == Qt::Vertical)
            plotHeight = std::max(plotHeight, textWidth(font, axis->titleText()) + 2 * line);
        if (auto* categories = qobject_cast<QBarCategoryAxis*>(axis)) {
            int widest = 0;
            for (const QString& label : categories->categories())
                widest = std::max(widest, textWidth(font, label));
            // A category's label gets about half of the category's width.
            plotWidth = std::max(plotWidth, 2 * categories->count() * widest + 2 * line);
        }
    }
    const int headings = std::max(textWidth(chart->titleFont(), chart->title()), legend) + 2 * line;
    return QSize(qCeil(std::max(around.width() + plotWidth, sides + headings)),
        qCeil(around.height() + plotHeight));
}

QSize plotMinimumSize(QChart* distribution, QChart* groups)
{
    return chartMinimumSize(distribution).expandedTo(chartMinimumSize(groups));
}

bool isPictureName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("svg") || suffix == QLatin1String("png");
}

namespace {

// A picture made without a window is roomy, but never below what both plots need.
const QSize DEFAULT_PICTURE_SIZE(1100, 560);

// Both plots of a run side by side in a scene of their own, built once for
// every file or clipboard form made of them.
class Picture {
public:
    explicit Picture(const BootstrapRun& run)
        : m_title(distributionTitle(run))
        , m_distribution(distributionChart(run))
        , m_groups(groupsChart(run))
    {
        m_scene.addItem(m_distribution);
        m_scene.addItem(m_groups);
    }

    // `wanted`, or for an empty size the default one.
    QSize sizeFor(const QSize& wanted)
    {
        if (!wanted.isEmpty())
            return wanted;
        const QSize each = plotMinimumSize(m_distribution, m_groups);
        return QSize(2 * each.width(), each.height()).expandedTo(DEFAULT_PICTURE_SIZE);
    }

    // Paints both plots, each on half of `size`, over `painter`'s device.
    void paint(QPainter& painter, const QSize& size)
    {
        const qreal half = size.width() / 2.0;
        m_distribution->setGeometry(QRectF(0, 0, half, size.height()));
        m_groups->setGeometry(QRectF(half, 0, half, size.height()));
        for (QChart* chart : { m_distribution, m_groups })
            QCoreApplication::sendPostedEvents(chart, QEvent::LayoutRequest);
        const QRectF area(QPointF(0, 0), QSizeF(size));
        painter.fillRect(area, Qt::white);
        painter.setRenderHint(QPainter::Antialiasing);
        m_scene.render(&painter, area, area);
    }

    void writeSvg(QIODevice* device, const QSize& size)
    {
        QSvgGenerator generator;
        generator.setOutputDevice(device);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        // One picture pixel to a CSS pixel, so that the file's own size matches the window's.
        generator.setResolution(96);
        generator.setTitle(m_title);
        generator.setDescription(QStringLiteral("Trellam bootstrap plot"));
        QPainter painter(&generator);
        paint(painter, size);
    }

    QImage image(const QSize& size, qreal devicePixelRatio)
    {
        QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(devicePixelRatio);
        QPainter painter(&image);
        paint(painter, size);
        return image;
    }

private:
    QString m_title;
    // The scene owns the charts.
    QGraphicsScene m_scene;
    QChart* m_distribution;
    QChart* m_groups;
};

} // namespace

QString savePicture(const BootstrapRun& run, const std::string& nativePath, const QSize& size,
    qreal devicePixelRatio)
{
    const QString shown = displayPath(nativePath);
    if (!isPictureName(shown))
        return QStringLiteral("%1 is not an .svg or .png file name.").arg(shown);
    // Drawn whole first: the file changes only once everything is there.
    QBuffer drawn;
    drawn.open(QIODevice::WriteOnly);
    Picture picture(run);
    const QSize pictureSize = picture.sizeFor(size);
    if (QFileInfo(shown).suffix().toLower() == QLatin1String("svg"))
        picture.writeSvg(&drawn, pictureSize);
    else if (!picture.image(pictureSize, devicePixelRatio).save(&drawn, "PNG"))
        return notSavedMessage(shown);
    if (!writeFileSafely(nativePath, drawn.data()))
        return notSavedMessage(shown);
    return QString();
}

QMimeData* pictureMimeData(const BootstrapRun& run, const QSize& size, qreal devicePixelRatio)
{
    Picture picture(run);
    auto* data = new QMimeData;
    data->setImageData(picture.image(size, devicePixelRatio));
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    picture.writeSvg(&svg, size);
    data->setData(QStringLiteral("image/svg+xml"), svg.data());
    return data;
}

} // namespace BootstrapPlot
