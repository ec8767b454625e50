#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Times is_tovan-lint on a list of 100,000 entries, 10,000 of them distinct,
# against a passwd of 10,000 accounts through nss_wrapper, side by side with
# its floor: the same lookups by `getent passwd` on the distinct names, in one
# process.  Then a list of 10,000 distinct entries that are no accounts,
# whose readings the check looks up too: at most 4 lookups an entry.  Also
# counts the lookups each makes (by name and by id), and the peak memory with
# a list ten times as long of the same names: it must not grow.  Prints a
# Markdown table.  Not a test: nothing here passes or fails.
#   bench/lint.sh [LINT]  (default: build/is_tovan-lint, built if missing)
# Needs hyperfine, GNU time (/usr/bin/time), python3, a C compiler and
# nss_wrapper (Debian: hyperfine time python3 gcc libnss-wrapper).
set -euo pipefail
cd "$(dirname "$0")/.."
lint=${1:-build/is_tovan-lint}
for command in hyperfine /usr/bin/time python3 cc; do
    command -v "$command" >/dev/null || { echo "needs $command (Debian: hyperfine, time, python3, gcc)" >&2; exit 2; }
done
if [[ ! -x $lint ]]; then
    cmake -S . -B build -DBUILD_TESTING=OFF >/dev/null && cmake --build build --target is_tovan_lint >/dev/null
fi
lint=$(realpath "$lint")
wrapper=$(PATH=$PATH:/usr/sbin:/sbin ldconfig -p | awk '$1 == "libnss_wrapper.so" { print $NF; exit }')
[[ -n $wrapper ]] || { echo "needs libnss_wrapper.so (Debian: libnss-wrapper)" >&2; exit 2; }

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
chmod 755 "$data"
cd "$data"
awk 'BEGIN { for (i = 0; i < 10000; i++) printf "user%05d:x:%d:1000::/:/bin/sh\n", i, 1000 + i }' >passwd
printf 'users:x:1000:\n' >group
awk -F: '{ print $1 }' passwd >names
# Each name ten times, spread out: 7919 and 10000 have no common divisor.
awk 'BEGIN { for (i = 0; i < 100000; i++) printf "user%05d\n", i * 7919 % 10000 }' >list
awk 'BEGIN { for (i = 0; i < 1000000; i++) printf "user%05d\n", i * 7919 % 10000 }' >longer
# No account has these, and no reading of them is one.
awk 'BEGIN { for (i = 0; i < 10000; i++) printf "Guest.%05d\n", i }' >unknown
# Counts the lookups by name and by id of the program it is loaded into, on standard error.
cat >count.c <<'EOF'
#define _GNU_SOURCE
#include <dlfcn.h>
#include <pwd.h>
#include <stdio.h>
static unsigned long lookups;
struct passwd *getpwnam(const char *name)
{
    static struct passwd *(*next)(const char *);
    if (!next)
        next = (struct passwd *(*)(const char *))dlsym(RTLD_NEXT, "getpwnam");
    lookups++;
    return next(name);
}
struct passwd *getpwuid(uid_t id)
{
    static struct passwd *(*next)(uid_t);
    if (!next)
        next = (struct passwd *(*)(uid_t))dlsym(RTLD_NEXT, "getpwuid");
    lookups++;
    return next(id);
}
__attribute__((destructor)) static void report(void) { fprintf(stderr, "lookups: %lu\n", lookups); }
EOF
cc -O2 -shared -fPIC -o count.so count.c -ldl
database="NSS_WRAPPER_PASSWD=$data/passwd NSS_WRAPPER_GROUP=$data/group"
printf 'exec env LD_PRELOAD=%s %s %s list >/dev/null\n' "$wrapper" "$database" "$lint" >lint-run
printf 'exec env LD_PRELOAD=%s %s getent passwd %s >/dev/null\n' "$wrapper" "$database" "$(paste -sd' ' names)" >floor-run
printf 'exec env LD_PRELOAD=%s %s %s unknown >/dev/null\n' "$wrapper" "$database" "$lint" >unknown-run
hyperfine --style none -N --warmup 3 --runs 20 --export-json times.json "sh lint-run" "sh floor-run" \
    "sh unknown-run" >/dev/null 2>&1
count() { # the lookups the command makes
    env LD_PRELOAD="$data/count.so $wrapper" NSS_WRAPPER_PASSWD="$data/passwd" NSS_WRAPPER_GROUP="$data/group" \
        "$@" 2>&1 >/dev/null | sed -n 's/^lookups: //p'
}
peak() { # peak resident set in KiB, median of 5 runs
    for _ in 1 2 3 4 5; do
        env LD_PRELOAD="$wrapper" NSS_WRAPPER_PASSWD="$data/passwd" NSS_WRAPPER_GROUP="$data/group" \
            /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1
    done | sort -n | sed -n 3p
}
{
    count "$lint" list; count getent passwd $(cat names)
    peak "$lint" list; peak getent passwd $(cat names); peak "$lint" longer
    count "$lint" unknown; peak "$lint" unknown
} >facts
python3 - <<'PYTHON'
import json, statistics
results = json.load(open('times.json'))['results']
lint_lookups, floor_lookups, lint_peak, floor_peak, longer_peak, unknown_lookups, unknown_peak = \
    open('facts').read().split()
floor = results[1]['times']
print('| command | median ms | fastest ms | ÷ floor, median | fastest | lookups | peak KiB |')
print('|---|---:|---:|---:|---:|---:|---:|')
rows = [('`is_tovan-lint list`, 100,000 entries', results[0]['times'], lint_lookups, lint_peak),
        ('floor: `getent passwd` on the 10,000 names', floor, floor_lookups, floor_peak),
        ('`is_tovan-lint unknown`, 10,000 entries no account has', results[2]['times'], unknown_lookups,
         unknown_peak)]
for label, times, lookups, peak in rows:
    print(f'| {label} | {statistics.median(times) * 1000:.1f} | {min(times) * 1000:.1f} | '
          f'{statistics.median(times) / statistics.median(floor):.2f} | {min(times) / min(floor):.2f} | '
          f'{lookups} | {peak} |')
per_entry = int(unknown_lookups) / 10000
print(f'\nLookups for an entry that is no account: {per_entry:.2f} '
      f'({"within" if per_entry <= 4 else "OVER"} the 4 allowed).')
print(f'\nPeak memory with 1,000,000 entries of the same 10,000 names: {longer_peak} KiB '
      f'({int(longer_peak) / int(lint_peak):.2f} × that with 100,000).')
PYTHON
echo
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(uname -sr)"
