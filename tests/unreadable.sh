# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Sourced by the tests that need a file nobody can read, and that count rows
# (passed, failed, skipped).  Root reads files
# whatever their mode; a program started through without_read_override
# cannot.  The powers go from the inheritable and ambient sets too, not only
# from the bounding set: where root's inheritable set is full (containers are
# often started so), a program root starts would get them back from it.
# Not root, the array is empty and the file's mode does the work.
without_read_override=()
if ((EUID == 0)); then
    command -v setpriv >/dev/null || { echo "FAIL: setpriv (util-linux) is needed as root" >&2; exit 1; }
    read_override=-dac_override,-dac_read_search
    without_read_override=(setpriv --inh-caps="$read_override" --ambient-caps="$read_override"
                           --bounding-set="$read_override" --)
fi

# unreadable FILE: true where FILE really cannot be read without those powers,
# so that a row that needs an unreadable file never answers for a readable one.
unreadable() {
    ! "${without_read_override[@]}" cat -- "$1" >/dev/null 2>&1
}

# skip_row LABEL REASON: a row that cannot be run here says so, and is counted.
skip_row() {
    echo "SKIPPED ROW: '$1': $2"
    skipped=$((skipped + 1))
}
