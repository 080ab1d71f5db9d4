#!/usr/bin/env python3
"""Runs the reproduction scripts that trellam-cli --script writes for the
sample files: the Python script must print the report byte for byte, and the
R script's numbers must be the report's, to the digits the report shows.

Usage: check_scripts.py TRELLAM_CLI SOURCE_DIR WORK_DIR [RSCRIPT]   (exits 1 on any difference)
"""
import concurrent.futures
import math
import os
import pathlib
import re
import subprocess
import sys

CLI, ROOT, WORK = sys.argv[1], pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
RSCRIPT = sys.argv[4] if len(sys.argv) > 4 and not sys.argv[4].endswith("NOTFOUND") else None
if not RSCRIPT:
    print("Rscript not found (Debian: r-base-core): the R scripts are not checked")
GROUPS = ["--dv", "2", "--gv", "1", "--group1", "1", "--group2", "2"]
# Groups whose pairwise differences are too many to form: the effect sizes'
# script counts them instead. Values to one decimal, so with many ties.
LARGE = WORK / "large_groups.txt"
LARGE.write_text("".join(f"{1 + k % 2}\t{math.sin(k) * 10 + k % 2:.1f}\n" for k in range(2203)))
LABELS = ["--names", "--dv", "2", "--gv", "3"]
CASES = [  # (environment, arguments)
    ({}, ["bootstrap", "anxiety_comma.txt", *GROUPS, "--seed", "42"]),
    ({}, ["bootstrap", "reaction_times_tab.txt", *GROUPS, "--level", "90", "--trials", "600",
          "--seed", "20261208"]),
    ({}, ["bootstrap", "scores_space.dat", *GROUPS, "--level", "99"]),  # seed from the clock
    ({}, ["bootstrap", "toothgrowth.csv", *LABELS, "--group1", "VC", "--group2", "OJ",
          "--seed", "7"]),
    ({}, ["yuen", "scores_space.dat", *GROUPS, "--level", "99"]),
    ({}, ["yuen", "toothgrowth_semicolon.csv", *LABELS, "--group1", "OJ", "--group2", "2"]),
    ({}, ["yuen", "toothgrowth.csv", *LABELS, "--group1", "OJ", "--group2", "VC", "--trim", ".1"]),
    ({}, ["descriptives", "chick_weights.csv", "--names"]),
    ({}, ["descriptives", "scores_space.dat", "--columns", "3,1-2"]),
    ({"LC_ALL": "de_DE.UTF-8"}, ["descriptives", "toothgrowth_semicolon.csv", "--names"]),
    ({}, ["descriptives", "scores_space.dat", "--by", "1"]),
    ({"LC_ALL": "de_DE.UTF-8"}, ["descriptives", "toothgrowth_semicolon.csv", "--names",
                                 "--by", "4"]),
    ({}, ["descriptives", "toothgrowth.csv", "--names", "--by", "3"]),
    # The robust effect sizes: the goldens' runs (xi of 14 and 15 values and of 29
    # and 28 from subsamples), no trimming with a seed from the clock, and the
    # groups the other way round in a semicolon file.
    ({}, ["effects", "anxiety_comma.txt", *GROUPS, "--seed", "20261208"]),
    ({}, ["effects", "toothgrowth.csv", *LABELS, "--group1", "OJ", "--group2", "VC",
          "--trim", "0.1", "--level", "90", "--trials", "1000", "--seed", "7"]),
    ({}, ["effects", "reaction_times_tab.txt", *GROUPS, "--trim", "0", "--level", "99",
          "--trials", "500"]),
    ({}, ["effects", "toothgrowth_semicolon.csv", *LABELS, "--group1", "VC", "--group2", "OJ",
          "--trim", ".25", "--trials", "300", "--seed", "3"]),
    ({}, ["effects", str(LARGE), *GROUPS, "--trials", "100", "--seed", "1"]),
]
NUMBER = r"(-?[0-9.]+|\.)"
failures = []


def run(command, env=None):
    done = subprocess.run(command, capture_output=True, env={**os.environ, **(env or {})})
    if done.returncode != 0:
        failures.append(f"{' '.join(map(str, command))}: {done.stderr.decode(errors='replace')}")
    return done.stdout


def close(r_text, shown, decimals):
    if shown == "." or r_text == ".":
        return shown == r_text
    return abs(float(r_text) - float(shown.replace(",", "."))) <= 0.6 * 10.0 ** -decimals \
        + 1e-6 * abs(float(r_text))


