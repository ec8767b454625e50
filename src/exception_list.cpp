// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
//
// The list lookup.  The list is read in blocks.  Within a block, namedByPieces
// is the rule itself, and the reference for everything else here: a piece
// names a name when its first bytes are the name's and the byte after them is
// a newline, a NUL or the piece's end.  Two faster forms of the same search,
// the chunk test and skipping, answer exactly as the rule does where the
// contract above them holds; every other block goes to the rule.
#include "exception_list.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace {

// A piece is a line, its newline included, cut into PIECE_SIZE bytes at most:
// a line of PIECE_SIZE bytes or more is several pieces, all full but the last.
// So a text that begins at a piece start tells by itself where its pieces
// start: at its first byte, after each newline, and PIECE_SIZE bytes after a
// piece start where no newline came sooner.  Every buffer here begins at one.
constexpr std::size_t PIECE_SIZE = LIST_LINE_SIZE - 1;

// Facts the scan relies on are checked where it relies on them, in the test
// builds of the lookup: they define IS_TOVAN_LIST_CHECKS, and listCheck,
// which ends the test on a fact that does not hold.  The tool is built
// without, so a check, compiled but not run, costs it nothing: some read the
// whole block again.  NDEBUG is not the switch, since packagers' builds
// (CMake's build type None) leave it undefined.
#if IS_TOVAN_LIST_CHECKS
#define LIST_CHECK(fact) listCheck(fact, #fact, __LINE__)
#else
#define LIST_CHECK(fact) static_cast<void>(sizeof(fact))
#endif

// The body a name gets when no piece can name it: more than a piece holds.
constexpr std::size_t NEVER_NAMED = LIST_LINE_SIZE;

struct ListName {
    const char *bytes;
    std::size_t length;
    // The bytes before the name's first newline, so never a newline.  A name
    // that a piece can name is its body, or its body and a newline at its end;
    // any other name has NEVER_NAMED here.
    std::size_t body;
    // What stands in the two bytes before the newline that ends a line of
    // exactly the body: the body's last two bytes, the newline before the
    // line standing in for those a shorter body lacks.
    unsigned char beforeEnd[2];
    // holds[b]: byte b is in the body.
    bool holds[UCHAR_MAX + 1];
};

// The name no piece names, for the account's name where it is the user's.
constexpr ListName NOBODY{"", 0, NEVER_NAMED, {'\n', '\n'}, {}};

// The name `bytes` as the scan looks for it.
ListName listName(const char *bytes)
{
    const std::size_t length = std::strlen(bytes);
    const std::size_t body = std::strcspn(bytes, "\n");
    // A piece ends at its first newline and holds at most PIECE_SIZE bytes.
    const bool nameable = length <= PIECE_SIZE && body + 1 >= length;
    ListName name{bytes, length, nameable ? body : NEVER_NAMED, {'\n', '\n'}, {}};
    const std::size_t kept = std::min<std::size_t>(body, 2);
    std::memcpy(name.beforeEnd + 2 - kept, bytes + body - kept, kept);
    for (std::size_t at = 0; at < body; at++)
        name.holds[static_cast<unsigned char>(bytes[at])] = true;
    return name;
}

// The first newline in bytes[from, end), or `end`.  Needs from <= end, or the
// length it searches wraps around.
std::size_t firstNewline(const char *bytes, std::size_t from, std::size_t end)
{
    LIST_CHECK(from <= end);
    const auto *newline = static_cast<const char *>(std::memchr(bytes + from, '\n', end - from));
    return newline == nullptr ? end : static_cast<std::size_t>(newline - bytes);
}

// firstNewline's answer, where the newline is likely among the next few bytes,
// as in a list of names: those cost less one at a time than a call of memchr.
std::size_t firstNewlineNear(const char *bytes, std::size_t from, std::size_t end)
{
    const std::size_t near = std::min(end, from + 16);
    while (from < near && bytes[from] != '\n')
        from++;
    return from < near ? from : firstNewline(bytes, from, end);
}

// The start of the line that holds buffer[at]: the byte after the last newline
// before `at`, or `from`, a line start, if none stands in buffer[from, at).
// Needs from <= at: past `at`, `from` would be no bound for the search back.
std::size_t lineStart(const char *buffer, std::size_t from, std::size_t at)
{
    LIST_CHECK(from <= at);
    while (at > from && buffer[at - 1] != '\n')
        at--;
    return at;
}

