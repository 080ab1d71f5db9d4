// Line ends where text crosses the program's edge.
#pragma once

#include <QString>
#include <QStringView>

// Inside the program every line ends in LF. Text that leaves it (output
// files, the clipboard) ends its lines in CR LF; text that comes in may end
// them in CR LF, LF or CR.

// `text` with each LF turned into CR LF.
QString withCrLf(QStringView text);
// `text` with each CR LF and each lone CR turned into LF.
QString withLf(QStringView text);
