#!/usr/bin/env bash
# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Completes each row's words in the real shell, with the completion files
# given, the tool's and the list check's, and checks what it offers.  User
# names come from the tests' own passwd: CTest runs it under nss_wrapper.
#   completion_test.sh bash|zsh|fish TOOL-COMPLETION LINT-COMPLETION
set -u
shell=$1 file=$(realpath "$2") lint_file=$(realpath "$3") command=is_tovan
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/here/lists" && cd "$work/here" && touch lists/names lists/others || exit 2

# offers_SHELL WORD...: what the shell offers for the last word, one a line.
offers_bash() {
    source "$file"
    source "$lint_file"
    COMP_WORDS=("$command" "$@")
    COMP_CWORD=$#
    "_${command//-/_}"
    printf '%s\n' "${COMPREPLY[@]}"
}
offers_fish() {
    fish --no-config -c 'source $argv[1]; source $argv[2]; complete -C (string join -- " " $argv[3..])' \
        "$file" "$lint_file" "$command" "$@" | cut -f1
}
# zsh completes only in its line editor: an interactive zsh on a pseudo
# terminal types the words and a tab, and compadd writes down what it adds.
# File names come without the folder typed.
offers_zsh() {
    : >"$work/offered"
    zsh -f -c '
        zmodload zsh/zpty
        zpty z zsh -f -i
        zpty -w z "fpath=(${(q)1} \$fpath); autoload -Uz compinit; compinit -u -D; LISTMAX=1000"
        zpty -w z "compadd() { if ((\${@[(I)-[OAD]]})); then builtin compadd \"\$@\"; return; fi
            local -a added; builtin compadd -O added \"\$@\"; ((\$#added)) && print -rl -- \$added >>${(q)2}
            builtin compadd \"\$@\"; }"
        zpty -w z "PS1=\"REA\"\"DY> \""
        zpty -r z line "*READY> "
        zpty -w -n z "${(j: :)@[3,-1]}"$'\''\t'\''
        zpty -w z $'\''\C-u'\''"print DO\"\"NE"
        zpty -r z line "*DONE*"' zsh "$(dirname "$file")" "$work/offered" "$command" "$@"
    local last=${!#} folder=
    [[ $last == */* ]] && folder=${last%/*}/
    sed "s|^|$folder|" "$work/offered"
}

passed=0 failed=0
# row EXPECTED WORD...: the last word is the one being completed; a folder
# offered counts without its final slash.
row() {
    local expected=$1 got
    shift
    got=$(offers_"$shell" "$@" | sed 's|/$||' | sort -u | paste -sd' ' -)
    if [[ $got == "$expected" ]]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "not ok: $command $*<TAB>: got [$got], expected [$expected]"
    fi
}

users='alice bob half hundred lowest mary-jo.smith toor top wrapped'
#   offered                     words typed
row "-v $users"                 ''
row "-v $users"                 -v ''      # the test database's user named -v too
row '-v'                        -
row '-v'                        -v
row 'alice'                     al
row 'half hundred'              h
row 'bob'                       -v b
row '-v'                        -v -
row 'lists'                     alice ''
row 'lists'                     alice li
row 'lists/names lists/others'  alice lists/
row 'lists/names'               -v alice lists/n
row ''                          alice lists/names ''
row ''                          -v alice lists/names ''
command=is_tovan-lint
options='-- --no-accounts --no-placement -s'
row "$options lists"            ''
row "$options"                  -
row '--no-accounts --no-placement' --no
row '-- --no-accounts --no-placement lists' -s ''
row '-- --no-accounts -s'       --no-placement -
row '-- -s'                     --no-placement --no-accounts -
row 'lists'                     -- ''
row 'lists/names lists/others'  lists/
row 'lists'                     lists/names ''
row 'lists/names'               -s lists/names lists/n
echo "completion ($shell): $passed passed, $failed failed"
((failed == 0))
