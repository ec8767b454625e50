// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
// The list format, tested on the lookup itself.
#include "exception_list.h"
#include "list_file.h"
#include "list_oracle.h"

#include <cerrno>
#include <string>
#include <unistd.h>

namespace {

using namespace std::string_literals;

const std::string x127(127, 'x');
const std::string x128 = x127 + "x";
// A line of 100 bytes: a list longer than a chunk is scanned by its lines' ends.
const std::string pad = std::string(99, 'z') + "\n";

// Lines of up to 100 bytes, `size` in all.
std::string lines(std::size_t size)
{
    std::string text;
    while (text.size() + pad.size() <= size)
        text += pad;
    return size > text.size() ? text + std::string(size - text.size() - 1, 'z') + "\n" : text;
}

struct FormatCase {
    const char *label;
    std::string list;
    std::string user;
    ListResult expected;
    // The account's own name, where the user database gave another.
    const char *account = nullptr;
};

TEST_F(ListFile, Format)
{
    // Written for 127-byte pieces and blocks of more than a line.
    const FormatCase cases[] = {
        {"only line", "alice\n", "alice", ListResult::listed},
        {"no final newline", "alice", "alice", ListResult::listed},
        {"middle line", "bob\nalice\ncarol\n", "alice", ListResult::listed},
        {"last line without newline", "bob\nalice", "alice", ListResult::listed},
        {"repeated", "alice\nalice\n", "alice", ListResult::listed},
        {"trailing blank", "alice \n", "alice", ListResult::notListed},
        {"leading blank", " alice\n", "alice", ListResult::notListed},
        {"tab", "alice\t\n", "alice", ListResult::notListed},
        {"other case", "Alice\n", "alice", ListResult::notListed},
        {"longer name", "alice2\n", "alice", ListResult::notListed},
        {"shorter name", "alic\n", "alice", ListResult::notListed},
        {"carriage return", "alice\r\n", "alice", ListResult::notListed},
        {"no comments", "#alice\n", "alice", ListResult::notListed},
        {"hash is part of a name", "#alice\n", "#alice", ListResult::listed},
        {"empty file", "", "alice", ListResult::notListed},
        {"empty file, empty name", "", "", ListResult::notListed},
        {"empty lines", "\n\n", "alice", ListResult::notListed},
        {"empty line names the empty name", "bob\n\ncarol\n", "", ListResult::listed},
        {"no empty line", "bob\ncarol", "", ListResult::notListed},
        {"127-byte line", x127 + "\n", x127, ListResult::listed},
        {"128-byte name never named", x127 + "x\n", x127 + "x", ListResult::notListed},
        {"127-byte name, then a carriage return", x127 + "\r\n", x127, ListResult::listed},
        {"127-byte name, then a blank", "bob\n" + x127 + " \n", x127, ListResult::listed},
        {"long line: second piece", x127 + "alice\n", "alice", ListResult::listed},
        {"long line: first piece", x127 + "alice\n", x127, ListResult::listed},
        {"long line: piece ends in the name", std::string(126, 'x') + "alice\n", "lice",
         ListResult::listed},
        {"long line: name across pieces", std::string(126, 'x') + "alice\n", "alice",
         ListResult::notListed},
        {"newline alone as a piece", x127 + "\n", "", ListResult::listed},
        {"a longer line ends in the name, beside a line as long", "cb\nxab\n" + pad, "ab",
         ListResult::notListed},
        {"first line of a longer list", "alice\n" + pad, "alice", ListResult::listed},
        {"a line one byte shorter", pad + "alic\n" + pad, "alice", ListResult::notListed},
        {"a line one byte longer", pad + "alicex\n" + pad, "alice", ListResult::notListed},
        {"a line one byte longer in front", pad + "xalice\n" + pad, "alice", ListResult::notListed},
        {"newline last in a chunk", std::string(57, 'z') + "\nalice\n" + pad, "alice",
         ListResult::listed},
        {"newline first in a chunk", std::string(58, 'z') + "\nalice\n" + pad, "alice",
         ListResult::listed},
        {"after a line a piece long", x127 + "\nalice\n" + pad, "alice", ListResult::listed},
        {"a line a piece long ends in a newline alone", pad + x127 + "\n" + pad, "",
         ListResult::listed},
        {"long line: third piece", pad + std::string(254, 'x') + "alice\n" + pad, "alice",
         ListResult::listed},
        {"long line: the name ends a middle piece",
         pad + std::string(122, 'x') + "alice" + x127 + "\n" + pad, "alice", ListResult::notListed},
        {"NUL ends the comparison", "alice\0junk\n"s, "alice", ListResult::listed},
        {"NUL ends the name in a piece carried to the next block",
         lines(LIST_BLOCK_SIZE - 6) + "alice\0junk\n"s + pad + pad, "alice", ListResult::listed},
        {"NUL before the name", "\0alice\n"s, "alice", ListResult::notListed},
        {"name then NUL at the end", "bob\nalice\0"s, "alice", ListResult::listed},
        {"name with newline", "alice\n", "alice\n", ListResult::listed},
        {"newline inside the name", "ali\nce\n", "ali\nce", ListResult::notListed},
        {"account's own name listed", "bob\nldapbob\n", "LDAPBOB", ListResult::listed, "ldapbob"},
        {"spelling given listed", "LDAPBOB\nbob\n", "LDAPBOB", ListResult::listed, "ldapbob"},
        {"neither name listed", "LdapBob\nldapbob2\n", "LDAPBOB", ListResult::notListed, "ldapbob"},
        {"own name as a later piece", x127 + "ldapbob", "LDAPBOB", ListResult::listed, "ldapbob"},
        {"own name longer than a piece", x128 + "\n", "xx", ListResult::notListed, x128.c_str()},
    };
    const int free = lowestFreeDescriptor();
    for (const FormatCase &c : cases) {
        write(c.list);
        int error = 0;
        const char *account = c.account != nullptr ? c.account : c.user.c_str();
        EXPECT_EQ(userInList(path.c_str(), c.user.c_str(), account, &error), c.expected) << c.label;
        EXPECT_EQ(lowestFreeDescriptor(), free) << c.label << ": a descriptor was left open";
    }
}

// Names whose last bytes are not ASCII, in every place a line can take in a chunk.
TEST_F(ListFile, NamesBeyondAscii)
{
    const struct {
        std::string user, line;
        ListResult expected;
    } cases[] = {
        {"jos\xc3\xa9", "jos\xc3\xa9", ListResult::listed},
        {"jos\xc3\xa9", "jos\xc3\xa8", ListResult::notListed},
        {"jos\xc3\xa9", "xos\xc3\xa9", ListResult::notListed},
        {"jos\xc3\xa9", "jjos\xc3\xa9", ListResult::notListed},
        {"\xff", "\xff", ListResult::listed},
        {"\xff", "\xfe", ListResult::notListed},
        {"\xff", "\xff\xff", ListResult::notListed},
    };
    for (const auto &c : cases) {
        for (std::size_t before = 1; before <= 64; before++) {
            write(std::string(before - 1, 'z') + "\n" + c.line + "\n" + pad);
            int error = 0;
            EXPECT_EQ(userInList(path.c_str(), c.user.c_str(), c.user.c_str(), &error), c.expected)
                << c.line << " after " << before << " bytes";
        }
    }
}

TEST_F(ListFile, MissingFile)
{
    int error = 0;
    EXPECT_EQ(userInList(path.c_str(), "alice", "alice", &error), ListResult::listMissing);
}

// With standard input closed, the list is opened as descriptor 0, which is a
// successful open like any other.
TEST_F(ListFile, ListOpenedAsDescriptorZero)
{
    write("bob\nalice\n");
    const int input = dup(0);
    ASSERT_GE(input, 0);
    close(0);
    int error = 0;
    const ListResult result = userInList(path.c_str(), "alice", "alice", &error);
    const int free = lowestFreeDescriptor();
    dup2(input, 0);
    close(input);
    EXPECT_EQ(result, ListResult::listed);
    EXPECT_EQ(free, 0) << "the list was not closed";
}

struct FailureCase {
    const char *label;
    std::string relativePath;
    int error;
};

TEST_F(ListFile, UnreadableReportsTheError)
{
    write("alice\n");
    const FailureCase cases[] = {
        {"path through a file", "/list/alice", ENOTDIR},
        {"directory", "", EISDIR},
    };
    const int free = lowestFreeDescriptor();
    for (const FailureCase &c : cases) {
        int error = 0;
        EXPECT_EQ(userInList((folder + c.relativePath).c_str(), "alice", "alice", &error),
                  ListResult::listUnreadable)
            << c.label;
        EXPECT_EQ(error, c.error) << c.label;
        EXPECT_EQ(lowestFreeDescriptor(), free) << c.label << ": a descriptor was left open";
    }
}

// Lists where the name, or most of it, stands nearly everywhere but never as
// a piece.  A scan that stays linear reads each in milliseconds; CTest's
// timeout for this test is hundreds of times that, so only a scan whose cost
// grows faster than the list fails it.  The answers are the literal reading's.
TEST_F(ListFile, HostileListsStayLinear)
{
    constexpr std::size_t size = 4 << 20;
    const auto repeated = [&](const std::string &unit) {
        std::string list;
        while (list.size() < size)
            list += unit;
        return list;
    };
    const struct {
        const char *label;
        std::string list;
        const char *user;
    } cases[] = {
        {"lines of the name's bytes", repeated(std::string(200, 'a') + "\n"), "aa"},
        {"lines that begin with the name", repeated("aab\n"), "aa"},
        {"lines that end with the name", repeated("xaa\n"), "aa"},
        {"one line, NUL bytes after other bytes", repeated("aab") + std::string(1, '\0'), "aa"},
        {"newlines only", std::string(size, '\n'), "aa"},
    };
    for (const auto &c : cases) {
        write(c.list);
        int error = 0;
        EXPECT_EQ(userInList(path.c_str(), c.user, c.user, &error),
                  userInListByPieces(path.c_str(), c.user, c.user, &error))
            << c.label;
    }
}

} // namespace
