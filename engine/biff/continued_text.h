// Texts that go on in CONTINUE records. A LABEL, RSTRING or STRING whose text does not fit
// one record is cut into the record and CONTINUE records after it. In Excel 95 the bytes
// simply go on; in Excel 97 each CONTINUE the characters go on in starts with the option byte
// of the characters it holds, so that the pieces may differ in width.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/biff/record_cursor.h"
#include "engine/biff/record_reader.h"

namespace tabrix::engine {

// The longest record data Excel 95 writes (Excel 97: kMaxRecordData).
inline constexpr size_t kMaxBiff5RecordData = 2080;

// `record`, just read from `records`, with the CONTINUE records right after it, which
// `records` moves past. False (and `out` left alone) when no CONTINUE follows.
bool take_continues(RecordReader &records, const RawRecord &record, ContinuedRecord &out);

// The images (header and data) of a continued record's CONTINUE records, as they were read.
std::vector<uint8_t> continue_images(const ContinuedRecord &record);

// A continued record's data with its text (a 16-bit count at `text_at`, in Excel 97 an option
// byte, then the characters) in one piece: Excel 97 characters in one width, 16-bit when any
// piece is. What follows the characters goes on as it is. Nothing when the text runs past
// the data.
std::optional<std::vector<uint8_t>> joined_text(const ContinuedRecord &record, size_t text_at,
                                                bool biff8);

// The data of a text record just read from `records`, its text whole: the record's own data
// when no CONTINUE follows it, else the joined data, kept in `joined` (and `records` moved
// past the CONTINUE records). A text that does not join gives the record's own data.
std::span<const uint8_t> text_record_data(RecordReader &records, const RawRecord &record,
                                          size_t text_at, bool biff8, std::vector<uint8_t> &joined);

// Record images (header and data) of a text record whose data ends with its text whole at
// `text_at`, as joined_text gives it: the record, then as many CONTINUE records as the text
// needs, none holding more than `limit` data bytes (Excel 97 characters cut only between
// two characters).
std::vector<uint8_t> continued_text_images(uint16_t number, std::span<const uint8_t> data,
                                           size_t text_at, bool biff8, size_t limit);

}  // namespace tabrix::engine
