// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
// Starts the program named by its one argument with an empty argument vector
// (argc 0), which no shell can do.  Started that way itself, it tells what it
// received instead: Linux since 5.18 hands such a program one empty argument.
#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::printf(argc == 0 ? "argc 0\n" : "argc 1, argv[0] \"%s\"\n", argc ? argv[0] : "");
        return 0;
    }
    char *const noArguments[] = {nullptr};
    execv(argv[1], noArguments);
    std::perror(argv[1]);
    return 2;
}
