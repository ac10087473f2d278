#include "bookapi/positions/current_position.h"

#include <string>

#include "bookapi/positions/position_parser.h"
#include "platform/codepage.h"
#include "tabrix/types.h"

namespace tabrix::bookapi {

int32_t move_to(BookRecord &book, const char *position) {
    const std::string text = position ? std::string(position) : book.current_position;
    if (text.size() > kMaxPositionLength) return -errParam;
    if (platform::cp932_compare_ignore_case(text, book.attribute_position) != 0) {
        book.attribute_position = text;
        book.pending = PendingAttributes{};
    }
    book.current_position = text;
    return 0;
}

}  // namespace tabrix::bookapi
