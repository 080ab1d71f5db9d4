// The output pane's text as a document for a manuscript: an HTML page, an
// OpenDocument text or a PDF.
#include "widgets/ExportedReport.h"

#include "report/SourceLine.h"

#include <QBuffer>
#include <QFont>
#include <QFontDatabase>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentWriter>

#include <array>

namespace {

struct FormatInfo {
    const char* filter;
    const char* suffix;
};
constexpr std::array<FormatInfo, 3> FORMATS { { { "HTML page (*.html)", ".html" },
    { "OpenDocument text (*.odt)", ".odt" }, { "PDF (*.pdf)", ".pdf" } } };

const QString documentTitle = QStringLiteral("Trellam output");

// The program that made a document, where the format has room to say so.
QString generator()
{
    const std::string_view version = report::programVersion();
    return QStringLiteral("Trellam ")
        + QString::fromUtf8(version.data(), qsizetype(version.size()));
}

// Report tables are 50 to 60 characters wide; at 9 points some 85 fit
// between the margins of either paper.
constexpr int POINT_SIZE = 9;

// A line end right after <pre> belongs to the tag, so that a first empty
// line of the text is kept.
QByteArray htmlPage(const QString& text)
{
    QString page = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                                  "<meta name=\"generator\" content=\"%1\">\n"
                                  "<title>%2</title>\n</head>\n<body>\n<pre>\n")
                       .arg(generator(), documentTitle);
    // Control characters other than tab and line end have no place in a page.
    QString escaped = text.toHtmlEscaped();
    for (QChar& c : escaped) {
        if ((c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
            || c.unicode() == 0x7F)
            c = QChar::ReplacementCharacter;
    }
    page += escaped;
    page += QLatin1String("</pre>\n</body>\n</html>\n");
    return page.toUtf8();
}

// A document of `text` with every character in `font`.
void fillDocument(QTextDocument& document, const QString& text, const QFont& font)
{
    document.setDefaultFont(font);
    document.setMetaInformation(QTextDocument::DocumentTitle, documentTitle);
    // A paragraph per line: the line end of the last line starts none.
    document.setPlainText(text.endsWith(QLatin1Char('\n')) ? text.chopped(1) : text);
    QTextCursor all(&document);
    all.select(QTextCursor::Document);
    QTextCharFormat format;
    format.setFont(font);
    // The OpenDocument writer names a family only where the format holds it
    // also under its former property.
    format.setFontFamilies(QStringList { font.family() });
    format.setProperty(QTextFormat::OldFontFamily, font.family());
    all.mergeCharFormat(format);
}

QByteArray openDocumentText(const QString& text)
{
    // Named for the program that opens the file: word processors everywhere
    // have Courier New or a font of its metrics.
    QFont font(QStringLiteral("Courier New"), POINT_SIZE);
    font.setStyleHint(QFont::TypeWriter);
    QTextDocument document;
    fillDocument(document, text, font);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QTextDocumentWriter writer(&buffer, "ODF");
    if (!writer.write(&document))
        return QByteArray();
    return buffer.data();
}

QByteArray pdf(const QString& text, QPageSize::PageSizeId paper)
{
    // The PDF carries its font, so the fixed-pitch font of this system serves.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(POINT_SIZE);
    QTextDocument document;
    fillDocument(document, text, font);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(documentTitle);
        writer.setCreator(generator());
        writer.setPageSize(QPageSize(paper));
        // Unpaginated, the document is printed with margins and page numbers of its own.
        document.print(&writer);
    }
    return buffer.data();
}

} // namespace

QStringList exportFilters()
{
    QStringList filters;
    for (const FormatInfo& info : FORMATS)
        filters << QLatin1String(info.filter);
    return filters;
}

ExportTarget exportTarget(const QString& chosenName, const QString& chosenFilter)
{
    for (std::size_t i = 0; i < FORMATS.size(); ++i) {
        if (chosenName.endsWith(QLatin1String(FORMATS[i].suffix), Qt::CaseInsensitive))
            return { chosenName, ExportFormat(i) };
    }
    const std::size_t chosen = std::size_t(qMax(0, exportFilters().indexOf(chosenFilter)));
    return { chosenName + QLatin1String(FORMATS[chosen].suffix), ExportFormat(chosen) };
}

QPageSize::PageSizeId paperFor(const QLocale& locale)
{
    return locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                   : QPageSize::A4;
}

QByteArray exportedReport(const QString& text, ExportFormat format, QPageSize::PageSizeId paper)
{
    switch (format) {
    case ExportFormat::Html:
        return htmlPage(text);
    case ExportFormat::Odt:
        return openDocumentText(text);
    case ExportFormat::Pdf:
        return pdf(text, paper);
    }
    return QByteArray();
}
