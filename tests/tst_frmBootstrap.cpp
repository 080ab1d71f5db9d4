// The effect-size bootstrap dialog driven offscreen: choices, messages, report, run, lifecycle.
#include "forms/frmBootstrap.h"
#include "widgets/OutputPane.h"
#include "forms/frmMain.h"
#include "data/DataImport.h"
#include "data/modGeneral.h"
#include "platform/DirListBox.h"
#include "platform/FileListBox.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include "TestData.h"

#include <QtTest>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(DataMatrix)

namespace {

// Nineteen observations in two groups: the observed robust d is 1.116.
DataMatrix nineteenCases()
{
    return twoGroups({ 40.2f, 45.9f, 53.8f, 39.7f, 62.3f, 47.8f, 43.7f, 51.2f, 52.2f, 51.7f },
        { 59.0f, 64.8f, 61.6f, 63.9f, 76.6f, 46.9f, 53.2f, 61.5f, 41.7f });
}

template <typename T> T* child(QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

// Toggles the check of one list entry as a user does: current entry, then Space.
void toggle(QWidget* dialog, const char* list, int row)
{
    auto* widget = child<QListWidget>(dialog, list);
    widget->setCurrentRow(row);
    QTest::keyClick(widget, Qt::Key_Space);
}

std::vector<int> checkedRows(QWidget* dialog, const char* list)
{
    auto* widget = child<QListWidget>(dialog, list);
    std::vector<int> rows;
    for (int i = 0; i < widget->count(); ++i) {
        if (widget->item(i)->checkState() == Qt::Checked)
            rows.push_back(i);
    }
    return rows;
}

// Clicks an option button on its round indicator, as a user does.
void choose(QWidget* dialog, const char* option)
{
    auto* button = child<QRadioButton>(dialog, option);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void typeText(QWidget* dialog, const char* box, const QString& text)
{
    auto* edit = child<QLineEdit>(dialog, box);
    edit->clear();
    QTest::keyClicks(edit, text);
}

// Once a message box is up, notes its title and text and clicks its OK.
void answerNextMessage(QString* title, QString* text)
{
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            answerNextMessage(title, text);
            return;
        }
        *title = box->windowTitle();
        *text = box->text();
        box->button(QMessageBox::Ok)->click();
    });
}

// Runs `act` on the modal dialog once it is up.
void onNextModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            onNextModal(act);
            return;
        }
        act(modal);
    });
}

int reportCount(const OutputPane& pane)
{
    return pane.toPlainText().count(QStringLiteral("GROUP-LEVEL STATISTICS"));
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
    void messages_data();
    void messages();
    void reportIsAppendedAndDialogHides();
    void otherInputDuringARunIsIgnored();
    void cancelEscapeAndCloseBoxStopARun_data();
    void cancelEscapeAndCloseBoxStopARun();
    void cancelKeepsChoicesAndCloseBoxDiscardsThem();
    void importRebuildsTheLists();

private:
    void openDialog();

    std::unique_ptr<OutputPane> m_pane;
    QPointer<frmBootstrap> m_dialog;
    DataMatrix m_data;
};

void Tst_frmBootstrap::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void Tst_frmBootstrap::init()
{
    m_pane = std::make_unique<OutputPane>();
    m_pane->setPlainText(QStringLiteral("Earlier text"));
}

void Tst_frmBootstrap::cleanup()
{
    delete m_dialog;
    m_pane.reset();
    clearDataSet();
}

void Tst_frmBootstrap::openDialog()
{
    m_dialog = new frmBootstrap(m_data, m_pane.get());
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
}

