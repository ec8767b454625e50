# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Command line, account checks and verdicts; sourced by run_cli.sh inside its
# scratch folder, next to ./is_tovan.  The test database has no account named
# root, so "root" can only be excluded by its name.
mkdir lists
printf 'bob\nalice\ncarol\n' >lists/names
printf 'bob\ncarol' >lists/others
printf 'carol\nbob' >lists/tail
printf 'alice\n' >lists/locked
chmod 000 lists/locked
printf 'bob\nldapbob\n' >lists/own-name
printf 'bob\nLDAPBOB\n' >lists/given-name
printf 'bob\nLdapBob\nldapbob2\n' >lists/neither
printf 'nameless\n' >lists/nameless
usage='Usage: ./is_tovan [-v] user [file]\n'

#     label                          status stdout                               stderr                     arguments
check 'no arguments'                   255 ''                                    "$usage"
check 'flag without user'              255 ''                                    "$usage"                   -v
check 'argument left over'             255 ''                                    "$usage"                   alice lists/names extra
check 'argument left over, verbose'    255 ''                                    "$usage"                   -v alice lists/names extra
check 'flag after the user is a path'    0 ''                                    ''                         alice -v
check 'flag as list path'                0 'non-existing exception list: -v\n'   ''                         -v alice -v
check 'other flags are user names'     255 ''                                    'unknown user: -V\n'       -V alice
check 'long flag is a user name'       255 ''                                    'unknown user: --verbose\n' --verbose alice
check 'a word that begins with -v'     255 ''                                    'unknown user: -vx\n'      -vx alice
check 'the flag twice in one word'     255 ''                                    'unknown user: -vv\n'      -vv
check 'a dash alone'                   255 ''                                    'unknown user: -\n'        -
on nss_wrapper check 'flag as user name' 0 'no exception list given\n'           ''                         -v -v
# glibc's files backend never returns an account whose name begins with "-".
on files check 'flag as user name'     255 ''                                    'unknown user: -v\n'       -v -v

check 'root, quiet'                      1 ''                                    ''                         root
check 'root, verbose'                    1 'user is root\n'                      ''                         -v root
check 'root never opens the list'        1 'user is root\n'                      ''                         -v root lists
check 'root with a missing list'         1 'user is root\n'                      ''                         -v root missing
check 'ROOT is only a name'            255 ''                                    'unknown user: ROOT\n'     -v ROOT
check 'a name that begins with root'   255 ''                                    'unknown user: rootx\n'    -v rootx
check 'a name that root begins with'   255 ''                                    'unknown user: roo\n'      -v roo
check 'unknown user'                   255 ''                                    'unknown user: nobody-here\n' nobody-here lists/names
check 'unknown user, verbose'          255 ''                                    'unknown user: nobody-here\n' -v nobody-here
check 'empty user name'                255 ''                                    'unknown user: \n'         -v ''

check 'id 0 under another name'          1 'uid is low: 0\n'                     ''                         -v toor
check 'id 100'                           1 'uid is low: 100\n'                   ''                         -v hundred
check 'id 100, quiet'                    1 ''                                    ''                         hundred
check 'low id never opens the list'      1 'uid is low: 100\n'                   ''                         -v hundred lists
check 'id 101'                           0 'no exception list given\n'           ''                         -v lowest
check 'id 2^31-1'                        0 'no exception list given\n'           ''                         -v top
check 'id 2^31 is negative'              1 'uid is low: -2147483648\n'           ''                         -v half
check 'id 2^32-2 is -2'                  1 'uid is low: -2\n'                    ''                         -v wrapped

check 'no list, quiet'                   0 ''                                    ''                         alice
check 'no list'                          0 'no exception list given\n'           ''                         -v alice
check 'missing list'                     0 'non-existing exception list: missing\n' ''                      -v alice missing
check 'missing list, quiet'              0 ''                                    ''                         alice missing
check 'empty list path'                  0 'non-existing exception list: \n'     ''                         -v alice ''
check 'listed'                           1 'user alice is in lists/names\n'      ''                         -v alice lists/names
check 'listed, quiet'                    1 ''                                    ''                         alice lists/names
check 'path printed as given'            1 'user alice is in ./lists//names\n'   ''                         -v alice ./lists//names
check 'not listed'                       0 'user alice is not in lists/others\n' ''                         -v alice lists/others
check 'not listed, quiet'                0 ''                                    ''                         alice lists/others
check 'last line without newline'        1 'user bob is in lists/tail\n'         ''                         -v bob lists/tail
check --unreadable lists/locked 'list without read permission' \
                                       255 ''                                    'cannot read list: Permission denied\n' -v alice lists/locked
check 'list path through a file'       255 ''                                    'cannot read list: Not a directory\n' -v alice lists/names/x
check 'list is a directory'            255 ''                                    'cannot read list: Is a directory\n' alice lists

# A database that finds ldapbob whatever the case: the list excludes the
# account by the name it was given or by its own, and says the name given.
on nss_wrapper check 'own name listed'   1 'user LDAPBOB is in lists/own-name\n' ''                       -v LDAPBOB lists/own-name
on nss_wrapper check 'given name listed' 1 'user LDAPBOB is in lists/given-name\n' ''                     -v LDAPBOB lists/given-name
on nss_wrapper check 'neither name listed' 0 'user LDAPBOB is not in lists/neither\n' ''                  -v LDAPBOB lists/neither
on nss_wrapper check 'own name typed, other spelling listed' \
                                         0 'user ldapbob is not in lists/given-name\n' ''                 -v ldapbob lists/given-name
on nss_wrapper check --stdin-pipe 'bob\nldapbob\n' 'own name listed in a pipe' \
                                         1 'user LdapBob is in /dev/stdin\n'    ''                         -v LdapBob /dev/stdin
on nss_wrapper check 'an entry without a name' 1 'user nameless is in lists/nameless\n' ''              -v nameless lists/nameless
on files check 'other spellings are unknown' 255 ''                              'unknown user: LDAPBOB\n' -v LDAPBOB lists/own-name
