#!/usr/bin/env bash
# Checks the house style.
#  1. clang-format: every .cpp/.h under src/ app/ sim/ tests/ bench/ must be
#     formatted as .clang-format says.
#  2. clang-tidy (.clang-tidy) over the layers below the windows: src/core,
#     src/storage, src/link, src/drivers, src/engine and sim/. A bugprone-* or
#     performance-* finding, or a reserved identifier, fails; functions above
#     the cognitive complexity threshold are printed as a list and never fail.
#     Results are cached per unit in <build-dir>/style-cache; STYLE_NO_CACHE=1
#     checks every unit again.
# Usage: scripts/style.sh [build-dir]   (default build/debug; it must have been
# configured, so that compile_commands.json and the generated headers exist).
# Prints the time of each part. Exits 0 when both parts pass.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

build=${1:-build/debug}
jobs=$(nproc)
[[ $jobs -gt 2 ]] && jobs=2
tidy_dirs=(src/core src/storage src/link src/drivers src/engine sim)
for tool in clang-format clang-tidy clang++ python3; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing (Debian: apt-get install clang-format clang-tidy clang python3)"
        exit 1
    fi
done
status=0
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

seconds() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$(seconds)" 'BEGIN { printf "%.1f", b - a }'; }

# ---- 1. clang-format ---------------------------------------------------------
start=$(seconds)
mapfile -t sources < <(find src app sim tests bench -type f \( -name '*.cpp' -o -name '*.h' \) |
    sort)
# One clang-format for many files; each file it would change gets error lines.
format_log=$out/clang-format.txt
printf '%s\n' "${sources[@]}" | xargs clang-format --dry-run -Werror >"$format_log" 2>&1
format_rc=$?
mapfile -t unformatted < <(grep -oE '^[^ :]+:[0-9]+:[0-9]+: error: ' "$format_log" |
    cut -d: -f1 | sort -u)
