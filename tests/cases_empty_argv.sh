# SPDX-License-Identifier: ISC
# Copyright (c) 2026 The is_tovan developers
# Run through exec_empty_argv, which starts the tool with an empty argument
# vector.  Where the kernel passes one empty argument instead, the usage line
# names the tool by that empty name, as received.
received=$("${launcher[@]}" "${launcher[@]}")
case $received in
'argc 0') name='is_tovan' ;;
'argc 1, argv[0] ""') name=''
    echo "note: this kernel turns an empty argument vector into one empty argument" ;;
*) echo "not ok: exec_empty_argv received: $received"; failed=$((failed + 1)) ;;
esac
check 'empty argument vector'          255 ''                                    "Usage: $name [-v] user [file]\n"
