// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
#include "exception_list.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

// The longest piece of a line that is compared at once.
constexpr std::size_t PIECE_SIZE = LIST_LINE_SIZE - 1;

// A name as the scan looks for it.  A piece names it when the piece starts
// with the name and the piece ends right after it: a newline, a NUL, the end
// of the file, or the piece's full PIECE_SIZE bytes.  Nearly every piece ends
// in a newline, so the scan looks for the name followed by a newline (the
// key), and lines that merely begin with the name cost nothing.  A block that
// holds a NUL byte is searched for the bare name instead.
struct ListName {
    std::size_t length;
    // A piece can hold it: at most PIECE_SIZE bytes, a newline only at the end.
    bool nameable;
    // It ends its piece by itself, so no byte after it matters.
    bool endsPiece;
    char key[LIST_LINE_SIZE];
    std::size_t keyLength;
    // The bytes the name holds, by value.
    bool holds[256];
};

ListName listName(const char *bytes)
{
    ListName name{};
    name.length = std::strlen(bytes);
    const void *newline = std::memchr(bytes, '\n', name.length);
    name.nameable = name.length <= PIECE_SIZE &&
                    (newline == nullptr || newline == bytes + name.length - 1);
    if (!name.nameable)
        return name;
    name.endsPiece = name.length == PIECE_SIZE || newline != nullptr;
    std::memcpy(name.key, bytes, name.length);
    name.keyLength = name.length;
    if (!name.endsPiece)
        name.key[name.keyLength++] = '\n';
    for (std::size_t i = 0; i < name.length; i++)
        name.holds[static_cast<unsigned char>(bytes[i])] = true;
    return name;
}

// A block of the list in memory: buffer[0, end) holds the file's bytes from
// offset `base`, up to `dataEnd`; at the end of a file that does not end in a
// newline, one stands in for the end at dataEnd.  `lineStart` is the offset of
// the line that holds buffer[0].
struct Block {
    const char *buffer;
    std::size_t end;
    std::size_t dataEnd;
    bool last;
    bool holdsNul;
    std::uint64_t base;
    std::uint64_t lineStart;
};

// Pieces start at each line's start and every PIECE_SIZE bytes after it.
// Returns the first piece start of the line after `offset`, ignoring newlines.
std::uint64_t nextGridPoint(std::uint64_t offset, std::uint64_t lineStart)
{
    return offset + PIECE_SIZE - (offset - lineStart) % PIECE_SIZE;
}

// Where the next candidate can start after one `keyLength` bytes long at
// `at`, whose line's next grid point is `grid`: that point, or the next line's
// start if it comes first.  A key that ends in a newline ends its line, and no
// piece that starts inside it can hold the key; any other key holds no
// newline, so the next one is searched for after it.
std::size_t nextPieceStart(const Block &block, std::size_t at, std::size_t keyLength, bool endsLine,
                           std::size_t grid)
{
    const std::size_t keyEnd = at + keyLength;
    if (endsLine)
        return keyEnd;
    const std::size_t limit = std::min(grid, block.end);
    const void *newline = keyEnd < limit ? std::memchr(block.buffer + keyEnd, '\n', limit - keyEnd) : nullptr;
    return newline != nullptr ? static_cast<std::size_t>(static_cast<const char *>(newline) - block.buffer) + 1
                              : grid;
}

// The last newline in buffer[from, to), or nullptr.  Lines can be long, so
// it looks at a word's worth of bytes at a time: a word holds a newline when
// one of its bytes, made to differ from it, is zero.
const char *lastNewline(const char *buffer, std::size_t from, std::size_t to)
{
    constexpr std::uint64_t ones = 0x0101010101010101, highs = 0x8080808080808080;
    while (to > from) {
        if (to - from >= sizeof(std::uint64_t)) {
            std::uint64_t word;
            std::memcpy(&word, buffer + to - sizeof word, sizeof word);
            const std::uint64_t differs = word ^ (ones * '\n');
            if (((differs - ones) & ~differs & highs) == 0) {
                to -= sizeof word;
                continue;
            }
        }
        if (buffer[--to] == '\n')
            return buffer + to;
    }
    return nullptr;
}

// Finds the first `key` in buffer[from, end) when the key ends in a newline,
// as nearly every key does: it then ends at a newline, and its name holds no
// other.  So the search moves from one place where the key could end to the
// next: past a byte the name does not hold, by the key's whole length; past
// one it holds, to the next newline, which memchr finds at memory speed even
// in a line made of the name's bytes.  A newline that does not end the key
// leaves its whole length to the next one.
const char *findLineEnd(const char *buffer, std::size_t from, std::size_t end, const char *key,
                        std::size_t keyLength, const bool (&holds)[256])
{
    for (std::size_t last = from + keyLength - 1; last < end;) {
        const auto byte = static_cast<unsigned char>(buffer[last]);
        if (byte == '\n') {
            const char *start = buffer + last + 1 - keyLength;
            if (keyLength == 1 || (buffer[last - 1] == key[keyLength - 2] &&
                                   std::memcmp(start, key, keyLength - 2) == 0))
                return start;
            last += keyLength;
        } else if (!holds[byte]) {
            last += keyLength;
        } else if (last + 1 < end && buffer[last + 1] == '\n') {
            last++; // short lines are common; memchr would cost more
        } else {
            const void *newline = std::memchr(buffer + last + 1, '\n', end - last - 1);
            if (newline == nullptr)
                return nullptr;
            last = static_cast<std::size_t>(static_cast<const char *>(newline) - buffer);
        }
    }
    return nullptr;
}

