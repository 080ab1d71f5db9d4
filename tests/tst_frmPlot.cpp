// The bootstrap plot window driven offscreen: what it draws after a real run, its files, clipboard
// and layout.
#include "FileKinds.h"
#include "GuiDriver.h"
#include "PictureFiles.h"

#include "analyses/BootstrapRun.h"
#include "forms/frmPlot.h"
#include "platform/SaveFileDialog.h"
#include "widgets/OutputPane.h"

#include <QAbstractButton>
#include <QAction>
#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBoxPlotSeries>
#include <QBoxSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QGraphicsTextItem>
#include <QImage>
#include <QLineEdit>
#include <QLineSeries>
#include <QMimeData>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QValueAxis>

#include <limits>
#include <memory>
#include <random>

namespace {

const QString EXAMPLES = QStringLiteral(TRELLAM_SOURCE_DIR "/examples");

// Numbers of the report line that starts with `start`, in their order.
QList<double> reportNumbers(const QString& report, const QString& start)
{
    QList<double> numbers;
    for (const QString& line : report.split('\n')) {
        if (!line.startsWith(start))
            continue;
        const QRegularExpression number(QStringLiteral("-?\\d+(\\.\\d+)?"));
        for (const QRegularExpressionMatch& match : number.globalMatch(line.mid(start.size())))
            numbers << match.captured().toDouble();
        break;
    }
    return numbers;
}

QChart* chartOf(QWidget* window, const char* view)
{
    return gui::child<QChartView>(window, view)->chart();
}

template <typename Series> Series* series(QChart* chart, const char* name)
{
    for (QAbstractSeries* each : chart->series()) {
        if (each->objectName() == QLatin1String(name))
            return qobject_cast<Series*>(each);
    }
    return nullptr;
}

// The bars' heights: the outline climbs to each count at the second of its four points.
qint64 barTotal(QChart* chart)
{
    auto* bars = series<QAreaSeries>(chart, "serBootstrapD");
    if (!bars)
        return 0;
    const QList<QPointF> points = bars->upperSeries()->points();
    qint64 total = 0;
    for (qsizetype i = 1; i < points.size(); i += 4)
        total += qRound64(points[i].y());
    return total;
}

double lineX(QChart* chart, const char* name)
{
    auto* line = series<QLineSeries>(chart, name);
    return line && line->count() == 2 && line->at(0).x() == line->at(1).x() ? line->at(0).x()
                                                                            : qQNaN();
}

// A run of the given sizes: normal groups and normal d's, a fixed seed.
std::shared_ptr<BootstrapRun> generatedRun(std::size_t groupSize, std::size_t trials)
{
    std::mt19937 engine(20240611);
    std::normal_distribution<float> normal;
    auto run = std::make_shared<BootstrapRun>();
    for (std::size_t i = 0; i < groupSize; ++i) {
        run->group1.push_back(50 + 10 * normal(engine));
        run->group2.push_back(54 + 10 * normal(engine));
    }
    for (std::size_t i = 0; i < trials; ++i)
        run->effects.push_back(0.4f + 0.1f * normal(engine));
    run->sngTrimmedMean1 = 50;
    run->sngTrimmedMean2 = 54;
    run->lowerBound = 0.2f;
    run->upperBound = 0.6f;
    run->sngRobustD = 0.4f;
    run->seed = 7;
    run->strGroup1 = "1";
    run->strGroup2 = "2";
    run->lngDependent = 3;
    run->dependentLabel = "Var 3";
    return run;
}

// Texts the charts had to shorten (Qt Charts ends them with "...") or hide.
QStringList shortenedTexts(QChartView* view)
{
    QStringList shortened;
    for (QGraphicsItem* item : view->scene()->items()) {
        auto* text = dynamic_cast<QGraphicsTextItem*>(item);
        if (text && text->isVisible() && text->toPlainText().endsWith(QLatin1String("...")))
            shortened << view->objectName() + QStringLiteral(": ") + text->toPlainText();
    }
    return shortened;
}

} // namespace

