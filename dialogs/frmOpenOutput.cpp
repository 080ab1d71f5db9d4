// frmOpenOutput: loads a text file into the output pane.
#include "dialogs/frmOpenOutput.h"

#include "app/OutputPane.h"

frmOpenOutput::frmOpenOutput(OutputPane* output, QWidget* parent)
    : QDialog(parent)
    , m_output(output)
{
    setObjectName(QStringLiteral("frmOpenOutput"));
}
