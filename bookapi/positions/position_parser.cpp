#include "bookapi/positions/position_parser.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

#include "engine/exports/book_services/book_services.h"
#include "platform/interface_text.h"
#include "tabrix/types.h"

namespace tabrix::bookapi {

namespace {

namespace services = engine::services;

std::string &prefix_storage() {
    static std::string prefix = "**";
    return prefix;
}

bool lead_byte(char c) {
    return platform::is_narrow_lead_byte(static_cast<unsigned char>(c));
}

// Where the part starting at `from` ends: the next "," or "_[" outside double-byte
// characters, or the end of the text.
size_t part_end(std::string_view text, size_t from) {
    size_t i = from;
    while (i < text.size()) {
        if (lead_byte(text[i])) {
            i += 2;
            continue;
        }
        if (text[i] == ',' || text.substr(i, 2) == "_[") break;
        ++i;
    }
    return std::min(i, text.size());
}

bool blank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool digit(char c) {
    return c >= '0' && c <= '9';
}

bool letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A number as "%d" reads one (blanks, a sign, digits), filling the whole text.
bool parse_int(std::string_view text, int32_t &value) {
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    if (text.size() > 1 && text[0] == '+' && digit(text[1])) text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// Reads the offset "_[dx:dy]" at `at` (if there is one) and moves `at` past it and past the
// "," that ends the part. False when the offset or what follows is malformed.
bool read_offset(std::string_view text, size_t &at, int32_t &dx, int32_t &dy) {
    dx = dy = 0;
    if (text.substr(at, 2) == "_[") {
        const size_t close = text.find(']', at);
        const size_t colon = text.find(':', at);
        if (close == std::string_view::npos || colon == std::string_view::npos || colon > close)
            return false;
        if (!parse_int(text.substr(at + 2, colon - at - 2), dx) ||
            !parse_int(text.substr(colon + 1, close - colon - 1), dy)) {
            return false;
        }
        at = close + 1;
    }
    if (at == text.size()) return true;
    if (text[at] != ',') return false;
    ++at;
    return true;
}

// A coordinate moved by an offset, held inside 32 bits (beyond every sheet either way).
int32_t moved(int32_t coordinate, int32_t offset) {
    const int64_t sum = int64_t{coordinate} + offset;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

struct Corners {
    int32_t column[2] = {0, 0};  // 1-based, 0 when no letter was read
    int32_t row[2] = {0, 0};
    bool second = false;
};

// Scans a part as a cell or range; false when it is to be taken as a name.
bool scan_cell(std::string_view part, Corners &corners) {
    if (part.size() == 2 && !digit(part[1])) return false;
    int corner = 0;
    bool read_any = false;
    for (size_t i = 0; i < part.size(); ++i) {
        const char c = part[i];
        if (lead_byte(c) || c == '\\' || c == '_') return false;
        const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper >= 'A' && upper <= 'Z') {
            corners.column[corner] = corners.column[corner] * 26 + (upper - 'A' + 1);
            if (corners.column[corner] > 256) return false;
            read_any = true;
        } else if (upper >= '0' && upper <= '9') {
            corners.row[corner] = corners.row[corner] * 10 + (upper - '0');
            if (corners.row[corner] > 65536) return false;
            read_any = true;
        } else if (upper == ':') {
            if (corner == 1) return false;
            corner = 1;
            corners.second = true;
        }
        // Anything else (a dollar sign, say) changes nothing.
    }
    return read_any;
}

// One corner as a cell is written: "$"? letters, then "$"? digits; either half may be
// missing (a column or a row alone), not both.
bool well_formed_corner(std::string_view corner) {
    size_t at = 0;
    const auto run = [&](bool (*kind)(char)) {
        const size_t start = at;
        if (at + 1 < corner.size() && corner[at] == '$' && kind(corner[at + 1])) ++at;
        while (at < corner.size() && kind(corner[at])) ++at;
        return at > start;
    };
    const bool column = run(letter);
    const bool row = run(digit);
    return (column || row) && at == corner.size();
}

// Whether a part the scan took as a cell or range is written as one. Any other character
// (a blank, a ";"), or letters after digits, would be skipped by the scan and land the value
// on another cell.
bool well_formed_cell(std::string_view part) {
    const size_t colon = part.find(':');
    if (colon == std::string_view::npos) return well_formed_corner(part);
    return well_formed_corner(part.substr(0, colon)) && well_formed_corner(part.substr(colon + 1));
}

PositionItem cell_item(const Corners &corners, int32_t dx, int32_t dy) {
    PositionItem item;
    item.x1 = moved(corners.column[0] - 1, dx);
    item.y1 = moved(corners.row[0] - 1, dy);
    if (corners.second) {
        item.range = true;
        item.x2 = moved(corners.column[1] - 1, dx);
        item.y2 = moved(corners.row[1] - 1, dy);
    }
    return item;
}

// A defined name's cell or area moved by the offset; none when the book has no such name.
std::optional<PositionItem> defined_name_item(const BookRecord &book, std::string_view name,
                                              int32_t dx, int32_t dy) {
    services::CellArea area;
    if (!services::defined_name_area(book.engine_handle, book.current_sheet, name, area))
        return std::nullopt;
    PositionItem item;
    item.x1 = moved(area.x1, dx);
    item.y1 = moved(area.y1, dy);
    if (area.x2 >= 0) {
        item.range = true;
        item.x2 = moved(area.x2, dx);
        item.y2 = moved(area.y2, dy);
    }
    return item;
}

// One part that is no keyword: a cell or range, else a defined name. A name not found names
// the cell (-1, -1), which every write refuses; a part written as neither cell nor name is
// refused here (-34).
int32_t cell_or_name_item(const BookRecord &book, std::string_view part, int32_t dx, int32_t dy,
                          PositionItem &item) {
    Corners corners;
    const bool cell = scan_cell(part, corners);
    if (cell && well_formed_cell(part)) {
        item = cell_item(corners, dx, dy);
        return 0;
    }
    // A part with characters no cell has may still be a name of the book.
    if (std::optional<PositionItem> named = defined_name_item(book, part, dx, dy)) {
        item = *named;
        return 0;
    }
    item = PositionItem{};
    return cell ? -errParam : 0;
}

}  // namespace

const std::string &keyword_prefix_text() {
    return prefix_storage();
}

void set_keyword_prefix_text(std::string_view prefix) {
    prefix_storage() = std::string(prefix);
}

int32_t parse_position(const BookRecord &book, std::string_view text, bool keywords,
                       std::vector<PositionItem> &items) {
    items.clear();
    const std::string &prefix = keyword_prefix_text();
    size_t at = 0;
    do {
        const size_t end = part_end(text, at);
        const std::string_view part = text.substr(at, end - at);
        size_t next = end;
        int32_t dx = 0;
        int32_t dy = 0;
        if (!read_offset(text, next, dx, dy)) {
            items.clear();
            return -errParam;
        }
        PositionItem item;
        if (keywords && !prefix.empty() && part.starts_with(prefix)) {
            item.keyword = true;
            item.keyword_text = std::string(part);
            item.dx = dx;
            item.dy = dy;
        } else if (cell_or_name_item(book, part, dx, dy, item) != 0) {
            items.clear();
            return -errParam;
        }
        if (item.range) {
            if (item.x1 > item.x2) std::swap(item.x1, item.x2);
            if (item.y1 > item.y2) std::swap(item.y1, item.y2);
        }
        items.push_back(std::move(item));
        at = next;
    } while (at < text.size());
    return 0;
}

int32_t first_position_item(const BookRecord &book, std::string_view text, bool keywords,
                            PositionItem &item) {
    std::vector<PositionItem> items;
    if (int32_t rc = parse_position(book, text, keywords, items); rc != 0) return rc;
    item = std::move(items.front());
    return 0;
}

}  // namespace tabrix::bookapi
