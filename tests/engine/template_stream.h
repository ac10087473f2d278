// Workbook streams made record by record for the template tests: the globals, one substream per
// sheet, and the BOUNDSHEET offsets that tie them together.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/biff/le_bytes.h"
#include "engine/biff/record_numbers.h"

namespace tabrix::engine::test {

using Bytes = std::vector<uint8_t>;

inline Bytes u16s(std::initializer_list<uint16_t> values) {
    Bytes out;
    for (uint16_t value : values) put_u16(out, value);
    return out;
}

inline Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes &part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

class TemplateStream {
  public:
    explicit TemplateStream(bool biff8) : biff8_(biff8) {}

    bool biff8() const { return biff8_; }

    // A record of the globals, after the BOF and before the BOUNDSHEETs.
    void global(uint16_t number, Bytes data) { globals_.emplace_back(number, std::move(data)); }
    // Starts a sheet; the records given next go into its substream, after its BOF.
    void sheet(const std::string &name, uint16_t options = 0, uint16_t bof_type = 0x0010) {
        sheets_.push_back(Sheet{name, options, bof_type, {}});
    }
    void record(uint16_t number, Bytes data) {
        sheets_.back().records.emplace_back(number, std::move(data));
    }

    // A FONT, as every template needs one.
    void font(uint16_t height) {
        Bytes body = u16s({height, 0, 0x7FFF, 400, 0});
        body.insert(body.end(), {0, 0, 128, 0, 1});
        if (biff8_) body.push_back(0);
        body.push_back('A');
        global(rec::kFont, body);
    }

    Bytes bof(uint16_t type) const {
        return biff8_ ? u16s({0x0600, type, 0x0DBB, 0x07CC, 0, 0, 6, 0})
                      : u16s({0x0500, type, 0, 0});
    }

    Bytes bytes() const {
        Bytes globals;
        append(globals, rec::kBof, bof(0x0005));
        for (const auto &[number, data] : globals_) append(globals, number, data);
        std::vector<size_t> offset_fields;
        for (const Sheet &sheet : sheets_) {
            Bytes body = u16s({0, 0, sheet.options});
            body.push_back(static_cast<uint8_t>(sheet.name.size()));
            if (biff8_) body.push_back(0);
            body.insert(body.end(), sheet.name.begin(), sheet.name.end());
            offset_fields.push_back(globals.size() + 4);
            append(globals, rec::kBoundSheet, body);
        }
        append(globals, rec::kEof, {});
        for (size_t i = 0; i < sheets_.size(); ++i) {
            store_u32(&globals[offset_fields[i]], static_cast<uint32_t>(globals.size()));
            append(globals, rec::kBof, bof(sheets_[i].bof_type));
            for (const auto &[number, data] : sheets_[i].records) append(globals, number, data);
            append(globals, rec::kEof, {});
        }
        return globals;
    }

  private:
    struct Sheet {
        std::string name;
        uint16_t options = 0;
        uint16_t bof_type = 0x0010;
        std::vector<std::pair<uint16_t, Bytes>> records;
    };

    static void append(Bytes &out, uint16_t number, const Bytes &data) {
        put_u16(out, number);
        put_u16(out, static_cast<uint16_t>(data.size()));
        out.insert(out.end(), data.begin(), data.end());
    }

    bool biff8_;
    std::vector<std::pair<uint16_t, Bytes>> globals_;
    std::vector<Sheet> sheets_;
};

}  // namespace tabrix::engine::test
