// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
// A scratch folder holding one list file, for tests of the list lookup.
#ifndef IS_TOVAN_LIST_FILE_H
#define IS_TOVAN_LIST_FILE_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

class ListFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/is_tovan_list.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        path = folder + "/list";
    }
    void TearDown() override
    {
        std::remove(path.c_str());
        rmdir(folder.c_str());
    }
    void write(const std::string &content)
    {
        std::FILE *file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fwrite(content.data(), 1, content.size(), file), content.size());
        ASSERT_EQ(std::fclose(file), 0);
    }
    std::string folder, path;
};

// The descriptor the next open would get: a lookup that leaves one open
// moves it.
inline int lowestFreeDescriptor()
{
    const int probe = dup(2);
    if (probe >= 0)
        close(probe);
    return probe;
}

#endif
