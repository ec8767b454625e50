# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# The list check, is_tovan-lint: each row is a list's bytes and mode, the
# arguments, and the status, findings and standard error expected; run_cli.sh
# (`lint`) also holds every name a line is said to name to the tool's answer.
# Sourced by run_cli.sh inside its scratch folder, next to ./is_tovan-lint.
mkfifo fifo
perl -MIO::Socket::UNIX -e 'IO::Socket::UNIX->new(Local => "socket", Listen => 1) or die "socket: $!\n"'
ln -s nowhere dangling
ln -s loop loop
mkdir folder
mkdir sticky open shared && chmod 1777 sticky && chmod 777 open && chmod 775 shared
printf 'alice\n' | tee sticky/list open/list shared/list >/dev/null
x127=$(printf 'x%.0s' {1..127})
head -c 1000000 /dev/zero | tr '\0' x >long && echo >>long
head -c 1000000 /dev/zero >zeros
long_path=$(printf 'n%.0s' {1..4096})
usage='Usage: ./is_tovan-lint [-s] list...\n'
cr_error='@:1: error: "alice\\r" ends with a carriage return, which the tool keeps: it does not name "alice"'
readonly_note='@: note: only the list'"'"'s owner can read it: where the tool runs as another account (user units, pam_exec without seteuid, polkit) it answers "cannot tell" (255) for everyone'

TOOL=./is_tovan-lint check 'no list'                      255 '' "$usage"
TOOL=./is_tovan-lint check 'strict, but no list'          255 '' "$usage" -s

# The first row also shows that no folder above the scratch folder is a finding.
#    label                        bytes                   mode status findings        stderr    arguments
lint 'a clean list prints nothing' 'alice\nbob\n'           644 0 ''                      ''
lint 'no final newline'            'alice\nbob'             644 0 ''                      ''
lint 'empty lines are no finding'  'alice\n\n\nbob\n'     644 0 ''                      ''
lint 'strict, and clean'           'alice\n'                644 0 ''                      ''        -s @
lint --says "$cr_error" 'CR LF: an error a line, empty lines too' \
                                   'alice\r\nbob\r\n\r\n'   644 1 '@:1:error @:2:error @:3:warning' ''
lint 'a trailing blank'            'bob \n'                 644 1 '@:1:error'             ''
lint --says '@:1: error: "\\tbob" begins with a tab, which the tool keeps: it does not name "bob"' \
     'a leading tab'               '\tbob\n'                644 1 '@:1:error'             ''
lint 'a leading blank, then a CR'  ' bob\r\n'               644 1 '@:1:error'             ''
lint 'blanks only'                 'alice\n \t\n'           644 0 '@:2:warning'           ''
lint 'blanks only, strict'         ' \n'                    644 1 '@:1:warning'           ''        -s @
lint --says '@:1: warning: "#alice" looks like a comment, but the tool has none: the line names "#alice"' \
     'a comment'                   '#alice\nbob\n'          644 0 '@:1:warning'           ''
lint --says '@:2: warning: no account "nosuch" here: a typo, or an account only other hosts have' \
     'an unknown account'          'alice\nnosuch\n'        644 0 '@:2:warning'           ''
lint 'an unknown account, strict'  'nosuch\n'               644 1 '@:1:warning'           ''        -s @
lint --says '@:1: note: "root" is excluded by its name, list or no list' \
     'root'                        'root\n'                 644 0 '@:1:note'              ''        -s @
lint --says '@:1: note: "toor" has id 0, below 101: excluded, list or no list' \
     'low ids, 101 is not'         'toor\nhundred\nlowest\n' 644 0 '@:1:note @:2:note'    ''
lint --says '@:1: note: "wrapped" has id -2, below 101: excluded, list or no list' \
     'ids are signed'              'wrapped\nhalf\ntop\n'   644 0 '@:1:note @:2:note'     ''
lint --says '@:3: note: "alice" repeats line 1' \
     'a repeat'                    'alice\nbob\nalice\n'    644 0 '@:3:note'              ''
lint 'a repeat of a flagged line'  'bob \nbob \n'           644 1 '@:1:error @:2:error @:2:note' ''
lint 'a 127-byte line is no error' "$x127\nalice\n"         644 0 '@:1:warning'           ''
lint '127 bytes, no final newline' "$x127"                  644 0 '@:1:warning'           ''
lint --says '@:1: error: a line of 132 bytes: the tool reads it as 2 pieces of at most 127 bytes, each as if it began a line' \
     --says '@:1: note: piece 2 names "alice"' \
     'a 128-byte line or longer'   "${x127}alice\n"         644 1 '@:1:error @:1:note @:1:note' ''
