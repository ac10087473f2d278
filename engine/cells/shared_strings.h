// The shared-string table of an Excel 97 workbook: each distinct text stored once (a text
// with formatting runs or phonetic data once per distinct form), written as an SST record
// and CONTINUE records of at most 8224 data bytes, with the EXTSST index.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/biff/record_list.h"

namespace tabrix::engine {

class SharedStringTable {
  public:
    SharedStringTable();
    ~SharedStringTable();
    SharedStringTable(const SharedStringTable &) = delete;
    SharedStringTable &operator=(const SharedStringTable &) = delete;

    // What add() returns after finish(), when nothing is stored or counted any more.
    static constexpr uint32_t kNotAdded = 0xFFFFFFFF;

    // Adds a text (narrow texts are code page 932) and returns its index; a text already
    // added since the table was made returns the index it got then. Texts longer than
    // 32767 characters are cut (never between the two halves of a surrogate pair). Counts
    // every call in the total. When memory runs out, std::bad_alloc leaves the table as it
    // was.
    uint32_t add(std::string_view narrow);
    uint32_t add(std::u16string_view wide);
    // A text with the formatting runs (4 bytes each: first character and font index) and the
    // phonetic block (ExtRst) a file's table gave it: an entry shared only by the same text
    // with the same runs and block, never by a plain text. Runs past a cut text go, and so
    // does its phonetic block; without either this is add(wide).
    uint32_t add(std::u16string_view wide, std::span<const uint8_t> runs,
                 std::span<const uint8_t> phonetic);

    // Flushes the last record and writes the total and unique counts into the SST header.
    // After this the table takes no more texts.
    void finish();

    // The SST record and its CONTINUE records (complete after finish()); empty when no text
    // was ever added.
    const std::vector<Record> &records() const;
    // Bytes the records occupy on disk (before finish(), with the record still being filled).
    size_t byte_total() const;

    // The EXTSST record data, given the stream offset at which the SST record's header is
    // written (call after finish()).
    std::vector<uint8_t> extsst(uint32_t sst_stream_offset) const;

    // The text stored under an index (as add() returned it), null for an index never given.
    // The pointer stays valid as long as the table.
    const std::u16string *text(uint32_t index) const;

    uint32_t total_count() const;
    uint32_t unique_count() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tabrix::engine
