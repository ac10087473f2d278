// Reading a compound file into the in-memory tree, checking everything on the way.
//
// Every size and sector number in the file is checked against the file's real size before
// anything is allocated or read, so a hostile field can neither make us allocate more than
// the file justifies nor read outside it. Each sector may belong to one chain only (FAT,
// DIFAT, directory, mini FAT, mini stream, one stream): a chain that comes back to a sector
// already used is a loop or a cross-link, and either makes the file malformed. That also
// bounds the whole read by the number of sectors in the file. Directory entries are visited
// once each, without recursion, so a cycle in the tree is found and a degenerate tree cannot
// exhaust the stack.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/compound_file_internal.h"

namespace tabrix::platform::cfb {
namespace {

constexpr StorageStatus kMalformed = StorageStatus::malformed;
constexpr StorageStatus kOk = StorageStatus::ok;

#define CFB_TRY(expression)                                       \
    do {                                                          \
        const StorageStatus try_status_ = (expression);           \
        if (try_status_ != StorageStatus::ok) return try_status_; \
    } while (false)

// Where the bytes come from.
class Source {
  public:
    virtual ~Source() = default;
    virtual uint64_t size() const = 0;
    // Reads n bytes at offset; the caller has checked that they lie inside size().
    virtual StorageStatus read(uint64_t offset, uint8_t *out, size_t n) = 0;
};

class FdSource final : public Source {
  public:
    FdSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
    uint64_t size() const override { return size_; }
    StorageStatus read(uint64_t offset, uint8_t *out, size_t n) override {
        while (n > 0) {
            const size_t piece = std::min<size_t>(n, size_t{1} << 30);
            const ssize_t got = ::pread(fd_, out, piece, static_cast<off_t>(offset));
            if (got < 0) {
                if (errno == EINTR) continue;
                return StorageStatus::io_error;
            }
            if (got == 0) return kMalformed;  // the file shrank under us
            out += got;
            offset += static_cast<uint64_t>(got);
            n -= static_cast<size_t>(got);
        }
        return kOk;
    }

  private:
    int fd_;
    uint64_t size_;
};

class MemorySource final : public Source {
  public:
    MemorySource(const uint8_t *bytes, size_t size) : bytes_(bytes), size_(size) {}
    uint64_t size() const override { return size_; }
    StorageStatus read(uint64_t offset, uint8_t *out, size_t n) override {
        if (n) std::memcpy(out, bytes_ + offset, n);
        return kOk;
    }

  private:
    const uint8_t *bytes_;
    size_t size_;
};

constexpr uint64_t kWholeChain = UINT64_MAX;

// Room for a large stream, asked to be backed by huge pages where the system offers them on
// request: a workbook stream of many megabytes then costs a few page faults, not thousands.
void reserve_large(std::vector<uint8_t> &data, size_t size) {
    constexpr size_t kHugePage = size_t{2} << 20;
    data.reserve(size);
    if (data.capacity() < 2 * kHugePage) return;
    const auto begin = reinterpret_cast<uintptr_t>(data.data());
    const uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t last = (begin + data.capacity()) & ~(kHugePage - 1);
    if (last > first) madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
}

class Reader {
  public:
    explicit Reader(Source &source) : source_(source) {}

    StorageStatus read(std::unique_ptr<Node> *root) {
        CFB_TRY(read_header());
        CFB_TRY(read_fat());
        CFB_TRY(read_directory());
        return build_tree(root);
    }

  private:
    // ---- sectors and chains ----

    // Reads `bytes` bytes from the sectors listed, in order (the last one may be used only in
    // part); contiguous sectors are read in one piece.
    StorageStatus read_sectors(const std::vector<uint32_t> &sectors, uint64_t bytes, uint8_t *out) {
        uint64_t done = 0;
        size_t i = 0;
        while (done < bytes) {
            if (i >= sectors.size()) return kMalformed;
            size_t j = i + 1;
            uint64_t run = sector_size_;
            while (j < sectors.size() && sectors[j] == sectors[j - 1] + 1 && run < bytes - done) {
                ++j;
                run += sector_size_;
            }
            run = std::min(run, bytes - done);
            const uint64_t offset = base_ + static_cast<uint64_t>(sectors[i]) * sector_size_;
            if (offset > file_size_ || run > file_size_ - offset) return kMalformed;
            CFB_TRY(source_.read(offset, out + done, static_cast<size_t>(run)));
            done += run;
            i = j;
        }
        return kOk;
    }

