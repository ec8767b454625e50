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
mkdir sticky open shared safe open/inner && chmod 1777 sticky && chmod 777 open && chmod 775 shared
printf 'alice\n' | tee sticky/list open/list shared/list safe/list open/inner/list >/dev/null
# Links to a list in a safe folder, from folders of each kind.
ln -s ../safe/list open/link && ln -s ../safe/list sticky/link && ln -s list safe/link
ln -s ../safe open/folder-link && ln -s safe/list here-link
x127=$(printf 'x%.0s' {1..127})
head -c 1000000 /dev/zero | tr '\0' x >long && echo >>long
head -c 1000000 /dev/zero >zeros
long_path=$(printf 'n%.0s' {1..4096})
usage='Usage: ./is_tovan-lint [-s] [--no-accounts] [--no-placement] [--] list...\n'
cr_error='@:1: error: "alice\\r" ends with a carriage return, which the tool keeps: it does not name "alice"'
readonly_note='@: note: only the list'"'"'s owner can read it: where the tool runs as another account (user units, pam_exec without seteuid, polkit) it answers "cannot tell" (255) for everyone'

TOOL=./is_tovan-lint check 'no list'                      255 '' "$usage"
TOOL=./is_tovan-lint check 'strict, but no list'          255 '' "$usage" -s
TOOL=./is_tovan-lint check 'options, but no list'         255 '' "$usage" -s --no-accounts --no-placement --
TOOL=./is_tovan-lint check 'an unknown option'            255 '' "$usage" -x missing
TOOL=./is_tovan-lint check '-s only as a whole argument'  255 '' "$usage" -sx missing
TOOL=./is_tovan-lint check 'a long option cut short'      255 '' "$usage" --no missing

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
lint --says '@:1: warning: "#alice" looks like a comment, but the tool has none: the line names "#alice", and "alice" qualifies' \
     'a comment'                   '#alice\nbob\n'          644 0 '@:1:warning'           ''
lint --says '@:1: warning: "#nosuch" looks like a comment, but the tool has none: the line names "#nosuch"' \
     'a comment of no account'     '#nosuch\n'              644 0 '@:1:warning'           ''
lint --says '@:1: warning: "#alice" looks like a comment, but the tool has none: the line names "#alice"' \
     'a comment of an account listed' '#alice\nalice\n'      644 0 '@:1:warning'           ''
lint 'a comment, then a CR'        '# exceptions\r\nalice\r\n' 644 1 '@:1:warning @:2:error' ''
lint --says '@:2: warning: no account "nosuch" here: a typo, or an account only other hosts have' \
     'an unknown account'          'alice\nnosuch\n'        644 0 '@:2:warning'           ''
lint 'an unknown account, strict'  'nosuch\n'               644 1 '@:1:warning'           ''        -s @
lint 'an unknown account, once'    'nosuch\nnosuch\n'       644 0 '@:1:warning @:2:note'  ''
lint --says '@:1: warning: no account "rootx" here: a typo, or an account only other hosts have' \
     'rootx is not root'           'rootx\n'                644 0 '@:1:warning'           ''
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
lint --says '@:2: error: a line of 130 bytes: the tool reads it as 2 pieces of at most 127 bytes, each as if it began a line' \
     --says '@:2: note: piece 2 names "bob"' \
     'pieces counted again a line' "${x127}alice\n${x127}bob\n" 644 1 '@:1:error @:1:note @:1:note @:2:error @:2:note @:2:note' ''
lint --says '@:1: error: a line of 254 bytes: the tool reads it as 2 pieces of at most 127 bytes, each as if it began a line' \
     'ends at a piece end'         "${x127}${x127}"         644 1 '@:1:error @:1:note'    ''
lint --says '@:1: note: piece 2 names "ab"' \
     'a NUL in a long line'        "${x127}ab\0cd\n"        644 1 '@:1:error @:1:note @:1:note' ''
lint --says '@:1: note: piece 2 names "alice"' \
     'a NUL ends its piece only'   "x\0${x127:0:125}alice\n" 644 1 '@:1:error @:1:note @:1:note' ''
