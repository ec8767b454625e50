// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
// is_tovan-lint: checks exception lists before they go live.  It reads each
// list as is_tovan reads it, in pieces of at most 127 bytes, and says, one
// finding a line as compilers do (FILE:LINE: error: ...), where an entry or
// the list does not do what it looks like.  Exit status: 0 for no error (and,
// with -s, no warning), 1 for one, 255 when a list exists but cannot be read,
// or for a bad command line.  Unlike the tool, it keeps what it learns of
// each distinct entry, so its memory grows with them, and only with them.

// The sticky bit, S_ISVTX, is of POSIX's XSI option, which every system with a
// sticky /tmp has; the rest is POSIX.1-2008's base.
#ifndef _XOPEN_SOURCE
#define _XOPEN_SOURCE 700
#endif
#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <new>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

#include "account.h"
#include "exception_list.h"

[[maybe_unused]] static const char sccsId[] = "%W% %G% is_tovan-lint: exception list check";

// What the lint says a line names is what the tool finds there.
static_assert(LIST_LINE_SIZE == 128, "the tool reads lists in 127-byte pieces");
constexpr std::size_t PIECE_SIZE = LIST_LINE_SIZE - 1;

// The exit status: the worst over all lists, so the order counts.
enum class Status : int { clean = 0, findings = 1, cannotTell = 255 };

enum class Level { error, warning, note };

// Every kind of finding.  Its level is its row's in LEVELS, and nowhere else.
enum class Finding {
    // The list as a whole.
    listMissing,
    notRegular,
    writableByAll,
    writableByGroup,
    foreignOwner,
    ownerOnlyReads,
    linkInOpenFolder,
    // A line.
    longLine,
    pieceNames,
    nulByte,
    // An entry: what its bytes say.
    blanksOnly,
    keptAtEnd,
    noAccountCanHave,
    looksLikeComment,
    repeats,
    // An entry: what the user database says of it, or of a reading of it.
    rootByName,
    lowId,
    noAccount,
    otherSpelling,
    readsAsQualifying,
    readsAsListed,
    readsAsExcluded,
};

struct FindingLevel {
    Finding finding;
    Level level;
};

constexpr FindingLevel LEVELS[] = {
    {Finding::listMissing, Level::error},
    {Finding::notRegular, Level::error},
    {Finding::writableByAll, Level::error},
    {Finding::writableByGroup, Level::warning},
    {Finding::foreignOwner, Level::error},
    {Finding::ownerOnlyReads, Level::note},
    {Finding::linkInOpenFolder, Level::error},
    {Finding::longLine, Level::error},
    {Finding::pieceNames, Level::note},
    {Finding::nulByte, Level::error},
    {Finding::blanksOnly, Level::warning},
    {Finding::keptAtEnd, Level::error},
    {Finding::noAccountCanHave, Level::error},
    {Finding::looksLikeComment, Level::warning},
    {Finding::repeats, Level::note},
    {Finding::rootByName, Level::note},
    {Finding::lowId, Level::note},
    {Finding::noAccount, Level::warning},
    {Finding::otherSpelling, Level::error},
    {Finding::readsAsQualifying, Level::error},
    {Finding::readsAsListed, Level::note},
    {Finding::readsAsExcluded, Level::note},
};

// LEVELS has a row for each finding, in the order of the enumeration.
constexpr bool levelsInOrder()
{
    for (std::size_t row = 0; row < std::size(LEVELS); row++) {
        if (static_cast<std::size_t>(LEVELS[row].finding) != row)
            return false;
    }
    return std::size(LEVELS) == static_cast<std::size_t>(Finding::readsAsExcluded) + 1;
}
static_assert(levelsInOrder(), "LEVELS holds each finding once, in order");

// Lines and bytes are counted in 64 bits on every target: a list of 4 GiB or
// more on a 32-bit system is still counted right.
using Count = std::uint64_t;

// What the check knows of an entry, a name some piece of the list names.
struct EntryRecord {
    Count firstLine; // the line that named it first
    Count lastLine; // and last, so that a line's pieces name it once
    bool judged; // what its bytes and the user database say of it was said once
    bool
        leavesOut; // it looks like a comment, and what follows the '#' is an account that qualifies
};

// The entries of a list.  The map is node-based, so a pointer to one stays
// valid as the map grows.
using Entries = std::unordered_map<std::string, EntryRecord>;
using NamedEntry = Entries::value_type;

// What is said of an entry only once the whole list is read, since it
// depends on whether some line names `account`: another spelling that the
// user database gives back, an account that a reading of the entry is, or
// the account that a line that looks like a comment leaves out.
struct Pending {
    Finding finding; // otherSpelling, readsAsQualifying or looksLikeComment
    Count line;
    const std::string *entry;
    std::string account; // as the list would have to name it
    bool byId; // the reading is the entry taken as an id
};

