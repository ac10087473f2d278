#include "engine/read/number_format_lookup.h"

#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "engine/biff/biff_string.h"
#include "engine/biff/le_bytes.h"
#include "engine/biff/narrow_string.h"
#include "engine/biff/record_numbers.h"
#include "engine/biff/record_reader.h"
#include "engine/read/reader/workbook_reader.h"
#include "engine/styles/default_records.h"
#include "platform/codepage.h"

namespace tabrix::engine {

namespace {

constexpr size_t kXfFormatAt = 2;

// Built-in formats of Japanese spreadsheet programs that the shared table leaves out: dates
// that files use by number alone, without a FORMAT record.
struct JapaneseDateFormat {
    uint16_t number;
    std::u16string_view text;
};
constexpr JapaneseDateFormat kJapaneseDateFormats[] = {
    {27, u"ge.m.d"},
    {28, u"ggge\"年\"m\"月\"d\"日\""},
    {29, u"ggge\"年\"m\"月\"d\"日\""},
    {34, u"yyyy\"年\"m\"月\""},
    {35, u"m\"月\"d\"日\""},
    {36, u"ge.m.d"},
    {50, u"ge.m.d"},
    {51, u"ggge\"年\"m\"月\"d\"日\""},
    {52, u"yyyy\"年\"m\"月\""},
    {53, u"m\"月\"d\"日\""},
    {54, u"ggge\"年\"m\"月\"d\"日\""},
};
constexpr size_t kFormatTextAt = 2;

bool from_file(const Workbook &book) {
    return book.read_only && book.source;
}

// Hands each globals record to visit(number, body) until it returns false: the file's up to
// its EOF, or the ones in memory in the order they are written.
void visit_globals(const Workbook &book,
                   const std::function<bool(uint16_t, std::span<const uint8_t>)> &visit) {
    if (from_file(book)) {
        RecordReader records(book.source->stream(), 0);
        RawRecord record;
        while (records.next(record) && record.number != rec::kEof) {
            if (!visit(record.number, record.data)) return;
        }
        return;
    }
    for (const RecordList *list : {&book.header, &book.formats, &book.xfs}) {
        for (const Record &record : list->records()) {
            if (!visit(record.number, record.data)) return;
        }
    }
}

}  // namespace

std::optional<std::u16string> format_record_text(const Workbook &book,
                                                 std::span<const uint8_t> body) {
    size_t at = kFormatTextAt;
    if (book.biff8()) return read_biff8_string(body, at);
    if (body.size() <= at || body.size() < at + 1 + size_t{body[at]}) return std::nullopt;
    const std::span<const uint8_t> bytes = body.subspan(at + 1, body[at]);
    return from_file(book) ? book.source->decode_narrow(bytes)
                           : decode_narrow(bytes, book.code_page);
}

std::optional<std::u16string> xf_number_format(const Workbook &book, int32_t xf) {
    if (xf < 0) return std::nullopt;
    std::optional<uint16_t> number;
    std::vector<std::span<const uint8_t>> formats;
    int32_t index = 0;
    visit_globals(book, [&](uint16_t record, std::span<const uint8_t> body) {
        if (record == rec::kFormat && body.size() >= kFormatTextAt) formats.push_back(body);
        if (record != rec::kXf || index++ != xf) return true;
        if (body.size() >= kXfFormatAt + 2) number = load_u16(body.data() + kXfFormatAt);
        return false;
    });
    if (!number) return std::nullopt;
    for (std::span<const uint8_t> body : formats) {
        if (load_u16(body.data()) == *number) return format_record_text(book, body);
    }
    if (const char *builtin = builtin_number_format(*number)) {
        return platform::cp932_to_utf16(builtin);
    }
    for (const JapaneseDateFormat &format : kJapaneseDateFormats) {
        if (format.number == *number) return std::u16string(format.text);
    }
    return std::u16string();
}

bool uses_1904_dates(const Workbook &book) {
    bool dates_1904 = false;
    visit_globals(book, [&](uint16_t record, std::span<const uint8_t> body) {
        if (record != rec::k1904) return true;
        dates_1904 = body.size() >= 2 && load_u16(body.data()) != 0;
        return false;
    });
    return dates_1904;
}

}  // namespace tabrix::engine