lint --says '@:1: error: a NUL byte at byte 6 ends what the tool compares: the line names "alice"' \
     'a NUL'                       'alice\0ju\0nk\nbob\n'   644 1 '@:1:error'             ''
lint --says '@:1: error: a NUL byte at byte 1 ends what the tool compares: the line names only the empty name' \
     'a NUL first'                 '\0alice\n'              644 1 '@:1:error'             ''
lint --says '@:1: error: a NUL byte at byte 2 ends what the tool compares: the line names "a"' \
     'a NUL ends its line only'    'a\0b\nbob\n'            644 1 '@:1:error'             ''
lint --says '@:1: warning: no account "d\\303\\251nis" here: a typo, or an account only other hosts have' \
     --says '@:2: error: "\\033[2J\\"\\\\" holds a control byte, "\\033", at byte 1: no account can have it' \
     --says '@:3: error: "a\\177b" holds a control byte, "\\177", at byte 2: no account can have it' \
     --says '@:4: warning: no account "x\\302\\240a" here: a typo, or an account only other hosts have' \
     'bytes shown escaped'         'd\xc3\xa9nis\n\x1b[2J"\\\na\x7fb\nx\xc2\xa0a\n' 644 1 '@:1:warning @:2:error @:3:error @:4:warning' ''

# Entries no account anywhere can have: what the tool keeps at either end
# where a reader sees a blank or nothing, and each rule of the widest syntax
# of account names.  Inside a name, a blank or an unseen character is no
# finding of its own.
unseen=('\xc2\xa0' '\xe2\x80\x80' '\xe2\x80\x81' '\xe2\x80\x82' '\xe2\x80\x83' '\xe2\x80\x84' '\xe2\x80\x85'
        '\xe2\x80\x86' '\xe2\x80\x87' '\xe2\x80\x88' '\xe2\x80\x89' '\xe2\x80\x8a' '\xe2\x80\x8b' '\xe2\x80\xaf'
        '\xe2\x81\x9f' '\xe2\x81\xa0' '\xe3\x80\x80' '\xef\xbb\xbf')
# A list of one line for each of them, and the findings expected on each line.
each_unseen() { # each_unseen BEFORE AFTER LEVEL: prints the list's bytes, then the findings
    local character line=0 bytes= findings=
    for character in "${unseen[@]}"; do
        line=$((line + 1))
        bytes+="$1$character$2\n"
        findings+=" @:$line:$3"
    done
    printf '%s\t%s' "$bytes" "$findings"
}
IFS=$'\t' read -r bytes findings < <(each_unseen '' alice error)
lint 'each unseen character first' "$bytes"                 644 1 "$findings"             ''
IFS=$'\t' read -r bytes findings < <(each_unseen alice '' error)
lint 'each unseen character last'  "$bytes"                 644 1 "$findings"             ''
IFS=$'\t' read -r bytes findings < <(each_unseen al ice warning)
lint 'each unseen character inside' "$bytes"                644 0 "$findings"             ''
lint --says '@:1: error: "\\357\\273\\277alice" begins with a byte order mark (U+FEFF), which the tool keeps: it does not name "alice"' \
     'a byte order mark'           '\xef\xbb\xbfalice\nbob\n' 644 1 '@:1:error'           ''
lint --says '@:1: error: "alice\\302\\240" ends with a no-break space (U+00A0), which the tool keeps: it does not name "alice"' \
     'a no-break space'            'alice\xc2\xa0\n'        644 1 '@:1:error'             ''
lint --says '@:1: error: "alice:x:1000:1000::/home/alice:/bin/sh" holds a colon at byte 6: no account can have it' \
     --says '@:1: error: "alice:x:1000:1000::/home/alice:/bin/sh" is no account; it reads as "alice", which qualifies: list "alice"' \
     'a line of the user database' 'alice:x:1000:1000::/home/alice:/bin/sh\n' 644 1 '@:1:error @:1:error' ''
lint --says '@:1: error: "corp/alice" holds a slash at byte 5: no account can have it' \
     'a slash'                     'corp/alice\n'           644 1 '@:1:error'             ''