// What a run checks, by where it runs.  On the host, of the live list:
// everything.  In a configuration manager's validate hook, of a temporary
// copy: not its placement (mode, owner, folders, path), which are the copy's,
// not the live list's.  In a repository of lists, on a workstation or in CI:
// neither placement (the checkout's) nor the user database (not the fleet's).
struct Options {
    bool strict = false; // -s: a warning, too, makes the status 1
    bool accounts = true; // --no-accounts leaves the user database out
    bool placement = true; // --no-placement leaves the mode, owner, folders and path out
};

// One list being checked.
struct Lint {
    const char *file = nullptr; // as given on the command line
    Options options;
    std::size_t errors = 0, warnings = 0;
    Entries entries;
    std::vector<Pending> pending;
};

// The line being read, and the piece of it being read: pieces are cut as the
// tool cuts them, at a newline (the piece's last byte) or after PIECE_SIZE
// bytes, and a piece names its bytes up to its first NUL or newline.
// pieceBytes counts a piece's bytes but its newline, which always ends it: so
// a line of PIECE_SIZE bytes is one full piece, and its newline a second,
// which names the empty name, as the tool reads it.
struct Scan {
    Count line = 1;
    Count length = 0; // the line's bytes so far, its newline not counted
    Count firstNul = 0; // 1 + where its first NUL stands, or 0
    Count pieces = 0; // its pieces finished so far
    std::size_t pieceBytes = 0;
    bool pieceNulSeen = false; // a NUL has ended the name of the piece
    std::string name; // the name of the piece, so far
    // The distinct names the line's pieces name, each with its piece's number.
    std::vector<std::pair<Count, NamedEntry *>> named;
};

[[noreturn]] static void usage(const char *name)
{
    std::fprintf(stderr, "Usage: %s [-s] [--no-accounts] [--no-placement] [--] list...\n", name);
    std::exit(static_cast<int>(Status::cannotTell));
}

// GCOVR_EXCL_START: only a machine out of memory calls it.
[[noreturn]] static void outOfMemory()
{
    std::fprintf(stderr, "is_tovan-lint: out of memory\n");
    std::exit(static_cast<int>(Status::cannotTell));
}
// GCOVR_EXCL_STOP

static Status cannotRead(const char *file, int error)
{
    std::fprintf(stderr, "is_tovan-lint: cannot read %s: %s\n", file, std::strerror(error));
    return Status::cannotTell;
}

// A name as a C string literal: printable ASCII as it is, but for the quote
// and the backslash, and every other byte as an octal escape of three digits,
// which ends where it should whatever follows (a hex escape would take every
// hex digit after it).  So no byte of a list reaches the terminal raw.
static std::string quoted(const std::string &name)
{
    std::string text = "\"";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\t') {
            text += "\\t";
        } else if (byte == '\r') {
            text += "\\r";
        } else if (byte == '"' || byte == '\\') {
            text += '\\';
            text += c;
        } else if (byte < 0x20 || byte > 0x7e) {
            char escape[sizeof "\\377"];
            std::snprintf(escape, sizeof escape, "\\%03o", byte);
            text += escape;
        } else {
            text += c;
        }
    }
    return text + "\"";
}

// One finding, at the level LEVELS gives it: "FILE:LINE: LEVEL: text", or
// "FILE: LEVEL: text" for the list as a whole (line 0).
[[gnu::format(printf, 4, 5)]] static void report(Lint &lint, Count line, Finding finding,
                                                 const char *format, ...)
{
    static const char *const levels[] = {"error", "warning", "note"};
    const Level level = LEVELS[static_cast<std::size_t>(finding)].level;
    if (level == Level::error)
        lint.errors++;
    else if (level == Level::warning)
        lint.warnings++;
    if (line == 0)
        std::printf("%s: %s: ", lint.file, levels[static_cast<int>(level)]);
    else
        std::printf("%s:%" PRIu64 ": %s: ", lint.file, line, levels[static_cast<int>(level)]);
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    std::putchar('\n');
}

// What the tool keeps as part of a name, where a reader sees a blank or
// nothing at all: at either end of an entry, it makes the entry another name
// than the one it shows.  Each as its UTF-8 bytes, and in words.
struct Unseen {
    const char *bytes;
    const char *words;
};

