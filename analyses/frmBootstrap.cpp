// frmBootstrap: the effect-size bootstrap dialog.
#include "analyses/frmBootstrap.h"

#include "app/OutputPane.h"

frmBootstrap::frmBootstrap(OutputPane* output, QWidget* parent)
    : QDialog(parent)
    , m_output(output)
{
    setObjectName(QStringLiteral("frmBootstrap"));
}
