// The windows append exactly the reports trellam-cli prints for the same
// choices, the trimmed means test checks its choices as the effect size does,
// and split descriptives are written for a manuscript a group at a time.
#include "analyses/DescriptivesAnalysis.h"
#include "analyses/ManuscriptText.h"
#include "forms/frmMain.h"
#include "forms/frmYuen.h"
#include "platform/SaveFileDialog.h"
#include "widgets/OutputPane.h"

#include "GuiDriver.h"
#include "TestData.h"

#include <QAction>
#include <QClipboard>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(DataMatrix)

using gui::child;
using gui::click;
using gui::toggleItem;
using gui::typeInto;

namespace {

QString golden(const QString& name)
{
    QFile file(QStringLiteral(TRELLAM_SOURCE_DIR "/tests/golden/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("golden file %s is missing", qPrintable(name));
    return QString::fromUtf8(file.readAll());
}

// Dependent variable Var 2, grouping variable Var 1, groups 1 and 2.
void chooseGroups(QWidget* dialog)
{
    toggleItem(dialog, "lstDV", 1);
    toggleItem(dialog, "lstGV", 0);
    typeInto(dialog, "txtGroup1", QStringLiteral("1"));
    typeInto(dialog, "txtGroup2", QStringLiteral("2"));
}

} // namespace

class Tst_windowReports : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void reportsMatchTheCommandLine_data();
    void reportsMatchTheCommandLine();
    void trimmedMeansTestChecksItsChoices_data();
    void trimmedMeansTestChecksItsChoices();
    void manuscriptOfDescriptivesByGroup();
};

void Tst_windowReports::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void Tst_windowReports::reportsMatchTheCommandLine_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("analysis");
    QTest::addColumn<QString>("level");
    // What Copy Last Result for Manuscript gives as text, from the reports'
    // numbers (and SciPy's for Yuen's t), each rounded to 2 decimals once.
    QTest::addColumn<QString>("sentence");
    const QStringList sentences {
        "Var 1: N = 30, M = 1.50, SD = 0.51; Var 2: N = 28, M = 42.32, SD = 8.59; "
        "Var 3: N = 29, M = 39.03, SD = 13.37",
        "robust d = −1.43, 95% CI [−2.58, −0.58], percentile bootstrap, "
        "2000 resamples, seed 20261208",
        "Yuen's t(17.91) = −4.15, p < .001, difference in 20% trimmed means = −9.48, "
        "95% CI [−14.29, −4.67]",
        "Var 1: N = 40, M = 1.50, SD = 0.51; Var 2: N = 39, M = 565.85, SD = 123.27; "
        "Var 3: N = 39, M = 2.69, SD = 1.40",
        "robust d = 1.50, 90% CI [0.90, 2.37], percentile bootstrap, 2000 resamples, "
        "seed 20261208",
        "Yuen's t(22.84) = 4.58, p < .001, difference in 20% trimmed means = 107.93, "
        "90% CI [67.57, 148.29]",
    };
    int row = 0;
    for (const auto& [sample, delimiter, level] :
        { std::tuple { "anxiety_comma", "optComma", "opt95CI" },
            std::tuple { "reaction_times_tab", "optTab", "opt90CI" } }) {
        for (const char* analysis : { "descriptives", "bootstrap", "yuen" })
            QTest::addRow("%s of %s", analysis, sample)
                << sample << delimiter << analysis << level << sentences[row++];
    }
    QTest::newRow("effects of anxiety_comma")
        << "anxiety_comma" << "optComma" << "effects" << "opt95CI"
        << "AKP robust d = −1.43, 95% CI [−2.58, −0.58]; AKP robust d (Group 1 variance) = "
           "−1.38, 95% CI [−4.55, −0.54]; AKP robust d (Group 2 variance) = −1.48, 95% CI "
           "[−3.50, −0.59]; KMS d = −0.72, 95% CI [−1.29, −0.29]; ξ = 0.73, 95% CI [0.43, 0.97]; "
           "quantile shift = 0.14, 95% CI [0.02, 0.33]; P(Group 2 > Group 1) = 0.16, 95% CI "
           "[0.06, 0.37]; Cliff's δ = −0.67, 95% CI [−0.88, −0.25]; percentile bootstrap, 2000 "
           "resamples, seed 20261208";
}

