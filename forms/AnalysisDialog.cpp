// What the analysis dialogs share: how they end and how they show an outcome.
#include "forms/AnalysisDialog.h"

#include "widgets/OutputPane.h"
#include "platform/MessageBox.h"

#include <QCloseEvent>

AnalysisDialog::AnalysisDialog(OutputPane* output, QWidget* parent)
    : QDialog(parent)
    , m_output(output)
{
}

void AnalysisDialog::showOutcome(const std::string& message, const std::string& report)
{
    if (!message.empty()) {
        MessageBox::warning(this, QStringLiteral("Analysis Error"), QString::fromStdString(message));
        return;
    }
    m_output->appendReport(QString::fromStdString(report));
    accept();
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
