// frmSaveOutput: saves the output pane to a text file.
#include "dialogs/frmSaveOutput.h"

#include "app/OutputPane.h"

frmSaveOutput::frmSaveOutput(OutputPane* output, QWidget* parent)
    : QDialog(parent)
    , m_output(output)
{
    setObjectName(QStringLiteral("frmSaveOutput"));
}