lint --says '@:1: error: "1000" is only digits: no account can have it' \
     --says '@:1: error: "1000" is no account; it reads as the id of "alice", which qualifies: list "alice"' \
     'an id'                       '1000\n'                 644 1 '@:1:error @:1:error'   ''
lint 'an id of no account'         '4242\n'                 644 1 '@:1:error'             ''
lint --says '@:1: note: "0" is no account; it reads as the id of "toor", which has id 0, below 101: excluded, list or no list' \
     'an id below 101'             '0\n'                    644 1 '@:1:error @:1:note'    ''
lint --says '@:1: error: "-12" is a minus and digits only: no account can have it' \
     'a minus and digits'          '-12\n'                  644 1 '@:1:error'             ''
lint --says '@:2: error: ".." is a folder'"'"'s name: no account can have it' \
     'a folder'"'"'s name'         '.\n..\n'                644 1 '@:1:error @:2:error'   ''
lint --says '@:1: error: "al\\001ice" holds a control byte, "\\001", at byte 3: no account can have it' \
     'a control byte'              'al\001ice\n'            644 1 '@:1:error'             ''
lint 'a tab inside'                'alice\tbob\n'           644 1 '@:1:error @:1:error @:1:error' ''
lint --says '@:1: error: "d\\351nis" is not UTF-8 at byte 2: no account can have it' \
     'not UTF-8'                   'd\xe9nis\n'             644 1 '@:1:error'             ''

# UTF-8 as RFC 3629 has it: each form and each way to break it, one a line.
utf8='x\xc3\xa9\nx\xe0\xa0\x80\nx\xed\x9f\xbf\nx\xf0\x9f\x98\x80\nx\xf4\x8f\xbf\xbf\n'
utf8+='x\xc0\xaf\nx\xe0\x80\x80\nx\xed\xa0\x80\nx\xf0\x80\x80\x80\nx\xf4\x90\x80\x80\nx\xf5\x80\x80\x80\n'
utf8+='x\x80\nx\xe2\x28\xa1\nx\xe2\x82\x28\nx\xe2\x82\nx\xe2\x82\xc0\n'
lint --says '@:15: error: "x\\342\\202" is not UTF-8 at byte 2: no account can have it' \
     'UTF-8 and not'               "$utf8"                  644 1 \
     '@:1:warning @:2:warning @:3:warning @:4:warning @:5:warning @:6:error @:7:error @:8:error @:9:error @:10:error @:11:error @:12:error @:13:error @:14:error @:15:error @:16:error' ''
lint 'said once, each time a line' 'a:b\na:b\nbob \nbob \n' 644 1 '@:1:error @:2:error @:2:note @:3:error @:4:error @:4:note' ''
lint 'no digits after the minus'   '-\n'                    644 0 '@:1:warning'           ''
lint 'too large for an id'         '4294967296\n12345678901\n' 644 1 '@:1:error @:2:error' ''
lint --says '@:1: note: "1000" is no account; it reads as the id of "alice", which line 2 names already' \
     'an id listed elsewhere'      '1000\nalice\n'          644 1 '@:1:error @:1:note'    ''
lint 'quotes that do not match'    '"alice\n"\n'            644 0 '@:1:warning @:2:warning' ''
lint 'comments of no account or excluded' '#\n#root\n#toor\n#a:b\n#alice\n#alice\n' 644 0 \
     '@:1:warning @:2:warning @:3:warning @:4:warning @:6:note @:5:warning @:6:warning' ''
on nss_wrapper lint 'a reading without a name' 'nameless bob\n' 644 1 '@:1:error'         ''
# What an administrator may have meant by an entry that is no account here:
# an error where the account qualifies, a note where the list names it
# elsewhere or the tool excludes it without the list.
lint --says '@:1: error: "Alice" is no account; it reads as "alice", which qualifies: list "alice"' \
     'in capitals'                 'Alice\n'                644 1 '@:1:error'             ''