class Tst_frmPlot : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void seededRunOnExamplesIsDrawn();
    void savedPicture_data();
    void savedPicture();
    void saveProblemsAreShown_data();
    void saveProblemsAreShown();
    void copyPutsBothPlotsOnTheClipboard();
    void closeAndEscapeCloseTheWindow_data();
    void closeAndEscapeCloseTheWindow();
    void nothingShortenedAtTheMinimumSize_data();
    void nothingShortenedAtTheMinimumSize();
    void coloursStayApartInGreyScale();
    void millionObservationsMakeFewChartItems();
    void noValidTrialAndNoObservedDLeaveOnlyTheGroups();
    void saveReplacesOnlyFilesAndAsksFirst_data();
    void saveReplacesOnlyFilesAndAsksFirst();
    void runThatCannotBeDrawnStillOpens();

private:
    // Imports examples/anxiety_comma.txt and runs the bootstrap on Var 2 by Var 1.
    void runSeededBootstrap(const QString& seed);
    QString report() const
    {
        return gui::child<OutputPane>(m_main.get(), "txtOutput")->toPlainText();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<frmMain> m_main;
};

void Tst_frmPlot::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    QVERIFY(m_dir.isValid());
}

void Tst_frmPlot::cleanup()
{
    if (m_main)
        gui::closeMainWindow(m_main);
}

void Tst_frmPlot::runSeededBootstrap(const QString& seed)
{
    const bool cameUp = gui::withModal(
        "frmBootstrap", [&] { gui::child<QAction>(m_main.get(), "mnuBootstrap")->trigger(); },
        [&](QWidget* dialog) {
            gui::child<QListWidget>(dialog, "lstDV")->item(1)->setCheckState(Qt::Checked);
            gui::child<QListWidget>(dialog, "lstGV")->item(0)->setCheckState(Qt::Checked);
            gui::child<QLineEdit>(dialog, "txtGroup1")->setText(QStringLiteral("1"));
            gui::child<QLineEdit>(dialog, "txtGroup2")->setText(QStringLiteral("2"));
            gui::child<QLineEdit>(dialog, "txtSeed")->setText(seed);
            gui::child<QAbstractButton>(dialog, "opt2000")->click();
            gui::runToEnd(dialog);
            // A message leaves the dialog open.
            if (dialog->isVisible())
                qobject_cast<QDialog*>(dialog)->reject();
        });
    QVERIFY(cameUp);
}