constexpr Unseen UNSEEN[] = {
    {" ", "a blank"},
    {"\t", "a tab"},
    {"\r", "a carriage return"},
    {"\xc2\xa0", "a no-break space (U+00A0)"},
    {"\xe2\x80\x80", "an en quad (U+2000)"},
    {"\xe2\x80\x81", "an em quad (U+2001)"},
    {"\xe2\x80\x82", "an en space (U+2002)"},
    {"\xe2\x80\x83", "an em space (U+2003)"},
    {"\xe2\x80\x84", "a three-per-em space (U+2004)"},
    {"\xe2\x80\x85", "a four-per-em space (U+2005)"},
    {"\xe2\x80\x86", "a six-per-em space (U+2006)"},
    {"\xe2\x80\x87", "a figure space (U+2007)"},
    {"\xe2\x80\x88", "a punctuation space (U+2008)"},
    {"\xe2\x80\x89", "a thin space (U+2009)"},
    {"\xe2\x80\x8a", "a hair space (U+200A)"},
    {"\xe2\x80\x8b", "a zero-width space (U+200B)"},
    {"\xe2\x80\xaf", "a narrow no-break space (U+202F)"},
    {"\xe2\x81\x9f", "a medium mathematical space (U+205F)"},
    {"\xe2\x81\xa0", "a word joiner (U+2060)"},
    {"\xe3\x80\x80", "an ideographic space (U+3000)"},
    {"\xef\xbb\xbf", "a byte order mark (U+FEFF)"},
};

// The unseen character that `text` begins with (atEnd false) or ends with
// (atEnd true), or nullptr.
static const Unseen *unseenAt(const std::string &text, bool atEnd)
{
    for (const Unseen &unseen : UNSEEN) {
        const std::size_t length = std::strlen(unseen.bytes);
        if (text.size() < length)
            continue;
        const std::size_t at = atEnd ? text.size() - length : 0;
        if (text.compare(at, length, unseen.bytes) == 0)
            return &unseen;
    }
    return nullptr;
}

// `text` without the unseen characters at either end.
static std::string withoutUnseen(std::string text)
{
    while (const Unseen *const first = unseenAt(text, false))
        text.erase(0, std::strlen(first->bytes));
    while (const Unseen *const last = unseenAt(text, true))
        text.erase(text.size() - std::strlen(last->bytes));
    return text;
}

// RFC 3629's table of well-formed UTF-8: for each range of lead bytes, the
// length of the sequence and the range its second byte must fall in; every
// later byte is 0x80 to 0xbf.  So no overlong form, no surrogate (U+D800 to
// U+DFFF, after 0xed) and nothing past U+10FFFF (after 0xf4).
struct Utf8Lead {
    unsigned first, last; // the lead bytes of this row
    std::size_t length;
    unsigned low, high; // the second byte's range
};

constexpr Utf8Lead UTF8_LEADS[] = {
    {0x00, 0x7f, 1, 0, 0},       {0xc2, 0xdf, 2, 0x80, 0xbf}, {0xe0, 0xe0, 3, 0xa0, 0xbf},
    {0xe1, 0xec, 3, 0x80, 0xbf}, {0xed, 0xed, 3, 0x80, 0x9f}, {0xee, 0xef, 3, 0x80, 0xbf},
    {0xf0, 0xf0, 4, 0x90, 0xbf}, {0xf1, 0xf3, 4, 0x80, 0xbf}, {0xf4, 0xf4, 4, 0x80, 0x8f},
};

// The length of the UTF-8 sequence that begins at text[at], by that table, or
// 0 where none does.  Past the end reads as 0, which continues no sequence.
static std::size_t utf8Length(const std::string &text, std::size_t at)
{
    const auto byte = [&text](std::size_t i) -> unsigned {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
    };
    const unsigned lead = byte(at);
    const auto row =
        std::find_if(std::begin(UTF8_LEADS), std::end(UTF8_LEADS),
                     [lead](const Utf8Lead &r) { return lead >= r.first && lead <= r.last; });
    if (row == std::end(UTF8_LEADS))
        return 0;
    if (row->length == 1)
        return 1;
    if (byte(at + 1) < row->low || byte(at + 1) > row->high)
        return 0;
    for (std::size_t i = 2; i < row->length; i++) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xbf)
            return 0;
    }
    return row->length;
}

// Where `text` stops being UTF-8: 1 + the index of the first byte that begins
// no sequence, or 0 where the whole text is UTF-8.
static std::size_t notUtf8At(const std::string &text)
{
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8Length(text, at);
        if (length == 0)
            return at + 1;
        at += length;
    }
    return 0;
}

