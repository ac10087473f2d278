// Writing the in-memory tree as a compound file, in one pass and always the same way:
//
//   header | FAT | DIFAT | directory | mini FAT | mini stream | each large stream
//
// Every chain is contiguous, so each large stream goes out with one write straight from its
// buffer, or from its producer as it makes the bytes. Directory entries are numbered breadth first
// (the root, then each storage's children in name order); each storage's children form a balanced
// binary search tree, coloured as a valid red-black tree (the incomplete bottom level red, the rest
// black). Nothing depends on the clock.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "platform/compound_file_internal.h"
#include "platform/files/file_saving.h"

namespace tabrix::platform::cfb {
namespace {

StorageStatus status_from_errno(int error) {
    if (error == EACCES || error == EPERM || error == EROFS) return StorageStatus::access_denied;
    return StorageStatus::io_error;
}

class Sink {
  public:
    virtual ~Sink() = default;
    virtual bool write(const uint8_t *bytes, size_t n) = 0;
    virtual bool flush() { return true; }

    bool zeros(size_t n) {
        static const uint8_t kZeros[4096] = {};
        while (n > 0) {
            const size_t piece = std::min(n, sizeof kZeros);
            if (!write(kZeros, piece)) return false;
            n -= piece;
        }
        return true;
    }
};

// Buffers small writes; large ones go straight to the descriptor.
class FdSink final : public Sink {
  public:
    // A fixed buffer filled by index: GCC 12 misreads vector::insert's growth path at -O3.
    explicit FdSink(int fd) : fd_(fd), buffer_(new uint8_t[kBufferSize]) {}

    bool write(const uint8_t *bytes, size_t n) override {
        // Half a buffer or more gains nothing from a copy: it follows what was gathered as it is.
        if (n >= kBufferSize / 2) return flush() && write_all(bytes, n);
        if (n > kBufferSize - used_ && !flush()) return false;
        std::memcpy(buffer_.get() + used_, bytes, n);
        used_ += n;
        return true;
    }

    bool flush() override {
        const bool ok = write_all(buffer_.get(), used_);
        used_ = 0;
        return ok;
    }

    int error() const { return error_; }

  private:
    static constexpr size_t kBufferSize = size_t{1} << 20;

    bool write_all(const uint8_t *bytes, size_t n) {
        start_writeback(n);
        while (n > 0) {
            const ssize_t done = ::write(fd_, bytes, std::min<size_t>(n, size_t{1} << 30));
            if (done < 0) {
                if (errno == EINTR) continue;
                error_ = errno;
                return false;
            }
            if (done == 0) {
                error_ = ENOSPC;
                return false;
            }
            bytes += done;
            n -= static_cast<size_t>(done);
        }
        return true;
    }

    // Hands what was written so far to the disk every megabyte, so that the disk works while
    // the rest is made and the sync at the end waits for little. Only a hint: the sync decides.
    void start_writeback(size_t coming) {
        constexpr uint64_t kStep = uint64_t{1} << 20;
        if (written_ - started_ >= kStep) {
            (void)::sync_file_range(fd_, static_cast<off_t>(started_),
                                    static_cast<off_t>(written_ - started_), SYNC_FILE_RANGE_WRITE);
            started_ = written_;
        }
        written_ += coming;
    }

    int fd_;
    int error_ = 0;
    uint64_t written_ = 0;  // bytes handed to write(), from the start of the file
    uint64_t started_ = 0;  // of which writeback was started
    std::unique_ptr<uint8_t[]> buffer_;
    size_t used_ = 0;
};

class MemorySink final : public Sink {
  public:
    explicit MemorySink(std::vector<uint8_t> *out) : out_(out) {}
    bool write(const uint8_t *bytes, size_t n) override {
        out_->insert(out_->end(), bytes, bytes + n);
        return true;
    }

