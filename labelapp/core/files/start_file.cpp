#include "core/files/start_file.h"

#include <charconv>
#include <optional>

#include "core/files/text_file.h"

namespace labelora {
namespace {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::optional<int> parseField(std::string_view field, int low, int high) {
    field = trimBlanks(field);
    int value = 0;
    auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (ec != std::errc() || end != field.data() + field.size() || field.empty()) return {};
    if (value < low || value > high) return {};
    return value;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t comma = line.find(',', start);
        fields.push_back(
            line.substr(start, comma == std::string_view::npos ? line.npos : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return fields;
}

// Reads one slot line; returns false when some field had to take its default.
bool parseSlot(std::string_view line, int capacity, SheetSlot &slot) {
    auto fields = splitFields(line);
    bool wellFormed = fields.size() == 3;
    auto take = [&](size_t i, int low, int high, int fallback) {
        std::optional<int> v = i < fields.size() ? parseField(fields[i], low, high) : std::nullopt;
        if (!v) wellFormed = false;
        return v.value_or(fallback);
    };
    slot.offsetRight = take(0, 0, kOffsetIndexCount - 1, kNoOffset);
    slot.offsetDown = take(1, 0, kOffsetIndexCount - 1, kNoOffset);
    slot.startPosition = take(2, 0, capacity, 1);
    if (slot.startPosition == 0) slot.startPosition = 1;
    return wellFormed;
}

}  // namespace

StartFile parseStartFile(std::string_view bytes, const std::array<int, 4> &capacities) {
    StartFile file;
    // A byte-order mark left by an editor is not part of the first line.
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    std::vector<std::string> lines = splitLines(bytes);
    for (size_t i = 0; i < file.sheets.size(); ++i) {
        std::string_view line = i < lines.size() ? std::string_view(lines[i]) : "";
        if (!parseSlot(line, capacities[i], file.sheets[i]))
            file.malformedLines.push_back(static_cast<int>(i) + 1);
    }
    if (lines.size() > 4) file.extraLine = lines[4];
    for (size_t i = 5; i < lines.size(); ++i) file.trailingLines.push_back(lines[i]);
    return file;
}

std::string formatStartFile(const StartFile &file) {
    std::string text;
    for (const auto &slot : file.sheets) {
        text += std::to_string(slot.offsetRight) + "," + std::to_string(slot.offsetDown) + "," +
                std::to_string(slot.startPosition) + "\r\n";
    }
    text += file.extraLine + "\r\n";
    for (const auto &line : file.trailingLines) text += line + "\r\n";
    return text;
}

}  // namespace labelora