// The end of the whole pieces in buffer[0, end): of those that end in a
// newline or hold PIECE_SIZE bytes.  What follows is the start of a piece that
// later bytes may finish.
std::size_t wholePiecesEnd(const char *buffer, std::size_t end)
{
    return end - (end - lineStart(buffer, 0, end)) % PIECE_SIZE;
}

// Whether the piece of `length` bytes at `piece` names the name.
bool pieceNames(const char *piece, std::size_t length, const ListName &name)
{
    return length >= name.length && std::memcmp(piece, name.bytes, name.length) == 0 &&
           (length == name.length || piece[name.length] == '\n' || piece[name.length] == '\0');
}

// The rule: whether a piece of buffer[0, end) names the name.
bool namedByPieces(const char *buffer, std::size_t end, const ListName &name)
{
    std::size_t length = 0;
    for (std::size_t start = 0; start < end; start += length) {
        const std::size_t limit = std::min(end, start + PIECE_SIZE);
        length = std::min(firstNewlineNear(buffer, start, limit) + 1, limit) - start;
        if (pieceNames(buffer + start, length, name))
            return true;
    }
    return false;
}

// The fast forms: the chunk test and skipping.  Each answers exactly as
// namedByPieces(buffer, end, name) does where
//   - buffer[0, end) holds no NUL;
//   - it is whole pieces: `end` cuts none short, so each ends in a newline or
//     holds PIECE_SIZE bytes;
//   - name.body < PIECE_SIZE;
//   - LEAD_SIZE newlines stand before buffer[0], as before a line start.
// There, a piece names the name exactly when it is the body and a newline.  In
// a piece that names it, the body is followed by a newline (the name's last
// byte, or the one after the name), by a NUL or by the piece's end.  No NUL
// stands in the range, and a piece that ends without a newline holds
// PIECE_SIZE bytes, more than the body; so a newline follows, and ends the
// piece.  The body holds no newline, so that piece is a whole line, or the
// last piece of a line of PIECE_SIZE bytes or more.
constexpr std::size_t LEAD_SIZE = LIST_LINE_SIZE;

// The chunk test.  The buffer is read CHUNK_SIZE bytes at a time, on a grid
// that starts again at each line start it jumps to.  A chunk without a newline
// lies in a line whose last piece is then read directly, and the scan goes on
// after that line.  Every line of PIECE_SIZE bytes or more holds such a chunk:
// the first chunk of the grid to start in the line starts fewer than
// CHUNK_SIZE bytes after the line does, so it ends within 2 * CHUNK_SIZE - 1
// <= PIECE_SIZE bytes of the line's start, before its newline; and the grid
// reaches it before the chunk that holds that newline.  So every other line
// is shorter than a piece, is one piece, and names the name only when it is
// exactly the body: the chunk that holds its newline is tested for such a
// line end, and read again a byte at a time only where the test finds one.
constexpr std::size_t CHUNK_SIZE = (PIECE_SIZE + 1) / 2;
static_assert(2 * CHUNK_SIZE - 1 <= PIECE_SIZE, "a line a piece long holds a chunk of the grid");
static_assert(LEAD_SIZE >= PIECE_SIZE, "a line end's test reads up to PIECE_SIZE bytes back");

struct ChunkTest {
    bool newline; // the chunk holds a newline
    bool bodyLineEnds; // and one of them may end a line that is exactly the body
};

// The test of the chunk at `chunk`, in a loop compilers vectorize.  It may find
// a line end where the body does not stand, never miss one where it does: it
// reads back from each newline to the body's last two bytes, and to the
// newline before a line of the body's length.  That is body + 1 bytes back at
// most, and so at most PIECE_SIZE, as the body is shorter than a piece: no
// further back than the newlines before the buffer reach.  The caller keeps
// the chunk's CHUNK_SIZE bytes within the range.
ChunkTest testChunk(const char *chunk, const ListName &name)
{
    LIST_CHECK(name.body < PIECE_SIZE);
    const auto *lineEnd = reinterpret_cast<const unsigned char *>(chunk);
    const auto *bodyLast = lineEnd - 1;
    const auto *bodySecondLast = lineEnd - std::min<std::size_t>(name.body + 1, 2);
    const auto *newlineBefore = bodyLast - name.body;
    // A byte XOR a newline is zero at a newline, and so is the least of them.
    unsigned char newline = UCHAR_MAX;
    unsigned char bodyLine = UCHAR_MAX;
    for (std::size_t at = 0; at < CHUNK_SIZE; at++) {
        const unsigned char end = lineEnd[at] ^ '\n';
        newline = std::min<unsigned char>(newline, end);
        const unsigned char second = bodySecondLast[at] ^ name.beforeEnd[0];
        const unsigned char last = bodyLast[at] ^ name.beforeEnd[1];
        const unsigned char start = newlineBefore[at] ^ '\n';
        bodyLine = std::min<unsigned char>(bodyLine, end | second | last | start);
    }
    return ChunkTest{newline == 0, bodyLine == 0};
}

