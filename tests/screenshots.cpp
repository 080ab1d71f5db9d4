// trellam-screenshots: brings up the real windows on a sample data file, runs
// both analyses and saves a picture of each window, the bootstrap plot among them.
// Usage: trellam-screenshots OUTPUT_FOLDER
// Exits with 1 when a window does not come up or an analysis writes no report.
#include "GuiDriver.h"

#include "widgets/OutputPane.h"
#include "forms/frmMain.h"
#include "forms/frmSplash.h"
#include "data/DataMatrix.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>

namespace {

// The sample the pictures show: group codes 1 and 2 in Var 1, the scores in Var 2.
const char* const sampleFile = "reaction_times_tab.txt";
const char* const sampleDelimiter = "optTab";

// Gives up on a run that hangs, so that CI fails instead of waiting.
constexpr int watchdogMilliseconds = 120000;

class Shooter {
public:
    explicit Shooter(const QDir& folder)
        : m_folder(folder)
    {
    }

    bool ok() const { return m_ok; }

    void fail(const QString& what)
    {
        QTextStream(stderr) << "trellam-screenshots: " << what << '\n';
        m_ok = false;
    }

    void save(QWidget* window, const QString& name)
    {
        const QString path = m_folder.filePath(name + QStringLiteral(".png"));
        if (!window->grab().save(path))
            fail(QStringLiteral("could not save ") + path);
    }

