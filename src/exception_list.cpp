// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
#include "exception_list.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

// A piece runs to the end of its line, newline included, but holds at most PIECE_SIZE bytes.  The
// buffer always begins at one, so it alone tells where they start: at it, after each newline, every PIECE_SIZE on.

namespace {

constexpr std::size_t PIECE_SIZE = LIST_LINE_SIZE - 1;

struct ListName {
    const char *bytes;
    std::size_t length;
    std::size_t body; // up to a final newline; past a piece where no piece can name it
    unsigned char before[2]; // the two bytes before the newline that ends a line of the body
    bool holds[UCHAR_MAX + 1]; // the body's bytes
};

ListName listName(const char *bytes)
{
    const std::size_t length = std::strlen(bytes), body = std::strcspn(bytes, "\n");
    const bool named = length <= PIECE_SIZE && body + 1 >= length; // no newline before its last byte
    ListName name{bytes, length, named ? body : LIST_LINE_SIZE, {'\n', '\n'}, {}};
    const std::size_t kept = std::min<std::size_t>(body, 2); // newlines where the body is shorter
    std::memcpy(name.before + 2 - kept, bytes + body - kept, kept);
    for (std::size_t at = 0; at < body; at++)
        name.holds[static_cast<unsigned char>(bytes[at])] = true;
    return name;
}

// The first newline in buffer[from, end), or `end`.
std::size_t farNewline(const char *buffer, std::size_t from, std::size_t end)
{
    const void *newline = std::memchr(buffer + from, '\n', end - from);
    return newline == nullptr ? end : static_cast<std::size_t>(static_cast<const char *>(newline) - buffer);
}

// The same where it is likely near: the bytes up to it cost less than memchr.
std::size_t nextNewline(const char *buffer, std::size_t from, std::size_t end)
{
    const std::size_t near = std::min(end, from + 16);
    while (from < near && buffer[from] != '\n')
        from++;
    return from < near ? from : farNewline(buffer, from, end);
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

constexpr std::size_t CHUNK_SIZE = (PIECE_SIZE + 1) / 2; // a longer line holds one without a newline

struct ChunkEnds { bool newline, pair; }; // any newline in the chunk; one that may end a line of the body

// A loop compilers vectorize.  A byte XOR a newline is zero at one, and so is the least; a line
// of the body ends in its last two bytes and a newline, the body's length after one.
ChunkEnds chunkEnds(const char *chunk, const ListName &name)
{
    const auto *ends = reinterpret_cast<const unsigned char *>(chunk), *lasts = ends - 1;
    const auto *firsts = ends - std::min<std::size_t>(name.body + 1, 2), *starts = lasts - name.body;
    unsigned char newline = UCHAR_MAX, pair = UCHAR_MAX;
    for (std::size_t at = 0; at < CHUNK_SIZE; at++) {
        const unsigned char end = ends[at] ^ '\n';
        newline = std::min<unsigned char>(newline, end);
        pair = std::min<unsigned char>(pair, end | (firsts[at] ^ name.before[0]) | (lasts[at] ^ name.before[1]) |
                                                 (starts[at] ^ '\n'));
    }
    return ChunkEnds{newline == 0, pair == 0};
}

// Compared from its end: most lines differ at once.
bool bodyEndsAt(const char *buffer, std::size_t newline, const ListName &name)
{
    const std::reverse_iterator<const char *> body(name.bytes + name.body), line(buffer + newline);
    return std::equal(body, body + static_cast<std::ptrdiff_t>(name.body), line);
}

// The chunk test again a byte at a time, with the bodies compared.
bool pairNames(const char *buffer, std::size_t at, const ListName &name)
{
    const auto endsName = [&](const char &end) {
        const auto newline = static_cast<std::size_t>(&end - buffer);
        return end == '\n' && *(&end - name.body - 1) == '\n' && bodyEndsAt(buffer, newline, name);
    };
    return std::any_of(buffer + at, buffer + at + CHUNK_SIZE, endsName);
}

// The start of the line that holds buffer[at], a line start `from` at the earliest.
std::size_t lineStart(const char *buffer, std::size_t from, std::size_t at)
{
    while (at > from && buffer[at - 1] != '\n')
        at--;
    return at;
}

// A chunk without a newline lies in a line longer than a piece, which only its last
// piece can name the name in: reads that piece, and moves `at` and `from` past the line.
bool longLineNames(const char *buffer, std::size_t end, const ListName &name, std::size_t &from, std::size_t &at)
{
    const std::size_t start = lineStart(buffer, from, at), newline = farNewline(buffer, at + CHUNK_SIZE, end);
    const std::size_t lastPiece = start + (newline - start) / PIECE_SIZE * PIECE_SIZE;
    at = from = std::min(newline + 1, end);
    return lastPiece < at && pieceNames(buffer + lastPiece, at - lastPiece, name);
}

// namedByPieces's answer without a NUL: from lines of the body's length or longer.
bool namedByLines(const char *buffer, std::size_t end, const ListName &name)
{
    std::size_t from = 0, at = 0; // the lines that end before `at` are read; `from` starts one
    while (at + CHUNK_SIZE <= end) {
        const ChunkEnds ends = chunkEnds(buffer + at, name);
        if (ends.pair && pairNames(buffer, at, name))
            return true;
        if (ends.newline)
            at += CHUNK_SIZE;
        else if (longLineNames(buffer, end, name, from, at))
            return true;
    }
    const std::size_t start = lineStart(buffer, from, at);
    return namedByPieces(buffer + start, end - start, name);
}

// Whether buffer[at] starts a piece, `from` a piece start at or before it.
bool startsPiece(const char *buffer, std::size_t from, std::size_t at)
{
    for (std::size_t newline; (newline = nextNewline(buffer, from, at)) < at;)
        from = newline + 1;
    return (at - from) % PIECE_SIZE == 0;
}

// The same by skipping: a byte at `last` that the body does not hold puts the line's end at
// least a body and a newline further on; past one that it holds, the next newline is next.
bool namedByKey(const char *buffer, std::size_t end, const ListName &name)
{
    std::size_t from = 0; // a piece start before `last`
    for (std::size_t last = name.body; last < end;) {
        const auto byte = static_cast<unsigned char>(buffer[last]);
        if (byte == '\n' && bodyEndsAt(buffer, last, name)) {
            if (startsPiece(buffer, from, last - name.body))
                return true;
            from = last + 1;
        }
        last = name.holds[byte] ? nextNewline(buffer, last + 1, end) : last + name.body + 1;
    }
    return false;
}

// The chunk test pays where the compiler makes vector code of it: for a target with vector
// units, by GCC 12 on or clang, which vectorize at -O2.  Elsewhere skipping reads fewer bytes.
#if !defined(IS_TOVAN_LIST_CHUNKS) && (defined(__clang__) || __GNUC__ >= 12) && !defined(__OPTIMIZE_SIZE__) && \
    (defined(__SSE2__) || defined(__ARM_NEON) || defined(__ALTIVEC__) || defined(__VX__))
#define IS_TOVAN_LIST_CHUNKS 1
#elif !defined(IS_TOVAN_LIST_CHUNKS)
#define IS_TOVAN_LIST_CHUNKS 0
#endif
constexpr auto namedByEnds = IS_TOVAN_LIST_CHUNKS ? namedByLines : namedByKey;

// By pieces where a NUL may end the name, at the end of the file, and for a name that fills a piece.
bool namedInBuffer(const char *buffer, std::size_t end, const ListName &name, bool byPieces)
{
    if (name.body > PIECE_SIZE)
        return false;
    if (byPieces || name.body == PIECE_SIZE)
        return namedByPieces(buffer, end, name);
    return namedByEnds(buffer, end, name);
}

bool namedInBlock(const char *buffer, std::size_t end, const ListName (&names)[2], bool byPieces)
{
    return namedInBuffer(buffer, end, names[0], byPieces) || namedInBuffer(buffer, end, names[1], byPieces);
}

// Reads the list to its end or to a piece that names a name; the end finishes the last.
ListResult scanList(int list, const ListName (&names)[2], int *error)
{
    // Newlines before the buffer, as before a line start, for the chunk test to read back.
    char storage[LIST_LINE_SIZE + PIECE_SIZE + LIST_BLOCK_SIZE];
    std::memset(storage, '\n', LIST_LINE_SIZE);
    char *const buffer = storage + LIST_LINE_SIZE;
    std::size_t kept = 0;
    ssize_t got;
    while ((got = read(list, buffer + kept, LIST_BLOCK_SIZE)) > 0) {
        const std::size_t end = kept + static_cast<std::size_t>(got);
        // Up to the unfinished last piece: the last line's other pieces are full.
        const std::size_t finished = end - (end - lineStart(buffer, 0, end)) % PIECE_SIZE;
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
    const ListName names[] = {listName(user), same ? ListName{"", 0, LIST_LINE_SIZE, {}, {}} : listName(accountName)};
    const ListResult result = scanList(list, names, error);
    close(list);
    return result;
}
