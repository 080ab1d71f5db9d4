// frmBootstrap: the effect-size bootstrap dialog.
#include "forms/frmBootstrap.h"

#include "analyses/BootstrapAnalysis.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWindow>

#include <array>
#include <exception>
#include <thread>
#include <utility>

namespace {

// While it lives, the user reaches only the dialog's Cancel button: Escape
// and a close request to the dialog stop the run too, and everything else
// (input to any window, other close requests) is dropped, so that a run ends
// with exactly one outcome while the screen keeps repainting.
class RunInputFilter : public QObject {
public:
    RunInputFilter(QWidget* dialog, QAbstractButton* cancel, std::function<void()> stop)
        : m_dialog(dialog)
        , m_cancel(cancel)
        , m_stop(std::move(stop))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~RunInputFilter() override { QCoreApplication::instance()->removeEventFilter(this); }
    RunInputFilter(const RunInputFilter&) = delete;
    RunInputFilter& operator=(const RunInputFilter&) = delete;

protected:
    bool eventFilter(QObject* target, QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            // A close box reaches the dialog's native window first.
            if (target == m_dialog || target == m_dialog->windowHandle())
                m_stop();
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress
            && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            m_stop();
            return true;
        }
        const bool input = event->isInputEvent() || event->type() == QEvent::Shortcut
            || event->type() == QEvent::ShortcutOverride;
        return input && target != m_cancel;
    }

private:
    QWidget* m_dialog;
    QAbstractButton* m_cancel;
    std::function<void()> m_stop;
};

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
    setWindowTitle(QStringLiteral("Effect Size Bootsrap"));
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
    txtSeed->setToolTip(QStringLiteral("Empty: a new seed from the clock at every run"));
    lblSeed->setBuddy(txtSeed);

    auto* trialsLayout = new QGridLayout(fraTrials);
    const std::array trials { opt600, opt800, opt1000, opt1200, opt1400, opt1600, opt1800,
        opt2000 };
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
    const std::array<QWidget*, 14> chain { opt600, opt800, opt1000, opt1200, opt1400, opt1600,
        opt1800, opt2000, opt90CI, opt95CI, opt99CI, txtSeed, cmdOK, cmdCancel };
    for (QWidget* next : chain) {
        setTabOrder(previous, next);
        previous = next;
    }
}

BootstrapRequest frmBootstrap::readRequest() const
{
    BootstrapRequest request;
    readChoice(request);
    const std::array<std::pair<QRadioButton*, int32_t>, 8> trials { { { opt600, 600 },
        { opt800, 800 }, { opt1000, 1000 }, { opt1200, 1200 }, { opt1400, 1400 }, { opt1600, 1600 },
        { opt1800, 1800 }, { opt2000, 2000 } } };
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

BootstrapResult frmBootstrap::runWhileShowingTrials(BootstrapRequest& request)
{
    BootstrapControl control;
    request.control = &control;
    BootstrapResult result;
    std::exception_ptr failure;
    QEventLoop waiting;
    std::jthread worker([&] {
        try {
            result = runBootstrapAnalysis(m_data, request);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&waiting, &QEventLoop::quit, Qt::QueuedConnection);
    });

    // Painting costs more than a trial: the counter is shown at most about
    // 60 times a second.
    const QString trialBefore = txtTrial->text();
    QTimer counter;
    connect(&counter, &QTimer::timeout, this,
        [&] { txtTrial->setText(QString::number(control.completedTrials.load())); });
    counter.start(16);
    const auto stop = [&] { control.stopRequested = true; };
    m_stopRun = stop;
    {
        const RunInputFilter filter(this, cmdCancel, stop);
        waiting.exec();
    }
    m_stopRun = nullptr;
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
    txtTrial->setText(result.cancelled ? trialBefore : QString::number(request.lngTrials));
    return result;
}

void frmBootstrap::cmdOK_Click()
{
    if (m_stopRun)
        return;
    std::shared_ptr<const BootstrapRun> completed;
    runAnalysis([&]() -> AnalysisResult {
        BootstrapRequest request = readRequest();
        BootstrapResult result = runWhileShowingTrials(request);
        completed = result.run;
        return result;
    });
    if (completed)
        emit runCompleted(completed);
}