def expected_from_report(report, analysis, r_names):
    """(R's name, number as the report shows it, decimals shown) of every checked number."""
    lines = report.splitlines()
    found = []
    if analysis == "descriptives":
        body = lines[4:lines.index("-" * 60, 4)]
        for row, label in zip(body, [n for n in r_names if n.endswith(" N")]):
            variable = label[:-2]
            fields = row[10:].split()
            found.append((f"{variable} N", fields[4], 0))
            if fields[0] != ".":
                for name, shown, decimals in zip(("mean", "SD", "min", "max"), fields, (3, 3, 6, 6)):
                    found.append((f"{variable} {name}", shown, decimals))
        # Each table by group: its rows in R's order of the groups.
        for block in report.split("\nDESCRIPTIVES OF ")[1:]:
            variable, split = block.splitlines()[0].split(" BY ")
            prefix = f"{variable} where {split} = "
            groups = list(dict.fromkeys(n[:n.rindex(":")] for n in r_names
                                        if n.startswith(prefix)))
            rows = block.split("-" * 100 + "\n")[2].splitlines()
            if len(rows) != len(groups):
                failures.append(f"{variable} by {split}: R has {len(groups)} groups, "
                                f"the report {len(rows)}")
            for row, group in zip(rows, groups):
                fields = row[10:].split()
                for name, shown, decimals in zip(
                        ("n", "missing", "mean", "SD", "median", "20% trimmed mean",
                         "Winsorized SD"), fields, (0, 0, 3, 3, 3, 3, 3)):
                    if decimals == 0 or shown != "." or f"{group}: {name}" in r_names:
                        found.append((f"{group}: {name}", shown, decimals))
        return found
    if analysis == "effects":
        level = " ".join(lines[2].split()[2:4])
        for row in lines[4:lines.index(lines[1], 4)]:
            measure, fields = row[:41].strip(), row[41:].split()
            # xi of unequal groups rests on subsamples, which R does not draw.
            if measure in r_names or (fields[0] != "." and not measure.endswith(" xi")):
                found.append((measure, fields[0], 3))
            if fields[-1] == ".":  # Cliff's analytic interval
                found += [(f"{measure} {level} lower", fields[1].strip("(,"), 3),
                          (f"{measure} {level} upper", fields[2].rstrip(")"), 3)]
        return found
    rows = {line[:15].strip(): line[15:].split() for line in lines if line[:15].strip()}
    names = {"Trimmed Mean": "trimmed mean", "Wins. Var.": "Winsorized variance",
             "Mean": "mean", "Variance": "variance", "Sample Size": "n",
             "Effective Size": "effective size"}
    for row, name in names.items():
        for group in (1, 2):
            if row in rows:
                found.append((f"Group {group} {name}", rows[row][group - 1], 3))
    for pattern, names in (
            (rf"Pooled variance = {NUMBER}$", ["Pooled variance"]),
            (rf"Pooled Winsorized variance = {NUMBER}$", ["Pooled Winsorized variance"]),
            (rf"Robust Cohen's D = {NUMBER}$", ["Robust Cohen's d"]),
            (rf"\(Group 2 - Group 1\) = {NUMBER}$", ["Difference in trimmed means (Group 2 - Group 1)"]),
            (rf"Standard error = {NUMBER}$", ["Standard error"]),
            (rf"^t = {NUMBER}, df = {NUMBER}, p = {NUMBER}$", ["t", "df", "p"]),
            (rf"^(\d+)% CI for the difference = \({NUMBER}, {NUMBER}\)$", None)):
        for line in lines:
            match = re.search(pattern, line)
            if not match:
                continue
            if names is None:
                found += [(f"{match[1]}% CI lower", match[2], 3), (f"{match[1]}% CI upper", match[3], 3)]
            else:
                found += [(n, v, 4 if n == "p" else 3) for n, v in zip(names, match.groups())]
    return found


def check(number, env, args):
    """Runs one case's two scripts; returns how many of R's numbers it checked."""
    if env.get("LC_ALL") and env["LC_ALL"].replace("UTF-8", "utf8") not in \
            subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout:
        return 0
    data = str(ROOT / "examples" / args[1])
    what = " ".join(args)
    script = WORK / f"reproduce{number}.py"
    report = run([CLI, args[0], data, *args[2:], "--script", script], env)
    printed = run(["/usr/bin/python3", script], env)
    if printed != report:
        failures.append(f"{what}: the Python script printed\n{printed.decode()}\nthe report is\n"
                        f"{report.decode()}")
    if not RSCRIPT:
        return 0
    script = WORK / f"reproduce{number}.R"
    report = run([CLI, args[0], data, *args[2:], "--script", script], env).decode()
    r_lines = run([RSCRIPT, script]).decode().splitlines()
    r_values = dict(line.rsplit(" = ", 1) for line in r_lines if " = " in line)
    expected = expected_from_report(report, args[0], list(r_values))
    if not expected:
        failures.append(f"{what}: no number of the report found")
    for name, shown, decimals in expected:
        if name not in r_values or not close(r_values[name], shown, decimals):
            failures.append(f"{what}: R gives {name} = {r_values.get(name)}, the report {shown}")
    if args[0] != "descriptives":
        dep_var = next(line for line in report.splitlines() if line.startswith("Dep Var"))
        if dep_var not in r_lines:
            failures.append(f"{what}: R names the variables otherwise than '{dep_var}'")
    return len(expected)


# The cases are independent programs: as many at a time as there are cores.
with concurrent.futures.ThreadPoolExecutor(os.cpu_count()) as pool:
    checked = sum(pool.map(check, range(len(CASES)), *zip(*CASES)))

for failure in failures:
    print(failure)
print("reproduction scripts:", "DIFFERENT" if failures else
      f"every report reproduced, {checked} numbers of R confirmed")
sys.exit(1 if failures else 0)