void Tst_windowReports::reportsMatchTheCommandLine()
{
    QFETCH(QString, sample);
    QFETCH(QString, delimiter);
    QFETCH(QString, analysis);
    QFETCH(QString, level);
    QFETCH(QString, sentence);
    std::unique_ptr<frmMain> window;
    gui::showMainWindow(window);
    gui::importDataFile(window.get(), QStringLiteral(TRELLAM_SOURCE_DIR "/examples"),
        sample + ".txt", delimiter);
    // Nothing to copy or reproduce before an analysis has completed.
    QVERIFY(!child<QAction>(window.get(), "mnuCopyManuscript")->isEnabled());
    QVERIFY(!child<QAction>(window.get(), "mnuSaveScript")->isEnabled());
    auto* pane = child<OutputPane>(window.get(), "txtOutput");
    const qsizetype importReport = pane->plainText().size();
    QVERIFY(importReport > 0);

    bool ran = false;
    if (analysis == "descriptives") {
        ran = gui::withMenuDialog(window.get(), "mnuDescriptives", "frmDescriptives",
            [](QWidget* dialog) {
                toggleItem(dialog, "lstItems", 0);
                toggleItem(dialog, "lstItems", 2); // checks the range Var 1 to Var 3
                click(dialog, "cmdOK");
            });
    } else if (analysis == "bootstrap") {
        ran = gui::withMenuDialog(
            window.get(), "mnuBootstrap", "frmBootstrap", [&](QWidget* dialog) {
                chooseGroups(dialog);
                click(dialog, "opt2000");
                click(dialog, qPrintable(level));
                typeInto(dialog, "txtSeed", QStringLiteral("20261208"));
                gui::runToEnd(dialog);
            });
    } else if (analysis == "effects") {
        ran = gui::withMenuDialog(
            window.get(), "mnuEffects", "frmEffects", [&](QWidget* dialog) {
                chooseGroups(dialog);
                click(dialog, qPrintable(level));
                typeInto(dialog, "txtSeed", QStringLiteral("20261208"));
                gui::runToEnd(dialog);
            });
    } else {
        ran = gui::withMenuDialog(window.get(), "mnuYuen", "frmYuen", [&](QWidget* dialog) {
            chooseGroups(dialog);
            click(dialog, qPrintable(level));
            click(dialog, "cmdOK");
        });
    }
    QVERIFY(ran);
    QCOMPARE(pane->plainText().mid(importReport), golden(sample + "." + analysis + ".txt"));
    // The same run for a manuscript: the sentence as plain text, the table as HTML.
    QApplication::clipboard()->clear();
    window->activateWindow();
    QTRY_VERIFY(window->isActiveWindow());
    gui::press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const auto copied = [](bool html) {
        const QMimeData* mime = QApplication::clipboard()->mimeData();
        return !mime ? QString() : html ? mime->html() : mime->text();
    };
    QTRY_COMPARE(copied(false), sentence);
    const QString html = copied(true);
    QVERIFY(html.contains("<table") && html.contains("<i>Note.</i>"));
    QVERIFY(!html.contains("border-left") && !html.contains("border-right"));
    QVERIFY(html.contains(analysis == "descriptives" ? "<i>SD</i>"
            : analysis == "effects"                  ? "<i>d</i>"
                                                     : "<i>n</i>"));

    // Its reproduction script reads the data file by its absolute path.
    QTemporaryDir folder;
    SaveFileDialog::setNextFileName(folder.filePath("reproduce.R"));
    child<QAction>(window.get(), "mnuSaveScript")->trigger();
    QFile script(folder.filePath("reproduce.R"));
    QVERIFY(script.open(QIODevice::ReadOnly));
    const QByteArray text = script.readAll();
    QVERIFY(text.contains("ANALYSIS <- '" + analysis.toUtf8() + "'\n"));
    QVERIFY(text.contains("DATA_FILE <- \"" TRELLAM_SOURCE_DIR "/examples/" + sample.toUtf8()
        + ".txt\"\n"));
    // A name of neither kind gets the Python script, which prints the whole report.
    SaveFileDialog::setNextFileName(folder.filePath("reproduce"));
    child<QAction>(window.get(), "mnuSaveScript")->trigger();
    QFile python(folder.filePath("reproduce"));
    QVERIFY(python.open(QIODevice::ReadOnly));
    QVERIFY(python.readAll().contains("ANALYSIS = '" + analysis.toUtf8() + "'\n"));
    gui::closeMainWindow(window);
}