  private:
    std::vector<uint8_t> *out_;
};

uint64_t ceil_div(uint64_t a, uint64_t b) {
    return (a + b - 1) / b;
}

class Writer {
  public:
    Writer(const Node &root, unsigned version)
        : root_(root),
          version_(version),
          sector_size_(version == 4 ? 4096u : 512u),
          per_fat_sector_(sector_size_ / 4) {}

  private:
    struct Entry {
        const Node *node;
        uint32_t left = kNoStream;
        uint32_t right = kNoStream;
        uint32_t child = kNoStream;
        bool red = false;
        uint32_t start = kEndOfChain;  // first sector (or mini sector) of a stream
    };

    static bool is_mini(const Node &node) {
        return !node.is_storage && node.stream_size() > 0 && node.stream_size() < kMiniStreamCutoff;
    }
    static bool is_large(const Node &node) {
        return !node.is_storage && node.stream_size() >= kMiniStreamCutoff;
    }

    // Children entries[first, first + count) in name order become a balanced tree; returns
    // its root. Nodes at depth `red_depth` (the incomplete bottom level) are red.
    uint32_t build_tree(size_t first, size_t count, unsigned depth, unsigned red_depth) {
        if (count == 0) return kNoStream;
        const size_t left_count = (count - 1) / 2;
        const size_t middle = first + left_count;
        Entry &entry = entries_[middle];
        entry.red = depth == red_depth;
        const uint32_t left = build_tree(first, left_count, depth + 1, red_depth);
        const uint32_t right = build_tree(middle + 1, count - 1 - left_count, depth + 1, red_depth);
        entries_[middle].left = left;
        entries_[middle].right = right;
        return static_cast<uint32_t>(middle);
    }

  public:
    // Lays the file out: sectors and chains. io_error for a tree the format cannot hold.
    StorageStatus plan() {
        entries_.push_back({&root_});
        for (size_t i = 0; i < entries_.size(); ++i) {
            const Node *node = entries_[i].node;
            if (!node->is_storage) continue;
            const size_t first = entries_.size();
            const size_t count = node->children.size();
            for (const auto &child : node->children) entries_.push_back({child.get()});
            unsigned red_depth = 0;
            while ((uint64_t{2} << red_depth) <= count + 1) ++red_depth;  // floor(log2(n+1))
            entries_[i].child = build_tree(first, count, 0, red_depth);
        }
        if (entries_.size() > kMaxRegSid) return StorageStatus::io_error;

        // Mini stream: small streams back to back, each from a 64-byte boundary.
        uint64_t mini_sectors = 0;
        for (Entry &entry : entries_) {
            if (!is_mini(*entry.node)) continue;
            entry.start = static_cast<uint32_t>(mini_sectors);
            mini_sectors += ceil_div(entry.node->stream_size(), kMiniSectorSize);
        }
        mini_sector_count_ = mini_sectors;
        mini_fat_sectors_ = ceil_div(mini_sectors, per_fat_sector_);
        mini_stream_sectors_ = ceil_div(mini_sectors * kMiniSectorSize, sector_size_);
        directory_sectors_ = ceil_div(entries_.size() * uint64_t{kDirEntrySize}, sector_size_);

        uint64_t data_sectors = directory_sectors_ + mini_fat_sectors_ + mini_stream_sectors_;
        for (const Entry &entry : entries_) {
            if (!is_large(*entry.node)) continue;
            if (version_ == 3 && entry.node->stream_size() > kMaxStreamSize)
                return StorageStatus::io_error;
            data_sectors += ceil_div(entry.node->stream_size(), sector_size_);
        }
        // FAT and DIFAT sectors also take FAT entries: grow both until they cover everything.
        const uint64_t per_difat = per_fat_sector_ - 1;
        uint64_t fat = 0;
        uint64_t difat = 0;
        for (;;) {
            const uint64_t fat_needed = ceil_div(data_sectors + fat + difat, per_fat_sector_);
            const uint64_t difat_needed =
                fat_needed > kHeaderDifatEntries
                    ? ceil_div(fat_needed - kHeaderDifatEntries, per_difat)
                    : 0;
            if (fat_needed == fat && difat_needed == difat) break;
            fat = fat_needed;
            difat = difat_needed;
        }
        const uint64_t total = data_sectors + fat + difat;
        if (total > kMaxRegSect) return StorageStatus::io_error;
        total_sectors_ = total;
        fat_sectors_ = static_cast<uint32_t>(fat);
        difat_sectors_ = static_cast<uint32_t>(difat);

        // Sector numbers, in file order.
        uint32_t next = 0;
        auto take = [&next](uint64_t count) {
            const uint32_t start = next;
            next += static_cast<uint32_t>(count);
            return start;
        };
        fat_start_ = take(fat_sectors_);
        difat_start_ = take(difat_sectors_);
        directory_start_ = take(directory_sectors_);
        mini_fat_start_ = take(mini_fat_sectors_);
        mini_stream_start_ = take(mini_stream_sectors_);
        for (Entry &entry : entries_) {
            if (is_large(*entry.node))
                entry.start = take(ceil_div(entry.node->stream_size(), sector_size_));
        }
        return StorageStatus::ok;
    }
    // The size of the file laid out.
    uint64_t file_size() const { return (uint64_t{1} + total_sectors_) * sector_size_; }
    // Writes the file laid out.
    bool emit(Sink &sink) {
        return write_header(sink) && write_fat(sink) && write_difat(sink) &&
               write_directory(sink) && write_mini_fat(sink) && write_mini_stream(sink) &&
               write_large_streams(sink) && sink.flush();
    }

