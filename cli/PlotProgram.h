// trellam-plot, started by trellam-cli for --plot: Qt stays out of trellam-cli.
#pragma once

#include "analyses/BootstrapRun.h"

#include <filesystem>
#include <string>

// trellam-plot in the folder of the running trellam-cli; `argv0` is used only
// where the system does not say where the running program is.
std::filesystem::path plotProgramPath(const char* argv0);

// Starts `program` to draw `run` into `file`, hands it the run through a
// pipe and waits for it. Returns an empty text, or what went wrong (the
// program says more on standard error).
std::string drawPlot(
    const std::filesystem::path& program, const BootstrapRun& run, const std::string& file);
