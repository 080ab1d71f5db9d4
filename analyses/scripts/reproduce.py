#!/usr/bin/env python3
"""Reproduces a Trellam report: reads the data file as Trellam read it, gathers
the same values and prints the same report, the seeded bootstrap intervals
included. Needs Python 3 with NumPy and SciPy only.

Run it as: python3 THIS_FILE
"""
import math
import re
import struct
import sys
from decimal import Decimal
from fractions import Fraction

import numpy as np
from scipy import stats

# ---- What was run (written by Trellam) ----
#@SETTINGS@

MISSING = np.float32(9999999.0)
MAX_COLUMNS = 1000
MAX_SPLIT_GROUPS = 1000


class Stop(Exception):
    """A reason the report cannot be reproduced; said on standard error."""


# ---- Numbers as the import reads them ----

NUMBER = re.compile(rb"[+-]?(?:[0-9]+(?:\.[0-9]*)?|\.[0-9]+)(?:[eE][+-]?[0-9]+)?")


def nearest_float32(text):
    """The single-precision value nearest the decimal text, rounded once;
    None beyond the single-precision range, 0 far below it."""
    exact = Decimal(text.decode("ascii"))
    if exact == 0:
        return np.float32(-0.0) if text.lstrip().startswith(b"-") else np.float32(0.0)
    if exact.adjusted() > 39:
        return None
    if exact.adjusted() < -50:
        return np.float32(-0.0) if exact < 0 else np.float32(0.0)
    q = Fraction(exact)
    d = float(q)
    f = np.float32(d)
    bits = struct.unpack("<Q", struct.pack("<d", d))[0]
    if bits & ((1 << 29) - 1) == 1 << 28:
        # Halfway between two floats as a double: settle it on the exact value.
        g = np.nextafter(f, np.float32(math.inf if q > Fraction(float(f)) else -math.inf))
        df, dg = abs(Fraction(float(f)) - q), abs(Fraction(float(g)) - q)
        if dg < df or (dg == df and int(g.view(np.uint32)) & 1 == 0):
            f = g
    if not np.isfinite(f):
        return None
    return f


def parse_number(text, decimal_comma=False):
    """A number with optional blanks around it, or None."""
    value = None
    trimmed = text.strip(b" ")
    if NUMBER.fullmatch(trimmed):
        value = nearest_float32(trimmed)
    if value is None and decimal_comma and b"," in text:
        return parse_number(text.replace(b",", b"."))
    return value


# ---- The data file ----

def split_lines(data):
    lines = re.split(rb"\r\n|\r|\n", data)
    if lines and lines[-1] == b"":
        lines.pop()
    return lines


def read_plain(data, delimiter):
    """A file without a names line: each line a case, short lines 0."""
    decimal_comma = delimiter == b";"
    rows = []
    for number, line in enumerate(split_lines(data), 1):
        fields = line.split(delimiter) if delimiter and line else ([line] if line else [])
        if len(fields) > MAX_COLUMNS:
            raise Stop(f"line {number} holds more than {MAX_COLUMNS} fields")
        values = []
        for column, field in enumerate(fields, 1):
            if field in (b"", b".", b" "):
                values.append(MISSING)
                continue
            value = parse_number(field, decimal_comma)
            if value is None:
                raise Stop(f"line {number}, column {column}: {field!r} is not a number")
            values.append(value)
        rows.append(values)
    width = max((len(r) for r in rows), default=0)
    table = np.zeros((len(rows), width), dtype=np.float32)
    for r, values in enumerate(rows):
        table[r, :len(values)] = values
    return table, [], [[] for _ in range(width)]


class Records:
    """Fields of a file with a names line: quotes, doubled quotes, blank lines skipped."""

    def __init__(self, text, delimiter):
        self.t, self.p, self.d = text, 0, delimiter
        self.blanks = set()
        if b" " not in delimiter:
            self.blanks.add(32)
        if b"\t" not in delimiter:
            self.blanks.add(9)

    def line_end(self, p):
        return self.t[p] in (10, 13)

    def skip_line_end(self):
        c = self.t[self.p]
        self.p += 1
        if c == 13 and self.p < len(self.t) and self.t[self.p] == 10:
            self.p += 1

    def field_end(self, p):
        return p == len(self.t) or self.line_end(p) or (
            bool(self.d) and self.t.startswith(self.d, p))

    def skip_blanks(self, p):
        while p < len(self.t) and self.t[p] in self.blanks:
            p += 1
        return p

    def field(self):
        """(text, doubled quotes) of the field at p."""
        t = self.t
        start = self.skip_blanks(self.p)
        if start < len(t) and t[start] == 34:
            q, doubled = start + 1, False
            while True:
                q = t.find(b'"', q)
                if q < 0:
                    raise Stop("a quoted field has no closing quote")
                if q + 1 == len(t) or t[q + 1] != 34:
                    break
                doubled, q = True, q + 2
            after = self.skip_blanks(q + 1)
            if self.field_end(after):
                self.p = after
                text = t[start + 1:q]
                return (text.replace(b'""', b'"') if doubled else text), doubled
        end = start
        while not self.field_end(end):
            end += 1
        self.p = end
        while end > start and t[end - 1] in self.blanks:
            end -= 1
        return t[start:end], False

    def next(self, first_line=False):
        t = self.t
        while not first_line and self.p < len(t) and self.line_end(self.p):
            self.skip_line_end()
        if self.p == len(t):
            return None
        fields = []
        if self.line_end(self.p):
            self.skip_line_end()
            return fields
        while True:
            if len(fields) == MAX_COLUMNS:
                raise Stop(f"a line holds more than {MAX_COLUMNS} fields")
            fields.append(self.field())
            if self.p == len(t):
                return fields
            if self.line_end(self.p):
                self.skip_line_end()
                return fields
            self.p += len(self.d)


