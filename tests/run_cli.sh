#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Runs a table of command-line cases against the built tool and checks each
# case's exit status, standard output and standard error, byte for byte.
#
#   run_cli.sh --tool PATH --backend nss_wrapper|files --table FILE
#              [--env NAME=VALUE]... [--launcher WORD]...
#
# nss_wrapper: the --env settings (from tests/CMakeLists.txt) make the tool's
# user database tests/data/passwd, after the module that finds ldapbob
# whatever the case (nss_anycase.cpp).
# files: the launcher (qemu with a sysroot) already serves that same passwd.
set -u

tool= backend= table= settings=() launcher=()
while (($#)); do
    case $1 in
    --tool) tool=$2; shift 2 ;;
    --backend) backend=$2; shift 2 ;;
    --table) table=$2; shift 2 ;;
    --env) settings+=("$2"); shift 2 ;;
    --launcher) launcher+=("$2"); shift 2 ;;
    *) echo "run_cli.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done
[[ -x $tool && -r $table && ($backend == files || ($backend == nss_wrapper && ${#settings[@]} -gt 0)) ]] || {
    echo "run_cli.sh: needs --tool, --table and --backend nss_wrapper (with --env) or files" >&2
    exit 2
}

WORK=$(mktemp -d)
trap 'chmod -R u+rwx "$WORK"; rm -rf "$WORK"' EXIT
cp "$tool" "$WORK/is_tovan"
cd "$WORK" || exit 2

environment=()
((${#settings[@]})) && environment=(env "${settings[@]}")

# Root reads files whatever their mode; without these capabilities it cannot.
without_read_override=()
if ((EUID == 0)); then
    command -v setpriv >/dev/null || { echo "FAIL: setpriv (util-linux) is needed as root" >&2; exit 1; }
    without_read_override=(setpriv --bounding-set=-dac_override,-dac_read_search --)
fi

passed=0 failed=0

# check [OPTION...] LABEL STATUS STDOUT STDERR [ARGUMENT...]
# STDOUT and STDERR take printf %b escapes (\n).  Options:
#   --unreadable-for-root   run without root's power to read any file
#   --stdin-pipe TEXT       standard input is a pipe that carries TEXT
#   --stdout-to FILE|closed standard output goes there instead (nothing is captured)
#   --stderr-closed         standard error is closed (nothing is captured)
check() {
    local prefix=() stdin_pipe= stdout_to= stderr_closed=
    while [[ $1 == --* ]]; do
        case $1 in
        --unreadable-for-root) prefix=("${without_read_override[@]}"); shift ;;
        --stdin-pipe) stdin_pipe=$2; shift 2 ;;
        --stdout-to) stdout_to=$2; shift 2 ;;
        --stderr-closed) stderr_closed=1; shift ;;
        esac
    done
    local label=$1 status=$2 stdout=$3 stderr=$4
    shift 4
    : >"$WORK/stdout"
    : >"$WORK/stderr"
    (
        case $stdout_to in
        '') exec >"$WORK/stdout" ;;
        closed) exec >&- ;;
        *) exec >"$stdout_to" ;;
        esac
        if [[ -n $stderr_closed ]]; then exec 2>&-; else exec 2>"$WORK/stderr"; fi
        command=("${prefix[@]}" "${environment[@]}" "${launcher[@]}" ./is_tovan "$@")
        if [[ -n $stdin_pipe ]]; then
            printf '%b' "$stdin_pipe" | "${command[@]}"
        else
            exec "${command[@]}" </dev/null
        fi
    )
    local got=$?
    printf '%b' "$stdout" >"$WORK/stdout.expected"
    printf '%b' "$stderr" >"$WORK/stderr.expected"
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

# on BACKEND check ...: a case whose outcome depends on the user database's backend.
on() {
    [[ $1 == "$backend" ]] || return 0
    shift
    "$@"
}

source "$table"
echo "$(basename "$table") on $backend: $passed passed, $failed failed"
((failed == 0 && passed > 0))
