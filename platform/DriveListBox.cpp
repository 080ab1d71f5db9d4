// placeholder
#include "platform/DriveListBox.h"
DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {}
QString DriveListBox::drive() const { return currentText(); }
void DriveListBox::setDrive(const QString&) {}
QString DriveListBox::driveOf(const QString&) { return QStringLiteral("/"); }
QStringList DriveListBox::availableDrives() { return {QStringLiteral("/")}; }
