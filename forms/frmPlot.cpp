// frmPlot: the plots of the last completed bootstrap run.
#include "forms/frmPlot.h"

#include "analyses/BootstrapRun.h"
#include "platform/BusyCursor.h"
#include "platform/MessageBox.h"
#include "platform/NativePath.h"
#include "platform/SaveFileDialog.h"
#include "widgets/BootstrapPlot.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <new>
#include <utility>

namespace {

QChartView* plotView(QChart* chart, const char* name, QWidget* parent)
{
    auto* view = new QChartView(chart, parent);
    view->setObjectName(QLatin1String(name));
    view->setRenderHint(QPainter::Antialiasing);
    view->setFrameShape(QFrame::NoFrame);
    // Nothing to do in a plot by keyboard: Tab goes round the buttons.
    view->setFocusPolicy(Qt::NoFocus);
    return view;
}

QPushButton* button(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmPlot::frmPlot(std::shared_ptr<const BootstrapRun> run, QWidget* parent)
    : QDialog(parent)
    , m_run(std::move(run))
{
    setObjectName(QStringLiteral("frmPlot"));
    setWindowTitle(QStringLiteral("Bootstrap Plot"));
    setSizeGripEnabled(true);
    createControls();
    connectHandlers();
    // Roomy where the screen allows, never below what both plots need.
    QSize firstSize(1100, 600);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        firstSize = firstSize.boundedTo(screen->availableGeometry().size() * 0.9);
    resize(firstSize.expandedTo(minimumSizeHint()));
}

void frmPlot::createControls()
{
    picDistribution = plotView(BootstrapPlot::distributionChart(*m_run), "picDistribution", this);
    picGroups = plotView(BootstrapPlot::groupsChart(*m_run), "picGroups", this);
    // Equal halves, as in the pictures made of them.
    const QSize plotMinimum
        = BootstrapPlot::plotMinimumSize(picDistribution->chart(), picGroups->chart());
    picDistribution->setMinimumSize(plotMinimum);
    picGroups->setMinimumSize(plotMinimum);
    cmdSavePlot = button(QStringLiteral("&Save…"), "cmdSavePlot", this);
    cmdCopyPlot = button(QStringLiteral("&Copy"), "cmdCopyPlot", this);
    cmdClose = button(QStringLiteral("Close"), "cmdClose", this);
    cmdSavePlot->setToolTip(QStringLiteral("Save both plots as an SVG or PNG picture"));
    cmdCopyPlot->setToolTip(QStringLiteral("Copy both plots to the clipboard"));

    auto* plots = new QHBoxLayout;
    plots->addWidget(picDistribution, 1);
    plots->addWidget(picGroups, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSavePlot);
    buttons->addWidget(cmdCopyPlot);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(plots, 1);
    layout->addLayout(buttons);
}

void frmPlot::connectHandlers()
{
    connect(cmdSavePlot, &QPushButton::clicked, this, &frmPlot::cmdSavePlot_Click);
    connect(cmdCopyPlot, &QPushButton::clicked, this, &frmPlot::cmdCopyPlot_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmPlot::reject);
}

void frmPlot::cmdSavePlot_Click()
{
    const QString chosen = SaveFileDialog::getSaveFileName(this, QStringLiteral("Save Plot"),
        { QStringLiteral("SVG picture (*.svg)"), QStringLiteral("PNG picture (*.png)") });
    if (chosen.isEmpty())
        return;
    const std::string path = nativePath(chosen);
    // A name that is no picture's is refused by savePicture before anything is asked.
    if (BootstrapPlot::isPictureName(chosen)
        && !SaveFileDialog::confirmSave(this, windowTitle(), path))
        return;
    QString problem;
    try {
        const BusyCursor busy;
        problem = BootstrapPlot::savePicture(*m_run, path, size(), devicePixelRatioF());
    } catch (const std::bad_alloc&) {
        problem = QStringLiteral("The picture could not be saved: not enough memory.");
    } catch (...) {
        problem = QStringLiteral("The picture could not be saved.");
    }
    if (!problem.isEmpty())
        MessageBox::warning(this, windowTitle(), problem);
}

void frmPlot::cmdCopyPlot_Click()
{
    try {
        const BusyCursor busy;
        QApplication::clipboard()->setMimeData(
            BootstrapPlot::pictureMimeData(*m_run, size(), devicePixelRatioF()));
    } catch (...) {
        MessageBox::warning(
            this, windowTitle(), QStringLiteral("The picture could not be copied."));
    }
}
