// "start.txt": the offsets and the first free label position of each sheet type.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace labelora {

inline constexpr int kOffsetIndexCount = 21;  // -5 mm .. +5 mm in 0.5 mm steps
inline constexpr int kNoOffset = 10;          // the index of 0 mm

struct SheetSlot {
    int offsetRight = kNoOffset;
    int offsetDown = kNoOffset;
    int startPosition = 1;
};

struct StartFile {
    std::array<SheetSlot, 4> sheets;  // sheet types 1..4
    // Line 5, kept byte for byte as it was read; lines after it are kept too.
    std::string extraLine;
    std::vector<std::string> trailingLines;
    // Lines 1..4 that held a field that was not a whole number in its range; those fields
    // took their defaults.
    std::vector<int> malformedLines;
};

inline constexpr const char *kStartFileName = "start.txt";

// Reads the file's bytes. Each of lines 1..4 is "offsetRight,offsetDown,startPosition".
// A field that is missing, not a whole number or out of range takes its default (offset
// index 10, position 1) while the line's other fields and the other lines still count; a
// position of 0 means 1. `capacities` bounds the positions per sheet type.
StartFile parseStartFile(std::string_view bytes, const std::array<int, 4> &capacities);

// The whole file: four slot lines, the fifth line and any lines after it, each ended by CR LF.
std::string formatStartFile(const StartFile &file);

}  // namespace labelora
