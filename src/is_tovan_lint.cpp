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
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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

// What the check knows of an entry, a name some piece of the list names.
struct Entry {
    std::size_t firstLine; // the line that named it first
    std::size_t lastLine; // and last, so that a line's pieces name it once
    bool lookedUp; // its account was looked up and spoken of
};

// An entry whose account the user database gives back under another name.
struct Spelling {
    std::size_t line;
    const std::string *entry;
    std::string accountName;
};

// An entry and what is known of it.  The map is node-based, so a pointer to
// one stays valid as the map grows.
using Entries = std::unordered_map<std::string, Entry>;
using Known = Entries::value_type;

// One list being checked.
struct Lint {
    const char *file = nullptr; // as given on the command line
    std::size_t errors = 0, warnings = 0;
    Entries entries;
    std::vector<Spelling> spellings;
};

// The line being read, and the piece of it being read: pieces are cut as the
// tool cuts them, at a newline (the piece's last byte) or after PIECE_SIZE
// bytes, and a piece names its bytes up to its first NUL or newline.
struct Scan {
    std::size_t line = 1;
    std::size_t length = 0; // the line's bytes so far, its newline not counted
    std::size_t firstNul = 0; // 1 + where its first NUL stands, or 0
    std::size_t pieces = 0; // its pieces finished so far
    std::size_t pieceBytes = 0;
    bool pieceNulSeen = false; // a NUL has ended the name of the piece
    std::string name; // the name of the piece, so far
    // The distinct names the line's pieces name, each with its piece's number.
    std::vector<std::pair<std::size_t, Known *>> named;
};

[[noreturn]] static void usage(const char *name)
{
    std::fprintf(stderr, "Usage: %s [-s] list...\n", name);
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
// and the backslash, and every other byte escaped, so that no byte of a list
// reaches the terminal raw.
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
            char escape[sizeof "\\xff"];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            text += escape;
        } else {
            text += c;
        }
    }
    return text + "\"";
}

// One finding: "FILE:LINE: LEVEL: text", or "FILE: LEVEL: text" for the list
// as a whole (line 0).
[[gnu::format(printf, 4, 5)]] static void report(Lint &lint, std::size_t line, Level level,
                                                 const char *format, ...)
{
    static const char *const levels[] = {"error", "warning", "note"};
    if (level == Level::error)
        lint.errors++;
    else if (level == Level::warning)
        lint.warnings++;
    if (line == 0)
        std::printf("%s: %s: ", lint.file, levels[static_cast<int>(level)]);
    else
        std::printf("%s:%zu: %s: ", lint.file, line, levels[static_cast<int>(level)]);
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    std::putchar('\n');
}

// The blanks the tool keeps as part of a name, where a reader sees none.
constexpr char BLANKS[] = " \t\r";

// What stands at an end of a name, where it is one of BLANKS; or nullptr.
static const char *blankAt(char end)
{
    switch (end) {
    case ' ': return "a blank";
    case '\t': return "a tab";
    case '\r': return "a carriage return";
    default: return nullptr;
    }
}

// The account behind an entry on a clean line: excluded already, unknown, or
// given back under another spelling, which the list must hold too.
static void lookUp(Lint &lint, std::size_t line, const std::string &entry)
{
    // Decided by the name alone, as the tool decides it.
    if (entry == ROOT_NAME) {
        report(lint, line, Level::note, "%s is excluded by its name, list or no list",
               quoted(entry).c_str());
        return;
    }
    const struct passwd *account = getpwnam(entry.c_str());
    if (account == nullptr) {
        report(lint, line, Level::warning,
               "no account %s here: a typo, or an account only other hosts have",
               quoted(entry).c_str());
        return;
    }
    const std::int32_t id = signedId(account->pw_uid);
    if (id < LOW_UID_LIMIT) {
        report(lint, line, Level::note, "%s has id %d, below %d: excluded, list or no list",
               quoted(entry).c_str(), static_cast<int>(id), static_cast<int>(LOW_UID_LIMIT));
        return;
    }
    // Whether the list holds the other spelling is known once it is read.
    if (account->pw_name != nullptr && entry != account->pw_name)
        lint.spellings.push_back(Spelling{line, &entry, account->pw_name});
}

