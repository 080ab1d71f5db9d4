// The effect-size bootstrap dialog driven offscreen: choices, messages, report, run, lifecycle;
// and the run on a worker that it shares with the robust effect sizes dialog.
#include "forms/frmBootstrap.h"
#include "forms/frmEffects.h"
#include "widgets/OutputPane.h"
#include "forms/frmMain.h"
#include "data/DataMatrix.h"
#include "data/Parallel.h"

#include "GuiDriver.h"
#include "TestData.h"
#include <QApplication>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>

#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>

Q_DECLARE_METATYPE(DataMatrix)

using gui::checkedRows;
using gui::child;
using gui::click;
using gui::toggleItem;
using gui::typeInto;

namespace {

// Nineteen observations in two groups: the observed robust d is 1.116.
DataMatrix nineteenCases()
{
    return twoGroups({ 40.2f, 45.9f, 53.8f, 39.7f, 62.3f, 47.8f, 43.7f, 51.2f, 52.2f, 51.7f },
        { 59.0f, 64.8f, 61.6f, 63.9f, 76.6f, 46.9f, 53.2f, 61.5f, 41.7f });
}

// Two groups of `n` cases each, column 1 the values and column 2 the codes 1 and 2.
DataMatrix largeGroups(int n)
{
    std::vector<float> group1;
    std::vector<float> group2;
    for (int i = 0; i < n; ++i) {
        group1.push_back(static_cast<float>(i % 97));
        group2.push_back(static_cast<float>(i % 89 + 5));
    }
    return twoGroups(group1, group2);
}

// nineteenCases() with named columns, the groups labelled OJ and VC.
DataMatrix labelledCases()
{
    DataMatrix data = nineteenCases();
    data.setNames({ "len", "supp" });
    data.setLabels(2, { "OJ", "VC" });
    return data;
}

// Types a group value as a user does and leaves the box with Tab, which also
// closes the list of labels the box may offer.
void typeGroupValue(QWidget* dialog, const char* box, const QString& text)
{
    typeInto(dialog, box, text);
    QCompleter* offered = child<QLineEdit>(dialog, box)->completer();
    if (offered->completionCount() > 0 && offered->completionPrefix() == text) {
        QTRY_VERIFY(QApplication::activePopupWidget());
        gui::press(Qt::Key_Tab);
    }
    QCOMPARE(QApplication::activePopupWidget(), nullptr);
}

// The reports of either window that runs trials.
int reportCount(const OutputPane& pane)
{
    const QString text = pane.toPlainText();
    return text.count(QStringLiteral("GROUP-LEVEL STATISTICS"))
        + text.count(QStringLiteral("ROBUST EFFECT SIZES ("));
}

// A row for a window whose analysis runs its trials on a worker: the
// window, cases and trials that keep its run short, and more trials.
QTestData& trialWindowRow(const char* window, const char* behaviour)
{
    const bool bootstrap = QByteArray(window) == "frmBootstrap";
    return QTest::addRow("%s: %s", window, behaviour)
        << QString::fromLatin1(window) << (bootstrap ? 2000 : 500) << (bootstrap ? 600 : 100)
        << (bootstrap ? 2000 : 200);
}

// Chooses `trials` in either window: an option, or the number in a box.
void chooseTrials(QWidget* dialog, int trials)
{
    if (auto* box = dialog->findChild<QSpinBox*>(QStringLiteral("spnTrials")))
        box->setValue(trials);
    else
        click(dialog, qPrintable(QStringLiteral("opt%1").arg(trials)));
}

bool trialsChosen(QWidget* dialog, int trials)
{
    if (auto* box = dialog->findChild<QSpinBox*>(QStringLiteral("spnTrials")))
        return box->value() == trials;
    return child<QRadioButton>(dialog, qPrintable(QStringLiteral("opt%1").arg(trials)))
        ->isChecked();
}

} // namespace

class Tst_frmBootstrap : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void showsItsControlsAndDefaults();
    void listsKeepAtMostOneChecked();
    void groupingValuesAreListedAndLabelsOffered();
    void groupsChosenByLabel_data();
    void groupsChosenByLabel();
    void messages_data();
    void messages();
    void reportIsAppendedAndDialogHides_data();
    void reportIsAppendedAndDialogHides();
    void stoppingARunAppendsNothing_data();
    void stoppingARunAppendsNothing();
    void aRunTakesNoOtherInput();
    void failedRunShowsItsMessage_data();
    void failedRunShowsItsMessage();
    void closingTheProgramDuringARun();
    void choicesLastUntilCloseBoxOrImport();

