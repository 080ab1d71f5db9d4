// Tests of labelled columns in the analyses: groups chosen by label, the list
// of a grouping variable's values, the reports and Descriptives.
#include "analyses/BootstrapAnalysis.h"
#include "analyses/BootstrapRun.h"
#include "analyses/DescriptivesAnalysis.h"
#include "analyses/TwoGroups.h"
#include "analyses/YuenAnalysis.h"
#include "data/AvailableMemory.h"
#include "data/FileImport.h"
#include "data/TableBuilder.h"

#include "ImportFiles.h"
#include "TestData.h"

#include <QtTest>

#include <string>
#include <vector>

Q_DECLARE_METATYPE(DataMatrix)

namespace {

using Labels = std::vector<std::string>;

// Lengths by supplement: column 1 the values, column 2 the codes of OJ and VC.
DataMatrix supplements(bool labelled = true)
{
    DataMatrix data
        = twoGroups({ 15.2f, 21.5f, 17.6f, 9.7f, 14.5f }, { 4.2f, 11.5f, 7.3f, 5.8f, 6.4f, 10.0f });
    data.setNames({ "len", "supp" });
    if (labelled)
        data.setLabels(2, { "OJ", "VC" });
    return data;
}

BootstrapRequest request(
    const std::string& group1, const std::string& group2, int32_t dependent = 1)
{
    BootstrapRequest r;
    r.lngDependent = dependent;
    r.lngGrouping = 2;
    r.strGroup1 = group1;
    r.strGroup2 = group2;
    r.clockSeed = 7;
    return r;
}

// `report` with `line` inserted after its "Dep Var = " line.
std::string withLineAfterVariables(std::string report, const std::string& line)
{
    const std::size_t start = report.find("Dep Var = ");
    const std::size_t end = report.find('\n', start);
    if (start == std::string::npos || end == std::string::npos)
        qFatal("the report has no variables line");
    return report.insert(end + 1, line);
}

} // namespace

class Tst_labels : public QObject {
    Q_OBJECT
private slots:
    void groupTextNamesACode_data();
    void groupTextNamesACode();
    void groupValuesAreListedWithCounts_data();
    void groupValuesAreListedWithCounts();
    void messagesKeepTheirOrder_data();
    void messagesKeepTheirOrder();
    void reportsNameLabelledGroups_data();
    void reportsNameLabelledGroups();
    void numericGroupsKeepTheirReports();
    void descriptivesCountLabels();
    void otherProgramsFilesNameTheirKind_data();
    void otherProgramsFilesNameTheirKind();
    void builderKeepsTheTextColumnRule_data();
    void builderKeepsTheTextColumnRule();
    void valueLabelsNameCodesThatStayNumbers_data();
    void valueLabelsNameCodesThatStayNumbers();
};

void Tst_labels::groupTextNamesACode_data()
{
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("code"); // 0 for text that names no code

    const QStringList supp { "OJ", "VC" };
    QTest::newRow("a label gives its code") << supp << "VC" << 2.0f;
    QTest::newRow("a code still reads as a number") << supp << "1" << 1.0f;
    QTest::newRow("a code beyond the labels reads as a number") << supp << "7" << 7.0f;
    QTest::newRow("labels match exactly, case and all") << supp << "oj" << 0.0f;
    QTest::newRow("blanks around a label do not match") << supp << " OJ" << 0.0f;
    QTest::newRow("empty text is nothing") << supp << "" << 0.0f;
    QTest::newRow("a label that reads as a number wins") << QStringList { "2", "1" } << "1" << 2.0f;
    QTest::newRow("the first of equal labels") << QStringList { "a", "b", "a" } << "a" << 1.0f;
    QTest::newRow("without labels a number") << QStringList {} << " 2.0 " << 2.0f;
    QTest::newRow("without labels text is nothing") << QStringList {} << "OJ" << 0.0f;
    QTest::newRow("UTF-8 labels") << QStringList { "Bühne", "Straße" } << "Straße" << 2.0f;
}

void Tst_labels::groupTextNamesACode()
{
    QFETCH(QStringList, labels);
    QFETCH(QString, text);
    QFETCH(float, code);
    DataMatrix data = supplements(false);
    Labels stored;
    for (const QString& label : labels)
        stored.push_back(label.toStdString());
    data.setLabels(2, stored);
    const std::optional<float> found = groupCode(data, 2, text.toStdString());
    QCOMPARE(found.value_or(0.0f), code);

    // The check of the choice agrees with the code found.
    TwoGroupChoice choice;
    choice.lngDependent = 1;
    choice.lngGrouping = 2;
    choice.strGroup1 = text.toStdString();
    choice.strGroup2 = "1";
    QCOMPARE(QString::fromStdString(checkChoice(data, choice)),
        code != 0.0f ? QString() : QStringLiteral("The value provided for Group 1 is not valid."));
}

