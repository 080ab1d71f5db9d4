#!/bin/sh
# Makes the workbooks and statistics files of this folder with the programs
# researchers use: R's haven (SPSS, Stata, SAS), R's openxlsx and LibreOffice
# (workbooks with two sheets, formulas, an error cell and dates), pandas with
# odfpy. Each damaged copy is the file cut in half. Needs r-cran-haven,
# r-cran-openxlsx, python3-pandas, python3-odf and libreoffice-calc-nogui.
set -eu
cd "$(dirname "$0")"
work=$(mktemp -d)
export work
trap 'rm -rf "$work"' EXIT
Rscript - <<'R'
library(haven)
library(openxlsx)
group <- labelled(c(1, 1, 1, 1, 2, 2, 2, 2, 2), c(control = 1, treatment = 2))
# 99 is the code of an unanswered question, declared missing.
score <- labelled_spss(c(12.5, 14, 99, 11, 18.5, NA, 21, 19.5, 17),
                       c(`not answered` = 99), na_values = 99)
sex <- c("f", "m", "f", "", "m", "f", "m", "f", "m")
write_sav(data.frame(group = group, score = score, sex = sex), "spss-labelled.sav")
write_sav(data.frame(group = group, score = score, sex = sex), "spss-labelled.zsav",
          compress = "zsav")
write_dta(data.frame(group = group,
                     score = c(12.5, 14, tagged_na("a"), 11, 18.5, NA, 21, 19.5, 17),
                     sex = sex), "stata-labelled.dta")
scores <- data.frame(group = c(1, 1, 2, 2), score = c(3.5, NA, 4, 6))
write_xpt(scores, "sas-scores.xpt", name = "scores")
write_sas(scores, "sas-scores.sas7bdat")

wb <- createWorkbook()
addWorksheet(wb, "Scores")
writeData(wb, "Scores", data.frame(
  group = rep(c("control", "treatment"), each = 3),
  score = c(12.5, 14, NA, 18.5, 21, 19.5), doubled = NA, ratio = NA,
  tested = as.Date(c("2024-03-01", "2024-03-02", "2024-03-04",
                     "2024-03-05", "2024-03-06", "2024-03-08"))))
writeFormula(wb, "Scores", x = paste0("B", 2:7, "*2"), startCol = 3, startRow = 2)
writeFormula(wb, "Scores", x = c("1/0", "B3/B2", "B4/1", "B5/B6", "B6/B7", "B7/B2"),
             startCol = 4, startRow = 2)
addWorksheet(wb, "Second")
writeData(wb, "Second", data.frame(x = c(1, 2, 3), y = c(4, 5, 6)))
saveWorkbook(wb, file.path(Sys.getenv("work"), "workbook.xlsx"), overwrite = TRUE)
R
# LibreOffice computes the formulas and stores their results.
soffice --headless --convert-to xlsx --outdir . "$work/workbook.xlsx" >/dev/null
soffice --headless --convert-to ods --outdir . "$work/workbook.xlsx" >/dev/null
/usr/bin/python3 - <<'PY'
import pandas as pd
pd.DataFrame({"group": ["a", "a", "b", "b", "b"], "score": [1.5, 2.5, None, 4.0, 5.5]}) \
    .to_excel("pandas.ods", engine="odf", index=False)
PY
cp workbook.xlsx workbook-named-as-text.txt
printf '1,2\nx,3\n' > text-named-as-workbook.xlsx
for file in spss-labelled.sav spss-labelled.zsav stata-labelled.dta sas-scores.xpt \
            sas-scores.sas7bdat workbook.xlsx workbook.ods pandas.ods; do
    size=$(wc -c < "$file")
    head -c $((size / 2)) "$file" > "truncated-$file"
done
/usr/bin/python3 - <<'PY'
import pandas as pd
pd.DataFrame([[1] * 1001]).to_excel("one-thousand-and-one-columns.ods", engine="odf",
                                    index=False, header=False)
PY
# An Excel 97 file: a compound file, as encrypted workbooks are too.
soffice --headless --convert-to xls --outdir "$work" pandas.ods >/dev/null
cp "$work/pandas.xls" old-excel.xls