private:
    void openDialog(const QString& window = QStringLiteral("frmBootstrap"));
    void chooseGroups(QWidget* dialog);
    void startHeldRun(QWidget* dialog);
    void releaseTrials();
    void verifyInputsEnabled(QWidget* dialog, bool enabled);
    void importDataFile(const QString& name, const QByteArray& bytes);

    std::unique_ptr<OutputPane> m_pane;
    QPointer<TwoGroupDialog> m_dialog;
    DataMatrix m_data;
    QTemporaryDir m_folder;
    std::unique_ptr<frmMain> m_window;
    // Trials held by startHeldRun() wait for this.
    std::atomic<bool> m_release { false };
    QString m_trialBefore;
};

void Tst_frmBootstrap::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void Tst_frmBootstrap::init()
{
    m_release = false;
    m_trialBefore.clear();
    m_pane = std::make_unique<OutputPane>();
    m_pane->setPlainText(QStringLiteral("Earlier text"));
}

void Tst_frmBootstrap::cleanup()
{
    releaseTrials();
    setWorkerThreads(0);
    delete m_dialog;
    m_pane.reset();
    if (m_window)
        gui::closeMainWindow(m_window);
}

void Tst_frmBootstrap::openDialog(const QString& window)
{
    if (window == QLatin1String("frmEffects"))
        m_dialog = new frmEffects(m_data, m_pane.get());
    else
        m_dialog = new frmBootstrap(m_data, m_pane.get());
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
}

// Var 1 by Var 2, groups 1 and 2.
void Tst_frmBootstrap::chooseGroups(QWidget* dialog)
{
    toggleItem(dialog, "lstDV", 0);
    toggleItem(dialog, "lstGV", 1);
    typeInto(dialog, "txtGroup1", "1");
    typeInto(dialog, "txtGroup2", "2");
}

void Tst_frmBootstrap::showsItsControlsAndDefaults()
{
    m_data = matrixFromRows({ { 1, 2, 3 } });
    openDialog();
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Effect Size Bootstrap"));
    for (const char* list : { "lstDV", "lstGV" }) {
        auto* widget = child<QListWidget>(m_dialog, list);
        QCOMPARE(widget->count(), 3);
        QCOMPARE(widget->item(0)->text(), QStringLiteral("Var 1"));
        QCOMPARE(widget->item(2)->text(), QStringLiteral("Var 3"));
        QVERIFY(checkedRows(m_dialog, list).isEmpty());
    }
    const char* trials[] = { "opt600", "opt800", "opt1000", "opt1200", "opt1400", "opt1600",
        "opt1800", "opt2000", "opt5000", "opt10000" };
    for (const char* name : trials)
        QCOMPARE(child<QRadioButton>(m_dialog, name)->isChecked(), name == trials[0]);
    QCOMPARE(child<QRadioButton>(m_dialog, "opt2000")->text(), QStringLiteral("2000"));
    QCOMPARE(child<QRadioButton>(m_dialog, "opt10000")->text(), QStringLiteral("10000"));
    QVERIFY(child<QRadioButton>(m_dialog, "opt95CI")->isChecked());
    QCOMPARE(child<QRadioButton>(m_dialog, "opt99CI")->text(), QStringLiteral("99% CI"));
    for (const char* name : { "txtGroup1", "txtGroup2", "txtTrial" })
        QVERIFY(child<QLineEdit>(m_dialog, name)->text().isEmpty());
    QCOMPARE(child<QPushButton>(m_dialog, "cmdOK")->text(), QStringLiteral("OK"));
    QCOMPARE(child<QPushButton>(m_dialog, "cmdCancel")->text(), QStringLiteral("Cancel"));
}

