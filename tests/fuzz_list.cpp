// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
// libFuzzer target: the fast list lookup must answer as the literal
// piece-by-piece reading does.  The first input byte gives the user name's
// length (0 to LIST_LINE_SIZE + 2, so names past a piece's size come up too);
// the second gives the account name's length the same way, or, from 131 on,
// makes it the user name.  The names follow, and the rest is the list.
#include "exception_list.h"
#include "list_oracle.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const std::string &listPath()
{
    static const std::string path = [] {
        char pattern[] = "/tmp/fuzz_list.XXXXXX";
        const int file = mkstemp(pattern);
        if (file < 0) {
            std::perror("mkstemp");
            std::abort();
        }
        close(file);
        return std::string(pattern);
    }();
    return path;
}

// Takes the next name off the input: `lengthByte` gives its length.
std::string takeName(const std::uint8_t *&data, std::size_t &size, std::uint8_t lengthByte)
{
    const std::size_t length = std::min<std::size_t>(lengthByte % (LIST_LINE_SIZE + 3), size);
    // A C string, as on the command line: it ends at a NUL.
    const std::string name(reinterpret_cast<const char *>(data), length);
    data += length;
    size -= length;
    return name.c_str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint8_t userLength = data[0], accountLength = data[1];
    data += 2;
    size -= 2;
    const std::string user = takeName(data, size, userLength);
    const std::string account = accountLength < 131 ? takeName(data, size, accountLength) : user;
    std::FILE *list = std::fopen(listPath().c_str(), "wb");
    if (list == nullptr || std::fwrite(data, 1, size, list) != size || std::fclose(list) != 0) {
        std::perror(listPath().c_str());
        std::abort();
    }
    int error = 0, expectedError = 0;
    const ListResult expected =
        userInListByPieces(listPath().c_str(), user.c_str(), account.c_str(), &expectedError);
    if (userInList(listPath().c_str(), user.c_str(), account.c_str(), &error) != expected) {
        std::fprintf(stderr, "the fast lookup differs from the pieces: expected %d\n",
                     static_cast<int>(expected));
        std::abort();
    }
    return 0;
}
