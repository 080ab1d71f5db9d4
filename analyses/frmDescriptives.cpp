// frmDescriptives: the descriptives dialog.
#include "analyses/frmDescriptives.h"

#include "app/OutputPane.h"

frmDescriptives::frmDescriptives(OutputPane* output, QWidget* parent)
    : QDialog(parent)
    , m_output(output)
{
    setObjectName(QStringLiteral("frmDescriptives"));
}