void Tst_frmBootstrap::listsKeepAtMostOneChecked()
{
    m_data = nineteenCases();
    openDialog();
    toggleItem(m_dialog, "lstDV", 0);
    QCOMPARE(checkedRows(m_dialog, "lstDV"), QList<int> { 0 });
    toggleItem(m_dialog, "lstDV", 1);
    QCOMPARE(checkedRows(m_dialog, "lstDV"), QList<int> { 1 });
    toggleItem(m_dialog, "lstGV", 1);
    toggleItem(m_dialog, "lstGV", 0);
    QCOMPARE(checkedRows(m_dialog, "lstGV"), QList<int> { 0 });
    QCOMPARE(checkedRows(m_dialog, "lstDV"), QList<int> { 1 });

    // Unchecking the only checked entry leaves none: OK then asks for one.
    toggleItem(m_dialog, "lstDV", 1);
    QVERIFY(checkedRows(m_dialog, "lstDV").isEmpty());
    const QList<gui::Box> boxes = gui::answeringBoxes([this] { gui::runToEnd(m_dialog); });
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().text, QStringLiteral("A dependent variable must be selected."));

    // Checking again after that starts afresh.
    toggleItem(m_dialog, "lstDV", 0);
    QCOMPARE(checkedRows(m_dialog, "lstDV"), QList<int> { 0 });
}

void Tst_frmBootstrap::groupingValuesAreListedAndLabelsOffered()
{
    m_data = labelledCases();
    openDialog();
    auto* list = child<QLabel>(m_dialog, "lblGroupList");
    auto* group1 = child<QLineEdit>(m_dialog, "txtGroup1");
    auto* group2 = child<QLineEdit>(m_dialog, "txtGroup2");
    QCOMPARE(list->text(), QString());

    toggleItem(m_dialog, "lstGV", 1);
    QCOMPARE(list->text(), QStringLiteral("OJ = 1 (10), VC = 2 (9)"));
    for (QLineEdit* box : { group1, group2 }) {
        // Typing offers the labels that begin so.
        typeGroupValue(m_dialog, qPrintable(box->objectName()), QStringLiteral("V"));
        QCOMPARE(box->completer()->completionCount(), 1);
        QCOMPARE(box->completer()->currentCompletion(), QStringLiteral("VC"));
        QVERIFY(m_dialog->isVisible());
    }

    // Another grouping variable lists its own values and offers no labels.
    toggleItem(m_dialog, "lstGV", 0);
    QVERIFY(list->text().startsWith(QStringLiteral("39.7 (1), 40.2 (1), 41.7 (1), ")));
    QVERIFY(list->text().endsWith(QString::fromUtf8(", … and 7 more")));
    QCOMPARE(group1->completer()->model()->rowCount(), 0);
    toggleItem(m_dialog, "lstGV", 0);
    QCOMPARE(list->text(), QString());
}

void Tst_frmBootstrap::groupsChosenByLabel_data()
{
    QTest::addColumn<QString>("group1");
    QTest::addColumn<QString>("group2");
    QTest::addColumn<QString>("groupsLine");
    QTest::newRow("labels") << "OJ" << "VC" << "Group 1 = OJ; Group 2 = VC\n";
    QTest::newRow("codes") << "2" << "1" << "Group 1 = VC; Group 2 = OJ\n";
}

void Tst_frmBootstrap::groupsChosenByLabel()
{
    QFETCH(QString, group1);
    QFETCH(QString, group2);
    QFETCH(QString, groupsLine);
    m_data = labelledCases();
    openDialog();
    toggleItem(m_dialog, "lstDV", 0);
    toggleItem(m_dialog, "lstGV", 1);
    typeGroupValue(m_dialog, "txtGroup1", group1);
    typeGroupValue(m_dialog, "txtGroup2", group2);
    gui::runToEnd(m_dialog);

    QVERIFY(!m_dialog->isVisible());
    const QString text = m_pane->plainText();
    QVERIFY(text.contains("\nDep Var = Var 1 (len); Grp Var = Var 2 (supp)\n" + groupsLine + "\n\n"
                          "EFFECT SIZE ESTIMATES AND 95% CI\n"));
    QVERIFY(text.contains(
        group1 == "OJ" ? "Robust Cohen's D = 1.116\n" : "Robust Cohen's D = -1.116\n"));
}

