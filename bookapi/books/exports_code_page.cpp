// C entry point: the code page of narrow texts, with the texts the Book API holds carried
// over into it.
#include <string>
#include <vector>

#include "bookapi/books/book_call.h"
#include "bookapi/positions/position_parser.h"
#include "platform/interface_text.h"
#include "tabrix.h"

using namespace tabrix::bookapi;
namespace platform = tabrix::platform;

namespace {

std::string recoded(std::string_view text, int32_t from, int32_t to) {
    std::u16string wide;
    {
        const platform::NarrowCodePageScope scope(from);
        wide = platform::narrow_to_utf16(text);
    }
    const platform::NarrowCodePageScope scope(to);
    return platform::utf16_to_narrow(wide);
}

}  // namespace

extern "C" {

TABRIX_API int32_t XlsSetCodePage(int32_t code_page) {
    return guarded_call(
        [&]() -> int32_t {
            if (code_page != platform::kShiftJisCodePage && code_page != platform::kUtf8CodePage) {
                return -1;
            }
            const int32_t previous = platform::interface_code_page();
            if (previous == code_page) return previous;
            // Everything is converted before anything is replaced, so that running out of
            // memory leaves the setting and the texts as they were.
            std::vector<std::string *> held = held_book_texts();
            std::vector<std::string> converted;
            converted.reserve(held.size());
            for (const std::string *text : held) {
                converted.push_back(recoded(*text, previous, code_page));
            }
            set_keyword_prefix_text(recoded(keyword_prefix_text(), previous, code_page));
            for (size_t i = 0; i < held.size(); ++i) held[i]->swap(converted[i]);
            return platform::set_interface_code_page(code_page);
        },
        -1);
}

}  // extern "C"
