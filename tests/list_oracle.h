// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
// The list lookup read literally: fgets into a LIST_LINE_SIZE buffer, each
// piece compared by itself.  The tests hold the fast lookup to its answers.
#ifndef IS_TOVAN_LIST_ORACLE_H
#define IS_TOVAN_LIST_ORACLE_H

#include "exception_list.h"

ListResult userInListByPieces(const char *file, const char *user, const char *accountName,
                              int *error);

#endif
