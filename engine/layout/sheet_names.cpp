#include "engine/layout/sheet_names.h"

#include <memory>
#include <string>

namespace tabrix::engine {

void add_sheet(Workbook &book) {
    auto sheet = std::make_unique<Sheet>();
    uint32_t number = ++book.sheet_name_counter;
    std::string name = "Sheet" + std::to_string(number);
    while (book.sheets.contains(name)) name = "Sheet" + std::to_string(++number);
    sheet->name = std::move(name);
    book.sheets.add(std::move(sheet));
}

}  // namespace tabrix::engine