void Tst_frmBootstrap::showsItsControlsAndDefaults()
{
    m_data = matrixFromRows({ { 1, 2, 3 } });
    setDataSet(m_data);
    openDialog();
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Effect Size Bootsrap"));
    for (const char* list : { "lstDV", "lstGV" }) {
        auto* widget = child<QListWidget>(m_dialog, list);
        QCOMPARE(widget->count(), 3);
        QCOMPARE(widget->item(0)->text(), QStringLiteral("Var 1"));
        QCOMPARE(widget->item(2)->text(), QStringLiteral("Var 3"));
        QVERIFY(checkedRows(m_dialog, list).empty());
    }
    const char* trials[]
        = { "opt600", "opt800", "opt1000", "opt1200", "opt1400", "opt1600", "opt1800", "opt2000" };
    for (const char* name : trials)
        QCOMPARE(child<QRadioButton>(m_dialog, name)->isChecked(), name == trials[0]);
    QCOMPARE(child<QRadioButton>(m_dialog, "opt2000")->text(), QStringLiteral("2000"));
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
    setDataSet(m_data);
    openDialog();
    toggle(m_dialog, "lstDV", 0);
    QCOMPARE(checkedRows(m_dialog, "lstDV"), std::vector<int> { 0 });
    toggle(m_dialog, "lstDV", 1);
    QCOMPARE(checkedRows(m_dialog, "lstDV"), std::vector<int> { 1 });
    toggle(m_dialog, "lstGV", 1);
    toggle(m_dialog, "lstGV", 0);
    QCOMPARE(checkedRows(m_dialog, "lstGV"), std::vector<int> { 0 });
    QCOMPARE(checkedRows(m_dialog, "lstDV"), std::vector<int> { 1 });

    // Unchecking the only checked entry leaves none: OK then asks for one.
    toggle(m_dialog, "lstDV", 1);
    QVERIFY(checkedRows(m_dialog, "lstDV").empty());
    QString title;
    QString text;
    answerNextMessage(&title, &text);
    child<QPushButton>(m_dialog, "cmdOK")->click();
    QCOMPARE(text, QStringLiteral("A dependent variable must be selected."));

    // Checking again after that starts afresh.
    toggle(m_dialog, "lstDV", 0);
    QCOMPARE(checkedRows(m_dialog, "lstDV"), std::vector<int> { 0 });
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
    setDataSet(m_data);
    openDialog();
    if (dependentRow >= 0)
        toggle(m_dialog, "lstDV", dependentRow);
    if (groupingRow >= 0)
        toggle(m_dialog, "lstGV", groupingRow);
    typeText(m_dialog, "txtGroup1", group1);
    typeText(m_dialog, "txtGroup2", group2);

    QString title;
    QString text;
    answerNextMessage(&title, &text);
    QTest::mouseClick(child<QPushButton>(m_dialog, "cmdOK"), Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("Analysis Error"));
    QCOMPARE(text, message);
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(m_pane->toPlainText(), QStringLiteral("Earlier text"));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(child<QLineEdit>(m_dialog, "txtGroup1")->text(), group1);
}