void Tst_frmBootstrap::messages_data()
{
    QTest::addColumn<DataMatrix>("data");
    QTest::addColumn<int>("dependentRow");
    QTest::addColumn<int>("groupingRow");
    QTest::addColumn<QString>("group1");
    QTest::addColumn<QString>("group2");
    QTest::addColumn<QString>("message");

    const DataMatrix ordinary = twoGroups({ 1, 2, 3 }, { 4, 6, 5 });
    QTest::newRow("nothing chosen asks for the dependent variable")
        << ordinary << -1 << -1 << ""
        << ""
        << "A dependent variable must be selected.";
    QTest::newRow("no grouping variable") << ordinary << 0 << -1 << ""
                                          << ""
                                          << "A grouping variable must be selected.";
    QTest::newRow("group 1 text is not a number") << ordinary << 0 << 1 << "1,5"
                                                  << ""
                                                  << "The value provided for Group 1 is not valid.";
    QTest::newRow("group 2 text is not a number") << ordinary << 0 << 1 << "1"
                                                  << ""
                                                  << "The value provided for Group 2 is not valid.";
    QTest::newRow("one observation in group 1")
        << twoGroups({ 1 }, { 4, 5 }) << 0 << 1 << "1"
        << "2"
        << "There is an insufficient number of observations for Group 1.";
    QTest::newRow("one observation in group 2")
        << twoGroups({ 1, 2 }, { 4 }) << 0 << 1 << "1"
        << "2"
        << "There is an insufficient number of observations for Group 2.";
    QTest::newRow("values beyond single precision")
        << twoGroups({ 3e38f, 3e38f }, { 1, 2 }) << 0 << 1 << "1"
        << "2"
        << "Var 1 has values too large to summarise.";
    DataMatrix labelled = labelledCases();
    QTest::newRow("text that is no label of the grouping variable")
        << labelled << 0 << 1 << "oj"
        << "VC"
        << "The value provided for Group 1 is not valid.";
    QTest::newRow("a labelled dependent variable")
        << labelled << 1 << 0 << "40.2"
        << "45.9"
        << "Var 2 (supp) holds text labels, not numbers.";
    QTest::newRow("two constant groups") << twoGroups({ 1, 1 }, { 4, 4 }) << 0 << 1 << "1"
                                         << "2"
                                         << "Group 1 and Group 2 both have a zero variance.";
}

void Tst_frmBootstrap::messages()
{
    QFETCH(DataMatrix, data);
    QFETCH(int, dependentRow);
    QFETCH(int, groupingRow);
    QFETCH(QString, group1);
    QFETCH(QString, group2);
    QFETCH(QString, message);
    m_data = data;
    openDialog();
    if (dependentRow >= 0)
        toggleItem(m_dialog, "lstDV", dependentRow);
    if (groupingRow >= 0)
        toggleItem(m_dialog, "lstGV", groupingRow);
    typeGroupValue(m_dialog, "txtGroup1", group1);
    typeGroupValue(m_dialog, "txtGroup2", group2);

    const QList<gui::Box> boxes = gui::answeringBoxes([this] { gui::runToEnd(m_dialog); });
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, QStringLiteral("Analysis Error"));
    QCOMPARE(boxes.first().text, message);
    QCOMPARE(child<QLineEdit>(m_dialog, "txtTrial")->text(), QString());
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(m_pane->toPlainText(), QStringLiteral("Earlier text"));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(child<QLineEdit>(m_dialog, "txtGroup1")->text(), group1);
}

void Tst_frmBootstrap::reportIsAppendedAndDialogHides_data()
{
    QTest::addColumn<QString>("trialOption");
    QTest::addColumn<int>("trials");
    QTest::addColumn<QString>("levelOption");
    QTest::addColumn<int>("percent");
    for (int trials : { 600, 800, 1000, 1200, 1400, 1600, 1800, 2000, 5000, 10000 }) {
        for (int percent : { 90, 95, 99 }) {
            const QString option = QStringLiteral("opt%1").arg(trials);
            QTest::addRow("%s with %d%% CI", qPrintable(option), percent)
                << option << trials << QStringLiteral("opt%1CI").arg(percent) << percent;
        }
    }
}