void Tst_labels::groupValuesAreListedWithCounts_data()
{
    QTest::addColumn<DataMatrix>("data");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");

    QTest::newRow("labels in code order with their counts")
        << supplements() << 2 << QString::fromUtf8("OJ = 1 (5), VC = 2 (6)");
    QTest::newRow("numbers ascending") << supplements(false) << 2 << "1 (5), 2 (6)";
    QTest::newRow("values as the reports write them")
        << matrixFromRows({ { 2.5f }, { -1 }, { 0.0001f }, { 2.5f }, { 1000000 } }) << 1
        << "-1 (1), 0 (1), 2.5 (2), 1000000 (1)";
    QTest::newRow("missing cells are not values")
        << matrixFromRows({ { 3 }, { MISSING_VALUE }, { 3 }, { MISSING_VALUE } }) << 1 << "3 (2)";
    QTest::newRow("only missing cells list nothing")
        << matrixFromRows({ { MISSING_VALUE } }) << 1 << "";
    QTest::newRow("no column chosen lists nothing") << supplements() << int(NO_VARIABLE) << "";
    QTest::newRow("short rows give zeros")
        << matrixFromRows({ { 1, 4 }, { 1 } }) << 2 << "0 (1), 4 (1)";

    std::vector<std::vector<float>> many;
    for (int value = 14; value >= 1; --value)
        many.push_back({ static_cast<float>(value) });
    QTest::newRow("twelve values, then how many more")
        << matrixFromRows(many) << 1
        << QString::fromUtf8("1 (1), 2 (1), 3 (1), 4 (1), 5 (1), 6 (1), 7 (1), 8 (1), 9 (1), "
                             "10 (1), 11 (1), 12 (1), … and 2 more");
    many.pop_back();
    many.pop_back();
    QTest::newRow("exactly twelve values are all listed")
        << matrixFromRows(many) << 1
        << "3 (1), 4 (1), 5 (1), 6 (1), 7 (1), 8 (1), 9 (1), 10 (1), 11 (1), 12 (1), 13 (1), 14 "
           "(1)";

    DataMatrix unlabelledCode = matrixFromRows({ { 1 }, { 3 }, { 1 } });
    unlabelledCode.setLabels(1, { "yes", "no" });
    QTest::newRow("only values that occur, a code without a label as a number")
        << unlabelledCode << 1 << "yes = 1 (2), 3 (1)";
    DataMatrix control = matrixFromRows({ { 1 } });
    control.setLabels(1, { "a\x1b[0m" });
    QTest::newRow("control characters of a label show as ?") << control << 1 << "a?[0m = 1 (1)";
}

void Tst_labels::groupValuesAreListedWithCounts()
{
    QFETCH(DataMatrix, data);
    QFETCH(int, column);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(groupValuesText(data, column)), text);
}

void Tst_labels::messagesKeepTheirOrder_data()
{
    QTest::addColumn<int>("dependent");
    QTest::addColumn<QString>("group1");
    QTest::addColumn<QString>("group2");
    QTest::addColumn<QString>("message");

    QTest::newRow("text that is neither label nor number")
        << 1 << "OK"
        << "VC"
        << "The value provided for Group 1 is not valid.";
    QTest::newRow("group 2 checked after group 1")
        << 1 << "OJ"
        << "vc"
        << "The value provided for Group 2 is not valid.";
    QTest::newRow("a labelled dependent variable after the groups")
        << 2 << "OJ"
        << "VC"
        << "Var 2 (supp) holds text labels, not numbers.";
    QTest::newRow("groups checked before the labelled dependent variable")
        << 2 << "x"
        << "VC"
        << "The value provided for Group 1 is not valid.";
    QTest::newRow("a code without rows has too few observations")
        << 1 << "3"
        << "VC"
        << "There is an insufficient number of observations for Group 1.";
}

