// frmPlot: the plots of the last completed bootstrap run.
#pragma once

#include <QDialog>

#include <memory>

class QChartView;
class QPushButton;
struct BootstrapRun;

// Side by side, each growing with the window: the distribution of the valid
// bootstrap d's with the interval's bounds and the observed d, and a box plot
// of each group with its trimmed mean. Save writes both to an SVG or PNG file
// of the window's size, Copy puts them on the clipboard; Close and Escape
// close the window.
class frmPlot : public QDialog {
    Q_OBJECT
public:
    explicit frmPlot(std::shared_ptr<const BootstrapRun> run, QWidget* parent = nullptr);

private:
    void createControls();
    void connectHandlers();

    void cmdSavePlot_Click();
    void cmdCopyPlot_Click();

    std::shared_ptr<const BootstrapRun> m_run;
    QChartView* picDistribution = nullptr;
    QChartView* picGroups = nullptr;
    QPushButton* cmdSavePlot = nullptr;
    QPushButton* cmdCopyPlot = nullptr;
    QPushButton* cmdClose = nullptr;
};
