// frmEffects: the robust effect sizes dialog.
#include "forms/frmEffects.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPromise>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <array>
#include <exception>
#include <utility>

frmEffects::frmEffects(const DataMatrix& data, OutputPane* output, QWidget* parent)
    : TwoGroupDialog(data, output, parent)
{
    setObjectName(QStringLiteral("frmEffects"));
    setWindowTitle(QStringLiteral("Robust Effect Sizes"));
    createControls();
    connect(cmdOK, &QPushButton::clicked, this, &frmEffects::cmdOK_Click);
    connect(&m_run, &QFutureWatcherBase::progressValueChanged, this,
        [this](int trial) { txtTrial->setText(QString::number(trial)); });
    connect(&m_run, &QFutureWatcherBase::finished, this, &frmEffects::runFinished);
}

frmEffects::~frmEffects()
{
    m_control.stopRequested = true;
    if (m_worker.joinable())
        m_worker.join();
}

void frmEffects::setTrialHook(std::function<void(int32_t trial)> hook)
{
    m_trialHook = std::move(hook);
}

void frmEffects::createControls()
{
    fraSettings = new QGroupBox(QStringLiteral("Settings"), this);
    fraSettings->setObjectName(QStringLiteral("fraSettings"));
    createTrimBox(fraSettings);
    lblTrials = new QLabel(QStringLiteral("Trials"), fraSettings);
    lblTrials->setObjectName(QStringLiteral("lblTrials"));
    spnTrials = new QSpinBox(fraSettings);
    spnTrials->setObjectName(QStringLiteral("spnTrials"));
    spnTrials->setRange(MIN_EFFECTS_TRIALS, MAX_EFFECTS_TRIALS);
    spnTrials->setSingleStep(100);
    spnTrials->setValue(2000);
    spnTrials->setGroupSeparatorShown(false);
    lblTrials->setBuddy(spnTrials);
    lblSeed = new QLabel(QStringLiteral("Seed"), fraSettings);
    lblSeed->setObjectName(QStringLiteral("lblSeed"));
    txtSeed = new QLineEdit(fraSettings);
    txtSeed->setObjectName(QStringLiteral("txtSeed"));
    txtSeed->setToolTip(QStringLiteral("Empty: a new seed from the clock at every run"));
    lblSeed->setBuddy(txtSeed);

    lblTrial = new QLabel(QStringLiteral("Trial"), this);
    lblTrial->setObjectName(QStringLiteral("lblTrial"));
    txtTrial = new QLineEdit(this);
    txtTrial->setObjectName(QStringLiteral("txtTrial"));
    txtTrial->setReadOnly(true);
    txtTrial->setFocusPolicy(Qt::NoFocus);
    lblTrial->setBuddy(txtTrial);

    auto* settings = new QGridLayout(fraSettings);
    settings->addWidget(lblTrim, 0, 0);
    settings->addWidget(txtTrim, 0, 1);
    settings->addWidget(lblTrials, 1, 0);
    settings->addWidget(spnTrials, 1, 1);
    settings->addWidget(lblSeed, 2, 0);
    settings->addWidget(txtSeed, 2, 1);

    QGridLayout* layout = gridLayout();
    layout->addWidget(fraSettings, 2, 0);
    layout->addWidget(fraCI, 2, 1);
    auto* progress = new QHBoxLayout;
    progress->addWidget(lblTrial);
    progress->addWidget(txtTrial);
    progress->addStretch();
    layout->addLayout(progress, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons, 4, 0, 1, 2);

    // From the group values through the settings and the level to the buttons.
    QWidget* previous = txtGroup2;
    const std::array<QWidget*, 8> chain { txtTrim, spnTrials, txtSeed, opt90CI, opt95CI, opt99CI,
        cmdOK, cmdCancel };
    for (QWidget* next : chain) {
        setTabOrder(previous, next);
        previous = next;
    }
}

EffectsRequest frmEffects::readRequest() const
{
    EffectsRequest request;
    readChoice(request);
    request.strTrim = txtTrim->text().toStdString();
    request.lngTrials = spnTrials->value();
    request.strSeed = txtSeed->text().toStdString();
    request.clockSeed = seedFromClock();
    return request;
}

void frmEffects::startRun(EffectsRequest request)
{
    m_control.completedTrials = 0;
    m_control.stopRequested = false;
    request.control = &m_control;
    QPromise<AnalysisResult> promise;
    const QFuture<AnalysisResult> outcome = promise.future();
    promise.start();
    m_runTrials = request.lngTrials;
    m_trialBefore = txtTrial->text();
    m_focusBefore = focusWidget();
    setInputsEnabled(false);
    m_busy.emplace();
    m_stopRun = [this] { m_control.stopRequested = true; };
    m_worker = std::jthread([&data = m_data, hook = m_trialHook, request = std::move(request),
                                promise = std::move(promise)]() mutable {
        // The watcher passes the trial on at most 25 times a second.
        request.onTrial = [&](int32_t trial) {
            if (hook)
                hook(trial);
            promise.setProgressValue(trial);
        };
        // Nothing may leave the worker: a failure goes to the dialog with the outcome.
        try {
            promise.addResult(runEffectsAnalysis(data, request));
        } catch (...) {
            promise.setException(std::current_exception());
        }
        promise.finish();
    });
    m_run.setFuture(outcome);
}

void frmEffects::runFinished()
{
    endRun();
    txtTrial->setText(m_trialBefore);
    runAnalysis([&]() -> AnalysisResult {
        AnalysisResult result = m_run.result();
        if (!result.report.empty())
            txtTrial->setText(QString::number(m_runTrials));
        return result;
    });
}

void frmEffects::endRun()
{
    if (m_worker.joinable())
        m_worker.join();
    m_stopRun = nullptr;
    m_busy.reset();
    setInputsEnabled(true);
    if (m_focusBefore)
        m_focusBefore->setFocus();
}

void frmEffects::setInputsEnabled(bool enabled)
{
    // The focus passes to Cancel during a run; Enter pressed again there
    // must not stop the run.
    cmdCancel->setAutoDefault(enabled);
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control != cmdCancel && control != lblTrial && control != txtTrial)
            control->setEnabled(enabled);
    }
}

void frmEffects::cmdOK_Click()
{
    if (m_stopRun) // one run at a time
        return;
    try {
        startRun(readRequest());
    } catch (...) {
        m_control.stopRequested = true;
        endRun();
        showResult({ failedAnalysisMessage(), {} });
    }
}