lint --says '@:1: note: piece 2 names " "' \
     'a 127-byte name, then a blank' "${x127} \n"           644 1 '@:1:error @:1:note @:1:note' ''
lint 'each name of a line once'    "${x127}${x127}bob"      644 1 '@:1:error @:1:note @:1:note' ''
lint --says '@:1: error: a NUL byte at byte 6 ends what the tool compares: the line names "alice"' \
     'a NUL'                       'alice\0ju\0nk\nbob\n'   644 1 '@:1:error'             ''
lint --says '@:1: error: a NUL byte at byte 1 ends what the tool compares: the line names nobody' \
     'a NUL first'                 '\0alice\n'              644 1 '@:1:error'             ''
lint --says '@:1: warning: no account "d\\xc3\\xa9nis" here: a typo, or an account only other hosts have' \
     --says '@:2: warning: no account "\\x1b[2J\\"\\\\" here: a typo, or an account only other hosts have' \
     'bytes shown escaped'         'd\xc3\xa9nis\n\x1b[2J"\\\n' 644 0 '@:1:warning @:2:warning' ''

# A user database that finds ldapbob whatever the case.
on nss_wrapper lint --says '@:1: error: the user database gives "LDAPBOB" back as "ldapbob", which the list does not hold: asked for by that name, the account qualifies; list "ldapbob"' \
     'another spelling'            'LDAPBOB\nbob\n'         644 1 '@:1:error'             ''
on nss_wrapper lint 'another spelling, and the own name' 'LDAPBOB\nldapbob\n' 644 0 ''    ''
on nss_wrapper lint 'own name in a long line'  "LDAPBOB\n${x127}ldapbob\n" 644 1 '@:2:error @:2:note @:2:note' ''
on nss_wrapper lint 'an account without a name' 'nameless\n' 644 0 ''                     ''
on files lint 'other spellings are unknown' 'LDAPBOB\n'      644 0 '@:1:warning'           ''

lint 'missing'                     ''                       644 1 'missing:-:error'       ''        missing
lint 'a dangling link'             ''                       644 1 'dangling:-:error'      ''        dangling
lint 'a FIFO is not opened'        ''                       644 1 'fifo:-:error'          ''        fifo
lint 'a socket'                    ''                       644 1 'socket:-:error'        ''        socket
lint 'a device'                    ''                       644 1 '/dev/null:-:error'     ''        /dev/null
lint 'a folder'                    ''                       644 255 ''  'is_tovan-lint: cannot read folder: Is a directory\n' folder
lint 'a link loop'                 ''                       644 255 ''  'is_tovan-lint: cannot read loop: Too many levels of symbolic links\n' loop
lint 'a path through a file'       ''                       644 255 ''  'is_tovan-lint: cannot read @/x: Not a directory\n' @/x
lint 'a path of 4096 bytes'        ''                       644 255 ''  "is_tovan-lint: cannot read $long_path: File name too long\\n" "$long_path"
lint --unreadable 'unreadable' 'alice\n'           000 255 ''  'is_tovan-lint: cannot read @: Permission denied\n'
on nss_wrapper lint 'a read that fails' ''                  644 255 '/proc/self/mem:-:note' 'is_tovan-lint: cannot read /proc/self/mem: Input/output error\n' /proc/self/mem
lint --says "$readonly_note" 'only its owner reads it' 'alice\n' 600 0 '@:-:note'         ''
lint 'writable by every account'   'alice\n'                666 1 '@:-:error'             ''
lint --says "@: warning: the list is writable by group $(id -g)" \
     'writable by its group'       'alice\n'                664 0 '@:-:warning'           ''
lint 'writable by its group, strict' 'alice\n'              664 1 '@:-:warning'           ''        -s @
lint 'in a folder any account writes' ''                    644 1 'open/list:-:error'     ''        open/list
lint 'in a sticky folder'          ''                       644 0 ''                      ''        sticky/list
lint 'in a folder its group writes' ''                      644 0 'shared/list:-:warning' ''        shared/list
lint 'several lists: the worst status' 'bob \n'             644 255 '@:1:error missing:-:error' 'is_tovan-lint: cannot read folder: Is a directory\n' @ folder missing
lint 'a 1 MB line'                 ''                       644 1 'long:1:error long:1:note long:1:note' '' long
lint 'NUL bytes only'              ''                       644 1 'zeros:1:error'         ''        zeros
if ((EUID == 0)); then
    mkdir owned && printf 'alice\n' >owned/list && chown 4242 owned owned/list
    lint --says 'owned/list: warning: the list is owned by user 4242, neither root nor the account running the check' \
         'owned by another account' ''                      644 0 'owned/list:-:warning owned/list:-:warning' '' owned/list
else
    skip_row 'owned by another account' 'needs root, to give a file another owner'
fi
