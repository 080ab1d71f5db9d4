// placeholder
#include "platform/FileListBox.h"
QString joinPath(const QString& folder, const QString& name) { return folder + QLatin1Char('/') + name; }
FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {}
QString FileListBox::path() const { return {}; }
void FileListBox::setPath(const QString&) {}
QString FileListBox::pattern() const { return {}; }
void FileListBox::setPattern(const QString&) {}
void FileListBox::refresh() {}