  private:
    // ---- output ----

    bool write_header(Sink &sink) {
        uint8_t header[kHeaderSize] = {};
        std::memcpy(header, kSignature, sizeof kSignature);
        put16(header + 0x18, 0x003E);
        put16(header + 0x1A, version_);
        put16(header + 0x1C, 0xFFFE);
        put16(header + 0x1E, version_ == 4 ? 12 : 9);
        put16(header + 0x20, kMiniSectorShift);
        put32(header + 0x28, version_ == 4 ? static_cast<uint32_t>(directory_sectors_) : 0);
        put32(header + 0x2C, fat_sectors_);
        put32(header + 0x30, directory_start_);
        put32(header + 0x38, kMiniStreamCutoff);
        put32(header + 0x3C, mini_fat_sectors_ ? mini_fat_start_ : kEndOfChain);
        put32(header + 0x40, static_cast<uint32_t>(mini_fat_sectors_));
        put32(header + 0x44, difat_sectors_ ? difat_start_ : kEndOfChain);
        put32(header + 0x48, difat_sectors_);
        for (uint32_t i = 0; i < kHeaderDifatEntries; ++i)
            put32(header + 0x4C + 4 * i, i < fat_sectors_ ? fat_start_ + i : kFreeSect);
        return sink.write(header, kHeaderSize) && sink.zeros(sector_size_ - kHeaderSize);
    }

    bool write_fat(Sink &sink) {
        std::vector<uint32_t> fat(static_cast<size_t>(fat_sectors_) * per_fat_sector_, kFreeSect);
        auto chain = [&fat](uint32_t start, uint64_t count) {
            for (uint64_t i = 0; i < count; ++i) {
                fat[start + i] = i + 1 < count ? static_cast<uint32_t>(start + i + 1) : kEndOfChain;
            }
        };
        for (uint32_t i = 0; i < fat_sectors_; ++i) fat[fat_start_ + i] = kFatSect;
        for (uint32_t i = 0; i < difat_sectors_; ++i) fat[difat_start_ + i] = kDifSect;
        chain(directory_start_, directory_sectors_);
        chain(mini_fat_start_, mini_fat_sectors_);
        chain(mini_stream_start_, mini_stream_sectors_);
        for (const Entry &entry : entries_) {
            if (is_large(*entry.node))
                chain(entry.start, ceil_div(entry.node->stream_size(), sector_size_));
        }
        return write_u32(sink, fat);
    }

