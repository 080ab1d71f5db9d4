// frmMain: the main window with the data selection, the output pane and the menus.
#include "forms/frmMain.h"

#include "analyses/ManuscriptText.h"
#include "files/OutputFile.h"
#include "forms/AnalysisDialog.h"
#include "forms/frmBootstrap.h"
#include "forms/frmDescriptives.h"
#include "widgets/OutputPane.h"
#include "forms/frmSplash.h"
#include "data/DataImport.h"
#include "data/FileImport.h"
#include "data/LayoutGuess.h"
#include "data/WorkbookImport.h"
#include "data/DataMatrix.h"
#include "forms/frmDataView.h"
#include "forms/frmGuide.h"
#include "forms/frmNavigate.h"
#include "forms/frmOpenOutput.h"
#include "forms/frmPlot.h"
#include "forms/frmSaveOutput.h"
#include "forms/frmYuen.h"
#include "forms/frmEffects.h"
#include "platform/BusyCursor.h"
#include "platform/DirListBox.h"
#include "platform/DriveListBox.h"
#include "platform/FileChooser.h"
#include "platform/FileListBox.h"
#include "platform/MessageBox.h"
#include "platform/NativePath.h"
#include "platform/OpenFileDialog.h"
#include "platform/SaveFileDialog.h"
#include "files/OutputFile.h"
#include "widgets/ExportedReport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <type_traits>
#include <utility>

namespace {

// Window geometry is laid out in twips: 15 twips to a pixel at 96 dpi.
constexpr int twipsPerPixel = 15;

int px(int twips)
{
    return (twips + twipsPerPixel / 2) / twipsPerPixel;
}

// The data selection's height and least width; the window is never lower
// than MIN_HEIGHT_TWIPS.
constexpr int SELECT_HEIGHT_TWIPS = 2520; // room for four delimiter options
constexpr int SELECT_MIN_WIDTH_TWIPS = 9000;
constexpr int MIN_HEIGHT_TWIPS = 7000;

// The file types of cmbFileType, in its order.
const char* const FILE_TYPES[][2] = { { "Text (*.txt)", "*.txt" }, { "Data (*.dat)", "*.dat" },
    { "CSV (*.csv)", "*.csv" }, { "Excel (*.xlsx)", "*.xlsx" },
    { "OpenDocument (*.ods)", "*.ods" }, { "SPSS (*.sav *.zsav *.por)", "*.sav;*.zsav;*.por" },
    { "Stata (*.dta)", "*.dta" }, { "SAS (*.sas7bdat *.xpt)", "*.sas7bdat;*.xpt" },
    { "All files (*)", "*" } };
constexpr int ALL_FILES = 8;

// Where the choice of Add Source Lines is remembered between runs.
const QString SOURCE_LINES_SETTING = QStringLiteral("output/sourceLines");

// The file type that lists a file of this name: by its extension, else all files.
int fileTypeOf(const QString& fileName)
{
    for (int type = 0; type < ALL_FILES; ++type) {
        for (const QString& pattern : QString::fromLatin1(FILE_TYPES[type][1]).split(u';')) {
            if (fileName.endsWith(pattern.mid(1), Qt::CaseInsensitive))
                return type;
        }
    }
    return ALL_FILES;
}

// The first local file among dropped data; empty when there is none.
std::string droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls()) {
        if (std::string path = nativePathOfUrl(url); !path.empty())
            return path;
    }
    return {};
}

template <typename Widget>
Widget* named(Widget* widget, const char* name, const char* toolTip = nullptr)
{
    widget->setObjectName(QLatin1String(name));
    if (toolTip)
        widget->setToolTip(QLatin1String(toolTip));
    return widget;
}

QAction* menuEntry(QMenu* menu, const char* name, const QString& text,
                   QKeySequence shortcut = QKeySequence())
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    return action;
}

} // namespace

frmMain::frmMain(int splashMilliseconds, QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Trellam: Independent Groups"));
    setAcceptDrops(true);
    createControls();
    createMenus();
    connectHandlers();
    // The first size leaves room for the desktop's panels on small or scaled
    // screens, but never less than the data selection and the output need.
    setMinimumHeight(px(MIN_HEIGHT_TWIPS));
    QSize firstSize(px(12000), px(9000));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        firstSize = firstSize.boundedTo(screen->availableGeometry().size() * 0.9)
                        .expandedTo(QSize(px(9300), px(MIN_HEIGHT_TWIPS)));
    resize(firstSize);
    Form_Load(splashMilliseconds);
}

