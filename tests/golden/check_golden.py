#!/usr/bin/env python3
"""Recomputes every number of the golden reports from the sample files, with
NumPy and SciPy and a plain reimplementation of the seeded bootstrap, and
checks that each printed number is what an independent computation prints.

Usage: check_golden.py SOURCE_DIR   (exits 1 on any difference)
"""
import csv
from datetime import date
import math
import pathlib
import sys

import numpy as np
from scipy import stats
from scipy.stats import mstats

ROOT = pathlib.Path(sys.argv[1])
SAMPLES = {  # sample file: (delimiter, level of its bootstrap and Yuen reports)
    "anxiety_comma.txt": (",", 0.95),
    "reaction_times_tab.txt": ("\t", 0.90),
    "scores_space.dat": (" ", 0.99),
}
SEED = 20261208
TRIALS = 2000
MISSING = 9999999.0
failures = []


def check(what, printed, expected):
    if printed != expected:
        failures.append(f"{what}: report {printed!r}, independent {expected!r}")


def columns(path, delimiter):
    rows = [line.split(delimiter) for line in path.read_text().splitlines()]
    width = max(len(row) for row in rows)
    table = np.zeros((len(rows), width), dtype=np.float32)
    for r, row in enumerate(rows):
        for c, field in enumerate(row):
            table[r, c] = MISSING if field.strip() in ("", ".") else np.float32(float(field))
    return table


def three(x):
    """A number as the reports print it: 3 decimals, half to even on its binary value."""
    text = "%.3f" % x
    text = text.rstrip("0").rstrip(".") if "." in text else text
    return "0" if text in ("-0", "") else text


def groups(table, dv=1, gv=0):
    keep = table[:, dv] != MISSING
    return [table[keep & (table[:, gv] == code), dv] for code in (1, 2)]


def trimmed(x):
    """Trimmed mean, Winsorized mean and variance, kept values: in double, as exactly as it goes."""
    y = np.sort(x.astype(np.float64))
    n = len(y)
    g = int(n * float(np.float32(0.2)))
    kept = y[g:n - g]
    w = np.concatenate([np.full(g, kept[0]), kept, np.full(g, kept[-1])])
    return kept.mean(), w.mean(), w.var(ddof=1), n - 2 * g


def kernel(x1, x2):
    """The stored single-precision statistics of two groups and their d."""
    out = []
    for x in (x1, x2):
        tm, wm, wv, h = trimmed(x)
        xd = x.astype(np.float64)
        out.append([np.float32(xd.mean()), np.float32(xd.var(ddof=1)), np.float32(tm),
                    np.float32(wv)])
    (m1, v1, t1, w1), (m2, v2, t2, w2) = out
    n1, n2 = len(x1), len(x2)
    pooled = np.float32(((n2 - 1) * float(v2) + (n1 - 1) * float(v1)) / (n1 + n2 - 2))
    pooled_w = np.float32(((n2 - 1) * float(w2) + (n1 - 1) * float(w1)) / (n1 + n2 - 2))
    d = (np.float32(math.sqrt(0.4129) * (float(t2) - float(t1)) / math.sqrt(float(pooled_w)))
         if pooled_w > 0 else None)
    return out, pooled, pooled_w, d


MASK = (1 << 64) - 1


def split_mix(state):
    state = (state + 0x9E3779B97F4A7C15) & MASK
    z = state
    z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK
    z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK
    return state, z ^ (z >> 31)


def trial_stream(seed, trial):
    """xoshiro256** started from the seed and the trial's number."""
    seed, a = split_mix(seed)
    trial, b = split_mix(trial)
    state, words = a ^ b, []
    for _ in range(4):
        state, word = split_mix(state)
        words.append(word)
    s = words
    rotl = lambda x, k: ((x << k) | (x >> (64 - k))) & MASK
    while True:
        result = (rotl((s[1] * 5) & MASK, 7) * 9) & MASK
        t = (s[1] << 17) & MASK
        s[2] ^= s[0]
        s[3] ^= s[1]
        s[1] ^= s[2]
        s[0] ^= s[3]
        s[2] ^= t
        s[3] = rotl(s[3], 45)
        yield (result >> 11) * 2.0 ** -53