    static bool write_u32(Sink &sink, const std::vector<uint32_t> &values) {
        uint8_t buffer[4096];
        size_t used = 0;
        for (const uint32_t value : values) {
            put32(buffer + used, value);
            used += 4;
            if (used == sizeof buffer) {
                if (!sink.write(buffer, used)) return false;
                used = 0;
            }
        }
        return sink.write(buffer, used);
    }

    bool write_difat(Sink &sink) {
        if (difat_sectors_ == 0) return true;
        const uint32_t per_difat = per_fat_sector_ - 1;
        std::vector<uint32_t> values(static_cast<size_t>(difat_sectors_) * per_fat_sector_,
                                     kFreeSect);
        for (uint32_t fat = kHeaderDifatEntries; fat < fat_sectors_; ++fat) {
            const uint32_t index = fat - kHeaderDifatEntries;
            values[(index / per_difat) * per_fat_sector_ + index % per_difat] = fat_start_ + fat;
        }
        for (uint32_t i = 0; i < difat_sectors_; ++i) {
            values[static_cast<size_t>(i) * per_fat_sector_ + per_difat] =
                i + 1 < difat_sectors_ ? difat_start_ + i + 1 : kEndOfChain;
        }
        return write_u32(sink, values);
    }

    bool write_directory(Sink &sink) {
        const uint64_t slots = directory_sectors_ * (sector_size_ / kDirEntrySize);
        for (uint64_t i = 0; i < slots; ++i) {
            uint8_t raw[kDirEntrySize] = {};
            if (i < entries_.size()) {
                encode_entry(entries_[i], i == 0, raw);
            } else {
                put32(raw + 68, kNoStream);
                put32(raw + 72, kNoStream);
                put32(raw + 76, kNoStream);
            }
            if (!sink.write(raw, sizeof raw)) return false;
        }
        return true;
    }

    void encode_entry(const Entry &entry, bool is_root, uint8_t *raw) const {
        const Node &node = *entry.node;
        const std::u16string_view name =
            is_root ? std::u16string_view(u"Root Entry") : std::u16string_view(node.name);
        const size_t units = std::min<size_t>(name.size(), 31);
        for (size_t i = 0; i < units; ++i) put16(raw + 2 * i, name[i]);
        put16(raw + 64, static_cast<uint32_t>((units + 1) * 2));
        raw[66] = is_root ? kTypeRoot : node.is_storage ? kTypeStorage : kTypeStream;
        raw[67] = entry.red ? 0 : 1;
        put32(raw + 68, entry.left);
        put32(raw + 72, entry.right);
        put32(raw + 76, node.is_storage ? entry.child : kNoStream);
        if (node.is_storage) {
            std::memcpy(raw + 80, node.class_id.bytes.data(), 16);
            put32(raw + 96, node.state_bits);
            put64(raw + 100, is_root ? 0 : node.created);
            put64(raw + 108, node.modified);
        }
        if (is_root) {
            put32(raw + 116, mini_stream_sectors_ ? mini_stream_start_ : kEndOfChain);
            put64(raw + 120, mini_sector_count_ * kMiniSectorSize);
        } else if (!node.is_storage) {
            put32(raw + 116, node.stream_size() == 0 ? kEndOfChain : entry.start);
            put64(raw + 120, node.stream_size());
        }
    }

    bool write_mini_fat(Sink &sink) {
        if (mini_fat_sectors_ == 0) return true;
        std::vector<uint32_t> values(static_cast<size_t>(mini_fat_sectors_) * per_fat_sector_,
                                     kFreeSect);
        for (const Entry &entry : entries_) {
            if (!is_mini(*entry.node)) continue;
            const uint64_t count = ceil_div(entry.node->stream_size(), kMiniSectorSize);
            for (uint64_t i = 0; i < count; ++i) {
                values[entry.start + i] =
                    i + 1 < count ? static_cast<uint32_t>(entry.start + i + 1) : kEndOfChain;
            }
        }
        return write_u32(sink, values);
    }