// Each trial and level option reaches the report through the request.
void Tst_frmBootstrap::reportIsAppendedAndDialogHides()
{
    QFETCH(QString, trialOption);
    QFETCH(int, trials);
    QFETCH(QString, levelOption);
    QFETCH(int, percent);
    m_data = nineteenCases();
    openDialog();
    chooseGroups(m_dialog);
    click(m_dialog, qPrintable(trialOption));
    click(m_dialog, qPrintable(levelOption));
    gui::runToEnd(m_dialog);

    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    const QString count = QString::number(trials);
    QCOMPARE(child<QLineEdit>(m_dialog, "txtTrial")->text(), count);
    const QString text = m_pane->plainText();
    QVERIFY(text.startsWith("Earlier textGROUP-LEVEL STATISTICS\n"));
    QVERIFY(text.contains("Sample Size                 10              9\n"));
    QVERIFY(text.contains("Dep Var = Var 1; Grp Var = Var 2\n"));
    QVERIFY(text.contains(QStringLiteral("EFFECT SIZE ESTIMATES AND %1% CI\n").arg(percent)));
    QVERIFY(text.contains("Robust Cohen's D = 1.116\n"));
    QVERIFY(text.contains(QStringLiteral("\n%1% CI for population Robust D = (").arg(percent)));
    QVERIFY(text.contains("Number of attempted bootstrap trials = " + count + "\n"));
    // No seed typed: the report names the clock's.
    const QRegularExpression end("Number of valid robust D bootstrap trials = " + count
        + "\nRandom number seed = [0-9]+ \\(from the clock\\)\n\n\n\n\n\n$");
    QVERIFY(end.match(text).hasMatch());
}

// A run held on its trial 41 until released; the trials before it show.
void Tst_frmBootstrap::startHeldRun(QWidget* dialog)
{
    qobject_cast<TwoGroupDialog*>(dialog)->setTrialHook([this](int32_t trial) {
        if (trial > 40)
            m_release.wait(false);
    });
    gui::clickInWindow(dialog, "cmdOK");
    QTRY_VERIFY(!child<QLineEdit>(dialog, "txtTrial")->text().isEmpty()
        && child<QLineEdit>(dialog, "txtTrial")->text() != m_trialBefore);
}

void Tst_frmBootstrap::releaseTrials()
{
    m_release = true;
    m_release.notify_all();
}

// Every input but Cancel is disabled while a run is under way.
void Tst_frmBootstrap::verifyInputsEnabled(QWidget* dialog, bool enabled)
{
    const bool bootstrap = dialog->objectName() == QLatin1String("frmBootstrap");
    for (const char* name :
        { "lstDV", "lstGV", "txtGroup1", "txtGroup2", bootstrap ? "opt600" : "txtTrim",
            bootstrap ? "opt2000" : "spnTrials", "opt90CI", "opt99CI", "txtSeed", "cmdOK" })
        QVERIFY2(child<QWidget>(dialog, name)->isEnabled() == enabled, name);
    QVERIFY(child<QWidget>(dialog, "cmdCancel")->isEnabled());
    const QCursor* cursor = QApplication::overrideCursor();
    QCOMPARE(cursor && cursor->shape() == Qt::WaitCursor, !enabled);
}

void Tst_frmBootstrap::stoppingARunAppendsNothing_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("cases");
    QTest::addColumn<int>("trials");
    QTest::addColumn<int>("moreTrials");
    QTest::addColumn<QString>("how");
    for (const char* window : { "frmBootstrap", "frmEffects" }) {
        trialWindowRow(window, "Cancel clicked") << "Cancel";
        trialWindowRow(window, "Escape pressed") << "Escape";
        trialWindowRow(window, "close box") << "close box";
    }
}

