// frmSplash: the title screen shown while the main window loads.
#include "forms/frmSplash.h"

#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QLabel* splashLabel(const QString& name, int pointSize, bool bold, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    QFont font(QStringLiteral("Arial"), pointSize);
    font.setBold(bold);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->installEventFilter(this);
    lblName2 = splashLabel(QStringLiteral("lblName2"), 14, false, Frame1);
    lblProductName = splashLabel(QStringLiteral("lblProductName"), 28, true, Frame1);
    lblCompany = splashLabel(QStringLiteral("lblCompany"), 10, false, Frame1);
    lblRights = splashLabel(QStringLiteral("lblRights"), 9, false, Frame1);

    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->setContentsMargins(32, 28, 32, 20);
    frameLayout->addWidget(lblProductName);
    frameLayout->addWidget(lblName2);
    frameLayout->addSpacing(24);
    frameLayout->addWidget(lblCompany);
    frameLayout->addWidget(lblRights);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(Frame1);

    Form_Load();
}

void frmSplash::Form_Load()
{
    lblName2->setText(QStringLiteral("Independent Groups"));
    lblProductName->setText(QStringLiteral("Trellam:"));
    lblCompany->setText(QStringLiteral("Robust effect sizes with bootstrap confidence intervals"));
    lblRights->setText(QChar(169) + QStringLiteral("2026 The Trellam developers. Free software under the GNU GPL, version 3 or later."));
}

void frmSplash::Frame1_Click()
{
    close();
}

void frmSplash::keyPressEvent(QKeyEvent*)
{
    close();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Frame1 && event->type() == QEvent::MouseButtonRelease) {
        Frame1_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