    // Claims a sector for one chain; a second claim is a loop or a cross-link.
    StorageStatus claim(uint32_t sector) {
        if (sector >= sector_count_) return kMalformed;
        if (used_[sector]) return kMalformed;
        used_[sector] = 1;
        return kOk;
    }

    // Follows a FAT chain for `want` sectors (kWholeChain: to its end).
    StorageStatus follow(uint32_t start, uint64_t want, std::vector<uint32_t> *out) {
        out->clear();
        if (want != kWholeChain) {
            if (want > sector_count_) return kMalformed;
            out->reserve(static_cast<size_t>(want));
        }
        uint32_t sector = start;
        while (out->size() < want) {
            if (sector == kEndOfChain && want == kWholeChain) break;
            if (sector >= fat_.size()) return kMalformed;
            CFB_TRY(claim(sector));
            out->push_back(sector);
            sector = fat_[sector];
        }
        return kOk;
    }

    static void to_u32(const std::vector<uint8_t> &bytes, std::vector<uint32_t> *out) {
        out->resize(bytes.size() / 4);
        for (size_t i = 0; i < out->size(); ++i) (*out)[i] = get32(bytes.data() + 4 * i);
    }

    // ---- header, FAT, directory ----

    StorageStatus read_header() {
        file_size_ = source_.size();
        if (file_size_ < kHeaderSize) return kMalformed;
        CFB_TRY(source_.read(0, header_, kHeaderSize));
        if (std::memcmp(header_, kSignature, sizeof kSignature) != 0) return kMalformed;
        version_ = get16(header_ + 0x1A);
        if (version_ != 3 && version_ != 4) return kMalformed;
        if (get16(header_ + 0x1C) != 0xFFFE) return kMalformed;
        const uint16_t shift = get16(header_ + 0x1E);
        // Version 3 files have 512-byte sectors and version 4 files 4096-byte ones; a file
        // that mixes them is accepted as its sector shift says.
        if (shift != 9 && shift != 12) return kMalformed;
        if (get16(header_ + 0x20) != kMiniSectorShift) return kMalformed;
        if (get32(header_ + 0x38) != kMiniStreamCutoff) return kMalformed;
        sector_size_ = 1u << shift;
        base_ = sector_size_;  // the header fills sector -1
        const uint64_t sectors =
            file_size_ > base_ ? (file_size_ - base_ + sector_size_ - 1) / sector_size_ : 0;
        sector_count_ = static_cast<uint32_t>(std::min<uint64_t>(sectors, kMaxRegSect + 1ull));
        used_.assign(sector_count_, 0);
        return kOk;
    }

    StorageStatus read_fat() {
        const uint32_t fat_sectors = get32(header_ + 0x2C);
        if (fat_sectors == 0 || fat_sectors > sector_count_) return kMalformed;
        std::vector<uint32_t> ids;
        ids.reserve(fat_sectors);
        auto add = [&](uint32_t sector) {
            CFB_TRY(claim(sector));
            ids.push_back(sector);
            return kOk;
        };
        for (uint32_t i = 0; i < kHeaderDifatEntries && ids.size() < fat_sectors; ++i)
            CFB_TRY(add(get32(header_ + 0x4C + 4 * i)));
        // The DIFAT chain, linked through the last entry of each of its sectors.
        const uint32_t per_sector = sector_size_ / 4 - 1;
        std::vector<uint8_t> buffer(sector_size_);
        uint32_t next = get32(header_ + 0x44);
        while (ids.size() < fat_sectors) {
            CFB_TRY(claim(next));
            CFB_TRY(read_sectors({next}, sector_size_, buffer.data()));
            for (uint32_t i = 0; i < per_sector && ids.size() < fat_sectors; ++i)
                CFB_TRY(add(get32(buffer.data() + 4 * i)));
            next = get32(buffer.data() + 4 * per_sector);
        }
        std::vector<uint8_t> bytes(static_cast<size_t>(fat_sectors) * sector_size_);
        CFB_TRY(read_sectors(ids, bytes.size(), bytes.data()));
        to_u32(bytes, &fat_);
        // Entries past the last sector of the file describe nothing.
        if (fat_.size() > sector_count_) fat_.resize(sector_count_);
        return kOk;
    }

