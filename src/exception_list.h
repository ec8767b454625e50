// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
// The exception list: a plain text file naming, one per line, users who are
// excluded even though their accounts pass every other check.
#ifndef IS_TOVAN_EXCEPTION_LIST_H
#define IS_TOVAN_EXCEPTION_LIST_H

#include <cstddef>

// Lines are compared in pieces of at most LIST_LINE_SIZE - 1 bytes, each piece
// as if it began a line; lists in use depend on exactly this rule, and the
// tool is built with 128 only.  Test builds of the lookup make it small, a
// scale model in which every edge of the scan is a few bytes away.  The scan
// holds for any size from 3 on: pieces of two bytes or more.
#ifndef IS_TOVAN_LIST_LINE_SIZE
#define IS_TOVAN_LIST_LINE_SIZE 128
#endif
constexpr std::size_t LIST_LINE_SIZE = IS_TOVAN_LIST_LINE_SIZE;
static_assert(LIST_LINE_SIZE >= 3, "a piece holds at least two bytes");

// The list is read this many bytes at a time.  Test builds make it tiny, so
// that every list crosses many block boundaries.
#ifndef IS_TOVAN_LIST_BLOCK_SIZE
#define IS_TOVAN_LIST_BLOCK_SIZE (64 * 1024)
#endif
constexpr std::size_t LIST_BLOCK_SIZE = IS_TOVAN_LIST_BLOCK_SIZE;
static_assert(LIST_BLOCK_SIZE >= 1, "a read takes at least one byte");

enum class ListResult { listed, notListed, listMissing, listUnreadable };

#if IS_TOVAN_LIST_CHECKS
// In the test builds of the lookup, the check of a fact its scan relies on:
// unless `holds`, it ends the process, naming the fact and its line.  The
// tests define it.
void listCheck(bool holds, const char *fact, int line);
#endif

// Tells whether a piece of the list at path `file` names `user` or, where the
// user database gave the account another name, `accountName`; the list is read
// once either way.  A piece is a line cut into LIST_LINE_SIZE - 1 bytes at
// most, and it names a name when its first bytes are the name's and the byte
// after them is a newline, a NUL or the piece's end.  Prints nothing.  With
// listMissing and listUnreadable it sets *error to the errno of the open or
// read that failed; with listed and notListed it leaves *error alone.
ListResult userInList(const char *file, const char *user, const char *accountName, int *error);

#endif
