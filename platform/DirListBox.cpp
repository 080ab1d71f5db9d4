// placeholder
#include "platform/DirListBox.h"
DirListBox::DirListBox(QWidget* parent) : QListWidget(parent) {}
QString DirListBox::path() const { return {}; }
bool DirListBox::setPath(const QString&) { return false; }
