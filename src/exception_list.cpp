#include "exception_list.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

// The longest piece of a line that is compared at once.
constexpr std::size_t PIECE_SIZE = LIST_LINE_SIZE - 1;

// The list is read in blocks, and memmem finds where the name occurs.  An
// occurrence at offset p names the user only where the comparison of one
// piece would accept it:
//  - p starts a piece: pieces start at each line's start and every PIECE_SIZE
//    bytes after it, so (p - lineStart) % PIECE_SIZE == 0;
//  - the piece ends right after the name (end of file, a full PIECE_SIZE bytes,
//    or the name's own final newline), or the next byte is a newline or a NUL.
// A piece never holds a newline before its last byte, so a name longer than
// PIECE_SIZE or with a newline before its end is never named.  The last
// `length` bytes of each block are carried over, so an occurrence that crosses
// a block's end is found in the next round.
ListResult userInList(const char *file, const char *user, int *error)
{
    const int list = open(file, O_RDONLY);
    if (list < 0) {
        if (errno == ENOENT)
            return ListResult::listMissing;
        *error = errno;
        return ListResult::listUnreadable;
    }

    const std::size_t length = std::strlen(user);
    const void *newline = std::memchr(user, '\n', length);
    const bool nameable = length <= PIECE_SIZE &&
                          (newline == nullptr || newline == user + length - 1);
    const bool nameEndsPiece = length == PIECE_SIZE || newline != nullptr;

    char buffer[PIECE_SIZE + LIST_BLOCK_SIZE];
    std::size_t kept = 0;        // bytes carried over at the buffer's start
    std::uint64_t base = 0;      // file offset of the buffer's start
    std::uint64_t lineStart = 0; // file offset of the current line's start
    std::size_t scanned = 0;     // lineStart accounts for every newline before this buffer offset

    // Moves lineStart past the newlines before `offset`.
    auto findLineStart = [&](std::size_t offset) {
        for (std::size_t at = offset; at > scanned;) {
            if (buffer[--at] == '\n') {
                lineStart = base + at + 1;
                break;
            }
        }
        scanned = offset;
    };

    for (;;) {
        const ssize_t got = read(list, buffer + kept, LIST_BLOCK_SIZE);
        if (got < 0) {
            // A read that fails must not pass for "not listed".
            *error = errno;
            close(list);
            return ListResult::listUnreadable;
        }
        const bool atEnd = got == 0;
        const std::size_t end = kept + static_cast<std::size_t>(got);

        for (std::size_t from = 0; nameable && from + length <= end;) {
            const auto *hit = static_cast<const char *>(
                memmem(buffer + from, end - from, user, length));
            if (hit == nullptr)
                break;
            const auto at = static_cast<std::size_t>(hit - buffer);
            const std::size_t after = at + length;
            if (after == end && !atEnd)
                break; // the byte after the name is in the next block
            const bool endsPiece = after == end || nameEndsPiece ||
                                   buffer[after] == '\n' || buffer[after] == '\0';
            if (endsPiece && at < end) {
                findLineStart(at);
                if ((base + at - lineStart) % PIECE_SIZE == 0) {
                    close(list);
                    return ListResult::listed;
                }
            }
            from = at + 1;
        }
        if (atEnd)
            break;

        const std::size_t carried = nameable ? (length < end ? length : end) : 0;
        const std::size_t carryFrom = end - carried;
        findLineStart(carryFrom);
        std::memmove(buffer, buffer + carryFrom, carried);
        kept = carried;
        base += carryFrom;
        scanned = 0;
    }
    close(list);
    return ListResult::notListed;
}
