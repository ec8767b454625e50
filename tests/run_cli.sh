#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Runs a table of command-line cases against the built tool and checks each
# case's exit status, standard output and standard error, byte for byte.
#
#   run_cli.sh --tool PATH [--lint PATH] --backend nss_wrapper|files --table FILE
#              [--env NAME=VALUE]... [--launcher WORD]... [--checker WORD]...
#
# --lint: the list check, for the table's `lint` rows, beside the tool.
# nss_wrapper: the --env settings (from tests/CMakeLists.txt) make the tool's
# user database tests/data/passwd, after the module that finds ldapbob
# whatever the case (nss_anycase.cpp).
# files: the launcher (qemu with a sysroot) already serves that same passwd.
# --checker: a program that runs each program under test (valgrind), after
# the launcher; the tool as the list check's oracle runs without it.
set -u

tool= lint= backend= table= settings=() launcher=() checker=()
while (($#)); do
    case $1 in
    --tool) tool=$2; shift 2 ;;
    --lint) lint=$2; shift 2 ;;
    --backend) backend=$2; shift 2 ;;
    --table) table=$2; shift 2 ;;
    --env) settings+=("$2"); shift 2 ;;
    --launcher) launcher+=("$2"); shift 2 ;;
    --checker) checker+=("$2"); shift 2 ;;
    *) echo "run_cli.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done
[[ -x $tool && -r $table && ($backend == files || ($backend == nss_wrapper && ${#settings[@]} -gt 0)) ]] || {
    echo "run_cli.sh: needs --tool, --table and --backend nss_wrapper (with --env) or files" >&2
    exit 2
}

source "$(dirname "${BASH_SOURCE[0]}")/unreadable.sh"

# In /tmp, whatever TMPDIR says: the list check looks at every folder above
# its lists, and those of /tmp are root's, with the sticky bit.
WORK=$(mktemp -d /tmp/is_tovan_cli.XXXXXX)
trap 'chmod -R u+rwx "$WORK"; rm -rf "$WORK"' EXIT
cp "$tool" "$WORK/is_tovan"
[[ -z $lint ]] || cp "$lint" "$WORK/is_tovan-lint"
cd "$WORK" || exit 2
umask 022

environment=()
((${#settings[@]})) && environment=(env "${settings[@]}")

passed=0 failed=0 skipped=0

# check [OPTION...] LABEL STATUS STDOUT STDERR [ARGUMENT...]
# STDOUT and STDERR take printf %b escapes (\n).  Options:
#   --unreadable FILE       run without root's power to read any file; FILE
#                           must then be unreadable, or the row is skipped
#   --stdin-pipe TEXT       standard input is a pipe that carries TEXT
#   --stdout-to FILE|closed standard output goes there instead (nothing is captured)
#   --stderr-closed         standard error is closed (nothing is captured)
#   --any-stdout            standard output is the caller's to check
#   --unchecked             run without the --checker: the program is not under test
# TOOL=PROGRAM check ... runs that program in place of ./is_tovan.
check() {
    local prefix=() unreadable= stdin_pipe= stdout_to= stderr_closed= any_stdout= checked=("${checker[@]}")
    while [[ $1 == --* ]]; do
        case $1 in
        --any-stdout) any_stdout=1; shift ;;
        --unchecked) checked=(); shift ;;
        --unreadable) prefix=("${without_read_override[@]}") unreadable=$2; shift 2 ;;
        --stdin-pipe) stdin_pipe=$2; shift 2 ;;
        --stdout-to) stdout_to=$2; shift 2 ;;
        --stderr-closed) stderr_closed=1; shift ;;
        esac
    done
    local label=$1 status=$2 stdout=$3 stderr=$4
    shift 4
    # The answer counts only where the file really cannot be read.
    if [[ -n $unreadable ]] && ! unreadable "$unreadable"; then
        skip_row "$label" "$unreadable can still be read without root's power to read any file"
        return
    fi
    : >"$WORK/stdout"
    : >"$WORK/stderr"
    (
        case $stdout_to in
        '') exec >"$WORK/stdout" ;;
        closed) exec >&- ;;
        *) exec >"$stdout_to" ;;
        esac
        if [[ -n $stderr_closed ]]; then exec 2>&-; else exec 2>"$WORK/stderr"; fi
        command=("${prefix[@]}" "${environment[@]}" "${launcher[@]}" "${checked[@]}" "${TOOL:-./is_tovan}" "$@")
        if [[ -n $stdin_pipe ]]; then
            printf '%b' "$stdin_pipe" | "${command[@]}"
        else
            exec "${command[@]}" </dev/null
        fi
    )
    local got=$?
    printf '%b' "$stdout" >"$WORK/stdout.expected"
    printf '%b' "$stderr" >"$WORK/stderr.expected"
    [[ -z $any_stdout ]] || cp "$WORK/stdout" "$WORK/stdout.expected"
    if [[ $got == "$status" ]] && cmp -s "$WORK/stdout" "$WORK/stdout.expected" &&
        cmp -s "$WORK/stderr" "$WORK/stderr.expected"; then
        passed=$((passed + 1))
        return
    fi
    failed=$((failed + 1))
    echo "not ok: $label (arguments:$(printf ' [%q]' "$@" | head -c 300))"
    [[ $got == "$status" ]] || echo "  exit status $got, expected $status"
    local channel
    for channel in stdout stderr; do
        cmp -s "$WORK/$channel" "$WORK/$channel.expected" ||
            diff <(od -c "$WORK/$channel.expected" | head -20) <(od -c "$WORK/$channel" | head -20) |
            sed "s/^/  $channel: /"
    done
}

