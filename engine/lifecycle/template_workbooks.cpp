#include "engine/lifecycle/template_workbooks.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <string>

#include "engine/lifecycle/workbook_table.h"
#include "engine/read/reader/workbook_reader.h"
#include "engine/read/template/template_loader.h"
#include "platform/file_services.h"

namespace tabrix::engine {

namespace {

// Temporary copies of files opened in place start with this.
constexpr std::string_view kTemporaryPrefix = "tbx";

std::optional<std::filesystem::path> path_of(std::u16string_view name) {
    try {
        return std::filesystem::path(std::u16string(name));
    } catch (const std::exception &) {
        return std::nullopt;  // not a name the file system can hold (an unpaired surrogate)
    }
}

int32_t open_reader(std::u16string_view name, std::shared_ptr<WorkbookReader> *out) {
    const auto path = path_of(name);
    std::unique_ptr<WorkbookReader> reader;
    if (!path || WorkbookReader::open(*path, &reader) != 0) return err::kOpen;
    *out = std::move(reader);
    return 0;
}

// Makes the workbook on its file (`make_copy` puts the template's bytes there), loads the
// template's records into it and registers it. The handle or -1; a failure removes the copy.
int32_t load_workbook(std::u16string_view copy_name, const std::shared_ptr<WorkbookReader> &reader,
                      bool keep_keywords, const std::function<bool()> &make_copy,
                      std::unique_ptr<Workbook> &book) {
    const auto path = path_of(copy_name);
    if (!path || reader->sheets().size() > static_cast<size_t>(kMaxSheets)) return err::kOpen;
    book = std::make_unique<Workbook>();
    book->format = FileFormat{reader->biff8(), reader->version_stamp()};
    book->file_name = copy_name;
    const auto made = platform::FileClaim::make_file(
        *path,
        [&] {
            if (!make_copy()) return false;
            book->storage = platform::CompoundFile::open_update(*path);
            return book->storage != nullptr;
        },
        &book->claim);
    auto fail = [&] {
        const bool made_copy = book->storage != nullptr;
        book->stream = nullptr;
        book->storage.reset();
        if (made_copy) platform::delete_file(*path);
        return err::kOpen;
    };
    if (made != platform::ClaimStatus::ok) return fail();
    // The workbook stream is written anew at close; every other stream stays as it is.
    book->stream = book->storage->root().create_stream(book->biff8() ? u"Workbook" : u"Book");
    if (!book->stream) return fail();
    try {
        fill_new_workbook(*book, static_cast<int32_t>(reader->sheets().size()), false);
        book->template_recalc_id = reader->recalc_id();
        if (load_template(*book, *reader, keep_keywords) != 0) return fail();
        book->source = reader;
        return register_workbook(book);
    } catch (const std::bad_alloc &) {
        fail();
        throw;
    }
}

}  // namespace

int32_t create_from_template(std::u16string_view file_name, std::u16string_view template_name) {
    if (file_name.empty() || template_name.empty()) return err::kFileName;
    // The template is read before anything is made, so a bad one leaves nothing behind.
    std::shared_ptr<WorkbookReader> reader;
    if (open_reader(template_name, &reader) != 0) return kTemplateUnreadable;
    std::unique_ptr<Workbook> book;
    const auto from = path_of(template_name);
    const auto to = path_of(file_name);
    if (!to) return err::kOpen;
    return load_workbook(
        file_name, reader, false, [&] { return platform::copy_file(*from, *to); }, book);
}

int32_t open_for_update(std::u16string_view file_name, std::optional<std::u16string_view> output) {
    if (file_name.empty() || (output && output->empty())) return err::kOpen;
    std::shared_ptr<WorkbookReader> reader;
    if (open_reader(file_name, &reader) != 0) return err::kOpen;
    const auto source = path_of(file_name);
    std::unique_ptr<Workbook> book;
    int32_t handle = err::kOpen;
    if (output) {
        const auto to = path_of(*output);
        if (!to) return err::kOpen;
        handle = load_workbook(
            *output, reader, false, [&] { return platform::copy_file(*source, *to); }, book);
        if (handle < 0) return err::kOpen;
        Workbook *opened = workbook_at(handle);
        opened->template_flag = true;
        opened->opened = OpenedFile{std::u16string(file_name), std::u16string(*output), false};
        return handle;
    }
    const std::filesystem::path temporary = platform::copy_to_temp_file(*source, kTemporaryPrefix);
    if (temporary.empty()) return err::kOpen;
    const std::u16string temporary_name = temporary.u16string();
    handle = load_workbook(
        temporary_name, reader, true, [] { return true; }, book);
    if (handle < 0) {
        platform::delete_file(temporary);
        return err::kOpen;
    }
    workbook_at(handle)->opened = OpenedFile{std::u16string(file_name), temporary_name, true};
    return handle;
}

int32_t close_opened(int32_t handle, bool save) {
    Workbook *book = workbook_at(handle);
    if (!book) return err::kHandle;
    const std::optional<OpenedFile> opened = book->opened;
    book->template_flag = false;
    const int32_t closed = save ? close_workbook(handle) : cancel_workbook(handle);
    if (!opened || !opened->in_place) return closed == 0 ? 0 : err::kHandle;
    const std::filesystem::path temporary(opened->output);
    bool replaced = true;
    if (save && closed == 0) {
        replaced = platform::replace_file(temporary, std::filesystem::path(opened->source));
    }
    platform::delete_file(temporary);
    return closed == 0 && replaced ? 0 : err::kHandle;
}

}  // namespace tabrix::engine