    StorageStatus read_directory() {
        std::vector<uint32_t> chain;
        CFB_TRY(follow(get32(header_ + 0x30), kWholeChain, &chain));
        if (chain.empty()) return kMalformed;
        directory_.resize(chain.size() * static_cast<size_t>(sector_size_));
        CFB_TRY(read_sectors(chain, directory_.size(), directory_.data()));
        entry_count_ = std::min<uint64_t>(directory_.size() / kDirEntrySize, kMaxRegSid + 1ull);
        visited_.assign(static_cast<size_t>(entry_count_), 0);
        const uint8_t *root = directory_.data();
        if (root[66] != kTypeRoot) return kMalformed;
        mini_start_ = get32(root + 116);
        mini_size_ = version_ == 3 ? get32(root + 120) : get64(root + 120);
        return kOk;
    }

    // ---- the mini stream ----

    StorageStatus load_mini_stream() {
        if (mini_loaded_) return kOk;
        mini_loaded_ = true;
        const uint32_t first = get32(header_ + 0x3C);
        if (first != kEndOfChain && first != kFreeSect) {
            std::vector<uint32_t> chain;
            CFB_TRY(follow(first, kWholeChain, &chain));
            std::vector<uint8_t> bytes(chain.size() * static_cast<size_t>(sector_size_));
            CFB_TRY(read_sectors(chain, bytes.size(), bytes.data()));
            to_u32(bytes, &mini_fat_);
        }
        if (mini_size_ > 0) {
            const uint64_t want = (mini_size_ + sector_size_ - 1) / sector_size_;
            if (want > sector_count_) return kMalformed;
            std::vector<uint32_t> chain;
            CFB_TRY(follow(mini_start_, want, &chain));
            mini_stream_.resize(static_cast<size_t>(mini_size_));
            CFB_TRY(read_sectors(chain, mini_stream_.size(), mini_stream_.data()));
        }
        // A mini sector past the end of the mini stream is refused when used.
        mini_used_.assign(mini_fat_.size(), 0);
        return kOk;
    }

    StorageStatus read_stream(uint32_t start, uint64_t size, std::vector<uint8_t> *data) {
        if (size == 0) return kOk;
        if (size >= kMiniStreamCutoff) {
            const uint64_t want = (size + sector_size_ - 1) / sector_size_;
            if (want > sector_count_) return kMalformed;
            std::vector<uint32_t> chain;
            CFB_TRY(follow(start, want, &chain));
            reserve_large(*data, static_cast<size_t>(size));
            data->resize(static_cast<size_t>(size));
            return read_sectors(chain, size, data->data());
        }
        CFB_TRY(load_mini_stream());
        data->resize(static_cast<size_t>(size));
        uint32_t sector = start;
        for (uint64_t done = 0; done < size; done += kMiniSectorSize) {
            if (sector >= mini_fat_.size() || mini_used_[sector]) return kMalformed;
            mini_used_[sector] = 1;
            const uint64_t offset = static_cast<uint64_t>(sector) * kMiniSectorSize;
            const uint64_t n = std::min<uint64_t>(kMiniSectorSize, size - done);
            if (offset > mini_stream_.size() || n > mini_stream_.size() - offset) return kMalformed;
            std::memcpy(data->data() + done, mini_stream_.data() + offset, static_cast<size_t>(n));
            sector = mini_fat_[sector];
        }
        return kOk;
    }

    // ---- the tree ----

    struct PendingStorage {
        Node *node;
        uint32_t child;  // root of its children's red-black tree
        unsigned depth;
    };