// A line of one piece, without a NUL, that names the entry.
static void checkEntry(Lint &lint, std::size_t line, Known &known)
{
    const std::string &entry = known.first;
    const std::string shown = quoted(entry);
    const char *const first = blankAt(entry.front());
    const char *const last = blankAt(entry.back());
    const std::size_t start = entry.find_first_not_of(BLANKS);
    bool flagged = true;
    if (start == std::string::npos) {
        report(lint, line, Level::warning, "a line of blanks only, %s, names no account",
               shown.c_str());
    } else if (first != nullptr || last != nullptr) {
        const std::string trimmed = entry.substr(start, entry.find_last_not_of(BLANKS) + 1 - start);
        report(lint, line, Level::error, "%s %s with %s, which the tool keeps: it does not name %s",
               shown.c_str(), first != nullptr ? "begins" : "ends", first != nullptr ? first : last,
               quoted(trimmed).c_str());
    } else if (entry.front() == '#') {
        report(lint, line, Level::warning,
               "%s looks like a comment, but the tool has none: the line names %s", shown.c_str(),
               shown.c_str());
    } else {
        flagged = false;
    }
    if (known.second.firstLine != line)
        report(lint, line, Level::note, "%s repeats line %zu", shown.c_str(),
               known.second.firstLine);
    if (!flagged && !known.second.lookedUp) {
        known.second.lookedUp = true;
        lookUp(lint, line, entry);
    }
}