// Whether the body stands right before `newline`, compared from its end: most
// lines differ at once.  It reads name.body bytes back: skipping probes no
// newline before buffer[name.body], and the chunk test none before buffer[0],
// which more than name.body newlines precede (testChunk checks the body).
bool bodyEndsAt(const char *newline, const ListName &name)
{
    using Reverse = std::reverse_iterator<const char *>;
    return std::equal(Reverse(name.bytes + name.body), Reverse(name.bytes), Reverse(newline));
}

// Whether a newline in the chunk at buffer[at] ends a line that is exactly the
// body.
bool chunkEndsBodyLine(const char *buffer, std::size_t at, const ListName &name)
{
    const auto endsBodyLine = [&](const char &end) {
        return end == '\n' && *(&end - name.body - 1) == '\n' && bodyEndsAt(&end, name);
    };
    return std::any_of(buffer + at, buffer + at + CHUNK_SIZE, endsBodyLine);
}

// Whether the last piece of the line that holds the chunk at buffer[at] names
// the name, `from` being a line start at or before the line's.  Moves `at` and
// `from` past that line, to the end of the range if it has no newline there.
// Needs the chunk at `at` to hold no newline, so that the line runs on past it;
// and where no newline follows, the line to end at a piece end, as it does in
// whole pieces: then its last piece is the one before `end`, and is whole.
bool lastPieceNames(const char *buffer, std::size_t end, const ListName &name, std::size_t &from,
                    std::size_t &at)
{
    LIST_CHECK(std::memchr(buffer + at, '\n', CHUNK_SIZE) == nullptr);
    const std::size_t start = lineStart(buffer, from, at);
    // The line holds a chunk without a newline: likely long, so memchr at once.
    const std::size_t newline = firstNewline(buffer, at + CHUNK_SIZE, end);
    const std::size_t lastPiece = start + (newline - start) / PIECE_SIZE * PIECE_SIZE;
    at = from = std::min(newline + 1, end);
    // A last piece stands before `at` exactly when the newline does.
    LIST_CHECK((lastPiece < at) == (newline < end));
    return lastPiece < at && pieceNames(buffer + lastPiece, at - lastPiece, name);
}

// namedByPieces's answer, by the chunk test.
bool namedByChunkTest(const char *buffer, std::size_t end, const ListName &name)
{
    // No line that ends before `at` names the name; `from` is a line start at
    // or before `at`, where the grid began.
    std::size_t from = 0;
    std::size_t at = 0;
    while (at + CHUNK_SIZE <= end) {
        const ChunkTest test = testChunk(buffer + at, name);
        if (test.bodyLineEnds && chunkEndsBodyLine(buffer, at, name))
            return true;
        if (test.newline)
            at += CHUNK_SIZE;
        else if (lastPieceNames(buffer, end, name, from, at))
            return true;
    }
    // The lines that end in the last bytes, shorter than a chunk, by the rule.
    const std::size_t start = lineStart(buffer, from, at);
    return namedByPieces(buffer + start, end - start, name);
}

// Whether buffer[at] starts a piece, `from` being a piece start at or before
// it: from <= at, or the pieces would be counted from past `at`.
bool startsPiece(const char *buffer, std::size_t from, std::size_t at)
{
    LIST_CHECK(from <= at);
    for (std::size_t newline; (newline = firstNewlineNear(buffer, from, at)) < at;)
        from = newline + 1;
    return (at - from) % PIECE_SIZE == 0;
}

// Skipping.  It probes the bytes where the newline after the body could stand,
// from the first on.  A probed byte that the body does not hold, a newline
// among them, can be in no body before a newline further on: the next such
// newline stands a body and a newline later at the earliest.  Past a byte the
// body holds, the next newline is the next place.  A newline with the body
// before it names the name where the body starts a piece.  Returns
// namedByPieces's answer.
bool namedBySkipping(const char *buffer, std::size_t end, const ListName &name)
{
    // No piece that names the name ends in a newline before `probe`; `from` is
    // a piece start at or before the body that ends at `probe`.
    std::size_t from = 0;
    for (std::size_t probe = name.body; probe < end;) {
        const auto byte = static_cast<unsigned char>(buffer[probe]);
        if (byte == '\n' && bodyEndsAt(buffer + probe, name)) {
            if (startsPiece(buffer, from, probe - name.body))
                return true;
            from = probe + 1;
        }
        probe = name.holds[byte] ? firstNewlineNear(buffer, probe + 1, end) : probe + name.body + 1;
    }
    return false;
}

