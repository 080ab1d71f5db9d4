# Recomputes a Trellam analysis in base R: reads the data file as Trellam read
# it, gathers the same values and prints the observed statistics, Yuen's test
# and the robust effect size, or the descriptives (by group where the report
# has groups), one "name = value" a line. Trellam keeps the group statistics
# in single precision and R computes in double precision, so the last
# decimals may differ slightly.
#
# Run it as: Rscript THIS_FILE

# ---- What was run (written by Trellam) ----
#@SETTINGS@

MISSING_TEXTS <- c("", ".", " ")

as_number <- function(x, decimal_comma) {
  x <- trimws(x, which = "both", whitespace = " ")
  ok <- grepl("^[+-]?([0-9]+([.][0-9]*)?|[.][0-9]+)([eE][+-]?[0-9]+)?$", x)
  value <- ifelse(ok, suppressWarnings(as.numeric(x)), NA_real_)
  if (decimal_comma) {
    retry <- !ok & grepl(",", x, fixed = TRUE)
    value[retry] <- as_number(gsub(",", ".", x[retry], fixed = TRUE), FALSE)
  }
  value
}

# A file without a names line: each line a case, an empty field or "." missing,
# the cells a short line lacks 0.
read_plain <- function() {
  lines <- readLines(DATA_FILE, warn = FALSE, encoding = "bytes")
  if (length(lines) > 0) lines[1] <- sub("^\xef\xbb\xbf", "", lines[1], useBytes = TRUE)
  fields <- lapply(lines, function(line) {
    if (line == "") return(character(0))
    if (DELIMITER == "") return(line)
    parts <- strsplit(paste0(line, DELIMITER, "x"), DELIMITER, fixed = TRUE)[[1]]
    parts[-length(parts)]
  })
  width <- max(0, lengths(fields))
  data <- matrix(0, nrow = length(fields), ncol = width)
  for (r in seq_along(fields)) {
    f <- fields[[r]]
    if (length(f) == 0) next
    value <- as_number(f, DELIMITER == ";")
    missing <- f %in% MISSING_TEXTS
    if (any(is.na(value) & !missing)) stop("line ", r, " holds an entry that is not a number")
    value[missing] <- NA
    data[r, seq_along(f)] <- value
  }
  list(data = data, names = rep("", width), labels = rep(list(character(0)), width))
}

# A file whose line 1 names the columns: quoted fields, "NA" missing too, and a
# column holding text holds group labels, coded 1, 2, ... in byte order.
read_with_names <- function() {
  width <- max(count.fields(DATA_FILE, sep = DELIMITER, quote = "\"", comment.char = "",
                            blank.lines.skip = TRUE))
  raw <- read.table(DATA_FILE, header = FALSE, sep = DELIMITER, quote = "\"",
                    colClasses = "character", na.strings = character(0), fill = TRUE,
                    strip.white = TRUE, blank.lines.skip = TRUE, comment.char = "",
                    col.names = paste0("V", seq_len(width)), check.names = FALSE)
  names <- trimws(unlist(raw[1, ], use.names = FALSE), whitespace = "[ \t]")
  names[is.na(names)] <- ""
  body <- raw[-1, , drop = FALSE]
  data <- matrix(NA_real_, nrow = nrow(body), ncol = width)
  labels <- rep(list(character(0)), width)
  for (k in seq_len(width)) {
    x <- body[[k]]
    missing <- is.na(x) | x %in% c(MISSING_TEXTS, "NA", "NaN")
    value <- as_number(x, DELIMITER == ";")
    if (any(is.na(value) & !missing)) {
      labels[[k]] <- sort(unique(x[!missing]), method = "radix")
      value <- match(x, labels[[k]])
    }
    value[missing] <- NA
    data[, k] <- value
  }
  list(data = data, names = names, labels = labels)
}

variable_label <- function(set, column) {
  name <- if (column <= length(set$names)) set$names[column] else ""
  if (nzchar(name)) sprintf("Var %d (%s)", column, name) else sprintf("Var %d", column)
}

show <- function(name, value) {
  cat(name, " = ", if (is.na(value)) "." else sprintf("%.6f", value), "\n", sep = "")
}

show_count <- function(name, count) {
  cat(name, " = ", count, "\n", sep = "")
}

trimmed <- function(x, percent = 20) {
  n <- length(x)
  g <- (n * percent) %/% 100
  kept <- sort(x)[(g + 1):(n - g)]
  w <- c(rep(kept[1], g), kept, rep(kept[length(kept)], g))
  list(n = n, h = n - 2 * g, mean = mean(x), variance = var(x), trimmed = mean(kept),
       wvariance = var(w))
}

# The Winsorized variance of the standard normal at the trimming, which
# rescales a Winsorized variance to a variance at the normal; 0.4129 at 20%.
normal_wvariance <- function(percent) {
  if (percent == 20) return(0.4129)
  if (percent <= 0) return(1)
  g <- percent / 100
  z <- qnorm(g, lower.tail = FALSE)
  1 - 2 * g - 2 * z * dnorm(z) + 2 * g * z^2
}

