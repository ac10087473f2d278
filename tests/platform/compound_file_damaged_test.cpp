// Damaged and hostile files: each must give a clean error (malformed, or io_error), never a
// crash, a hang, an out-of-bounds read or an allocation the file's size does not justify.
// The damaged files are made here: a good file written by us (or crafted with fragmented
// chains) with specific bytes changed, hand-made headers and truncations. The randomized
// mutation loop is in tests/fuzz/.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>

#include "platform/compound_file.h"
#include "platform/compound_file_internal.h"
#include "tests/platform/compound_file_test_util.h"

namespace tabrix::platform {
namespace {

using test::good_file;
using test::le32;
using test::open_and_read_all;
using test::pattern;
using test::set16;
using test::set32;
using test::TempDir;

StorageStatus open_bytes(const std::vector<uint8_t> &bytes) {
    std::unique_ptr<cfb::Node> root;
    return cfb::read_compound_bytes(bytes.data(), bytes.size(), &root);
}

size_t sector_at(uint32_t sector, uint32_t size = 512) {
    return (size_t{sector} + 1) * size;
}
size_t dir_entry(const std::vector<uint8_t> &bytes, uint32_t id) {
    // Our own files keep the directory in consecutive sectors.
    return sector_at(le32(bytes, 0x30)) + 128 * size_t{id};
}
size_t fat_entry(const std::vector<uint8_t> &bytes, uint32_t sector) {
    return sector_at(le32(bytes, 0x4C)) + 4 * size_t{sector};
}
// The directory entry named `name` in our good file.
uint32_t entry_named(const std::vector<uint8_t> &bytes, std::u16string_view name) {
    const uint32_t entries = static_cast<uint32_t>((bytes.size() - dir_entry(bytes, 0)) / 128);
    for (uint32_t id = 0; id < entries; ++id) {
        const size_t at = dir_entry(bytes, id);
        std::u16string got;
        for (size_t k = 0; k + 1 < test::le16(bytes, at + 64) / 2u; ++k)
            got += test::le16(bytes, at + 2 * k);
        if (got == name) return id;
    }
    ADD_FAILURE() << "no entry";
    return 0;
}

class DamagedTest : public ::testing::Test {
  protected:
    void SetUp() override { good_ = good_file(); }

    // Applies the change, checks the result through memory and through a file.
    void expect_malformed(const std::function<void(std::vector<uint8_t> &)> &damage,
                          const char *what) {
        auto bytes = good_;
        damage(bytes);
        EXPECT_EQ(open_bytes(bytes), StorageStatus::malformed) << what;
        const auto path = dir_ / "damaged.cfb";
        test::write_file(path, bytes);
        EXPECT_EQ(open_and_read_all(path), StorageStatus::malformed) << what;
        StorageStatus status = StorageStatus::ok;
        EXPECT_EQ(CompoundFile::open_update(path, &status), nullptr) << what;
        EXPECT_EQ(status, StorageStatus::malformed) << what;
    }

