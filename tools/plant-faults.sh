#!/usr/bin/env bash
# Plants single faults in the code, one at a time, and tells which of them the unit and widget
# tests catch. Each line of the list (default tools/planted-faults.txt) is
#     file|sed-expression
# whose expression must change exactly one line of the file. For each fault: the file is changed,
# the tests of its folder are built and run (ALL=1: every test without the e2e label), and the
# file is put back.
# Prints "caught", "ESCAPED", "no build" or "not applied" per fault, then the figure.
# Usage: tools/plant-faults.sh [build-folder] [list]
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
list=${2:-tools/planted-faults.txt}
[[ -f $build/CMakeCache.txt ]] || { echo "no build in $build" >&2; exit 2; }
[[ -z $(git status --porcelain --untracked-files=no -- src) ]] || { echo "src/ has changes" >&2; exit 2; }

backup=$(mktemp)
planted=""
restore() { [[ -n $planted ]] && cp "$backup" "$planted" && touch "$planted"; planted=""; }
trap 'restore; rm -f "$backup"' EXIT
trap 'exit 130' INT TERM

caught=0 escaped=0 total=0
while IFS="|" read -r -u 3 file expr; do
    [[ -z $file || $file == \#* ]] && continue
    cp "$file" "$backup"
    planted=$file
    sed -i -e "$expr" "$file"
    if [[ $(diff "$backup" "$file" | grep -c '^>') != 1 ]]; then
        echo "not applied  $file  $expr"
        restore
        continue
    fi
    # The tests of the file's folder (tests/ mirrors src/), or with ALL=1 every unit and widget
    # test: only those are built and run.
    folder=$(basename "$(dirname "$file")")
    if [[ ${ALL:-0} == 1 ]]; then
        targets=(all)
        tests=""
    else
        mapfile -t targets < <(find "tests/$folder" -name 'tst_*.cpp' -printf '%f\n' | sed 's/\.cpp$//')
        tests=$(IFS='|'; echo "${targets[*]}")
    fi
    if ! cmake --build "$build" -j 2 --target "${targets[@]}" >/dev/null 2>&1; then
        echo "no build     $file  $expr"
        restore
        continue
    fi
    total=$((total + 1))
    if ! (cd "$build" && QT_QPA_PLATFORM=offscreen timeout 900 \
        ctest -LE e2e -j 2 --stop-on-failure ${tests:+-R "^($tests)(_.*)?\$"} >/dev/null 2>&1); then
        echo "caught       $file  $expr"
        caught=$((caught + 1))
    else
        echo "ESCAPED      $file  $expr   (ran: ${tests:-all})"
        escaped=$((escaped + 1))
    fi
    restore
done 3<"$list"
echo "caught $caught of $total"