void Tst_labels::messagesKeepTheirOrder()
{
    QFETCH(int, dependent);
    QFETCH(QString, group1);
    QFETCH(QString, group2);
    QFETCH(QString, message);
    const DataMatrix data = supplements();
    const BootstrapRequest r = request(group1.toStdString(), group2.toStdString(), dependent);
    const BootstrapResult bootstrap = runBootstrapAnalysis(data, r);
    QCOMPARE(QString::fromStdString(bootstrap.message), message);
    QVERIFY(bootstrap.report.empty());
    const AnalysisResult yuen = runYuenAnalysis(data, r);
    QCOMPARE(QString::fromStdString(yuen.message), message);
    QVERIFY(yuen.report.empty());
}

void Tst_labels::reportsNameLabelledGroups_data()
{
    QTest::addColumn<QString>("group1");
    QTest::addColumn<QString>("group2");
    QTest::addColumn<QString>("numeric1");
    QTest::addColumn<QString>("numeric2");
    QTest::addColumn<QString>("line");

    QTest::newRow("by label") << "OJ"
                              << "VC"
                              << "1"
                              << "2"
                              << "Group 1 = OJ; Group 2 = VC\n";
    QTest::newRow("by code") << "1"
                             << "2"
                             << "1"
                             << "2"
                             << "Group 1 = OJ; Group 2 = VC\n";
    QTest::newRow("label and code mixed, swapped") << "2"
                                                   << "OJ"
                                                   << "2"
                                                   << "1"
                                                   << "Group 1 = VC; Group 2 = OJ\n";
}

void Tst_labels::reportsNameLabelledGroups()
{
    QFETCH(QString, group1);
    QFETCH(QString, group2);
    QFETCH(QString, numeric1);
    QFETCH(QString, numeric2);
    QFETCH(QString, line);
    const DataMatrix labelled = supplements();
    const DataMatrix numeric = supplements(false);
    const BootstrapRequest byLabel = request(group1.toStdString(), group2.toStdString());
    const BootstrapRequest byNumber = request(numeric1.toStdString(), numeric2.toStdString());

    // The report on labels is the numeric one with the groups line added.
    const BootstrapResult bootstrap = runBootstrapAnalysis(labelled, byLabel);
    const BootstrapResult numericBootstrap = runBootstrapAnalysis(numeric, byNumber);
    QVERIFY(bootstrap.message.empty());
    QCOMPARE(bootstrap.report, withLineAfterVariables(numericBootstrap.report, line.toStdString()));
    const AnalysisResult yuen = runYuenAnalysis(labelled, byLabel);
    QVERIFY(yuen.message.empty());
    QCOMPARE(yuen.report,
        withLineAfterVariables(runYuenAnalysis(numeric, byNumber).report, line.toStdString()));

    // The pictures name the groups by their labels; the numbers are the same.
    const QStringList names = line.trimmed().split(QStringLiteral("; "));
    QCOMPARE(QString::fromStdString(bootstrap.run->strGroup1), names[0].mid(10));
    QCOMPARE(QString::fromStdString(bootstrap.run->strGroup2), names[1].mid(10));
    QCOMPARE(bootstrap.run->effects, numericBootstrap.run->effects);
    QVERIFY(plotRunProblem(*bootstrap.run).empty());
}

void Tst_labels::numericGroupsKeepTheirReports()
{
    // Without labels nothing is added and the groups keep their text as typed.
    const DataMatrix numeric = supplements(false);
    const BootstrapRequest r = request(" 1.0 ", "2");
    QCOMPARE(groupsLine(numeric, r), std::string());
    const BootstrapResult bootstrap = runBootstrapAnalysis(numeric, r);
    QVERIFY(!QString::fromStdString(bootstrap.report).contains(QStringLiteral("Group 1 =")));
    QCOMPARE(bootstrap.run->strGroup1, std::string(" 1.0 "));
    QVERIFY(!QString::fromStdString(runYuenAnalysis(numeric, r).report)
                 .contains(QStringLiteral("Group 1 =")));

    // Labels of another column do not change a numeric grouping.
    DataMatrix other = supplements(false);
    other.setLabels(1, { "unused" });
    QCOMPARE(groupsLine(other, r), std::string());
}

