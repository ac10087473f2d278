// Inside the compound-file code: the in-memory tree shared by the reader, the writer and
// the Storage/Stream objects, and the constants of the format ([MS-CFB]).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/compound_file.h"

namespace tabrix::platform::cfb {

// Sector numbers with a meaning of their own.
inline constexpr uint32_t kMaxRegSect = 0xFFFFFFFAu;  // the highest ordinary sector number
inline constexpr uint32_t kDifSect = 0xFFFFFFFCu;     // a DIFAT sector, in the FAT
inline constexpr uint32_t kFatSect = 0xFFFFFFFDu;     // a FAT sector, in the FAT
inline constexpr uint32_t kEndOfChain = 0xFFFFFFFEu;
inline constexpr uint32_t kFreeSect = 0xFFFFFFFFu;
// Directory entry numbers.
inline constexpr uint32_t kMaxRegSid = 0xFFFFFFFAu;
inline constexpr uint32_t kNoStream = 0xFFFFFFFFu;

inline constexpr uint32_t kMiniStreamCutoff = 4096;
inline constexpr uint32_t kMiniSectorShift = 6;
inline constexpr uint32_t kMiniSectorSize = 64;
inline constexpr uint32_t kDirEntrySize = 128;
inline constexpr uint32_t kHeaderDifatEntries = 109;
inline constexpr size_t kHeaderSize = 512;
inline constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// Directory entry object types.
inline constexpr uint8_t kTypeUnused = 0;
inline constexpr uint8_t kTypeStorage = 1;
inline constexpr uint8_t kTypeStream = 2;
inline constexpr uint8_t kTypeRoot = 5;

// The largest stream a version 3 file can describe (its size field is 32 bits).
inline constexpr uint64_t kMaxStreamSize = 0xFFFFFFFFu;
// Storages nested deeper than this are refused when reading (the tree is freed
// recursively, so a hostile depth must not reach the stack).
inline constexpr unsigned kMaxDepth = 512;

// One element of the tree: the root, a storage or a stream.
struct Node {
    std::u16string name;
    bool is_storage = false;
    ClassId class_id;  // storages
    uint32_t state_bits = 0;
    uint64_t created = 0;  // FILETIME values as read; zero for what we make
    uint64_t modified = 0;
    std::vector<uint8_t> data;  // streams
    // A stream whose content is made while the file is written (Stream::produce), in
    // place of `data`: `produced_size` bytes.
    StreamProducer producer;
    uint64_t produced_size = 0;
    std::vector<std::unique_ptr<Node>> children;  // storages, kept in name order

    // The objects handed out for this element (compound_file.cpp); they die with it.
    std::unique_ptr<Storage> storage_object;
    std::vector<std::unique_ptr<Stream>> stream_objects;

    uint64_t stream_size() const { return producer ? produced_size : data.size(); }
    // Back to content held in `data`, empty.
    void drop_producer() {
        producer = nullptr;
        produced_size = 0;
    }
};

// The format's upper-casing of one UTF-16 code unit (simple case mapping of the letters
// of Latin, Greek, Cyrillic and the full-width forms; other units unchanged).
char16_t upcase(char16_t unit);
// Length first, then the upper-cased code units: <0, 0 or >0.
int compare_names(std::u16string_view a, std::u16string_view b);
// A name we create: 1 to 31 units, none of '/', '\', ':', '!' or NUL.
bool is_valid_name(std::u16string_view name);
// A name we look up: 1 to 31 units, no NUL (files from elsewhere may hold the others).
bool is_lookup_name(std::u16string_view name);

// Index of the child called name in a storage's sorted children, or the index where it
// would go (found tells which).
size_t find_child(const Node &storage, std::u16string_view name, bool *found);

// Reads a whole compound file into a tree. On success *root is the root entry.
StorageStatus read_compound_file(const std::filesystem::path &path, std::unique_ptr<Node> *root);
// The same over bytes in memory.
StorageStatus read_compound_bytes(const uint8_t *bytes, size_t size, std::unique_ptr<Node> *root);

// Writes the tree as a compound file of the given major version (3: 512-byte sectors,
// 4: 4096-byte sectors; version 4 is for tests of the reader) under path, whole or not at
// all (save_file).
StorageStatus write_compound_file(const std::filesystem::path &path, const Node &root,
                                  unsigned version = 3);
// The same into memory.
StorageStatus write_compound_bytes(const Node &root, std::vector<uint8_t> *out,
                                   unsigned version = 3);

inline uint16_t get16(const uint8_t *p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t get32(const uint8_t *p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline uint64_t get64(const uint8_t *p) {
    return static_cast<uint64_t>(get32(p)) | static_cast<uint64_t>(get32(p + 4)) << 32;
}
inline void put16(uint8_t *p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void put32(uint8_t *p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
inline void put64(uint8_t *p, uint64_t v) {
    put32(p, static_cast<uint32_t>(v));
    put32(p + 4, static_cast<uint32_t>(v >> 32));
}

}  // namespace tabrix::platform::cfb