// Cancel, Escape and the close box, delivered as the window system delivers
// them, stop a run at its next trial and leave the dialog as it was before OK.
void Tst_frmBootstrap::stoppingARunAppendsNothing()
{
    QFETCH(QString, window);
    QFETCH(int, cases);
    QFETCH(int, trials);
    QFETCH(int, moreTrials);
    QFETCH(QString, how);
    m_data = largeGroups(cases);
    openDialog(window);
    chooseGroups(m_dialog);
    chooseTrials(m_dialog, trials);
    gui::runToEnd(m_dialog); // a completed run first
    QCOMPARE(reportCount(*m_pane), 1);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
    const QString before = m_pane->plainText();
    auto* txtTrial = child<QLineEdit>(m_dialog, "txtTrial");
    m_trialBefore = txtTrial->text();
    QCOMPARE(m_trialBefore, QString::number(trials));
    chooseTrials(m_dialog, moreTrials);

    startHeldRun(m_dialog);
    verifyInputsEnabled(m_dialog, false);
    if (how == "Cancel")
        gui::clickInWindow(m_dialog, "cmdCancel");
    else if (how == "Escape")
        QTest::keyClick(m_dialog->windowHandle(), Qt::Key_Escape);
    else
        QVERIFY(!gui::closeBox(m_dialog));
    releaseTrials();

    QTRY_VERIFY(child<QWidget>(m_dialog, "cmdOK")->isEnabled());
    QCOMPARE(m_pane->plainText(), before);
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(txtTrial->text(), m_trialBefore);
    QVERIFY(trialsChosen(m_dialog, moreTrials));
    verifyInputsEnabled(m_dialog, true);

    // Only the run was stopped: the next OK runs to the end.
    m_dialog->setTrialHook(nullptr);
    gui::runToEnd(m_dialog);
    QCOMPARE(reportCount(*m_pane), 2);
    QCOMPARE(txtTrial->text(), QString::number(moreTrials));
    QVERIFY(!m_dialog->isVisible());
}

// Opened from the main window, the dialog is the only window that takes
// input during a run: a second OK, typing and the main window's own buttons
// and menus reach nothing.
void Tst_frmBootstrap::aRunTakesNoOtherInput()
{
    gui::showMainWindow(m_window);
    importDataFile(QStringLiteral("groups.txt"), "40\t1\n46\t1\n54\t1\n59\t2\n65\t2\n62\t2\n");
    auto* pane = child<OutputPane>(m_window.get(), "txtOutput");
    const QString imported = pane->plainText();
    QVERIFY(!imported.isEmpty());
    QVERIFY(
        gui::withMenuDialog(m_window.get(), "mnuBootstrap", "frmBootstrap", [&](QWidget* dialog) {
            chooseGroups(dialog);
            startHeldRun(dialog);
            gui::clickInWindow(dialog, "cmdOK");
            QTest::keyClick(dialog->windowHandle(), Qt::Key_Return);
            gui::clickInWindow(dialog, "txtGroup1");
            QTest::keyClick(dialog->windowHandle(), '9');
            gui::clickInWindow(m_window.get(), "cmdImportData");
            QTest::keyClick(m_window->windowHandle(), Qt::Key_F, Qt::AltModifier);
            QVERIFY(!QApplication::activePopupWidget());
            verifyInputsEnabled(dialog, false); // still the first run
            releaseTrials();
            QTRY_VERIFY(!dialog->isVisible());
            QCOMPARE(child<QLineEdit>(dialog, "txtGroup1")->text(), QStringLiteral("1"));
            QCOMPARE(child<QLineEdit>(dialog, "txtTrial")->text(), QStringLiteral("600"));
        }));
    const QString text = pane->plainText();
    QVERIFY(text.startsWith(imported));
    QVERIFY(text.mid(imported.size()).startsWith(QStringLiteral("GROUP-LEVEL STATISTICS\n")));
    QCOMPARE(reportCount(*pane), 1);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void Tst_frmBootstrap::failedRunShowsItsMessage_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("outOfMemory");
    QTest::addColumn<QString>("message");
    for (const char* window : { "frmBootstrap", "frmEffects" }) {
        QTest::addRow("%s: no memory for a trial", window)
            << window << true << "The analysis could not be completed: not enough memory.";
        QTest::addRow("%s: any other failure", window)
            << window << false << "The analysis could not be completed.";
    }
}

// A trial that fails on one of several threads ends the run with its
// message; nothing is appended and the dialog runs again afterwards.
void Tst_frmBootstrap::failedRunShowsItsMessage()
{
    QFETCH(QString, window);
    QFETCH(bool, outOfMemory);
    QFETCH(QString, message);
    setWorkerThreads(4);
    m_data = nineteenCases();
    openDialog(window);
    chooseGroups(m_dialog);
    m_dialog->setTrialHook([outOfMemory](int32_t trial) {
        if (trial == 7 && outOfMemory)
            throw std::bad_alloc();
        if (trial == 7)
            throw std::runtime_error("trial 7");
    });
    const QList<gui::Box> boxes = gui::answeringBoxes([this] { gui::runToEnd(m_dialog); });
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, QStringLiteral("Analysis Error"));
    QCOMPARE(boxes.first().text, message);
    QCOMPARE(m_pane->plainText(), QStringLiteral("Earlier text"));
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(child<QLineEdit>(m_dialog, "txtTrial")->text(), QString());
    verifyInputsEnabled(m_dialog, true);

    m_dialog->setTrialHook(nullptr);
    gui::runToEnd(m_dialog);
    QCOMPARE(reportCount(*m_pane), 1);
}