    StorageStatus build_tree(std::unique_ptr<Node> *out) {
        auto root = std::make_unique<Node>();
        const uint8_t *entry = directory_.data();
        root->name = u"Root Entry";
        root->is_storage = true;
        read_storage_fields(entry, root.get());
        visited_[0] = 1;

        std::vector<PendingStorage> storages{{root.get(), get32(entry + 76), 0}};
        std::vector<uint32_t> siblings;
        while (!storages.empty()) {
            const PendingStorage pending = storages.back();
            storages.pop_back();
            Node *parent = pending.node;
            siblings.clear();
            if (pending.child != kNoStream) siblings.push_back(pending.child);
            while (!siblings.empty()) {
                const uint32_t id = siblings.back();
                siblings.pop_back();
                if (id >= entry_count_ || visited_[id]) return kMalformed;
                visited_[id] = 1;
                entry = directory_.data() + static_cast<size_t>(id) * kDirEntrySize;
                for (const uint32_t sibling : {get32(entry + 68), get32(entry + 72)}) {
                    if (sibling != kNoStream) siblings.push_back(sibling);
                }
                const uint8_t type = entry[66];
                if (type != kTypeStorage && type != kTypeStream) return kMalformed;

                auto node = std::make_unique<Node>();
                CFB_TRY(read_name(entry, &node->name));
                node->is_storage = type == kTypeStorage;
                if (node->is_storage) {
                    if (pending.depth + 1 > kMaxDepth) return kMalformed;
                    read_storage_fields(entry, node.get());
                    storages.push_back({node.get(), get32(entry + 76), pending.depth + 1});
                } else {
                    const uint64_t size = version_ == 3 ? get32(entry + 120) : get64(entry + 120);
                    CFB_TRY(read_stream(get32(entry + 116), size, &node->data));
                }
                parent->children.push_back(std::move(node));
            }
            auto &kids = parent->children;
            std::sort(kids.begin(), kids.end(), [](const auto &a, const auto &b) {
                return compare_names(a->name, b->name) < 0;
            });
            for (size_t i = 1; i < kids.size(); ++i) {
                if (compare_names(kids[i - 1]->name, kids[i]->name) == 0) return kMalformed;
            }
        }
        *out = std::move(root);
        return kOk;
    }

    static void read_storage_fields(const uint8_t *entry, Node *node) {
        std::memcpy(node->class_id.bytes.data(), entry + 80, 16);
        node->state_bits = get32(entry + 96);
        node->created = get64(entry + 100);
        node->modified = get64(entry + 108);
    }

    static StorageStatus read_name(const uint8_t *entry, std::u16string *name) {
        const uint16_t bytes = get16(entry + 64);
        // Units plus the terminating NUL; an empty name is not a name.
        if (bytes % 2 != 0 || bytes < 4 || bytes > 64) return kMalformed;
        const size_t units = bytes / 2 - 1;
        name->resize(units);
        for (size_t i = 0; i < units; ++i) {
            const char16_t unit = get16(entry + 2 * i);
            if (unit == 0) return kMalformed;
            (*name)[i] = unit;
        }
        return kOk;
    }

    Source &source_;
    uint8_t header_[kHeaderSize] = {};
    uint64_t file_size_ = 0;
    unsigned version_ = 3;
    uint32_t sector_size_ = 512;
    uint64_t base_ = 512;
    uint32_t sector_count_ = 0;  // sectors that start inside the file
    std::vector<uint8_t> used_;  // per sector: already part of a chain
    std::vector<uint32_t> fat_;
    std::vector<uint8_t> directory_;
    uint64_t entry_count_ = 0;
    std::vector<uint8_t> visited_;
    uint32_t mini_start_ = kEndOfChain;
    uint64_t mini_size_ = 0;
    bool mini_loaded_ = false;
    std::vector<uint32_t> mini_fat_;
    std::vector<uint8_t> mini_stream_;
    std::vector<uint8_t> mini_used_;
};

StorageStatus read_from(Source &source, std::unique_ptr<Node> *root) {
    try {
        Reader reader(source);
        return reader.read(root);
    } catch (const std::bad_alloc &) {
        return StorageStatus::io_error;
    } catch (const std::length_error &) {
        return StorageStatus::io_error;
    }
}

}  // namespace

StorageStatus read_compound_file(const std::filesystem::path &path, std::unique_ptr<Node> *root) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) return StorageStatus::not_found;
        if (error == EACCES || error == EPERM) return StorageStatus::access_denied;
        return StorageStatus::io_error;
    }
    struct stat info {};
    StorageStatus status;
    if (::fstat(fd, &info) != 0) {
        status = StorageStatus::io_error;
    } else if (!S_ISREG(info.st_mode)) {
        status = S_ISDIR(info.st_mode) ? StorageStatus::not_found : StorageStatus::io_error;
    } else {
        FdSource source(fd, static_cast<uint64_t>(info.st_size));
        status = read_from(source, root);
    }
    ::close(fd);
    return status;
}

StorageStatus read_compound_bytes(const uint8_t *bytes, size_t size, std::unique_ptr<Node> *root) {
    MemorySource source(bytes, size);
    return read_from(source, root);
}

}  // namespace tabrix::platform::cfb