static bool onlyDigits(const std::string &text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Why no account anywhere can have `entry`, in words ("holds a colon at byte
// 6"), or "" where one can: the widest rule for account names on Linux
// (systemd's relaxed one) is UTF-8 without control bytes, ':' or '/', not
// only digits, not '-' and digits, not "." or "..".  Unseen characters at
// either end are the caller's, as what the tool keeps there.
static std::string whyNoAccount(const std::string &entry)
{
    if (const std::size_t at = notUtf8At(entry))
        return "is not UTF-8 at byte " + std::to_string(at);
    for (std::size_t at = 0; at < entry.size(); at++) {
        const auto byte = static_cast<unsigned char>(entry[at]);
        const std::string where = " at byte " + std::to_string(at + 1);
        if (byte < 0x20 || byte == 0x7f)
            return "holds a control byte, " + quoted(entry.substr(at, 1)) + "," + where;
        if (byte == ':')
            return "holds a colon" + where;
        if (byte == '/')
            return "holds a slash" + where;
    }
    if (onlyDigits(entry))
        return "is only digits";
    if (entry[0] == '-' && onlyDigits(entry.substr(1)))
        return "is a minus and digits only";
    if (entry == "." || entry == "..")
        return "is a folder's name";
    return "";
}

// What an administrator may have meant by an entry that is no account here,
// in the order tried: the entry without unseen characters at its ends; the
// text before a ':' (a line of the user database or of the groups pasted
// whole); before " #" or a tab and '#' (a comment after the name); inside
// matching quotes; each word, split at blanks, tabs, commas and semicolons;
// in lower case (ASCII); the entry as an id (byId); its bytes as Latin-1,
// written in UTF-8 (a list saved in another encoding).  Each without unseen
// characters at its ends, distinct, not the entry itself, and only names
// some account somewhere could have.
struct Reading {
    std::string name;
    bool byId;
};

static void addReading(std::vector<Reading> &readings, const std::string &entry,
                       const std::string &text, bool byId)
{
    const std::string name = withoutUnseen(text);
    if (name.empty() || (!byId && (name == entry || !whyNoAccount(name).empty())))
        return;
    // A name read by id is only digits, which no other reading is.
    for (const Reading &reading : readings) {
        if (reading.name == name)
            return;
    }
    readings.push_back(Reading{name, byId});
}

// The text between matching quotes that begin and end `text`, or "".
static std::string insideQuotes(const std::string &text)
{
    static const char *const quotes[][2] = {{"\"", "\""},
                                            {"'", "'"},
                                            {"\xe2\x80\x9c", "\xe2\x80\x9d"},
                                            {"\xe2\x80\x98", "\xe2\x80\x99"}};
    for (const auto &[open, close] : quotes) {
        const std::size_t opening = std::strlen(open), closing = std::strlen(close);
        if (text.size() >= opening + closing && text.compare(0, opening, open) == 0 &&
            text.compare(text.size() - closing, closing, close) == 0)
            return text.substr(opening, text.size() - opening - closing);
    }
    return "";
}

// `text`'s bytes read as Latin-1 (ISO 8859-1), whose byte values are the
// code points U+0000 to U+00FF, written in UTF-8.
static std::string latin1AsUtf8(const std::string &text)
{
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xc0 | byte >> 6);
            utf8 += static_cast<char>(0x80 | (byte & 0x3f));
        }
    }
    return utf8;
}

static std::vector<Reading> readingsOf(const std::string &entry)
{
    std::vector<Reading> readings;
    const std::string seen = withoutUnseen(entry);
    addReading(readings, entry, seen, false);
    addReading(readings, entry, seen.substr(0, seen.find(':')), false);
    const std::size_t comment = std::min(seen.find(" #"), seen.find("\t#"));
    addReading(readings, entry, seen.substr(0, comment), false);
    addReading(readings, entry, insideQuotes(seen), false);
    for (std::size_t start = 0; start < seen.size();) {
        const std::size_t end = std::min(seen.find_first_of(" \t,;", start), seen.size());
        addReading(readings, entry, seen.substr(start, end - start), false);
        start = end + 1;
    }
    std::string lower = seen;
    for (char &c : lower)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    addReading(readings, entry, lower, false);
    if (onlyDigits(seen))
        addReading(readings, entry, seen, true);
    if (notUtf8At(seen) != 0)
        addReading(readings, entry, latin1AsUtf8(seen), false);
    return readings;
}

// The account a reading of `entry` finds, if any: a note where the tool
// excludes it without the list; otherwise kept until the list is read, to be
// an error unless some line names it.  Returns whether it found one.
static bool lookUpReading(Lint &lint, Count line, const std::string &entry, const Reading &reading)
{
    const std::string shown = quoted(entry);
    if (!reading.byId && reading.name == ROOT_NAME) {
        report(lint, line, Finding::readsAsExcluded,
               "%s is no account; it reads as \"root\", which is excluded by its name, list or no "
               "list",
               shown.c_str());
        return true;
    }
    const struct passwd *account = nullptr;
    if (reading.byId) {
        const unsigned long long id = std::strtoull(reading.name.c_str(), nullptr, 10);
        if (reading.name.size() > 10 || id > UINT32_MAX)
            return false;
        account = getpwuid(static_cast<uid_t>(id));
    } else {
        account = getpwnam(reading.name.c_str());
    }
    if (account == nullptr || account->pw_name == nullptr)
        return false;
    // Asked for by the reading's name, the tool names the account so; by an
    // id, by the name the user database gives.
    const std::string name = reading.byId ? account->pw_name : reading.name;
    const std::int32_t id = signedId(account->pw_uid);
    if (id < LOW_UID_LIMIT) {
        report(lint, line, Finding::readsAsExcluded,
               "%s is no account; it reads as %s%s, which has id %d, below %d: excluded, list or "
               "no list",
               shown.c_str(), reading.byId ? "the id of " : "", quoted(name).c_str(),
               static_cast<int>(id), static_cast<int>(LOW_UID_LIMIT));
        return true;
    }
    lint.pending.push_back(Pending{Finding::readsAsQualifying, line, &entry, name, reading.byId});
    return true;
}