lint 'in capitals, all'            'ALICE\nbob\n'           644 1 '@:1:error'             ''
lint --says '@:1: error: " Alice" is no account; it reads as "alice", which qualifies: list "alice"' \
     'a blank first, in capitals'  ' Alice\n'               644 1 '@:1:error @:1:error'   ''
lint 'two names on a line'         'alice bob\n'            644 1 '@:1:error @:1:error'   ''
lint 'names between commas and semicolons' 'alice,bob;lowest\n' 644 1 '@:1:error @:1:error @:1:error' ''
lint --says '@:1: error: "alice # contractor" is no account; it reads as "alice", which qualifies: list "alice"' \
     'a comment after the name'    'alice # contractor\n'   644 1 '@:1:error'             ''
lint 'in quotes'                   '"alice"\n'              644 1 '@:1:error'             ''
lint 'blanks before the comment'   'alice  # left\n'        644 1 '@:1:error'             ''
lint 'in single quotes'            "'alice'\n"              644 1 '@:1:error'             ''
lint 'in typographic quotes'       '\xe2\x80\x9calice\xe2\x80\x9d\n' 644 1 '@:1:error'    ''
lint --says '@:1: note: "Alice" is no account; it reads as "alice", which line 2 names already' \
     'a reading listed elsewhere'  'Alice\nalice\n'         644 0 '@:1:note'              ''
lint --says '@:1: note: "Root" is no account; it reads as "root", which is excluded by its name, list or no list' \
     'a reading that is root'      'Root\n'                 644 0 '@:1:note'              ''
lint --says '@:1: note: "TOOR" is no account; it reads as "toor", which has id 0, below 101: excluded, list or no list' \
     'a reading with a low id'     'TOOR\n'                 644 0 '@:1:note'              ''
lint 'readings of no account'      'Nosuch\n"nosuch"\nno such\n' 644 0 '@:1:warning @:2:warning @:3:warning' ''
# Names that other hosts' accounts may well have: at most a warning.
lint 'names of other hosts'        'john smith\nCORP\\alice\nalice@example.com\nhost$\n' 644 0 \
     '@:1:warning @:2:warning @:3:warning @:4:warning' ''

# A user database that finds ldapbob whatever the case.
on nss_wrapper lint --says '@:1: error: the user database gives "LDAPBOB" back as "ldapbob", which the list does not hold: asked for by that name, the account qualifies; list "ldapbob"' \
     'another spelling'            'LDAPBOB\nbob\n'         644 1 '@:1:error'             ''
on nss_wrapper lint 'another spelling, and the own name' 'LDAPBOB\nldapbob\n' 644 0 ''    ''
on nss_wrapper lint 'own name in a long line'  "LDAPBOB\n${x127}ldapbob\n" 644 1 '@:2:error @:2:note @:2:note' ''
on nss_wrapper lint 'an account without a name' 'nameless\n' 644 0 ''                     ''
on files lint 'other spellings are unknown' 'LDAPBOB\n'      644 0 '@:1:warning'           ''

lint --says 'missing: error: the list does not exist, so every account qualifies' \
     'missing'                     ''                       644 1 'missing:-:error'       ''        missing
lint --says 'dangling: error: the list is a link to nothing, so every account qualifies' \
     'a dangling link'             ''                       644 1 'dangling:-:error'      ''        dangling
lint --says 'fifo: error: the list is a FIFO, not a regular file: not read' \
     'a FIFO is not opened'        ''                       644 1 'fifo:-:error'          ''        fifo
lint --says 'socket: error: the list is a socket, not a regular file: not read' \
     'a socket'                    ''                       644 1 'socket:-:error'        ''        socket
lint --says '/dev/null: error: the list is a device, not a regular file: not read' \
     'a device'                    ''                       644 1 '/dev/null:-:error'     ''        /dev/null
