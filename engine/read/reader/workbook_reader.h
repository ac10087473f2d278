// A workbook file opened for reading: its workbook stream held in memory, the format, what
// the globals say that every reader needs (sheets, shared strings, code page, RECALCID), and
// the records of each sheet. Nothing here changes the file.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/biff/biff_string.h"
#include "engine/biff/record_reader.h"
#include "platform/compound_file.h"
#include "tabrix/types.h"

namespace tabrix::engine {

// One BOUNDSHEET record, in file order.
struct SheetEntry {
    uint32_t bof_offset = 0;  // stream position of the sheet's BOF
    uint16_t options = 0;     // low byte visibility, high byte sheet type
    std::u16string name;
    bool is_chart() const { return (options >> 8) == 0x02; }
};

class WorkbookReader {
  public:
    WorkbookReader() = default;
    // stream() may point into the reader itself.
    WorkbookReader(const WorkbookReader &) = delete;
    WorkbookReader &operator=(const WorkbookReader &) = delete;

    // Opens a compound file holding the stream "Book" (Excel 95) or "Workbook" (Excel 97)
    // and reads its globals. A file saved for both versions at once is read through its
    // Excel 97 stream, as every other reader does. err::kOpen for anything else, with the
    // reason in *why if given: no sound compound file, neither stream, an encrypted
    // (FILEPASS) or protected workbook, no BOUNDSHEET.
    static int32_t open(const std::filesystem::path &path, std::unique_ptr<WorkbookReader> *out,
                        XLFILECHECK *why = nullptr);
    // The same checks over a workbook stream already in memory.
    static int32_t from_stream(std::vector<uint8_t> stream, bool biff8,
                               std::unique_ptr<WorkbookReader> *out);

    bool biff8() const { return biff8_; }
    // Whether the file also holds an Excel 95 copy ("Book" beside "Workbook") that this
    // reader leaves unread.
    bool dual_format() const { return dual_format_; }
    // 97, or 2000 and 2002 as the file's RECALCID says.
    uint16_t version_stamp() const { return version_stamp_; }
    const std::optional<std::array<uint8_t, 8>> &recalc_id() const { return recalc_id_; }
    uint16_t code_page() const { return code_page_; }  // 0 without a CODEPAGE record
    std::span<const uint8_t> stream() const { return stream_; }
    const std::vector<SheetEntry> &sheets() const { return sheets_; }
    // The texts of the file's SST (Excel 97), by their LABELSST index; the strings read before
    // a damaged table ended.
    const std::vector<std::u16string> &shared_strings() const { return shared_strings_; }
    // The formatting runs and phonetic blocks of those strings that have any.
    const SstFormatting &shared_string_formatting() const { return shared_string_formatting_; }
    // A narrow text of an Excel 95 file in UTF-16, by the file's code page.
    std::u16string decode_narrow(std::span<const uint8_t> bytes) const;
    // A records reader at the sheet's BOF; one that gives nothing for a sheet number out of
    // range or a BOF offset outside the stream.
    RecordReader sheet_records(size_t sheet) const;
    // The compound file read (null for a reader made from a stream).
    platform::CompoundFile *file() { return file_.get(); }

  private:
    static XLFILECHECK open_file(const std::filesystem::path &path, WorkbookReader &reader);
    // The reason the globals refuse the file, or fcWorkbook.
    XLFILECHECK read_globals();

    std::unique_ptr<platform::CompoundFile> file_;
    std::vector<uint8_t> own_stream_;  // the stream, where it is not read in place
    std::span<const uint8_t> stream_;  // in file_'s memory, or own_stream_
    bool biff8_ = false;
    bool dual_format_ = false;
    uint16_t version_stamp_ = 97;
    std::optional<std::array<uint8_t, 8>> recalc_id_;
    uint16_t code_page_ = 0;
    std::vector<SheetEntry> sheets_;
    std::vector<std::u16string> shared_strings_;
    SstFormatting shared_string_formatting_;
};

// The text of a string record of either format as UTF-16: an Excel 97 string with its
// 16-bit (LABEL, STRING) or 8-bit (short) count, or an Excel 95 narrow string.
std::optional<std::u16string> read_cell_text(const WorkbookReader &reader,
                                             std::span<const uint8_t> bytes, size_t &pos,
                                             bool short_count);

}  // namespace tabrix::engine
