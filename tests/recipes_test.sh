#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# The list check in the recipes the manual gives, each run by its real tool,
# as an unprivileged user (nobody, when run as root), in this test's own
# folder: Puppet's validate_cmd and CFEngine's staging, on a temporary copy
# (--no-placement), and for a repository of lists, the git pre-commit hook
# shipped with the check and the pre-commit framework's hook
# (.pre-commit-hooks.yaml).  Each case offers a list: a bad one must be
# refused, its finding shown, and the live list (or the last commit) left as
# it was; a good one installed (or committed).  The check reads the tests'
# user database (nss_wrapper), through a wrapper.  Where the recipe's tool is
# missing, it says so and counts as skipped (status 77).
#   recipes_test.sh puppet|cfengine|git-hook|pre-commit LINT SOURCE NSS_WRAPPER PASSWD GROUP
set -u
recipe=$1 lint=$2 source=$3 nss_wrapper=$4 passwd=$5 group=$6
skip() { echo "SKIPPED: $*"; exit 77; }
case $recipe in
puppet) command -v puppet >/dev/null || skip "no puppet (Debian package puppet)" ;;
cfengine) command -v cf-agent >/dev/null || skip "no cf-agent (Debian package cfengine3)" ;;
git-hook) command -v git >/dev/null || skip "no git (Debian package git)" ;;
pre-commit) command -v pre-commit >/dev/null && command -v git >/dev/null ||
    skip "no pre-commit or git (Debian packages pre-commit git)" ;;
*) echo "recipes_test.sh: unknown recipe $recipe" >&2; exit 2 ;;
esac
work=$(mktemp -d /tmp/is_tovan_recipe.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
umask 022
mkdir bin home live new lists
cp "$lint" bin/is_tovan-lint.real && cp "$passwd" passwd && cp "$group" group || exit 2
# The check by its full path, as Puppet asks; a build with coverage writes
# its counts where this test can.
cat >bin/is_tovan-lint <<WRAPPER
#!/bin/sh
exec env LD_PRELOAD='$nss_wrapper' NSS_WRAPPER_PASSWD='$work/passwd' NSS_WRAPPER_GROUP='$work/group' \\
    GCOV_PREFIX='$work/counts' '$work/bin/is_tovan-lint.real' "\$@"
WRAPPER
chmod 755 bin/is_tovan-lint
printf 'bob\nmallory\n' >live/list
as_user=()
if ((EUID == 0)); then
    as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --)
fi
# run COMMAND...: as that user, with only this test's folders and the check
# on PATH; what this script wrote becomes that user's first.
run() {
    [[ ${#as_user[@]} == 0 ]] || chown -R "nobody:$(id -g nobody)" "$work"
    "${as_user[@]}" env -i PATH="$work/bin:/usr/bin:/bin" HOME="$work/home" LC_ALL=C.UTF-8 "$@"
}

passed=0 failed=0
# verdict LABEL EXPECTED GOT FINDING LOG: EXPECTED and GOT are "refused" or
# "installed"; the log must hold FINDING, or no finding at all where it is ''.
verdict() {
    local label=$1 expected=$2 got=$3 finding=$4 log=$5 shown=yes
    if [[ -n $finding ]]; then
        grep -qF -- "$finding" "$log" || shown=no
    else
        ! grep -qE ': (error|warning): ' "$log" || shown=no
    fi
    if [[ $got == "$expected" && $shown == yes ]]; then
        passed=$((passed + 1))
        return
    fi
    failed=$((failed + 1))
    echo "not ok: $label: $got, expected $expected; the finding shown: $shown"
    tail -15 "$log" | sed 's/^/  /'
}
# A validate recipe refuses a list when the live one is still as it was and
# the new one is not; it installs it when the live one is now the new one.
outcome() { # outcome NEW BEFORE
    if cmp -s live/list "$1"; then
        echo installed
    elif [[ $(od -c live/list) == "$2" ]]; then
        echo refused
    else
        echo "neither: the live list changed to something else"
    fi
}

# Puppet: a file resource with validate_cmd, as the manual gives it, but for
# the paths; --detailed-exitcodes tells a refusal (4) from a change (2).
offer_puppet() { # offer_puppet LABEL BYTES EXPECTED FINDING
    local n=$((passed + failed)) before status
    printf '%b' "$2" >"new/$n"
    before=$(od -c live/list)
    run puppet apply --confdir "$work/puppet/conf" --vardir "$work/puppet/var" --codedir "$work/puppet/code" \
        --logdir "$work/puppet/log" --rundir "$work/puppet/run" --publicdir "$work/puppet/public" \
        --color=false --detailed-exitcodes \
        -e "file { '$work/live/list':
              source       => '$work/new/$n',
              validate_cmd => '$work/bin/is_tovan-lint --no-placement %',
            }" >"puppet$n.log" 2>&1
    status=$?
    local got
    got=$(outcome "new/$n" "$before")
    case $got/$status in
    refused/4 | installed/2) ;;
    *) got="$got, with status $status" ;;
    esac
    verdict "$1" "$3" "$got" "$4" "puppet$n.log"
}

