# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Hostile and odd inputs: every one gets its documented answer, and none
# turns into "qualifies" when the tool could not tell.  Sourced by run_cli.sh.
mkdir lists
printf 'bob\nalice\n' >lists/names
mkfifo lists/fifo
ln -s loop lists/loop
head -c 1000000 /dev/zero >lists/zeros
# One line of 100 MB without a newline; then the name as its last piece.
head -c $((127 * 787402)) /dev/zero | tr '\0' x >lists/long
cp lists/long lists/long-named
printf alice >>lists/long-named
long_component=$(printf 'n%.0s' {1..300})
long_name=$(printf 'u%.0s' {1..102400})

#     label                          status stdout                               stderr                     arguments
printf 'bob\nalice\n' >lists/fifo &
check 'FIFO with a writer'               1 'user alice is in lists/fifo\n'       ''                         -v alice lists/fifo
wait
printf 'bob\ncarol\n' >lists/fifo &
check 'FIFO read to its end'             0 'user alice is not in lists/fifo\n'   ''                         -v alice lists/fifo
wait
check '/dev/null'                        0 'user alice is not in /dev/null\n'    ''                         -v alice /dev/null
check --stdin-pipe 'bob\nalice\n' '/dev/stdin from a pipe' \
                                         1 'user alice is in /dev/stdin\n'       ''                         -v alice /dev/stdin
check --stdin-pipe 'bob\n' '/dev/stdin, not listed' \
                                         0 'user alice is not in /dev/stdin\n'   ''                         -v alice /dev/stdin
check 'process substitution'             1 ''                                    ''                         alice <(printf 'bob\nalice\n')
check 'NUL bytes only'                   0 'user alice is not in lists/zeros\n'  ''                         -v alice lists/zeros
check '100 MB line'                      0 'user alice is not in lists/long\n'   ''                         -v alice lists/long
check '100 MB line, name as last piece'  1 'user alice is in lists/long-named\n' ''                         -v alice lists/long-named
check 'list is a directory'            255 ''                                    'cannot read list: Is a directory\n' -v alice lists
check 'symbolic link loop'             255 ''                                    'cannot read list: Too many levels of symbolic links\n' -v alice lists/loop
check 'path too long'                  255 ''                                    'cannot read list: File name too long\n' -v alice "lists/$long_component"
check 'user name of 100 KiB'           255 ''                                    "unknown user: $long_name\\n" -v "$long_name" lists/names

check --stdout-to closed 'standard output closed, qualifies' \
                                         0 ''                                    ''                         -v bob /dev/null
check --stdout-to closed 'standard output closed, excluded' \
                                         1 ''                                    ''                         -v alice lists/names
check --stdout-to /dev/full 'standard output full, qualifies' \
                                         0 ''                                    ''                         -v bob /dev/null
check --stdout-to /dev/full 'standard output full, excluded' \
                                         1 ''                                    ''                         -v root
check --stderr-closed 'standard error closed, unknown user' \
                                       255 ''                                    ''                         -v nobody-here
check --stderr-closed 'standard error closed, unreadable list' \
                                       255 ''                                    ''                         alice lists
