// frmBootstrap: the effect-size bootstrap dialog.
#include "forms/frmBootstrap.h"

#include "analyses/BootstrapAnalysis.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

#include <array>
#include <utility>

namespace {

// While it lives, no user input and no close request reaches any window of
// the program, so that a run ends with exactly one report while the screen
// keeps repainting.
class InputBlocker : public QObject {
public:
    InputBlocker() { QCoreApplication::instance()->installEventFilter(this); }
    ~InputBlocker() override { QCoreApplication::instance()->removeEventFilter(this); }
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

    // Input held back while the run processed events without it is
    // delivered here, and so dropped rather than replayed after the run.
    void dropHeldInput() { QCoreApplication::processEvents(); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return event->isInputEvent() || event->type() == QEvent::Shortcut;
    }
};

// Differs between two runs in the same second.
uint64_t clockSeed()
{
    return static_cast<uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

QRadioButton* option(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

frmBootstrap::frmBootstrap(const DataMatrix& data, OutputPane* output, QWidget* parent)
    : AnalysisDialog(data, output, parent)
    , m_lngDVIndex(NO_VARIABLE)
    , m_lngGVIndex(NO_VARIABLE)
{
    setObjectName(QStringLiteral("frmBootstrap"));
    setWindowTitle(QStringLiteral("Effect Size Bootsrap"));
    createControls();
    connectHandlers();
    Form_Load();
}

void frmBootstrap::createControls()
{
    fraDV = new QGroupBox(QStringLiteral("Dependent Variable"), this);
    fraDV->setObjectName(QStringLiteral("fraDV"));
    lstDV = new QListWidget(fraDV);
    lstDV->setObjectName(QStringLiteral("lstDV"));
    fraGV = new QGroupBox(QStringLiteral("Grouping Variable"), this);
    fraGV->setObjectName(QStringLiteral("fraGV"));
    lstGV = new QListWidget(fraGV);
    lstGV->setObjectName(QStringLiteral("lstGV"));

    fraGroups = new QGroupBox(QStringLiteral("Group Values"), this);
    fraGroups->setObjectName(QStringLiteral("fraGroups"));
    lblGroup1 = new QLabel(QStringLiteral("Group 1"), fraGroups);
    lblGroup1->setObjectName(QStringLiteral("lblGroup1"));
    txtGroup1 = new QLineEdit(fraGroups);
    txtGroup1->setObjectName(QStringLiteral("txtGroup1"));
    lblGroup1->setBuddy(txtGroup1);
    lblGroup2 = new QLabel(QStringLiteral("Group 2"), fraGroups);
    lblGroup2->setObjectName(QStringLiteral("lblGroup2"));
    txtGroup2 = new QLineEdit(fraGroups);
    txtGroup2->setObjectName(QStringLiteral("txtGroup2"));
    lblGroup2->setBuddy(txtGroup2);

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

    fraCI = new QGroupBox(QStringLiteral("Confidence Level"), this);
    fraCI->setObjectName(QStringLiteral("fraCI"));
    opt90CI = option("opt90CI", QStringLiteral("90% CI"), fraCI);
    opt95CI = option("opt95CI", QStringLiteral("95% CI"), fraCI);
    opt99CI = option("opt99CI", QStringLiteral("99% CI"), fraCI);

    lblTrial = new QLabel(QStringLiteral("Trial"), this);
    lblTrial->setObjectName(QStringLiteral("lblTrial"));
    txtTrial = new QLineEdit(this);
    txtTrial->setObjectName(QStringLiteral("txtTrial"));
    txtTrial->setReadOnly(true);
    txtTrial->setFocusPolicy(Qt::NoFocus);
    lblTrial->setBuddy(txtTrial);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    (new QVBoxLayout(fraDV))->addWidget(lstDV);
    (new QVBoxLayout(fraGV))->addWidget(lstGV);
    auto* groupsLayout = new QGridLayout(fraGroups);
    groupsLayout->addWidget(lblGroup1, 0, 0);
    groupsLayout->addWidget(txtGroup1, 0, 1);
    groupsLayout->addWidget(lblGroup2, 1, 0);
    groupsLayout->addWidget(txtGroup2, 1, 1);
    auto* trialsLayout = new QGridLayout(fraTrials);
    const std::array trials { opt600, opt800, opt1000, opt1200, opt1400, opt1600, opt1800,
        opt2000 };
    for (int i = 0; i < static_cast<int>(trials.size()); ++i)
        trialsLayout->addWidget(trials[static_cast<std::size_t>(i)], i % 4, i / 4);
    auto* levelLayout = new QVBoxLayout(fraCI);
    levelLayout->addWidget(opt90CI);
    levelLayout->addWidget(opt95CI);
    levelLayout->addWidget(opt99CI);

    auto* layout = new QGridLayout(this);
    layout->addWidget(fraDV, 0, 0);
    layout->addWidget(fraGV, 0, 1);
    layout->addWidget(fraGroups, 1, 0, 1, 2);
    layout->addWidget(fraTrials, 2, 0);
    layout->addWidget(fraCI, 2, 1);
    auto* progress = new QHBoxLayout;
    progress->addWidget(lblTrial);
    progress->addWidget(txtTrial);
    layout->addLayout(progress, 3, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons, 3, 1);
}

void frmBootstrap::connectHandlers()
{
    connect(lstDV, &QListWidget::itemChanged, this,
        [this](QListWidgetItem* item) { lstDV_ItemCheck(lstDV->row(item)); });
    connect(lstGV, &QListWidget::itemChanged, this,
        [this](QListWidgetItem* item) { lstGV_ItemCheck(lstGV->row(item)); });
    connect(cmdOK, &QPushButton::clicked, this, &frmBootstrap::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmBootstrap::cmdCancel_Click);
}

void frmBootstrap::Form_Load()
{
    for (QListWidget* list : { lstDV, lstGV }) {
        for (int32_t column = 1; column <= m_data.columnCount(); ++column) {
            auto* item = new QListWidgetItem(QStringLiteral("Var %1").arg(column));
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
            list->addItem(item);
        }
    }
    m_lngDVIndex = NO_VARIABLE;
    m_lngGVIndex = NO_VARIABLE;
    opt600->setChecked(true);
    opt95CI->setChecked(true);
}

void frmBootstrap::keepOneChecked(QListWidget* list, int32_t& checkedIndex, int index)
{
    if (checkedIndex == index + 1) {
        checkedIndex = NO_VARIABLE;
    } else if (checkedIndex == NO_VARIABLE) {
        checkedIndex = index + 1;
    } else {
        // Unchecking the earlier entry comes back here and clears the index.
        list->item(checkedIndex - 1)->setCheckState(Qt::Unchecked);
        checkedIndex = index + 1;
    }
}

void frmBootstrap::lstDV_ItemCheck(int index)
{
    keepOneChecked(lstDV, m_lngDVIndex, index);
}

void frmBootstrap::lstGV_ItemCheck(int index)
{
    keepOneChecked(lstGV, m_lngGVIndex, index);
}

BootstrapRequest frmBootstrap::readRequest() const
{
    BootstrapRequest request;
    request.lngDependent = m_lngDVIndex;
    request.lngGrouping = m_lngGVIndex;
    request.strGroup1 = txtGroup1->text().toStdString();
    request.strGroup2 = txtGroup2->text().toStdString();
    const std::array<std::pair<QRadioButton*, int32_t>, 8> trials { { { opt600, 600 },
        { opt800, 800 }, { opt1000, 1000 }, { opt1200, 1200 }, { opt1400, 1400 }, { opt1600, 1600 },
        { opt1800, 1800 }, { opt2000, 2000 } } };
    for (const auto& [button, count] : trials) {
        if (button->isChecked()) {
            request.lngTrials = count;
            break;
        }
    }
    const std::array<std::pair<QRadioButton*, float>, 3> levels { { { opt90CI, 0.90f },
        { opt95CI, 0.95f }, { opt99CI, 0.99f } } };
    for (const auto& [button, level] : levels) {
        if (button->isChecked()) {
            request.sngLevel = level;
            break;
        }
    }
    return request;
}

void frmBootstrap::showTrial(int trial)
{
    txtTrial->setText(QString::number(trial));
    // Painting costs more than a trial: the counter is shown at most about
    // 60 times a second, and other windows repaint meanwhile.
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastRepaint < std::chrono::milliseconds(16))
        return;
    m_lastRepaint = now;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmBootstrap::cmdOK_Click()
{
    if (m_running)
        return;
    runAnalysis([this] {
        const QScopedValueRollback<bool> running(m_running, true);
        InputBlocker blocker;
        BootstrapRequest request = readRequest();
        request.seed = clockSeed();
        m_lastRepaint = {};
        request.onTrial = [this](int trial) { showTrial(trial); };
        AnalysisResult result = runBootstrapAnalysis(m_data, request);
        blocker.dropHeldInput();
        return result;
    });
}
