// frmGuide: the user's guide, shown inside the program.
#include "forms/frmGuide.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

frmGuide::frmGuide(const QString& guidePath, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmGuide"));
    setWindowTitle(QStringLiteral("User's Guide"));
    txtGuide = new QTextBrowser(this);
    txtGuide->setObjectName(QStringLiteral("txtGuide"));
    txtGuide->setOpenExternalLinks(true);
    // Read as Markdown from its file, so that its pictures and sections resolve.
    txtGuide->setSource(QUrl::fromLocalFile(guidePath), QTextDocument::MarkdownResource);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtGuide);
    layout->addWidget(buttons);
    resize(760, 640);
}

QString frmGuide::findGuide()
{
    const QString installed = QCoreApplication::applicationDirPath()
        + QStringLiteral("/../share/doc/trellam/guide.md");
    for (const QString& path : { installed, QStringLiteral(TRELLAM_SOURCE_GUIDE) }) {
        if (QFileInfo(path).isFile())
            return QFileInfo(path).canonicalFilePath();
    }
    return QString();
}
