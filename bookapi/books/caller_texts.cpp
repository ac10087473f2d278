#include "bookapi/books/caller_texts.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace tabrix::bookapi {

void put_narrow(std::string_view text, char *buffer, int32_t size) {
    if (!buffer || size < 1) return;
    const size_t fits = platform::narrow_fit(text, static_cast<size_t>(size) - 1);
    if (fits > 0) std::memcpy(buffer, text.data(), fits);
    buffer[fits] = '\0';
}

void put_wide(std::u16string_view text, char16_t *buffer, int32_t size) {
    if (!buffer || size < 1) return;
    size_t fits = std::min(text.size(), static_cast<size_t>(size) - 1);
    // A high surrogate whose partner does not fit goes too.
    if (fits > 0 && fits < text.size() && text[fits - 1] >= 0xD800 && text[fits - 1] < 0xDC00)
        --fits;
    if (fits > 0) std::memcpy(buffer, text.data(), fits * sizeof(char16_t));
    buffer[fits] = u'\0';
}

char16_t *handed_out_text(std::u16string_view text) {
    auto *copy = static_cast<char16_t *>(std::malloc((text.size() + 1) * sizeof(char16_t)));
    if (!copy) throw std::bad_alloc();
    std::memcpy(copy, text.data(), text.size() * sizeof(char16_t));
    copy[text.size()] = u'\0';
    return copy;
}

}  // namespace tabrix::bookapi
