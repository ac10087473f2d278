// OLE2 compound files (structured storage): our own reader and writer.
//
// A compound file is held as a tree in memory: opening reads and checks the whole file,
// commit writes the whole tree back in one deterministic pass (same tree, same bytes).
// Streams and storages handed out stay valid until they are destroyed or the file is
// released.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabrix::platform {

enum class StorageStatus {
    ok,
    not_found,       // no file, stream or storage of that name
    already_exists,  // a storage asked for where a stream of that name lives, or the reverse
    invalid_name,    // empty, longer than 31 characters, or holding '/', '\', ':' or '!'
    access_denied,   // writing to a file opened for reading
    io_error,        // the operating system refused a read or write
    malformed,       // the file is not a well-formed compound file
};

// A 16-byte class identifier in its on-disk byte order.
struct ClassId {
    std::array<uint8_t, 16> bytes{};

    // Parses "{00020820-0000-0000-C000-000000000046}".
    static std::optional<ClassId> from_string(std::string_view text);
    bool operator==(const ClassId &) const = default;
};

enum class SeekOrigin { begin, current, end };

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
    // gap with zero bytes. Returns the count written (0 when the file is read-only).
    virtual size_t write(const void *data, size_t n) = 0;
    // Moves the position; a result before the start is refused (returns false).
    virtual bool seek(int64_t offset, SeekOrigin origin) = 0;
    virtual uint64_t position() const = 0;
    virtual uint64_t size() const = 0;
    virtual StorageStatus set_size(uint64_t size) = 0;
};

class Storage {
public:
    virtual ~Storage() = default;
    // Creates an empty stream, replacing any stream of that name.
    virtual Stream *create_stream(std::u16string_view name, StorageStatus *status = nullptr) = 0;
    virtual Stream *open_stream(std::u16string_view name, StorageStatus *status = nullptr) = 0;
    // Creates an empty storage, replacing any storage of that name.
    virtual Storage *create_storage(std::u16string_view name,
                                    StorageStatus *status = nullptr) = 0;
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

    // Creates a new, empty compound file, replacing any file of that name at once.
    static std::unique_ptr<CompoundFile> create(const std::filesystem::path &path,
                                                StorageStatus *status = nullptr);
    // Opens an existing file; nothing can be changed.
    static std::unique_ptr<CompoundFile> open_read(const std::filesystem::path &path,
                                                   StorageStatus *status = nullptr);
    // Opens an existing file for change; commit rewrites it with every stream and storage
    // not touched kept byte for byte.
    static std::unique_ptr<CompoundFile> open_update(const std::filesystem::path &path,
                                                     StorageStatus *status = nullptr);

    virtual Storage &root() = 0;
    // Writes the tree to the file (create and update modes); the file stays open.
    virtual StorageStatus commit() = 0;
};

}  // namespace tabrix::platform
