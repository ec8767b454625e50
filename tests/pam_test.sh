#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# The shipped PAM wrapper as an account rule on a real PAM stack: pamtester
# under pam_wrapper, with a service folder of its own, runs Linux-PAM's
# pam_exec, which runs the wrapper, which runs the tool.  pam_exec hands the
# wrapper PAM's environment only, so the tests' user database (nss_wrapper)
# travels in it.  Each case checks pamtester's status and both its channels.
#   pam_test.sh TOOL WRAPPER-TEMPLATE PAMTESTER LIBPAM_WRAPPER PAM_EXEC [NAME=VALUE]...
set -u
tool=$1 template=$2 pamtester=$3 pam_wrapper=$4 pam_exec=$5
shift 5
source "$(dirname "${BASH_SOURCE[0]}")/unreadable.sh"
work=$(mktemp -d)
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
cd "$work" || exit 2
sed "s|@IS_TOVAN_TOOL@|$tool|" "$template" >is_tovan-pam && chmod 755 is_tovan-pam || exit 2
mkdir services lists
printf 'bob\n' >lists/names
: >lists/empty
ln -s nowhere lists/dangling
printf 'bob\n' >lists/locked
chmod 000 lists/locked
pam_environment=()
for setting in "$@"; do pam_environment+=(-E "$setting"); done
passed=0 failed=0 skipped=0
let_in='pamtester: account management done.\n' refused='pamtester: System error\n'
# check LABEL STATUS STDOUT STDERR USER WRAPPER-ARGUMENT...: STDOUT and STDERR
# take printf %b escapes; each case is a service of its own.
check() {
    local label=$1 status=$2 stdout=$3 stderr=$4 user=$5 service=case$((passed + failed))
    shift 5
    printf 'account requisite %s quiet %s %s\n' "$pam_exec" "$work/is_tovan-pam" "$*" >"services/$service"
    "${without_read_override[@]}" env LD_PRELOAD="$pam_wrapper" PAM_WRAPPER=1 PAM_WRAPPER_SERVICE_DIR="$work/services" \
        PAM_WRAPPER_USE_SYSLOG=1 "$pamtester" "${pam_environment[@]}" "$service" "$user" acct_mgmt \
        >stdout 2>stderr </dev/null
    local got=$?
    if [[ $got == "$status" ]] && cmp -s stdout <(printf '%b' "$stdout") && cmp -s stderr <(printf '%b' "$stderr"); then
        passed=$((passed + 1))
        return
    fi
    failed=$((failed + 1))
    echo "not ok: $label: status $got, expected $status; stdout [$(<stdout)]; stderr [$(<stderr)]"
}

#     label                             status stdout    stderr   user     the wrapper's arguments
check 'a qualifying account'               0 "$let_in"   ''       alice    "$work/lists/names"
check 'an empty list lets everyone in'     0 "$let_in"   ''       bob      "$work/lists/empty"
check 'the lowest ordinary id'             0 "$let_in"   ''       lowest   "$work/lists/names"
check 'root'                               1 ''          "$refused" root   "$work/lists/names"
check 'a low id'                           1 ''          "$refused" hundred "$work/lists/names"
check 'id 0 under another name'            1 ''          "$refused" toor   "$work/lists/names"
check 'a listed account'                   1 ''          "$refused" bob    "$work/lists/names"
check 'an unknown account'                 1 ''          "$refused" nobody-here "$work/lists/names"
check 'a missing list refuses'            1 ''          "$refused" alice  "$work/lists/missing"
check 'a dangling link refuses'            1 ''          "$refused" alice  "$work/lists/dangling"
# The locked list does not name alice: read after all, it would let her in.
if unreadable lists/locked; then
    check 'an unreadable list refuses'     1 ''          "$refused" alice  "$work/lists/locked"
else
    skip_row 'an unreadable list refuses' "lists/locked can still be read without root's power to read any file"
fi
check 'a folder as the list refuses'       1 ''          "$refused" alice  "$work/lists"
check 'no list named refuses'              1 ''          "$refused" alice
check 'a relative list path refuses'       1 ''          "$refused" alice  lists/names
echo "pam: $passed passed, $failed failed, $skipped skipped"
((failed == 0))
