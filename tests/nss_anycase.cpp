// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
// A user database for the tests that finds names whatever their case, as many
// directory services do: nss_wrapper loads it before its passwd file
// (NSS_WRAPPER_MODULE_SO_PATH, NSS_WRAPPER_MODULE_FN_PREFIX=anycase).  It
// knows ldapbob, and nameless, an entry that comes back without a name as a
// broken directory might give; other names go on to the passwd file.
#include <cerrno>
#include <cstring>
#include <nss.h>
#include <pwd.h>
#include <strings.h>

namespace {

constexpr char ACCOUNT[] = "ldapbob";
constexpr uid_t ACCOUNT_ID = 5000;
constexpr char NAMELESS[] = "nameless";

nss_status fill(passwd *entry, char *buffer, std::size_t size, int *error, bool named)
{
    if (size < sizeof ACCOUNT) {
        *error = ERANGE;
        return NSS_STATUS_TRYAGAIN;
    }
    std::memcpy(buffer, ACCOUNT, sizeof ACCOUNT);
    entry->pw_name = named ? buffer : nullptr;
    entry->pw_passwd = buffer + sizeof ACCOUNT - 1; // the empty string at its end
    entry->pw_uid = ACCOUNT_ID;
    entry->pw_gid = ACCOUNT_ID;
    entry->pw_gecos = entry->pw_passwd;
    entry->pw_dir = entry->pw_passwd;
    entry->pw_shell = entry->pw_passwd;
    return NSS_STATUS_SUCCESS;
}

} // namespace

extern "C" nss_status _nss_anycase_getpwnam_r(const char *name, passwd *entry, char *buffer,
                                              std::size_t size, int *error)
{
    if (std::strcmp(name, NAMELESS) == 0)
        return fill(entry, buffer, size, error, false);
    return strcasecmp(name, ACCOUNT) == 0 ? fill(entry, buffer, size, error, true)
                                          : NSS_STATUS_NOTFOUND;
}

extern "C" nss_status _nss_anycase_getpwuid_r(uid_t id, passwd *entry, char *buffer,
                                              std::size_t size, int *error)
{
    return id == ACCOUNT_ID ? fill(entry, buffer, size, error, true) : NSS_STATUS_NOTFOUND;
}