void Tst_windowReports::trimmedMeansTestChecksItsChoices_data()
{
    QTest::addColumn<DataMatrix>("data");
    QTest::addColumn<int>("dependent"); // 0-based list rows; -1 for none
    QTest::addColumn<int>("grouping");
    QTest::addColumn<QString>("group1");
    QTest::addColumn<QString>("message");
    const DataMatrix ordinary = twoGroups({ 1, 2, 3, 4 }, { 3, 4, 5, 7 });
    QTest::newRow("no dependent variable")
        << ordinary << -1 << 1 << "1" << "A dependent variable must be selected.";
    QTest::newRow("no grouping variable")
        << ordinary << 0 << -1 << "1" << "A grouping variable must be selected.";
    QTest::newRow("group 1 text not a number")
        << ordinary << 0 << 1 << "one" << "The value provided for Group 1 is not valid.";
    DataMatrix labelled = twoGroups({ 1, 2, 3, 4 }, { 3, 4, 5, 7 });
    labelled.setLabels(2, { "OJ", "VC" });
    QTest::newRow("group 1 text no label of the grouping variable")
        << labelled << 0 << 1 << "VC " << "The value provided for Group 1 is not valid.";
    QTest::newRow("a labelled dependent variable")
        << labelled << 1 << 0 << "1" << "Var 2 holds text labels, not numbers.";
    QTest::newRow("group 1 too small") << twoGroups({ 1 }, { 3, 4 }) << 0 << 1 << "1"
                                       << "There is an insufficient number of observations "
                                          "for Group 1.";
    QTest::newRow("both variances zero") << twoGroups({ 2, 2 }, { 5, 5, 5 }) << 0 << 1 << "1"
                                         << "Group 1 and Group 2 both have a zero variance.";
    QTest::newRow("both Winsorized variances zero")
        << twoGroups({ 1, 5, 5, 5, 9 }, { 2, 6, 6, 6, 10 }) << 0 << 1 << "1"
        << "Both groups have a zero Winsorized variance.";
}

void Tst_windowReports::trimmedMeansTestChecksItsChoices()
{
    QFETCH(DataMatrix, data);
    QFETCH(int, dependent);
    QFETCH(int, grouping);
    QFETCH(QString, group1);
    QFETCH(QString, message);
    OutputPane pane;
    frmYuen dialog(data, &pane);
    // A failed run leaves no result to copy or reproduce.
    QSignalSpy completed(&dialog, &AnalysisDialog::analysisCompleted);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Trimmed Means Test"));
    if (dependent >= 0)
        toggleItem(&dialog, "lstDV", dependent);
    if (grouping >= 0)
        toggleItem(&dialog, "lstGV", grouping);
    typeInto(&dialog, "txtGroup1", group1);
    typeInto(&dialog, "txtGroup2", QStringLiteral("2"));
    const QList<gui::Box> boxes = gui::answeringBoxes([&] { click(&dialog, "cmdOK"); });
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, QStringLiteral("Analysis Error"));
    QCOMPARE(boxes.first().text, message);
    QVERIFY(dialog.isVisible());
    QCOMPARE(pane.plainText(), QString());
    QCOMPARE(completed.count(), 0);
}

QTEST_MAIN(Tst_windowReports)
// Split descriptives for a manuscript: a clause and a table row a group. The
// figures are NumPy's and SciPy's (trim_mean, mstats.winsorize at 20%).
void Tst_windowReports::manuscriptOfDescriptivesByGroup()
{
    DataMatrix data = twoGroups({ 1, 2, 3, 4, 10 }, { 3, 4, 5, 7 });
    data.setNames({ "len", "supp" });
    data.setLabels(2, { "A & B", "C" });
    const std::vector<int32_t> columns { 1, 2 };
    const AnalysisResult result = descriptivesAnalysis(data, columns, '.', 2);
    QVERIFY(result.record);
    QCOMPARE(QString::fromStdString(manuscriptSentence(*result.record)),
        "Var 1 (len) where Var 2 (supp) = A & B: N = 5, M = 4.00, SD = 3.54, Mdn = 3.00, "
        "trimmed M = 3.00, Winsorized SD = 1.00; Var 1 (len) where Var 2 (supp) = C: N = 4, "
        "M = 4.75, SD = 1.71, Mdn = 4.50, trimmed M = 4.75, Winsorized SD = 1.71");
    const std::string html = manuscriptTable(*result.record);
    QVERIFY(
        html.find("Descriptive Statistics of Var 1 (len) by Var 2 (supp)") != std::string::npos);
    QVERIFY(html.find(">A &amp; B</td><td") != std::string::npos);
    QVERIFY(html.find(">3.54</td><td") != std::string::npos
        && html.find("<i>Mdn</i>") != std::string::npos);
}

#include "tst_windowReports.moc"