void Tst_frmPlot::seededRunOnExamplesIsDrawn()
{
    gui::showMainWindow(m_main);
    auto* plotEntry = gui::child<QAction>(m_main.get(), "mnuPlot");
    QCOMPARE(plotEntry->text(), QStringLiteral("&Plot Last Bootstrap"));
    QVERIFY(!plotEntry->isEnabled());
    gui::chooseDataFile(m_main.get(), EXAMPLES, QStringLiteral("anxiety_comma.txt"));
    gui::child<QAbstractButton>(m_main.get(), "optComma")->click();
    gui::child<QAbstractButton>(m_main.get(), "cmdImportData")->click();
    runSeededBootstrap(QStringLiteral("20240611"));
    QVERIFY(plotEntry->isEnabled());

    const QString text = report();
    const QList<double> interval
        = reportNumbers(text, QStringLiteral("95% CI for population Robust D = "));
    const QList<double> valid
        = reportNumbers(text, QStringLiteral("Number of valid robust D bootstrap trials = "));
    const QList<double> observed = reportNumbers(text, QStringLiteral("Robust Cohen's D = "));
    const QList<double> trimmed = reportNumbers(text, QStringLiteral("Trimmed Mean"));
    QCOMPARE(interval.size(), 2);
    QCOMPARE(valid.size(), 1);
    QCOMPARE(trimmed.size(), 2);

    const bool shown = gui::withModal(
        "frmPlot", [&] { plotEntry->trigger(); },
        [&](QWidget* window) {
            QCOMPARE(window->windowTitle(), QStringLiteral("Bootstrap Plot"));
            QChart* distribution = chartOf(window, "picDistribution");
            QCOMPARE(distribution->title(),
                QStringLiteral("Bootstrap distribution of Robust Cohen's D (V = %1)")
                    .arg(valid[0]));
            QCOMPARE(barTotal(distribution), qRound64(valid[0]));
            // The report rounds to 3 decimals.
            QVERIFY(qAbs(lineX(distribution, "serLowerBound") - interval[0]) <= 0.0005);
            QVERIFY(qAbs(lineX(distribution, "serUpperBound") - interval[1]) <= 0.0005);
            QVERIFY(qAbs(lineX(distribution, "serObservedD") - observed.value(0)) <= 0.0005);
            QCOMPARE(distribution->axes(Qt::Horizontal).value(0)->titleText(),
                QStringLiteral("Robust Cohen's D"));

            QChart* groups = chartOf(window, "picGroups");
            QCOMPARE(groups->axes(Qt::Vertical).value(0)->titleText(), QStringLiteral("Var 2"));
            auto* categories
                = qobject_cast<QBarCategoryAxis*>(groups->axes(Qt::Horizontal).value(0));
            QVERIFY(categories);
            QCOMPARE(categories->categories(),
                (QStringList { QStringLiteral("Group 1 (1)"), QStringLiteral("Group 2 (2)") }));
            // Golden values: numpy.percentile of each group's values, whiskers and outliers by
            // hand.
            const QList<QBoxSet*> boxes = series<QBoxPlotSeries>(groups, "serBoxes")->boxSets();
            QCOMPARE(boxes.size(), 2);
            QCOMPARE(boxes[0]->at(QBoxSet::LowerQuartile), 41.57499980926514);
            QCOMPARE(boxes[0]->at(QBoxSet::Median), 48.39999961853027);
            QCOMPARE(boxes[0]->at(QBoxSet::UpperQuartile), 50.35000038146973);
            QCOMPARE(boxes[0]->at(QBoxSet::LowerExtreme), 35.20000076293945);
            QCOMPARE(boxes[0]->at(QBoxSet::UpperExtreme), 62.900001525878906);
            QCOMPARE(boxes[1]->at(QBoxSet::LowerQuartile), 33.82499885559082);
            QCOMPARE(boxes[1]->at(QBoxSet::UpperExtreme), 44.099998474121094);
            auto* outliers = series<QScatterSeries>(groups, "serOutliers");
            QVERIFY(outliers);
            QCOMPARE(outliers->points(),
                (QList<QPointF> { { 1, 23.799999237060547 }, { 1, 51.400001525878906 } }));
            auto* means = series<QScatterSeries>(groups, "serTrimmedMeans");
            QCOMPARE(means->count(), 2);
            QVERIFY(qAbs(means->at(0).y() - trimmed[0]) <= 0.0005);
            QVERIFY(qAbs(means->at(1).y() - trimmed[1]) <= 0.0005);
            gui::child<QAbstractButton>(window, "cmdClose")->click();
        });
    QVERIFY(shown);

    // A run that ends in a message keeps the last plot; an import discards it.
    MessageBox::setNextAnswer(QMessageBox::Ok);
    runSeededBootstrap(QStringLiteral("not a seed"));
    QCOMPARE(MessageBox::lastText(),
        QStringLiteral("The seed must be a whole number from 0 to 18446744073709551615."));
    QVERIFY(plotEntry->isEnabled());
    gui::child<QAbstractButton>(m_main.get(), "cmdImportData")->click();
    QVERIFY(!plotEntry->isEnabled());
}

void Tst_frmPlot::savedPicture_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("svg by its extension") << QStringLiteral("plot.svg");
    QTest::newRow("png by its extension") << QStringLiteral("plot.png");
    QTest::newRow("extension in capitals") << QStringLiteral("PLOT.SVG");
}