    std::vector<uint8_t> good_;
    TempDir dir_;
};

TEST_F(DamagedTest, TheGoodFileIsGood) {
    EXPECT_EQ(open_bytes(good_), StorageStatus::ok);
    const auto path = dir_ / "good.cfb";
    test::write_file(path, good_);
    EXPECT_EQ(open_and_read_all(path), StorageStatus::ok);
}

TEST_F(DamagedTest, TooShortOrEmpty) {
    for (const size_t size : {size_t{0}, size_t{1}, size_t{8}, size_t{100}, size_t{511}}) {
        std::vector<uint8_t> bytes(good_.begin(), good_.begin() + static_cast<ptrdiff_t>(size));
        EXPECT_EQ(open_bytes(bytes), StorageStatus::malformed) << size;
    }
    // A header alone: no FAT, no directory.
    std::vector<uint8_t> header(good_.begin(), good_.begin() + 512);
    EXPECT_EQ(open_bytes(header), StorageStatus::malformed);
    const auto path = dir_ / "empty.cfb";
    test::write_file(path, {});
    EXPECT_EQ(open_and_read_all(path), StorageStatus::malformed);
}

TEST_F(DamagedTest, BadHeaderFields) {
    expect_malformed([](auto &b) { b[0] = 0xD1; }, "signature first byte");
    expect_malformed([](auto &b) { b[7] = 0; }, "signature last byte");
    expect_malformed([](auto &b) { set16(b, 0x1A, 2); }, "major version 2");
    expect_malformed([](auto &b) { set16(b, 0x1A, 0xFFFF); }, "major version 0xFFFF");
    expect_malformed([](auto &b) { set16(b, 0x1C, 0xFEFF); }, "byte order");
    for (const uint16_t shift : {0, 1, 7, 8, 10, 11, 13, 16, 31, 32, 64, 0xFFFF}) {
        expect_malformed([shift](auto &b) { set16(b, 0x1E, shift); }, "sector shift");
    }
    expect_malformed([](auto &b) { set16(b, 0x1E, 12); }, "sector shift 12 on a small file");
    for (const uint16_t shift : {0, 5, 7, 9, 0xFFFF}) {
        expect_malformed([shift](auto &b) { set16(b, 0x20, shift); }, "mini sector shift");
    }
    expect_malformed([](auto &b) { set32(b, 0x38, 2048); }, "mini stream cutoff");
    expect_malformed([](auto &b) { set32(b, 0x38, 0); }, "mini stream cutoff 0");
}

TEST_F(DamagedTest, BadFatAndDifat) {
    expect_malformed([](auto &b) { set32(b, 0x2C, 0); }, "no FAT sectors");
    expect_malformed([](auto &b) { set32(b, 0x2C, 0xFFFFFFFF); }, "huge FAT sector count");
    expect_malformed([](auto &b) { set32(b, 0x2C, 1000); }, "more FAT sectors than the file");
    expect_malformed([](auto &b) { set32(b, 0x4C, 0xFFFFFFFF); }, "FAT sector free");
    expect_malformed([](auto &b) { set32(b, 0x4C, 0x7FFFFFFF); }, "FAT sector past the end");
    expect_malformed([](auto &b) { set32(b, 0x4C, 0xFFFFFFFD); }, "FAT sector special");
    // Two FAT sectors claimed, the second the same as the first.
    expect_malformed(
        [](auto &b) {
            set32(b, 0x2C, 2);
            set32(b, 0x50, le32(b, 0x4C));
        },
        "FAT sector listed twice");
    // More FAT sectors than the header holds, and the DIFAT chain is empty, loops, or leaves.
    expect_malformed([](auto &b) { set32(b, 0x2C, 110); }, "DIFAT needed, none");
}

TEST_F(DamagedTest, DifatChainsThatLoopOrLeave) {
    // A file just big enough for one DIFAT sector.
    cfb::Node root;
    root.is_storage = true;
    auto child = std::make_unique<cfb::Node>();
    child->name = u"Workbook";
    child->data = pattern(109u * 128u * 512u + 4096u, 1);
    root.children.push_back(std::move(child));
    std::vector<uint8_t> big;
    ASSERT_EQ(cfb::write_compound_bytes(root, &big), StorageStatus::ok);
    ASSERT_EQ(open_bytes(big), StorageStatus::ok);
    const uint32_t difat = le32(big, 0x44);
    ASSERT_EQ(le32(big, 0x48), 1u);
    const size_t difat_at = sector_at(difat);
    const uint32_t fat_count = le32(big, 0x2C);
    auto expect = [&](const std::function<void(std::vector<uint8_t> &)> &damage, const char *what) {
        auto bytes = big;
        damage(bytes);
        EXPECT_EQ(open_bytes(bytes), StorageStatus::malformed) << what;
    };
    // Claim more FAT sectors than one DIFAT sector lists, so its "next" link is followed.
    expect(
        [&](auto &b) {
            set32(b, 0x2C, fat_count + 127);
            set32(b, difat_at + 508, difat);
        },
        "DIFAT sector links to itself");
    expect([&](auto &b) { set32(b, 0x2C, fat_count + 127); }, "DIFAT chain ends early");
    expect(
        [&](auto &b) {
            set32(b, 0x2C, fat_count + 127);
            set32(b, difat_at + 508, 0x00FFFFFF);
        },
        "DIFAT link past the end");
    expect([&](auto &b) { set32(b, 0x44, 0xFFFFFFFE); }, "no DIFAT sector");
    expect([&](auto &b) { set32(b, 0x44, 0x0FFFFFFF); }, "DIFAT sector past the end");
    expect([&](auto &b) { set32(b, 0x44, le32(b, 0x4C)); }, "DIFAT sector is a FAT sector");
    expect([&](auto &b) { set32(b, difat_at, 0xFFFFFFFF); }, "DIFAT entry free");
    expect([&](auto &b) { set32(b, difat_at, difat); }, "DIFAT entry is the DIFAT sector");
    // Truncated inside the DIFAT-listed FAT sectors.
    auto cut = big;
    cut.resize(sector_at(le32(big, difat_at)) + 100);
    EXPECT_EQ(open_bytes(cut), StorageStatus::malformed);
}

TEST_F(DamagedTest, BadDirectoryChain) {
    expect_malformed([](auto &b) { set32(b, 0x30, 0xFFFFFFFE); }, "no directory");
    expect_malformed([](auto &b) { set32(b, 0x30, 0xFFFFFFFF); }, "directory free");
    expect_malformed([](auto &b) { set32(b, 0x30, 5000); }, "directory past the end");
    expect_malformed([](auto &b) { set32(b, 0x30, le32(b, 0x4C)); }, "directory in FAT");
    expect_malformed(
        [](auto &b) {
            const uint32_t dir = le32(b, 0x30);
            set32(b, fat_entry(b, dir), dir);
        },
        "directory chain loops on itself");
    expect_malformed(
        [](auto &b) {
            const uint32_t dir = le32(b, 0x30);
            set32(b, fat_entry(b, dir), 0x00FFFFFF);
        },
        "directory chain leaves the file");
    expect_malformed(
        [](auto &b) {
            const uint32_t dir = le32(b, 0x30);
            set32(b, fat_entry(b, dir), 0xFFFFFFFF);
        },
        "directory chain runs into a free entry");
}

TEST_F(DamagedTest, BadDirectoryEntries) {
    const uint32_t workbook = entry_named(good_, u"Workbook");
    const uint32_t store = entry_named(good_, u"Store");
    const uint32_t inner = entry_named(good_, u"Inner");
    expect_malformed([](auto &b) { b[dir_entry(b, 0) + 66] = 1; }, "root not a root");
    expect_malformed([](auto &b) { b[dir_entry(b, 0) + 66] = 0; }, "root unused");
    expect_malformed([](auto &b) { set32(b, dir_entry(b, 0) + 76, 200); }, "root child range");
    expect_malformed([](auto &b) { set32(b, dir_entry(b, 0) + 76, 0xFFFFFFFA); },
                     "root child MAXREGSID");
    expect_malformed([](auto &b) { set32(b, dir_entry(b, 0) + 76, 0); }, "root child is root");
    expect_malformed([](auto &b) { set32(b, dir_entry(b, 0) + 76, 7); }, "root child unused");
    for (const uint32_t target : {workbook, store}) {
        expect_malformed([target](auto &b) { set32(b, dir_entry(b, target) + 68, target); },
                         "left sibling is itself");
        expect_malformed([target](auto &b) { set32(b, dir_entry(b, target) + 72, 0); },
                         "right sibling is the root");
        expect_malformed([target](auto &b) { set32(b, dir_entry(b, target) + 72, 0xFFFFFFF0); },
                         "right sibling out of range");
        expect_malformed([target](auto &b) { b[dir_entry(b, target) + 66] = 0; }, "type unused");
        expect_malformed([target](auto &b) { b[dir_entry(b, target) + 66] = 3; }, "type 3");
        expect_malformed([target](auto &b) { b[dir_entry(b, target) + 66] = 5; }, "second root");
        expect_malformed([target](auto &b) { set16(b, dir_entry(b, target) + 64, 0); },
                         "name length 0");
        expect_malformed([target](auto &b) { set16(b, dir_entry(b, target) + 64, 2); },
                         "empty name");
        expect_malformed([target](auto &b) { set16(b, dir_entry(b, target) + 64, 7); },
                         "odd name length");
        expect_malformed([target](auto &b) { set16(b, dir_entry(b, target) + 64, 66); },
                         "name too long");
        expect_malformed([target](auto &b) { set16(b, dir_entry(b, target) + 64, 0xFFFF); },
                         "name length huge");
        expect_malformed([target](auto &b) { set16(b, dir_entry(b, target) + 2, 0); },
                         "NUL inside the name");
    }
    // A storage whose children include one of its ancestors.
    expect_malformed([store](auto &b) { set32(b, dir_entry(b, store) + 76, store); },
                     "storage is its own child");
    expect_malformed([inner, store](auto &b) { set32(b, dir_entry(b, inner) + 68, store); },
                     "child tree links back to its storage");
    // Two entries with the same name (case ignored) under one storage.
    expect_malformed(
        [workbook](auto &b) {
            const char16_t name[] = u"SMALL";
            const size_t at = dir_entry(b, workbook);
            for (size_t k = 0; k < 8; ++k) set16(b, at + 2 * k, k < 5 ? name[k] : 0);
            set16(b, at + 64, 12);
            set32(b, at + 120, 200);
            set32(b, at + 116, 0);
        },
        "duplicate names");
}

TEST_F(DamagedTest, DirectoryCycleThroughSiblings) {
    // Siblings pointing at each other: a -> b -> a.
    auto bytes = good_;
    const uint32_t workbook = entry_named(bytes, u"Workbook");
    const uint32_t small = entry_named(bytes, u"Small");
    set32(bytes, dir_entry(bytes, workbook) + 68, small);
    set32(bytes, dir_entry(bytes, workbook) + 72, small);
    set32(bytes, dir_entry(bytes, small) + 68, workbook);
    EXPECT_EQ(open_bytes(bytes), StorageStatus::malformed);
}

TEST_F(DamagedTest, BadStreamChains) {
    const uint32_t workbook = entry_named(good_, u"Workbook");
    const uint32_t big = entry_named(good_, u"Big");
    for (const uint32_t id : {workbook, big}) {
        expect_malformed([id](auto &b) { set32(b, dir_entry(b, id) + 116, 0xFFFFFFFE); },
                         "stream starts at end of chain");
        expect_malformed([id](auto &b) { set32(b, dir_entry(b, id) + 116, 0xFFFFFFFA); },
                         "stream start MAXREGSECT");
        expect_malformed([id](auto &b) { set32(b, dir_entry(b, id) + 116, 100000); },
                         "stream start past the end");
        expect_malformed([id](auto &b) { set32(b, dir_entry(b, id) + 116, le32(b, 0x4C)); },
                         "stream starts in the FAT");
        expect_malformed([id](auto &b) { set32(b, dir_entry(b, id) + 116, le32(b, 0x30)); },
                         "stream starts in the directory");
        expect_malformed([id](auto &b) { set32(b, dir_entry(b, id) + 120, 0x7FFFFFFF); },
                         "stream size huge");
        expect_malformed([id](auto &b) { set32(b, dir_entry(b, id) + 120, 0xFFFFFFFF); },
                         "stream size all ones");
        expect_malformed([id](auto &b) { set32(b, dir_entry(b, id) + 120, 50000); },
                         "stream longer than its chain");
        expect_malformed(
            [id](auto &b) {
                const uint32_t start = le32(b, dir_entry(b, id) + 116);
                set32(b, fat_entry(b, start + 3), start);
            },
            "stream chain loops");
        expect_malformed(
            [id](auto &b) {
                const uint32_t start = le32(b, dir_entry(b, id) + 116);
                set32(b, fat_entry(b, start), 0x00FFFFFF);
            },
            "stream chain leaves the file");
        expect_malformed(
            [id](auto &b) {
                const uint32_t start = le32(b, dir_entry(b, id) + 116);
                set32(b, fat_entry(b, start + 1), 0xFFFFFFFF);
            },
            "stream chain runs into a free sector");
        expect_malformed(
            [id](auto &b) {
                const uint32_t start = le32(b, dir_entry(b, id) + 116);
                set32(b, fat_entry(b, start + 1), 0xFFFFFFFE);
            },
            "stream chain ends early");
    }
    // Two streams sharing sectors.
    expect_malformed(
        [workbook, big](auto &b) {
            set32(b, dir_entry(b, big) + 116, le32(b, dir_entry(b, workbook) + 116));
        },
        "cross-linked streams");
}

TEST_F(DamagedTest, BadMiniStream) {
    const uint32_t small = entry_named(good_, u"Small");
    const uint32_t tiny = entry_named(good_, u"Tiny");
    expect_malformed([small](auto &b) { set32(b, dir_entry(b, small) + 116, 5000); },
                     "mini start past the mini stream");
    expect_malformed([small](auto &b) { set32(b, dir_entry(b, small) + 116, 0xFFFFFFFE); },
                     "mini start end of chain");
    expect_malformed(
        [small, tiny](auto &b) {
            set32(b, dir_entry(b, tiny) + 116, le32(b, dir_entry(b, small) + 116));
        },
        "mini streams cross-linked");
    expect_malformed(
        [small](auto &b) {
            const uint32_t start = le32(b, dir_entry(b, small) + 116);
            const size_t at = sector_at(le32(b, 0x3C)) + 4 * size_t{start};
            set32(b, at, start);
        },
        "mini chain loops");
    expect_malformed(
        [small](auto &b) {
            const uint32_t start = le32(b, dir_entry(b, small) + 116);
            const size_t at = sector_at(le32(b, 0x3C)) + 4 * size_t{start};
            set32(b, at, 0xFFFFFFFE);
        },
        "mini chain ends early");
    expect_malformed([](auto &b) { set32(b, 0x3C, 0xFFFFFFFE); }, "no mini FAT");
    expect_malformed([](auto &b) { set32(b, 0x3C, 9999); }, "mini FAT past the end");
    expect_malformed([](auto &b) { set32(b, 0x3C, le32(b, 0x30)); }, "mini FAT is directory");
    expect_malformed([](auto &b) { set32(b, dir_entry(b, 0) + 120, 0xFFFFFFF0); },
                     "mini stream size huge");
    expect_malformed([](auto &b) { set32(b, dir_entry(b, 0) + 120, 64); },
                     "mini stream smaller than its streams");
    expect_malformed([](auto &b) { set32(b, dir_entry(b, 0) + 116, 0xFFFFFFFE); },
                     "mini stream has no sectors");
    expect_malformed(
        [](auto &b) {
            const uint32_t start = le32(b, dir_entry(b, 0) + 116);
            set32(b, fat_entry(b, start), start);
        },
        "mini stream container loops");
}

TEST_F(DamagedTest, TruncatedFiles) {
    // Cut inside the header, the FAT, the directory, the mini stream and the last stream.
    for (size_t size = 0; size < good_.size(); size += 97) {
        std::vector<uint8_t> bytes(good_.begin(), good_.begin() + static_cast<ptrdiff_t>(size));
        const StorageStatus status = open_bytes(bytes);
        // The very end of the last sector may be padding that no stream needs.
        if (size + 512 <= good_.size() - 500) {
            EXPECT_EQ(status, StorageStatus::malformed) << size;
        } else {
            EXPECT_TRUE(status == StorageStatus::malformed || status == StorageStatus::ok);
        }
    }
    // Through a file too.
    const auto path = dir_ / "cut.cfb";
    test::write_file(path, std::vector<uint8_t>(good_.begin(), good_.begin() + 2000));
    EXPECT_EQ(open_and_read_all(path), StorageStatus::malformed);
}

TEST_F(DamagedTest, TooDeep) {
    cfb::Node root;
    root.is_storage = true;
    cfb::Node *at = &root;
    for (unsigned i = 0; i < cfb::kMaxDepth + 5; ++i) {
        auto child = std::make_unique<cfb::Node>();
        child->name = u"D";
        child->is_storage = true;
        at->children.push_back(std::move(child));
        at = at->children.back().get();
    }
    std::vector<uint8_t> bytes;
    ASSERT_EQ(cfb::write_compound_bytes(root, &bytes), StorageStatus::ok);
    EXPECT_EQ(open_bytes(bytes), StorageStatus::malformed);
    // Free the chain without deep recursion.
    while (!root.children.empty()) {
        auto child = std::move(root.children.back());
        root.children.clear();
        root.children = std::move(child->children);
    }
}

TEST_F(DamagedTest, HostileVersion4Sizes) {
    auto bytes = test::craft_file(12, {{u"A", pattern(100, 1)}, {u"B", pattern(9000, 2)}}, 7);
    ASSERT_EQ(open_bytes(bytes), StorageStatus::ok);
    const size_t dir_at = (le32(bytes, 0x30) + 1) * size_t{4096};
    for (const uint32_t entry : {0u, 1u, 2u}) {
        auto damaged = bytes;
        set32(damaged, dir_at + entry * 128 + 124, 0x40000000);  // 2^62 and more
        EXPECT_EQ(open_bytes(damaged), StorageStatus::malformed) << entry;
    }
    // A version 4 file cut after its header sector.
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 4096);
    EXPECT_EQ(open_bytes(cut), StorageStatus::malformed);
}

TEST_F(DamagedTest, ManyEntriesClaimingTheSameSectorsStayFast) {
    // Thousands of directory entries, each a 1 MB stream over the same sectors: refused at
    // the first cross-link instead of reading the same megabyte thousands of times.
    cfb::Node root;
    root.is_storage = true;
    constexpr int kCount = 3000;
    for (int i = 0; i < kCount; ++i) {
        auto child = std::make_unique<cfb::Node>();
        child->name = u"S";
        for (char c : std::to_string(10000 + i)) child->name += static_cast<char16_t>(c);
        if (i == 0) child->data = pattern(1u << 20, 1);
        root.children.push_back(std::move(child));
    }
    std::vector<uint8_t> bytes;
    ASSERT_EQ(cfb::write_compound_bytes(root, &bytes), StorageStatus::ok);
    const uint32_t big = entry_named(bytes, u"S10000");
    const uint32_t start = le32(bytes, dir_entry(bytes, big) + 116);
    for (uint32_t id = 1; id <= kCount; ++id) {
        set32(bytes, dir_entry(bytes, id) + 116, start);
        set32(bytes, dir_entry(bytes, id) + 120, 1u << 20);
    }
    const auto start_time = std::chrono::steady_clock::now();
    EXPECT_EQ(open_bytes(bytes), StorageStatus::malformed);
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_time).count();
    EXPECT_LT(seconds, 2.0);
}

}  // namespace
}  // namespace tabrix::platform