// An entry that is no account here: what each reading of it finds, but the
// reading `said`, which a finding on the line has named already ("" for
// none), and none without the user database.  Returns whether any found an
// account.  `entry` is one of the list's entries, which outlive the scan:
// what waits for the end of the list keeps a pointer to it.
static bool readEntry(Lint &lint, Count line, const std::string &entry, const std::string &said)
{
    if (!lint.options.accounts)
        return false;
    bool found = false;
    for (const Reading &reading : readingsOf(entry)) {
        if (reading.name != said && lookUpReading(lint, line, entry, reading))
            found = true;
    }
    return found;
}

// The account behind an entry on a clean line: excluded already, unknown (and
// then what its readings find), or given back under another spelling, which
// the list must hold too.  Without the user database, only root, by name.
static void lookUp(Lint &lint, Count line, const std::string &entry)
{
    // Decided by the name alone, as the tool decides it.
    if (entry == ROOT_NAME) {
        report(lint, line, Finding::rootByName, "%s is excluded by its name, list or no list",
               quoted(entry).c_str());
        return;
    }
    if (!lint.options.accounts)
        return;
    const struct passwd *account = getpwnam(entry.c_str());
    if (account == nullptr) {
        if (!readEntry(lint, line, entry, ""))
            report(lint, line, Finding::noAccount,
                   "no account %s here: a typo, or an account only other hosts have",
                   quoted(entry).c_str());
        return;
    }
    const std::int32_t id = signedId(account->pw_uid);
    if (id < LOW_UID_LIMIT) {
        report(lint, line, Finding::lowId, "%s has id %d, below %d: excluded, list or no list",
               quoted(entry).c_str(), static_cast<int>(id), static_cast<int>(LOW_UID_LIMIT));
        return;
    }
    // Whether the list holds the other spelling is known once it is read.
    if (account->pw_name != nullptr && entry != account->pw_name)
        lint.pending.push_back(
            Pending{Finding::otherSpelling, line, &entry, account->pw_name, false});
}

// A line that begins with '#': to a reader an entry left out, and the tool
// indeed leaves that account to the rest of the list.  Whether the account
// the comment holds qualifies is known once the list is read; it is looked up
// once.  A CR or blanks at its end change nothing: it names nobody either way.
static void commentLine(Lint &lint, Count line, NamedEntry &named, bool firstTime)
{
    const std::string &entry = named.first;
    const std::string commented = withoutUnseen(entry.substr(1));
    if (firstTime && lint.options.accounts && !commented.empty() && commented != ROOT_NAME &&
        whyNoAccount(commented).empty()) {
        const struct passwd *account = getpwnam(commented.c_str());
        named.second.leavesOut = account != nullptr && signedId(account->pw_uid) >= LOW_UID_LIMIT;
    }
    if (named.second.leavesOut)
        lint.pending.push_back(Pending{Finding::looksLikeComment, line, &entry, commented, false});
    else
        report(lint, line, Finding::looksLikeComment,
               "%s looks like a comment, but the tool has none: the line names %s",
               quoted(entry).c_str(), quoted(entry).c_str());
}

// A line of one piece, without a NUL, that names the entry: what its bytes
// say, on every line that holds it; what the user database says of it, and
// of its readings, once.
static void checkEntry(Lint &lint, Count line, NamedEntry &named)
{
    const std::string &entry = named.first;
    EntryRecord &record = named.second;
    const bool firstTime = !record.judged;
    record.judged = true;
    const std::string shown = quoted(entry);
    const std::string seen = withoutUnseen(entry);
    const Unseen *const first = unseenAt(entry, false);
    const Unseen *const last = unseenAt(entry, true);
    std::string why;
    if (entry.front() == '#') {
        commentLine(lint, line, named, firstTime);
    } else if (seen.empty()) {
        report(lint, line, Finding::blanksOnly, "a line of blanks only, %s, names no account",
               shown.c_str());
    } else if (first != nullptr || last != nullptr) {
        report(lint, line, Finding::keptAtEnd,
               "%s %s with %s, which the tool keeps: it does not name %s", shown.c_str(),
               first != nullptr ? "begins" : "ends", first != nullptr ? first->words : last->words,
               quoted(seen).c_str());
        // The unseen characters are said; what the rest reads as, once.
        if (firstTime)
            readEntry(lint, line, entry, seen);
    } else if (!(why = whyNoAccount(entry)).empty()) {
        report(lint, line, Finding::noAccountCanHave, "%s %s: no account can have it",
               shown.c_str(), why.c_str());
        if (firstTime)
            readEntry(lint, line, entry, "");
    } else if (firstTime) {
        lookUp(lint, line, entry);
    }
    if (record.firstLine != line)
        report(lint, line, Finding::repeats, "%s repeats line %" PRIu64, shown.c_str(),
               record.firstLine);
}