void Tst_frmBootstrap::reportIsAppendedAndDialogHides()
{
    m_data = nineteenCases();
    setDataSet(m_data);
    openDialog();
    toggle(m_dialog, "lstDV", 0);
    toggle(m_dialog, "lstGV", 1);
    typeText(m_dialog, "txtGroup1", "1");
    typeText(m_dialog, "txtGroup2", "2");
    choose(m_dialog, "opt1400");
    choose(m_dialog, "opt90CI");
    QTest::mouseClick(child<QPushButton>(m_dialog, "cmdOK"), Qt::LeftButton);

    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(child<QLineEdit>(m_dialog, "txtTrial")->text(), QStringLiteral("1400"));
    const QString text = m_pane->plainText();
    QVERIFY(text.startsWith("Earlier textGROUP-LEVEL STATISTICS\n"));
    QVERIFY(text.contains("Sample Size                 10              9\n"));
    QVERIFY(text.contains("Dep Var = Var 1; Grp Var = Var 2\n"));
    QVERIFY(text.contains("EFFECT SIZE ESTIMATES AND 90% CI\n"));
    QVERIFY(text.contains("Robust Cohen's D = 1.116\n"));
    QVERIFY(text.contains("Number of attempted bootstrap trials = 1400\n"));
    QVERIFY(
        text.endsWith("Number of valid robust D bootstrap trials = 1400\n\n\n\n\n\n"));
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

void Tst_frmBootstrap::otherInputDuringARunIsIgnored()
{
    m_data = largeGroups(4000);
    QWidget mainWindow;
    mainWindow.show();
    m_dialog = new frmBootstrap(m_data, m_pane.get(), &mainWindow);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
    toggle(m_dialog, "lstDV", 0);
    toggle(m_dialog, "lstGV", 1);
    typeText(m_dialog, "txtGroup1", "1");
    typeText(m_dialog, "txtGroup2", "2");

    // While the trials run on their worker, a second OK, typing and a close
    // request to the main window all arrive.
    bool sentDuringRun = false;
    QTimer::singleShot(0, [&] {
        const QCursor* cursor = QApplication::overrideCursor();
        QVERIFY(cursor && cursor->shape() == Qt::WaitCursor);
        sentDuringRun = true;
        QTest::mouseClick(child<QPushButton>(m_dialog, "cmdOK"), Qt::LeftButton);
        child<QPushButton>(m_dialog, "cmdOK")->click();
        QTest::keyClicks(child<QLineEdit>(m_dialog, "txtGroup1"), "9");
        mainWindow.close();
    });
    child<QPushButton>(m_dialog, "cmdOK")->click();

    QVERIFY(sentDuringRun);
    QCOMPARE(reportCount(*m_pane), 1);
    QCOMPARE(child<QLineEdit>(m_dialog, "txtGroup1")->text(), QStringLiteral("1"));
    QCOMPARE(child<QLineEdit>(m_dialog, "txtTrial")->text(), QStringLiteral("600"));
    QVERIFY(mainWindow.isVisible());
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void Tst_frmBootstrap::cancelEscapeAndCloseBoxStopARun_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << "Cancel";
    QTest::newRow("Escape") << "Escape";
    QTest::newRow("close box") << "close box";
}

void Tst_frmBootstrap::cancelEscapeAndCloseBoxStopARun()
{
    QFETCH(QString, how);
    m_data = largeGroups(50000);
    openDialog();
    toggle(m_dialog, "lstDV", 0);
    toggle(m_dialog, "lstGV", 1);
    typeText(m_dialog, "txtGroup1", "1");
    typeText(m_dialog, "txtGroup2", "2");
    choose(m_dialog, "opt2000");

    QString trialShown;
    QTimer::singleShot(100, [&] {
        trialShown = child<QLineEdit>(m_dialog, "txtTrial")->text();
        if (how == "Cancel")
            QTest::mouseClick(child<QPushButton>(m_dialog, "cmdCancel"), Qt::LeftButton);
        else if (how == "Escape")
            QTest::keyClick(m_dialog, Qt::Key_Escape);
        else
            m_dialog->close();
    });
    child<QPushButton>(m_dialog, "cmdOK")->click();

    // The run stopped before its end: nothing appended, the dialog as before OK.
    QVERIFY(!trialShown.isEmpty());
    QVERIFY(trialShown.toInt() < 2000);
    QCOMPARE(reportCount(*m_pane), 0);
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(child<QLineEdit>(m_dialog, "txtTrial")->text(), QString());
    QVERIFY(child<QRadioButton>(m_dialog, "opt2000")->isChecked());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void Tst_frmBootstrap::cancelKeepsChoicesAndCloseBoxDiscardsThem()
{
    m_data = nineteenCases();
    setDataSet(m_data);
    frmMain window(0);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QAction* menu = window.findChild<QAction*>(QStringLiteral("mnuBootstrap"));
    QVERIFY(menu);

    onNextModal([](QWidget* dialog) {
        toggle(dialog, "lstDV", 1);
        typeText(dialog, "txtGroup1", "7");
        choose(dialog, "opt1800");
        choose(dialog, "opt99CI");
        QTest::mouseClick(child<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);
    });
    menu->trigger();

    // Reopened after Cancel: the same dialog with its choices; Escape hides it.
    QPointer<QWidget> first;
    std::vector<int> checked;
    QString group1;
    bool kept1800 = false;
    bool kept99 = false;
    onNextModal([&](QWidget* dialog) {
        first = dialog;
        checked = checkedRows(dialog, "lstDV");
        group1 = child<QLineEdit>(dialog, "txtGroup1")->text();
        kept1800 = child<QRadioButton>(dialog, "opt1800")->isChecked();
        kept99 = child<QRadioButton>(dialog, "opt99CI")->isChecked();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    menu->trigger();
    QCOMPARE(checked, std::vector<int> { 1 });
    QCOMPARE(group1, QStringLiteral("7"));
    QVERIFY(kept1800);
    QVERIFY(kept99);

    // Escape kept it too; its close box then discards it.
    onNextModal([&](QWidget* dialog) {
        QCOMPARE(dialog, first.data());
        dialog->close();
    });
    menu->trigger();
    QTRY_VERIFY(!first);

    // Built afresh: the defaults are back.
    onNextModal([&](QWidget* dialog) {
        checked = checkedRows(dialog, "lstDV");
        group1 = child<QLineEdit>(dialog, "txtGroup1")->text();
        kept1800 = child<QRadioButton>(dialog, "opt1800")->isChecked();
        kept99 = child<QRadioButton>(dialog, "opt600")->isChecked()
            && child<QRadioButton>(dialog, "opt95CI")->isChecked();
        QTest::mouseClick(child<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);
    });
    menu->trigger();
    QVERIFY(checked.empty());
    QVERIFY(group1.isEmpty());
    QVERIFY(!kept1800);
    QVERIFY(kept99);
}

void Tst_frmBootstrap::importRebuildsTheLists()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QFile file(folder.filePath("four.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1 2 3 4\n5 6 7 8\n");
    file.close();

    m_data = matrixFromRows({ { 1, 2 } });
    setDataSet(m_data);
    frmMain window(0);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QAction* menu = window.findChild<QAction*>(QStringLiteral("mnuBootstrap"));
    int entries = 0;
    onNextModal([&](QWidget* dialog) {
        entries = child<QListWidget>(dialog, "lstGV")->count();
        toggle(dialog, "lstGV", 1);
        QTest::mouseClick(child<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);
    });
    menu->trigger();
    QCOMPARE(entries, 2);

    // Import the four-column file through the main window's file lists.
    auto* dirs = window.findChild<DirListBox*>(QStringLiteral("dirDirectory"));
    auto* files = window.findChild<FileListBox*>(QStringLiteral("filFile"));
    QVERIFY(dirs->setPath(folder.path()));
    QTRY_COMPARE(files->path(), QDir::toNativeSeparators(folder.path()));
    const auto items = files->findItems(QStringLiteral("four.txt"), Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    QTest::mouseClick(
        files->viewport(), Qt::LeftButton, {}, files->visualItemRect(items.first()).center());
    window.findChild<QRadioButton*>(QStringLiteral("optSpace"))->setChecked(true);
    window.findChild<QPushButton*>(QStringLiteral("cmdImportData"))->click();
    QCOMPARE(g_lngNumCols, 4);

    std::vector<int> checked { -1 };
    onNextModal([&](QWidget* dialog) {
        entries = child<QListWidget>(dialog, "lstGV")->count();
        checked = checkedRows(dialog, "lstGV");
        QTest::mouseClick(child<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);
    });
    menu->trigger();
    QCOMPARE(entries, 4);
    QVERIFY(checked.empty());
}

QTEST_MAIN(Tst_frmBootstrap)
#include "tst_frmBootstrap.moc"