    bool write_mini_stream(Sink &sink) {
        uint64_t written = 0;
        for (const Entry &entry : entries_) {
            if (!is_mini(*entry.node)) continue;
            const uint64_t size = entry.node->stream_size();
            const size_t padded =
                static_cast<size_t>(ceil_div(size, kMiniSectorSize)) * kMiniSectorSize;
            if (!write_content(sink, *entry.node) || !sink.zeros(padded - size)) return false;
            written += padded;
        }
        return sink.zeros(static_cast<size_t>(mini_stream_sectors_ * sector_size_ - written));
    }

    bool write_large_streams(Sink &sink) {
        for (const Entry &entry : entries_) {
            if (!is_large(*entry.node)) continue;
            const uint64_t size = entry.node->stream_size();
            const size_t padded = static_cast<size_t>(ceil_div(size, sector_size_)) * sector_size_;
            if (!write_content(sink, *entry.node) || !sink.zeros(padded - size)) return false;
        }
        return true;
    }

    // A stream's bytes: those it holds, or those its producer makes, which must be exactly
    // as many as it announced, for the layout is already written.
    static bool write_content(Sink &sink, const Node &node) {
        if (!node.producer) return sink.write(node.data.data(), node.data.size());
        class Counted final : public ByteSink {
          public:
            Counted(Sink &sink, uint64_t size) : sink_(sink), left_(size) {}
            bool write(const void *data, size_t n) override {
                if (!ok_ || n > left_) {
                    ok_ = false;
                    return false;
                }
                left_ -= n;
                ok_ = sink_.write(static_cast<const uint8_t *>(data), n);
                return ok_;
            }
            bool complete() const { return ok_ && left_ == 0; }

          private:
            Sink &sink_;
            uint64_t left_;
            bool ok_ = true;
        };
        Counted counted(sink, node.produced_size);
        return node.producer(counted) && counted.complete();
    }

    const Node &root_;
    const unsigned version_;
    const uint32_t sector_size_;
    const uint32_t per_fat_sector_;
    std::vector<Entry> entries_;
    uint64_t mini_sector_count_ = 0;
    uint64_t mini_fat_sectors_ = 0;
    uint64_t mini_stream_sectors_ = 0;
    uint64_t directory_sectors_ = 0;
    uint64_t total_sectors_ = 0;
    uint32_t fat_sectors_ = 0;
    uint32_t difat_sectors_ = 0;
    uint32_t fat_start_ = 0;
    uint32_t difat_start_ = 0;
    uint32_t directory_start_ = 0;
    uint32_t mini_fat_start_ = 0;
    uint32_t mini_stream_start_ = 0;
};

}  // namespace

StorageStatus write_compound_bytes(const Node &root, std::vector<uint8_t> *out, unsigned version) {
    out->clear();
    Writer writer(root, version);
    const StorageStatus planned = writer.plan();
    if (planned != StorageStatus::ok) return planned;
    out->reserve(writer.file_size());
    MemorySink sink(out);
    return writer.emit(sink) ? StorageStatus::ok : StorageStatus::io_error;
}

StorageStatus write_compound_file(const std::filesystem::path &path, const Node &root,
                                  unsigned version) {
    Writer writer(root, version);
    const StorageStatus planned = writer.plan();
    if (planned != StorageStatus::ok) return planned;
    const int error = save_file(path, writer.file_size(), [&](int fd) {
        FdSink sink(fd);
        if (writer.emit(sink)) return 0;
        return sink.error() != 0 ? sink.error() : EIO;
    });
    return error == 0 ? StorageStatus::ok : status_from_errno(error);
}

}  // namespace tabrix::platform::cfb