# Group 2's trimmed mean minus group 1's, times sqrt(c), over the root of a
# Winsorized variance; NA when that is 0.
standardized <- function(a, b, scale2, percent) {
  if (scale2 > 0) sqrt(normal_wvariance(percent)) * (b$trimmed - a$trimmed) / sqrt(scale2) else NA
}

robust_d <- function(a, b, percent = 20) {
  standardized(a, b, ((b$n - 1) * b$wvariance + (a$n - 1) * a$wvariance) / (a$n + b$n - 2),
               percent)
}

group_code <- function(set, text) {
  found <- match(text, set$labels[[GV]])
  if (!is.na(found)) return(found)
  code <- as_number(text, FALSE)
  if (is.na(code)) stop("the value of a group is not a value of the grouping variable")
  code
}

two_groups <- function(set) {
  if (length(set$labels[[DV]]) > 0) stop(variable_label(set, DV), " holds text labels")
  values <- set$data[, DV]
  codes <- set$data[, GV]
  in1 <- !is.na(values) & !is.na(codes) & codes == group_code(set, GROUP1)
  in2 <- !is.na(values) & !is.na(codes) & !in1 & codes == group_code(set, GROUP2)
  cat("Dep Var = ", variable_label(set, DV), "; Grp Var = ", variable_label(set, GV), "\n", sep = "")
  list(x1 = values[in1], x2 = values[in2])
}

report_two_groups <- function(set) {
  groups <- two_groups(set)
  a <- trimmed(groups$x1, TRIM_PERCENT)
  b <- trimmed(groups$x2, TRIM_PERCENT)
  for (k in 1:2) {
    s <- if (k == 1) a else b
    label <- paste("Group", k)
    show_count(paste(label, "n"), s$n)
    show_count(paste(label, "effective size"), s$h)
    show(paste(label, "mean"), s$mean)
    show(paste(label, "trimmed mean"), s$trimmed)
    show(paste(label, "variance"), s$variance)
    show(paste(label, "Winsorized variance"), s$wvariance)
  }
  show("Pooled variance", ((b$n - 1) * b$variance + (a$n - 1) * a$variance) / (a$n + b$n - 2))
  show("Pooled Winsorized variance",
       ((b$n - 1) * b$wvariance + (a$n - 1) * a$wvariance) / (a$n + b$n - 2))
  show("Robust Cohen's d", robust_d(a, b, TRIM_PERCENT))

  # Yuen's test of group 2's trimmed mean against group 1's.
  d1 <- (a$n - 1) * a$wvariance / (a$h * (a$h - 1))
  d2 <- (b$n - 1) * b$wvariance / (b$h * (b$h - 1))
  difference <- b$trimmed - a$trimmed
  se <- sqrt(d1 + d2)
  t <- difference / se
  df <- (d1 + d2)^2 / (d1^2 / (a$h - 1) + d2^2 / (b$h - 1))
  margin <- qt(1 - (1 - LEVEL) / 2, df) * se
  show("Difference in trimmed means (Group 2 - Group 1)", difference)
  show("Standard error", se)
  show("t", t)
  show("df", df)
  show("p", 2 * pt(-abs(t), df))
  show(sprintf("%d%% CI lower", round(LEVEL * 100)), difference - margin)
  show(sprintf("%d%% CI upper", round(LEVEL * 100)), difference + margin)

  if (ANALYSIS == "bootstrap") {
    # R's own bootstrap: sample() after set.seed() draws other resamples than
    # Trellam, whose every trial has its own xoshiro256** stream made from the
    # seed and the trial's number. This interval therefore differs somewhat
    # from the report's; the Python script reproduces the report's exactly.
    set.seed(SEED_R)
    effects <- replicate(TRIALS, robust_d(trimmed(sample(groups$x1, replace = TRUE)),
                                          trimmed(sample(groups$x2, replace = TRUE))))
    effects <- sort(effects[!is.na(effects)])
    r <- round((1 - LEVEL) / 2 * length(effects))
    show_count("R bootstrap valid trials", length(effects))
    if (length(effects) > 0) {
      show("R bootstrap CI lower", effects[r + 1])
      show("R bootstrap CI upper", effects[length(effects) - r])
    }
  }
}

