#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# The shipped example unit on a real systemd: a container booted by
# systemd-nspawn from this machine's own /usr, with a fresh /etc and /var, the
# tests' passwd and group, the built tool and the unit bound read-only into
# it.  There this script runs again, as the one unit the container boots
# into: it starts the example unit once for each row of the table below, with
# the list given, notes what the tool answers and what systemd made of it,
# and powers the container off.  Each row checks the tool's status and both
# its channels, the unit's state and result, and whether the job ran, was
# skipped or failed.
# Needs root; where the container cannot be booted, it says so and counts as
# skipped (status 77).  It leaves nothing on this machine: no unit, no
# machine registered, no mount.
#   systemd_test.sh TOOL UNIT-TEMPLATE PASSWD GROUP
set -u
unit=is_tovan-job@.service
list=/etc/is_tovan.exceptions
# The tool's status, standard output and standard error (as bash's %q shows
# them), run as the unit runs it; then what systemd made of it.
#      account  list    status  out  err                                    state/result      job
cases="alice    names   0       ''   ''                                     inactive/success  ran
       bob      names   1       ''   ''                                     inactive/success  skipped
       hundred  names   1       ''   ''                                     inactive/success  skipped
       root     names   1       ''   ''                                     inactive/success  skipped
       nobody-here names 255    ''   \$'unknown user: nobody-here\\n'        failed/exit-code  failed
       mary-jo.smith names 0    ''   ''                                     inactive/success  ran
       alice    none    0       ''   ''                                     failed/exit-code  failed
       bob      empty   0       ''   ''                                     inactive/success  ran
       alice    folder  255     ''   \$'cannot read list: Is a directory\\n' failed/exit-code  failed"

if [[ ${1-} == --inside ]]; then
    shown() { # shown FILE: its bytes, trailing newlines too, as %q quotes them
        local text
        text=$(cat "$1" && echo .)
        printf '%q' "${text%.}"
    }
    # In the container: one line a case, as the table has it.
    while read -r account what _; do
        rm -rf "$list"
        case $what in
        names) printf 'bob\n' >"$list" ;;
        folder) mkdir "$list" ;;
        empty) : >"$list" ;;
        esac
        /is_tovan/bin/is_tovan "$account" "$list" >/run/out 2>/run/err
        status=$?
        instance=${unit/@/@$(systemd-escape "$account")}
        systemctl start "$instance" 2>/dev/null
        journalctl --sync
        # A unit that ends well is unloaded at once: its own messages tell.
        said=$(journalctl --cursor-file=/run/cursor -o cat -u "$instance")
        case $said in
        *"Skipped due to 'exec-condition'"*) job=skipped ;;
        *"Failed with result"*) job=failed ;;
        *"Deactivated successfully"*) job=ran ;;
        *) job="unknown: $said" ;;
        esac
        state=$(systemctl show -p ActiveState --value "$instance")/$(systemctl show -p Result --value "$instance")
        printf '%s %s %s %s %s %s %s\n' "$account" "$what" "$status" "$(shown /run/out)" "$(shown /run/err)" \
            "$state" "$job"
        systemctl reset-failed "$instance" 2>/dev/null
    done <<<"$cases" >/results/table
    exit 0
fi

tool=$1 template=$2 passwd=$3 group=$4
skip() { echo "SKIPPED: $*"; exit 77; }
((EUID == 0)) || skip "booting a container needs root"
command -v systemd-nspawn >/dev/null || skip "no systemd-nspawn (Debian package systemd-container)"
[[ -x /lib/systemd/systemd || -x /usr/lib/systemd/systemd ]] || skip "no systemd (Debian package systemd)"
work=$(mktemp -d)
mounts=$(wc -l </proc/self/mountinfo)
# The empty folders nspawn leaves in /run, where they were not before.
left=()
for folder in /run/systemd/nspawn /run/systemd/nspawn-root; do [[ -d $folder ]] || left+=("$folder"); done
cleanup() {
    rm -rf "$work"
    ((${#left[@]} == 0)) || find "${left[@]}" -depth -type d -empty -delete 2>/dev/null
}
trap cleanup EXIT
mkdir -p "$work/units" "$work/results"
# The example, naming the tool where the container has it; and this script
# as the unit the container boots into.
sed 's|@IS_TOVAN_TOOL@|/is_tovan/bin/is_tovan|' "$template" >"$work/units/$unit" || exit 2
cat >"$work/units/is_tovan-test.service" <<EOF || exit 2
[Unit]
Description=is_tovan's systemd test
SuccessAction=poweroff-force
FailureAction=poweroff-force

[Service]
Type=oneshot
ExecStart=/bin/bash /is_tovan/systemd_test.sh --inside
EOF
timeout 100 systemd-nspawn --quiet --directory=/ --volatile=yes --register=no --keep-unit \
    --machine="is-tovan-test-$$" --bind-ro="$work/units:/etc/systemd/system" \
    --bind-ro="$passwd:/etc/passwd" --bind-ro="$group:/etc/group" --bind-ro="$tool:/is_tovan/bin/is_tovan" \
    --bind-ro="$(realpath "$0"):/is_tovan/systemd_test.sh" --bind="$work/results:/results" \
    --boot systemd.firstboot=off systemd.unit=is_tovan-test.service >"$work/console" 2>&1
booted=$?
if [[ ! -s $work/results/table ]]; then
    tail -20 "$work/console"
    skip "the container did not boot here (systemd-nspawn exited with $booted)"
fi

passed=0 failed=0
while read -r expected && read -r got <&3; do
    if [[ $(tr -s ' ' <<<"$expected") == "$(tr -s ' ' <<<"$got")" ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "not ok: expected: $expected"
        echo "             got: $got"
    fi
done <<<"$(sed 's/^ *//' <<<"$cases")" 3<"$work/results/table"
rows=$(wc -l <"$work/results/table")
expected_rows=$(wc -l <<<"$cases")
((rows == expected_rows)) || { echo "not ok: $rows rows, not $expected_rows"; failed=$((failed + 1)); }
cat "$work/results/table"
(($(wc -l </proc/self/mountinfo) == mounts)) || { echo "not ok: a mount was left"; failed=$((failed + 1)); }
echo "systemd: $passed passed, $failed failed"
((failed == 0))
