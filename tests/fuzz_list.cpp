// libFuzzer target: the fast list lookup must answer as the literal
// piece-by-piece reading does.  The first input byte gives the user name's
// length (0 to 130, so names past a piece's size come up too), the name
// follows, and the rest is the list.
#include "exception_list.h"
#include "list_oracle.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::size_t nameLength = data[0] % 131;
    if (nameLength > size - 1)
        nameLength = size - 1;
    // The name is a C string, as on the command line: it ends at a NUL.
    const std::string name(reinterpret_cast<const char *>(data + 1), nameLength);
    std::FILE *list = std::fopen(listPath().c_str(), "wb");
    const std::size_t listSize = size - 1 - nameLength;
    if (list == nullptr || std::fwrite(data + 1 + nameLength, 1, listSize, list) != listSize ||
        std::fclose(list) != 0) {
        std::perror(listPath().c_str());
        std::abort();
    }
    int error = 0, expectedError = 0;
    const ListResult expected = userInListByPieces(listPath().c_str(), name.c_str(), &expectedError);
    if (userInList(listPath().c_str(), name.c_str(), &error) != expected) {
        std::fprintf(stderr, "the fast lookup differs from the pieces: expected %d\n",
                     static_cast<int>(expected));
        std::abort();
    }
    return 0;
}