# CFEngine has no validate hook: the new list goes to a staging file, the
# check runs on it in a commands promise that sets a class, and the staging
# file is copied to the live path only under that class.
offer_cfengine() { # offer_cfengine LABEL BYTES EXPECTED FINDING
    local n=$((passed + failed)) before
    printf '%b' "$2" >"new/$n"
    before=$(od -c live/list)
    rm -rf "$work/cfengine" && mkdir -p "$work/cfengine/bin" &&
        ln -s "$(command -v cf-promises)" "$work/cfengine/bin/cf-promises" || return 2
    sed -e "s|@NEW@|$work/new/$n|" -e "s|@LIVE@|$work/live/list|" -e "s|@LINT@|$work/bin/is_tovan-lint|" \
        >policy.cf <<'POLICY'
body common control
{
  bundlesequence => { "is_tovan_list" };
}

bundle agent is_tovan_list
{
  vars:
      "new" string => "@NEW@";
      "live" string => "@LIVE@";
      "staging" string => "$(live).staging";

  files:
      "$(staging)"
        copy_from => is_tovan_copy("$(new)");
    is_tovan_list_checked::
      "$(live)"
        copy_from => is_tovan_copy("$(staging)");

  commands:
      "@LINT@ --no-placement $(staging)"
        classes => is_tovan_passed("is_tovan_list_checked");
}

body copy_from is_tovan_copy(from)
{
  source => "$(from)";
  compare => "digest";
}

body classes is_tovan_passed(class)
{
  promise_repaired => { "$(class)" };
  promise_kept => { "$(class)" };
}
POLICY
    chmod 600 policy.cf
    # Its own work folder: the machine's policy and state stay as they are.
    run cf-agent --no-lock --inform --workdir "$work/cfengine" --file "$work/policy.cf" >"cfengine$n.log" 2>&1
    verdict "$1" "$3" "$(outcome "new/$n" "$before")" "$4" "cfengine$n.log"
}

# A repository of lists under lists/, with the hook shipped with the check,
# made executable.  A commit is refused when it fails and the last commit
# stays; a list is committed when the commit holds its staged bytes.
setup_git() {
    run git init -q repository && cd repository || return 2
    run git config user.name test && run git config user.email test@is-tovan.example.org
    mkdir lists && printf 'bob\n' >lists/old.exceptions && run git add lists &&
        run git commit -q -m 'the lists' || return 2
    cp "$source/examples/is_tovan-lint-pre-commit" .git/hooks/pre-commit && chmod 755 .git/hooks/pre-commit
}
commit() { # commit LABEL EXPECTED FINDING PATH: commits what is staged
    local n=$((passed + failed)) before got
    before=$(run git rev-parse HEAD)
    run git commit -q -m "case $n" >"$work/git$n.log" 2>&1
    if [[ $(run git rev-parse HEAD) == "$before" ]]; then
        got=refused
    elif run git show "HEAD:$4" | cmp -s - <(run git show ":$4"); then
        got=installed
    else
        got="neither: the commit holds other bytes"
    fi
    verdict "$1" "$2" "$got" "$3" "$work/git$n.log"
    run git reset -q --hard HEAD
}

# The pre-commit framework, with the hook this project ships, from a
# repository of its own, on a repository of lists.
setup_pre_commit() {
    run git init -q hooks && cp "$source/.pre-commit-hooks.yaml" hooks/ && (cd hooks && run git add . &&
        run git -c user.name=test -c user.email=test@is-tovan.example.org commit -q -m hooks) || return 2
    run git init -q repository && mkdir repository/lists || return 2
}
offer_pre_commit() { # offer_pre_commit LABEL BYTES EXPECTED FINDING
    local n=$((passed + failed)) status
    printf '%b' "$2" >repository/lists/site.exceptions
    (cd repository && run git add lists &&
        run env PRE_COMMIT_HOME="$work/cache" pre-commit try-repo "$work/hooks" is_tovan-lint \
            --files lists/site.exceptions) >"pre-commit$n.log" 2>&1
    status=$?
    local got=installed
    ((status == 0)) || got=refused
    verdict "$1" "$3" "$got" "$4" "pre-commit$n.log"
}

case $recipe in
puppet | cfengine)
    offer=offer_${recipe}
    #      label                     bytes              expected   finding
    $offer 'a CR LF line'            'bob\nalice\r\n'   refused    ':2: error: "alice\r" ends with a carriage return, which the tool keeps: it does not name "alice"'
    $offer 'in capitals'             'Alice\n'          refused    ':1: error: "Alice" is no account; it reads as "alice", which qualifies: list "alice"'
    $offer 'a clean list'            'bob\nalice\n'     installed  '' ;;
git-hook)
    setup_git || exit 2
    printf 'bob\r\n' >lists/new.exceptions && run git add lists && printf 'bob\n' >lists/new.exceptions
    commit 'a CR LF list staged, then mended on disk' refused \
        'lists/new.exceptions:1: error: "bob\r" ends with a carriage return' lists/new.exceptions
    run git mv lists/old.exceptions lists/renamed.exceptions && printf 'bob\r\n' >lists/renamed.exceptions &&
        run git add lists
    commit 'a rename with a CR LF edit' refused \
        'lists/renamed.exceptions:1: error: "bob\r" ends with a carriage return' lists/renamed.exceptions
    printf 'fleetonly\n' >lists/fleet.exceptions && run git add lists
    commit 'an account only the servers have' installed '' lists/fleet.exceptions
    chmod 775 lists && printf 'alice\n' >lists/shared.exceptions && chmod 664 lists/shared.exceptions &&
        run git add lists
    commit 'a group-writable checkout' installed '' lists/shared.exceptions ;;
pre-commit)
    setup_pre_commit || exit 2
    offer_pre_commit 'a CR LF line'      'bob\r\n'          refused    'lists/site.exceptions:1: error: "bob\r" ends with a carriage return'
    offer_pre_commit 'an account only the servers have' 'fleetonly\n' installed ''
    offer_pre_commit 'a clean list'      'alice\n'          installed  '' ;;
esac
echo "$recipe: $passed passed, $failed failed"
((failed == 0 && passed > 0))
