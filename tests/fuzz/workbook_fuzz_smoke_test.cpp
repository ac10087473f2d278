// A short pass of the workbook fuzz entry: the streams of workbooks our writer made, whole
// and then mutated record by record, through read mode, template load, write and re-read.
// The long pass runs the same entry under libFuzzer (see README.md beside this file).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "../engine/workbook_test_util.h"
#include "engine/biff/le_bytes.h"
#include "workbook_fuzz_seeds.h"
#include "workbook_fuzz_target.h"

namespace tabrix::engine::fuzz {
namespace {

constexpr int kMutationsPerSeed = 350;

// Where each whole record of the stream part of an input starts (its header), in order.
std::vector<size_t> record_starts(const Input &input) {
    std::vector<size_t> starts;
    size_t at = 1;
    while (input.size() - at >= 4) {
        const size_t length = load_u16(&input[at + 2]);
        if (input.size() - at - 4 < length) break;
        starts.push_back(at);
        at += 4 + length;
    }
    return starts;
}

class Mutator {
  public:
    explicit Mutator(uint32_t seed) : rng_(seed) {}

    // One edit of the kinds a damaged or hostile file holds.
    void mutate(Input &input) {
        const std::vector<size_t> starts = record_starts(input);
        if (starts.empty() || input.size() < 2) return;
        const size_t record = starts[pick(starts.size())];
        const size_t length = load_u16(&input[record + 2]);
        const size_t data = record + 4;
        switch (pick(8)) {
            case 0:  // a bit flipped anywhere in the stream
                input[1 + pick(input.size() - 1)] ^= static_cast<uint8_t>(1u << pick(8));
                break;
            case 1:  // cut short
                input.resize(1 + pick(input.size() - 1));
                break;
            case 2: {  // a record's length made large or small
                const uint16_t lengths[] = {0,
                                            1,
                                            static_cast<uint16_t>(length + 1),
                                            static_cast<uint16_t>(length ? length - 1 : 0),
                                            0x2020,
                                            0xFFFF};
                store_u16(&input[record + 2], lengths[pick(std::size(lengths))]);
                break;
            }
            case 3: {  // a record twice
                const Input copy(input.begin() + static_cast<std::ptrdiff_t>(record),
                                 input.begin() + static_cast<std::ptrdiff_t>(data + length));
                input.insert(input.begin() + static_cast<std::ptrdiff_t>(data + length),
                             copy.begin(), copy.end());
                break;
            }
            case 4:  // a record removed
                input.erase(input.begin() + static_cast<std::ptrdiff_t>(record),
                            input.begin() + static_cast<std::ptrdiff_t>(data + length));
                break;
            case 5:
            case 6: {  // a 16-bit field of a record's data overwritten
                if (length < 2) break;
                const uint16_t values[] = {0,      1,      0xFF,   0x100,
                                           0x7FFF, 0x8000, 0xFFFF, static_cast<uint16_t>(rng_())};
                store_u16(&input[data + pick(length - 1)], values[pick(std::size(values))]);
                break;
            }
            default: {  // a 32-bit field, as offsets and counts take
                if (length < 4) break;
                const uint32_t values[] = {0, 0xFFFFFFFF, 0x7FFFFFFF,
                                           static_cast<uint32_t>(input.size()),
                                           static_cast<uint32_t>(rng_())};
                store_u32(&input[data + pick(length - 3)], values[pick(std::size(values))]);
                break;
            }
        }
    }

    size_t pick(size_t bound) { return bound ? rng_() % bound : 0; }

  private:
    std::mt19937 rng_;
};

TEST(WorkbookFuzzSmoke, SeedsAndMutationsGoThroughEveryCall) {
    test::TempFolder folder;
    const std::vector<Input> seeds = writer_seeds(folder.file(""));
    ASSERT_EQ(seeds.size(), 8u);
    for (const Input &seed : seeds) {
        const FuzzOutcome outcome = fuzz_workbook_stream(seed.data(), seed.size());
        EXPECT_TRUE(outcome.read && outcome.loaded && outcome.written) << int{seed[0]};
    }

    Mutator mutator(20240611);
    int inputs = 0, accepted = 0, loaded = 0, written = 0;
    for (const Input &seed : seeds) {
        for (int round = 0; round < kMutationsPerSeed; ++round) {
            Input input = seed;
            const size_t edits = 1 + mutator.pick(3);
            for (size_t e = 0; e < edits; ++e) mutator.mutate(input);
            const FuzzOutcome outcome = fuzz_workbook_stream(input.data(), input.size());
            ++inputs;
            accepted += outcome.accepted;
            loaded += outcome.loaded;
            written += outcome.written;
        }
    }
    // Most damage is taken in stride: the pass must have reached the load and the write
    // (whose re-read the entry itself checks), not stopped at the reader's door.
    EXPECT_GT(accepted, inputs * 4 / 5);
    EXPECT_GT(loaded, inputs * 3 / 4);
    EXPECT_GT(written, inputs * 3 / 4);
}

// A finding of the long pass: an Excel 95 header holding FNGROUPCOUNT twice had its references
// written after each, so the sheet offsets missed the sheets. The entry aborts on that.
TEST(WorkbookFuzzSmoke, AHeaderWithTwoFunctionGroupCountsIsWrittenWhole) {
    constexpr uint16_t kFnGroupCount = 0x009C;
    // FNGROUPCOUNT, then EXTERNCOUNT (one reference), then FNGROUPCOUNT again.
    const Input header = {0x9C, 0, 2, 0, 14, 0, 0x16, 0, 2, 0, 1, 0, 0x9C, 0, 2, 0, 14, 0};
    test::TempFolder folder;
    for (Input input : writer_seeds(folder.file(""))) {
        if (input[0] & 1) continue;  // Excel 97 keeps its references elsewhere
        const std::vector<size_t> starts = record_starts(input);
        const auto group_count = std::find_if(starts.begin(), starts.end(), [&](size_t at) {
            return load_u16(&input[at]) == kFnGroupCount;
        });
        ASSERT_NE(group_count, starts.end());
        const auto at = input.begin() + static_cast<std::ptrdiff_t>(*group_count);
        input.insert(input.erase(at, at + 6), header.begin(), header.end());
        EXPECT_TRUE(fuzz_workbook_stream(input.data(), input.size()).written);
    }
}

}  // namespace
}  // namespace tabrix::engine::fuzz