def resample(x, stream):
    n = len(x)
    return x[[max(math.ceil(next(stream) * n), 1) - 1 for _ in range(n)]]


def check_descriptives(name, table):
    lines = (ROOT / "tests/golden" / (name.split(".")[0] + ".descriptives.txt")).read_text().splitlines()
    for c in range(table.shape[1]):
        x = table[:, c][table[:, c] != MISSING].astype(np.float64)
        mean = float("%.3f" % x.mean())
        sd = float("%.3f" % x.std(ddof=1))
        expected = [f"Var {c + 1}", "%.15g" % mean, "%.15g" % sd, "%.7g" % np.float32(x.min()),
                    "%.7g" % np.float32(x.max()), str(len(x))]
        row = next(line for line in lines if line.startswith(f"Var {c + 1} "))
        check(f"{name} descriptives Var {c + 1}", ["Var " + row.split()[1]] + row.split()[2:],
              expected)


def check_bootstrap(name, table, level):
    report = (ROOT / "tests/golden" / (name.split(".")[0] + ".bootstrap.txt")).read_text()
    x1, x2 = groups(table)
    (g1, g2), pooled, pooled_w, d = kernel(x1, x2)
    rows = {line[:15].strip(): line[15:].split() for line in report.splitlines()[4:11]}
    check(f"{name} sizes", rows["Sample Size"], [str(len(x1)), str(len(x2))])
    for label, k in (("Mean", 0), ("Variance", 1), ("Trimmed Mean", 2), ("Wins. Var.", 3)):
        check(f"{name} {label}", rows[label], [three(g1[k]), three(g2[k])])
    # SciPy's own trimmed means and Winsorized variances, as a second opinion.
    for x, g in ((x1, g1), (x2, g2)):
        check(f"{name} scipy trimmed mean", three(g[2]),
              three(np.float32(stats.trim_mean(x.astype(np.float64), 0.2))))
        winsorized = mstats.winsorize(x.astype(np.float64), limits=(0.2, 0.2))
        check(f"{name} scipy Winsorized variance", three(g[3]),
              three(np.float32(np.var(winsorized, ddof=1))))
    check(f"{name} pooled variance", f"Pooled variance = {three(pooled)}" in report, True)
    check(f"{name} pooled Winsorized",
          f"Pooled Winsorized variance = {three(pooled_w)}" in report, True)
    check(f"{name} d", f"Robust Cohen's D = {three(d)}\n" in report, True)

    effects = []
    for trial in range(1, TRIALS + 1):
        stream = trial_stream(SEED, trial)
        r1 = resample(x1, stream)
        r2 = resample(x2, stream)
        _, _, _, dt = kernel(r1, r2)
        if dt is not None:
            effects.append(dt)
    effects.sort()
    valid = len(effects)
    r = round((1.0 - float(np.float32(level))) / 2.0 * valid)
    percent = round(level * 100)
    interval = f"{percent}% CI for population Robust D = ({three(effects[r])}, {three(effects[valid - r - 1])})"
    check(f"{name} interval", interval in report, True)
    check(f"{name} valid trials", f"Number of valid robust D bootstrap trials = {valid}\n" in report, True)


def check_yuen(name, table, level, dv=1, gv=0):
    report = (ROOT / "tests/golden" / (name.split(".")[0] + ".yuen.txt")).read_text()
    x1, x2 = (x.astype(np.float64) for x in groups(table, dv, gv))
    result = stats.ttest_ind(x2, x1, equal_var=False, trim=0.2)
    ds = []
    for x in (x1, x2):
        tm, wm, wv, h = trimmed(x)
        ds.append(((len(x) - 1) * wv / (h * (h - 1)), h, tm, wv))
    se = math.sqrt(ds[0][0] + ds[1][0])
    df = (ds[0][0] + ds[1][0]) ** 2 / (ds[0][0] ** 2 / (ds[0][1] - 1) + ds[1][0] ** 2 / (ds[1][1] - 1))
    difference = ds[1][2] - ds[0][2]
    quantile = stats.t.ppf(1 - (1 - level) / 2, df)
    p = "p < 0.0001" if result.pvalue < 0.0001 else "p = %.4f" % result.pvalue
    expected = [
        f"Effective Size {ds[0][1]} {ds[1][1]}",
        f"Difference in trimmed means (Group 2 - Group 1) = {three(difference)}",
        f"Standard error = {three(se)}",
        f"t = {three(result.statistic)}, df = {three(df)}, {p}",
        f"{round(level * 100)}% CI for the difference = ({three(difference - quantile * se)}, "
        f"{three(difference + quantile * se)})",
    ]
    text = " ".join(report.split())
    for line in expected:
        check(f"{name} yuen", " ".join(line.split()) in text, True)


