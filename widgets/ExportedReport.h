// The output pane's text as a document for a manuscript: an HTML page, an
// OpenDocument text or a PDF.
#pragma once

#include <QByteArray>
#include <QLocale>
#include <QPageSize>
#include <QString>
#include <QStringList>

enum class ExportFormat { Html, Odt, Pdf };

// The file types offered when exporting, in the order of ExportFormat:
// "HTML page (*.html)", "OpenDocument text (*.odt)", "PDF (*.pdf)".
QStringList exportFilters();

// Where and how a name chosen in the save dialog is exported.
struct ExportTarget {
    QString fileName;
    ExportFormat format = ExportFormat::Html;
};
// A name ending in ".html", ".odt" or ".pdf" (in any case) is exported in
// that format as it is; any other name gets the extension of `chosenFilter`
// (one of exportFilters(); the first when it is none of them) added and is
// exported in that format: "results.rtf" as HTML becomes "results.rtf.html".
ExportTarget exportTarget(const QString& chosenName, const QString& chosenFilter);

// The paper that `locale` prints on: Letter where the US customary units are
// used, A4 elsewhere.
QPageSize::PageSizeId paperFor(const QLocale& locale);

// `text` (lines ended by LF) as a document of `format`, in a monospace font
// so that the report tables stay aligned: a standalone UTF-8 HTML page
// holding it in a <pre>, an OpenDocument text with a paragraph per line, or
// a PDF on `paper`. Control characters other than tab and line end are left
// out of the OpenDocument text and shown as U+FFFD on the page. Empty when
// Qt's writer fails.
QByteArray exportedReport(
    const QString& text, ExportFormat format, QPageSize::PageSizeId paper = paperFor(QLocale()));