lint 'a folder'                    ''                       644 255 ''  'is_tovan-lint: cannot read folder: Is a directory\n' folder
lint 'a link loop'                 ''                       644 255 ''  'is_tovan-lint: cannot read loop: Too many levels of symbolic links\n' loop
lint 'a path through a file'       ''                       644 255 ''  'is_tovan-lint: cannot read @/x: Not a directory\n' @/x
lint 'a path of 4096 bytes'        ''                       644 255 ''  "is_tovan-lint: cannot read $long_path: File name too long\\n" "$long_path"
lint --unreadable 'unreadable' 'alice\n'           000 255 ''  'is_tovan-lint: cannot read @: Permission denied\n'
on nss_wrapper lint 'a read that fails' ''                  644 255 '/proc/self/mem:-:note' 'is_tovan-lint: cannot read /proc/self/mem: Input/output error\n' /proc/self/mem
lint --says "$readonly_note" 'only its owner reads it' 'alice\n' 600 0 '@:-:note'         ''
lint --says '@: error: the list is writable by every account' \
     'writable by every account'   'alice\n'                666 1 '@:-:error'             ''
lint 'options before the lists only' 'bob \n'             644 1 '@:1:error -s:-:error' ''       @ -s
lint 'after --, a list'            ''                       644 1 '--no-accounts:-:error' '' -- --no-accounts
lint 'a list named -'              ''                       644 1 '-:-:error'             ''        -
lint 'without the user database'   'nosuch\nAlice\nroot\n#alice\n' 644 0 '@:3:note @:4:warning' '' --no-accounts @
lint 'without the user database, strict' 'nosuch\nalice:x\n' 644 1 '@:2:error'          ''        -s --no-accounts @
lint 'a copy: no placement'        'alice\n'                666 0 ''                      ''        --no-placement @
lint 'a copy, owner only: no note' 'alice\n'                600 0 ''                      ''        --no-placement @
lint 'a repository: neither'       'Alice\n'                666 0 ''                      ''        --no-placement --no-accounts @
lint 'readable by its group, not others' 'alice\n'          640 0 ''                      ''
lint 'a sticky list is no sticky folder' 'alice\n'          1666 1 '@:-:error'            ''
lint --says 'open/inner/list: error: the folder "'"$WORK"'/open" is writable by every account' \
     'a folder above the list'     ''                       644 1 'open/inner/list:-:error' '' open/inner/list
lint --says 'open/link: error: the link "open/link" stands in a folder that every account can write: any of them can point it elsewhere' \
     'a link in a folder any account writes' ''             644 1 'open/link:-:error'     ''        open/link
lint 'a folder link in such a folder' ''                    644 1 'open/folder-link/list:-:error' '' open/folder-link/list
lint 'a link in a sticky folder'   ''                       644 0 ''                      ''        sticky/link
lint 'a link in a safe folder'     ''                       644 0 ''                      ''        safe/link
lint 'a link in the folder the check runs in' ''            644 0 ''                      ''        here-link
lint --says "@: warning: the list is writable by group $(id -g)" \
     'writable by its group'       'alice\n'                664 0 '@:-:warning'           ''
lint 'writable by its group, strict' 'alice\n'              664 1 '@:-:warning'           ''        -s @
lint --says 'open/list: error: the folder "'"$WORK"'/open" is writable by every account' \
     'in a folder any account writes' ''                    644 1 'open/list:-:error'     ''        open/list
lint 'in a sticky folder'          ''                       644 0 ''                      ''        sticky/list
lint 'in a folder its group writes' ''                      644 0 'shared/list:-:warning' ''        shared/list
lint 'several lists: the worst status' 'bob \n'             644 255 '@:1:error missing:-:error' 'is_tovan-lint: cannot read folder: Is a directory\n' @ folder missing
lint 'a 1 MB line'                 ''                       644 1 'long:1:error long:1:note long:1:note' '' long
lint 'NUL bytes only'              ''                       644 1 'zeros:1:error'         ''        zeros
if ((EUID == 0)); then
    mkdir owned && printf 'alice\n' >owned/list && chown 4242 owned owned/list
    lint --says 'owned/list: error: the list is owned by user 4242, neither root nor the account running the check' \
         'owned by another account' ''                      644 1 'owned/list:-:error owned/list:-:error' '' owned/list
else
    skip_row 'owned by another account' 'needs root, to give a file another owner'
fi
