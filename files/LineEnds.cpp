// Line ends where text crosses the program's edge.
#include "files/LineEnds.h"

#include <algorithm>

// Both conversions run in one pass: QString::replace() slows to seconds on
// megabytes of text with hundreds of thousands of line ends.
QString withCrLf(QStringView text)
{
    const qsizetype breaks = std::count(text.begin(), text.end(), QLatin1Char('\n'));
    QString crlf(text.size() + breaks, Qt::Uninitialized);
    QChar* out = crlf.data();
    for (const QChar c : text) {
        if (c == QLatin1Char('\n'))
            *out++ = QLatin1Char('\r');
        *out++ = c;
    }
    return crlf;
}

QString withLf(QStringView text)
{
    QString lf(text.size(), Qt::Uninitialized);
    QChar* out = lf.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c == QLatin1Char('\r')) {
            c = QLatin1Char('\n');
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
        }
        *out++ = c;
    }
    lf.truncate(out - lf.constData());
    return lf;
}
