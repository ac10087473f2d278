#include "engine/lifecycle/template_workbooks.h"

#include <filesystem>
#include <memory>

#include "engine/lifecycle/workbook_table.h"
#include "engine/read/reader/stream_check.h"
#include "engine/read/reader/workbook_reader.h"
#include "engine/read/template/template_loader.h"
#include "platform/files/file_claim.h"

namespace tabrix::engine {

namespace {

// A template or an update writes back only what it loaded: a stream whose records cannot all
// be walked would lose the rest, so it is refused as an unreadable file is.
int32_t open_reader(const std::optional<std::filesystem::path> &path,
                    std::shared_ptr<WorkbookReader> *out) {
    std::unique_ptr<WorkbookReader> reader;
    if (!path || WorkbookReader::open(*path, &reader) != 0) return err::kOpen;
    if (!stream_walks_whole(*reader)) return err::kOpen;
    *out = std::move(reader);
    return 0;
}

// Claims the file that close writes, starts its compound file from `source`, loads the
// template's records into it and registers it. The handle or -1; a failure releases the
// claim with the book, and nothing on the disk has changed.
int32_t load_workbook(std::u16string_view output_name, const std::filesystem::path &source,
                      const std::shared_ptr<WorkbookReader> &reader, bool in_place) {
    const auto path = file_path(output_name);
    if (!path || reader->sheets().size() > static_cast<size_t>(kMaxSheets)) return err::kOpen;
    auto book = std::make_unique<Workbook>();
    book->format = FileFormat{reader->biff8(), reader->version_stamp()};
    if (platform::FileClaim::claim(*path, &book->claim) != platform::ClaimStatus::ok) {
        return err::kOpen;
    }
    // A template is never its own output: only an open in place writes back to its source.
    std::error_code error;
    if (!in_place && std::filesystem::equivalent(source, book->claim.file(), error)) {
        return err::kOpen;
    }
    book->storage = platform::CompoundFile::create_from(source, book->claim.file());
    if (!book->storage) return err::kOpen;
    // The workbook stream is written anew at close; every other stream stays as it is, but
    // for the Excel 95 copy of a file saved for both versions, which would no longer match.
    platform::Storage &root = book->storage->root();
    book->stream = root.create_stream(book->biff8() ? u"Workbook" : u"Book");
    if (!book->stream) return err::kOpen;
    if (reader->dual_format() && root.destroy_element(u"Book") != platform::StorageStatus::ok) {
        return err::kOpen;
    }
    fill_new_workbook(*book, static_cast<int32_t>(reader->sheets().size()), false);
    book->template_recalc_id = reader->recalc_id();
    if (load_template(*book, *reader, in_place) != 0) return err::kOpen;
    book->source = reader;
    return register_workbook(book);
}

}  // namespace

int32_t create_from_template(std::u16string_view file_name, std::u16string_view template_name) {
    if (file_name.empty() || template_name.empty()) return err::kFileName;
    // The template is read before anything is claimed, so a bad one changes nothing.
    const auto from = file_path(template_name);
    std::shared_ptr<WorkbookReader> reader;
    if (open_reader(from, &reader) != 0) return kTemplateUnreadable;
    return load_workbook(file_name, *from, reader, false);
}

int32_t open_for_update(std::u16string_view file_name, std::optional<std::u16string_view> output) {
    if (file_name.empty() || (output && output->empty())) return err::kOpen;
    const auto source = file_path(file_name);
    std::shared_ptr<WorkbookReader> reader;
    if (open_reader(source, &reader) != 0) return err::kOpen;
    const int32_t handle = load_workbook(output ? *output : file_name, *source, reader, !output);
    if (handle < 0) return err::kOpen;
    workbook_at(handle)->template_flag = output.has_value();
    return handle;
}

int32_t close_opened(int32_t handle, bool save) {
    Workbook *book = workbook_at(handle);
    if (!book) return err::kHandle;
    book->template_flag = false;
    const int32_t closed = save ? close_workbook(handle) : cancel_workbook(handle);
    if (closed == 0 || closed == err::kWrite || closed == err::kMemory) return closed;
    return err::kHandle;
}

}  // namespace tabrix::engine
