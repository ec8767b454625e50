#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Times is_tovan side by side with what scripts would run instead, in one run,
# and prints medians, fastest runs and ratios as Markdown tables.  Not a test:
# nothing here passes or fails.
#   bench/compare.sh [TOOL [PREVIOUS]]  (default: build/is_tovan, built if missing)
# With PREVIOUS, another build of is_tovan (say, of the last release) runs
# beside TOOL in every table, shown as `previous`.
# Needs hyperfine, GNU time (/usr/bin/time), python3 and a C compiler.  The
# account is BENCH_USER (default nobody): a real, qualifying account of this
# machine, looked up through the system's own user database.  The hostile
# lists are built around the names aa and ux000000, accounts that nss_wrapper
# (Debian libnss-wrapper) supplies; without it they are left out.  The 120 MB
# tables show wc -l on the same file: the time it takes to read it.
set -euo pipefail
cd "$(dirname "$0")/.."
tool=${1:-build/is_tovan}
previous=${2:-}
user=${BENCH_USER:-nobody}
for command in hyperfine /usr/bin/time python3 cc; do
    command -v "$command" >/dev/null || { echo "needs $command (Debian: hyperfine, time, python3, gcc)" >&2; exit 2; }
done
if [[ ! -x $tool ]]; then
    cmake -S . -B build -DBUILD_TESTING=OFF >/dev/null && cmake --build build >/dev/null
fi
tool=$(realpath "$tool")
[[ -z $previous ]] || previous=$(realpath "$previous")
(($(id -u "$user") >= 101)) || { echo "$user must be an account with an id of 101 or more" >&2; exit 2; }

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
printf 'int main(void) { return 0; }\n' | cc -O2 -x c -o "$data/empty" -
# The floor of any answer: a C program that only looks the account up.
printf '#include <pwd.h>\nint main(int c, char **v) { return c < 2 || !getpwnam(v[1]); }\n' |
    cc -O2 -x c -o "$data/lookup" -
awk 'BEGIN { for (i = 0; i < 10; i++) printf "user%07d\n", i }' >"$data/small"
awk 'BEGIN { for (i = 0; i < 10000000; i++) printf "user%07d\n", i }' >"$data/large"
head -c 1000000 "$data/large" >"$data/medium"
for list in small medium large; do
    { echo "$user"; cat "$data/$list"; } >"$data/$list-first"
done
# Hostile lists of 120 MB: the name stands nearly everywhere, never as a piece.
awk 'BEGIN { line = sprintf("%200s", ""); gsub(/ /, "a", line); for (i = 0; i < 597015; i++) print line }' >"$data/runs"
awk 'BEGIN { for (i = 0; i < 30000000; i++) print "aab" }' >"$data/prefixes"
awk 'BEGIN { for (i = 0; i < 30000000; i++) print "xaa" }' >"$data/suffixes"
# A NUL in every line, so in every block: the lookup reads each piece by itself.
awk 'BEGIN { for (i = 0; i < 24000000; i++) printf "aab%c\n", 0 }' >"$data/nuls"
# 90 MB of lines as long as the name, ending in its last byte one time in ten.
awk 'BEGIN { for (i = 0; i < 10000000; i++) printf "u%07d\n", i }' >"$data/equal"
cat "$data"/large* "$data"/runs "$data"/prefixes "$data"/suffixes "$data"/nuls "$data"/equal >/dev/null # into the page cache
wrapper=$(PATH=$PATH:/usr/sbin:/sbin ldconfig -p | awk '$1 == "libnss_wrapper.so" { print $NF; exit }')
printf 'aa:x:5000:5000::/:/bin/sh\nux000000:x:5001:5001::/:/bin/sh\n' >"$data/passwd"
as_aa="env LD_PRELOAD=$wrapper NSS_WRAPPER_PASSWD=$data/passwd NSS_WRAPPER_GROUP=/etc/group"

