#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Times the list scan as each compiler and flag set users build with makes it:
# the working tree beside an earlier commit, each built the same way, side by
# side in one run, and prints one Markdown table a build, with is_tovan ÷ the
# earlier build, ÷ grep -qxF and ÷ wc -l.  Not a test: nothing here passes or
# fails.
#   bench/compilers.sh [COMMIT [NEWER]]  (default 7c5d850, the scan before the
#   chunk test; NEWER, a commit to build in place of the working tree)
# The builds: g++ Release; g++ with dpkg-buildflags (-O2); g++-11 -O2; clang++
# -O2; g++ -O2 without the vectorizer, once as built for this CPU and once as
# for a CPU without vector units (IS_TOVAN_LIST_CHUNKS=0, which the build
# chooses there); and g++ Release for 32-bit big-endian MIPS and for s390x,
# under qemu-user on lists a tenth as long: time under emulation stands in for
# instructions run.  Needs what the suite installs (cmake, g++, clang,
# libnss-wrapper, qemu-user, g++-mips-linux-gnu, g++-s390x-linux-gnu,
# dpkg-dev), and hyperfine, g++-11 and python3; builds it cannot make are
# left out with a word on standard error.  RUNS (default 9, 3 under qemu).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
earlier=${1:-7c5d850}
newer=${2:-}
runs=${RUNS:-9}
for command in hyperfine python3 git cmake; do
    command -v "$command" >/dev/null || { echo "needs $command" >&2; exit 2; }
done
wrapper=$(PATH=$PATH:/usr/sbin:/sbin ldconfig -p | awk '$1 == "libnss_wrapper.so" { print $NF; exit }')
[[ -n $wrapper ]] || { echo "needs libnss_wrapper.so (Debian libnss-wrapper)" >&2; exit 2; }

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
git archive "$earlier" | tar -x -C "$data" --one-top-level=earlier
tree=$top
if [[ -n $newer ]]; then
    git archive "$newer" | tar -x -C "$data" --one-top-level=newer
    tree=$data/newer
fi

# build NAME COMPILER BUILD-TYPE CXXFLAGS [CMAKE-ARGUMENT...]: both trees, as $data/NAME-{new,old}
build() {
    local name=$1 compiler=$2 type=$3 flags=$4 source side
    shift 4
    command -v "$compiler" >/dev/null || { echo "no $compiler: build $name left out" >&2; return 1; }
    for side in new old; do
        source=$tree
        [[ $side == new ]] || source=$data/earlier
        CXXFLAGS=$flags cmake -S "$source" -B "$data/build-$name-$side" -DCMAKE_CXX_COMPILER="$compiler" \
            -DCMAKE_BUILD_TYPE="$type" -DBUILD_TESTING=OFF "$@" >/dev/null &&
            cmake --build "$data/build-$name-$side" -j"$(nproc)" >/dev/null 2>&1 &&
            cp "$data/build-$name-$side/is_tovan" "$data/$name-$side" ||
            { echo "build $name ($side) failed" >&2; return 1; }
    done
}

lists=(ordinary runs prefixes suffixes nuls equal random)
declare -A users=([ordinary]=nobody [runs]=aa [prefixes]=aa [suffixes]=aa [nuls]=aa [equal]=ux000000 [random]=nobody)
cd "$data"
awk 'BEGIN { for (i = 0; i < 10000000; i++) printf "user%07d\n", i }' >ordinary
awk 'BEGIN { line = sprintf("%200s", ""); gsub(/ /, "a", line); for (i = 0; i < 597015; i++) print line }' >runs
awk 'BEGIN { for (i = 0; i < 30000000; i++) print "aab" }' >prefixes
awk 'BEGIN { for (i = 0; i < 30000000; i++) print "xaa" }' >suffixes
awk 'BEGIN { for (i = 0; i < 24000000; i++) printf "aab%c\n", 0 }' >nuls
awk 'BEGIN { for (i = 0; i < 10000000; i++) printf "u%07d\n", i }' >equal
# Names of 3 to 12 random letters, as a real list holds.
awk 'BEGIN { srand(1); for (i = 0; i < 16000000; i++) { n = 3 + int(rand() * 10); s = "";
             for (j = 0; j < n; j++) s = s sprintf("%c", 97 + int(rand() * 26)); print s } }' >random
for list in "${lists[@]}"; do head -c 12000000 "$list" >"small-$list"; done
printf 'nobody:x:65534:65534::/:/bin/sh\naa:x:5000:5000::/:/bin/sh\nux000000:x:5001:5001::/:/bin/sh\n' >passwd
touch group
as_users="env LD_PRELOAD=$wrapper NSS_WRAPPER_PASSWD=$data/passwd NSS_WRAPPER_GROUP=$data/group"
cat "${lists[@]}" >/dev/null # into the page cache