def check_descriptives_by(golden, table, split, names, labels=None):
    """Each table by group: every row recomputed from the group's values, SciPy's
    trimmed mean and Winsorized SD at 20%. `split` and the keys of `names` are
    0-based columns; `labels` names the split column's codes."""
    report = (ROOT / "tests/golden" / golden).read_text()
    blocks = report.split("\nDESCRIPTIVES OF ")[1:]
    variables = [c for c in range(table.shape[1]) if c != split and c in names]
    check(f"{golden} tables", len(blocks), len(variables))
    codes = sorted(set(table[:, split][table[:, split] != MISSING]))
    g15 = lambda v: "%.15g" % float("%.3f" % v)
    for block, c in zip(blocks, variables):
        check(f"{golden} heading", block.splitlines()[0],
              f"{names[c]} BY {names[split]}")
        rows = [line.split() for line in block.split("-" * 100 + "\n")[2].splitlines()]
        expected = []
        for code in codes:
            member = table[:, split] == code
            x = table[member, c][table[member, c] != MISSING].astype(np.float64)
            winsorized = mstats.winsorize(x, limits=(0.2, 0.2))
            expected.append([labels[int(code) - 1] if labels else "%.7g" % code, str(len(x)),
                             str(int(np.sum(table[member, c] == MISSING))), g15(x.mean()),
                             g15(x.std(ddof=1)), g15(np.median(x)),
                             g15(np.float32(stats.trim_mean(x, 0.2))),
                             g15(math.sqrt(float(np.float32(np.var(winsorized, ddof=1))))),
                             "%.7g" % np.float32(x.min()), "%.7g" % np.float32(x.max())])
        check(f"{golden} by {names[split]}: {names[c]}", rows, expected)


for sample, (delimiter, level) in SAMPLES.items():
    table = columns(ROOT / "examples" / sample, delimiter)
    check_descriptives(sample, table)
    check_bootstrap(sample, table, level)
    check_yuen(sample, table, level)

def labelled_columns(path, delimiter):
    """A file with names as R writes it, read by Python's csv module: text columns become
    codes 1, 2, ... in the texts' sorted order, NA is missing, a decimal comma in a semicolon
    file is a decimal point."""
    with open(path, newline="") as file:
        rows = list(csv.reader(file, delimiter=delimiter))
    names, rows = rows[0], rows[1:]

    def number(field):
        field = field.strip()
        if field in ("", ".", "NA", "NaN"):
            return MISSING
        return float(field.replace(",", ".") if delimiter == ";" else field)

    table = np.zeros((len(rows), len(names)), dtype=np.float32)
    labels = {}
    for c in range(len(names)):
        fields = [row[c] for row in rows]
        try:
            table[:, c] = [np.float32(number(field)) for field in fields]
        except ValueError:
            texts = sorted({field.strip() for field in fields} - {"", "NA", "NaN", "."})
            labels[c] = texts
            table[:, c] = [texts.index(f.strip()) + 1 if f.strip() in texts else MISSING
                           for f in fields]
    return names, table, labels