if [[ $format_rc -ne 0 && ${#unformatted[@]} -eq 0 ]]; then
    echo "=== clang-format failed:"
    cat "$format_log"
    status=1
elif [[ ${#unformatted[@]} -eq 0 ]]; then
    echo "=== clang-format: ${#sources[@]} files formatted ($(elapsed "$start") s)"
else
    echo "=== clang-format: ${#unformatted[@]} of ${#sources[@]} files need formatting" \
         "($(elapsed "$start") s):"
    printf '  %s\n' "${unformatted[@]}"
    echo "  (clang-format -i FILE fixes one; clang-format --dry-run FILE shows where)"
    status=1
fi

# ---- 2. clang-tidy -----------------------------------------------------------
if [[ ! -f $build/compile_commands.json ]]; then
    echo "=== clang-tidy: no $build/compile_commands.json;" \
         "configure first: cmake -S . -B $build -G Ninja"
    exit 1
fi
start=$(seconds)
# Biggest first, so that no long unit is left running alone at the end.
mapfile -t units < <(find "${tidy_dirs[@]}" -type f -name '*.cpp' -printf '%s %p\n' |
    sort -rn | cut -d' ' -f2-)

# The cache: a unit's clang-tidy output is kept under a key made of the
# unit's preprocessed text (comments kept, so a NOLINT counts), its flags,
# .clang-tidy and the clang-tidy version. An unchanged unit is not checked
# again. STYLE_NO_CACHE=1 checks every unit.
cache=$build/style-cache
mkdir -p "$cache" "$out/tidy" "$out/pp"
tidy_flags="--quiet --extra-arg=-Wno-error"
stamp=$({ clang-tidy --version; cat .clang-tidy; echo "$tidy_flags"; } | sha256sum | cut -c1-64)
# For each unit, the clang++ -E -C command line, one argument a line.
python3 - "$build/compile_commands.json" "$out/pp" "${units[@]}" <<'PY'
import json, os, shlex, sys
db, dest, units = sys.argv[1], sys.argv[2], sys.argv[3:]
by_file = {os.path.realpath(e["file"]): e for e in json.load(open(db))}
for unit in units:
    e = by_file.get(os.path.realpath(unit))
    if e is None:
        continue
    args = e["arguments"] if "arguments" in e else shlex.split(e["command"])
    pp, skip = ["clang++"], False
    for a in args[1:]:
        if skip:
            skip = False
        elif a == "-o":
            skip = True
        elif a != "-c":
            pp.append(a)
    pp += ["-E", "-C", "-Wno-error"]
    with open(os.path.join(dest, unit.replace("/", "_")), "w") as f:
        f.write(e["directory"] + "\n" + "\n".join(pp) + "\n")
PY

# One clang-tidy per translation unit, $jobs at a time. Headers are checked
# through the units that include them (HeaderFilterRegex in .clang-tidy).
# Compiler warnings stay warnings: the build, not this script, judges them.
# shellcheck disable=SC2317 # run through xargs
tidy_one() {  # unit
    set -o pipefail
    local unit=$1 name key=
    name=$(echo "$unit" | tr / _)
    local log=$out/tidy/$name.log
    if [[ ${STYLE_NO_CACHE:-0} != 1 && -f $out/pp/$name ]]; then
        local pp text
        mapfile -t pp <"$out/pp/$name"
        # A unit that does not preprocess is checked, not cached.
        if text=$(cd "${pp[0]}" && "${pp[@]:1}" 2>/dev/null | sha256sum); then
            key=$({ echo "$stamp"; printf '%s\n' "${pp[@]}" "$text"; } | sha256sum | cut -c1-64)
            echo "$key" >>"$out/keys"
        fi
        if [[ -n $key && -f $cache/$key.log && -f $cache/$key.rc ]]; then
            cp "$cache/$key.log" "$log"
            echo "$unit" >>"$out/cached-units"
            [[ $(cat "$cache/$key.rc") == 0 ]] || echo "$unit" >>"$out/failed-units"
            return
        fi
    fi
    # shellcheck disable=SC2086 # the flags are words
    clang-tidy -p "$build" $tidy_flags "$unit" >"$log" 2>&1
    local rc=$?
    [[ $rc -eq 0 ]] || echo "$unit" >>"$out/failed-units"
    if [[ -n $key ]]; then
        cp "$log" "$cache/$key.log.$$" && mv "$cache/$key.log.$$" "$cache/$key.log"
        echo "$rc" >"$cache/$key.rc.$$" && mv "$cache/$key.rc.$$" "$cache/$key.rc"
    fi
}
export -f tidy_one
export out build cache stamp tidy_flags
# shellcheck disable=SC2016 # expanded by the inner bash
printf '%s\n' "${units[@]}" | xargs -P"$jobs" -I{} bash -c 'tidy_one "$1"' _ {}
# Keep only the entries of this run.
if [[ -f $out/keys ]]; then
    for f in "$cache"/*; do
        [[ -e $f ]] || continue
        k=$(basename "$f")
        grep -qxF "${k%%.*}" "$out/keys" || rm -f "$f"
    done
fi

# A header's findings come once per unit that includes it: keep one of each.
diag='^[^ ].*:[0-9]+:[0-9]+: (warning|error): .*\[[^]]+\]$'
cat "$out"/tidy/*.log | grep -E "$diag" | sed "s|^$PWD/||" | sort -t: -k1,1 -k2,2n -u >"$out/all"
complexity='\[readability-function-cognitive-complexity\]$'
grep -E -- "$complexity" "$out/all" >"$out/complexity"
grep -Ev -- "$complexity" "$out/all" | grep -E ': error: ' >"$out/errors"
grep -Ev -- "$complexity" "$out/all" | grep -E ': warning: ' >"$out/warnings"

cached=0
[[ -f $out/cached-units ]] && cached=$(wc -l <"$out/cached-units")
echo "=== clang-tidy: ${#units[@]} units ($cached unchanged, from the cache)" \
     "on $jobs cores in $(elapsed "$start") s"
if [[ -s $out/complexity ]]; then
    echo "--- Functions above the cognitive complexity threshold (warnings only):"
    sed -E 's/:[0-9]+: warning: function (.*) has cognitive complexity of ([0-9]+).*/  \1 \2/' \
        "$out/complexity"
fi
if [[ -s $out/warnings ]]; then
    echo "--- Compiler warnings (clang):"
    cat "$out/warnings"
fi
if [[ -s $out/errors ]]; then
    echo "--- Findings that fail the check ($(wc -l <"$out/errors")):"
    cat "$out/errors"
    status=1
elif [[ -s $out/failed-units ]]; then
    # clang-tidy failed without a finding of ours: show what it said.
    while read -r unit; do
        echo "--- clang-tidy failed on $unit:"
        cat "$out/tidy/$(echo "$unit" | tr / _).log"
    done <"$out/failed-units"
    status=1
else
    echo "--- No bugprone or performance findings."
fi
exit $status
