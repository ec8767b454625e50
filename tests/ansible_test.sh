#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# The list check as a real configuration manager runs it: Ansible's
# ansible.builtin.copy with `validate:`, locally, as an unprivileged user
# (nobody, when run as root), with its home and temporary folders in this
# test's own.  Each case copies a new list over the live one: the check must
# refuse the bad ones, with its findings and nothing on standard error, and
# leave the live list byte for byte as it was; a clean one is installed.  The
# check runs as the manual gives it, on the temporary copy: --no-placement.  The
# check reads the tests' user database (nss_wrapper), through a wrapper.
#   ansible_test.sh ANSIBLE-PLAYBOOK LINT NSS_WRAPPER PASSWD GROUP
set -u
playbook=$1 lint=$2 nss_wrapper=$3 passwd=$4 group=$5
work=$(mktemp -d /tmp/is_tovan_ansible.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
umask 022
mkdir home new live
cp "$lint" is_tovan-lint && cp "$passwd" passwd && cp "$group" group || exit 2
# A build with coverage writes its counts where this test can, not into the build folder.
cat >lint <<EOF
#!/bin/sh
exec env LD_PRELOAD='$nss_wrapper' NSS_WRAPPER_PASSWD='$work/passwd' NSS_WRAPPER_GROUP='$work/group' \\
    GCOV_PREFIX='$work/counts' '$work/is_tovan-lint' "\$@"
EOF
chmod 755 lint
cat >play.yml <<'EOF'
- hosts: localhost
  connection: local
  gather_facts: false
  tasks:
    - ansible.builtin.copy:
        src: "{{ src }}"
        dest: "{{ live }}"
        validate: "{{ lint }} {{ strict }} --no-placement %s"
      register: result
      ignore_errors: true
    - ansible.builtin.copy:
        content: "{{ result | to_json }}"
        dest: "{{ report }}"
EOF
printf 'bob\nmallory\n' >live/list
as_user=()
if ((EUID == 0)); then
    as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --)
    chown -R nobody "$work"
fi

passed=0 failed=0
# case LABEL BYTES STRICT REFUSED FINDINGS: BYTES (printf %b) copied over the
# live list with the check, strict or not; REFUSED is true or false; FINDINGS
# (%b) its standard output, with @ for the file it was given.
case_() {
    local label=$1 bytes=$2 strict=$3 refused=$4 findings=$5 n=$((passed + failed)) before got
    printf '%b' "$bytes" >"new/$n" && chmod 644 "new/$n"
    before=$(od -c live/list)
    "${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$work/home" USER=nobody ANSIBLE_LOCAL_TEMP="$work/tmp" \
        ANSIBLE_REMOTE_TEMP="$work/remote" ANSIBLE_NOCOLOR=1 ANSIBLE_LOCALHOST_WARNING=false \
        ANSIBLE_INVENTORY_UNPARSED_WARNING=false ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3 \
        "$playbook" -i localhost, -e "src=$work/new/$n" -e "live=$work/live/list" -e "lint=$work/lint" \
        -e "strict=$strict" -e "report=$work/report$n.json" "$work/play.yml" >"ansible$n.log" 2>&1
    local status=$?
    # The validation's outcome, its status, and both its channels, the file named @.
    got=$(/usr/bin/python3 -c 'import json, re, sys
r = json.load(open(sys.argv[1]))
out = re.sub(r"^/[^:]*/source:", "@:", r.get("stdout", ""), flags=re.M)
print(str(r.get("failed", False)).lower(), r.get("msg", ""), r.get("exit_status", ""), repr(r.get("stderr", "")))
sys.stdout.write(out)' "report$n.json" 2>&1)
    local expected
    expected=$(if [[ $refused == true ]]; then echo "true failed to validate 1 ''"; else echo "false   ''"; fi
                printf '%b' "$findings")
    local live_ok=yes
    if [[ $refused == true ]]; then
        [[ $(od -c live/list) == "$before" ]] || live_ok=no
    else
        cmp -s live/list "new/$n" || live_ok=no
    fi
    if ((status == 0)) && [[ $got == "$expected" && $live_ok == yes ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "not ok: $label: ansible-playbook exited $status; the live list is as expected: $live_ok"
        diff <(printf '%s\n' "$expected") <(printf '%s\n' "$got") | sed 's/^/  /'
        tail -5 "ansible$n.log" | sed 's/^/  ansible: /'
    fi
}

#     label                      bytes                     strict refused findings
case_ 'a CR LF line'             'bob\nalice\r\n'          ''     true    '@:2: error: "alice\\r" ends with a carriage return, which the tool keeps: it does not name "alice"\n'
case_ 'an unknown account, strict' 'bob\nbbo\n'            -s     true    '@:2: warning: no account "bbo" here: a typo, or an account only other hosts have\n'
case_ 'an unknown account'       'bob\nbbo\n'              ''     false   ''
case_ 'a line too long'          "$(printf 'x%.0s' {1..127})alice\\n" -s true '@:1: error: a line of 132 bytes: the tool reads it as 2 pieces of at most 127 bytes, each as if it began a line\n@:1: note: piece 1 names "'"$(printf 'x%.0s' {1..127})"'"\n@:1: note: piece 2 names "alice"\n'
case_ 'a clean list'             'bob\nalice\n'            -s     false   ''
echo "ansible: $passed passed, $failed failed"
((failed == 0 && passed > 0))
