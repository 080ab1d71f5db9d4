// trellam-plot: draws the plots of a bootstrap run into an SVG or PNG file,
// for trellam-cli, which stays free of Qt and hands the run over a pipe.
// Usage: trellam-plot FILE.svg|FILE.png, with the run on standard input.
#include "analyses/BootstrapRun.h"
#include "platform/NativePath.h"
#include "widgets/BootstrapPlot.h"

#include <QApplication>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: trellam-plot FILE.svg|FILE.png (the run comes on standard input)\n";
        return 2;
    }
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    // No window is ever shown: the pictures need no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The name's own bytes, which need not be valid in the system's encoding.
    const std::string path = commandLineFile(argc, argv);
    if (!BootstrapPlot::isPictureName(displayPath(path))) {
        std::cerr << "trellam-plot: the picture's name must end in .svg or .png\n";
        return 2;
    }
    std::ios::sync_with_stdio(false);
    const std::optional<BootstrapRun> run = readBootstrapRun(std::cin);
    if (!run) {
        std::cerr << "trellam-plot: standard input holds no bootstrap run\n";
        return 1;
    }
    if (const std::string problem = plotRunProblem(*run); !problem.empty()) {
        std::cerr << "trellam-plot: the run cannot be drawn: " << problem << '\n';
        return 1;
    }
    const QString problem = BootstrapPlot::savePicture(*run, path);
    if (!problem.isEmpty()) {
        std::cerr << "trellam-plot: " << problem.toLocal8Bit().constData() << '\n';
        return 1;
    }
    return 0;
}