def check_named_descriptives(golden, names, table, labels):
    """A descriptives report of a file with names: each row recomputed, a column of labels
    counted under the table."""
    lines = (ROOT / "tests/golden" / golden).read_text().splitlines()
    for c, name in enumerate(names):
        x = table[:, c][table[:, c] != MISSING].astype(np.float64)
        shown = name or f"Var {c + 1}"
        row = next(line for line in lines if line.startswith(shown + " "))
        if c in labels:
            expected = [".", ".", ".", ".", str(len(x))]
        else:
            expected = ["%.15g" % float("%.3f" % x.mean()), "%.15g" % float("%.3f" % x.std(ddof=1)),
                        "%.7g" % np.float32(x.min()), "%.7g" % np.float32(x.max()), str(len(x))]
        check(f"{golden} {shown}", row[len(shown):].split(), expected)
    for c, texts in labels.items():
        counts = "; ".join(f"{t} {int((table[:, c] == k + 1).sum())}" for k, t in enumerate(texts))
        check(f"{golden} labels", f"Var {c + 1} ({names[c]}): {counts}" in lines, True)


def check_toothgrowth():
    names, table, labels = labelled_columns(ROOT / "examples/toothgrowth.csv", ",")
    _, semicolon, _ = labelled_columns(ROOT / "examples/toothgrowth_semicolon.csv", ";")
    check("toothgrowth semicolon file", np.array_equal(table, semicolon), True)
    check_named_descriptives("toothgrowth.descriptives.txt", names, table, labels)
    check_yuen("toothgrowth.csv", table, 0.95, dv=1, gv=2)


def check_other_programs():
    """The workbooks and statistics files, from the values their writers were given
    (tests/files/import/*.csv, make-workbooks-and-statistics-files.sh)."""
    folder = ROOT / "tests/files/import"
    # SPSS: 99 is declared missing; the codes 1 and 2 stay numbers.
    names, table, labels = labelled_columns(folder / "spss-labelled.csv", ",")
    table[table[:, 1] == 99, 1] = MISSING
    check_named_descriptives("spss-labelled.descriptives.txt", names, table, labels)
    check_yuen("spss-labelled.sav", table, 0.95, dv=1, gv=0)
    check_named_descriptives("spss-portable.descriptives.txt", [n.upper() for n in names], table,
                             labels)
    check_yuen("spss-portable.por", table, 0.95, dv=1, gv=0)
    names, table, labels = labelled_columns(folder / "sas-scores.csv", ",")
    check_named_descriptives("sas-scores.descriptives.txt", names, table, labels)
    names, table, labels = labelled_columns(folder / "pandas.csv", ",")
    check_named_descriptives("pandas.descriptives.txt", names, table, labels)
    names, table, labels = labelled_columns(folder / "workbook-second.csv", ",")
    check_named_descriptives("workbook.second.descriptives.txt", names, table, labels)
    # The Scores sheet: the formulas' stored results (an empty cell counts 0, 1/0 is an
    # error cell) and the dates as days since 30 December 1899.
    with open(folder / "workbook-scores.csv", newline="") as file:
        rows = list(csv.DictReader(file))
    score = [float(row["score"]) if row["score"] != "NA" else None for row in rows]
    value = [s if s is not None else 0.0 for s in score]
    doubled = [2 * v for v in value]
    ratio = [None, value[1] / value[0], value[2] / 1, value[3] / value[4], value[4] / value[5],
             value[5] / value[0]]
    tested = [(date.fromisoformat(row["tested"]) - date(1899, 12, 30)).days for row in rows]
    texts = sorted({row["group"] for row in rows})
    columns_ = [[texts.index(row["group"]) + 1 for row in rows], score, doubled, ratio, tested]
    table = np.array([[MISSING if v is None else np.float32(v) for v in column]
                      for column in columns_], dtype=np.float32).T
    check_named_descriptives("workbook.descriptives.txt",
                             ["group", "score", "doubled", "ratio", "tested"], table, {0: texts})


check_toothgrowth()
check_other_programs()
check_descriptives_by("scores_space.descriptives_by.txt", columns(ROOT / "examples/scores_space.dat", " "),
                      0, {0: "Var 1", 1: "Var 2", 2: "Var 3"})
_, growth, growth_labels = labelled_columns(ROOT / "examples/toothgrowth.csv", ",")
check_descriptives_by("toothgrowth.descriptives_by.txt", growth, 2,
                      {1: "Var 2 (len)", 2: "Var 3 (supp)", 3: "Var 4 (dose)"}, growth_labels[2])

for failure in failures:
    print(failure)
print("golden reports:", "DIFFERENT" if failures else "every number confirmed")
sys.exit(1 if failures else 0)
