// frmBootstrap: the effect-size bootstrap dialog.
#include "forms/frmBootstrap.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPromise>
#include <QPushButton>
#include <QRadioButton>

#include <array>
#include <exception>
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
    connect(&m_run, &QFutureWatcherBase::progressValueChanged, this,
        [this](int trial) { txtTrial->setText(QString::number(trial)); });
    connect(&m_run, &QFutureWatcherBase::finished, this, &frmBootstrap::runFinished);
    opt600->setChecked(true);
}

frmBootstrap::~frmBootstrap()
{
    m_control.stopRequested = true;
    if (m_worker.joinable())
        m_worker.join();
}

void frmBootstrap::setTrialHook(std::function<void(int32_t trial)> hook)
{
    m_trialHook = std::move(hook);
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

    lblTrial = new QLabel(QStringLiteral("Trial"), this);
    lblTrial->setObjectName(QStringLiteral("lblTrial"));
    txtTrial = new QLineEdit(this);
    txtTrial->setObjectName(QStringLiteral("txtTrial"));
    txtTrial->setReadOnly(true);
    txtTrial->setFocusPolicy(Qt::NoFocus);
    lblTrial->setBuddy(txtTrial);
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

    QGridLayout* layout = gridLayout();
    layout->addWidget(fraTrials, 2, 0);
    layout->addWidget(fraCI, 2, 1);
    auto* progress = new QHBoxLayout;
    progress->addWidget(lblTrial);
    progress->addWidget(txtTrial);
    progress->addWidget(lblSeed);
    progress->addWidget(txtSeed);
    layout->addLayout(progress, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons, 4, 0, 1, 2);

    // From the group values through the trials and the level to the seed.
    QWidget* previous = txtGroup2;
    const std::array<QWidget*, 16> chain { opt600, opt800, opt1000, opt1200, opt1400, opt1600,
        opt1800, opt2000, opt5000, opt10000, opt90CI, opt95CI, opt99CI, txtSeed, cmdOK, cmdCancel };
    for (QWidget* next : chain) {
        setTabOrder(previous, next);
        previous = next;
    }
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

void frmBootstrap::startRun(BootstrapRequest request)
{
    m_control.completedTrials = 0;
    m_control.stopRequested = false;
    request.control = &m_control;
    QPromise<BootstrapResult> promise;
    const QFuture<BootstrapResult> outcome = promise.future();
    promise.start();
    m_runTrials = request.lngTrials;
    m_trialBefore = txtTrial->text();
    m_focusBefore = focusWidget();
    setInputsEnabled(false);
    m_busy.emplace();
    m_stopRun = [this] { m_control.stopRequested = true; };
    m_worker = std::jthread([&data = m_data, hook = m_trialHook, request = std::move(request),
                                promise = std::move(promise)]() mutable {
        // The watcher passes the trial on at most 25 times a second: painting
        // costs more than a trial.
        request.onTrial = [&](int32_t trial) {
            if (hook)
                hook(trial);
            promise.setProgressValue(trial);
        };
        // Nothing may leave the worker: a failure goes to the dialog with the outcome.
        try {
            promise.addResult(runBootstrapAnalysis(data, request));
        } catch (...) {
            promise.setException(std::current_exception());
        }
        promise.finish();
    });
    // Told of a run that has already ended, the watcher still reports its end.
    m_run.setFuture(outcome);
}

void frmBootstrap::runFinished()
{
    endRun();
    txtTrial->setText(m_trialBefore);
    std::shared_ptr<const BootstrapRun> completed;
    runAnalysis([&]() -> AnalysisResult {
        BootstrapResult result = m_run.result();
        if (result.run)
            txtTrial->setText(QString::number(m_runTrials));
        completed = result.run;
        return result;
    });
    if (completed)
        emit runCompleted(completed);
}

void frmBootstrap::endRun()
{
    if (m_worker.joinable())
        m_worker.join();
    m_stopRun = nullptr;
    m_busy.reset();
    setInputsEnabled(true);
    if (m_focusBefore)
        m_focusBefore->setFocus();
}

void frmBootstrap::setInputsEnabled(bool enabled)
{
    // The focus passes to Cancel during a run; Enter pressed again there
    // must not stop the run.
    cmdCancel->setAutoDefault(enabled);
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control != cmdCancel && control != lblTrial && control != txtTrial)
            control->setEnabled(enabled);
    }
}

void frmBootstrap::cmdOK_Click()
{
    if (m_stopRun) // one run at a time
        return;
    try {
        startRun(readRequest());
    } catch (...) {
        // Not started, or stopped at once: no outcome will come.
        m_control.stopRequested = true;
        endRun();
        showResult({ failedAnalysisMessage(), {} });
    }
}
