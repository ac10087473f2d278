// Round trips, the tree API, update in place, large streams and DIFAT, class identifiers,
// determinism, and reading files laid out by another writer (512 and 4096-byte sectors).
#include "platform/compound_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <set>

#include "platform/compound_file_internal.h"
#include "tests/platform/compound_file_test_util.h"

namespace tabrix::platform {
namespace {

using test::pattern;
using test::read_all;
using test::TempDir;
using test::write_all;

Stream *make_stream(Storage &storage, std::u16string_view name, const std::vector<uint8_t> &data) {
    StorageStatus status = StorageStatus::io_error;
    Stream *stream = storage.create_stream(name, &status);
    EXPECT_EQ(status, StorageStatus::ok);
    if (stream) {
        EXPECT_TRUE(write_all(stream, data, 1000));
    }
    return stream;
}

std::vector<uint8_t> stream_bytes(Storage &storage, std::u16string_view name) {
    StorageStatus status = StorageStatus::io_error;
    Stream *stream = storage.open_stream(name, &status);
    EXPECT_EQ(status, StorageStatus::ok);
    return read_all(stream);
}

Storage *sub(Storage &storage, std::u16string_view name) {
    StorageStatus status = StorageStatus::io_error;
    Storage *child = storage.open_storage(name, &status);
    EXPECT_EQ(status, StorageStatus::ok);
    return child;
}

std::unique_ptr<CompoundFile> reopen(const std::filesystem::path &path) {
    StorageStatus status = StorageStatus::io_error;
    auto file = CompoundFile::open_read(path, &status);
    EXPECT_EQ(status, StorageStatus::ok);
    return file;
}

// ---- class identifiers ----

TEST(ClassIdTest, ParsesToDiskOrder) {
    const auto id = ClassId::from_string("{00020820-0000-0000-C000-000000000046}");
    ASSERT_TRUE(id.has_value());
    const std::array<uint8_t, 16> expected = {0x20, 0x08, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                              0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    EXPECT_EQ(id->bytes, expected);
    EXPECT_EQ(id->to_string(), "{00020820-0000-0000-C000-000000000046}");
}

TEST(ClassIdTest, MixedEndianGroups) {
    const auto id = ClassId::from_string("01234567-89ab-CDEF-0123-456789abcdef");
    ASSERT_TRUE(id.has_value());
    const std::array<uint8_t, 16> expected = {0x67, 0x45, 0x23, 0x01, 0xAB, 0x89, 0xEF, 0xCD,
                                              0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    EXPECT_EQ(id->bytes, expected);
    EXPECT_EQ(ClassId::from_string(id->to_string()), id);
    EXPECT_FALSE(id->is_null());
    EXPECT_TRUE(ClassId{}.is_null());
}

TEST(ClassIdTest, RejectsMalformedText) {
    for (const char *text :
         {"", "{}", "{00020820-0000-0000-C000-00000000004}",
          "{00020820-0000-0000-C000-0000000000466}", "{00020820-0000-0000-C000-00000000004G}",
          "{00020820+0000-0000-C000-000000000046}", "(00020820-0000-0000-C000-000000000046)",
          "{00020820-0000-0000-C000-000000000046", "00020820000000000C000000000000046"}) {
        EXPECT_FALSE(ClassId::from_string(text).has_value()) << text;
    }
}

// ---- round trips ----

TEST(CompoundFileTest, RoundTripAroundTheMiniStreamCutoff) {
    TempDir dir;
    const std::vector<size_t> sizes = {0,    1,    63,   64,   65,   511,  512,   513,
                                       4095, 4096, 4097, 8191, 8192, 8193, 100000};
    for (const size_t size : sizes) {
        SCOPED_TRACE(size);
        const auto path = dir / ("one-" + std::to_string(size) + ".cfb");
        const auto data = pattern(size, size);
        {
            auto file = CompoundFile::create(path);
            ASSERT_TRUE(file);
            make_stream(file->root(), u"Workbook", data);
            ASSERT_EQ(file->commit(), StorageStatus::ok);
        }
        auto file = reopen(path);
        ASSERT_TRUE(file);
        const auto elements = file->root().elements();
        ASSERT_EQ(elements.size(), 1u);
        EXPECT_EQ(elements[0].size, size);
        EXPECT_EQ(stream_bytes(file->root(), u"Workbook"), data);
        EXPECT_EQ(std::filesystem::file_size(path) % 512, 0u);
    }
    // All of them in one file, beside one another in the mini stream and the FAT.
    const auto path = dir / "all.cfb";
    {
        auto file = CompoundFile::create(path);
        ASSERT_TRUE(file);
        for (const size_t size : sizes) {
            std::u16string wide;
            for (char c : std::to_string(size)) wide += static_cast<char16_t>(c);
            make_stream(file->root(), u"n" + wide, pattern(size, size + 7));
        }
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    auto file = reopen(path);
    ASSERT_TRUE(file);
    for (const size_t size : sizes) {
        std::u16string wide;
        for (char c : std::to_string(size)) wide += static_cast<char16_t>(c);
        EXPECT_EQ(stream_bytes(file->root(), u"n" + wide), pattern(size, size + 7)) << size;
    }
}

TEST(CompoundFileTest, StreamMovesBetweenMiniAndRegularSectorsOnUpdate) {
    TempDir dir;
    const auto path = dir / "grow.cfb";
    {
        auto file = CompoundFile::create(path);
        make_stream(file->root(), u"A", pattern(4095, 1));
        make_stream(file->root(), u"B", pattern(4097, 2));
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    {
        auto file = CompoundFile::open_update(path);
        ASSERT_TRUE(file);
        Stream *a = file->root().open_stream(u"A");
        ASSERT_TRUE(a->seek(0, SeekOrigin::end));
        const uint8_t more[2] = {1, 2};
        EXPECT_EQ(a->write(more, 2), 2u);
        Stream *b = file->root().open_stream(u"B");
        EXPECT_EQ(b->set_size(4095), StorageStatus::ok);
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    auto file = reopen(path);
    auto a = pattern(4095, 1);
    a.push_back(1);
    a.push_back(2);
    EXPECT_EQ(stream_bytes(file->root(), u"A"), a);
    auto b = pattern(4097, 2);
    b.resize(4095);
    EXPECT_EQ(stream_bytes(file->root(), u"B"), b);
}

TEST(CompoundFileTest, HundredMegabyteStreamWithDifat) {
    TempDir dir;
    const auto path = dir / "large.cfb";
    constexpr size_t kSize = 100u << 20;
    constexpr size_t kPiece = 1u << 20;
    {
        auto file = CompoundFile::create(path);
        ASSERT_TRUE(file);
        make_stream(file->root(), u"\x05SummaryInformation", pattern(300, 3));
        StorageStatus status = StorageStatus::io_error;
        Stream *stream = file->root().create_stream(u"Workbook", &status);
        ASSERT_TRUE(stream);
        for (size_t done = 0; done < kSize; done += kPiece) {
            const auto piece = pattern(kPiece, done / kPiece);
            ASSERT_EQ(stream->write(piece.data(), piece.size()), piece.size());
        }
        make_stream(file->root(), u"After", pattern(5000, 4));
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    const auto size = std::filesystem::file_size(path);
    EXPECT_GE(size, kSize);
    EXPECT_LT(size, kSize + kSize / 100);
    // 100 MB needs about 1600 FAT sectors: 109 listed in the header, the rest in a DIFAT
    // chain of 12 sectors.
    std::vector<uint8_t> header(512);
    {
        std::ifstream in(path, std::ios::binary);
        in.read(reinterpret_cast<char *>(header.data()), 512);
    }
    const uint32_t fat_sectors = test::le32(header, 0x2C);
    const uint32_t difat_sectors = test::le32(header, 0x48);
    EXPECT_GT(fat_sectors, 109u + 127u * 10);
    EXPECT_EQ(difat_sectors, (fat_sectors - 109 + 126) / 127);
    EXPECT_NE(test::le32(header, 0x44), cfb::kEndOfChain);

    auto file = reopen(path);
    ASSERT_TRUE(file);
    Stream *stream = file->root().open_stream(u"Workbook");
    ASSERT_TRUE(stream);
    ASSERT_EQ(stream->size(), kSize);
    std::vector<uint8_t> piece(kPiece);
    for (size_t done = 0; done < kSize; done += kPiece) {
        ASSERT_EQ(stream->read(piece.data(), kPiece), kPiece);
        ASSERT_TRUE(piece == pattern(kPiece, done / kPiece)) << done;
    }
    EXPECT_EQ(stream->read(piece.data(), 1), 0u);
    EXPECT_EQ(stream_bytes(file->root(), u"After"), pattern(5000, 4));
    EXPECT_EQ(stream_bytes(file->root(), u"\x05SummaryInformation"), pattern(300, 3));
}

TEST(CompoundFileTest, FileJustPastOneDifatSector) {
    // 109 FAT sectors cover 109 * 128 sectors (about 7 MB); a little more needs the DIFAT.
    TempDir dir;
    const auto path = dir / "difat.cfb";
    const size_t size = 109u * 128u * 512u + 4096u;
    const auto data = pattern(size, 9);
    {
        auto file = CompoundFile::create(path);
        make_stream(file->root(), u"Workbook", data);
        make_stream(file->root(), u"Small", pattern(100, 1));
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    const auto bytes = test::read_file(path);
    EXPECT_EQ(test::le32(bytes, 0x2C), 110u);
    EXPECT_EQ(test::le32(bytes, 0x48), 1u);
    EXPECT_NE(test::le32(bytes, 0x44), cfb::kEndOfChain);
    auto file = reopen(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(stream_bytes(file->root(), u"Workbook"), data);
    EXPECT_EQ(stream_bytes(file->root(), u"Small"), pattern(100, 1));
}

TEST(CompoundFileTest, HundredsOfStreamsAndNestedStorages) {
    TempDir dir;
    const auto path = dir / "many.cfb";
    std::map<std::u16string, std::vector<uint8_t>> expected;  // "a/b/c" paths
    auto name_of = [](const char *prefix, int i) {
        std::u16string out;
        for (const char *p = prefix; *p; ++p) out += static_cast<char16_t>(*p);
        for (char c : std::to_string(i)) out += static_cast<char16_t>(c);
        return out;
    };
    {
        auto file = CompoundFile::create(path);
        Storage &root = file->root();
        for (int i = 0; i < 400; ++i) {
            const auto data = pattern(static_cast<size_t>(i * 37 % 9000), static_cast<uint64_t>(i));
            make_stream(root, name_of("Stream", i), data);
            expected[name_of("Stream", i)] = data;
        }
        for (int s = 0; s < 5; ++s) {
            Storage *level1 = root.create_storage(name_of("Dir", s));
            ASSERT_TRUE(level1);
            level1->set_class_id(*ClassId::from_string("{00020820-0000-0000-C000-00000000004" +
                                                       std::to_string(s) + "}"));
            for (int t = 0; t < 3; ++t) {
                Storage *level2 = level1->create_storage(name_of("Inner", t));
                ASSERT_TRUE(level2);
                for (int i = 0; i < 30; ++i) {
                    const auto data = pattern(static_cast<size_t>(i * 151 + s + t), 1000u * s + i);
                    make_stream(*level2, name_of("x", i), data);
                    expected[name_of("Dir", s) + u"/" + name_of("Inner", t) + u"/" +
                             name_of("x", i)] = data;
                }
                level2->create_storage(u"Empty");
            }
        }
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    auto file = reopen(path);
    ASSERT_TRUE(file);
    Storage &root = file->root();
    EXPECT_EQ(root.elements().size(), 405u);
    size_t checked = 0;
    for (const auto &[key, data] : expected) {
        Storage *storage = &root;
        std::u16string rest = key;
        size_t slash;
        while ((slash = rest.find(u'/')) != std::u16string::npos) {
            storage = sub(*storage, rest.substr(0, slash));
            ASSERT_TRUE(storage);
            rest = rest.substr(slash + 1);
        }
        ASSERT_EQ(stream_bytes(*storage, rest), data);
        ++checked;
    }
    EXPECT_EQ(checked, 400u + 5 * 3 * 30);
    Storage *dir3 = sub(root, u"Dir3");
    ASSERT_TRUE(dir3);
    EXPECT_EQ(dir3->class_id(), *ClassId::from_string("{00020820-0000-0000-C000-000000000043}"));
    Storage *empty = sub(*sub(*dir3, u"Inner2"), u"Empty");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->elements().empty());
}

TEST(CompoundFileTest, DeepNesting) {
    TempDir dir;
    const auto path = dir / "deep.cfb";
    {
        auto file = CompoundFile::create(path);
        Storage *storage = &file->root();
        for (int i = 0; i < 200; ++i) {
            storage = storage->create_storage(u"Level");
            ASSERT_TRUE(storage);
        }
        make_stream(*storage, u"Bottom", pattern(10, 10));
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    auto file = reopen(path);
    ASSERT_TRUE(file);
    Storage *storage = &file->root();
    for (int i = 0; i < 200; ++i) {
        storage = storage->open_storage(u"Level");
        ASSERT_TRUE(storage) << i;
    }
    EXPECT_EQ(stream_bytes(*storage, u"Bottom"), pattern(10, 10));
}

// ---- the directory as written ----

struct RawEntry {
    std::u16string name;
    uint8_t type, color;
    uint32_t left, right, child;
};

// The first `count` entries; our files keep the directory in consecutive sectors.
std::vector<RawEntry> raw_directory(const std::vector<uint8_t> &bytes, size_t count) {
    std::vector<RawEntry> out;
    const size_t at = (test::le32(bytes, 0x30) + 1) * 512;
    for (size_t off = at; off + 128 <= bytes.size() && out.size() < count; off += 128) {
        RawEntry e;
        const uint16_t len = test::le16(bytes, off + 64);
        e.type = bytes[off + 66];
        for (size_t k = 0; k + 1 < len / 2u; ++k) e.name += test::le16(bytes, off + 2 * k);
        e.color = bytes[off + 67];
        e.left = test::le32(bytes, off + 68);
        e.right = test::le32(bytes, off + 72);
        e.child = test::le32(bytes, off + 76);
        out.push_back(e);
    }
    return out;
}

// Checks one sibling tree: in name order, black root, no red node with a red child, the same
// number of black nodes on every path. Returns the black height; collects the names in order.
int check_rb(const std::vector<RawEntry> &dir, uint32_t id, bool parent_red,
             std::vector<std::u16string> *names) {
    if (id == cfb::kNoStream) return 1;
    const RawEntry &e = dir.at(id);
    const bool red = e.color == 0;
    EXPECT_FALSE(red && parent_red) << "red node with red parent";
    const int left = check_rb(dir, e.left, red, names);
    names->push_back(e.name);
    const int right = check_rb(dir, e.right, red, names);
    EXPECT_EQ(left, right) << "black heights differ under entry " << id;
    return left + (red ? 0 : 1);
}

TEST(CompoundFileTest, DirectoryIsAValidRedBlackTreeInNameOrder) {
    for (const int count : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 16, 17, 100, 255, 256, 300}) {
        SCOPED_TRACE(count);
        cfb::Node root;
        root.is_storage = true;
        std::vector<std::u16string> names;
        for (int i = 0; i < count; ++i) {
            std::u16string name = i % 3 ? u"item" : u"Item";
            for (char c : std::to_string(i * 7919 % 1000)) name += static_cast<char16_t>(c);
            name += static_cast<char16_t>(u'a' + i % 26);
            names.push_back(name);
        }
        TempDir dir;
        const auto path = dir / "tree.cfb";
        {
            auto file = CompoundFile::create(path);
            for (const auto &name : names) make_stream(file->root(), name, {1, 2, 3});
            ASSERT_EQ(file->commit(), StorageStatus::ok);
        }
        const auto bytes = test::read_file(path);
        const auto entries = raw_directory(bytes, static_cast<size_t>(count) + 1);
        ASSERT_EQ(entries.size(), static_cast<size_t>(count) + 1);
        for (const auto &entry : entries) EXPECT_NE(entry.type, cfb::kTypeUnused);
        // The slot after the last entry, if in the same sector, is unused.
        if ((count + 1) % 4 != 0) {
            const size_t next = (test::le32(bytes, 0x30) + 1) * 512 + (count + 1) * 128;
            EXPECT_EQ(bytes[next + 66], cfb::kTypeUnused);
            EXPECT_EQ(test::le32(bytes, next + 68), cfb::kNoStream);
            EXPECT_EQ(test::le32(bytes, next + 76), cfb::kNoStream);
        }
        EXPECT_EQ(entries[0].type, cfb::kTypeRoot);
        EXPECT_EQ(entries[0].name, u"Root Entry");
        EXPECT_EQ(entries[0].color, 1);
        std::vector<std::u16string> in_order;
        if (entries[0].child != cfb::kNoStream) {
            EXPECT_EQ(entries[entries[0].child].color, 1) << "root of the tree is black";
        }
        check_rb(entries, entries[0].child, false, &in_order);
        ASSERT_EQ(in_order.size(), static_cast<size_t>(count));
        for (size_t i = 1; i < in_order.size(); ++i)
            EXPECT_LT(cfb::compare_names(in_order[i - 1], in_order[i]), 0);
    }
}

TEST(CompoundFileTest, NameOrderIsLengthThenUpperCase) {
    EXPECT_LT(cfb::compare_names(u"Z", u"AA"), 0);
    EXPECT_EQ(cfb::compare_names(u"workbook", u"WORKBOOK"), 0);
    EXPECT_LT(cfb::compare_names(u"abc", u"ABD"), 0);
    // '_' (0x5F) sorts after the upper-case letters, '[' before them... after upper-casing.
    EXPECT_LT(cfb::compare_names(u"z", u"_"), 0);
    EXPECT_EQ(cfb::compare_names(u"\u00e9t\u00e9", u"\u00c9T\u00c9"), 0);
    EXPECT_EQ(cfb::compare_names(u"\u0430\u0431", u"\u0410\u0411"), 0);

    TempDir dir;
    const auto path = dir / "order.cfb";
    {
        auto file = CompoundFile::create(path);
        for (const char16_t *name : {u"bb", u"A", u"_", u"z", u"Workbook", u"\x05Summary", u"a1"})
            make_stream(file->root(), name, {});
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    auto file = reopen(path);
    std::vector<std::u16string> names;
    for (const auto &e : file->root().elements()) names.push_back(e.name);
    // 0x05 sorts before 'W'.
    const std::vector<std::u16string> expected = {u"A",  u"z",           u"_",       u"a1",
                                                  u"bb", u"\x05Summary", u"Workbook"};
    EXPECT_EQ(names, expected);
    // Lookups ignore case.
    EXPECT_NE(file->root().open_stream(u"WORKBOOK"), nullptr);
}

TEST(CompoundFileTest, SameTreeSameBytesAndNoTimeStamps) {
    TempDir dir;
    auto build = [&](const std::filesystem::path &path, bool reversed) {
        auto file = CompoundFile::create(path);
        std::vector<int> order = {0, 1, 2, 3, 4, 5};
        if (reversed) std::reverse(order.begin(), order.end());
        for (int i : order) {
            std::u16string name = u"S";
            name += static_cast<char16_t>(u'0' + i);
            make_stream(file->root(), name, pattern(static_cast<size_t>(i) * 2000, 5));
        }
        Storage *storage = file->root().create_storage(u"Store");
        storage->set_class_id(*ClassId::from_string("{00020820-0000-0000-C000-000000000046}"));
        make_stream(*storage, u"Inner", pattern(10, 1));
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    };
    build(dir / "a.cfb", false);
    build(dir / "b.cfb", true);
    const auto a = test::read_file(dir / "a.cfb");
    EXPECT_EQ(a, test::read_file(dir / "b.cfb"));
    const size_t at = (test::le32(a, 0x30) + 1) * 512;
    for (size_t off = at; off < at + 9 * 128; off += 128) {
        for (size_t k = 100; k < 116; ++k) EXPECT_EQ(a[off + k], 0) << "time stamp at " << off;
    }
    // Reading and writing back unchanged gives the same bytes again.
    {
        auto file = CompoundFile::open_update(dir / "a.cfb");
        ASSERT_TRUE(file);
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    EXPECT_EQ(test::read_file(dir / "a.cfb"), a);
}

// ---- the tree API ----

TEST(CompoundFileTest, NamesAndKinds) {
    TempDir dir;
    auto file = CompoundFile::create(dir / "names.cfb");
    ASSERT_TRUE(file);
    Storage &root = file->root();
    StorageStatus status = StorageStatus::ok;
    const std::u16string long31(31, u'x');
    const std::u16string long32(32, u'x');
    for (const std::u16string &bad :
         {std::u16string(), long32, std::u16string(u"a/b"), std::u16string(u"a\\b"),
          std::u16string(u"a:b"), std::u16string(u"a!b"), std::u16string(u"a\0b", 3)}) {
        EXPECT_EQ(root.create_stream(bad, &status), nullptr);
        EXPECT_EQ(status, StorageStatus::invalid_name);
        EXPECT_EQ(root.create_storage(bad, &status), nullptr);
        EXPECT_EQ(status, StorageStatus::invalid_name);
        // Lookups refuse only what no file can hold.
        const bool impossible = bad.empty() || bad.size() > 31 || bad.find(u'\0') != bad.npos;
        const StorageStatus lookup =
            impossible ? StorageStatus::invalid_name : StorageStatus::not_found;
        EXPECT_EQ(root.open_stream(bad, &status), nullptr);
        EXPECT_EQ(status, lookup);
        EXPECT_EQ(root.destroy_element(bad), lookup);
    }
    EXPECT_NE(root.create_stream(long31, &status), nullptr);
    EXPECT_EQ(status, StorageStatus::ok);

    EXPECT_EQ(root.open_stream(u"Missing", &status), nullptr);
    EXPECT_EQ(status, StorageStatus::not_found);
    EXPECT_EQ(root.open_storage(u"Missing", &status), nullptr);
    EXPECT_EQ(status, StorageStatus::not_found);
    EXPECT_EQ(root.destroy_element(u"Missing"), StorageStatus::not_found);

    ASSERT_NE(root.create_storage(u"Dir", &status), nullptr);
    ASSERT_NE(root.create_stream(u"File", &status), nullptr);
    EXPECT_EQ(root.create_stream(u"dir", &status), nullptr);
    EXPECT_EQ(status, StorageStatus::already_exists);
    EXPECT_EQ(root.open_stream(u"Dir", &status), nullptr);
    EXPECT_EQ(status, StorageStatus::already_exists);
    EXPECT_EQ(root.create_storage(u"FILE", &status), nullptr);
    EXPECT_EQ(status, StorageStatus::already_exists);
    EXPECT_EQ(root.open_storage(u"File", &status), nullptr);
    EXPECT_EQ(status, StorageStatus::already_exists);

    // Same storage object every time.
    EXPECT_EQ(root.open_storage(u"Dir"), root.open_storage(u"DIR"));
    EXPECT_EQ(root.elements().size(), 3u);
    EXPECT_EQ(root.destroy_element(u"dir"), StorageStatus::ok);
    EXPECT_EQ(root.elements().size(), 2u);
}

TEST(CompoundFileTest, StreamPositionsAndSizes) {
    TempDir dir;
    auto file = CompoundFile::create(dir / "pos.cfb");
    Storage &root = file->root();
    Stream *s = root.create_stream(u"S");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->size(), 0u);
    EXPECT_FALSE(s->seek(-1, SeekOrigin::begin));
    EXPECT_TRUE(s->seek(10, SeekOrigin::begin));
    const uint8_t abc[3] = {'a', 'b', 'c'};
    EXPECT_EQ(s->write(abc, 3), 3u);
    EXPECT_EQ(s->size(), 13u);
    EXPECT_EQ(s->position(), 13u);
    std::vector<uint8_t> expected(10, 0);
    expected.insert(expected.end(), abc, abc + 3);
    EXPECT_EQ(read_all(s), expected);
    EXPECT_TRUE(s->seek(-3, SeekOrigin::end));
    uint8_t two[2];
    EXPECT_EQ(s->read(two, 2), 2u);
    EXPECT_EQ(two[0], 'a');
    EXPECT_TRUE(s->seek(-1, SeekOrigin::current));
    EXPECT_EQ(s->position(), 11u);
    EXPECT_FALSE(s->seek(-12, SeekOrigin::current));
    EXPECT_EQ(s->position(), 11u);
    EXPECT_TRUE(s->seek(100, SeekOrigin::end));
    EXPECT_EQ(s->read(two, 2), 0u);
    EXPECT_FALSE(s->seek(INT64_MIN, SeekOrigin::begin));

    EXPECT_EQ(s->set_size(5), StorageStatus::ok);
    EXPECT_EQ(read_all(s), std::vector<uint8_t>(5, 0));
    EXPECT_EQ(s->set_size(7), StorageStatus::ok);
    EXPECT_EQ(read_all(s), std::vector<uint8_t>(7, 0));

    // A second object for the same stream has its own position and sees the same bytes.
    Stream *t = root.open_stream(u"s");
    ASSERT_TRUE(t);
    ASSERT_NE(t, s);
    EXPECT_EQ(t->position(), 0u);
    s->seek(0, SeekOrigin::begin);
    EXPECT_EQ(s->write(abc, 3), 3u);
    uint8_t got[3];
    EXPECT_EQ(t->read(got, 3), 3u);
    EXPECT_EQ(std::memcmp(got, abc, 3), 0);

    // create_stream on an existing stream empties it in place.
    Stream *u = root.create_stream(u"S");
    ASSERT_TRUE(u);
    EXPECT_EQ(s->size(), 0u);
    EXPECT_EQ(t->size(), 0u);
    EXPECT_EQ(root.elements().size(), 1u);
}

TEST(CompoundFileTest, NothingReachesTheDiskBeforeCommit) {
    TempDir dir;
    const auto path = dir / "replace.cfb";
    const std::vector<uint8_t> old(10000, 0x41);
    test::write_file(path, old);
    StorageStatus status = StorageStatus::io_error;
    auto file = CompoundFile::create(path, &status);
    ASSERT_TRUE(file);
    EXPECT_EQ(status, StorageStatus::ok);
    make_stream(file->root(), u"A", {1});
    file.reset();  // no commit: the old file stays
    EXPECT_EQ(test::read_file(path), old);

    // A file made from another starts as its copy, and only commit writes it.
    const auto copy = dir / "copy.cfb";
    file = CompoundFile::create(path, &status);
    make_stream(file->root(), u"A", {1});
    ASSERT_EQ(file->commit(), StorageStatus::ok);
    const std::vector<uint8_t> source = test::read_file(path);
    file = CompoundFile::create_from(path, copy, &status);
    ASSERT_TRUE(file);
    make_stream(file->root(), u"B", {2});
    EXPECT_FALSE(std::filesystem::exists(copy));
    ASSERT_EQ(file->commit(), StorageStatus::ok);
    EXPECT_EQ(test::read_file(path), source);
    auto reader = reopen(copy);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->root().elements().size(), 2u);
    EXPECT_EQ(CompoundFile::create_from(dir / "none.cfb", copy, &status), nullptr);
    EXPECT_EQ(status, StorageStatus::not_found);
}

TEST(CompoundFileTest, MissingFilesAndFolders) {
    TempDir dir;
    StorageStatus status = StorageStatus::ok;
    EXPECT_EQ(CompoundFile::open_read(dir / "none.cfb", &status), nullptr);
    EXPECT_EQ(status, StorageStatus::not_found);
    EXPECT_EQ(CompoundFile::open_update(dir / "none.cfb", &status), nullptr);
    EXPECT_EQ(status, StorageStatus::not_found);
    EXPECT_EQ(CompoundFile::open_read(dir / "no" / "where.cfb", &status), nullptr);
    EXPECT_EQ(status, StorageStatus::not_found);
    auto nowhere = CompoundFile::create(dir / "no" / "where.cfb", &status);
    ASSERT_TRUE(nowhere);
    EXPECT_EQ(nowhere->commit(), StorageStatus::io_error);
    EXPECT_EQ(CompoundFile::open_read(dir.path(), &status), nullptr);
    EXPECT_NE(status, StorageStatus::ok);
    // A pipe with nobody at the other end is refused, not waited on.
    const auto fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(CompoundFile::open_read(fifo, &status), nullptr);
    EXPECT_EQ(status, StorageStatus::io_error);
    EXPECT_EQ(CompoundFile::create(fifo, &status)->commit(), StorageStatus::io_error);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo)) << "only a regular file is replaced";
}

TEST(CompoundFileTest, ReadOnlyRefusesChanges) {
    TempDir dir;
    const auto path = dir / "ro.cfb";
    {
        auto file = CompoundFile::create(path);
        make_stream(file->root(), u"A", {1, 2, 3});
        file->root().create_storage(u"B");
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    const auto before = test::read_file(path);
    auto file = reopen(path);
    ASSERT_TRUE(file);
    Storage &root = file->root();
    StorageStatus status = StorageStatus::ok;
    EXPECT_EQ(root.create_stream(u"C", &status), nullptr);
    EXPECT_EQ(status, StorageStatus::access_denied);
    EXPECT_EQ(root.create_storage(u"C", &status), nullptr);
    EXPECT_EQ(status, StorageStatus::access_denied);
    EXPECT_EQ(root.destroy_element(u"A"), StorageStatus::access_denied);
    EXPECT_EQ(root.set_class_id(ClassId{}), StorageStatus::access_denied);
    Stream *a = root.open_stream(u"A");
    ASSERT_TRUE(a);
    const uint8_t x = 9;
    EXPECT_EQ(a->write(&x, 1), 0u);
    EXPECT_EQ(a->set_size(0), StorageStatus::access_denied);
    EXPECT_EQ(file->commit(), StorageStatus::access_denied);
    EXPECT_EQ(read_all(a), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(test::read_file(path), before);
}

TEST(CompoundFileTest, UpdateInPlaceKeepsEverythingElse) {
    TempDir dir;
    const auto path = dir / "book.xls";
    const auto clsid = *ClassId::from_string("{00020820-0000-0000-C000-000000000046}");
    const auto other = *ClassId::from_string("{11111111-2222-3333-4444-555555555555}");
    {
        auto file = CompoundFile::create(path);
        Storage &root = file->root();
        root.set_class_id(clsid);
        make_stream(root, u"Workbook", pattern(20000, 1));
        make_stream(root, u"\x05SummaryInformation", pattern(400, 2));
        make_stream(root, u"\x05DocumentSummaryInformation", pattern(4096, 3));
        make_stream(root, u"\x01CompObj", pattern(100, 4));
        Storage *macros = root.create_storage(u"_VBA_PROJECT_CUR");
        macros->set_class_id(other);
        make_stream(*macros, u"PROJECT", pattern(5000, 5));
        Storage *vba = macros->create_storage(u"VBA");
        make_stream(*vba, u"dir", pattern(700, 6));
        make_stream(*vba, u"Module1", pattern(0, 7));
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    {
        StorageStatus status = StorageStatus::io_error;
        auto file = CompoundFile::open_update(path, &status);
        ASSERT_TRUE(file);
        EXPECT_EQ(status, StorageStatus::ok);
        EXPECT_EQ(file->root().destroy_element(u"Workbook"), StorageStatus::ok);
        make_stream(file->root(), u"Workbook", pattern(3000, 99));
        ASSERT_EQ(file->commit(), StorageStatus::ok);
        // The file stays usable after a commit; a second one after more changes.
        make_stream(file->root(), u"Extra", pattern(10, 10));
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    auto file = reopen(path);
    ASSERT_TRUE(file);
    Storage &root = file->root();
    EXPECT_EQ(root.class_id(), clsid);
    EXPECT_EQ(stream_bytes(root, u"Workbook"), pattern(3000, 99));
    EXPECT_EQ(stream_bytes(root, u"\x05SummaryInformation"), pattern(400, 2));
    EXPECT_EQ(stream_bytes(root, u"\x05DocumentSummaryInformation"), pattern(4096, 3));
    EXPECT_EQ(stream_bytes(root, u"\x01CompObj"), pattern(100, 4));
    EXPECT_EQ(stream_bytes(root, u"Extra"), pattern(10, 10));
    Storage *macros = sub(root, u"_VBA_PROJECT_CUR");
    ASSERT_TRUE(macros);
    EXPECT_EQ(macros->class_id(), other);
    EXPECT_EQ(stream_bytes(*macros, u"PROJECT"), pattern(5000, 5));
    Storage *vba = sub(*macros, u"VBA");
    ASSERT_TRUE(vba);
    EXPECT_EQ(stream_bytes(*vba, u"dir"), pattern(700, 6));
    EXPECT_EQ(stream_bytes(*vba, u"Module1"), std::vector<uint8_t>{});
    EXPECT_EQ(root.elements().size(), 6u);
}

TEST(CompoundFileTest, UpdateOfAFileWeMayNotWriteIsRefused) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write anything";
    TempDir dir;
    const auto path = dir / "locked.cfb";
    {
        auto file = CompoundFile::create(path);
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    StorageStatus status = StorageStatus::ok;
    EXPECT_EQ(CompoundFile::open_update(path, &status), nullptr);
    EXPECT_EQ(status, StorageStatus::access_denied);
    EXPECT_EQ(CompoundFile::create(path, &status), nullptr);
    EXPECT_EQ(status, StorageStatus::access_denied);
    EXPECT_NE(CompoundFile::open_read(path, &status), nullptr);
}

TEST(CompoundFileTest, UpdateKeepsFileMode) {
    TempDir dir;
    const auto path = dir / "mode.cfb";
    {
        auto file = CompoundFile::create(path);
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    {
        auto file = CompoundFile::open_update(path);
        ASSERT_TRUE(file);
        make_stream(file->root(), u"A", {1});
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(CompoundFileTest, SymlinkTargetIsReplacedNotTheLink) {
    TempDir dir;
    const auto target = dir / "target.cfb";
    const auto link = dir / "link.cfb";
    {
        auto file = CompoundFile::create(target);
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    std::filesystem::create_symlink(target, link);
    {
        auto file = CompoundFile::open_update(link);
        ASSERT_TRUE(file);
        make_stream(file->root(), u"A", {1});
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    auto file = reopen(target);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->root().elements().size(), 1u);
}

// ---- files laid out by another writer ----

std::vector<test::CraftStream> crafted_streams() {
    std::vector<test::CraftStream> streams;
    const size_t sizes[] = {0, 1, 64, 100, 4095, 4096, 4097, 9000, 70000};
    int i = 0;
    for (const size_t size : sizes) {
        std::u16string name = u"Stream";
        name += static_cast<char16_t>(u'A' + i);
        streams.push_back({name, pattern(size, 40u + static_cast<uint64_t>(i)), i % 3 == 2});
        ++i;
    }
    return streams;
}

void expect_crafted(Storage &root, const std::vector<test::CraftStream> &streams) {
    for (const auto &s : streams) {
        Storage *storage = &root;
        if (s.in_sub) storage = sub(root, u"Sub");
        ASSERT_TRUE(storage);
        EXPECT_EQ(stream_bytes(*storage, s.name), s.data);
    }
}

TEST(CompoundFileTest, ReadsFragmentedVersion3Files) {
    TempDir dir;
    const auto streams = crafted_streams();
    for (uint32_t seed = 1; seed <= 5; ++seed) {
        const auto path = dir / ("v3-" + std::to_string(seed) + ".cfb");
        test::write_file(path, test::craft_file(9, streams, seed));
        auto file = reopen(path);
        ASSERT_TRUE(file);
        expect_crafted(file->root(), streams);
    }
}

TEST(CompoundFileTest, ReadsVersion4Files) {
    TempDir dir;
    const auto streams = crafted_streams();
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        const auto path = dir / ("v4-" + std::to_string(seed) + ".cfb");
        test::write_file(path, test::craft_file(12, streams, seed));
        auto file = reopen(path);
        ASSERT_TRUE(file);
        expect_crafted(file->root(), streams);
    }
    // Updating a version 4 file writes it back as version 3, contents unchanged.
    const auto path = dir / "v4-1.cfb";
    {
        auto file = CompoundFile::open_update(path);
        ASSERT_TRUE(file);
        make_stream(file->root(), u"New", pattern(5, 5));
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    const auto bytes = test::read_file(path);
    EXPECT_EQ(test::le16(bytes, 0x1A), 3u);
    auto file = reopen(path);
    ASSERT_TRUE(file);
    expect_crafted(file->root(), streams);
    EXPECT_EQ(stream_bytes(file->root(), u"New"), pattern(5, 5));
}

TEST(CompoundFileTest, ReadsOurOwnVersion4Output) {
    cfb::Node root;
    root.is_storage = true;
    for (const size_t size : {size_t{10}, size_t{4096}, size_t{50000}}) {
        auto child = std::make_unique<cfb::Node>();
        for (char c : std::to_string(size)) child->name += static_cast<char16_t>(c);
        child->data = pattern(size, size);
        root.children.push_back(std::move(child));
    }
    std::sort(root.children.begin(), root.children.end(), [](const auto &a, const auto &b) {
        return cfb::compare_names(a->name, b->name) < 0;
    });
    std::vector<uint8_t> bytes;
    ASSERT_EQ(cfb::write_compound_bytes(root, &bytes, 4), StorageStatus::ok);
    EXPECT_EQ(bytes.size() % 4096, 0u);
    std::unique_ptr<cfb::Node> back;
    ASSERT_EQ(cfb::read_compound_bytes(bytes.data(), bytes.size(), &back), StorageStatus::ok);
    ASSERT_EQ(back->children.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(back->children[i]->data, root.children[i]->data);
}

TEST(CompoundFileTest, Version3IgnoresHighSizeBits) {
    // Some writers leave garbage in the upper half of a version 3 stream size.
    auto bytes = test::craft_file(9, {{u"A", pattern(100, 1)}, {u"B", pattern(5000, 2)}}, 3);
    const size_t dir_at = (test::le32(bytes, 0x30) + 1) * 512;
    for (size_t e = 1; e <= 2; ++e) test::set32(bytes, dir_at + e * 128 + 124, 0xDEADBEEF);
    std::unique_ptr<cfb::Node> root;
    ASSERT_EQ(cfb::read_compound_bytes(bytes.data(), bytes.size(), &root), StorageStatus::ok);
    ASSERT_EQ(root->children.size(), 2u);
    EXPECT_EQ(root->children[0]->data, pattern(100, 1));
    EXPECT_EQ(root->children[1]->data, pattern(5000, 2));
}

TEST(CompoundFileTest, NamesFromElsewhereMayHoldReservedCharacters) {
    TempDir dir;
    const auto path = dir / "odd-names.cfb";
    test::write_file(path, test::craft_file(9, {{u"a:b", pattern(10, 1)}, {u"c/d", {}}}, 2));
    {
        auto file = CompoundFile::open_update(path);
        ASSERT_TRUE(file);
        EXPECT_EQ(stream_bytes(file->root(), u"a:b"), pattern(10, 1));
        EXPECT_EQ(file->root().destroy_element(u"c/d"), StorageStatus::ok);
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    auto file = reopen(path);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->root().elements().size(), 1u);
    EXPECT_EQ(stream_bytes(file->root(), u"a:b"), pattern(10, 1));
}

TEST(CompoundFileTest, WritingManySmallRecordsIsFast) {
    // The engine writes a workbook stream record by record: about 1.5 million small writes
    // for 65536 x 16 cells. This must not take long even in a debug build.
    TempDir dir;
    const auto path = dir / "records.cfb";
    const auto start = std::chrono::steady_clock::now();
    {
        auto file = CompoundFile::create(path);
        Stream *stream = file->root().create_stream(u"Workbook");
        uint8_t record[14] = {0x7E, 0x02, 10, 0};
        for (uint32_t i = 0; i < 65536u * 16; ++i) {
            record[4] = static_cast<uint8_t>(i);
            record[5] = static_cast<uint8_t>(i >> 8);
            ASSERT_EQ(stream->write(record, sizeof record), sizeof record);
        }
        ASSERT_EQ(file->commit(), StorageStatus::ok);
    }
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    EXPECT_LT(seconds.count(), 20.0);
    auto file = reopen(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->root().open_stream(u"Workbook")->size(), 65536u * 16 * 14);
}

}  // namespace
}  // namespace tabrix::platform
