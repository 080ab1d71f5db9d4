// frmBootstrap: the effect-size bootstrap dialog.
#include "forms/frmBootstrap.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <array>
#include <utility>

namespace {

QRadioButton* option(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

frmBootstrap::frmBootstrap(const DataMatrix& data, OutputPane* output, QWidget* parent)
    : TwoGroupDialog(data, output, parent)
{
    setObjectName(QStringLiteral("frmBootstrap"));
    setWindowTitle(QStringLiteral("Effect Size Bootstrap"));
    createControls();
    connect(cmdOK, &QPushButton::clicked, this, &frmBootstrap::cmdOK_Click);
    opt600->setChecked(true);
}

void frmBootstrap::createControls()
{
    fraTrials = new QGroupBox(QStringLiteral("Bootstrap Trials"), this);
    fraTrials->setObjectName(QStringLiteral("fraTrials"));
    opt600 = option("opt600", QStringLiteral("600"), fraTrials);
    opt800 = option("opt800", QStringLiteral("800"), fraTrials);
    opt1000 = option("opt1000", QStringLiteral("1000"), fraTrials);
    opt1200 = option("opt1200", QStringLiteral("1200"), fraTrials);
    opt1400 = option("opt1400", QStringLiteral("1400"), fraTrials);
    opt1600 = option("opt1600", QStringLiteral("1600"), fraTrials);
    opt1800 = option("opt1800", QStringLiteral("1800"), fraTrials);
    opt2000 = option("opt2000", QStringLiteral("2000"), fraTrials);
    opt5000 = option("opt5000", QStringLiteral("5000"), fraTrials);
    opt10000 = option("opt10000", QStringLiteral("10000"), fraTrials);

    createTrialBox();
    lblSeed = new QLabel(QStringLiteral("Seed"), this);
    lblSeed->setObjectName(QStringLiteral("lblSeed"));
    txtSeed = new QLineEdit(this);
    txtSeed->setObjectName(QStringLiteral("txtSeed"));
    txtSeed->setToolTip(
        QStringLiteral("Empty: a new seed from the clock at every run, named in the report"));
    lblSeed->setBuddy(txtSeed);

    auto* trialsLayout = new QGridLayout(fraTrials);
    const std::array trials { opt600, opt800, opt1000, opt1200, opt1400, opt1600, opt1800, opt2000,
        opt5000, opt10000 };
    for (int i = 0; i < static_cast<int>(trials.size()); ++i)
        trialsLayout->addWidget(trials[static_cast<std::size_t>(i)], i % 4, i / 4);

    // From the group values through the trials and the level to the seed.
    QHBoxLayout* trialRow = placeTrialControls(fraTrials,
        { opt600, opt800, opt1000, opt1200, opt1400, opt1600, opt1800, opt2000, opt5000, opt10000,
            opt90CI, opt95CI, opt99CI, txtSeed });
    trialRow->addWidget(lblSeed);
    trialRow->addWidget(txtSeed);
}

BootstrapRequest frmBootstrap::readRequest() const
{
    BootstrapRequest request;
    readChoice(request);
    const std::array<std::pair<QRadioButton*, int32_t>, 10> trials { { { opt600, 600 },
        { opt800, 800 }, { opt1000, 1000 }, { opt1200, 1200 }, { opt1400, 1400 }, { opt1600, 1600 },
        { opt1800, 1800 }, { opt2000, 2000 }, { opt5000, 5000 }, { opt10000, 10000 } } };
    for (const auto& [button, count] : trials) {
        if (button->isChecked()) {
            request.lngTrials = count;
            break;
        }
    }
    request.strSeed = txtSeed->text().toStdString();
    request.clockSeed = seedFromClock();
    return request;
}

void frmBootstrap::cmdOK_Click()
{
    runTrials([this] { return trialRun(readRequest(), &runBootstrapAnalysis); });
}
