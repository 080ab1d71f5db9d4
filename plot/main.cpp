// trellam-plot: draws the plots of a bootstrap run into an SVG or PNG file,
// for trellam-cli, which stays free of Qt and hands the run over a pipe.
// Usage: trellam-plot FILE.svg|FILE.png, with the run on standard input.
#include "analyses/BootstrapRun.h"
#include "widgets/BootstrapPlot.h"

#include <QApplication>

#include <cstdio>
#include <iostream>
#include <optional>

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
    const QString path = QString::fromLocal8Bit(argv[1]);
    if (!BootstrapPlot::isPictureName(path)) {
        std::cerr << "trellam-plot: the picture's name must end in .svg or .png\n";
        return 2;
    }
    std::ios::sync_with_stdio(false);
    const std::optional<BootstrapRun> run = readBootstrapRun(std::cin);
    if (!run) {
        std::cerr << "trellam-plot: standard input holds no bootstrap run\n";
        return 1;
    }
    const QString problem = BootstrapPlot::savePicture(*run, path);
    if (!problem.isEmpty()) {
        std::cerr << "trellam-plot: " << problem.toLocal8Bit().constData() << '\n';
        return 1;
    }
    return 0;
}
