// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
// The list format, tested on the lookup itself.
#include "exception_list.h"
#include "list_file.h"

#include <cerrno>
#include <string>

namespace {

using namespace std::string_literals;

const std::string x127(127, 'x');

struct FormatCase {
    const char *label;
    std::string list;
    std::string user;
    ListResult expected;
};

const FormatCase formatCases[] = {
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
    {"NUL ends the comparison", "alice\0junk\n"s, "alice", ListResult::listed},
    {"NUL before the name", "\0alice\n"s, "alice", ListResult::notListed},
    {"name then NUL at the end", "bob\nalice\0"s, "alice", ListResult::listed},
    {"name with newline", "alice\n", "alice\n", ListResult::listed},
    {"newline inside the name", "ali\nce\n", "ali\nce", ListResult::notListed},
};

TEST_F(ListFile, Format)
{
    for (const FormatCase &c : formatCases) {
        write(c.list);
        int error = 0;
        EXPECT_EQ(userInList(path.c_str(), c.user.c_str(), c.user.c_str(), &error), c.expected) << c.label;
    }
}

TEST_F(ListFile, MissingFile)
{
    int error = 0;
    EXPECT_EQ(userInList(path.c_str(), "alice", "alice", &error), ListResult::listMissing);
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
    for (const FailureCase &c : cases) {
        int error = 0;
        EXPECT_EQ(userInList((folder + c.relativePath).c_str(), "alice", "alice", &error),
                  ListResult::listUnreadable)
            << c.label;
        EXPECT_EQ(error, c.error) << c.label;
    }
}

} // namespace
