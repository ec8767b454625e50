// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
#include "list_oracle.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if IS_TOVAN_LIST_CHECKS
void listCheck(bool holds, const char *fact, int line)
{
    if (holds)
        return;
    std::fprintf(stderr, "exception_list.cpp:%d: does not hold: %s\n", line, fact);
    std::abort();
}
#endif

ListResult userInListByPieces(const char *file, const char *user, const char *accountName,
                              int *error)
{
    std::FILE *list = std::fopen(file, "r");
    if (list == nullptr) {
        if (errno == ENOENT)
            return ListResult::listMissing;
        *error = errno;
        return ListResult::listUnreadable;
    }

    // strncmp stops at the piece's end, so piece[length] is only read when
    // the piece holds at least `length` bytes.
    const auto names = [](const char *piece, const char *name) {
        const std::size_t length = std::strlen(name);
        return std::strncmp(piece, name, length) == 0 &&
               (piece[length] == '\0' || piece[length] == '\n');
    };
    char piece[LIST_LINE_SIZE];
    ListResult result = ListResult::notListed;
    while (std::fgets(piece, sizeof piece, list) != nullptr) {
        if (names(piece, user) || names(piece, accountName)) {
            result = ListResult::listed;
            break;
        }
    }
    // A read error must not pass for "not listed": that would let the user qualify.
    if (result == ListResult::notListed && std::ferror(list)) {
        *error = errno;
        result = ListResult::listUnreadable;
    }
    std::fclose(list);
    return result;
}
