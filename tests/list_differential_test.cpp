// SPDX-License-Identifier: ISC
// Copyright (c) 2026 The is_tovan developers
// The fast lookup against the literal piece-by-piece reading, on generated
// lists built to hit the piece rule's corners: lines near a piece's length and
// its multiples, NUL bytes, carriage returns, no final newline, names that end in
// or contain a newline, bytes beyond ASCII, and lines across the read block's
// boundary.  A list is also fed through a FIFO in random chunks, so blocks end
// anywhere.
#include "exception_list.h"
#include "list_file.h"
#include "list_oracle.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <random>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int CASES_PER_SEED = 1000;
// Lengths are given for the tool's 127-byte pieces, and scaled with them.
constexpr std::size_t PIECE = LIST_LINE_SIZE - 1;
constexpr std::uint32_t SEEDS[] = {1, 2, 3, 20261208};

class Generator {
public:
    explicit Generator(std::uint32_t seed) : random(seed) {}
    std::size_t below(std::size_t limit) { return random() % limit; }
    bool chance(unsigned percent) { return below(100) < percent; }

    std::string name()
    {
        static const std::size_t lengths[] = {0,         1,         2,     3,         5,        8,
                                              PIECE - 2, PIECE - 1, PIECE, PIECE + 1, PIECE + 3};
        std::string name = letters(lengths[below(std::size(lengths))]);
        if (!name.empty() && chance(10))
            name.back() = '\n';
        if (name.size() > 2 && chance(5))
            name[below(name.size() - 1)] = '\n';
        return name;
    }

    // The account's own name: mostly the same, else another spelling of it
    // or another name, as a loosely matching user database gives.
    std::string accountName(const std::string &user)
    {
        if (chance(70))
            return user;
        std::string other = chance(50) ? user : name();
        if (!other.empty())
            other[below(other.size())] = 'A';
        return other;
    }

    // Lines that are, contain, or nearly are one of the names, placed at
    // piece starts and elsewhere, between random lines of the lengths that
    // matter.
    std::string list(const std::string &user, const std::string &account)
    {
        std::string list;
        // A first line that reaches the first or a later read block's end,
        // ended or running on in whole pieces, so that later lines or pieces
        // straddle a boundary with a long name carried over.
        const std::size_t reach = (1 + (chance(20) ? below(3) : 0)) * LIST_BLOCK_SIZE;
        if (chance(15))
            list.append(std::max(reach, 3 * PIECE) - below(3 * PIECE), 'a').push_back('\n');
        else if (chance(15))
            list.append((std::max(reach / PIECE, std::size_t{2}) - 2 + below(5)) * PIECE, 'a');
        const std::size_t lines = below(12);
        for (std::size_t line = 0; line < lines; line++) {
            const std::string &name = chance(50) ? user : account;
            switch (below(6)) {
            case 0: list += name; break;
            case 1: list += letters(PIECE) + name; break;
            case 2: list += letters(below(4)) + name + letters(below(3)); break;
            case 3: list += name.substr(0, below(name.size() + 1)); break;
            default: list += letters(randomLength()); break;
            }
            const std::size_t ending = below(10);
            if (ending == 0)
                list += '\r';
            else if (ending == 1)
                list += std::string(1, '\0') + letters(below(3));
            else if (ending == 2)
                continue; // runs on into the next line
            if (line + 1 < lines || chance(70))
                list += '\n';
        }
        return list;
    }

private:
    std::string letters(std::size_t count)
    {
        // A byte that is not ASCII in place of a second letter.
        static const char alphabet[] = "aa\xe9";
        std::string text;
        for (std::size_t i = 0; i < count; i++)
            text += alphabet[below(sizeof alphabet - 1)];
        return text;
    }
    std::size_t randomLength()
    {
        static const std::size_t lengths[] = {
            0, 1, PIECE - 1, PIECE, PIECE + 1, 2 * PIECE - 1, 2 * PIECE, 2 * PIECE + 1, 3 * PIECE};
        return chance(50) ? lengths[below(std::size(lengths))] : below(300 * PIECE / 127);
    }
    std::mt19937 random;
};

std::string shown(const std::string &bytes)
{
    std::string text;
    for (unsigned char c : bytes.substr(0, 2000)) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, c >= ' ' && c < 127 && c != '\\' ? "%c" : "\\x%02x",
                      c);
        text += escaped;
    }
    return bytes.size() > 2000 ? text + "... (" + std::to_string(bytes.size()) + " bytes)" : text;
}

class Differential : public ListFile {
protected:
    void SetUp() override
    {
        ListFile::SetUp();
        std::signal(SIGPIPE, SIG_IGN); // the lookup may stop reading the FIFO early
        fifo = folder + "/fifo";
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    }
    void TearDown() override
    {
        std::remove(fifo.c_str());
        ListFile::TearDown();
    }
    // Looks the name up in content written to the FIFO in chunks of random size.
    ListResult throughFifo(const std::string &content, const std::string &user,
                           const std::string &account, Generator &generator)
    {
        std::vector<std::size_t> chunks;
        for (std::size_t left = content.size(); left > 0;) {
            chunks.push_back(1 + generator.below(left < 300 ? left : 300));
            left -= chunks.back();
        }
        std::thread writer([&] {
            std::FILE *file = std::fopen(fifo.c_str(), "wb");
            if (file == nullptr)
                return;
            std::setvbuf(file, nullptr, _IONBF, 0);
            std::size_t at = 0;
            for (std::size_t chunk : chunks) {
                if (std::fwrite(content.data() + at, 1, chunk, file) != chunk)
                    break;
                at += chunk;
                // Let the reader take each chunk by itself, so blocks end anywhere.
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            }
            std::fclose(file);
        });
        int error = 0;
        const ListResult result = userInList(fifo.c_str(), user.c_str(), account.c_str(), &error);
        writer.join();
        return result;
    }
    std::string fifo;
};

TEST_F(Differential, FastLookupAnswersAsPiecesDo)
{
    int differences = 0, listed = 0;
    for (std::uint32_t seed : SEEDS) {
        Generator generator(seed);
        for (int i = 0; i < CASES_PER_SEED && differences < 5; i++) {
            const std::string user = generator.name();
            const std::string account = generator.accountName(user);
            const std::string list = generator.list(user, account);
            write(list);
            int error = 0, expectedError = 0;
            const ListResult expected =
                userInListByPieces(path.c_str(), user.c_str(), account.c_str(), &expectedError);
            const ListResult fast = userInList(path.c_str(), user.c_str(), account.c_str(), &error);
            const bool viaFifo = generator.chance(10);
            const ListResult streamed =
                viaFifo ? throughFifo(list, user, account, generator) : expected;
            listed += expected == ListResult::listed;
            if (fast != expected || streamed != expected) {
                differences++;
                ADD_FAILURE() << "seed " << seed << " case " << i << ": expected "
                              << static_cast<int>(expected) << ", file gave "
                              << static_cast<int>(fast)
                              << (viaFifo
                                      ? ", FIFO gave " + std::to_string(static_cast<int>(streamed))
                                      : "")
                              << "\n  user: " << shown(user) << "\n  account: " << shown(account)
                              << "\n  list: " << shown(list);
            }
        }
    }
    // The generator is only useful while it makes both answers often.
    const int total = CASES_PER_SEED * static_cast<int>(std::size(SEEDS));
    EXPECT_GT(listed, total / 5);
    EXPECT_LT(listed, total * 4 / 5);
}

} // namespace
