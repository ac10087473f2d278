// C entry points: what a file holds beyond its cells: the version and sheet states its
// workbook stream names, and the storages and streams of the compound file around it.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/exports/boundary.h"
#include "engine/lifecycle/workbook_table.h"
#include "engine/read/reader/stream_check.h"
#include "engine/read/reader/workbook_reader.h"
#include "platform/compound_file.h"
#include "tabrix.h"

using namespace tabrix::engine;
namespace platform = tabrix::platform;

namespace {

constexpr int32_t kNoFile = -6;          // a workbook made from no file
constexpr int32_t kFileUnreadable = -1;  // no sound compound file
constexpr int32_t kVersion95 = 95;
// Nested storages deeper than this are listed no further: a directory is a tree, but a
// hostile one must not recurse without end.
constexpr int32_t kDeepest = 64;

const WorkbookReader *reader_of(const Workbook &book) {
    return book.source.get();
}

// Appends the elements of a storage, each storage followed by its own; counts every entry
// and writes those that fit.
void list_storage(platform::Storage &storage, int32_t depth, XLFILEENTRY *entries, int32_t capacity,
                  int32_t &count) {
    for (const platform::ElementInfo &element : storage.elements()) {
        if (entries && count < capacity) {
            XLFILEENTRY &entry = entries[count];
            entry = XLFILEENTRY{};
            entry.depth = depth;
            entry.storage = element.is_storage ? 1 : 0;
            entry.size = element.is_storage ? 0 : element.size;
            const size_t units = std::min<size_t>(element.name.size(), 31);
            std::copy_n(element.name.data(), units, entry.name);
        }
        if (count < INT32_MAX) ++count;
        if (!element.is_storage || depth >= kDeepest) continue;
        if (platform::Storage *child = storage.open_storage(element.name)) {
            list_storage(*child, depth + 1, entries, capacity, count);
        }
    }
}

int32_t file_entries(std::u16string_view file_name, XLFILEENTRY *entries, int32_t capacity) {
    if (file_name.empty()) return err::kFileName;
    std::filesystem::path path;
    try {
        path = std::filesystem::path(file_name);
    } catch (const std::exception &) {
        return kFileUnreadable;  // not a name the file system can hold
    }
    std::unique_ptr<platform::CompoundFile> file = platform::CompoundFile::open_read(path);
    if (!file) return kFileUnreadable;
    int32_t count = 0;
    list_storage(file->root(), 0, entries, std::max(capacity, 0), count);
    return count;
}

int32_t check_file(std::u16string_view file_name) {
    if (file_name.empty()) return err::kFileName;
    const auto path = file_path(file_name);
    return path ? check_workbook_file(*path) : fcUnreadable;
}

}  // namespace

extern "C" {

TABRIX_API int32_t XM_GetFileVersion(int32_t h) {
    return guarded([&] {
        const BookRef ref = book_ref(h);
        if (!ref.book) return ref.missing;
        const WorkbookReader *reader = reader_of(*ref.book);
        if (!reader) return kNoFile;
        return reader->biff8() ? static_cast<int32_t>(reader->version_stamp()) : kVersion95;
    });
}

TABRIX_API int32_t XM_GetSheetState(int32_t h, int32_t s, int32_t *visibility, int32_t *type) {
    return guarded([&] {
        const BookRef ref = book_ref(h);
        if (!ref.book) return ref.missing;
        const WorkbookReader *reader = reader_of(*ref.book);
        if (!reader) return kNoFile;
        if (s < 0 || static_cast<size_t>(s) >= reader->sheets().size()) return err::kParam;
        const uint16_t options = reader->sheets()[static_cast<size_t>(s)].options;
        if (visibility) *visibility = options & 0x00FF;
        if (type) *type = options >> 8;
        return 0;
    });
}

TABRIX_API int32_t XM_CheckFile(const char *file_name) {
    return guarded([&] { return check_file(wide_of(file_name)); });
}

TABRIX_API int32_t XM_CheckFileW(const char16_t *file_name) {
    return guarded([&] { return check_file(wide_view(file_name)); });
}

TABRIX_API int32_t XM_GetFileEntries(const char *file_name, XLFILEENTRY *entries,
                                     int32_t capacity) {
    return guarded([&] { return file_entries(wide_of(file_name), entries, capacity); });
}

TABRIX_API int32_t XM_GetFileEntriesW(const char16_t *file_name, XLFILEENTRY *entries,
                                      int32_t capacity) {
    return guarded([&] { return file_entries(wide_view(file_name), entries, capacity); });
}

}  // extern "C"
