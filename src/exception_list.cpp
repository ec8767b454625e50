// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
#include "exception_list.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

// A piece runs to the end of its line, newline included, but holds at most
// PIECE_SIZE bytes.  The buffer always begins at a piece start, so it alone tells
// where its pieces start: its first byte, after each newline, every PIECE_SIZE on.

namespace {

constexpr std::size_t PIECE_SIZE = LIST_LINE_SIZE - 1;

struct ListName {
    const char *bytes;
    std::size_t length;
    // The name up to a final newline, then one: a piece that ends in a newline
    // names the name exactly when it is this key.  Empty where no piece can.
    char key[LIST_LINE_SIZE];
    std::size_t keyLength;
    bool holds[256]; // the bytes of the key before its newline
};

ListName listName(const char *bytes)
{
    ListName name{bytes, std::strlen(bytes), {}, 0, {}};
    const std::size_t body = std::strcspn(bytes, "\n");
    if (name.length > PIECE_SIZE || body + 1 < name.length) // a newline before its last byte
        return name;
    std::memcpy(name.key, bytes, body);
    name.key[body] = '\n';
    name.keyLength = body + 1;
    for (std::size_t i = 0; i < body; i++)
        name.holds[static_cast<unsigned char>(bytes[i])] = true;
    return name;
}

// The first newline in buffer[from, end), or `end`; a near one without memchr.
std::size_t nextNewline(const char *buffer, std::size_t from, std::size_t end)
{
    const std::size_t near = std::min(end, from + 16);
    while (from < near && buffer[from] != '\n')
        from++;
    const void *newline = from < near ? buffer + from : std::memchr(buffer + from, '\n', end - from);
    return newline == nullptr ? end : static_cast<std::size_t>(static_cast<const char *>(newline) - buffer);
}

bool pieceNames(const char *piece, std::size_t length, const ListName &name)
{
    return length >= name.length && std::memcmp(piece, name.bytes, name.length) == 0 &&
           (length == name.length || piece[name.length] == '\n' || piece[name.length] == '\0');
}

// The rule itself: each piece of buffer[0, end), to its newline or PIECE_SIZE.
bool namedByPieces(const char *buffer, std::size_t end, const ListName &name)
{
    for (std::size_t start = 0, length; start < end; start += length) {
        const std::size_t limit = std::min(end, start + PIECE_SIZE);
        length = std::min(nextNewline(buffer, start, limit) + 1, limit) - start;
        if (pieceNames(buffer + start, length, name))
            return true;
    }
    return false;
}

// Whether the key ends at the newline buffer[last]; most places differ at once.
bool keyEndsAt(const char *buffer, std::size_t last, const ListName &name)
{
    std::size_t same = 1;
    while (same < name.keyLength && buffer[last - same] == name.key[name.keyLength - 1 - same])
        same++;
    return same == name.keyLength;
}

// Whether buffer[at] starts a piece, given a piece start `known` at or before it.
bool startsPiece(const char *buffer, std::size_t known, std::size_t at)
{
    for (std::size_t newline; (newline = nextNewline(buffer, known, at)) < at;)
        known = newline + 1;
    return (at - known) % PIECE_SIZE == 0;
}

// namedByPieces's answer for finished pieces without a NUL, from the key alone.
// It ends at a newline: past a byte it does not hold, a key's length on at the
// soonest; past one it holds, at the next newline, however long the line.
bool namedByKey(const char *buffer, std::size_t end, const ListName &name)
{
    std::size_t known = 0; // a piece start before `last`
    for (std::size_t last = name.keyLength - 1; last < end;) {
        const auto byte = static_cast<unsigned char>(buffer[last]);
        if (byte == '\n' && keyEndsAt(buffer, last, name)) {
            if (startsPiece(buffer, known, last + 1 - name.keyLength))
                return true;
            known = last + 1;
        }
        last = name.holds[byte] ? nextNewline(buffer, last + 1, end) : last + name.keyLength;
    }
    return false;
}

// By pieces where a NUL may end the name, at the end of the file, and for a
// 127-byte name: it fills its piece, so no newline need follow it.
bool namedInBuffer(const char *buffer, std::size_t end, const ListName &name, bool byPieces)
{
    if (name.keyLength == 0)
        return false;
    if (byPieces || name.keyLength > PIECE_SIZE)
        return namedByPieces(buffer, end, name);
    return namedByKey(buffer, end, name);
}

bool namedInBlock(const char *buffer, std::size_t end, const ListName (&names)[2], bool byPieces)
{
    return namedInBuffer(buffer, end, names[0], byPieces) || namedInBuffer(buffer, end, names[1], byPieces);
}

// Where the unfinished last piece starts; the last line's other pieces are full.
std::size_t unfinishedPiece(const char *buffer, std::size_t end)
{
    std::size_t lineStart = end;
    while (lineStart > 0 && buffer[lineStart - 1] != '\n')
        lineStart--;
    return end - (end - lineStart) % PIECE_SIZE;
}

// Reads the list to its end, or to the first piece that names a name.  The
// unfinished last piece is carried over; the end of the file finishes it.
ListResult scanList(int list, const ListName (&names)[2], int *error)
{
    char buffer[PIECE_SIZE + LIST_BLOCK_SIZE];
    std::size_t kept = 0;
    ssize_t got;
    while ((got = read(list, buffer + kept, LIST_BLOCK_SIZE)) > 0) {
        const std::size_t end = kept + static_cast<std::size_t>(got);
        const std::size_t finished = unfinishedPiece(buffer, end);
        if (namedInBlock(buffer, finished, names, std::memchr(buffer, '\0', finished) != nullptr))
            return ListResult::listed;
        kept = end - finished;
        std::memmove(buffer, buffer + finished, kept);
    }
    if (got < 0) { // a read that fails must not pass for "not listed"
        *error = errno;
        return ListResult::listUnreadable;
    }
    return namedInBlock(buffer, kept, names, true) ? ListResult::listed : ListResult::notListed;
}

} // namespace

// Each block is searched for both names in turn, so a pipe is read only once.
ListResult userInList(const char *file, const char *user, const char *accountName, int *error)
{
    const int list = open(file, O_RDONLY);
    if (list < 0) {
        *error = errno;
        return errno == ENOENT ? ListResult::listMissing : ListResult::listUnreadable;
    }
    const bool same = std::strcmp(user, accountName) == 0;
    const ListName names[] = {listName(user), same ? ListName{} : listName(accountName)};
    const ListResult result = scanList(list, names, error);
    close(list);
    return result;
}