// What was kept until the list was read, said now that it is known whether
// some line names the account, and which line first (0 for none: lines count
// from 1).
static void reportSpelling(Lint &lint, const Pending &pending, Count namedAt)
{
    const std::string account = quoted(pending.account);
    if (namedAt == 0)
        report(lint, pending.line, Finding::otherSpelling,
               "the user database gives %s back as %s, which the list does not hold: asked for by "
               "that name, the account qualifies; list %s",
               quoted(*pending.entry).c_str(), account.c_str(), account.c_str());
}

static void reportComment(Lint &lint, const Pending &pending, Count namedAt)
{
    const std::string entry = quoted(*pending.entry);
    // The account qualifies unless some line names it.
    const std::string qualifies =
        namedAt == 0 ? ", and " + quoted(pending.account) + " qualifies" : "";
    report(lint, pending.line, Finding::looksLikeComment,
           "%s looks like a comment, but the tool has none: the line names %s%s", entry.c_str(),
           entry.c_str(), qualifies.c_str());
}

static void reportReading(Lint &lint, const Pending &pending, Count namedAt)
{
    const std::string entry = quoted(*pending.entry), account = quoted(pending.account);
    const char *const by = pending.byId ? "the id of " : "";
    if (namedAt != 0)
        report(lint, pending.line, Finding::readsAsListed,
               "%s is no account; it reads as %s%s, which line %" PRIu64 " names already",
               entry.c_str(), by, account.c_str(), namedAt);
    else
        report(lint, pending.line, Finding::readsAsQualifying,
               "%s is no account; it reads as %s%s, which qualifies: list %s", entry.c_str(), by,
               account.c_str(), account.c_str());
}

static void reportPending(Lint &lint)
{
    for (const Pending &pending : lint.pending) {
        const auto naming = lint.entries.find(pending.account);
        const Count namedAt = naming == lint.entries.end() ? 0 : naming->second.firstLine;
        if (pending.finding == Finding::otherSpelling)
            reportSpelling(lint, pending, namedAt);
        else if (pending.finding == Finding::looksLikeComment)
            reportComment(lint, pending, namedAt);
        else
            reportReading(lint, pending, namedAt);
    }
}

// The piece read so far is finished: its name, if it has one, is an entry.
static void finishPiece(Lint &lint, Scan &scan)
{
    scan.pieces++;
    if (!scan.name.empty()) {
        const auto added =
            lint.entries.try_emplace(scan.name, EntryRecord{scan.line, 0, false, false}).first;
        if (added->second.lastLine != scan.line) {
            added->second.lastLine = scan.line;
            scan.named.emplace_back(scan.pieces, &*added);
        }
    }
    scan.name.clear();
    scan.pieceBytes = 0;
    scan.pieceNulSeen = false;
}

// The line read so far is finished, its last piece too.
static void finishLine(Lint &lint, Scan &scan)
{
    if (scan.length >= LIST_LINE_SIZE) {
        report(lint, scan.line, Finding::longLine,
               "a line of %" PRIu64 " bytes: the tool reads it as %" PRIu64
               " pieces of at most %zu bytes, each as if it began a line%s",
               scan.length, scan.pieces, PIECE_SIZE,
               scan.named.empty() ? ", naming only the empty name" : "");
        for (const auto &[piece, name] : scan.named)
            report(lint, scan.line, Finding::pieceNames, "piece %" PRIu64 " names %s", piece,
                   quoted(name->first).c_str());
    } else if (scan.firstNul != 0) {
        const std::string what =
            scan.named.empty() ? "only the empty name" : quoted(scan.named[0].second->first);
        report(lint, scan.line, Finding::nulByte,
               "a NUL byte at byte %" PRIu64 " ends what the tool compares: the line names %s",
               scan.firstNul, what.c_str());
    } else if (!scan.named.empty()) {
        // A line shorter than LIST_LINE_SIZE: its first piece is the whole
        // line, and a second, if any, its newline alone, which names nobody.
        checkEntry(lint, scan.line, *scan.named[0].second);
    }
    scan.line++;
    scan.length = 0;
    scan.firstNul = 0;
    scan.pieces = 0;
    scan.named.clear();
}

