// What the two-group analysis dialogs share: the variable lists, the group
// values, the confidence level, and the runs of bootstrap trials on a worker.
#include "forms/TwoGroupDialog.h"

#include "analyses/TwoGroups.h"

#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPromise>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QVBoxLayout>

#include <array>
#include <exception>
#include <utility>

namespace {

template <typename Widget, typename... Args> Widget* named(const char* name, Args&&... args)
{
    auto* widget = new Widget(std::forward<Args>(args)...);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

TwoGroupDialog::TwoGroupDialog(const DataMatrix& data, OutputPane* output, QWidget* parent)
    : AnalysisDialog(data, output, parent)
    , m_lngDVIndex(NO_VARIABLE)
    , m_lngGVIndex(NO_VARIABLE)
{
    createControls();
    connect(lstDV, &QListWidget::itemChanged, this,
        [this](QListWidgetItem* item) { lstDV_ItemCheck(lstDV->row(item)); });
    connect(lstGV, &QListWidget::itemChanged, this,
        [this](QListWidgetItem* item) { lstGV_ItemCheck(lstGV->row(item)); });
    connect(cmdCancel, &QPushButton::clicked, this, &TwoGroupDialog::cmdCancel_Click);
    connect(&m_run, &QFutureWatcherBase::progressValueChanged, this,
        [this](int trial) { txtTrial->setText(QString::number(trial)); });
    connect(&m_run, &QFutureWatcherBase::finished, this, &TwoGroupDialog::runFinished);
    Form_Load();
}

TwoGroupDialog::~TwoGroupDialog()
{
    m_control.stopRequested = true;
    if (m_worker.joinable())
        m_worker.join();
}

void TwoGroupDialog::setTrialHook(std::function<void(int32_t trial)> hook)
{
    m_trialHook = std::move(hook);
}

void TwoGroupDialog::createControls()
{
    fraDV = named<QGroupBox>("fraDV", QStringLiteral("Dependent Variable"), this);
    lstDV = named<QListWidget>("lstDV", fraDV);
    fraGV = named<QGroupBox>("fraGV", QStringLiteral("Grouping Variable"), this);
    lstGV = named<QListWidget>("lstGV", fraGV);

    fraGroups = named<QGroupBox>("fraGroups", QStringLiteral("Group Values"), this);
    lblGroup1 = named<QLabel>("lblGroup1", QStringLiteral("Group 1"), fraGroups);
    txtGroup1 = named<QLineEdit>("txtGroup1", fraGroups);
    lblGroup1->setBuddy(txtGroup1);
    lblGroup2 = named<QLabel>("lblGroup2", QStringLiteral("Group 2"), fraGroups);
    txtGroup2 = named<QLineEdit>("txtGroup2", fraGroups);
    lblGroup2->setBuddy(txtGroup2);
    lblGroupList = named<QLabel>("lblGroupList", fraGroups);
    lblGroupList->setWordWrap(true);
    m_groupLabels = new QStringListModel(this);
    for (QLineEdit* box : { txtGroup1, txtGroup2 })
        box->setCompleter(new QCompleter(m_groupLabels, box));

    fraCI = named<QGroupBox>("fraCI", QStringLiteral("Confidence Level"), this);
    opt90CI = named<QRadioButton>("opt90CI", QStringLiteral("90% CI"), fraCI);
    opt95CI = named<QRadioButton>("opt95CI", QStringLiteral("95% CI"), fraCI);
    opt99CI = named<QRadioButton>("opt99CI", QStringLiteral("99% CI"), fraCI);

    cmdOK = named<QPushButton>("cmdOK", QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    cmdCancel = named<QPushButton>("cmdCancel", QStringLiteral("Cancel"), this);

    (new QVBoxLayout(fraDV))->addWidget(lstDV);
    (new QVBoxLayout(fraGV))->addWidget(lstGV);
    auto* groupsLayout = new QGridLayout(fraGroups);
    groupsLayout->addWidget(lblGroup1, 0, 0);
    groupsLayout->addWidget(txtGroup1, 0, 1);
    groupsLayout->addWidget(lblGroup2, 1, 0);
    groupsLayout->addWidget(txtGroup2, 1, 1);
    groupsLayout->addWidget(lblGroupList, 2, 0, 1, 2);
    auto* levelLayout = new QVBoxLayout(fraCI);
    levelLayout->addWidget(opt90CI);
    levelLayout->addWidget(opt95CI);
    levelLayout->addWidget(opt99CI);

    m_layout = new QGridLayout(this);
    m_layout->addWidget(fraDV, 0, 0);
    m_layout->addWidget(fraGV, 0, 1);
    m_layout->addWidget(fraGroups, 1, 0, 1, 2);
}

void TwoGroupDialog::createTrimBox(QWidget* parent)
{
    lblTrim = named<QLabel>("lblTrim", QStringLiteral("Trimming"), parent);
    txtTrim = named<QLineEdit>("txtTrim", QStringLiteral("0.2"), parent);
    txtTrim->setToolTip(QStringLiteral("The share trimmed from each tail: 0 to 0.49"));
    lblTrim->setBuddy(txtTrim);
}

void TwoGroupDialog::createTrialBox()
{
    lblTrial = named<QLabel>("lblTrial", QStringLiteral("Trial"), this);
    txtTrial = named<QLineEdit>("txtTrial", this);
    txtTrial->setReadOnly(true);
    txtTrial->setFocusPolicy(Qt::NoFocus);
    lblTrial->setBuddy(txtTrial);
}

QHBoxLayout* TwoGroupDialog::placeTrialControls(
    QWidget* settings, std::initializer_list<QWidget*> chain)
{
    m_layout->addWidget(settings, 2, 0);
    m_layout->addWidget(fraCI, 2, 1);
    auto* trialRow = new QHBoxLayout;
    trialRow->addWidget(lblTrial);
    trialRow->addWidget(txtTrial);
    m_layout->addLayout(trialRow, 3, 0, 1, 2);
    placeButtons();
    QWidget* previous = txtGroup2;
    for (QWidget* next : chain) {
        setTabOrder(previous, next);
        previous = next;
    }
    setTabOrder(previous, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    return trialRow;
}

void TwoGroupDialog::placeButtons()
{
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    m_layout->addLayout(buttons, 4, 0, 1, 2);
}

void TwoGroupDialog::Form_Load()
{
    for (QListWidget* list : { lstDV, lstGV }) {
        for (int32_t column = 1; column <= m_data.columnCount(); ++column) {
            auto* item = new QListWidgetItem(
                QString::fromStdString(variableLabel(m_data, column)));
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
            list->addItem(item);
        }
    }
    m_lngDVIndex = NO_VARIABLE;
    m_lngGVIndex = NO_VARIABLE;
    opt95CI->setChecked(true);
}

void TwoGroupDialog::keepOneChecked(QListWidget* list, int32_t& checkedIndex, int index)
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

void TwoGroupDialog::lstDV_ItemCheck(int index)
{
    keepOneChecked(lstDV, m_lngDVIndex, index);
}

void TwoGroupDialog::lstGV_ItemCheck(int index)
{
    keepOneChecked(lstGV, m_lngGVIndex, index);
    showGroupValues();
}

void TwoGroupDialog::showGroupValues()
{
    lblGroupList->setText(QString::fromStdString(groupValuesText(m_data, m_lngGVIndex)));
    QStringList labels;
    for (const std::string& label : m_data.labels(m_lngGVIndex))
        labels << QString::fromStdString(label);
    m_groupLabels->setStringList(labels);
}

void TwoGroupDialog::readChoice(TwoGroupChoice& choice) const
{
    choice.lngDependent = m_lngDVIndex;
    choice.lngGrouping = m_lngGVIndex;
    choice.strGroup1 = txtGroup1->text().toStdString();
    choice.strGroup2 = txtGroup2->text().toStdString();
    const std::array<std::pair<QRadioButton*, float>, 3> levels { { { opt90CI, 0.90f },
        { opt95CI, 0.95f }, { opt99CI, 0.99f } } };
    for (const auto& [button, level] : levels) {
        if (button->isChecked()) {
            choice.sngLevel = level;
            break;
        }
    }
}

void TwoGroupDialog::runTrials(const std::function<TrialRun()>& read)
{
    if (m_stopRun) // one run at a time
        return;
    try {
        startRun(read());
    } catch (...) {
        // Not started, or stopped at once: no outcome will come.
        m_control.stopRequested = true;
        endRun();
        showResult({ failedAnalysisMessage(), {} });
    }
}

void TwoGroupDialog::startRun(TrialRun run)
{
    m_control.completedTrials = 0;
    m_control.stopRequested = false;
    QPromise<BootstrapResult> promise;
    const QFuture<BootstrapResult> outcome = promise.future();
    promise.start();
    m_runTrials = run.trials;
    m_trialBefore = txtTrial->text();
    m_focusBefore = focusWidget();
    setInputsEnabled(false);
    m_busy.emplace();
    m_stopRun = [this] { m_control.stopRequested = true; };
    m_worker = std::jthread(
        [&data = m_data, &control = m_control, hook = m_trialHook,
            analysis = std::move(run.analysis), promise = std::move(promise)]() mutable {
            // The watcher passes the trial on at most 25 times a second: painting
            // costs more than a trial.
            const auto onTrial = [&](int32_t trial) {
                if (hook)
                    hook(trial);
                promise.setProgressValue(trial);
            };
            // Nothing may leave the worker: a failure goes to the dialog with the outcome.
            try {
                promise.addResult(analysis(data, control, onTrial));
            } catch (...) {
                promise.setException(std::current_exception());
            }
            promise.finish();
        });
    // Told of a run that has already ended, the watcher still reports its end.
    m_run.setFuture(outcome);
}

void TwoGroupDialog::runFinished()
{
    endRun();
    txtTrial->setText(m_trialBefore);
    std::shared_ptr<const BootstrapRun> completed;
    runAnalysis([&]() -> AnalysisResult {
        BootstrapResult result = m_run.result();
        if (!result.report.empty())
            txtTrial->setText(QString::number(m_runTrials));
        completed = result.run;
        return result;
    });
    if (completed)
        emit runCompleted(completed);
}

void TwoGroupDialog::endRun()
{
    if (m_worker.joinable())
        m_worker.join();
    m_stopRun = nullptr;
    m_busy.reset();
    setInputsEnabled(true);
    if (m_focusBefore)
        m_focusBefore->setFocus();
}

void TwoGroupDialog::setInputsEnabled(bool enabled)
{
    // The focus passes to Cancel during a run; Enter pressed again there
    // must not stop the run.
    cmdCancel->setAutoDefault(enabled);
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control != cmdCancel && control != lblTrial && control != txtTrial)
            control->setEnabled(enabled);
    }
}