// Tells whether a piece that starts in the block names `name`.  An occurrence
// whose decisive bytes lie past the block's end is left to the next block,
// which starts with the bytes carried over.
bool namedInBlock(const Block &block, const ListName &name)
{
    const bool bare = name.endsPiece || block.holdsNul;
    const std::size_t keyLength = bare ? name.length : name.keyLength;
    const bool endsLine = keyLength > 0 && name.key[keyLength - 1] == '\n';
    std::uint64_t lineStart = block.lineStart;
    std::size_t scanned = 0; // lineStart counts every newline before this
    for (std::size_t from = 0; from < block.dataEnd;) {
        const auto *hit = endsLine ? findLineEnd(block.buffer, from, block.end, name.key, keyLength, name.holds)
                                   : static_cast<const char *>(memmem(block.buffer + from, block.end - from,
                                                                      name.key, keyLength));
        if (hit == nullptr)
            return false;
        const auto at = static_cast<std::size_t>(hit - block.buffer);
        const std::size_t after = at + name.length;
        // Past the file's own bytes, or a bare name whose next byte is not here yet.
        if (at >= block.dataEnd || after > block.dataEnd || (bare && after == block.end && !block.last))
            return false;
        if (const char *newline = lastNewline(block.buffer, scanned, at))
            lineStart = block.base + static_cast<std::size_t>(newline - block.buffer) + 1;
        scanned = at;
        const std::uint64_t grid = nextGridPoint(block.base + at, lineStart);
        const bool startsPiece = grid - (block.base + at) == PIECE_SIZE;
        // A bare name holds no newline, so the byte after it is in the buffer:
        // at the file's end, the newline that stands in for the end.
        const bool endsPiece = !bare || name.endsPiece || block.buffer[after] == '\n' ||
                               block.buffer[after] == '\0';
        if (startsPiece && endsPiece)
            return true;
        from = nextPieceStart(block, at, keyLength, endsLine, static_cast<std::size_t>(grid - block.base));
    }
    return false;
}

} // namespace

// The list is read in blocks; each block is searched for every name in turn,
// so a pipe is read only once.  The last bytes of each block are carried over
// to the next, so an occurrence that crosses a block's end is found there.
ListResult userInList(const char *file, const char *user, const char *accountName, int *error)
{
    const int list = open(file, O_RDONLY);
    if (list < 0) {
        if (errno == ENOENT)
            return ListResult::listMissing;
        *error = errno;
        return ListResult::listUnreadable;
    }

    const ListName names[] = {listName(user), listName(accountName)};
    const std::size_t nameCount = std::strcmp(user, accountName) == 0 ? 1 : 2;
    std::size_t carry = 0;
    for (std::size_t i = 0; i < nameCount; i++) {
        if (names[i].nameable)
            carry = std::max(carry, names[i].length);
    }

    // Room for the carried bytes, a block, and a newline that stands in for
    // the end of the file.
    char buffer[PIECE_SIZE + LIST_BLOCK_SIZE + 1];
    std::size_t kept = 0;
    std::uint64_t base = 0;
    std::uint64_t lineStart = 0;
    for (;;) {
        const ssize_t got = read(list, buffer + kept, LIST_BLOCK_SIZE);
        if (got < 0) {
            // A read that fails must not pass for "not listed".
            *error = errno;
            close(list);
            return ListResult::listUnreadable;
        }
        Block block{buffer, kept + static_cast<std::size_t>(got), 0, got == 0, false, base, lineStart};
        block.dataEnd = block.end;
        if (block.last && block.end > 0 && buffer[block.end - 1] != '\n')
            buffer[block.end++] = '\n';
        block.holdsNul = std::memchr(buffer, '\0', block.dataEnd) != nullptr;
        for (std::size_t i = 0; i < nameCount; i++) {
            if (names[i].nameable && namedInBlock(block, names[i])) {
                close(list);
                return ListResult::listed;
            }
        }
        if (block.last)
            break;

        const std::size_t carried = std::min(carry, block.end);
        const std::size_t carryFrom = block.end - carried;
        if (const char *newline = lastNewline(buffer, 0, carryFrom))
            lineStart = base + static_cast<std::size_t>(newline - buffer) + 1;
        std::memmove(buffer, buffer + carryFrom, carried);
        kept = carried;
        base += carryFrom;
    }
    close(list);
    return ListResult::notListed;
}
