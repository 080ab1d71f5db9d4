# Shared by the start and test scripts: installs missing Debian packages.
# Source it; it defines install_missing PACKAGE...

install_missing() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# Qt Charts draws the bootstrap plots; Qt SVG writes them as SVG files;
# liborcus reads workbooks and ReadStat SPSS, Stata and SAS files.
BUILD_PACKAGES=(qt6-base-dev qt6-charts-dev qt6-svg-dev libboost-math-dev liborcus-dev
                libreadstat-dev pkgconf cmake ninja-build g++)
# Checkers of the installed launcher entry and AppStream data.
DESKTOP_CHECK_PACKAGES=(desktop-file-utils appstream)
# A virtual X display for the window pictures.
SCREENSHOT_PACKAGES=(xvfb xauth)
# The window tests also run under a comma-decimal locale; the golden reports
# are recomputed with NumPy and SciPy; xmllint checks the SVG plots; unzip and
# pdftotext read the exported documents back; the reproduction scripts run
# with Python and R.
TEST_PACKAGES=(locales python3-numpy python3-scipy libxml2-utils unzip poppler-utils r-base-core)
# The fuzz targets: clang with libFuzzer, and llvm-symbolizer for readable crash reports.
FUZZ_PACKAGES=(clang libclang-rt-14-dev llvm libomp-dev)
# The ThreadSanitizer run: clang with LLVM's OpenMP runtime and its Archer tool.
TSAN_PACKAGES=(clang libclang-rt-14-dev libomp-dev)

ensure_test_locale() {
    locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo localedef -i de_DE -c -f UTF-8 de_DE.UTF-8 || echo "de_DE.UTF-8 unavailable; its test is skipped"
}

# The fuzz targets of fuzz/, by name.
FUZZ_TARGETS=(import numbers outputFile workbook statistics)

# One clang tree for the sanitizer suite and the fuzz targets: everything under
# AddressSanitizer and UndefinedBehaviorSanitizer, with libFuzzer's coverage.
configure_sanitizer_tree() {
    cmake -S "$root" -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DCMAKE_CXX_COMPILER=clang++ -DTRELLAM_SANITIZE=ON -DTRELLAM_FUZZ=ON
}