def is_missing_field(field):
    return not field[1] and field[0] in (b"", b".", b" ", b"NA", b"NaN")


def field_number(field, decimal_comma):
    return None if field[1] else parse_number(field[0], decimal_comma)


CP1252_UNUSED = {0x81, 0x8D, 0x8F, 0x90, 0x9D}


def as_text(raw, utf8):
    if utf8:
        return raw.decode("utf-8")
    return "".join(chr(b) if b in CP1252_UNUSED else bytes([b]).decode("cp1252") for b in raw)


def is_utf8(raw):
    try:
        raw.decode("utf-8")
        return True
    except UnicodeDecodeError:
        return False


def read_with_names(data, delimiter):
    """A file whose line 1 names the columns; text columns hold group labels."""
    decimal_comma = delimiter == b";"
    records = Records(data, delimiter)
    head = records.next(first_line=True) or []
    names = []
    for text, _ in head:
        names.append(text.strip(b" \t"))
    rows = []
    while (fields := records.next()) is not None:
        rows.append(fields)
    width = max([len(r) for r in rows] + [len(names)])
    is_text = [False] * width
    for fields in rows:
        for c, field in enumerate(fields):
            if not is_text[c] and not is_missing_field(field) \
                    and field_number(field, decimal_comma) is None:
                is_text[c] = True
    texts = [set() for _ in range(width)]
    for fields in rows:
        for c, field in enumerate(fields):
            if is_text[c] and not is_missing_field(field):
                texts[c].add(field[0])
    utf8 = all(is_utf8(n) for n in names) and all(is_utf8(t) for s in texts for t in s)
    labels, code_of = [], []
    for c in range(width):
        shown = sorted((as_text(t, utf8).encode("utf-8"), t) for t in texts[c])
        labels.append([s.decode("utf-8") for s, _ in shown])
        code_of.append({t: np.float32(k + 1) for k, (_, t) in enumerate(shown)})
    table = np.full((len(rows), width), MISSING, dtype=np.float32)
    for r, fields in enumerate(rows):
        for c, field in enumerate(fields):
            if is_missing_field(field):
                continue
            table[r, c] = code_of[c][field[0]] if is_text[c] else field_number(field, decimal_comma)
    names = [as_text(n, utf8)[:64] for n in names]
    return table, names, labels


def read_data():
    try:
        with open(DATA_FILE, "rb") as f:
            data = f.read()
    except OSError as error:
        raise Stop(f"the data file cannot be read: {error}")
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    if NAMES:
        return read_with_names(data, DELIMITER)
    return read_plain(data, DELIMITER)


# ---- Report text ----

def printable(text):
    return "".join("?" if ord(c) < 0x20 or 0x7F <= ord(c) <= 0x9F else c for c in text)


def variable_label(names, column):
    name = names[column - 1] if column <= len(names) else ""
    return f"Var {column}" + (f" ({printable(name)})" if name else "")


def three(x):
    """A report number: 3 decimals, half to even on its binary value, no trailing zeros."""
    text = "%.3f" % float(x)
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    if text.startswith("-") and not any(c in "123456789" for c in text):
        text = text[1:]
    return text


def rule(width):
    return "-" * width + "\n"


def group_row(label, a, b):
    a = a if isinstance(a, str) else three(a)
    b = b if isinstance(b, str) else three(b)
    return label.ljust(15) + a.rjust(15) + b.rjust(15) + "\n"


# ---- Two groups ----

def group_code(labels, text):
    shown = text.decode("utf-8", "surrogateescape")
    if shown in labels:
        return np.float32(labels.index(shown) + 1)
    return parse_number(text)


def group_name(labels, text):
    code = group_code(labels, text)
    if code is not None and code >= 1 and code <= len(labels) and code == int(code):
        return labels[int(code) - 1]
    return text.decode("utf-8", "surrogateescape")


def observed_groups(table, names, labels):
    if DV > table.shape[1] or GV > table.shape[1]:
        raise Stop("the data file has fewer columns than the analysis used")
    if labels[DV - 1]:
        raise Stop(variable_label(names, DV) + " holds text labels, not numbers.")
    code1, code2 = group_code(labels[GV - 1], GROUP1), group_code(labels[GV - 1], GROUP2)
    if code1 is None or code2 is None:
        raise Stop("a group's value is not a value of the grouping variable")
    values, codes = table[:, DV - 1], table[:, GV - 1]
    present = values != MISSING
    in1 = present & (codes == code1)
    in2 = present & ~in1 & (codes == code2)
    x1, x2 = values[in1], values[in2]
    if len(x1) < 2:
        raise Stop("There is an insufficient number of observations for Group 1.")
    if len(x2) < 2:
        raise Stop("There is an insufficient number of observations for Group 2.")
    return x1, x2


def names_lines(names, labels):
    text = f"Dep Var = {variable_label(names, DV)}; Grp Var = {variable_label(names, GV)}\n"
    if labels[GV - 1]:
        text += (f"Group 1 = {printable(group_name(labels[GV - 1], GROUP1))}; "
                 f"Group 2 = {printable(group_name(labels[GV - 1], GROUP2))}\n")
    return text


def level_percent():
    return round(float(np.float32(LEVEL)) * 100.0)


# ---- The robust statistics, as Trellam stores them in single precision ----

def f32(x):
    return np.asarray(x, dtype=np.float64).astype(np.float32)


