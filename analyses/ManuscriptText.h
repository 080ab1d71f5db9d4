// A completed analysis written for a manuscript: an APA-style table (HTML)
// and an APA sentence, both from its record's unrounded numbers.
#pragma once

#include "analyses/ResultRecords.h"

#include <string>

// An HTML fragment a word processor pastes as a table: a title line in
// italics, the table with rules above and below the header and below the last
// row and no vertical rules, statistics' symbols in italics, numbers to 2
// decimals and p to 3 without its leading zero, and a note below. Names from
// the data file are escaped. Descriptives split by a variable give a table a
// variable with a row a group.
std::string manuscriptTable(const AnalysisRecord& record);

// The result as a sentence's clause in APA style (UTF-8, negative numbers
// with the minus sign U+2212): "Yuen's t(16.17) = 0.84, p = .413, difference
// in 20% trimmed means = 0.11, 95% CI [−0.18, 0.40]"; "robust d = 0.28, 95%
// CI [−0.47, 1.00], percentile bootstrap, 2000 resamples, seed 42"; for the
// robust effect sizes one clause a measure, "AKP robust d = 0.28, 95% CI
// [−0.47, 1.00]; ...; Cliff's δ = 0.10, 95% CI [−0.21, 0.39]; percentile
// bootstrap, 2000 resamples, seed 42"; for
// Descriptives one clause a variable, "Var 2 (len): N = 59, M = 18.81,
// SD = 7.65", joined by "; ", or split by a variable one a group, "Var 2 (len)
// where Var 3 (supp) = OJ: N = 29, M = 20.57, ..., Winsorized SD = 4.88".
std::string manuscriptSentence(const AnalysisRecord& record);

// `value` to `decimals` places (ties to even on its binary value), with the
// minus sign U+2212 and never a negative zero: "−0.18", "1.00".
std::string manuscriptNumber(double value, int decimals = 2);

// p as APA writes it after the statistic: "= .413", "< .001".
std::string manuscriptP(double p);