static void scanByte(Lint &lint, Scan &scan, char byte)
{
    if (byte == '\n') {
        finishPiece(lint, scan);
        finishLine(lint, scan);
        return;
    }
    scan.length++;
    scan.pieceBytes++;
    if (byte == '\0') {
        scan.firstNul = scan.firstNul != 0 ? scan.firstNul : scan.length;
        scan.pieceNulSeen = true;
    } else if (!scan.pieceNulSeen) {
        scan.name += byte;
    }
    if (scan.pieceBytes == PIECE_SIZE)
        finishPiece(lint, scan);
}

// Reads the open list to its end and reports what its lines hold, then what
// had to wait for the whole list.  Returns cannotTell where a read fails,
// having said so on standard error, and clean otherwise: the findings are
// counted in `lint`.
static Status scanList(Lint &lint, int list)
{
    Scan scan;
    char block[LIST_BLOCK_SIZE];
    ssize_t got = 0;
    while ((got = read(list, block, sizeof block)) > 0) {
        for (ssize_t at = 0; at < got; at++)
            scanByte(lint, scan, block[at]);
    }
    if (got < 0)
        return cannotRead(lint.file, errno);
    // A last line without a newline ends at the end of the file, as its last
    // piece does, unless that piece was full and so finished already.
    if (scan.pieceBytes > 0)
        finishPiece(lint, scan);
    if (scan.length > 0)
        finishLine(lint, scan);
    reportPending(lint);
    return Status::clean;
}

// Who may change the list, or the folder that holds it, as sshd's StrictModes
// asks: nobody but its owner may write, and its owner is root or the account
// running the check.  A folder with the sticky bit lets nobody replace
// another's file, so its write bits are no finding.
static void checkOwnerAndMode(Lint &lint, const std::string &what, const struct stat &info,
                              bool folder)
{
    const bool sticky = folder && (info.st_mode & S_ISVTX) != 0;
    if ((info.st_mode & S_IWOTH) != 0 && !sticky)
        report(lint, 0, Finding::writableByAll, "%s is writable by every account", what.c_str());
    else if ((info.st_mode & S_IWGRP) != 0 && !sticky)
        report(lint, 0, Finding::writableByGroup, "%s is writable by group %ld", what.c_str(),
               static_cast<long>(info.st_gid));
    // As root, an owner that is not root is never the account running it.
    if (info.st_uid != 0 && info.st_uid != geteuid()) // GCOVR_EXCL_BR_LINE
        report(lint, 0, Finding::foreignOwner,
               "%s is owned by user %ld, neither root nor the account running the check",
               what.c_str(), static_cast<long>(info.st_uid));
}

// A folder on the list's path that cannot be examined: who can change the
// list is then unknown, and so is the answer.
// GCOVR_EXCL_START: only folders resolved just now, and gone since, are such.
static Status cannotExamine(const char *file, const std::string &folder, int error)
{
    std::fprintf(stderr, "is_tovan-lint: cannot examine the folder %s of %s: %s\n",
                 quoted(folder).c_str(), file, std::strerror(error));
    return Status::cannotTell;
}
// GCOVR_EXCL_STOP

// The folder that holds `path`, as given: what stands before its last '/',
// or "/" for what stands right after the first.
static std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return path.substr(0, std::max<std::size_t>(slash, 1));
}

// One prefix of the list's path as given: where it is a link in a folder that
// every account can write, and whose sticky bit does not keep others' files
// from being replaced, any account can point it elsewhere.
static Status checkLink(Lint &lint, const std::string &prefix)
{
    // Every prefix of a path just opened exists, so lstat fails only in a race.
    struct stat info;
    if (lstat(prefix.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) // GCOVR_EXCL_BR_LINE
        return Status::clean;
    const std::string folder = folderOf(prefix);
    struct stat folderInfo;
    if (stat(folder.c_str(), &folderInfo) != 0) // GCOVR_EXCL_BR_LINE: resolved just now
        return cannotExamine(lint.file, folder, errno); // GCOVR_EXCL_LINE
    if ((folderInfo.st_mode & S_IWOTH) != 0 && (folderInfo.st_mode & S_ISVTX) == 0)
        report(lint, 0, Finding::linkInOpenFolder,
               "the link %s stands in a folder that every account can write: any of them can "
               "point it elsewhere",
               quoted(prefix).c_str());
    return Status::clean;
}

// Each link on the path as given, the list itself too, each prefix examined
// as the system resolves it, so that a link's own folder is judged where it
// really is, whatever the folders the link points to are.
static Status checkLinks(Lint &lint)
{
    const std::string path = lint.file;
    Status status = Status::clean;
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        status = std::max(status, checkLink(lint, path.substr(0, end)));
        if (end == std::string::npos)
            return status;
    }
}