// The chunk test pays where the compiler makes vector code of it: for a target
// with vector units, by GCC 12 on or clang, which vectorize at -O2.  Elsewhere
// skipping reads fewer bytes.
#if !defined(IS_TOVAN_LIST_CHUNKS) && (defined(__clang__) || __GNUC__ >= 12) &&                    \
    !defined(__OPTIMIZE_SIZE__) &&                                                                 \
    (defined(__SSE2__) || defined(__ARM_NEON) || defined(__ALTIVEC__) || defined(__VX__))
#define IS_TOVAN_LIST_CHUNKS 1
#elif !defined(IS_TOVAN_LIST_CHUNKS)
#define IS_TOVAN_LIST_CHUNKS 0
#endif
constexpr auto namedByFastForm = IS_TOVAN_LIST_CHUNKS ? namedByChunkTest : namedBySkipping;

// Whether a piece of buffer[0, end) names the name, by the fast form where it
// may be used: not where a NUL may end the name, nor at the end of the file,
// nor for a body that fills a piece.
bool namedInBuffer(const char *buffer, std::size_t end, const ListName &name, bool byPieces)
{
    if (name.body == NEVER_NAMED)
        return false;
    if (byPieces || name.body == PIECE_SIZE)
        return namedByPieces(buffer, end, name);
    // The fast forms' contract, but for the newlines before the buffer.
    LIST_CHECK(std::memchr(buffer, '\0', end) == nullptr);
    LIST_CHECK(wholePiecesEnd(buffer, end) == end);
    LIST_CHECK(name.body < PIECE_SIZE);
    // Each answer of a fast form is the rule's: every test that reaches one is
    // held to the rule.
    const bool named = namedByFastForm(buffer, end, name);
    LIST_CHECK(named == namedByPieces(buffer, end, name));
    return named;
}

// Whether a piece of buffer[0, end) names either name.
bool namedInBlock(const char *buffer, std::size_t end, const ListName (&names)[2], bool byPieces)
{
    return namedInBuffer(buffer, end, names[0], byPieces) ||
           namedInBuffer(buffer, end, names[1], byPieces);
}

// Reads the list to its end or to a piece that names a name.  Each block is
// searched up to its whole pieces; the piece it ends in is carried to the
// start of the buffer and finished by the next, or by the end of the file.
ListResult scanList(int list, const ListName (&names)[2], int *error)
{
    // LEAD_SIZE newlines, never written again, then the buffer: the carried
    // piece, shorter than a piece, and a block.
    char storage[LEAD_SIZE + PIECE_SIZE + LIST_BLOCK_SIZE];
    static_assert(sizeof storage - LEAD_SIZE >= (PIECE_SIZE - 1) + LIST_BLOCK_SIZE,
                  "a carried piece and a block fit in the buffer");
    std::memset(storage, '\n', LEAD_SIZE);
    char *const buffer = storage + LEAD_SIZE;
    std::size_t kept = 0;
    ssize_t got = 0;
    while ((got = read(list, buffer + kept, LIST_BLOCK_SIZE)) > 0) {
        const std::size_t end = kept + static_cast<std::size_t>(got);
        const std::size_t whole = wholePiecesEnd(buffer, end);
        const bool holdsNul = std::memchr(buffer, '\0', whole) != nullptr;
        if (namedInBlock(buffer, whole, names, holdsNul))
            return ListResult::listed;
        kept = end - whole;
        LIST_CHECK(kept < PIECE_SIZE);
        std::memmove(buffer, buffer + whole, kept);
    }
    if (got < 0) { // a read that fails must not pass for "not listed"
        *error = errno;
        return ListResult::listUnreadable;
    }
    // The last piece ends at the end of the file, not where the fast forms need.
    return namedInBlock(buffer, kept, names, true) ? ListResult::listed : ListResult::notListed;
}

} // namespace

ListResult userInList(const char *file, const char *user, const char *accountName, int *error)
{
    const int list = open(file, O_RDONLY);
    if (list < 0) {
        *error = errno;
        return errno == ENOENT ? ListResult::listMissing : ListResult::listUnreadable;
    }
    const bool same = std::strcmp(user, accountName) == 0;
    const ListName names[] = {listName(user), same ? NOBODY : listName(accountName)};
    const ListResult result = scanList(list, names, error);
    close(list);
    return result;
}
