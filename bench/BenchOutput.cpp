// Benchmark of the output files: 20 MB of report text saved and opened with the real dialogs,
// and exported.
#include "BenchCommon.h"

#include "widgets/ExportedReport.h"
#include "widgets/OutputPane.h"
#include "files/OutputFile.h"
#include "forms/frmOpenOutput.h"
#include "forms/frmSaveOutput.h"
#include "platform/DirListBox.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <iostream>

namespace bench {

namespace {

constexpr qsizetype reportChars = 20 * 1000 * 1000;

template <typename T> T* child(QObject* parent, const char* name)
{
    return parent->findChild<T*>(QLatin1String(name));
}

// One report of the kind the analyses write: a framed table of numbers.
QString sampleReport(int number)
{
    const QString rule = QString(72, QLatin1Char('-')) + QLatin1String("\n");
    QString report
        = QLatin1String("Descriptives ") + QString::number(number) + QLatin1String("\n");
    report += rule;
    report += QLatin1String(
        "Variable        N       Mean     Median   Std Dev   Minimum   Maximum\n");
    report += rule;
    for (int variable = 1; variable <= 20; ++variable) {
        const double base = number * 0.37 + variable * 1.125;
        report += QLatin1String("Var ") + QString::number(variable).leftJustified(8)
            + QString::number(100 + variable).rightJustified(6)
            + QString::number(base, 'f', 3).rightJustified(11)
            + QString::number(base * 0.98, 'f', 3).rightJustified(11)
            + QString::number(variable * 0.25, 'f', 3).rightJustified(10)
            + QString::number(base - 7, 'f', 3).rightJustified(10)
            + QString::number(base + 7, 'f', 3).rightJustified(10) + QLatin1String("\n");
    }
    report += rule + QLatin1String("\n");
    return report;
}

QString reportText(qsizetype chars)
{
    QString text;
    text.reserve(chars + 4096);
    for (int number = 1; text.size() < chars; ++number)
        text += sampleReport(number);
    return text;
}

// Resident memory now, in megabytes (0 where unknown).
double residentMB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    }
    return 0.0;
}

// Starts the peak resident memory afresh from what is resident now (Linux).
bool resetPeakResident()
{
    std::ofstream refs("/proc/self/clear_refs");
    return static_cast<bool>(refs << "5" << std::flush);
}

void pumpEvents()
{
    QCoreApplication::processEvents();
}

// Median milliseconds for one typed character, painting included, at `where`
// (0 the start of the text, 1 its end).
double typingMilliseconds(OutputPane& pane, double where)
{
    QTextCursor cursor = pane.textCursor();
    cursor.setPosition(int(where * (pane.document()->characterCount() - 1)));
    pane.setTextCursor(cursor);
    pane.ensureCursorVisible();
    pumpEvents();
    return 1000.0 * medianSeconds(15, [&] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QCoreApplication::sendEvent(&pane, &press);
        QCoreApplication::sendEvent(&pane, &release);
        pumpEvents();
    });
}

struct Timing {
    double wallSeconds = 0;
    double cpuSeconds = 0;
};

// Median wall-clock and processor times of `repeats` runs: on a busy machine
// the processor time tells what the code itself costs.
Timing medianTiming(int repeats, const std::function<void()>& work)
{
    std::vector<double> cpu;
    const double wall = medianSeconds(repeats, [&] {
        const std::clock_t start = std::clock();
        work();
        cpu.push_back(double(std::clock() - start) / CLOCKS_PER_SEC);
    });
    std::sort(cpu.begin(), cpu.end());
    return { wall, cpu[cpu.size() / 2] };
}

void printTime(const char* what, Timing timing, double targetSeconds)
{
    std::cout << std::left << std::setw(34) << what << std::right << std::fixed
              << std::setprecision(3) << std::setw(7) << timing.wallSeconds << " s  (processor "
              << timing.cpuSeconds << " s)"
              << (timing.wallSeconds < targetSeconds ? "" : "   ** over target **") << '\n';
}

} // namespace

