// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
// is_tovan: tells by its exit status whether a user account qualifies (0) or
// is excluded (1); 255 when it cannot tell.  -v adds one line with the reason.
#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>

#include "account.h"
#include "exception_list.h"

[[maybe_unused]] static const char sccsId[] = "%W% %G% is_tovan: user eligibility check";

// Lists in use are read in pieces of 127 bytes; only tests of the lookup
// build it at another size.
static_assert(LIST_LINE_SIZE == 128, "the tool reads lists in 127-byte pieces");

enum class Verdict : int { qualifies = 0, excluded = 1, error = -1 };

[[noreturn]] static void finish(Verdict verdict)
{
    std::exit(static_cast<int>(verdict));
}

[[noreturn]] static void usage(const char *name)
{
    std::fprintf(stderr, "Usage: %s [-v] user [file]\n", name);
    finish(Verdict::error);
}

int main(int argc, char *argv[])
{
    // Linux 5.18 on never passes argc 0, so the tests reach one branch only.
    if (argc < 2)
        usage(argc > 0 ? argv[0] : "is_tovan"); // GCOVR_EXCL_BR_LINE
    bool verbose = false;
    int index = 1;
    if (std::strcmp(argv[index], "-v") == 0) {
        verbose = true;
        index++;
    }
    if (index >= argc)
        usage(argv[0]);
    const char *user = argv[index++];
    const char *file = index < argc ? argv[index++] : nullptr;
    if (index < argc)
        usage(argv[0]);

    // Decided by name alone, so it holds even where no such account exists.
    if (std::strcmp(user, ROOT_NAME) == 0) {
        if (verbose)
            std::printf("user is root\n");
        finish(Verdict::excluded);
    }

    const struct passwd *account = getpwnam(user);
    if (account == nullptr) {
        std::fprintf(stderr, "unknown user: %s\n", user);
        finish(Verdict::error);
    }

    const std::int32_t id = signedId(account->pw_uid);
    if (id < LOW_UID_LIMIT) {
        if (verbose)
            std::printf("uid is low: %" PRId32 "\n", id);
        finish(Verdict::excluded);
    }

    if (file == nullptr) {
        if (verbose)
            std::printf("no exception list given\n");
        finish(Verdict::qualifies);
    }

    // A database that matches names loosely (by case, or a short name for a
    // qualified one) finds the account under a spelling the list may not
    // hold: the list excludes the account by either name.  Messages keep the
    // name as given.
    const char *accountName = account->pw_name != nullptr ? account->pw_name : user;
    int listError = 0;
    // Every value has its case: the switch has no other branch to take.
    switch (userInList(file, user, accountName, &listError)) { // GCOVR_EXCL_BR_LINE
    case ListResult::listMissing:
        if (verbose)
            std::printf("non-existing exception list: %s\n", file);
        finish(Verdict::qualifies);
    case ListResult::listUnreadable:
        errno = listError;
        std::perror("cannot read list");
        finish(Verdict::error);
    case ListResult::listed:
        if (verbose)
            std::printf("user %s is in %s\n", user, file);
        finish(Verdict::excluded);
    case ListResult::notListed:
        if (verbose)
            std::printf("user %s is not in %s\n", user, file);
        finish(Verdict::qualifies);
    }
}
