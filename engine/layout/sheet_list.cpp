#include "engine/layout/sheet_list.h"

#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace tabrix::engine {
namespace {

bool sheet_name_used(const Workbook &book, std::string_view name) {
    for (const auto &sheet : book.sheets) {
        if (platform::cp932_compare_ignore_case(sheet->name, name) == 0) return true;
    }
    return false;
}

}  // namespace

void add_sheet(Workbook &book) {
    auto sheet = std::make_unique<Sheet>();
    uint32_t number = ++book.sheet_name_counter;
    std::string name = "Sheet" + std::to_string(number);
    while (sheet_name_used(book, name)) name = "Sheet" + std::to_string(++number);
    sheet->name = std::move(name);
    book.sheets.push_back(std::move(sheet));
}

}  // namespace tabrix::engine