# The robust effect sizes' estimates, named as the report names them. The
# report's bootstrap intervals are not drawn here; P and Cliff's delta have
# Cliff's analytic interval, and xi is printed for groups of equal size alone,
# where it needs no subsamples.
report_effects <- function(set) {
  groups <- two_groups(set)
  # The values as Trellam stores them, in single precision: the counts of the
  # quantile shift and of the dominance measures depend on exact ties.
  single <- function(v) readBin(writeBin(v, raw(), size = 4), "double", size = 4, n = length(v))
  x <- single(groups$x1)
  y <- single(groups$x2)
  a <- trimmed(x, TRIM_PERCENT)
  b <- trimmed(y, TRIM_PERCENT)
  q <- a$n / (a$n + b$n)
  show("AKP d, pooled Winsorized variance", robust_d(a, b, TRIM_PERCENT))
  show("AKP d, Group 1 Winsorized variance", standardized(a, b, a$wvariance, TRIM_PERCENT))
  show("AKP d, Group 2 Winsorized variance", standardized(a, b, b$wvariance, TRIM_PERCENT))
  show("KMS d", standardized(a, b, ((1 - q) * a$wvariance + q * b$wvariance) / (q * (1 - q)),
                             TRIM_PERCENT))
  if (a$n == b$n) {
    both <- sort(c(x, y))
    g <- (length(both) * TRIM_PERCENT) %/% 100
    w <- pmin(pmax(c(x, y), both[g + 1]), both[length(both) - g])
    xi <- NA
    if (var(w) > 0) {
      power <- ((a$trimmed - b$trimmed)^2 / 2) / (var(w) / normal_wvariance(TRIM_PERCENT))
      if (power > 1) power <- cor(rep(1:2, c(a$n, b$n)), w)^2
      xi <- sqrt(power)
    }
    show("Explanatory measure xi", xi)
  }
  differences <- as.vector(outer(y, x, "-"))
  show("Quantile shift", mean(differences <= 2 * median(differences)))
  greater <- outer(y, x, ">")
  less <- outer(y, x, "<")
  delta <- mean(greater) - mean(less)
  show("P(Group 2 > Group 1)", (1 + delta) / 2)
  show("Cliff's delta", delta)
  if (abs(delta) < 1) {
    # Cliff's interval for delta from the signs of every pair.
    signs <- sign(outer(y, x, "-"))
    n <- length(signs)
    of_y <- rowMeans(signs)
    of_x <- colMeans(signs)
    sh <- ((length(x) - 1) * var(of_y) + (length(y) - 1) * var(of_x) +
             sum((signs - delta)^2) / (n - 1)) / n
    z <- qnorm((1 - LEVEL) / 2)
    spread <- z * sqrt(sh) * sqrt((1 - delta^2)^2 + z^2 * sh)
    lower <- (delta - delta^3 + spread) / (1 - delta^2 + z^2 * sh)
    upper <- (delta - delta^3 - spread) / (1 - delta^2 + z^2 * sh)
    label <- sprintf("%d%% CI", round(LEVEL * 100))
    show(paste("Cliff's delta", label, "lower"), lower)
    show(paste("Cliff's delta", label, "upper"), upper)
    show(paste("P(Group 2 > Group 1)", label, "lower"), (1 + lower) / 2)
    show(paste("P(Group 2 > Group 1)", label, "upper"), (1 + upper) / 2)
  }
}

report_descriptives <- function(set) {
  for (column in COLUMNS) {
    x <- set$data[, column]
    x <- x[!is.na(x)]
    label <- variable_label(set, column)
    show_count(paste(label, "N"), length(x))
    if (length(set$labels[[column]]) > 0) next
    show(paste(label, "mean"), if (length(x) >= 1) mean(x) else NA)
    show(paste(label, "SD"), if (length(x) >= 2) sd(x) else NA)
    show(paste(label, "min"), if (length(x) >= 1) min(x) else NA)
    show(paste(label, "max"), if (length(x) >= 1) max(x) else NA)
  }
  if (SPLIT != 0) report_groups(set)
}

# Each column but SPLIT by the groups of SPLIT, in ascending order of their
# values: "Var 2 (len) where Var 3 (supp) = OJ: n = 29" and so on.
report_groups <- function(set) {
  codes <- set$data[, SPLIT]
  groups <- sort(unique(codes[!is.na(codes)]))
  split_labels <- set$labels[[SPLIT]]
  for (column in setdiff(COLUMNS, SPLIT)) {
    for (code in groups) {
      cells <- set$data[!is.na(codes) & codes == code, column]
      x <- cells[!is.na(cells)]
      group <- if (length(split_labels) > 0) split_labels[code] else format(code, digits = 7)
      label <- sprintf("%s where %s = %s:", variable_label(set, column),
                       variable_label(set, SPLIT), group)
      show_count(paste(label, "n"), length(x))
      show_count(paste(label, "missing"), sum(is.na(cells)))
      if (length(set$labels[[column]]) > 0) next
      s <- if (length(x) >= 1) trimmed(x) else list(mean = NA, variance = NA, trimmed = NA,
                                                      wvariance = NA)
      show(paste(label, "mean"), s$mean)
      show(paste(label, "SD"), sqrt(s$variance))
      show(paste(label, "median"), if (length(x) >= 1) median(x) else NA)
      show(paste(label, "20% trimmed mean"), s$trimmed)
      show(paste(label, "Winsorized SD"), sqrt(s$wvariance))
    }
  }
}

set <- if (NAMES) read_with_names() else read_plain()
if (ANALYSIS == "descriptives") {
  report_descriptives(set)
} else if (ANALYSIS == "effects") {
  report_effects(set)
} else {
  report_two_groups(set)
}
