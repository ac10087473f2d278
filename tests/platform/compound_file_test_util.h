// Helpers shared by the compound-file tests: temporary folders, cheap test data, and an
// independent little writer of compound files ("crafted" files) whose layout differs from
// ours: sectors handed out in shuffled order, so every chain is fragmented, directory
// siblings as one right-leaning chain, sector size 512 or 4096.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "platform/compound_file.h"
#include "platform/compound_file_internal.h"

namespace tabrix::platform::test {

class TempDir {
  public:
    TempDir() {
        const char *base = std::getenv("TMPDIR");
        std::string templ = std::string(base && *base ? base : "/tmp") + "/tabrix-cfb-XXXXXX";
        char *made = ::mkdtemp(templ.data());
        if (made) path_ = made;
    }
    ~TempDir() {
        std::error_code error;
        if (!path_.empty()) std::filesystem::remove_all(path_, error);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::filesystem::path &path() const { return path_; }
    std::filesystem::path operator/(const std::string &name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// Bytes that differ at every offset and between seeds, made a word at a time.
inline std::vector<uint8_t> pattern(size_t size, uint64_t seed) {
    std::vector<uint8_t> out(size);
    uint64_t state = seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        state += 0x9E3779B97F4A7C15ull;
        uint64_t word = state ^ (state >> 29);
        std::memcpy(out.data() + i, &word, 8);
    }
    for (; i < size; ++i) out[i] = static_cast<uint8_t>(seed + i);
    return out;
}

inline std::vector<uint8_t> read_file(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    std::vector<uint8_t> out(static_cast<size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char *>(out.data()), static_cast<std::streamsize>(out.size()));
    out.resize(static_cast<size_t>(in.gcount()));
    return out;
}

inline void write_file(const std::filesystem::path &path, const std::vector<uint8_t> &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> read_all(Stream *stream) {
    std::vector<uint8_t> out;
    if (!stream) return out;
    stream->seek(0, SeekOrigin::begin);
    out.resize(static_cast<size_t>(stream->size()));
    size_t done = 0;
    while (done < out.size()) {
        const size_t n = stream->read(out.data() + done, out.size() - done);
        if (n == 0) break;
        done += n;
    }
    out.resize(done);
    return out;
}

inline bool write_all(Stream *stream, const std::vector<uint8_t> &bytes, size_t piece = 65536) {
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t n = std::min(piece, bytes.size() - done);
        if (stream->write(bytes.data() + done, n) != n) return false;
        done += n;
    }
    return true;
}

inline uint32_t le32(const std::vector<uint8_t> &b, size_t at) {
    return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
           static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
inline uint16_t le16(const std::vector<uint8_t> &b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
inline void set32(std::vector<uint8_t> &b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void set16(std::vector<uint8_t> &b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// ---- crafted files ------------------------------------------------------------------------

struct CraftStream {
    std::u16string name;
    std::vector<uint8_t> data;
    bool in_sub = false;  // inside the storage "Sub" rather than the root
};

// A compound file laid out unlike ours. shift 9 makes a version 3 file, 12 a version 4 one.
inline std::vector<uint8_t> craft_file(unsigned shift, std::vector<CraftStream> streams,
                                       uint32_t seed) {
    const uint32_t ss = 1u << shift;
    const uint32_t per = ss / 4;
    std::mt19937 rng(seed);
    auto ceil_div = [](uint64_t a, uint64_t b) { return (a + b - 1) / b; };
    auto name_less = [](const std::u16string &a, const std::u16string &b) {
        if (a.size() != b.size()) return a.size() < b.size();
        for (size_t i = 0; i < a.size(); ++i) {
            char16_t x = a[i], y = b[i];
            if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
            if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
            if (x != y) return x < y;
        }
        return false;
    };
    const bool has_sub =
        std::any_of(streams.begin(), streams.end(), [](const CraftStream &s) { return s.in_sub; });

    // Directory: 0 root, then root children, then Sub's children.
    struct Entry {
        std::u16string name;
        uint8_t type;
        uint32_t right = 0xFFFFFFFF, child = 0xFFFFFFFF;
        int stream = -1;
        uint32_t start = 0xFFFFFFFE;
        uint64_t size = 0;
    };
    std::vector<Entry> entries{{u"Root Entry", 5}};
    std::vector<size_t> root_kids, sub_kids;
    for (size_t i = 0; i < streams.size(); ++i)
        (streams[i].in_sub ? sub_kids : root_kids).push_back(i);
    auto by_name = [&](size_t a, size_t b) { return name_less(streams[a].name, streams[b].name); };
    std::sort(root_kids.begin(), root_kids.end(), by_name);
    std::sort(sub_kids.begin(), sub_kids.end(), by_name);
    // Root children, Sub placed by its name among them; each links to the next by "right".
    std::vector<Entry> level;
    for (size_t i : root_kids) {
        Entry e{streams[i].name, 2};
        e.stream = static_cast<int>(i);
        level.push_back(e);
    }
    if (has_sub) {
        Entry sub{u"Sub", 1};
        auto at = std::find_if(level.begin(), level.end(),
                               [&](const Entry &e) { return name_less(u"Sub", e.name); });
        level.insert(at, sub);
    }
    uint32_t sub_id = 0;
    for (size_t i = 0; i < level.size(); ++i) {
        level[i].right =
            i + 1 < level.size() ? static_cast<uint32_t>(entries.size() + 1) : 0xFFFFFFFF;
        if (level[i].type == 1) sub_id = static_cast<uint32_t>(entries.size());
        entries.push_back(level[i]);
    }
    if (!level.empty()) entries[0].child = 1;
    if (has_sub) {
        const uint32_t first = static_cast<uint32_t>(entries.size());
        for (size_t k = 0; k < sub_kids.size(); ++k) {
            Entry e{streams[sub_kids[k]].name, 2};
            e.stream = static_cast<int>(sub_kids[k]);
            e.right =
                k + 1 < sub_kids.size() ? static_cast<uint32_t>(entries.size() + 1) : 0xFFFFFFFF;
            entries.push_back(e);
        }
        if (!sub_kids.empty()) entries[sub_id].child = first;
    }

    // Mini sectors, shuffled.
    uint64_t mini_count = 0;
    for (const auto &s : streams) {
        if (!s.data.empty() && s.data.size() < 4096) mini_count += ceil_div(s.data.size(), 64);
    }
    std::vector<uint32_t> mini_order(mini_count);
    std::iota(mini_order.begin(), mini_order.end(), 0u);
    std::shuffle(mini_order.begin(), mini_order.end(), rng);
    std::vector<uint8_t> mini_stream(mini_count * 64);
    std::vector<uint32_t> mini_fat(ceil_div(mini_count, per) * per, 0xFFFFFFFF);
    size_t next_mini = 0;
    for (auto &e : entries) {
        if (e.stream < 0) continue;
        const auto &data = streams[static_cast<size_t>(e.stream)].data;
        e.size = data.size();
        if (data.empty() || data.size() >= 4096) continue;
        const size_t count = ceil_div(data.size(), 64);
        for (size_t k = 0; k < count; ++k) {
            const uint32_t m = mini_order[next_mini + k];
            if (k == 0) e.start = m;
            mini_fat[m] = k + 1 < count ? mini_order[next_mini + k + 1] : 0xFFFFFFFE;
            const size_t n = std::min<size_t>(64, data.size() - 64 * k);
            std::memcpy(mini_stream.data() + 64 * m, data.data() + 64 * k, n);
        }
        next_mini += count;
    }

    // Regular sectors: every structure gets a list of slots, then slots get shuffled ids.
    const uint64_t dir_sectors = ceil_div(entries.size() * 128, ss);
    const uint64_t mini_fat_sectors = mini_fat.size() / per;
    const uint64_t mini_stream_sectors = ceil_div(mini_stream.size(), ss);
    uint64_t data_sectors = dir_sectors + mini_fat_sectors + mini_stream_sectors;
    for (const auto &s : streams) {
        if (s.data.size() >= 4096) data_sectors += ceil_div(s.data.size(), ss);
    }
    uint64_t fat_sectors = 1;
    while (fat_sectors * per < data_sectors + fat_sectors) ++fat_sectors;
    const uint64_t total = data_sectors + fat_sectors;
    std::vector<uint32_t> ids(total);
    std::iota(ids.begin(), ids.end(), 0u);
    std::shuffle(ids.begin(), ids.end(), rng);
    size_t next_id = 0;
    std::vector<uint32_t> fat(fat_sectors * per, 0xFFFFFFFF);
    auto chain = [&](uint64_t count) {
        std::vector<uint32_t> out(ids.begin() + static_cast<ptrdiff_t>(next_id),
                                  ids.begin() + static_cast<ptrdiff_t>(next_id + count));
        next_id += count;
        for (size_t k = 0; k < out.size(); ++k)
            fat[out[k]] = k + 1 < out.size() ? out[k + 1] : 0xFFFFFFFE;
        return out;
    };
    std::vector<uint32_t> fat_ids(ids.begin(), ids.begin() + static_cast<ptrdiff_t>(fat_sectors));
    next_id = fat_sectors;
    for (uint32_t id : fat_ids) fat[id] = 0xFFFFFFFD;
    const auto dir_chain = chain(dir_sectors);
    const auto mini_fat_chain = chain(mini_fat_sectors);
    const auto mini_stream_chain = chain(mini_stream_sectors);
    std::vector<std::vector<uint32_t>> stream_chains(streams.size());
    for (size_t i = 0; i < streams.size(); ++i) {
        if (streams[i].data.size() >= 4096)
            stream_chains[i] = chain(ceil_div(streams[i].data.size(), ss));
    }
    for (auto &e : entries) {
        if (e.stream >= 0 && !stream_chains[static_cast<size_t>(e.stream)].empty())
            e.start = stream_chains[static_cast<size_t>(e.stream)][0];
    }
    entries[0].start = mini_stream_chain.empty() ? 0xFFFFFFFE : mini_stream_chain[0];
    entries[0].size = mini_stream.size();

    std::vector<uint8_t> file((total + 1) * ss, 0);
    auto sector_at = [&](uint32_t id) { return static_cast<size_t>(id + 1) * ss; };
    // Header.
    const uint8_t sig[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(file.data(), sig, 8);
    set16(file, 0x18, 0x3E);
    set16(file, 0x1A, shift == 12 ? 4 : 3);
    set16(file, 0x1C, 0xFFFE);
    set16(file, 0x1E, static_cast<uint16_t>(shift));
    set16(file, 0x20, 6);
    set32(file, 0x28, shift == 12 ? static_cast<uint32_t>(dir_sectors) : 0);
    set32(file, 0x2C, static_cast<uint32_t>(fat_sectors));
    set32(file, 0x30, dir_chain[0]);
    set32(file, 0x38, 4096);
    set32(file, 0x3C, mini_fat_chain.empty() ? 0xFFFFFFFE : mini_fat_chain[0]);
    set32(file, 0x40, static_cast<uint32_t>(mini_fat_sectors));
    set32(file, 0x44, 0xFFFFFFFE);
    for (uint32_t i = 0; i < 109; ++i)
        set32(file, 0x4C + 4 * i, i < fat_ids.size() ? fat_ids[i] : 0xFFFFFFFF);
    // FAT and mini FAT.
    for (size_t k = 0; k < fat.size(); ++k)
        set32(file, sector_at(fat_ids[k / per]) + 4 * (k % per), fat[k]);
    for (size_t k = 0; k < mini_fat.size(); ++k)
        set32(file, sector_at(mini_fat_chain[k / per]) + 4 * (k % per), mini_fat[k]);
    // Directory, with unused slots as the format wants them.
    std::vector<uint8_t> dir(dir_sectors * ss, 0);
    for (size_t i = 0; i < dir.size() / 128; ++i) {
        const size_t at = i * 128;
        set32(dir, at + 68, 0xFFFFFFFF);
        set32(dir, at + 72, 0xFFFFFFFF);
        set32(dir, at + 76, 0xFFFFFFFF);
        if (i >= entries.size()) continue;
        const Entry &e = entries[i];
        for (size_t k = 0; k < e.name.size(); ++k) set16(dir, at + 2 * k, e.name[k]);
        set16(dir, at + 64, static_cast<uint16_t>((e.name.size() + 1) * 2));
        dir[at + 66] = e.type;
        dir[at + 67] = 1;
        set32(dir, at + 72, e.right);
        set32(dir, at + 76, e.child);
        if (e.type != 1) {
            set32(dir, at + 116, e.start);
            set32(dir, at + 120, static_cast<uint32_t>(e.size));
            set32(dir, at + 124, shift == 12 ? static_cast<uint32_t>(e.size >> 32) : 0);
        }
    }
    auto spread = [&](const std::vector<uint8_t> &bytes, const std::vector<uint32_t> &sectors) {
        for (size_t k = 0; k < sectors.size(); ++k) {
            const size_t n = std::min<size_t>(ss, bytes.size() - k * ss);
            std::memcpy(file.data() + sector_at(sectors[k]), bytes.data() + k * ss, n);
        }
    };
    spread(dir, dir_chain);
    spread(mini_stream, mini_stream_chain);
    for (size_t i = 0; i < streams.size(); ++i) spread(streams[i].data, stream_chains[i]);
    return file;
}

// A small file of our own: the root with small and large streams and a storage. Our layout:
// FAT sector 0, then the directory (2 sectors for 7 entries), mini FAT, mini stream, and the
// large streams.
inline std::vector<uint8_t> good_file() {
    cfb::Node root;
    root.is_storage = true;
    auto add = [](cfb::Node &parent, std::u16string name, std::vector<uint8_t> data,
                  bool storage = false) -> cfb::Node & {
        auto node = std::make_unique<cfb::Node>();
        node->name = std::move(name);
        node->data = std::move(data);
        node->is_storage = storage;
        parent.children.push_back(std::move(node));
        std::sort(parent.children.begin(), parent.children.end(), [](const auto &a, const auto &b) {
            return cfb::compare_names(a->name, b->name) < 0;
        });
        for (auto &child : parent.children) {
            if (child->name == name) return *child;
        }
        return parent;
    };
    add(root, u"Workbook", pattern(5000, 1));
    add(root, u"Small", pattern(200, 2));
    add(root, u"Tiny", pattern(10, 3));
    cfb::Node &storage = add(root, u"Store", {}, true);
    add(storage, u"Inner", pattern(300, 4));
    add(storage, u"Big", pattern(4500, 5));
    std::vector<uint8_t> bytes;
    EXPECT_EQ(cfb::write_compound_bytes(root, &bytes), StorageStatus::ok);
    return bytes;
}

// Opens, walks and reads every stream through the public API; returns the open status.
inline StorageStatus open_and_read_all(const std::filesystem::path &path) {
    StorageStatus status = StorageStatus::ok;
    auto file = CompoundFile::open_read(path, &status);
    if (!file) return status;
    std::vector<Storage *> todo{&file->root()};
    std::vector<uint8_t> buffer(4096);
    while (!todo.empty()) {
        Storage *storage = todo.back();
        todo.pop_back();
        for (const ElementInfo &info : storage->elements()) {
            if (info.is_storage) {
                Storage *child = storage->open_storage(info.name);
                EXPECT_NE(child, nullptr);
                if (child) todo.push_back(child);
            } else {
                Stream *stream = storage->open_stream(info.name);
                EXPECT_NE(stream, nullptr);
                if (!stream) continue;
                uint64_t total = 0;
                size_t n;
                while ((n = stream->read(buffer.data(), buffer.size())) > 0) total += n;
                EXPECT_EQ(total, info.size);
            }
        }
    }
    return StorageStatus::ok;
}

}  // namespace tabrix::platform::test