    // Chooses `menuEntry` of the main window and runs `use` on the modal window
    // named `name` that it brings up.
    void withDialog(frmMain& main, const char* menuEntry, const char* name,
        const std::function<void(QWidget*)>& use)
    {
        const auto useShown = [&](QWidget* dialog) {
            if (!QTest::qWaitForWindowExposed(dialog))
                fail(QLatin1String(name) + QStringLiteral(" was never shown"));
            use(dialog);
        };
        if (!gui::withMenuDialog(&main, menuEntry, name, useShown))
            fail(QLatin1String(name) + QStringLiteral(" did not come up, or did not close"));
    }

private:
    QDir m_folder;
    bool m_ok = true;
};

bool waitForReport(OutputPane* pane, const QString& heading)
{
    return QTest::qWaitFor([&] { return pane->toPlainText().contains(heading); }, 30000);
}

void shootSplash(Shooter& shooter)
{
    auto* splash = new frmSplash; // deletes itself on close
    splash->show();
    if (!QTest::qWaitForWindowExposed(splash))
        shooter.fail(QStringLiteral("the title screen was never shown"));
    shooter.save(splash, QStringLiteral("frmSplash"));
    splash->close();
}

void importSample(Shooter& shooter, frmMain& main, const QString& examples)
{
    gui::importDataFile(&main, examples, QLatin1String(sampleFile), QLatin1String(sampleDelimiter));
    if (main.dataSet().rowCount() == 0)
        shooter.fail(QStringLiteral("the sample file was not imported"));
}

void runDescriptives(Shooter& shooter, frmMain& main, OutputPane* pane)
{
    shooter.withDialog(main, "mnuDescriptives", "frmDescriptives", [&](QWidget* dialog) {
        gui::toggleItem(dialog, "lstItems", 1);
        gui::toggleItem(dialog, "lstItems", 2);
        shooter.save(dialog, QStringLiteral("frmDescriptives"));
        gui::click(dialog, "cmdOK");
    });
    if (!waitForReport(pane, QStringLiteral("DESCRIPTIVES")))
        shooter.fail(QStringLiteral("Descriptives wrote no report"));
}

void runBootstrap(Shooter& shooter, frmMain& main, OutputPane* pane)
{
    shooter.withDialog(main, "mnuBootstrap", "frmBootstrap", [&](QWidget* dialog) {
        gui::toggleItem(dialog, "lstDV", 1);
        gui::toggleItem(dialog, "lstGV", 0);
        gui::typeInto(dialog, "txtGroup1", QStringLiteral("1"));
        gui::typeInto(dialog, "txtGroup2", QStringLiteral("2"));
        gui::typeInto(dialog, "txtSeed", QStringLiteral("42"));
        shooter.save(dialog, QStringLiteral("frmBootstrap"));
        gui::click(dialog, "cmdOK");
        // The trials run on a worker; the dialog hides when they are done.
        if (!QTest::qWaitFor([dialog] { return !dialog->isVisible(); }, 30000))
            shooter.fail(QStringLiteral("Effect Size Bootstrap did not finish its run"));
    });
    if (!waitForReport(pane, QStringLiteral("EFFECT SIZE ESTIMATES")))
        shooter.fail(QStringLiteral("Effect Size Bootstrap wrote no report"));
}

void runYuen(Shooter& shooter, frmMain& main, OutputPane* pane)
{
    shooter.withDialog(main, "mnuYuen", "frmYuen", [&](QWidget* dialog) {
        gui::toggleItem(dialog, "lstDV", 1);
        gui::toggleItem(dialog, "lstGV", 0);
        gui::typeInto(dialog, "txtGroup1", QStringLiteral("1"));
        gui::typeInto(dialog, "txtGroup2", QStringLiteral("2"));
        shooter.save(dialog, QStringLiteral("frmYuen"));
        gui::click(dialog, "cmdOK");
    });
    if (!waitForReport(pane, QStringLiteral("TRIMMED MEANS TEST")))
        shooter.fail(QStringLiteral("Trimmed Means Test wrote no report"));
}

// The robust effect sizes dialog filled in; cancelled, so the output stays as it was.
void shootEffects(Shooter& shooter, frmMain& main)
{
    shooter.withDialog(main, "mnuEffects", "frmEffects", [&](QWidget* dialog) {
        gui::toggleItem(dialog, "lstDV", 1);
        gui::toggleItem(dialog, "lstGV", 0);
        gui::typeInto(dialog, "txtGroup1", QStringLiteral("1"));
        gui::typeInto(dialog, "txtGroup2", QStringLiteral("2"));
        gui::typeInto(dialog, "txtSeed", QStringLiteral("42"));
        shooter.save(dialog, QStringLiteral("frmEffects"));
        gui::click(dialog, "cmdCancel");
    });
}

void shootPlot(Shooter& shooter, frmMain& main)
{
    shooter.withDialog(main, "mnuPlot", "frmPlot", [&](QWidget* dialog) {
        shooter.save(dialog, QStringLiteral("frmPlot"));
        qobject_cast<QDialog*>(dialog)->reject();
    });
}

void shootNavigator(Shooter& shooter, frmMain& main)
{
    shooter.withDialog(main, "mnuNavigateDataFile", "frmNavigate", [&](QWidget* dialog) {
        gui::click(dialog, "cmdRight");
        gui::click(dialog, "cmdDown");
        gui::click(dialog, "cmdDown");
        shooter.save(dialog, QStringLiteral("frmNavigate"));
        qobject_cast<QDialog*>(dialog)->reject();
    });
}

void shootDataView(Shooter& shooter, frmMain& main)
{
    shooter.withDialog(main, "mnuViewData", "frmDataView", [&](QWidget* dialog) {
        shooter.save(dialog, QStringLiteral("frmDataView"));
        qobject_cast<QDialog*>(dialog)->reject();
    });
}

void shootOutputFiles(Shooter& shooter, frmMain& main)
{
    shooter.withDialog(main, "mnuSaveOutput", "frmSaveOutput", [&](QWidget* dialog) {
        gui::child<QLineEdit>(dialog, "txtSavedFileName")->setText(QStringLiteral("results.txt"));
        shooter.save(dialog, QStringLiteral("frmSaveOutput"));
        qobject_cast<QDialog*>(dialog)->reject();
    });
    shooter.withDialog(main, "mnuOpenOutput", "frmOpenOutput", [&](QWidget* dialog) {
        shooter.save(dialog, QStringLiteral("frmOpenOutput"));
        qobject_cast<QDialog*>(dialog)->reject();
    });
}

// Scrolls the output pane so that the effect-size report starts at its top.
void showBootstrapReport(OutputPane* pane)
{
    const QTextCursor heading = pane->document()->find(QStringLiteral("GROUP-LEVEL STATISTICS"));
    if (!heading.isNull())
        pane->verticalScrollBar()->setValue(heading.blockNumber());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication::setApplicationName(QStringLiteral("Trellam"));
    // The windows as they first come, whatever the user's own choices.
    QApplication::setOrganizationName(QStringLiteral("Trellam screenshots"));
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: trellam-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    QLocale::setDefault(QLocale::c());
    QTimer::singleShot(watchdogMilliseconds, [] {
        std::fprintf(stderr, "trellam-screenshots: no progress, giving up\n");
        std::_Exit(1);
    });

    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "trellam-screenshots: cannot create %s\n", argv[1]);
        return 1;
    }
    Shooter shooter { QDir(folder) };
    // The file lists start on the current folder, as when started from examples/.
    const QString examples = QStringLiteral(TRELLAM_SOURCE_DIR "/examples");
    QDir::setCurrent(examples);

    shootSplash(shooter);

    frmMain main(0);
    main.resize(960, 720);
    main.show();
    if (!QTest::qWaitForWindowExposed(&main)) {
        shooter.fail(QStringLiteral("the main window was never shown"));
        return 1;
    }
    auto* pane = gui::child<OutputPane>(&main, "txtOutput");

    importSample(shooter, main, examples);
    if (shooter.ok()) {
        runDescriptives(shooter, main, pane);
        runYuen(shooter, main, pane);
        shootEffects(shooter, main);
        runBootstrap(shooter, main, pane);
        shootPlot(shooter, main);
        shootNavigator(shooter, main);
        shootDataView(shooter, main);
        shootOutputFiles(shooter, main);
    }
    showBootstrapReport(pane);
    shooter.save(&main, QStringLiteral("frmMain"));

    return shooter.ok() ? 0 : 1;
}
