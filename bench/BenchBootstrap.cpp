// Benchmark of the effect-size bootstrap: the analysis logic alone, and the real dialog offscreen.
#include "BenchCommon.h"

#include "analyses/BootstrapAnalysis.h"
#include "RankCountingSort.h"
#include "data/Parallel.h"
#include "forms/frmBootstrap.h"
#include "widgets/OutputPane.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <charconv>
#include <iostream>
#include <random>

namespace bench {

namespace {

BootstrapRequest benchRequest(int32_t trials, float level)
{
    BootstrapRequest request;
    request.lngDependent = 1;
    request.lngGrouping = 2;
    request.strGroup1 = "1";
    request.strGroup2 = "2";
    request.lngTrials = trials;
    request.sngLevel = level;
    request.clockSeed = 12345;
    return request;
}

} // namespace

int runBootstrap(const std::vector<std::string>& args)
{
    const int32_t n1 = numberOption<int32_t>(args, "n1", 1000);
    const int32_t n2 = numberOption<int32_t>(args, "n2", 1000);
    const int32_t trials = numberOption<int32_t>(args, "trials", 2000);
    const float level = numberOption<float>(args, "level", 0.95f);
    const int32_t repeats = numberOption<int32_t>(args, "repeats", n1 + n2 <= 4000 ? 9 : 3);
    if (n1 < 2 || n2 < 2 || trials < 0) {
        std::cerr << "usage: trellam-bench bootstrap --n1 N --n2 N --trials B --level 0.95\n";
        return 2;
    }
    const DataMatrix data = normalGroups(n1, n2);
    BootstrapRequest request = benchRequest(trials, level);

    AnalysisResult fast;
    std::string firstReport;
    bool sameReports = true;
    const ThreadTimes times = timeOnThreads(repeats, [&] {
        fast = runBootstrapAnalysis(data, request);
        if (firstReport.empty())
            firstReport = fast.report;
        sameReports = sameReports && fast.report == firstReport;
    });
    if (!fast.message.empty()) {
        std::cerr << fast.message << '\n';
        return 1;
    }
    std::cout << "bootstrap n1=" << n1 << " n2=" << n2 << " trials=" << trials << " level=" << level
              << '\n';
    printThreadTimes("  linear ordering, median of " + std::to_string(repeats), times);
    std::cout << "  reports on 1 and " << times.threads << " threads "
              << (sameReports ? "identical" : "DIFFERENT") << '\n';

    if (n1 + n2 <= 4000) {
        request.sort = &robust::rankCountingSort;
        AnalysisResult reference;
        const double referenceSeconds
            = medianSeconds(1, [&] { reference = runBootstrapAnalysis(data, request); });
        std::cout << "  rank counting:    " << referenceSeconds << " s, "
                  << referenceSeconds / times.manyThreads << " times slower, reports "
                  << (reference.report == fast.report ? "identical" : "DIFFERENT") << '\n';
    }
    std::cout << "  peak memory " << peakResidentMB() << " MB\n";
    return sameReports ? 0 : 1;
}

int runBootstrapDialog(const std::vector<std::string>& args)
{
    const int32_t n1 = numberOption<int32_t>(args, "n1", 1000);
    const int32_t n2 = numberOption<int32_t>(args, "n2", 1000);
    const int32_t repeats = numberOption<int32_t>(args, "repeats", n1 + n2 <= 4000 ? 5 : 3);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "trellam-bench";
    char* argv[] = { name, nullptr };
    QApplication application(argc, argv);
    const DataMatrix data = normalGroups(n1, n2);
    OutputPane pane;
    frmBootstrap dialog(data, &pane);
    dialog.findChild<QListWidget*>("lstDV")->item(0)->setCheckState(Qt::Checked);
    dialog.findChild<QListWidget*>("lstGV")->item(1)->setCheckState(Qt::Checked);
    dialog.findChild<QLineEdit*>("txtGroup1")->setText("1");
    dialog.findChild<QLineEdit*>("txtGroup2")->setText("2");
    dialog.findChild<QRadioButton*>("opt2000")->setChecked(true);
    auto* ok = dialog.findChild<QPushButton*>("cmdOK");

    const double windowSeconds = medianSeconds(repeats, [&] {
        dialog.show();
        ok->click();
    });
    const int reports = pane.toPlainText().count("GROUP-LEVEL STATISTICS");
    const BootstrapRequest request = benchRequest(2000, 0.95f);
    const double kernelSeconds
        = medianSeconds(repeats, [&] { runBootstrapAnalysis(data, request); });
    std::cout << "bootstrap dialog n1=" << n1 << " n2=" << n2 << " trials=2000 on "
              << workerThreads() << " threads: window median " << windowSeconds
              << " s, the analysis alone " << kernelSeconds << " s ("
              << (windowSeconds / kernelSeconds - 1.0) * 100.0 << "% more), " << reports
              << " reports, peak memory " << peakResidentMB() << " MB\n";
    return reports == repeats ? 0 : 1;
}

} // namespace bench