// The piece read so far is finished: its name, if it has one, is an entry.
static void finishPiece(Lint &lint, Scan &scan)
{
    scan.pieces++;
    if (!scan.name.empty()) {
        const auto added = lint.entries.try_emplace(scan.name, Entry{scan.line, 0, false}).first;
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
        report(lint, scan.line, Level::error,
               "a line of %zu bytes: the tool reads it as %zu pieces of at most %zu bytes, each as "
               "if it began a line%s",
               scan.length, scan.pieces, PIECE_SIZE, scan.named.empty() ? ", naming nobody" : "");
        for (const auto &[piece, name] : scan.named)
            report(lint, scan.line, Level::note, "piece %zu names %s", piece,
                   quoted(name->first).c_str());
    } else if (scan.firstNul != 0) {
        const std::string what =
            scan.named.empty() ? "nobody" : quoted(scan.named[0].second->first);
        report(lint, scan.line, Level::error,
               "a NUL byte at byte %zu ends what the tool compares: the line names %s",
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

// Reads the open list to its end and reports what its lines hold, then the
// entries the user database spells otherwise.  Returns cannotTell where a read
// fails, having said so on standard error, and clean otherwise: the findings
// are counted in `lint`.
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
    for (const Spelling &spelling : lint.spellings) {
        if (lint.entries.count(spelling.accountName) == 0)
            report(lint, spelling.line, Level::error,
                   "the user database gives %s back as %s, which the list does not hold: asked "
                   "for by that name, the account qualifies; list %s",
                   quoted(*spelling.entry).c_str(), quoted(spelling.accountName).c_str(),
                   quoted(spelling.accountName).c_str());
    }
    return Status::clean;
}

// Who may change the list, or the folder that holds it, as sshd's StrictModes
// asks: nobody but its owner may write, and its owner is root or the account
// running the check.  A folder with the sticky bit lets nobody replace
// another's file, so its write bits are no finding.
static void checkOwnerAndMode(Lint &lint, const std::string &what, const struct stat &status,
                              bool folder)
{
    const bool sticky = folder && (status.st_mode & S_ISVTX) != 0;
    if ((status.st_mode & S_IWOTH) != 0 && !sticky)
        report(lint, 0, Level::error, "%s is writable by every account", what.c_str());
    else if ((status.st_mode & S_IWGRP) != 0 && !sticky)
        report(lint, 0, Level::warning, "%s is writable by group %ld", what.c_str(),
               static_cast<long>(status.st_gid));
    // As root, an owner that is not root is never the account running it.
    if (status.st_uid != 0 && status.st_uid != geteuid()) // GCOVR_EXCL_BR_LINE
        report(lint, 0, Level::warning,
               "%s is owned by user %ld, neither root nor the account running the check",
               what.c_str(), static_cast<long>(status.st_uid));
}

// The list's own mode and owner, then those of each folder on its real path,
// its links resolved, from the list's own folder up to the root.
static void checkPath(Lint &lint, const struct stat &status)
{
    checkOwnerAndMode(lint, "the list", status, false);
    if ((status.st_mode & (S_IRGRP | S_IROTH)) == 0)
        report(lint, 0, Level::note,
               "only the list's owner can read it: where the tool runs as another account (user "
               "units, pam_exec without seteuid, polkit) it answers \"cannot tell\" (255) for "
               "everyone");
    char *const real = realpath(lint.file, nullptr);
    // GCOVR_EXCL_START: only a list whose real path is longer than the system takes has none.
    if (real == nullptr) {
        report(lint, 0, Level::warning, "its folders cannot be checked: %s", std::strerror(errno));
        return;
    }
    // GCOVR_EXCL_STOP
    std::string folder = real;
    std::free(real);
    // A real path is absolute, and a regular file's is not "/" alone.
    do {
        folder.erase(std::max<std::size_t>(folder.rfind('/'), 1));
        // A folder just resolved and gone since leaves its zeros: no finding.
        struct stat held = {};
        stat(folder.c_str(), &held);
        checkOwnerAndMode(lint, "the folder " + quoted(folder), held, true);
    } while (folder.size() > 1);
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
static Status absent(Lint &lint, int error, const char *what)
{
    if (error != ENOENT)
        return cannotRead(lint.file, error);
    report(lint, 0, Level::error, "the list %s, so every account qualifies", what);
    return Status::findings;
}

// Checks one list: its findings on standard output, what stops the check on
// standard error.  Returns findings for an error, or with `strict` a warning;
// cannotTell where the list exists but cannot be read; clean otherwise.
static Status lintList(const char *file, bool strict)
{
    Lint lint;
    lint.file = file;
    struct stat status;
    if (lstat(file, &status) != 0)
        return absent(lint, errno, "does not exist");
    if (stat(file, &status) != 0)
        return absent(lint, errno, "is a link to nothing");
    // The tool fails to read a folder, and a FIFO or a device is never opened
    // here, so the check cannot block or touch a device.
    if (S_ISDIR(status.st_mode))
        return cannotRead(file, EISDIR);
    if (!S_ISREG(status.st_mode)) {
        report(lint, 0, Level::error, "the list is a %s, not a regular file: not read",
               kindOf(status.st_mode));
        return Status::findings;
    }
    const int list = open(file, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (list < 0)
        return cannotRead(file, errno);
    // GCOVR_EXCL_START: only a list swapped for a FIFO or a device since stat() is one
    // now; it is opened without waiting for a writer, and closed unread.
    if (fstat(list, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(list);
        std::fprintf(stderr, "is_tovan-lint: %s changed while it was checked\n", file);
        return Status::cannotTell;
    }
    // GCOVR_EXCL_STOP
    checkPath(lint, status);
    const Status read = scanList(lint, list);
    close(list);
    if (read != Status::clean)
        return read;
    return lint.errors > 0 || (strict && lint.warnings > 0) ? Status::findings : Status::clean;
}

int main(int argc, char *argv[])
{
    std::set_new_handler(outOfMemory);
    // Linux 5.18 on never passes argc 0, so the tests reach one branch only.
    if (argc < 2)
        usage(argc > 0 ? argv[0] : "is_tovan-lint"); // GCOVR_EXCL_BR_LINE
    int index = 1;
    const bool strict = std::strcmp(argv[index], "-s") == 0;
    if (strict)
        index++;
    if (index >= argc)
        usage(argv[0]);
    Status worst = Status::clean;
    for (; index < argc; index++)
        worst = std::max(worst, lintList(argv[index], strict));
    std::exit(static_cast<int>(worst));
}