void Tst_frmPlot::savedPicture()
{
    QFETCH(QString, name);
    const std::shared_ptr<BootstrapRun> run = generatedRun(200, 2000);
    frmPlot window(run);
    window.resize(900, 500);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QString path = m_dir.filePath(name);
    QFile::remove(path);
    SaveFileDialog::setNextFileName(path);
    gui::child<QAbstractButton>(&window, "cmdSavePlot")->click();

    if (name.endsWith(QLatin1String("png"))) {
        QImage image;
        QVERIFY(image.load(path, "PNG"));
        QCOMPARE(image.size(), window.size() * window.devicePixelRatio());
        return;
    }
    const QString faults = pictures::xmllintFaults(path);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
    const QStringList texts = pictures::svgTexts(path);
    QVERIFY2(
        texts.contains(QStringLiteral("Bootstrap distribution of Robust Cohen's D (V = 2000)")),
        qPrintable(texts.join('|')));
    QVERIFY(texts.contains(QStringLiteral("Group 2 (2)")));
    QVERIFY(texts.contains(QStringLiteral("Var 3")));
}

void Tst_frmPlot::saveProblemsAreShown_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("a folder that does not exist")
        << QStringLiteral("missing/plot.svg") << QStringLiteral("The file could not be saved: ");
    QTest::newRow("neither svg nor png")
        << QStringLiteral("plot.txt") << QStringLiteral("is not an .svg or .png file name.");
    QTest::newRow("cancel writes nothing") << QString() << QString();
}

void Tst_frmPlot::saveProblemsAreShown()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    QTemporaryDir folder;
    frmPlot window(generatedRun(50, 100));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QString path = name.isEmpty() ? QString() : folder.filePath(name);
    SaveFileDialog::setNextFileName(path);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    gui::child<QAbstractButton>(&window, "cmdSavePlot")->click();
    if (message.isEmpty()) {
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList());
        MessageBox::warning(nullptr, QString(), QString()); // takes the unused answer
        return;
    }
    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Bootstrap Plot"));
    QVERIFY2(MessageBox::lastText().contains(QDir::toNativeSeparators(path)),
        qPrintable(MessageBox::lastText()));
    QVERIFY2(MessageBox::lastText().contains(message), qPrintable(MessageBox::lastText()));
    QVERIFY(!QFile::exists(path));
}

void Tst_frmPlot::copyPutsBothPlotsOnTheClipboard()
{
    frmPlot window(generatedRun(200, 2000));
    window.resize(900, 500);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QApplication::clipboard()->clear();
    gui::child<QAbstractButton>(&window, "cmdCopyPlot")->click();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    QVERIFY(data && data->hasImage());
    QCOMPARE(
        qvariant_cast<QImage>(data->imageData()).size(), window.size() * window.devicePixelRatio());
    QVERIFY(data->data(QStringLiteral("image/svg+xml")).contains("Group 1 (1)"));
}

void Tst_frmPlot::closeAndEscapeCloseTheWindow_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Close") << false;
    QTest::newRow("Escape") << true;
}

void Tst_frmPlot::closeAndEscapeCloseTheWindow()
{
    QFETCH(bool, escape);
    frmPlot window(generatedRun(50, 100));
    const bool closed = gui::withModal(
        "frmPlot", [&] { window.exec(); },
        [&](QWidget* shown) {
            QVERIFY(QTest::qWaitForWindowActive(shown));
            if (escape)
                QTest::keyClick(shown, Qt::Key_Escape);
            else
                gui::child<QAbstractButton>(shown, "cmdClose")->click();
        });
    QVERIFY(closed);
}

void Tst_frmPlot::nothingShortenedAtTheMinimumSize_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("group1");
    QTest::addColumn<double>("textScale");
    const QString shortName = QStringLiteral("Var 3");
    const QString longName = QStringLiteral("Var 12 (reaction time after the second cue, ms)");
    // Desktops that scale text alone give the program a larger font.
    for (double scale : { 1.0, 1.5, 2.0 }) {
        const QByteArray percent = QByteArray::number(qRound(scale * 100)) + "% text";
        QTest::newRow("short names, " + percent) << shortName << "1" << scale;
        QTest::newRow("long names, " + percent) << longName << "-123.456" << scale;
    }
}

