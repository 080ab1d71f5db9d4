// Benchmark of the bootstrap plots: opening the plot window, writing the pictures, and
// trellam-plot.
#include "BenchCommon.h"

#include "analyses/BootstrapRun.h"
#include "forms/frmPlot.h"
#include "widgets/BootstrapPlot.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <iostream>
#include <memory>
#include <random>
#include <sstream>

namespace bench {

namespace {

// Normal groups of `n` observations each (a few far values among them) and
// `trials` normal bootstrap d's.
std::shared_ptr<BootstrapRun> normalRun(std::size_t n, std::size_t trials)
{
    std::mt19937_64 engine(20240611);
    std::normal_distribution<float> normal;
    auto run = std::make_shared<BootstrapRun>();
    run->group1.resize(n);
    run->group2.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        run->group1[i] = 50.0f + 10.0f * normal(engine);
        run->group2[i] = 54.0f + 10.0f * normal(engine);
    }
    run->effects.resize(trials);
    for (float& d : run->effects)
        d = 0.4f + 0.05f * normal(engine);
    run->sngTrimmedMean1 = 50.0f;
    run->sngTrimmedMean2 = 54.0f;
    run->lowerBound = 0.3f;
    run->upperBound = 0.5f;
    run->sngRobustD = 0.4f;
    run->strGroup1 = "1";
    run->strGroup2 = "2";
    run->lngDependent = 1;
    run->dependentLabel = "Var 1";
    return run;
}

std::size_t sizeOption(
    const std::vector<std::string>& args, const std::string& name, std::size_t fallback)
{
    const std::string text = option(args, name, "");
    return text.empty() ? fallback : static_cast<std::size_t>(std::stoull(text));
}

// What trellam-cli does for --plot: the run through a pipe into trellam-plot.
bool runPlotProgram(const QString& program, const BootstrapRun& run, const QString& file)
{
    std::ostringstream bytes;
    writeBootstrapRun(bytes, run);
    const std::string text = bytes.str();
    QProcess process;
    process.start(program, { file });
    if (!process.waitForStarted())
        return false;
    process.write(text.data(), static_cast<qint64>(text.size()));
    process.closeWriteChannel();
    return process.waitForFinished(60000) && process.exitCode() == 0;
}

} // namespace

int runPlot(const std::vector<std::string>& args)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "trellam-bench";
    char* argv[] = { name, nullptr };
    QApplication application(argc, argv);
    const std::size_t n = sizeOption(args, "n", 1000000);
    const std::size_t trials = sizeOption(args, "trials", 1000000);
    const int repeats = static_cast<int>(sizeOption(args, "repeats", 5));
    const QString plotter = QString::fromStdString(option(args, "plotter",
        (QCoreApplication::applicationDirPath() + "/../trellam-plot").toStdString()));
    const std::shared_ptr<BootstrapRun> run = normalRun(n, trials);
    std::cout << "plot n1=n2=" << n << " trials=" << trials << '\n';

    const double window = medianSeconds(repeats, [&] {
        frmPlot plot(run);
        plot.show();
        plot.repaint();
        QCoreApplication::processEvents();
    });
    std::cout << "  open the plot window: median " << window << " s of " << repeats << '\n';

    QTemporaryDir folder;
    bool written = true;
    for (const char* file : { "plot.svg", "plot.png" }) {
        const QString path = folder.filePath(QLatin1String(file));
        const double seconds = medianSeconds(repeats, [&] {
            written
                = BootstrapPlot::savePicture(*run, QFile::encodeName(path).toStdString()).isEmpty()
                && written;
        });
        std::cout << "  write " << file << ": median " << seconds << " s\n";
        const double whole = medianSeconds(
            repeats, [&] { written = runPlotProgram(plotter, *run, path) && written; });
        std::cout << "  trellam-plot " << file << " (run piped in, program start included): median "
                  << whole << " s\n";
    }
    std::cout << "  peak memory " << peakResidentMB() << " MB\n";
    return written ? 0 : 1;
}

} // namespace bench
