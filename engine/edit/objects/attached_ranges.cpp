#include "engine/edit/objects/attached_ranges.h"

#include "engine/edit/objects/autofilter.h"
#include "engine/edit/objects/conditional_formats.h"
#include "engine/edit/objects/data_validations.h"
#include "engine/edit/objects/hyperlinks.h"

namespace tabrix::engine {

int32_t check_attached_ranges(const Sheet &sheet) {
    const RecordList &trailer = sheet.carried.trailer;
    for (const int32_t rc :
         {check_hyperlinks(trailer), check_data_validations(trailer),
          check_conditional_formats(trailer), check_autofilter(sheet.carried.settings)}) {
        if (rc != 0) return rc;
    }
    return 0;
}

void move_attached_ranges(Workbook &book, const GridMove &move) {
    Sheet &sheet = *book.sheets[static_cast<size_t>(move.sheet)];
    move_hyperlinks(sheet, move);
    move_data_validations(sheet, move);
    move_conditional_formats(sheet, move);
    move_autofilter(book, move);
}

}  // namespace tabrix::engine
