#!/bin/sh
# Makes the workbooks and statistics files of this folder with the programs
# researchers use: R's haven (SPSS, Stata, SAS), PSPP (an SPSS portable
# file), R's openxlsx and LibreOffice
# (workbooks with two sheets, formulas, an error cell and dates), pandas with
# odfpy, and openpyxl. Each damaged copy is the file cut in half. The values
# come from the CSV files of this folder, which tests/golden/check_golden.py
# reads too.
# Needs r-cran-haven, r-cran-openxlsx, pspp, python3-pandas, python3-odf,
# python3-openpyxl and libreoffice-calc-nogui.
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
export work
trap 'rm -rf "$work"' EXIT
Rscript - <<'R'
library(haven)
library(openxlsx)
answers <- read.csv("spss-labelled.csv", colClasses = c("numeric", "numeric", "character"))
group <- labelled(answers$group, c(control = 1, treatment = 2))
# 99 is the code of an unanswered question, declared missing.
score <- labelled_spss(answers$score, c(`not answered` = 99), na_values = 99)
sex <- answers$sex
write_sav(data.frame(group = group, score = score, sex = sex), "spss-labelled.sav")
write_sav(data.frame(group = group, score = score, sex = sex), "spss-labelled.zsav",
          compress = "zsav")
# Stata has no user-missing codes: the unanswered question is the missing value .a.
stataScore <- answers$score
stataScore[which(stataScore == 99)] <- tagged_na("a")
write_dta(data.frame(group = group, score = stataScore, sex = sex), "stata-labelled.dta")
scores <- read.csv("sas-scores.csv")
write_xpt(scores, "sas-scores.xpt", name = "scores")
write_sas(scores, "sas-scores.sas7bdat")

wb <- createWorkbook()
addWorksheet(wb, "Scores")
measured <- read.csv("workbook-scores.csv")
writeData(wb, "Scores", data.frame(group = measured$group, score = measured$score,
                                   doubled = NA, ratio = NA, tested = as.Date(measured$tested)))
writeFormula(wb, "Scores", x = paste0("B", 2:7, "*2"), startCol = 3, startRow = 2)
writeFormula(wb, "Scores", x = c("1/0", "B3/B2", "B4/1", "B5/B6", "B6/B7", "B7/B2"),
             startCol = 4, startRow = 2)
addWorksheet(wb, "Second")
writeData(wb, "Second", read.csv("workbook-second.csv"))
saveWorkbook(wb, file.path(Sys.getenv("work"), "workbook.xlsx"), overwrite = TRUE)
R
# LibreOffice computes the formulas and stores their results.
soffice --headless --convert-to xlsx --outdir . "$work/workbook.xlsx" >/dev/null
soffice --headless --convert-to ods --outdir . "$work/workbook.xlsx" >/dev/null
/usr/bin/python3 - <<'PY'
import pandas as pd
pd.read_csv("pandas.csv").to_excel("pandas.ods", engine="odf", index=False)
PY
# openpyxl names its sheets from the package's root and holds texts inline;
# a sheet left empty, and one of names alone.
/usr/bin/python3 - <<'PY'
import csv
import openpyxl
book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Scores"
with open("pandas.csv", newline="") as file:
    for k, row in enumerate(csv.reader(file)):
        sheet.append(row if k == 0 else [row[0], float(row[1]) if row[1] else None])
book.create_sheet("Empty")
book.create_sheet("Names only").append(["group", "score"])
book.save("openpyxl.xlsx")
PY
# PSPP writes the SPSS portable file from the same answers.
cat > "$work/portable.sps" <<'SPS'
GET DATA /TYPE=TXT /FILE='spss-labelled.csv' /ARRANGEMENT=DELIMITED /DELIMITERS=','
  /FIRSTCASE=2 /VARIABLES=group F8.0 score F8.1 sex A1.
VALUE LABELS group 1 'control' 2 'treatment' /score 99 'not answered'.
MISSING VALUES score (99).
EXPORT OUTFILE='spss-portable.por'.
SPS
pspp "$work/portable.sps" >/dev/null
cp workbook.xlsx workbook-named-as-text.txt
printf '1,2\nx,3\n' > text-named-as-workbook.xlsx
for file in spss-labelled.sav spss-labelled.zsav stata-labelled.dta sas-scores.xpt \
            sas-scores.sas7bdat workbook.xlsx workbook.ods pandas.ods; do
    size=$(wc -c < "$file")
    head -c $((size / 2)) "$file" > "truncated-$file"
done
# A workbook whose sheet's packed bytes are damaged, its directory intact.
/usr/bin/python3 - <<'PY'
import struct, zipfile
data = bytearray(open("workbook.xlsx", "rb").read())
sheet = zipfile.ZipFile("workbook.xlsx").getinfo("xl/worksheets/sheet1.xml")
at = sheet.header_offset
start = at + 30 + sum(struct.unpack("<HH", data[at + 26:at + 30]))
middle = start + sheet.compress_size // 2
data[middle:middle + 16] = bytes(b ^ 0x55 for b in data[middle:middle + 16])
open("damaged-workbook.xlsx", "wb").write(data)
PY
# Shared strings and texts held in their cells in one workbook, as a writer
# that adds rows to a template leaves it: the first sheet's groups inline.
/usr/bin/python3 - <<'PY'
import re, zipfile
source = zipfile.ZipFile("workbook.xlsx")
strings = re.findall(r"<si><t[^>]*>([^<]*)</t></si>", source.read("xl/sharedStrings.xml").decode())
def inline(match):
    return '<c r="%s"%s t="inlineStr"><is><t>%s</t></is></c>' % (
        match.group(1), match.group(2), strings[int(match.group(3))])
with zipfile.ZipFile("mixed-strings.xlsx", "w", zipfile.ZIP_DEFLATED) as target:
    for item in source.infolist():
        data = source.read(item)
        if item.filename == "xl/worksheets/sheet1.xml":
            data = re.sub(r'<c r="(A[2-9])"([^>]*?) t="s"><v>(\d+)</v></c>', inline,
                          data.decode()).encode()
        target.writestr(item, data)
PY
/usr/bin/python3 - <<'PY'
import pandas as pd
pd.DataFrame([[1] * 1001]).to_excel("one-thousand-and-one-columns.ods", engine="odf",
                                    index=False, header=False)
PY
# An Excel 97 file: a compound file, as encrypted workbooks are too.
soffice --headless --convert-to xls --outdir "$work" pandas.ods >/dev/null
cp "$work/pandas.xls" old-excel.xls
