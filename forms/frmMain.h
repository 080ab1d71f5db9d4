// frmMain: the main window with the data selection, the output pane and the menus.
#pragma once

#include "analyses/ReproductionScript.h"
#include "data/DataMatrix.h"
#include "data/FileFormat.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <memory>

class FileChooser;
class OutputPane;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class frmBootstrap;
class frmDescriptives;
class frmOpenOutput;
class frmSaveOutput;
class frmYuen;
class frmEffects;
struct BootstrapRun;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // `splashMilliseconds` is how long the title screen stays; the window is
    // ready (isLoaded, the signal loaded) once it has gone.
    explicit frmMain(int splashMilliseconds = 2000, QWidget* parent = nullptr);
    ~frmMain() override;
    bool isLoaded() const { return m_loaded; }

    // Opens the data file at `nativePath` (platform/NativePath.h), as given on
    // the command line or dropped: the lists move to it as if it had been
    // chosen there, the delimiter is the one the user chose, else guessed
    // from the file with the header line (data/LayoutGuess.h), and the file is
    // imported at once.
    void openDataFile(const std::string& nativePath);
    // The data set every window reads; only the import replaces it.
    const DataMatrix& dataSet() const { return m_data; }

signals:
    // The title screen has gone: the window may be shown.
    void loaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    void createMenus();
    void connectHandlers();
    void Form_Load(int splashMilliseconds);
    // Asks whether to leave (and whether to save first); true when the program may end.
    bool confirmExit();
    // The delimiter of the chosen option: space, comma or tab, in that order; empty if none.
    QString chosenDelimiter() const;
    // Checks the option of `delimiter` as the program's own choice.
    void setDelimiterOption(const QString& delimiter);
    // Makes the file at `nativePath` the one the import reads.
    void selectDataFile(const std::string& nativePath);
    // Sets the choices to the chosen file's kind: a workbook's sheets in
    // cmbSheet and the layout guess of its first sheet in chkNames; the
    // delimiter only for a text file.
    void showFileKind();
    // True when the focus is in a text box of this window.
    bool focusInTextBox() const;
    // Every change of the data set comes here: the analysis dialogs are
    // discarded, so that their variable lists follow the new data set.
    void dataSetChanged();
    // Keeps the last completed analysis for the manuscript and the script.
    void keepAnalysis(std::shared_ptr<const AnalysisRecord> record);
    // Keeps the last completed bootstrap run for its plots.
    void keepBootstrapRun(std::shared_ptr<const BootstrapRun> run);
    // Shows the dialog kept in `kept` modally, building it on first use from
    // `args` and this window; returns what exec() gives.
    template <typename Dialog, typename... Args> int showKept(QPointer<Dialog>& kept, Args&&... args);

    void cmbFileType_Click(int index);
    void filFile_Click(const QString& fileName);
    void cmbSheet_Click(int index);
    void optDelimiter_Click();
    void cmdImportData_Click();

    void mnuOpenData_Click();
    void mnuOpenOutput_Click();
    bool mnuSaveOutput_Click();
    void mnuExportOutput_Click();
    void mnuSaveScript_Click();
    void mnuExit_Click();
    void mnuUndo_Click();
    void mnuRedo_Click();
    void mnuCut_Click();
    void mnuCopy_Click();
    void mnuPaste_Click();
    void mnuCopyManuscript_Click();
    void mnuClearOutput_Click();
    void mnuNavigateDataFile_Click();
    void mnuViewData_Click();
    void mnuDescriptives_Click();
    void mnuBootstrap_Click();
    void mnuYuen_Click();
    void mnuEffects_Click();
    void mnuPlot_Click();
    void mnuSourceLines_Click(bool checked);
    void mnuGuide_Click();
    void mnuAbout_Click();

    QWidget* m_central = nullptr;
    QGroupBox* fraSelectData = nullptr;
    QComboBox* cmbFileType = nullptr;
    QComboBox* cmbSheet = nullptr;
    QGroupBox* fraTypeOfDelimiter = nullptr;
    QRadioButton* optTab = nullptr;
    QRadioButton* optComma = nullptr;
    QRadioButton* optSpace = nullptr;
    QRadioButton* optSemicolon = nullptr;
    QCheckBox* chkNames = nullptr;
    QPushButton* cmdImportData = nullptr;
    // The drive, folder and file lists drvDrive, dirDirectory and filFile.
    FileChooser* m_files = nullptr;
    QLabel* lblSelectedFileLabel = nullptr;
    QLabel* lblSelectedFile = nullptr;
    QLabel* lblCurrentFileLabel = nullptr;
    QLabel* lblCurrentFile = nullptr;
    QGroupBox* fraOutput = nullptr;
    OutputPane* txtOutput = nullptr;

    QMenu* mnuFile = nullptr;
    QMenu* mnuEdit = nullptr;
    QMenu* mnuData = nullptr;
    QMenu* mnuAnalyses = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuOpenData = nullptr;
    QAction* mnuOpenOutput = nullptr;
    QAction* mnuSaveOutput = nullptr;
    QAction* mnuExportOutput = nullptr;
    QAction* mnuSaveScript = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuUndo = nullptr;
    QAction* mnuRedo = nullptr;
    QAction* mnuCut = nullptr;
    QAction* mnuCopy = nullptr;
    QAction* mnuPaste = nullptr;
    QAction* mnuCopyManuscript = nullptr;
    QAction* mnuClearOutput = nullptr;
    QAction* mnuNavigateDataFile = nullptr;
    QAction* mnuViewData = nullptr;
    QAction* mnuDescriptives = nullptr;
    QAction* mnuBootstrap = nullptr;
    QAction* mnuYuen = nullptr;
    QAction* mnuEffects = nullptr;
    QAction* mnuPlot = nullptr;
    QAction* mnuSourceLines = nullptr;
    QAction* mnuGuide = nullptr;
    QAction* mnuAbout = nullptr;

    // The data set of this run: empty until a file is imported.
    DataMatrix m_data;
    // Full path of the data file chosen in the file list, as shown and in
    // native form; empty until one is chosen.
    QString m_strFileName;
    std::string m_nativeFileName;
    // The chosen file's kind, judged by its content.
    FileFormat m_format = FileFormat::Text;
    // The file chosen when the user last clicked a delimiter option; unset
    // while no option is checked or the program checked it.
    std::optional<std::string> m_delimiterChosenFor;
    bool m_loaded = false;
    // 1 once the user has confirmed leaving the program.
    int32_t m_lngUnloadProgram = 0;

    // Built on first use; a successful import discards the two analyses so that
    // their variable lists follow the new data set.
    QPointer<frmDescriptives> m_frmDescriptives;
    QPointer<frmBootstrap> m_frmBootstrap;
    QPointer<frmYuen> m_frmYuen;
    QPointer<frmEffects> m_frmEffects;
    QPointer<frmSaveOutput> m_frmSaveOutput;
    QPointer<frmOpenOutput> m_frmOpenOutput;
    // The data file of the data set and how it was read, for the scripts.
    DataSource m_dataSource;
    // The last completed analysis with the data file it read; a cancelled or
    // failed run leaves it, and it outlives an import, since it names its file.
    std::shared_ptr<const AnalysisRecord> m_lastRecord;
    DataSource m_lastSource;
    // The last completed bootstrap run, until the next one or an import.
    std::shared_ptr<const BootstrapRun> m_lastBootstrapRun;
};
