// The two plots of a bootstrap run, drawn with Qt Charts, and the picture files made of them.
#pragma once

#include <QSize>
#include <QString>

#include <string>

class QChart;
class QMimeData;
struct BootstrapRun;

namespace BootstrapPlot {

// "Bootstrap distribution of Robust Cohen's D (V = <valid trials>)".
QString distributionTitle(const BootstrapRun& run);

// The histogram of the valid bootstrap d's (Freedman-Diaconis bins) with a
// dashed line at each bound of the interval and a solid one at the observed
// d. The caller owns the chart.
QChart* distributionChart(const BootstrapRun& run);

// A box plot of each group's observed values with its trimmed mean and the
// values beyond the whiskers. The caller owns the chart.
QChart* groupsChart(const BootstrapRun& run);

// The smallest size at which `chart` shows its title, legend, axis titles
// and labels whole and keeps room for the plot. Lays the chart out on the way.
QSize chartMinimumSize(QChart* chart);
// The smallest size that suits both plots: the pictures and the window give
// them equal halves.
QSize plotMinimumSize(QChart* distribution, QChart* groups);

// Writes both plots side by side, each on half of `size`, to the file at
// `nativePath` (platform/NativePath.h): SVG or PNG by the name's extension
// (any case); a PNG holds size × `devicePixelRatio` pixels. An empty `size`
// is a roomy default that still shows both plots whole. The file is written
// as every saved file is (writeFileSafely): only a regular file is replaced,
// and only once the whole picture is written. Returns an empty text, or what
// went wrong.
QString savePicture(const BootstrapRun& run, const std::string& nativePath,
    const QSize& size = QSize(), qreal devicePixelRatio = 1);

// True for a name that savePicture can write: it ends in .svg or .png.
bool isPictureName(const QString& path);

// Both plots for the clipboard: as an image, and as SVG for programs that take it.
QMimeData* pictureMimeData(const BootstrapRun& run, const QSize& size, qreal devicePixelRatio);

} // namespace BootstrapPlot