void Tst_labels::descriptivesCountLabels()
{
    DataMatrix data = supplements();
    std::vector<std::vector<float>> rows;
    const std::vector<float> kinds { 2, 2, 1, MISSING_VALUE, 2 };
    for (float kind : kinds)
        rows.push_back({ 4, kind });
    DataMatrix two = matrixFromRows(rows);
    two.setLabels(2, { "low", "high" });
    const std::vector<int32_t> columns { 2, 1 };

    QCOMPARE(QString::fromStdString(descriptivesAnalysis(data, columns, ',').report),
        QStringLiteral("DESCRIPTIVES\n"
                       "------------------------------------------------------------\n"
                       "Name            Mean        SD       Min       Max         N\n"
                       "------------------------------------------------------------\n"
                       "supp               .         .         .         .        11\n"
                       "len           11,245     5,423       4,2      21,5        11\n"
                       "------------------------------------------------------------\n"
                       "Var 2 (supp): OJ 5; VC 6\n"
                       "\n\n\n"));

    // N counts the cells that are not missing; each label its own cells.
    const QStringList lines
        = QString::fromStdString(descriptivesAnalysis(two, columns, '.').report).split('\n');
    QCOMPARE(
        lines[4], QStringLiteral("Var 2              .         .         .         .         4"));
    QCOMPARE(lines[7], QStringLiteral("Var 2: low 1; high 3"));

    // At most twenty labels are listed.
    Labels letters;
    for (char c = 'a'; c <= 'v'; ++c)
        letters.push_back(std::string(1, c));
    DataMatrix wide = matrixFromRows({ { 1 }, { 22 } });
    wide.setLabels(1, letters);
    QCOMPARE(
        QString::fromStdString(descriptivesAnalysis(wide, std::vector<int32_t> { 1 }, '.').report)
            .split('\n')[6],
        QString::fromUtf8("Var 1: a 1; b 0; c 0; d 0; e 0; f 0; g 0; h 0; i 0; j 0; k 0; l 0; "
                          "m 0; n 0; o 0; p 0; q 0; r 0; s 0; t 0; …"));
}

void Tst_labels::otherProgramsFilesNameTheirKind_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("sheet");
    QTest::addColumn<bool>("names");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("sheetName");
    QTest::addColumn<int>("cases");
    QTest::addColumn<int>("variables");
    QTest::newRow("SPSS") << "spss-labelled.sav" << 0 << false << "SPSS" << "" << 9 << 3;
    QTest::newRow("compressed SPSS") << "spss-labelled.zsav" << 0 << false << "SPSS" << "" << 9 << 3;
    QTest::newRow("Stata") << "stata-labelled.dta" << 0 << false << "Stata" << "" << 9 << 3;
    QTest::newRow("SAS transport") << "sas-scores.xpt" << 0 << false << "SAS" << "" << 4 << 2;
    QTest::newRow("Excel, first row names")
        << "workbook.xlsx" << 0 << true << "Excel" << "Scores" << 6 << 5;
    QTest::newRow("Excel, first row data: names become labels")
        << "workbook.xlsx" << 0 << false << "Excel" << "Scores" << 7 << 5;
    QTest::newRow("OpenDocument, second sheet")
        << "workbook.ods" << 1 << true << "OpenDocument" << "Second" << 3 << 2;
    QTest::newRow("a workbook by its content, not its name")
        << "workbook-named-as-text.txt" << 0 << true << "Excel" << "Scores" << 6 << 5;
}

void Tst_labels::otherProgramsFilesNameTheirKind()
{
    QFETCH(QString, file);
    QFETCH(int, sheet);
    QFETCH(bool, names);
    QFETCH(QString, kind);
    QFETCH(QString, sheetName);
    QFETCH(int, cases);
    QFETCH(int, variables);
    ImportChoice choice;
    choice.sheet = sheet;
    choice.firstLineNames = names;
    // The delimiter of a text file does not matter to these files.
    choice.delimiter = "\t";
    const std::string path = importFile(file).toStdString();
    const ImportResult result = importDataFile(path, choice, path);
    QCOMPARE(result.message, std::string());
    const QString sheetLine = sheetName.isEmpty() ? QString() : "\nSheet: " + sheetName;
    QCOMPARE(QString::fromStdString(result.report),
        "Opened the " + kind + " file: " + QString::fromStdString(path) + sheetLine + "\nNumber of Cases: " + QString::number(cases)
            + "\nNumber of Variables: " + QString::number(variables) + "\n\n\n");
}

