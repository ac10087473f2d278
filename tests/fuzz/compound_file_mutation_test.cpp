// Randomly damaged compound files (our own and crafted ones with fragmented chains): each
// must open cleanly or be refused as malformed, never crash, hang or read out of bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>

#include "platform/compound_file.h"
#include "platform/compound_file_internal.h"
#include "tests/platform/compound_file_test_util.h"

namespace tabrix::platform {
namespace {

using test::good_file;
using test::open_and_read_all;
using test::pattern;
using test::set32;
using test::TempDir;

TEST(DamagedRandomTest, MutatedFilesNeverCrash) {
    const auto good = good_file();
    // Crafted files with fragmented chains too, in both sector sizes.
    const auto crafted3 = test::craft_file(
        9, {{u"A", pattern(100, 1)}, {u"B", pattern(5000, 2), true}, {u"C", pattern(700, 3)}}, 5);
    const auto crafted4 = test::craft_file(
        12, {{u"A", pattern(100, 1)}, {u"B", pattern(5000, 2)}, {u"C", pattern(70, 3), true}}, 6);
    TempDir dir;
    const auto path = dir / "fuzz.cfb";
    std::mt19937 rng(20240601);
    const uint32_t interesting[] = {0,          1,          2,          3,          0x7F,
                                    0x80,       0xFF,       0x100,      0x1000,     0x7FFFFFFF,
                                    0x80000000, 0xFFFFFFFA, 0xFFFFFFFB, 0xFFFFFFFC, 0xFFFFFFFD,
                                    0xFFFFFFFE, 0xFFFFFFFF};
    int ok = 0;
    int malformed = 0;
    const auto start = std::chrono::steady_clock::now();
    // TABRIX_CFB_FUZZ_ROUNDS runs a longer loop by hand.
    const char *rounds_text = std::getenv("TABRIX_CFB_FUZZ_ROUNDS");
    const int kRounds = rounds_text ? std::max(100, std::atoi(rounds_text)) : 6000;
    const auto seed_text = std::getenv("TABRIX_CFB_FUZZ_SEED");
    rng.seed(seed_text ? static_cast<uint32_t>(std::atoi(seed_text)) : 20240601u);
    for (int round = 0; round < kRounds; ++round) {
        const auto &base = round % 4 == 0 ? crafted3 : round % 4 == 1 ? crafted4 : good;
        auto bytes = base;
        const int changes = 1 + static_cast<int>(rng() % 4);
        for (int c = 0; c < changes; ++c) {
            // Most damage where the structure is: the header fields and the first sectors.
            const uint32_t where = rng() % 3;
            const size_t limit = where == 0   ? 0x50
                                 : where == 1 ? std::min<size_t>(bytes.size(), 4096 * 2)
                                              : bytes.size();
            const size_t at = rng() % limit;
            switch (rng() % 4) {
                case 0:
                    bytes[at] ^= static_cast<uint8_t>(1u << (rng() % 8));
                    break;
                case 1:
                    bytes[at] = static_cast<uint8_t>(rng());
                    break;
                case 2:
                    if (at + 4 <= bytes.size())
                        set32(bytes, at & ~size_t{3}, interesting[rng() % 17]);
                    break;
                default:
                    if (at + 4 <= bytes.size()) set32(bytes, at & ~size_t{3}, rng() % 64);
                    break;
            }
        }
        if (rng() % 16 == 0) bytes.resize(rng() % bytes.size());
        StorageStatus status;
        if (round % 8 == 0) {
            // Through the public API and a real file every so often.
            test::write_file(path, bytes);
            status = open_and_read_all(path);
        } else {
            std::unique_ptr<cfb::Node> root;
            status = cfb::read_compound_bytes(bytes.data(), bytes.size(), &root);
        }
        ASSERT_TRUE(status == StorageStatus::ok || status == StorageStatus::malformed)
            << "round " << round << " status " << static_cast<int>(status);
        (status == StorageStatus::ok ? ok : malformed)++;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!rounds_text) {
        EXPECT_LT(seconds, 20.0);
    }
    // Both outcomes happen: some damage is harmless (stream data), most is caught.
    EXPECT_GT(ok, 0);
    EXPECT_GT(malformed, kRounds / 4);
    EXPECT_GT(ok, kRounds / 20);
}

}  // namespace
}  // namespace tabrix::platform