void Tst_frmPlot::nothingShortenedAtTheMinimumSize()
{
    QFETCH(QString, label);
    QFETCH(QString, group1);
    QFETCH(double, textScale);
    const QFont normalFont = QApplication::font();
    QFont scaledFont = normalFont;
    scaledFont.setPointSizeF(normalFont.pointSizeF() * textScale);
    QApplication::setFont(scaledFont);
    const auto restoreFont = qScopeGuard([&] { QApplication::setFont(normalFont); });
    // Seven digits of valid trials make the longest title.
    const std::shared_ptr<BootstrapRun> run = generatedRun(100, 1000000);
    run->dependentLabel = label.toStdString();
    run->strGroup1 = group1.toStdString();
    frmPlot window(run);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.resize(window.minimumSize());
    QTRY_COMPARE(window.size(), window.minimumSize());
    QCoreApplication::processEvents();
    QStringList faults;
    for (const char* name : { "picDistribution", "picGroups" }) {
        auto* view = gui::child<QChartView>(&window, name);
        faults << shortenedTexts(view);
        const QRectF plot = view->chart()->plotArea();
        if (plot.width() < 100 || plot.height() < 100)
            faults << QStringLiteral("%1: plot area only %2x%3")
                          .arg(QLatin1String(name))
                          .arg(plot.width())
                          .arg(plot.height());
    }
    for (const char* name : { "cmdSavePlot", "cmdCopyPlot", "cmdClose" }) {
        auto* button = gui::child<QAbstractButton>(&window, name);
        if (!window.rect().contains(button->geometry())
            || button->width() < button->minimumSizeHint().width())
            faults << QStringLiteral("%1 clipped").arg(QLatin1String(name));
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
}

void Tst_frmPlot::coloursStayApartInGreyScale()
{
    frmPlot window(generatedRun(200, 2000));
    QChart* distribution = chartOf(&window, "picDistribution");
    QChart* groups = chartOf(&window, "picGroups");
    auto* bars = series<QAreaSeries>(distribution, "serBootstrapD");
    auto* boxes = series<QBoxPlotSeries>(groups, "serBoxes");
    auto* means = series<QScatterSeries>(groups, "serTrimmedMeans");
    const QList<QList<QColor>> together {
        { bars->brush().color(), series<QLineSeries>(distribution, "serLowerBound")->pen().color(),
            series<QLineSeries>(distribution, "serObservedD")->pen().color(), bars->pen().color() },
        { boxes->brush().color(), boxes->pen().color(), means->brush().color() },
    };
    for (const QList<QColor>& colours : together) {
        for (qsizetype i = 0; i < colours.size(); ++i)
            for (qsizetype j = i + 1; j < colours.size(); ++j)
                QVERIFY2(qAbs(qGray(colours[i].rgb()) - qGray(colours[j].rgb())) >= 40,
                    qPrintable(colours[i].name() + QStringLiteral(" and ") + colours[j].name()));
    }
}

void Tst_frmPlot::millionObservationsMakeFewChartItems()
{
    const std::shared_ptr<BootstrapRun> run = generatedRun(1000000, 1000000);
    // Far values in both groups: one marker stands for every outlier within a thousandth of the
    // range.
    for (std::size_t i = 0; i < 20000; ++i)
        run->group1[i] = 200.0f + static_cast<float>(i) * 0.001f;
    frmPlot window(run);
    QChart* distribution = chartOf(&window, "picDistribution");
    QChart* groups = chartOf(&window, "picGroups");
    QVERIFY(series<QAreaSeries>(distribution, "serBootstrapD")->upperSeries()->count() <= 400);
    QCOMPARE(barTotal(distribution), 1000000);
    auto* outliers = series<QScatterSeries>(groups, "serOutliers");
    QVERIFY(outliers->count() > 10);
    QVERIFY2(outliers->count() <= 2002, qPrintable(QString::number(outliers->count())));
}

void Tst_frmPlot::noValidTrialAndNoObservedDLeaveOnlyTheGroups()
{
    const std::shared_ptr<BootstrapRun> run = generatedRun(50, 0);
    run->lowerBound.reset();
    run->upperBound.reset();
    run->sngRobustD.reset();
    frmPlot window(run);
    QChart* distribution = chartOf(&window, "picDistribution");
    QCOMPARE(distribution->title(),
        QStringLiteral("Bootstrap distribution of Robust Cohen's D (V = 0)"));
    QVERIFY(distribution->series().isEmpty());
    auto* axis = qobject_cast<QValueAxis*>(distribution->axes(Qt::Horizontal).value(0));
    QVERIFY(axis && axis->min() >= -10 && axis->max() <= 10 && axis->min() < axis->max());
    QCOMPARE(series<QBoxPlotSeries>(chartOf(&window, "picGroups"), "serBoxes")->count(), 2);
}

void Tst_frmPlot::saveReplacesOnlyFilesAndAsksFirst_data()
{
    using filekinds::Kind;
    QTest::addColumn<Kind>("kind"); // what plot.svg is before
    QTest::addColumn<int>("answer"); // to the question; Ok where none may come
    QTest::addColumn<QString>("type"); // what plot.svg is after
    QTest::addColumn<bool>("written");
    const int yes = QMessageBox::Yes;
    const int no = QMessageBox::No;
    const int none = QMessageBox::Ok;
    QTest::newRow("a file, No keeps it") << Kind::File << no << "file" << false;
    QTest::newRow("a file, Yes replaces it") << Kind::File << yes << "file" << true;
    QTest::newRow("a link to a file, Yes replaces the file")
        << Kind::LinkToFile << yes << "link" << true;
    QTest::newRow("a link to nothing, No keeps it") << Kind::DanglingLink << no << "link" << false;
    QTest::newRow("a link to nothing, Yes puts the file in its place")
        << Kind::DanglingLink << yes << "file" << true;
    QTest::newRow("a named pipe is refused unasked") << Kind::Pipe << none << "pipe" << false;
    QTest::newRow("a folder is refused unasked") << Kind::Folder << none << "folder" << false;
    QTest::newRow("a link to the null device is refused unasked")
        << Kind::LinkToDevice << none << "link" << false;
}

// Save follows Save Output's rules: a name taken by a file or a link is
// replaced only on Yes, No the default; anything else is refused at once.
void Tst_frmPlot::saveReplacesOnlyFilesAndAsksFirst()
{
    QFETCH(filekinds::Kind, kind);
    QFETCH(int, answer);
    QFETCH(QString, type);
    QFETCH(bool, written);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("plot.svg"));
    if (!filekinds::make(path, kind))
        QSKIP("making a device node needs root");
    const QList<QByteArray> before = filekinds::nativeEntries(folder.path());
    frmPlot window(generatedRun(50, 100));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    SaveFileDialog::setNextFileName(path);
    MessageBox::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
    gui::child<QAbstractButton>(&window, "cmdSavePlot")->click();

    QCOMPARE(MessageBox::lastTitle(), QStringLiteral("Bootstrap Plot"));
    QCOMPARE(MessageBox::lastText(),
        answer == QMessageBox::Ok
            ? "The file could not be saved: " + QDir::toNativeSeparators(path)
            : QStringLiteral("plot.svg already exists. Do you want to replace it?"));
    QCOMPARE(filekinds::entryType(path), type);
    QCOMPARE(filekinds::nativeEntries(folder.path()), before);
    QCOMPARE(filekinds::entryType(folder.filePath(QStringLiteral("never made"))),
        QStringLiteral("nothing"));
    if (answer == QMessageBox::Ok)
        return; // a pipe would keep a reader waiting
    const QStringList texts = pictures::svgTexts(path);
    QCOMPARE(texts.contains(QStringLiteral("Bootstrap distribution of Robust Cohen's D (V = 100)")),
        written);
}

// The window draws whatever run it is given: empty groups and values that
// are not finite are left out, never a crash.
void Tst_frmPlot::runThatCannotBeDrawnStillOpens()
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::shared_ptr<BootstrapRun> run = generatedRun(20, 50);
    run->group2.clear();
    run->group1[3] = nan;
    run->group1[4] = -inf;
    run->effects[0] = nan;
    run->effects[1] = inf;
    frmPlot window(run);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(barTotal(chartOf(&window, "picDistribution")), 48);
    QCOMPARE(series<QBoxPlotSeries>(chartOf(&window, "picGroups"), "serBoxes")->count(), 2);
}

QTEST_MAIN(Tst_frmPlot)
#include "tst_frmPlot.moc"
