// Inputs for the workbook fuzz entry made from workbooks our own writer wrote, and from
// workbook files on disk.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace tabrix::engine::fuzz {

using Input = std::vector<uint8_t>;

// Writes sample workbooks of both formats into `folder` (every kind of value, formulas,
// merged cells, attributes, sizes, page settings, several row blocks, a second sheet that
// ends in an object) and returns each stream as inputs under every option byte of its
// format. Empty when a workbook cannot be written.
std::vector<Input> writer_seeds(const std::filesystem::path &folder);

// The workbook stream of a compound file as an input (option byte first); empty when the
// file holds no single workbook stream.
Input seed_of_file(const std::filesystem::path &file);

}  // namespace tabrix::engine::fuzz