frmMain::~frmMain() = default;

void frmMain::createControls()
{
    m_central = new QWidget(this);
    setCentralWidget(m_central);

    fraSelectData = named(new QGroupBox(QStringLiteral("Select Data"), m_central), "fraSelectData");
    m_files = new FileChooser(fraSelectData, QStringLiteral("*.txt"));
    m_files->drvDrive->setToolTip(QStringLiteral("Specify drive of file"));
    m_files->dirDirectory->setToolTip(QStringLiteral("Specify directory of file"));
    m_files->filFile->setToolTip(QStringLiteral("Specify file"));
    cmbFileType = named(new QComboBox(fraSelectData), "cmbFileType",
                        "Specify file extension (*.txt or *.dat)");
    cmbSheet = named(new QComboBox(fraSelectData), "cmbSheet", "The sheet of the workbook to import");
    cmbSheet->setEnabled(false);
    // The boxes take the width of the file list, whatever their texts; their
    // lists show the whole texts.
    for (QComboBox* box : { cmbFileType, cmbSheet }) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(10);
    }
    fraTypeOfDelimiter = named(new QGroupBox(QStringLiteral("Type of Delimiter"), fraSelectData),
                               "fraTypeOfDelimiter", "Specify the delimiter used");
    optTab = named(new QRadioButton(QStringLiteral("Tab Delimited"), fraTypeOfDelimiter), "optTab");
    optComma = named(new QRadioButton(QStringLiteral("Comma Delimited"), fraTypeOfDelimiter),
                     "optComma");
    optSpace = named(new QRadioButton(QStringLiteral("Space Delimited"), fraTypeOfDelimiter),
                     "optSpace");
    optSemicolon = named(
        new QRadioButton(QStringLiteral("Semicolon Delimited"), fraTypeOfDelimiter), "optSemicolon");
    chkNames = named(new QCheckBox(QStringLiteral("First line holds variable names"),
                                   fraSelectData),
                     "chkNames", "Read the first line as the names of the variables");
    cmdImportData = named(new QPushButton(QStringLiteral("Import Selected Data File"), fraSelectData),
                          "cmdImportData", "Click to import selected file");
    lblSelectedFileLabel = named(new QLabel(QStringLiteral("Selected File:"), fraSelectData),
                                 "lblSelectedFileLabel");
    lblSelectedFile = named(new QLabel(fraSelectData), "lblSelectedFile",
                            "The file selected for import");
    lblCurrentFileLabel = named(new QLabel(QStringLiteral("File Currently in Processor:"),
                                           fraSelectData),
                                "lblCurrentFileLabel");
    lblCurrentFile = named(new QLabel(fraSelectData), "lblCurrentFile",
                           "File currently contained in Trellam processor");

    auto* delimiterLayout = new QVBoxLayout(fraTypeOfDelimiter);
    delimiterLayout->setContentsMargins(6, 0, 6, 0);
    delimiterLayout->setSpacing(0);
    delimiterLayout->addWidget(optTab);
    delimiterLayout->addWidget(optComma);
    delimiterLayout->addWidget(optSpace);
    delimiterLayout->addWidget(optSemicolon);

    auto* fileLabels = new QVBoxLayout;
    fileLabels->setSpacing(2);
    fileLabels->addWidget(lblSelectedFileLabel);
    fileLabels->addWidget(lblSelectedFile);
    fileLabels->addSpacing(6);
    fileLabels->addWidget(lblCurrentFileLabel);
    fileLabels->addWidget(lblCurrentFile);
    fileLabels->addStretch();

    auto* grid = new QGridLayout(fraSelectData);
    grid->setContentsMargins(6, 2, 6, 6);
    grid->setVerticalSpacing(4);
    grid->addWidget(m_files->drvDrive, 0, 0);
    grid->addWidget(m_files->dirDirectory, 1, 0, 2, 1);
    // The sheet of a workbook is chosen right under the file.
    auto* fileAndSheet = new QVBoxLayout;
    fileAndSheet->setSpacing(4);
    fileAndSheet->addWidget(m_files->filFile, 1);
    fileAndSheet->addWidget(cmbSheet);
    grid->addLayout(fileAndSheet, 0, 1, 2, 1);
    grid->addWidget(cmbFileType, 2, 1);
    grid->addWidget(fraTypeOfDelimiter, 0, 2, 2, 1);
    grid->addWidget(chkNames, 2, 2);
    grid->addWidget(cmdImportData, 2, 3);
    grid->addLayout(fileLabels, 0, 3, 2, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 2);
    grid->setRowStretch(1, 1);

    fraOutput = named(new QGroupBox(QStringLiteral("Output"), m_central), "fraOutput");
    txtOutput = named(new OutputPane(fraOutput), "txtOutput");
    (new QVBoxLayout(fraOutput))->addWidget(txtOutput);

    // The data selection keeps its height; the output takes the rest.
    fraSelectData->setFixedHeight(px(SELECT_HEIGHT_TWIPS));
    fraSelectData->setMinimumWidth(px(SELECT_MIN_WIDTH_TWIPS));
    auto* page = new QVBoxLayout(m_central);
    page->setContentsMargins(px(100), px(100), px(100), px(100));
    page->setSpacing(px(100));
    page->addWidget(fraSelectData);
    page->addWidget(fraOutput, 1);

    // Tab from the file choice through the options to the import and the pane.
    setTabOrder(m_files->drvDrive, m_files->dirDirectory);
    setTabOrder(m_files->dirDirectory, m_files->filFile);
    setTabOrder(m_files->filFile, cmbSheet);
    setTabOrder(cmbSheet, cmbFileType);
    setTabOrder(cmbFileType, optTab);
    setTabOrder(optTab, optComma);
    setTabOrder(optComma, optSpace);
    setTabOrder(optSpace, optSemicolon);
    setTabOrder(optSemicolon, chkNames);
    setTabOrder(chkNames, cmdImportData);
    setTabOrder(cmdImportData, txtOutput);
}

