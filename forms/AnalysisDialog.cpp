// What the analysis dialogs share: the data set, how a run ends and how its outcome shows.
#include "forms/AnalysisDialog.h"

#include "analyses/AnalysisResult.h"
#include "platform/BusyCursor.h"
#include "platform/MessageBox.h"
#include "widgets/OutputPane.h"

#include <QCloseEvent>

namespace {

AnalysisResult guardedRun(const std::function<AnalysisResult()>& analysis)
{
    try {
        const BusyCursor busy;
        return analysis();
    } catch (...) {
        return { failedAnalysisMessage(), {} };
    }
}

} // namespace

AnalysisDialog::AnalysisDialog(const DataMatrix& data, OutputPane* output, QWidget* parent)
    : QDialog(parent)
    , m_data(data)
    , m_output(output)
{
}

void AnalysisDialog::runAnalysis(const std::function<AnalysisResult()>& analysis)
{
    showResult(guardedRun(analysis));
}

void AnalysisDialog::showResult(const AnalysisResult& result)
{
    if (result.cancelled)
        return;
    if (!result.message.empty()) {
        MessageBox::warning(
            this, QStringLiteral("Analysis Error"), QString::fromStdString(result.message));
        return;
    }
    m_output->appendAnalysisReport(result);
    if (result.record)
        emit analysisCompleted(result.record);
    accept();
}

void AnalysisDialog::reject()
{
    if (m_stopRun)
        m_stopRun();
    else
        QDialog::reject();
}

void AnalysisDialog::cmdCancel_Click()
{
    reject();
}

void AnalysisDialog::closeEvent(QCloseEvent* event)
{
    QDialog::closeEvent(event);
    if (event->isAccepted())
        deleteLater();
}