// The program may close while a run is under way: the dialog stops its
// worker and waits for it before it goes.
void Tst_frmBootstrap::closingTheProgramDuringARun()
{
    m_data = largeGroups(2000);
    auto mainWindow = std::make_unique<QWidget>();
    mainWindow->show();
    m_dialog = new frmBootstrap(m_data, m_pane.get(), mainWindow.get());
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
    chooseGroups(m_dialog);
    click(m_dialog, "opt2000");
    startHeldRun(m_dialog);
    releaseTrials();
    mainWindow.reset();
    QVERIFY(!m_dialog);
    QCOMPARE(m_pane->plainText(), QStringLiteral("Earlier text"));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

// Imports `bytes` through the main window as the tab-delimited file `name`.
void Tst_frmBootstrap::importDataFile(const QString& name, const QByteArray& bytes)
{
    gui::writeFile(m_folder.filePath(name), bytes);
    gui::importDataFile(m_window.get(), m_folder.path(), name, QStringLiteral("optTab"));
}

// The main window keeps the dialog: Cancel and Escape keep its choices, its
// close box discards them, and so does an import, which also rebuilds the lists.
void Tst_frmBootstrap::choicesLastUntilCloseBoxOrImport()
{
    gui::showMainWindow(m_window);
    importDataFile(QStringLiteral("two.txt"), "1\t2\n");
    const auto withDialog = [this](const std::function<void(QWidget*)>& use) {
        QVERIFY(gui::withMenuDialog(m_window.get(), "mnuBootstrap", "frmBootstrap", use));
    };
    withDialog([](QWidget* dialog) {
        toggleItem(dialog, "lstDV", 1);
        typeInto(dialog, "txtGroup1", "7");
        click(dialog, "opt1800");
        click(dialog, "opt99CI");
        click(dialog, "cmdCancel");
    });

    // Reopened after Cancel: the same dialog with its choices; Escape hides it.
    QPointer<QWidget> first;
    withDialog([&](QWidget* dialog) {
        first = dialog;
        QCOMPARE(checkedRows(dialog, "lstDV"), QList<int> { 1 });
        QCOMPARE(child<QLineEdit>(dialog, "txtGroup1")->text(), QStringLiteral("7"));
        QVERIFY(child<QRadioButton>(dialog, "opt1800")->isChecked());
        QVERIFY(child<QRadioButton>(dialog, "opt99CI")->isChecked());
        QTest::keyClick(dialog, Qt::Key_Escape);
    });

    // Escape kept it too; its close box then discards it.
    withDialog([&](QWidget* dialog) {
        QCOMPARE(dialog, first.data());
        dialog->close();
    });
    QTRY_VERIFY(!first);

    // Built afresh: the defaults are back.
    const auto defaultsOf = [](int variables) {
        return [variables](QWidget* dialog) {
            QCOMPARE(child<QListWidget>(dialog, "lstGV")->count(), variables);
            QVERIFY(checkedRows(dialog, "lstDV").isEmpty());
            QVERIFY(checkedRows(dialog, "lstGV").isEmpty());
            QVERIFY(child<QLineEdit>(dialog, "txtGroup1")->text().isEmpty());
            QVERIFY(child<QRadioButton>(dialog, "opt600")->isChecked());
            QVERIFY(child<QRadioButton>(dialog, "opt95CI")->isChecked());
            click(dialog, "cmdCancel");
        };
    };
    withDialog(defaultsOf(2));

    withDialog([](QWidget* dialog) {
        toggleItem(dialog, "lstGV", 1);
        click(dialog, "opt1800");
        click(dialog, "cmdCancel");
    });
    importDataFile(QStringLiteral("four.txt"), "1\t2\t3\t4\n5\t6\t7\t8\n");
    withDialog(defaultsOf(4));
}

QTEST_MAIN(Tst_frmBootstrap)
#include "tst_frmBootstrap.moc"