int runOutput(const std::vector<std::string>& args)
{
    if (args.empty()) {
        std::cerr << "usage: trellam-bench output FILE\n";
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char programName[] = "trellam-bench";
    char* argv[] = { programName, nullptr };
    QApplication app(argc, argv);

    const QFileInfo requested(QString::fromStdString(args.front()));
    const QString folder = requested.absolutePath();
    const QString name = requested.fileName();

    OutputPane pane;
    pane.resize(900, 700);
    pane.show();
    pumpEvents();
    const QString text = reportText(reportChars);
    const Timing fill = medianTiming(1, [&] { pane.replaceText(text); });
    pumpEvents();
    const qsizetype paneChars = pane.document()->characterCount();
    std::cout << "pane: " << paneChars << " characters, " << pane.blockCount() << " lines\n";

    // Every box is answered at once: a failure shows up as a dialog that did not accept.
    MessageBox::setNextAnswer(QMessageBox::Ok);
    frmSaveOutput save(&pane);
    if (!child<DirListBox>(&save, "dirDirectory")->setPath(folder)) {
        std::cerr << "not a folder: " << folder.toStdString() << '\n';
        return 1;
    }
    child<QLineEdit>(&save, "txtSavedFileName")->setText(name);
    const QString savedName = outputFileName(name);
    const QString savedPath = QDir(folder).filePath(savedName);
    const Timing saving = medianTiming(3, [&] {
        if (QFileInfo(savedPath).isFile())
            MessageBox::setNextAnswer(QMessageBox::Yes); // replace it
        child<QPushButton>(&save, "cmdSave")->click();
    });
    if (save.result() != QDialog::Accepted) {
        std::cerr << "save failed: " << MessageBox::lastText().toStdString() << '\n';
        return 1;
    }

    // Opening replaces the 20 MB already in the pane, the slower case.
    frmOpenOutput open(&pane);
    child<DirListBox>(&open, "dirDirectory")->setPath(folder);
    child<QLabel>(&open, "lblSelectedFile")->setText(savedName);
    const double beforeOpening = residentMB();
    const bool peakReset = resetPeakResident();
    const Timing opening = medianTiming(3, [&] { child<QPushButton>(&open, "cmdOpen")->click(); });
    const double openingPeak = peakResidentMB();
    if (open.result() != QDialog::Accepted) {
        std::cerr << "open failed: " << MessageBox::lastText().toStdString() << '\n';
        return 1;
    }
    pumpEvents();

    std::cout << "file: " << QDir::toNativeSeparators(savedPath).toStdString() << ", "
              << QFileInfo(savedPath).size() << " bytes\n";
    // A save followed by an open gives the text back with one more empty line.
    const bool sameText = pane.plainText() == text + QLatin1String("\n");
    std::cout << "text after save and open: " << (sameText ? "as saved" : "DIFFERENT") << '\n';
    printTime("fill pane (replaceText)", fill, 1.0);
    printTime("save (frmSaveOutput cmdSave)", saving, 1.0);
    printTime("open (frmOpenOutput cmdOpen)", opening, 1.0);
    printTime("  of which reading the file",
        medianTiming(3, [&] { readOutputText(QFile::encodeName(savedPath).toStdString()); }), 1.0);

    // A long session's pane, 2 MB of reports (some 400 pages), as each
    // exported document; laying out the pages makes the PDF the slowest.
    struct Export {
        const char* what;
        ExportFormat format;
        double targetSeconds;
    };
    const QString exported = text.left(2 * 1000 * 1000);
    for (const Export& each : { Export { "export 2 MB as HTML", ExportFormat::Html, 0.1 },
             Export { "export 2 MB as ODT", ExportFormat::Odt, 1.0 },
             Export { "export 2 MB as PDF", ExportFormat::Pdf, 5.0 } }) {
        qsizetype bytes = 0;
        printTime(each.what,
            medianTiming(1, [&] { bytes = exportedReport(exported, each.format).size(); }),
            each.targetSeconds);
        std::cout << "  " << bytes << " bytes\n";
    }

    const Timing append = medianTiming(5, [&] {
        pane.appendReport(sampleReport(0));
        pumpEvents();
    });
    printTime("append one report", append, 0.05);

    const double atStart = typingMilliseconds(pane, 0.0);
    const double atMiddle = typingMilliseconds(pane, 0.5);
    const double atEnd = typingMilliseconds(pane, 1.0);
    std::cout << std::setprecision(2) << "typing one key, ms (start / middle / end): " << atStart
              << " / " << atMiddle << " / " << atEnd << '\n';
    if (peakReset)
        std::cout << "memory while opening: " << std::setprecision(0) << beforeOpening
                  << " MB before, peak " << openingPeak << " MB" << '\n';
    std::cout << "peak memory: " << std::setprecision(0) << peakResidentMB() << " MB\n";
    return sameText ? 0 : 1;
}

} // namespace bench