pipeline="id -u $user >/dev/null && ! grep -qxF $user"
# group NAME RUNS COMMAND...: hyperfine without a shell, unless the command
# needs one, and the peak memory of each command.  Each command that starts
# with $tool runs again with $previous right after it.
group() {
    local name=$1 runs=$2 command words
    shift 2
    local commands=()
    for command in "$@"; do
        commands+=("$command")
        [[ -z $previous || $command != *"$tool "* ]] || commands+=("${command//$tool/$previous}")
    done
    hyperfine --style none --ignore-failure -N --warmup 5 --runs "$runs" \
        --export-json "$data/$name.json" "${commands[@]}" >/dev/null 2>&1
    for command in "${commands[@]}"; do
        eval "words=($command)"
        memory "${words[@]}"
    done | paste -sd'\t' - | sed "s/^/$name\t/" >>"$data/memory.tsv"
}
memory() { # peak resident set in KiB, median of 5 runs
    # A status of 1 is an answer here, not a failure.
    for _ in 1 2 3 4 5; do { /usr/bin/time -f %M "$@" 2>&1 >/dev/null || true; } | tail -1; done | sort -n | sed -n 3p
}
cd "$data"
group whole 500 "$tool $user small" ./empty "./lookup $user" "id -u $user" "sh -c '$pipeline small'"
group scan 30 "$tool $user large" "grep -qxF $user large" "wc -l large"
group early 300 "$tool $user large-first" "$tool $user medium-first" "$tool $user small-first"
hostile=()
if [[ -n $wrapper ]]; then
    hostile=(runs prefixes suffixes nuls)
    for list in "${hostile[@]}"; do
        group "$list" 20 "$as_aa $tool aa $list" "grep -qxF aa $list" "wc -l $list"
    done
    hostile+=(equal)
    group equal 20 "$as_aa $tool ux000000 equal" "grep -qxF ux000000 equal" "wc -l equal"
else
    echo "no libnss_wrapper.so: the hostile lists are left out" >&2
fi

python3 - "$tool" "$previous" "${hostile[@]}" <<'PYTHON'
import json, re, statistics, sys
tool, previous = sys.argv[1], sys.argv[2]
peaks = {line.split('\t')[0]: line.split('\t')[1:] for line in open('memory.tsv').read().splitlines()}
titles = {'whole': 'Whole run, 10-line list', 'scan': 'Full scan, 120 MB, 10 million lines, user absent',
          'early': 'Early stop: user on the first line of a 120 MB, a 1 MB and a 10-line list',
          'runs': 'Hostile, 120 MB: lines of 200 `a`, user aa',
          'prefixes': 'Hostile, 120 MB: lines `aab`, user aa',
          'suffixes': 'Hostile, 120 MB: lines `xaa`, user aa',
          'nuls': 'Hostile, 120 MB: lines `aab` and a NUL, user aa',
          'equal': 'Hostile, 90 MB: 10 million lines `u%07d`, as long as the name, user ux000000'}
def shown(command):
    command = re.sub(r'^env \S+ \S+ \S+ ', '', command)
    if previous:
        command = command.replace(previous, 'previous')
    return command.replace(tool, 'is_tovan').replace('./', '')
for name in ['whole', 'scan', 'early'] + sys.argv[3:]:
    results = json.load(open(name + '.json'))['results']
    print(f'\n{titles[name]}\n')
    # The read floor: the time wc -l takes to read the same file.
    floors = [r['times'] for r in results if r['command'].startswith('wc -l')]
    floor = (statistics.median(floors[0]), min(floors[0])) if floors else None
    print('| command | median ms | fastest ms | IQR ms | is_tovan ÷ this, median | fastest | '
          + ('this ÷ wc -l, median | fastest | ' if floor else '') + 'peak KiB | is_tovan ÷ this |')
    print('|---|---:|---:|---:|---:|---:|' + ('---:|---:|' if floor else '') + '---:|---:|')
    base, fastest = statistics.median(results[0]['times']), min(results[0]['times'])
    for result, peak in zip(results, peaks[name]):
        times = sorted(result['times'])
        median = statistics.median(times)
        q = statistics.quantiles(times, n=4)
        ratios = f'{median / floor[0]:.2f} | {times[0] / floor[1]:.2f} | ' if floor else ''
        print(f'| `{shown(result["command"])}` | {median * 1000:.2f} | {times[0] * 1000:.2f} | '
              f'{(q[2] - q[0]) * 1000:.2f} | {base / median:.2f} | {fastest / times[0]:.2f} | {ratios}'
              f'{peak} | {int(peaks[name][0]) / int(peak):.2f} |')
PYTHON
echo
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(uname -sr)"