# lint [OPTION...] LABEL BYTES MODE STATUS FINDINGS STDERR [ARGUMENT...]
# A row of the list check: BYTES (printf %b) are written to a list of its own
# with MODE, and ./is_tovan-lint runs with the ARGUMENTs, or with that list
# alone; @ in an argument, in FINDINGS and in --says stands for the list's
# path.  FINDINGS are the lines of standard output, in order, each as
# FILE:LINE:CLASS, with - for the LINE of a finding about the list as a whole;
# every line must be printable ASCII.  Options:
#   --says LINE             standard output holds this whole line too (%b)
#   --unreadable            as for check, with the list as FILE
# What each finding says of a plain name, the tool answers for it, in the same
# loop: a name a line is said to name is "in" the list, and one it is said not
# to name, or not to hold, is "not in" it (for accounts that qualify without a
# list); an unknown account is unknown, a low id low, and root root.  A
# reading said to qualify is "not in" the list, and "in" it once the line the
# check suggests is added.
rows=0
lint() {
    local says=() unreadable=
    while [[ $1 == --* ]]; do
        case $1 in
        --says) says+=("$2"); shift 2 ;;
        --unreadable) unreadable=1; shift ;;
        esac
    done
    local label=$1 bytes=$2 mode=$3 status=$4 findings=$5 stderr=$6 row LC_ALL=C
    shift 6
    rows=$((rows + 1))
    row=row$rows
    stderr=${stderr//@/$row/list}
    mkdir -p "$row" && printf '%b' "$bytes" >"$row/list" && chmod "$mode" "$row/list"
    local arguments=("$@")
    ((${#arguments[@]})) || arguments=(@)
    arguments=("${arguments[@]//@/$row/list}")
    local before=$failed
    local prefix=() skipped_before=$skipped
    [[ -z $unreadable ]] || prefix=(--unreadable "$row/list")
    TOOL=./is_tovan-lint check "${prefix[@]}" --any-stdout "$label" "$status" '' "$stderr" "${arguments[@]}"
    ((skipped == skipped_before)) || return
    local got shape=() line file number class
    got=$(cat "$WORK/stdout")
    while IFS= read -r line; do
        if [[ $line =~ ^([^:]*):([0-9]+):\ (error|warning|note):\ [[:print:]]+$ ]] ||
            [[ $line =~ ^([^:]*)():\ (error|warning|note):\ [[:print:]]+$ ]]; then
            file=${BASH_REMATCH[1]} number=${BASH_REMATCH[2]:--} class=${BASH_REMATCH[3]}
            shape+=("${file//$row\/list/@}:$number:$class")
        else
            shape+=("not a finding: $(printf '%q' "$line")")
        fi
    done <<<"$got"
    [[ -n $got ]] || shape=()
    local expected=($findings) said
    if [[ "${shape[*]}" != "${expected[*]}" ]]; then
        echo "not ok: $label: findings [${shape[*]}], expected [${expected[*]}]"
        failed=$((failed + 1))
    fi
    for said in "${says[@]}"; do
        said=$(printf '%b' "${said//@/$row/list}")
        grep -qxF -- "$said" <<<"$got" || { echo "not ok: $label: no line [$said]"; failed=$((failed + 1)); }
    done
    ((failed == before)) || { printf '  %s\n' "$got" | head -20; return; }
    local claim name id plain='([A-Za-z0-9._#-]+)' agrees="agrees with the tool: $label"
    while IFS=$'\t' read -r claim file name id; do
        case $claim in
        in | out)
            "${environment[@]}" "${launcher[@]}" ./is_tovan "$name" </dev/null >/dev/null 2>&1 || continue
            if [[ $claim == in ]]; then
                TOOL=./is_tovan check --unchecked "$agrees: $name is in" 1 "user $name is in $file\n" '' -v "$name" "$file"
            else
                TOOL=./is_tovan check --unchecked "$agrees: $name is not in" 0 "user $name is not in $file\n" '' -v "$name" "$file"
            fi ;;
        unknown) TOOL=./is_tovan check --unchecked "$agrees: $name" 255 '' "unknown user: $name\n" -v "$name" "$file" ;;
        low) TOOL=./is_tovan check --unchecked "$agrees: $name" 1 "uid is low: $id\n" '' -v "$name" "$file" ;;
        root) TOOL=./is_tovan check --unchecked "$agrees: root" 1 'user is root\n' '' -v root "$file" ;;
        reads)
            # A reading said to qualify does, and the line suggested excludes it.
            TOOL=./is_tovan check --unchecked "$agrees: $name is not in" 0 "user $name is not in $file\n" '' \
                -v "$name" "$file"
            { cat "$file" && printf '\n%s\n' "$name"; } >"$file.mended"
            TOOL=./is_tovan check --unchecked "$agrees: $name, listed as suggested, is in" 1 \
                "user $name is in $file.mended\n" '' -v "$name" "$file.mended" ;;
        esac
    done < <(sed -nE -e "s/^([^:]*):[0-9]+: [a-z]+: .* names \"$plain\"\$/in\t\1\t\2/p" \
                 -e "s/^([^:]*):[0-9]+: [a-z]+: .*does not name \"$plain\"\$/out\t\1\t\2/p" \
                 -e "s/^([^:]*):[0-9]+: [a-z]+: .* back as \"$plain\", which the list does not hold: .*/out\t\1\t\2/p" \
                 -e "s/^([^:]*):[0-9]+: [a-z]+: no account \"$plain\" here: .*/unknown\t\1\t\2/p" \
                 -e "s/^([^:]*):[0-9]+: [a-z]+: \"$plain\" has id (-?[0-9]+), below 101: .*/low\t\1\t\2\t\3/p" \
                 -e "s/^([^:]*):[0-9]+: [a-z]+: \"root\" is excluded by its name, .*/root\t\1\troot/p" \
                 -e "s/^([^:]*):[0-9]+: [a-z]+: .*, and \"$plain\" qualifies\$/out\t\1\t\2/p" \
                 -e "s/^([^:]*):[0-9]+: [a-z]+: .* it reads as (the id of )?\"$plain\", which qualifies: list \"$plain\"\$/reads\t\1\t\4/p" \
                 -e "s/^([^:]*):[0-9]+: [a-z]+: .* it reads as (the id of )?\"$plain\", which line [0-9]+ names already\$/in\t\1\t\3/p" \
                 -e "s/^([^:]*):[0-9]+: [a-z]+: .* it reads as (the id of )?\"$plain\", which has id (-?[0-9]+), below 101: .*/low\t\1\t\3\t\4/p" \
                 -e "s/^([^:]*):[0-9]+: [a-z]+: .* it reads as \"root\", which is excluded by its name, .*/root\t\1\troot/p" <<<"$got")
}

# on BACKEND check ...: a case whose outcome depends on the user database's backend.
on() {
    [[ $1 == "$backend" ]] || return 0
    shift
    "$@"
}

source "$table"
echo "$(basename "$table") on $backend: $passed passed, $failed failed, $skipped skipped"
((failed == 0 && passed > 0))