native=() emulated=()
cd "$top"
build release g++ Release "" && native+=(release)
debian_flags="$(dpkg-buildflags --get CPPFLAGS 2>/dev/null) $(dpkg-buildflags --get CXXFLAGS 2>/dev/null)"
build dpkg g++ None "$debian_flags" && native+=(dpkg)
build g++-11 g++-11 None "-O2" && native+=(g++-11)
build clang clang++ None "-O2" && native+=(clang)
scalar="-O2 -fno-tree-vectorize -fno-tree-slp-vectorize"
build scalar g++ None "$scalar" && native+=(scalar)
build no-vector-units g++ None "$scalar -DIS_TOVAN_LIST_CHUNKS=0" && native+=(no-vector-units)
for arch in mips s390x; do
    if command -v "qemu-$arch" >/dev/null &&
        build "$arch" "$arch-linux-gnu-g++" Release "" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/$arch-linux-gnu.cmake"; then
        emulated+=("$arch")
        mkdir -p "$data/root-$arch/etc"
        for folder in /usr/"$arch"-linux-gnu/lib*; do ln -s "$folder" "$data/root-$arch/"; done
        cp "$data/passwd" "$data/group" "$data/root-$arch/etc/"
        printf 'passwd: files\ngroup: files\n' >"$data/root-$arch/etc/nsswitch.conf"
    fi
done

cd "$data"
# time NAME RUNS COMMAND...: hyperfine's runs of each command, side by side, into NAME.json
time_side_by_side() {
    local name=$1 count=$2
    shift 2
    hyperfine --style none --ignore-failure -N --warmup 2 --runs "$count" --export-json "$name.json" "$@" >/dev/null 2>&1
}
for list in "${lists[@]}"; do
    user=${users[$list]}
    time_side_by_side "floor-$list" "$runs" "grep -qxF $user $list" "wc -l $list"
    for name in "${native[@]}"; do
        time_side_by_side "$name-$list" "$runs" "$as_users ./$name-new $user $list" "$as_users ./$name-old $user $list"
    done
    for name in "${emulated[@]}"; do
        time_side_by_side "$name-$list" "${RUNS:-3}" "qemu-$name -L root-$name ./$name-new $user small-$list" \
            "qemu-$name -L root-$name ./$name-old $user small-$list"
    done
done

python3 - "$earlier" "${lists[*]}" "${native[*]}" "${emulated[*]}" <<'PYTHON'
import json, statistics, sys
earlier, lists, native, emulated = sys.argv[1], sys.argv[2].split(), sys.argv[3].split(), sys.argv[4].split()
titles = {'release': 'g++ Release (-O3)', 'dpkg': 'g++ with dpkg-buildflags (-O2)', 'g++-11': 'g++-11 -O2',
          'clang': 'clang++ -O2', 'scalar': 'g++ -O2 -fno-tree-vectorize -fno-tree-slp-vectorize',
          'no-vector-units': 'the same with -DIS_TOVAN_LIST_CHUNKS=0, as for a CPU without vector units',
          'mips': 'mips-linux-gnu-g++ Release, under qemu-mips, 12 MB lists',
          's390x': 's390x-linux-gnu-g++ Release, under qemu-s390x, 12 MB lists'}
described = {'ordinary': '120 MB, `user%07d`, nobody absent', 'runs': '200 `a`, aa', 'prefixes': '`aab`, aa',
             'suffixes': '`xaa`, aa', 'nuls': '`aab` NUL, aa', 'equal': '90 MB, `u%07d`, ux000000',
             'random': '136 MB, 3-12 random letters, nobody'}
def times(name):
    return [sorted(r['times']) for r in json.load(open(name + '.json'))['results']]
def shown(t):
    return f'{statistics.median(t) * 1000:.1f} / {t[0] * 1000:.1f}'
def ratio(a, b):
    return f'{statistics.median(a) / statistics.median(b):.2f} / {a[0] / b[0]:.2f}'
for name in native + emulated:
    floors = name in native
    print(f'\n{titles[name]}\n')
    print('| list | is_tovan ms, median / fastest | ' + earlier + ' ms | ÷ ' + earlier
          + (' | ÷ grep -qxF | ÷ wc -l |' if floors else ' |'))
    print('|---|---:|---:|---:|' + ('---:|---:|' if floors else ''))
    for list in lists:
        new, old = times(f'{name}-{list}')
        row = f'| {described[list]} | {shown(new)} | {shown(old)} | {ratio(new, old)} |'
        if floors:
            grep, wc = times(f'floor-{list}')
            row += f' {ratio(new, grep)} | {ratio(new, wc)} |'
        print(row)
PYTHON
echo
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(uname -sr)"