def running(x):
    """Sums added one value after another, along each row."""
    if x.shape[0] < 64:
        return np.cumsum(x, axis=1)[:, -1]
    # Many rows: a column at a time adds them all at once, in the same order.
    total = x[:, 0].copy()
    for k in range(1, x.shape[1]):
        total += x[:, k]
    return total


def checked_variance(from_sums, n, shifted_sum, shifted_squares):
    computed = f32(from_sums).astype(np.float64)
    exact = np.maximum((shifted_squares - shifted_sum * shifted_sum / n) / (n - 1.0), 0.0)
    ruined = ~np.isfinite(computed) | (computed < 0.0) \
        | (np.abs(computed - exact) > 0.001 * np.abs(exact))
    return f32(np.where(ruined, exact, computed))


def group_statistics(values, ordered):
    """Each row a group: n, mean, variance, trimmed mean, Winsorized variance."""
    n = values.shape[1]
    g = int(n * float(np.float32(0.2)))
    kept = n - 2 * g
    x = values.astype(np.float64)
    y = ordered.astype(np.float64)
    raw_sum, raw_squares = running(x), running(x * x)
    shift = y[:, (n - 1) // 2]
    difference = y - shift[:, None]
    kept_y, kept_difference = y[:, g:g + kept], difference[:, g:g + kept]
    kept_sum, kept_squares = running(kept_y), running(kept_y * kept_y)
    nd, gd = float(n), float(g)
    mean = raw_sum / nd
    variance = checked_variance((raw_squares / nd - mean * mean) * nd / (nd - 1.0), nd,
                                running(difference), running(difference * difference))
    lowest, highest = y[:, g], y[:, g + kept - 1]
    trimmed = f32(kept_sum / float(kept))
    w_mean = (gd * lowest + kept_sum + gd * highest) / nd
    squares = gd * lowest * lowest + kept_squares
    squares = squares + gd * highest * highest
    w_sum, w_squares = running(kept_difference), running(kept_difference * kept_difference)
    low, high = lowest - shift, highest - shift
    w_sum, w_squares = w_sum + gd * low, w_squares + gd * (low * low)
    w_sum, w_squares = w_sum + gd * high, w_squares + gd * (high * high)
    w_variance = checked_variance((squares / nd - w_mean * w_mean) * nd / (nd - 1.0), nd,
                                  w_sum, w_squares)
    return {"n": n, "mean": f32(mean), "variance": variance, "trimmed": trimmed,
            "wmean": f32(w_mean), "wvariance": w_variance}


def effect_size(a, b):
    w1, w2 = float(a["n"] - 1), float(b["n"] - 1)
    degrees = float(a["n"] + b["n"] - 2)
    pooled = f32((w2 * b["variance"].astype(np.float64) + w1 * a["variance"].astype(np.float64))
                 / degrees)
    pooled_w = f32((w2 * b["wvariance"].astype(np.float64)
                    + w1 * a["wvariance"].astype(np.float64)) / degrees)
    computable = pooled_w > 0
    difference = b["trimmed"].astype(np.float64) - a["trimmed"].astype(np.float64)
    safe = np.where(computable, pooled_w.astype(np.float64), 1.0)
    d = np.where(computable, f32(math.sqrt(0.4129) * difference / np.sqrt(safe)),
                 np.float32(9999999.0))
    finite = np.ones(d.shape, dtype=bool)
    for s in (a, b):
        for key in ("mean", "variance", "trimmed", "wmean", "wvariance"):
            finite &= np.isfinite(s[key])
    finite &= np.isfinite(pooled) & np.isfinite(pooled_w) & np.isfinite(d)
    return {"pooled": pooled, "pooled_w": pooled_w, "d": d, "valid": computable & finite}


def two_groups(x1, x2):
    a = group_statistics(x1[None, :], np.sort(x1)[None, :])
    b = group_statistics(x2[None, :], np.sort(x2)[None, :])
    return a, b, effect_size(a, b)


# ---- The bootstrap's random numbers: one xoshiro256** stream a trial ----

MASK = (1 << 64) - 1


def split_mix(state):
    state = (state + 0x9E3779B97F4A7C15) & MASK
    z = state
    z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK
    z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK
    return state, z ^ (z >> 31)


def trial_states(seed, trials):
    """The four state words of each trial's stream, trial t made from the seed and t."""
    words = np.zeros((4, len(trials)), dtype=np.uint64)
    for k, trial in enumerate(trials):
        _, a = split_mix(seed)
        _, b = split_mix(trial)
        state = a ^ b
        for w in range(4):
            state, word = split_mix(state)
            words[w, k] = word
    return words


def rotl(x, k):
    return (x << np.uint64(k)) | (x >> np.uint64(64 - k))


def next_uniform(s):
    """The next number in [0, 1) of every stream, with 53 random bits."""
    result = rotl(s[1] * np.uint64(5), 7) * np.uint64(9)
    t = s[1] << np.uint64(17)
    s[2] ^= s[0]
    s[3] ^= s[1]
    s[1] ^= s[2]
    s[0] ^= s[3]
    s[2] ^= t
    s[3] = rotl(s[3], 45)
    return (result >> np.uint64(11)).astype(np.float64) * 2.0 ** -53


def drawn_position(s, size):
    """The next 0-based position of every stream among `size`: ceil(size u) - 1,
    at least the first."""
    return np.maximum(np.ceil(next_uniform(s) * size), 1).astype(np.int64) - 1


def draw(x, s):
    """One resample of x for every stream."""
    n = len(x)
    positions = np.empty((s.shape[1], n), dtype=np.int64)
    for k in range(n):
        positions[:, k] = drawn_position(s, n)
    return x[positions]


def percentile_bounds(ordered):
    """The interval's entries of the sorted valid values at LEVEL, or None."""
    valid = len(ordered)
    if not valid:
        return None
    r = round((1.0 - float(np.float32(LEVEL))) / 2.0 * valid)
    return ordered[r], ordered[valid - r - 1]


def checked_two_groups(x1, x2):
    a, b, e = two_groups(x1, x2)
    if not (a["variance"][0] > 0) and not (b["variance"][0] > 0):
        raise Stop("Group 1 and Group 2 both have a zero variance.")
    return a, b, e


def trial_blocks(x1, x2):
    """The trials in blocks: their streams and each trial's resamples, group 1 drawn first."""
    block = max(1, min(TRIALS, 2_000_000 // (len(x1) + len(x2))))
    for first in range(1, TRIALS + 1, block):
        s = trial_states(SEED, range(first, min(first + block, TRIALS + 1)))
        r1 = draw(x1, s)
        yield s, r1, draw(x2, s)


def bootstrap_effects(x1, x2):
    effects = []
    for _, r1, r2 in trial_blocks(x1, x2):
        a = group_statistics(r1, np.sort(r1, axis=1))
        b = group_statistics(r2, np.sort(r2, axis=1))
        e = effect_size(a, b)
        effects.append(e["d"][e["valid"]])
    return np.sort(np.concatenate(effects)) if effects else np.zeros(0, dtype=np.float32)


def seed_line():
    return f"Random number seed = {SEED}" + ("" if SEED_NAMED else " (from the clock)") + "\n"


def bootstrap_report(table, names, labels):
    x1, x2 = observed_groups(table, names, labels)
    a, b, e = checked_two_groups(x1, x2)
    effects = bootstrap_effects(x1, x2)
    valid = len(effects)
    bounds = percentile_bounds(effects)
    lower, upper = map(three, bounds) if bounds else (".", ".")
    percent = str(level_percent())
    text = "GROUP-LEVEL STATISTICS\n" + rule(45)
    text += group_row("Statistic", "Group 1", "Group 2") + rule(45)
    text += group_row("Sample Size", str(a["n"]), str(b["n"])) + "\n"
    text += group_row("Mean", a["mean"][0], b["mean"][0])
    text += group_row("Trimmed Mean", a["trimmed"][0], b["trimmed"][0]) + "\n"
    text += group_row("Variance", a["variance"][0], b["variance"][0])
    text += group_row("Wins. Var.", a["wvariance"][0], b["wvariance"][0])
    text += rule(45) + names_lines(names, labels) + "\n\n"
    text += f"EFFECT SIZE ESTIMATES AND {percent}% CI\n" + rule(50)
    text += f"Pooled variance = {three(e['pooled'][0])}\n"
    text += f"Pooled Winsorized variance = {three(e['pooled_w'][0])}\n\n"
    if e["pooled_w"][0] > 0:
        text += f"Robust Cohen's D = {three(e['d'][0])}\n\n"
    else:
        text += ("Robust Cohen's D = .\nBoth groups have a zero Winsorized variance, "
                 "so the robust d is not defined.\n\n")
    text += f"{percent}% CI for population Robust D = ({lower}, {upper})\n"
    text += rule(50)
    text += f"Number of attempted bootstrap trials = {TRIALS}\n"
    text += f"Number of valid robust D bootstrap trials = {valid}\n"
    text += seed_line()
    return text + "\n" * 5


# ---- Trimming at any percentage ----

def trimmed_summaries(ordered, percent):
    """Each row a sorted group trimmed and Winsorized at `percent`: n, g, h, the
    trimmed mean and the Winsorized variance (divisor n - 1, its mean first;
    equal ends give exactly 0), in double precision, summed in order."""
    n = ordered.shape[1]
    g = n * percent // 100
    h = n - 2 * g
    kept = np.asarray(ordered[:, g:g + h], dtype=np.float64)
    lowest, highest = kept[:, 0], kept[:, -1]
    kept_sum = running(kept)
    wm = (g * lowest + kept_sum + g * highest) / n
    first = g * ((lowest - wm) * (lowest - wm)) + g * ((highest - wm) * (highest - wm))
    deviations = kept - wm[:, None]
    squares = running(np.concatenate([first[:, None], deviations * deviations], axis=1))
    return {"n": n, "g": g, "h": h, "tm": kept_sum / h,
            "wv": np.where(lowest != highest, squares / (n - 1.0), 0.0)}


def normal_wvariance(percent):
    """The standard normal's Winsorized variance at the trimming; 0.4129 at 20%."""
    if percent == 20:
        return 0.4129
    if percent <= 0:
        return 1.0
    gamma = percent / 100.0
    z = stats.norm.isf(gamma)
    return 1.0 - 2.0 * gamma - 2.0 * z * stats.norm.pdf(z) + 2.0 * gamma * z * z


def standardized(root_c, difference, squared):
    """root_c * difference / sqrt(squared), NaN where the scale is not above 0 or
    the value not finite."""
    value = root_c * difference / np.sqrt(np.where(squared > 0.0, squared, 1.0))
    return np.where((squared > 0.0) & np.isfinite(value), value, np.nan)


def standardized_differences(a, b, c):
    """Group 2's trimmed mean minus group 1's, times sqrt(c), over the pooled
    Winsorized SD (AKP), each group's own, and KMS's sigma."""
    root_c = math.sqrt(c)
    difference = b["tm"] - a["tm"]
    n1, n2 = float(a["n"]), float(b["n"])
    q = n1 / (n1 + n2)
    return [standardized(root_c, difference, scale) for scale in (
        ((n1 - 1.0) * a["wv"] + (n2 - 1.0) * b["wv"]) / (n1 + n2 - 2.0), a["wv"], b["wv"],
        ((1.0 - q) * a["wv"] + q * b["wv"]) / (q * (1.0 - q)))]


# ---- Yuen's test ----

def trimmed_group(x):
    s = trimmed_summaries(np.sort(x)[None, :], TRIM_PERCENT)
    result = {"n": s["n"], "h": s["h"], "tm": float(s["tm"][0]), "wv": float(s["wv"][0]),
              "d": 0.0}
    if result["wv"] > 0.0:
        result["d"] = (s["n"] - 1.0) * result["wv"] / (float(s["h"]) * (s["h"] - 1.0))
    return result


def pooled_d(a, b):
    """AKP's d over the pooled Winsorized variance at the trimming, or None."""
    d = float(standardized_differences(a, b, normal_wvariance(TRIM_PERCENT))[0])
    return None if math.isnan(d) else d


def p_text(p):
    return "< 0.0001" if not p >= 0.0001 else "= %.4f" % p


def yuen_report(table, names, labels):
    x1, x2 = observed_groups(table, names, labels)
    _, _, e = checked_two_groups(x1, x2)
    a, b = trimmed_group(x1), trimmed_group(x2)
    if a["d"] == 0.0 and b["d"] == 0.0:
        raise Stop("Both groups have a zero Winsorized variance.")
    difference = b["tm"] - a["tm"]
    total = a["d"] + b["d"]
    se = math.sqrt(total)
    t = difference / se
    df = total * total / (a["d"] * a["d"] / (a["h"] - 1.0) + b["d"] * b["d"] / (b["h"] - 1.0))
    p = 2.0 * stats.t.sf(abs(t), df)
    alpha = (100.0 - level_percent()) / 100.0
    margin = stats.t.isf(alpha / 2.0, df) * se
    trimming = "" if TRIM_PERCENT == 20 else f", {TRIM_PERCENT}% TRIMMING"
    text = f"TRIMMED MEANS TEST (YUEN{trimming})\n" + rule(45)
    text += group_row("Statistic", "Group 1", "Group 2") + rule(45)
    text += group_row("Sample Size", str(a["n"]), str(b["n"]))
    text += group_row("Effective Size", str(a["h"]), str(b["h"])) + "\n"
    text += group_row("Trimmed Mean", a["tm"], b["tm"])
    text += group_row("Wins. Var.", a["wv"], b["wv"])
    text += rule(45) + names_lines(names, labels) + "\n\n" + rule(50)
    text += f"Difference in trimmed means (Group 2 - Group 1) = {three(difference)}\n"
    text += f"Standard error = {three(se)}\n"
    text += f"t = {three(t)}, df = {three(df)}, p {p_text(p)}\n"
    text += (f"{level_percent()}% CI for the difference = ({three(difference - margin)}, "
             f"{three(difference + margin)})\n")
    if TRIM_PERCENT == 20:
        robust_d = three(e['d'][0])
    else:
        d = pooled_d(a, b)
        robust_d = "." if d is None else three(d)
    text += f"Robust Cohen's D = {robust_d}\n"
    return text + rule(50) + "\n" * 5


# ---- The robust effect sizes ----

SUBSAMPLES = 100
EFFECT_ROWS = ["AKP d, pooled Winsorized variance", "AKP d, Group 1 Winsorized variance",
               "AKP d, Group 2 Winsorized variance", "KMS d", "Explanatory measure xi",
               "Quantile shift"]


def explanatory_power(x, y, tx, ty, c):
    """The explanatory power of each row's sorted groups x and y (trimmed means tx,
    ty): the variance of the trimmed means over the pooled Winsorized variance
    rescaled by c, above 1 the squared Winsorized correlation; NaN for none."""
    total = x.shape[1] + y.shape[1]
    g = total * TRIM_PERCENT // 100
    both = np.concatenate([x, y], axis=1)
    ends = np.partition(both, sorted({g, total - 1 - g}), axis=1)
    w = both.astype(np.float64)
    np.maximum(w, ends[:, g:g + 1], out=w)
    np.minimum(w, ends[:, total - 1 - g:total - g], out=w)
    d = w - (running(w) / total)[:, None]
    squares = running(d * d)
    variance = squares / (total - 1.0)
    difference = tx - ty
    power = (difference * difference / 2.0) / (variance / c)
    r = (running(d[:, x.shape[1]:]) - running(d[:, :x.shape[1]])) / np.sqrt(total * squares)
    power = np.where(power > 1.0, r * r, power)
    return np.where((variance > 0.0) & np.isfinite(power), power, np.nan)


def explanatory_measure(x, y, sx, sy, c, s):
    """xi of each row: the root of the power of equal groups; of unequal groups
    the root of the median power over SUBSAMPLES subsamples of the larger group
    at the smaller size, drawn without replacement from the row's stream by a
    partial shuffle (of the places left out when they are fewer), each set
    against the smaller group whole."""
    if x.shape[1] == y.shape[1]:
        return np.sqrt(explanatory_power(x, y, sx["tm"], sy["tm"], c))
    first_larger = x.shape[1] > y.shape[1]
    larger, smaller, small_summary = (x, y, sy) if first_larger else (y, x, sx)
    rows, large = larger.shape
    small = smaller.shape[1]
    leave_out = large - small < small
    every = np.arange(rows)
    order = np.tile(np.arange(large), (rows, 1))
    powers = np.empty((rows, SUBSAMPLES))
    for k in range(SUBSAMPLES):
        chosen = np.zeros((rows, large), dtype=bool)
        for i in range(large - small if leave_out else small):
            j = i + drawn_position(s, large - i)
            picked = order[every, j]
            order[every, j] = order[:, i]
            order[:, i] = picked
            chosen[every, picked] = True
        sub = larger[chosen != leave_out].reshape(rows, small)
        tm = trimmed_summaries(sub, TRIM_PERCENT)["tm"]
        powers[:, k] = explanatory_power(sub, smaller, tm, small_summary["tm"], c) \
            if first_larger else explanatory_power(smaller, sub, small_summary["tm"], tm, c)
    missing = np.isnan(powers).any(axis=1)
    powers.sort(axis=1)
    middle = SUBSAMPLES // 2
    return np.where(missing, np.nan, np.sqrt((powers[:, middle - 1] + powers[:, middle]) / 2.0))


FORMED_DIFFERENCES = 1_000_000


def count_at_most(x, y, t):
    """The number of differences y_j - x_i (each rounded to double) at most t, of
    one pair of sorted groups, without forming them: for each x_i the count of
    y_j up to x_i + t, moved past the values that rounding puts on the other side."""
    n2 = len(y)
    k = np.searchsorted(y, x + t, side="right")
    while True:
        before, after = np.maximum(k - 1, 0), np.minimum(k, n2 - 1)
        over = (k > 0) & (y[before] - x > t)
        under = (k < n2) & (y[after] - x <= t)
        if not (over.any() or under.any()):
            return int(k.sum())
        k = np.where(over, np.searchsorted(y, y[before], side="left"), k)
        k = np.where(under, np.searchsorted(y, y[after], side="right"), k)


def order_key(value):
    bits = struct.unpack("<q", struct.pack("<d", value))[0]
    return -(bits & ((1 << 63) - 1)) if bits < 0 else bits


def from_order_key(key):
    bits = (-key) | (1 << 63) if key < 0 else key
    return struct.unpack("<d", struct.pack("<Q", bits))[0]


def select_difference(x, y, rank):
    """The rank-th smallest difference (1-based) of one pair of sorted groups:
    the bracket (lo, hi] halved among the doubles until hi alone is left."""
    lo = float(np.nextafter(y[0] - x[-1], -np.inf))
    hi = float(y[-1] - x[0])
    while order_key(hi) - order_key(lo) > 1:
        middle = from_order_key((order_key(lo) + order_key(hi)) // 2)
        if count_at_most(x, y, middle) >= rank:
            hi = middle
        else:
            lo = middle
    return hi


def quantile_shift(x, y):
    """Each row's share of the differences y_j - x_i at most twice their median
    (the mean of the middle two for an even count), exact on all n1 n2 of them:
    formed and partitioned when few, otherwise counted and selected."""
    total = x.shape[1] * y.shape[1]
    middle = sorted({(total - 1) // 2, total // 2})
    shifts = np.empty(x.shape[0])
    if total > FORMED_DIFFERENCES:
        for row in range(x.shape[0]):
            xr, yr = x[row].astype(np.float64), y[row].astype(np.float64)
            first, second = (select_difference(xr, yr, m + 1) for m in (middle[0], middle[-1]))
            shifts[row] = count_at_most(xr, yr, 2.0 * ((first + second) / 2.0)) / float(total)
        return shifts
    step = max(1, 4 * FORMED_DIFFERENCES // total)
    for first in range(0, x.shape[0], step):
        part = slice(first, first + step)
        d = (y[part, None, :].astype(np.float64) - x[part, :, None].astype(np.float64))
        d = d.reshape(-1, total)
        chosen = np.partition(d, middle, axis=1)
        median = (chosen[:, middle[0]] + chosen[:, middle[-1]]) / 2.0
        shifts[part] = np.count_nonzero(d <= 2.0 * median[:, None], axis=1) / float(total)
    return shifts


def effect_measures(x, y, kernel_d, c, s):
    """Every bootstrap row's value for each row's sorted groups, NaN for none; at
    20% trimming the pooled row is the robust d of the single-precision kernel."""
    sx, sy = trimmed_summaries(x, TRIM_PERCENT), trimmed_summaries(y, TRIM_PERCENT)
    values = standardized_differences(sx, sy, c)
    if TRIM_PERCENT == 20:
        values[0] = kernel_d
    return values + [explanatory_measure(x, y, sx, sy, c, s), quantile_shift(x, y)]


def kernel_d(a, b):
    e = effect_size(a, b)
    return np.where(e["valid"], e["d"].astype(np.float64), np.nan)


def bootstrap_measures(x1, x2, c):
    """Each bootstrap row's valid values over the trials, sorted."""
    rows = [[] for _ in EFFECT_ROWS]
    for s, r1, r2 in trial_blocks(x1, x2):
        o1, o2 = np.sort(r1, axis=1), np.sort(r2, axis=1)
        d = None
        if TRIM_PERCENT == 20:
            d = kernel_d(group_statistics(r1, o1), group_statistics(r2, o2))
        for row, values in zip(rows, effect_measures(o1, o2, d, c, s)):
            row.append(values[~np.isnan(values)])
    return [np.sort(np.concatenate(row)) for row in rows]


def rank_counts(own, other):
    """Over each value of `own`: the values of `other` below it and above it, the
    sum of their differences and of its squares, as exact integers."""
    below = np.searchsorted(other, own, "left").astype(object)
    above = (len(other) - np.searchsorted(other, own, "right")).astype(object)
    d = below - above
    return sum(below), sum(above), sum(d), sum(d * d)


def dominance(x, y):
    """P(Y > X) with ties counting half, Cliff's delta = 2P - 1 and Cliff's
    interval for delta (None when |delta| = 1), from the sorted groups."""
    nx, ny = len(x), len(y)
    total = nx * ny
    less, greater, sum_x, squares_x = rank_counts(x, y)
    _, _, sum_y, squares_y = rank_counts(y, x)
    n = float(total)
    p = (2.0 * float(greater) + float(total - greater - less)) / (2.0 * n)
    delta = float(greater - less) / n
    if greater == total or less == total:
        return p, delta, None
    signs = total * (greater + less) - (greater - less) ** 2
    pairs = float(signs) / (n * (n - 1.0))
    of_y = float(squares_y * ny - sum_y * sum_y) / (float(ny) * (ny - 1.0)) / (float(nx) * nx)
    of_x = float(squares_x * nx - sum_x * sum_x) / (float(nx) * (nx - 1.0)) / (float(ny) * ny)
    sh = ((nx - 1.0) * of_y + (ny - 1.0) * of_x + pairs) / n
    z = float(stats.norm.ppf((100.0 - level_percent()) / 100.0 / 2.0))
    d = delta
    spread = z * math.sqrt(sh) * math.sqrt((1.0 - d * d) * (1.0 - d * d) + z * z * sh)
    denominator = 1.0 - d * d + z * z * sh
    return p, delta, ((d - d * d * d + spread) / denominator,
                      (d - d * d * d - spread) / denominator)


def interval_text(bounds):
    return "(., .)" if bounds is None else f"({three(bounds[0])}, {three(bounds[1])})"


def effects_report(table, names, labels):
    x1, x2 = observed_groups(table, names, labels)
    a, b, _ = checked_two_groups(x1, x2)
    c = normal_wvariance(TRIM_PERCENT)
    o1, o2 = np.sort(x1), np.sort(x2)
    # xi of unequal groups takes its subsamples from the stream numbered 0.
    estimates = effect_measures(o1[None, :], o2[None, :], kernel_d(a, b), c,
                                trial_states(SEED, [0]))
    rows = []
    for name, estimate, values in zip(EFFECT_ROWS, estimates, bootstrap_measures(x1, x2, c)):
        rows.append((name, "." if np.isnan(estimate[0]) else three(estimate[0]),
                     interval_text(percentile_bounds(values)), str(len(values))))
    p, delta, bounds = dominance(o1, o2)
    p_bounds = None if bounds is None else tuple((1.0 + bound) / 2.0 for bound in bounds)
    rows.append(("P(Group 2 > Group 1)", three(p), interval_text(p_bounds), "."))
    rows.append(("Cliff's delta", three(delta), interval_text(bounds), "."))
    # The columns widen for long numbers, so that they always line up.
    estimate_width = max([11] + [len(row[1]) + 2 for row in rows])
    interval_width = max([21] + [len(row[2]) + 2 for row in rows])
    width = 41 + estimate_width + interval_width + len("Trials")

    def line(measure, estimate, interval, trials):
        return (measure.ljust(41) + estimate.ljust(estimate_width)
                + interval.ljust(interval_width) + trials + "\n")

    text = f"ROBUST EFFECT SIZES ({TRIM_PERCENT}% TRIMMING)\n" + rule(width)
    text += line("Measure", "Estimate", f"{level_percent()}% CI", "Trials") + rule(width)
    text += "".join(line(*row) for row in rows) + rule(width)
    text += names_lines(names, labels) + seed_line()
    return text + "\n" * 5


# ---- Descriptives ----

def general(x, digits):
    text = "%.*g" % (digits, x)
    if text.startswith("-") and not any(c in "123456789" for c in text):
        text = text[1:]
    return text.replace("e", "E").replace(".", DECIMAL_SEPARATOR)


def fit(text, value, width=9):
    if len(text) <= width:
        return text
    point = text.find(DECIMAL_SEPARATOR)
    if "E" not in text and 0 <= point <= width:
        return text[:width]
    for precision in range(width, -1, -1):
        mantissa, exponent = ("%.*e" % (precision, value)).split("e")
        if "." in mantissa:
            mantissa = mantissa.rstrip("0").rstrip(".")
        text = mantissa + "e" + exponent
        if text.startswith("-") and not any(c in "123456789" for c in text):
            text = text[1:]
        if len(text) <= width:
            break
    return text.replace("e", "E").replace(".", DECIMAL_SEPARATOR)


def cell(text):
    return text[:9].rjust(10)


def number_cell(value, digits):
    if value is None:
        return cell(".")
    return cell(fit(general(value, digits), value))


def rounded3(x):
    return float("%.3f" % x)


def summary(x, names, column):
    """Count, mean and SD (rounded to 3 decimals), min and max of a column's values."""
    n = len(x)
    mean = sd = low = high = None
    if n >= 1:
        xd = x.astype(np.float64)
        total = float(np.cumsum(xd)[-1])
        squares = float(np.cumsum(xd * xd)[-1])
        mean = rounded3(total / n)
        low = high = float(x[0])
        for v in x:
            if v < low:
                low = float(v)
            elif v > high:
                high = float(v)
        if n >= 2:
            from_sums = (squares - total * total / n) * (1.0 / (n - 1.0))
            m = total / n
            exact = float(np.cumsum((xd - m) * (xd - m))[-1]) / (n - 1.0)
            variance = from_sums
            if not math.isfinite(from_sums) or from_sums < 0.0 \
                    or abs(from_sums - exact) > 0.001 * abs(exact):
                variance = exact
            if not np.isfinite(np.float32(variance)):
                raise Stop(variable_label(names, column) + " has values too large to summarise.")
            sd = rounded3(math.sqrt(variance))
    return n, mean, sd, low, high


def group_line(group, x, missing, labelled, names, column):
    """One group's row: count, missing, mean, SD, median, 20% trimmed mean and
    Winsorized SD, min and max."""
    n = len(x)
    mean = sd = median = trimmed = wsd = low = high = None
    if not labelled:
        n, mean, sd, low, high = summary(x, names, column)
    if not labelled and n >= 1:
        y = np.sort(x)
        half = n // 2
        median = rounded3(float(y[half]) if n % 2 == 1
                          else (float(y[half - 1]) + float(y[half])) / 2.0)
        if n == 1:
            trimmed = rounded3(float(y[0]))
        else:
            s = group_statistics(x[None, :], y[None, :])
            if not all(np.isfinite(s[k][0]) for k in ("mean", "variance", "trimmed", "wmean",
                                                       "wvariance")):
                raise Stop(variable_label(names, column) + " has values too large to summarise.")
            trimmed = rounded3(float(s["trimmed"][0]))
            wsd = rounded3(math.sqrt(float(s["wvariance"][0])))
    return (group[:9].ljust(10) + cell(fit(str(n), n)) + cell(fit(str(missing), missing))
            + "".join(number_cell(v, 15) for v in (mean, sd, median, trimmed, wsd))
            + number_cell(low, 7) + number_cell(high, 7) + "\n")


def split_groups(table, names):
    """The values of SPLIT in ascending order, each a group."""
    if SPLIT > table.shape[1]:
        raise Stop("the data file has fewer columns than the analysis used")
    codes = table[:, SPLIT - 1]
    groups = np.unique(codes[(codes != MISSING) & ~np.isnan(codes)])
    if len(groups) > MAX_SPLIT_GROUPS:
        raise Stop(f"{variable_label(names, SPLIT)} has more than {MAX_SPLIT_GROUPS} "
                   "different values, too many groups to describe.")
    return groups


def group_tables(table, names, labels, groups):
    """A table by the groups of SPLIT for each column but it."""
    codes = table[:, SPLIT - 1]
    split_labels = labels[SPLIT - 1]
    header = "Group".ljust(10) + "".join(h.rjust(10) for h in (
        "N", "Missing", "Mean", "SD", "Median", "TrMean", "WinsSD", "Min", "Max"))
    text = ""
    for column in COLUMNS:
        if column == SPLIT:
            continue
        text += (f"\nDESCRIPTIVES OF {variable_label(names, column)} BY "
                 f"{variable_label(names, SPLIT)}\n" + rule(100) + header + "\n" + rule(100))
        for code in groups:
            values = table[codes == code, column - 1]
            present = values.astype(np.float64) != float(MISSING)
            if split_labels and code == int(code) and 1 <= code <= len(split_labels):
                group = printable(split_labels[int(code) - 1])
            else:
                group = fit(general(code, 7), code)
            text += group_line(group, values[present], int(np.sum(~present)),
                               bool(labels[column - 1]), names, column)
        text += rule(100)
    return text


def descriptives_report(table, names, labels):
    groups = split_groups(table, names) if SPLIT else None
    rows, label_lines = "", ""
    for column in COLUMNS:
        if column > table.shape[1]:
            raise Stop("the data file has fewer columns than the analysis used")
        x = table[:, column - 1]
        x = x[x.astype(np.float64) != float(MISSING)]
        name = names[column - 1] if column <= len(names) else ""
        name = printable(name) if name else f"Var {column}"
        line = name[:9].ljust(10)
        n = len(x)
        if labels[column - 1]:
            rows += line + number_cell(None, 15) * 2 + number_cell(None, 7) * 2 \
                + cell(fit(str(n), n)) + "\n"
            counts = [0] * len(labels[column - 1])
            for v in x:
                if v >= 1 and v <= len(counts) and v == int(v):
                    counts[int(v) - 1] += 1
            parts = []
            for k, label in enumerate(labels[column - 1]):
                if k == 20:
                    parts.append("…")
                    break
                parts.append(f"{printable(label)} {counts[k]}")
            label_lines += variable_label(names, column) + ": " + "; ".join(parts) + "\n"
            continue
        n, mean, sd, low, high = summary(x, names, column)
        rows += line + number_cell(mean, 15) + number_cell(sd, 15) + number_cell(low, 7) \
            + number_cell(high, 7) + cell(fit(str(n), n)) + "\n"
    header = "Name".ljust(10) + "".join(h.rjust(10) for h in ("Mean", "SD", "Min", "Max", "N"))
    text = ("DESCRIPTIVES\n" + rule(60) + header + "\n" + rule(60) + rows + rule(60)
            + label_lines)
    if SPLIT:
        text += group_tables(table, names, labels, groups)
    return text + "\n" * 3


def main():
    try:
        with np.errstate(all="ignore"):
            table, names, labels = read_data()
            if table.size == 0:
                raise Stop("the data file holds no data")
            report = {"bootstrap": bootstrap_report, "yuen": yuen_report,
                      "effects": effects_report,
                      "descriptives": descriptives_report}[ANALYSIS](table, names, labels)
    except Stop as stop:
        print(f"{sys.argv[0]}: {stop}", file=sys.stderr)
        return 1
    sys.stdout.buffer.write(report.encode("utf-8"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
