#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds, and runs one job:
#   ./dev.sh example        the main job on a shipped example
#   ./dev.sh test           the test suite
#   ./dev.sh package        the Debian package (cpack -G DEB), in the build folder
#   ./dev.sh test-asan      the test suite built with clang, AddressSanitizer, UndefinedBehaviorSanitizer
#                           and LeakSanitizer, with the fuzz harnesses
#   ./dev.sh test-tsan      the test suite built with ThreadSanitizer
#   ./dev.sh fuzz [SECONDS] each fuzz harness for SECONDS (default 15), in the test-asan build
#   ./dev.sh format-check   clang-format over every tracked source file
#   ./dev.sh bench          the benchmarks, each beside its floor (bench/run.py)
#   ./dev.sh memcheck       the test suite under Valgrind's memcheck (slow: some 15 minutes)
# BUILD_DIR overrides the build folder (default build/, build-asan/ for test-asan and fuzz,
# build-tsan/ for test-tsan).
# Each job builds only what it runs: example and package leave the tests and benchmarks out.
set -euo pipefail
cd "$(dirname "$0")"

# One list for dev.sh and the README's install step.
mapfile -t packages < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' debian-packages.txt)

install_packages() {
    local missing=()
    for package in "${packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The tests check that files stay locale-independent under a locale with a decimal comma.
install_test_locale() {
    locale -a 2>/dev/null | grep -qx 'de_DE.utf8' && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8
}

build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}

program_options=(-DQM_BUILD_TESTS=OFF -DQM_BUILD_BENCHMARKS=OFF)
test_options=(-DQM_BUILD_TESTS=ON)

# The sanitizer build uses clang so that it also builds the libFuzzer harnesses. The Python module
# is left out: python3 does not load an extension built with the sanitizers' runtime.
asan_options=(-DCMAKE_CXX_COMPILER=clang++ -DQM_SANITIZE=ON -DQM_FUZZ=ON -DQM_BUILD_BENCHMARKS=OFF
    -DQM_BUILD_PYTHON=OFF)

# oneTBB is not instrumented: in this build the host runs its parallel blocks on plain threads.
# GCC's ThreadSanitizer, since clang 14's fails a check of its own in every child process that Qt
# starts (the tests run the programs that way).
tsan_options=(-DQM_TSAN=ON -DQM_BUILD_BENCHMARKS=OFF -DQM_BUILD_PYTHON=OFF)

job=${1:-}
case "$job" in
example)
    install_packages
    dir=${BUILD_DIR:-build}
    build "$dir" "${program_options[@]}"
    # Six octaves of fractal noise; the build packed the project into $dir/examples/.
    output="$dir/example-output"
    "$dir/bin/quillmar" run "$dir/examples/octaves.qmr" --set iterations=6 -o "$output"
    echo "The octaves example's picture is $output/image.png"
    ;;
test)
    install_packages
    install_test_locale
    dir=${BUILD_DIR:-build}
    build "$dir" "${test_options[@]}" -DQM_BUILD_BENCHMARKS=ON
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
    ;;
package)
    install_packages
    dir=${BUILD_DIR:-build}
    # Installed under /usr, where Debian's python3 finds the module.
    build "$dir" "${program_options[@]}" -DCMAKE_INSTALL_PREFIX=/usr
    (cd "$dir" && cpack -G DEB)
    ;;
test-asan)
    install_packages
    install_test_locale
    dir=${BUILD_DIR:-build-asan}
    build "$dir" "${asan_options[@]}" "${test_options[@]}"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
        ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
    ;;
test-tsan)
    install_packages
    install_test_locale
    dir=${BUILD_DIR:-build-tsan}
    build "$dir" "${tsan_options[@]}" "${test_options[@]}"
    # The stack-depth stress test starts no threads and takes minutes under the sanitizer; the
    # other jobs run it.
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp" \
        QT_QPA_PLATFORM=offscreen \
        ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" -E HugeAndDeepProjects
    ;;
fuzz)
    install_packages
    dir=${BUILD_DIR:-build-asan}
    build "$dir" "${asan_options[@]}" "${test_options[@]}"
    BUILD_DIR=$dir fuzz/run.sh all "${2:-15}"
    ;;
bench)
    install_packages
    dir=${BUILD_DIR:-build}
    build "$dir" -DQM_BUILD_BENCHMARKS=ON
    python3 bench/run.py "$dir"
    python3 bench/startup.py "$dir"
    python3 bench/fanout.py "$dir"
    ;;
memcheck)
    packages+=(valgrind)
    install_packages
    install_test_locale
    dir=${BUILD_DIR:-build}
    build "$dir" "${test_options[@]}"
    # libhwy (loaded by OpenImageIO) measures its timer with rdtscp when it is loaded, an
    # instruction Valgrind 3.19 fails to decode on this kind of machine. A preloaded
    # stand-in for that one measurement lets every program start; nothing of ours uses the timer.
    echo 'namespace hwy::platform { unsigned long TimerResolution() { return 1; } }' |
        c++ -std=c++17 -shared -fPIC -x c++ -o "$dir/hwy_timer_stand_in.so" -
    # A leak of ours is definitely or indirectly lost; the system libraries (GL dispatch, dlopen,
    # threads started while loading) leave blocks that are only possibly lost.
    leaks="--show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect"
    # Qt's regular expressions run JIT-compiled code, which memcheck cannot follow.
    LD_PRELOAD=$(realpath "$dir/hwy_timer_stand_in.so") QT_ENABLE_REGEXP_JIT=0 \
        QT_QPA_PLATFORM=offscreen \
        ctest --test-dir "$dir" -T memcheck -j "$(nproc)" --timeout 3600 \
        --overwrite MemoryCheckCommand=/usr/bin/valgrind \
        --overwrite "MemoryCheckCommandOptions=--leak-check=full $leaks --error-exitcode=99 \
--suppressions=$PWD/tests/memcheck.supp"
    ;;
format-check)
    install_packages
    git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
    ;;
*)
    sed -n '2,13p' "$0"
    exit 2
    ;;
esac