// The list's own mode and owner, then those of each folder on its real path,
// its links resolved, from the list's own folder up to the root, then the
// links on the path as given.  Returns cannotTell where a folder cannot be
// examined, having said so on standard error; clean otherwise.
static Status checkPath(Lint &lint, const struct stat &info)
{
    checkOwnerAndMode(lint, "the list", info, false);
    if ((info.st_mode & (S_IRGRP | S_IROTH)) == 0)
        report(lint, 0, Finding::ownerOnlyReads,
               "only the list's owner can read it: where the tool runs as another account (user "
               "units, pam_exec without seteuid, polkit) it answers \"cannot tell\" (255) for "
               "everyone");
    char *const real = realpath(lint.file, nullptr);
    // GCOVR_EXCL_START: the list was opened just now, so only a real path longer than the
    // system takes has none.
    if (real == nullptr)
        return cannotExamine(lint.file, folderOf(lint.file), errno);
    // GCOVR_EXCL_STOP
    std::string folder = real;
    std::free(real);
    // A real path is absolute, and a regular file's is not "/" alone.
    do {
        folder.erase(std::max<std::size_t>(folder.rfind('/'), 1));
        struct stat folderInfo;
        if (stat(folder.c_str(), &folderInfo) != 0) // GCOVR_EXCL_BR_LINE: resolved just now
            return cannotExamine(lint.file, folder, errno); // GCOVR_EXCL_LINE
        checkOwnerAndMode(lint, "the folder " + quoted(folder), folderInfo, true);
    } while (folder.size() > 1);
    return checkLinks(lint);
}

// What a file is that is not a regular file or a folder.
static const char *kindOf(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "FIFO";
    return S_ISSOCK(mode) ? "socket" : "device";
}

// A list that a failed lstat or stat, with `error`, says is not there: where
// there is nothing, an error `what` it is, for then every account qualifies,
// as the tool lets it.  Any other failure stops the check of the list.
static Status missingList(Lint &lint, int error, const char *what)
{
    if (error != ENOENT)
        return cannotRead(lint.file, error);
    report(lint, 0, Finding::listMissing, "the list %s, so every account qualifies", what);
    return Status::findings;
}

// Checks one list: its findings on standard output, what stops the check on
// standard error.  Returns findings for an error, or with -s a warning;
// cannotTell where the list exists but cannot be read, or a folder on its path
// cannot be examined; clean otherwise.
static Status lintList(const char *file, const Options &options)
{
    Lint lint;
    lint.file = file;
    lint.options = options;
    struct stat info;
    if (lstat(file, &info) != 0)
        return missingList(lint, errno, "does not exist");
    if (stat(file, &info) != 0)
        return missingList(lint, errno, "is a link to nothing");
    // The tool fails to read a folder, and a FIFO or a device is never opened
    // here, so the check cannot block or touch a device.
    if (S_ISDIR(info.st_mode))
        return cannotRead(file, EISDIR);
    if (!S_ISREG(info.st_mode)) {
        report(lint, 0, Finding::notRegular, "the list is a %s, not a regular file: not read",
               kindOf(info.st_mode));
        return Status::findings;
    }
    const int list = open(file, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (list < 0)
        return cannotRead(file, errno);
    // GCOVR_EXCL_START: only a list swapped for a FIFO or a device since stat() is one
    // now; it is opened without waiting for a writer, and closed unread.
    if (fstat(list, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(list);
        std::fprintf(stderr, "is_tovan-lint: %s changed while it was checked\n", file);
        return Status::cannotTell;
    }
    // GCOVR_EXCL_STOP
    const Status placed = options.placement ? checkPath(lint, info) : Status::clean;
    // checkPath fails only where a folder resolved just now is gone.
    const Status scanned =
        placed == Status::clean ? scanList(lint, list) : placed; // GCOVR_EXCL_BR_LINE
    close(list);
    if (scanned != Status::clean)
        return scanned;
    return lint.errors > 0 || (options.strict && lint.warnings > 0) ? Status::findings
                                                                    : Status::clean;
}

int main(int argc, char *argv[])
{
    std::set_new_handler(outOfMemory);
    // Linux 5.18 on never passes argc 0, so the tests reach one branch only.
    if (argc < 2)
        usage(argc > 0 ? argv[0] : "is_tovan-lint"); // GCOVR_EXCL_BR_LINE
    // Options come before the lists, as getopt takes them: each a whole
    // argument, "--" ends them, and "-" alone is a list's name.
    Options options;
    int index = 1;
    for (; index < argc && argv[index][0] == '-' && argv[index][1] != '\0'; index++) {
        const char *const option = argv[index];
        if (std::strcmp(option, "--") == 0) {
            index++;
            break;
        }
        if (std::strcmp(option, "-s") == 0)
            options.strict = true;
        else if (std::strcmp(option, "--no-accounts") == 0)
            options.accounts = false;
        else if (std::strcmp(option, "--no-placement") == 0)
            options.placement = false;
        else
            usage(argv[0]);
    }
    if (index >= argc)
        usage(argv[0]);
    Status worst = Status::clean;
    for (; index < argc; index++)
        worst = std::max(worst, lintList(argv[index], options));
    std::exit(static_cast<int>(worst));
}