void Tst_labels::builderKeepsTheTextColumnRule_data()
{
    // Cells as a workbook's or statistics file's reader hands them over, at
    // row,column from 0: "r,c=5" a number, "r,c:text" a text, "r,c." missing.
    QTest::addColumn<QStringList>("cells");
    // Rows split by ";", cells by " ", a label shown as its text; or the message.
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("labels"); // of column 1, in code order
    QTest::newRow("a number written as text is a number")
        << QStringList { "0,0:12.5", "1,0=3" } << "12.5;3" << "";
    QTest::newRow("a text makes its column labels, its numbers too, in byte order")
        << QStringList { "0,0:b", "1,0=1.5", "2,0:a", "3,0:b" } << "b;1.5;a;b" << "1.5,a,b";
    QTest::newRow("NA and . are missing; every row as wide as the widest")
        << QStringList { "0,0:NA", "1,0:.", "2,0=4", "2,1." } << ". .;. .;4 ." << "";
    QTest::newRow("a gap is missing; an empty text after the last cell is no data")
        << QStringList { "0,0=1", "2,1=2", "5,0:" } << "1 .;. .;. 2" << "";
    QTest::newRow("a number beyond single precision")
        << QStringList { "0,0=1", "1,1=1e39" }
        << "Row 2 of Column 2 has an invalid entry for analysis." << "";
    QTest::newRow("column 1001") << QStringList { "0,1000=1" }
                                 << "The file has more than 1000 variables." << "";
}

void Tst_labels::builderKeepsTheTextColumnRule()
{
    QFETCH(QStringList, cells);
    QFETCH(QString, table);
    QFETCH(QString, labels);
    MemoryBudget budget(availableMemoryBytes());
    TableBuilder builder(budget);
    for (const QString& cell : cells) {
        const qsizetype mark = cell.indexOf(QRegularExpression(QStringLiteral("[=:.]")));
        const auto row = static_cast<std::size_t>(cell.section(',', 0, 0).toInt());
        const auto column = static_cast<std::size_t>(cell.mid(0, mark).section(',', 1).toInt());
        const QString rest = cell.mid(mark + 1);
        if (cell[mark] == '=')
            builder.number(row, column, rest.toDouble());
        else if (cell[mark] == ':')
            builder.text(row, column, rest.toStdString());
        else
            builder.missing(row, column);
    }
    DataMatrix data;
    const TableProblem problem = builder.finish(data);
    if (problem.status != ImportStatus::Ok) {
        QCOMPARE(QString::fromStdString(importOutcome(problem, {}, "", "").message), table);
        return;
    }
    QStringList rows;
    for (int32_t r = 1; r <= data.rowCount(); ++r) {
        QStringList shown;
        for (int32_t c = 1; c <= data.columnCount(); ++c) {
            const float value = data(r, c);
            const std::string* label = data.labelOf(c, value);
            shown << (value == MISSING_VALUE ? QStringLiteral(".")
                    : label                  ? QString::fromStdString(*label)
                                             : QString::number(value));
        }
        rows << shown.join(' ');
    }
    QCOMPARE(rows.join(';'), table);
    QStringList texts;
    for (const std::string& label : data.labels(1))
        texts << QString::fromStdString(label);
    QCOMPARE(texts.join(','), labels);
}

void Tst_labels::valueLabelsNameCodesThatStayNumbers_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("SPSS") << "spss-labelled.sav";
    QTest::newRow("Stata") << "stata-labelled.dta";
}

void Tst_labels::valueLabelsNameCodesThatStayNumbers()
{
    QFETCH(QString, file);
    const std::string path = importFile(file).toStdString();
    const DataMatrix data = importDataFile(path, {}, path).data;
    QVERIFY(data.hasLabels(1) && !data.holdsText(1));
    QCOMPARE(data(5, 1), 2.0f);
    QCOMPARE(groupValuesText(data, 1), std::string("control = 1 (4), treatment = 2 (5)"));
    QCOMPARE(data.codeOf(1, "treatment"), std::optional<float>(2.0f));
    // 99, declared missing (SPSS), and a tagged missing value (Stata).
    QCOMPARE(data(3, 2), MISSING_VALUE);
    QCOMPARE(data(6, 2), MISSING_VALUE);
    QVERIFY(data.holdsText(3));
    QCOMPARE(data.labels(3), (Labels { "f", "m" }));
    QCOMPARE(data(4, 3), MISSING_VALUE);
    // A labelled dependent variable is analysed as the numbers it holds.
    BootstrapRequest r = request("control", "treatment");
    r.lngDependent = 2;
    r.lngGrouping = 1;
    QCOMPARE(runYuenAnalysis(data, r).message, std::string());
}

QTEST_APPLESS_MAIN(Tst_labels)
#include "tst_labels.moc"
