# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# fish completion for is_tovan [-v] user [file]: -v in the first place, a user
# name in the user's place, a file name in the list's place.
function __is_tovan_place --description 'Whether the word being typed is in the place given'
    set -l words (commandline -opc)
    set -l place (count $words)
    test $place -gt 1 -a "$words[2]" = -v; and set place (math $place - 1)
    test $place -eq $argv[1]
end
complete -c is_tovan --no-files
complete -c is_tovan -n 'test (count (commandline -opc)) -eq 1' -a -v -d 'Say why'
complete -c is_tovan -n '__is_tovan_place 1' -a '(__fish_complete_users)'
complete -c is_tovan -n '__is_tovan_place 2' --force-files
