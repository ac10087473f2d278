// OLE2 compound files (structured storage): our own reader and writer.
//
// A compound file is held as a tree in memory: opening reads and checks the whole file
// (sector size 512 or 4096), commit writes the whole tree back in one deterministic pass
// (same tree, same bytes): version 3, 512-byte sectors, streams under 4096 bytes in the
// mini stream, directory as a balanced red-black tree, no time stamps of our own. Files
// nesting storages more than 512 deep are refused as malformed.
//
// Streams and storages handed out stay valid until they are destroyed (destroy_element on
// them or on a storage above them) or the file is released. A storage has one object, so
// opening it again returns the same pointer; each open_stream or create_stream returns a
// new stream object with its own position, all of them sharing the content. create_stream
// on an existing stream empties that stream in place, and create_storage on an existing
// storage empties it in place (children destroyed, class id cleared), so objects already
// handed out for that element stay valid.
//
// Names compare as the format does: length first, then code units upper-cased, so lookups
// ignore the case of letters. Nothing here throws; running out of memory gives io_error
// (or a short count from read and write).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tabrix::platform {

enum class StorageStatus {
    ok,
    not_found,       // no file, stream or storage of that name
    already_exists,  // a storage asked for (created or opened) where a stream of that name
                     // lives, or the reverse
    invalid_name,    // empty, longer than 31 characters or holding NUL; for a new element
                     // also holding '/', '\', ':' or '!' (a file from elsewhere may have
                     // such names, and they can be opened and destroyed)
    access_denied,   // writing to a file opened for reading; the system refused access
    io_error,        // the operating system refused a read or write, or memory ran out
    malformed,       // the file is not a well-formed compound file
};

// A 16-byte class identifier in its on-disk byte order.
struct ClassId {
    std::array<uint8_t, 16> bytes{};

    // Parses "{00020820-0000-0000-C000-000000000046}" (braces optional, hex digits of
    // either case) into 20 08 02 00 00 00 00 00 C0 00 00 00 00 00 00 46: the first three
    // groups little-endian, the last two in the order written.
    static std::optional<ClassId> from_string(std::string_view text);
    // The braced upper-case form that from_string reads.
    std::string to_string() const;
    bool is_null() const { return *this == ClassId{}; }
    bool operator==(const ClassId &) const = default;
};

enum class SeekOrigin { begin, current, end };

// Where the bytes of a stream made while its file is written go, in order (Stream::produce).
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // False once the bytes cannot all be taken; nothing after that is taken.
    virtual bool write(const void *data, size_t n) = 0;
};

// Writes a stream's content through the sink; false on any failure of its own or the sink's.
using StreamProducer = std::function<bool(ByteSink &)>;

struct ElementInfo {
    std::u16string name;
    bool is_storage = false;
    uint64_t size = 0;  // streams only
    ClassId class_id;   // storages only
};

class Stream {
  public:
    virtual ~Stream() = default;
    // Reads up to n bytes at the position; returns the count read (0 at the end).
    virtual size_t read(void *buffer, size_t n) = 0;
    // Writes n bytes at the position, growing the stream; writing past the end fills the
    // gap with zero bytes. Returns the count written (0 when the file is read-only; short
    // when the stream would pass 4 GB - 1, the most a version 3 file holds).
    virtual size_t write(const void *data, size_t n) = 0;
    // Moves the position; a result before the start is refused (returns false). The
    // position may pass the end.
    virtual bool seek(int64_t offset, SeekOrigin origin) = 0;
    virtual uint64_t position() const = 0;
    virtual uint64_t size() const = 0;
    // Cuts or zero-extends the stream; the position is left as it is.
    virtual StorageStatus set_size(uint64_t size) = 0;
    // The stream's bytes in place, where the stream keeps them in memory whole (streams of a
    // compound file do): valid until the stream is written to, destroyed or its file
    // released. Nothing where they must be read.
    virtual std::optional<std::span<const uint8_t>> contents() const { return std::nullopt; }
    // Makes room for a stream of that many bytes without changing its size, so that a writer
    // that knows its total appends without the content being moved as it grows.
    virtual StorageStatus reserve(uint64_t size) = 0;
    // Replaces the content with `size` bytes that `produce` writes. A stream of a compound
    // file keeps only the producer and its size, and each commit calls it while writing the
    // file, so the content never sits in memory whole and goes out with no copy of its own;
    // a false return or a count other than `size` fails that commit. Until a write or
    // set_size drops the producer (the content then starts empty), the stream has its size
    // but reads nothing. Any other stream runs the producer at once through its own write():
    // io_error when it fails.
    virtual StorageStatus produce(uint64_t size, StreamProducer produce);
};

// Element calls give nullptr (and the reason in *status) on failure: invalid_name,
// not_found, already_exists for the other kind of element, access_denied for changes to a
// file opened for reading.
class Storage {
  public:
    virtual ~Storage() = default;
    // Creates an empty stream, replacing any stream of that name.
    virtual Stream *create_stream(std::u16string_view name, StorageStatus *status = nullptr) = 0;
    virtual Stream *open_stream(std::u16string_view name, StorageStatus *status = nullptr) = 0;
    // Creates an empty storage, replacing any storage of that name.
    virtual Storage *create_storage(std::u16string_view name, StorageStatus *status = nullptr) = 0;
    virtual Storage *open_storage(std::u16string_view name, StorageStatus *status = nullptr) = 0;
    // Removes a stream, or a storage with everything under it.
    virtual StorageStatus destroy_element(std::u16string_view name) = 0;
    // Children in the order the format sorts names (length, then upper-cased code units).
    virtual std::vector<ElementInfo> elements() const = 0;
    virtual ClassId class_id() const = 0;
    virtual StorageStatus set_class_id(const ClassId &id) = 0;
};

class CompoundFile {
  public:
    virtual ~CompoundFile() = default;

    // Each of these returns nullptr on failure with the reason in *status: not_found for no
    // file, malformed for anything that is not a sound compound file (never a crash, a hang
    // or an allocation beyond what the file's size justifies), io_error, access_denied.
    //
    // A new, empty compound file, in memory until commit writes it under path. Nothing on
    // the disk changes before that.
    static std::unique_ptr<CompoundFile> create(const std::filesystem::path &path,
                                                StorageStatus *status = nullptr);
    // A new file that starts as a copy of an existing one (a template): everything can be
    // changed, and commit writes it under path. The source is only read.
    static std::unique_ptr<CompoundFile> create_from(const std::filesystem::path &source,
                                                     const std::filesystem::path &path,
                                                     StorageStatus *status = nullptr);
    // Opens an existing file; nothing can be changed.
    static std::unique_ptr<CompoundFile> open_read(const std::filesystem::path &path,
                                                   StorageStatus *status = nullptr);
    // Opens an existing file for change; commit rewrites it with every stream and storage
    // not touched kept byte for byte.
    static std::unique_ptr<CompoundFile> open_update(const std::filesystem::path &path,
                                                     StorageStatus *status = nullptr);

    virtual Storage &root() = 0;
    // Writes the tree to its file (not in read mode: access_denied); the file object stays
    // usable. The file is replaced whole or not at all (files/file_saving.h): a failed commit
    // leaves the old file, or no file, as it was.
    virtual StorageStatus commit() = 0;
};

}  // namespace tabrix::platform
