# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# fish completion for is_tovan-lint [-s] [--no-accounts] [--no-placement] [--]
# list...: each option not given yet, while only options stand before the
# word, and file names in every place.
function __is_tovan_lint_offers --description 'Whether only options stand before the word, and this one is not given'
    set -l words (commandline -opc)
    for word in $words[2..-1]
        contains -- $word -s --no-accounts --no-placement; or return 1
    end
    not contains -- $argv[1] $words
end
complete -c is_tovan-lint --force-files
complete -c is_tovan-lint -n '__is_tovan_lint_offers -s' -a -s -d 'Fail on warnings too'
complete -c is_tovan-lint -n '__is_tovan_lint_offers --no-accounts' -a --no-accounts -d 'Leave the user database out'
complete -c is_tovan-lint -n '__is_tovan_lint_offers --no-placement' -a --no-placement -d 'Leave mode, owner, folders and path out'
complete -c is_tovan-lint -n '__is_tovan_lint_offers --' -a -- -d 'End the options'
