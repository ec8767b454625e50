// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
// What excludes an account before any list: its name "root", or an id below
// LOW_UID_LIMIT.  The tool decides by these, and the list check says by them
// which entries a list need not hold.
#ifndef IS_TOVAN_ACCOUNT_H
#define IS_TOVAN_ACCOUNT_H

#include <cstdint>
#include <cstring>
#include <sys/types.h>

// Excluded by name alone, before any lookup.
constexpr char ROOT_NAME[] = "root";

// Accounts below this id belong to the system.
constexpr std::int32_t LOW_UID_LIMIT = 101;

// Ids count as signed 32-bit numbers, so an unsigned id of 2^31 or more is
// negative; copying the bits keeps that well defined on every compiler.
inline std::int32_t signedId(uid_t uid)
{
    const auto bits = static_cast<std::uint32_t>(uid);
    std::int32_t id;
    std::memcpy(&id, &bits, sizeof id);
    return id;
}

#endif