void frmMain::createMenus()
{
    mnuFile = named(menuBar()->addMenu(QStringLiteral("&File")), "mnuFile");
    mnuOpenData = menuEntry(mnuFile, "mnuOpenData", QStringLiteral("Open &Data…"),
                            QKeySequence::Open);
    mnuOpenOutput = menuEntry(mnuFile, "mnuOpenOutput", QStringLiteral("&Open Output"),
                              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    mnuSaveOutput = menuEntry(mnuFile, "mnuSaveOutput", QStringLiteral("&Save Output"),
                              QKeySequence::Save);
    mnuExportOutput = menuEntry(mnuFile, "mnuExportOutput",
                                QStringLiteral("&Export Output\u2026"));
    mnuSaveScript = menuEntry(mnuFile, "mnuSaveScript",
                              QStringLiteral("Save &Reproduction Script\u2026"));
    mnuSaveScript->setEnabled(false);
    mnuFile->addSeparator();
    mnuExit = menuEntry(mnuFile, "mnuExit", QStringLiteral("E&xit"), QKeySequence::Quit);

    mnuEdit = named(menuBar()->addMenu(QStringLiteral("&Edit")), "mnuEdit");
    mnuUndo = menuEntry(mnuEdit, "mnuUndo", QStringLiteral("&Undo"), QKeySequence::Undo);
    mnuRedo = menuEntry(mnuEdit, "mnuRedo", QStringLiteral("&Redo"),
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    mnuUndo->setEnabled(false);
    mnuRedo->setEnabled(false);
    mnuEdit->addSeparator();
    mnuCut = menuEntry(mnuEdit, "mnuCut", QStringLiteral("Cu&t"), QKeySequence::Cut);
    mnuCopy = menuEntry(mnuEdit, "mnuCopy", QStringLiteral("&Copy"), QKeySequence::Copy);
    mnuPaste = menuEntry(mnuEdit, "mnuPaste", QStringLiteral("&Paste"), QKeySequence::Paste);
    mnuCopyManuscript = menuEntry(mnuEdit, "mnuCopyManuscript",
                                  QStringLiteral("Copy Last Result for &Manuscript"),
                                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    mnuCopyManuscript->setEnabled(false);
    mnuEdit->addSeparator();
    mnuClearOutput = menuEntry(mnuEdit, "mnuClearOutput", QStringLiteral("C&lear Output"));

    mnuData = named(menuBar()->addMenu(QStringLiteral("&Data")), "mnuData");
    mnuNavigateDataFile = menuEntry(mnuData, "mnuNavigateDataFile",
                                    QStringLiteral("&Navigate Data File"));
    mnuViewData = menuEntry(mnuData, "mnuViewData", QStringLiteral("&View Data"));

    mnuAnalyses = named(menuBar()->addMenu(QStringLiteral("&Analyses")), "mnuAnalyses");
    mnuDescriptives = menuEntry(mnuAnalyses, "mnuDescriptives", QStringLiteral("&Descriptives"));
    mnuBootstrap = menuEntry(mnuAnalyses, "mnuBootstrap",
                             QStringLiteral("Effect Size &Bootstrap"));
    mnuYuen = menuEntry(mnuAnalyses, "mnuYuen", QStringLiteral("&Trimmed Means Test"));
    mnuEffects = menuEntry(mnuAnalyses, "mnuEffects", QStringLiteral("Robust &Effect Sizes"));
    mnuAnalyses->addSeparator();
    mnuPlot = menuEntry(mnuAnalyses, "mnuPlot", QStringLiteral("&Plot Last Bootstrap"));
    mnuPlot->setEnabled(false);
    mnuAnalyses->addSeparator();
    mnuSourceLines = menuEntry(mnuAnalyses, "mnuSourceLines", QStringLiteral("Add &Source Lines"));
    mnuSourceLines->setCheckable(true);
    mnuSourceLines->setChecked(QSettings().value(SOURCE_LINES_SETTING, false).toBool());
    txtOutput->setSourceLines(mnuSourceLines->isChecked());

    mnuHelp = named(menuBar()->addMenu(QStringLiteral("&Help")), "mnuHelp");
    mnuGuide = menuEntry(mnuHelp, "mnuGuide", QStringLiteral("&User's Guide"),
                         QKeySequence(Qt::Key_F1));
    mnuAbout = menuEntry(mnuHelp, "mnuAbout", QStringLiteral("&About Trellam"));
}

void frmMain::connectHandlers()
{
    connect(cmbFileType, &QComboBox::currentIndexChanged, this, &frmMain::cmbFileType_Click);
    connect(cmbSheet, &QComboBox::activated, this, &frmMain::cmbSheet_Click);
    connect(m_files, &FileChooser::fileClicked, this, &frmMain::filFile_Click);
    for (QRadioButton* option : { optTab, optComma, optSpace, optSemicolon })
        connect(option, &QRadioButton::clicked, this, &frmMain::optDelimiter_Click);
    connect(cmdImportData, &QPushButton::clicked, this, &frmMain::cmdImportData_Click);

    connect(mnuOpenData, &QAction::triggered, this, &frmMain::mnuOpenData_Click);
    connect(mnuOpenOutput, &QAction::triggered, this, &frmMain::mnuOpenOutput_Click);
    connect(mnuSaveOutput, &QAction::triggered, this, &frmMain::mnuSaveOutput_Click);
    connect(mnuExportOutput, &QAction::triggered, this, &frmMain::mnuExportOutput_Click);
    connect(mnuSaveScript, &QAction::triggered, this, &frmMain::mnuSaveScript_Click);
    connect(mnuExit, &QAction::triggered, this, &frmMain::mnuExit_Click);
    connect(mnuUndo, &QAction::triggered, this, &frmMain::mnuUndo_Click);
    connect(mnuRedo, &QAction::triggered, this, &frmMain::mnuRedo_Click);
    connect(txtOutput, &QPlainTextEdit::undoAvailable, mnuUndo, &QAction::setEnabled);
    connect(txtOutput, &QPlainTextEdit::redoAvailable, mnuRedo, &QAction::setEnabled);
    connect(mnuCut, &QAction::triggered, this, &frmMain::mnuCut_Click);
    connect(mnuCopy, &QAction::triggered, this, &frmMain::mnuCopy_Click);
    connect(mnuPaste, &QAction::triggered, this, &frmMain::mnuPaste_Click);
    connect(mnuCopyManuscript, &QAction::triggered, this, &frmMain::mnuCopyManuscript_Click);
    connect(mnuClearOutput, &QAction::triggered, this, &frmMain::mnuClearOutput_Click);
    connect(mnuNavigateDataFile, &QAction::triggered, this, &frmMain::mnuNavigateDataFile_Click);
    connect(mnuViewData, &QAction::triggered, this, &frmMain::mnuViewData_Click);
    connect(mnuDescriptives, &QAction::triggered, this, &frmMain::mnuDescriptives_Click);
    connect(mnuBootstrap, &QAction::triggered, this, &frmMain::mnuBootstrap_Click);
    connect(mnuYuen, &QAction::triggered, this, &frmMain::mnuYuen_Click);
    connect(mnuEffects, &QAction::triggered, this, &frmMain::mnuEffects_Click);
    connect(mnuPlot, &QAction::triggered, this, &frmMain::mnuPlot_Click);
    connect(mnuSourceLines, &QAction::toggled, this, &frmMain::mnuSourceLines_Click);
    connect(mnuGuide, &QAction::triggered, this, &frmMain::mnuGuide_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
}

void frmMain::Form_Load(int splashMilliseconds)
{
    for (const auto& type : FILE_TYPES)
        cmbFileType->addItem(QLatin1String(type[0]));
    cmbFileType->setCurrentIndex(0);

    // The title screen stays for its full time even when dismissed early;
    // the window is ready once it has gone.
    if (splashMilliseconds <= 0) {
        m_loaded = true;
        return;
    }
    QPointer<frmSplash> splash = new frmSplash;
    splash->show();
    QTimer::singleShot(splashMilliseconds, Qt::PreciseTimer, this, [this, splash] {
        if (splash)
            splash->close();
        m_loaded = true;
        emit loaded();
    });
}

void frmMain::cmbFileType_Click(int index)
{
    if (index >= 0)
        m_files->filFile->setPattern(QLatin1String(FILE_TYPES[index][1]));
}

void frmMain::filFile_Click(const QString& fileName)
{
    selectDataFile(m_files->filFile->currentFilePath());
    if (m_format != FileFormat::Text)
        return;
    const bool csv = fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    // With no delimiter chosen yet, the file's first lines choose it and say
    // whether line 1 holds names, as for a dropped file.
    if (chosenDelimiter().isEmpty()) {
        std::optional<std::string> delimiter;
        if (csv)
            delimiter = guessCsvDelimiter(m_nativeFileName);
        const DataLayout layout = guessLayout(m_nativeFileName, delimiter);
        setDelimiterOption(QString::fromStdString(layout.delimiter));
        chkNames->setChecked(layout.firstLineNames);
        return;
    }
    // A CSV file is comma or semicolon delimited, as its first lines show,
    // unless the user said otherwise for it.
    if (csv && m_delimiterChosenFor != m_nativeFileName)
        setDelimiterOption(QString::fromStdString(guessCsvDelimiter(m_nativeFileName)));
}

void frmMain::selectDataFile(const std::string& nativePath)
{
    m_nativeFileName = nativePath;
    m_strFileName = displayPath(nativePath);
    lblSelectedFile->setText(QFileInfo(m_strFileName).fileName());
    showFileKind();
}

void frmMain::showFileKind()
{
    BusyCursor busy;
    m_format = fileFormatOf(m_nativeFileName);
    const bool workbook = isWorkbook(m_format);
    // A workbook or statistics file has no delimiter; a statistics file
    // always names its variables.
    fraTypeOfDelimiter->setEnabled(m_format == FileFormat::Text);
    chkNames->setEnabled(!isStatisticsFile(m_format));
    cmbSheet->clear();
    cmbSheet->setEnabled(false);
    if (!workbook)
        return;
    const WorkbookLook look = lookAtWorkbook(m_nativeFileName, m_format);
    for (const std::string& sheet : look.sheets)
        cmbSheet->addItem(QString::fromStdString(sheet));
    cmbSheet->setEnabled(!look.sheets.empty());
    if (look.readable)
        chkNames->setChecked(look.firstRowNames);
}

void frmMain::cmbSheet_Click(int index)
{
    if (index < 0 || !isWorkbook(m_format))
        return;
    BusyCursor busy;
    const WorkbookLook look = lookAtWorkbook(m_nativeFileName, m_format, index);
    if (look.readable)
        chkNames->setChecked(look.firstRowNames);
}

void frmMain::optDelimiter_Click()
{
    m_delimiterChosenFor = m_nativeFileName;
}

void frmMain::setDelimiterOption(const QString& delimiter)
{
    optTab->setChecked(delimiter == QLatin1String("\t"));
    optComma->setChecked(delimiter == QLatin1String(","));
    optSpace->setChecked(delimiter == QLatin1String(" "));
    optSemicolon->setChecked(delimiter == QLatin1String(";"));
    m_delimiterChosenFor.reset();
}

QString frmMain::chosenDelimiter() const
{
    if (optSpace->isChecked())
        return QStringLiteral(" ");
    if (optComma->isChecked())
        return QStringLiteral(",");
    if (optTab->isChecked())
        return QStringLiteral("\t");
    if (optSemicolon->isChecked())
        return QStringLiteral(";");
    return QString();
}

void frmMain::cmdImportData_Click()
{
    if (m_nativeFileName.empty()) {
        m_data = DataMatrix();
        txtOutput->setDataFileName(QString());
        dataSetChanged();
        return;
    }
    ImportResult result;
    {
        BusyCursor busy;
        ImportChoice choice;
        choice.delimiter = chosenDelimiter().toStdString();
        choice.firstLineNames = chkNames->isChecked();
        choice.sheet = std::max(cmbSheet->currentIndex(), 0);
        result = importDataFile(m_nativeFileName, choice, m_strFileName.toStdString());
    }
    // A failed import keeps the data set, the current file and the dialogs as they were.
    if (result.status != ImportStatus::Ok) {
        MessageBox::warning(this, QStringLiteral("Data Editor"),
                            QString::fromStdString(result.message),
                            QString::fromStdString(result.cure));
        return;
    }
    m_data = std::move(result.data);
    std::error_code ignored;
    m_dataSource = { fromFileSystemPath(std::filesystem::absolute(
                         fileSystemPath(m_nativeFileName), ignored)),
        chosenDelimiter().toStdString(), chkNames->isChecked(), m_format == FileFormat::Text };
    lblCurrentFile->setText(QFileInfo(m_strFileName).fileName());
    txtOutput->setDataFileName(lblCurrentFile->text());
    txtOutput->appendReport(QString::fromStdString(result.report));
    dataSetChanged();
}

void frmMain::openDataFile(const std::string& nativePath)
{
    const QString shown = displayPath(nativePath);
    cmbFileType->setCurrentIndex(fileTypeOf(shown));
    m_files->showFile(folderOf(nativePath), nativeFileName(nativePath));
    selectDataFile(nativePath);
    if (m_format != FileFormat::Text) {
        cmdImportData_Click();
        return;
    }
    std::optional<std::string> delimiter;
    if (m_delimiterChosenFor)
        delimiter = chosenDelimiter().toStdString();
    const DataLayout layout = guessLayout(nativePath, delimiter);
    if (!delimiter)
        setDelimiterOption(QString::fromStdString(layout.delimiter));
    chkNames->setChecked(layout.firstLineNames);
    cmdImportData_Click();
}

void frmMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFile(event->mimeData()).empty())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event)
{
    const std::string path = droppedFile(event->mimeData());
    if (path.empty())
        return;
    event->acceptProposedAction();
    // Opened once the drop is over: the import may show a message box.
    QTimer::singleShot(0, this, [this, path] { openDataFile(path); });
}

void frmMain::dataSetChanged()
{
    delete m_frmDescriptives;
    delete m_frmBootstrap;
    delete m_frmYuen;
    delete m_frmEffects;
    keepBootstrapRun(nullptr);
}

void frmMain::keepAnalysis(std::shared_ptr<const AnalysisRecord> record)
{
    m_lastRecord = std::move(record);
    m_lastSource = m_dataSource;
    mnuCopyManuscript->setEnabled(m_lastRecord != nullptr);
    mnuSaveScript->setEnabled(m_lastRecord != nullptr && m_lastSource.textFile);
}

void frmMain::keepBootstrapRun(std::shared_ptr<const BootstrapRun> run)
{
    m_lastBootstrapRun = std::move(run);
    mnuPlot->setEnabled(m_lastBootstrapRun != nullptr);
}

template <typename Dialog, typename... Args>
int frmMain::showKept(QPointer<Dialog>& kept, Args&&... args)
{
    if (!kept) {
        kept = new Dialog(std::forward<Args>(args)..., this);
        if constexpr (std::is_base_of_v<AnalysisDialog, Dialog>)
            connect(kept, &AnalysisDialog::analysisCompleted, this, &frmMain::keepAnalysis);
        // A completed bootstrap run is kept for its pictures.
        if constexpr (std::is_same_v<Dialog, frmBootstrap>)
            connect(kept, &frmBootstrap::runCompleted, this, &frmMain::keepBootstrapRun);
    }
    return kept->exec();
}

void frmMain::mnuOpenData_Click()
{
    QStringList filters;
    QString patterns;
    for (int type = 0; type < ALL_FILES; ++type)
        patterns += (type ? QStringLiteral(" ") : QString()) + QLatin1String(FILE_TYPES[type][1]);
    filters << QStringLiteral("Data files (%1)").arg(patterns);
    for (const auto& type : FILE_TYPES)
        filters << QLatin1String(type[0]);
    const QString chosen = OpenFileDialog::getOpenFileName(
        this, QStringLiteral("Open Data"), m_files->dirDirectory->path(), filters);
    if (!chosen.isEmpty())
        openDataFile(nativePath(chosen));
}

void frmMain::mnuOpenOutput_Click()
{
    showKept(m_frmOpenOutput, txtOutput);
}

bool frmMain::mnuSaveOutput_Click()
{
    return showKept(m_frmSaveOutput, txtOutput) == QDialog::Accepted;
}

void frmMain::mnuExportOutput_Click()
{
    const QString title = QStringLiteral("Export Output");
    QString filter;
    const QString chosen = SaveFileDialog::getSaveFileName(this, title, exportFilters(), &filter);
    if (chosen.isEmpty())
        return;
    const ExportTarget target = exportTarget(chosen, filter);
    const std::string path = nativePath(target.fileName);
    if (!SaveFileDialog::confirmSave(this, title, path))
        return;
    bool saved = false;
    try {
        const BusyCursor busy;
        // Written whole first: the file changes only once the document is complete.
        const QByteArray document = exportedReport(txtOutput->plainText(), target.format);
        saved = !document.isEmpty() && writeFileSafely(path, document);
    } catch (...) {
        // Running out of memory on a huge text is one more failure to report.
    }
    if (!saved)
        SaveFileDialog::warnNotSaved(this, title, path);
}

bool frmMain::confirmExit()
{
    if (MessageBox::askYesNoCancel(this, QStringLiteral("Trellam"),
                                   QStringLiteral("Do you want to exit Trellam?"))
        != QMessageBox::Yes)
        return false;
    // Only text that would be lost is offered for saving.
    if (!txtOutput->hasUnsavedText())
        return true;
    const auto save = MessageBox::askYesNoCancel(
        this, QStringLiteral("Save Output"),
        QStringLiteral("Do you want to save the contents of the output?"));
    if (save == QMessageBox::Yes)
        return mnuSaveOutput_Click(); // the program ends only once the output is safe
    return save == QMessageBox::No;
}

void frmMain::mnuExit_Click()
{
    if (!confirmExit())
        return;
    m_lngUnloadProgram = 1;
    close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (m_lngUnloadProgram != 1 && confirmExit())
        m_lngUnloadProgram = 1;
    if (m_lngUnloadProgram == 1)
        event->accept();
    else
        event->ignore();
}

bool frmMain::focusInTextBox() const
{
    QWidget* focused = focusWidget();
    return qobject_cast<QPlainTextEdit*>(focused) || qobject_cast<QLineEdit*>(focused)
        || qobject_cast<QTextEdit*>(focused);
}

void frmMain::mnuUndo_Click()
{
    txtOutput->undo();
}

void frmMain::mnuRedo_Click()
{
    txtOutput->redo();
}

// The pane's own cut, copy and paste make the clipboard's line ends.
void frmMain::mnuCut_Click()
{
    QApplication::clipboard()->clear();
    if (focusInTextBox())
        txtOutput->cut();
}

void frmMain::mnuCopy_Click()
{
    QApplication::clipboard()->clear();
    if (focusInTextBox())
        txtOutput->copy();
}

void frmMain::mnuPaste_Click()
{
    if (focusInTextBox())
        txtOutput->paste();
}

// The table for word processors, the sentence for plain text.
void frmMain::mnuCopyManuscript_Click()
{
    if (!m_lastRecord)
        return;
    auto* mime = new QMimeData;
    mime->setHtml(QString::fromStdString(manuscriptTable(*m_lastRecord)));
    mime->setText(QString::fromStdString(manuscriptSentence(*m_lastRecord)));
    QApplication::clipboard()->setMimeData(mime);
}

void frmMain::mnuSaveScript_Click()
{
    if (!m_lastRecord)
        return;
    const QString title = QStringLiteral("Save Reproduction Script");
    const QStringList filters { QStringLiteral("Python script (*.py)"),
        QStringLiteral("R script (*.R)") };
    const QString chosen = SaveFileDialog::getSaveFileName(this, title, filters);
    if (chosen.isEmpty())
        return;
    // A name of neither kind gets the script that reproduces the whole report.
    const ScriptLanguage language
        = scriptLanguageFor(chosen.toStdString()).value_or(ScriptLanguage::Python);
    const std::string path = nativePath(chosen);
    if (!SaveFileDialog::confirmSave(this, title, path))
        return;
    bool saved = false;
    try {
        const BusyCursor busy;
        saved = writeFileSafely(path,
            QByteArray::fromStdString(reproductionScript(*m_lastRecord, m_lastSource, language)));
    } catch (...) {
        saved = false;
    }
    if (!saved)
        SaveFileDialog::warnNotSaved(this, title, path);
}

void frmMain::mnuClearOutput_Click()
{
    txtOutput->clearOutput();
}

void frmMain::mnuNavigateDataFile_Click()
{
    frmNavigate navigator(m_data, this);
    navigator.exec();
}

void frmMain::mnuViewData_Click()
{
    frmDataView view(m_data, this);
    view.exec();
}

void frmMain::mnuDescriptives_Click()
{
    showKept(m_frmDescriptives, m_data, txtOutput);
}

void frmMain::mnuBootstrap_Click()
{
    showKept(m_frmBootstrap, m_data, txtOutput);
}

void frmMain::mnuYuen_Click()
{
    showKept(m_frmYuen, m_data, txtOutput);
}

void frmMain::mnuEffects_Click()
{
    showKept(m_frmEffects, m_data, txtOutput);
}

void frmMain::mnuPlot_Click()
{
    if (!m_lastBootstrapRun)
        return;
    frmPlot plot(m_lastBootstrapRun, this);
    plot.exec();
}

void frmMain::mnuSourceLines_Click(bool checked)
{
    txtOutput->setSourceLines(checked);
    QSettings().setValue(SOURCE_LINES_SETTING, checked);
}

void frmMain::mnuGuide_Click()
{
    const QString guide = frmGuide::findGuide();
    if (guide.isEmpty()) {
        MessageBox::warning(this, QStringLiteral("User's Guide"),
                            QStringLiteral("The user's guide is not installed."));
        return;
    }
    frmGuide window(guide, this);
    window.exec();
}

void frmMain::mnuAbout_Click()
{
    MessageBox::information(this, QStringLiteral("About Trellam"),
        QStringLiteral("Trellam " TRELLAM_VERSION "\n"
                       "Robust effect sizes for two independent groups.\n\n"
                       "Free software under the GNU General Public License, version 3 or "
                       "later: you may share and change it under its terms. It comes with "
                       "no warranty.\n\n"
                       "Built with Qt %1 (Widgets, Charts, SVG), Boost.Math and OpenMP.")
            .arg(QString::fromLatin1(qVersion())));
}
