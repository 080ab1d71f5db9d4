// frmNavigate: steps through the data set one cell at a time.
#include "dialogs/frmNavigate.h"

frmNavigate::frmNavigate(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmNavigate"));
}
