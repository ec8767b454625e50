# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# fish completion for is_tovan-lint [-s] list...: -s in the first place, and
# file names in every place.
complete -c is_tovan-lint --force-files
complete -c is_tovan-lint -n 'test (count (commandline -opc)) -eq 1' -a -s -d 'Fail on warnings too'
