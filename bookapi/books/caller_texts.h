// Texts crossing the C boundary: null-safe views, UTF-16 arguments in the interface's narrow
// code page, and texts written into callers' buffers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/interface_text.h"

namespace tabrix::bookapi {

// Texts as given, a null pointer read as the empty text.
inline std::string_view narrow_view(const char *text) {
    return text ? std::string_view(text) : std::string_view();
}
inline std::u16string_view wide_view(const char16_t *text) {
    return text ? std::u16string_view(text) : std::u16string_view();
}
// A narrow text in UTF-16, a null pointer read as the empty text.
inline std::u16string wide_of(const char *text) {
    return platform::narrow_to_utf16(narrow_view(text));
}
// A UTF-16 text in the interface's narrow code page, a null pointer read as the empty text.
inline std::string narrow_of(const char16_t *text) {
    return text ? platform::utf16_to_narrow(text) : std::string();
}

// A UTF-16 argument in the narrow code page that keeps a null pointer null (for positions, where
// null means the current one).
class NarrowText {
  public:
    explicit NarrowText(const char16_t *text) : given_(text != nullptr), text_(narrow_of(text)) {}
    const char *get() const { return given_ ? text_.c_str() : nullptr; }

  private:
    bool given_;
    std::string text_;
};

// Writes a text into a caller's buffer of `size` units, cut at a character boundary (never
// inside a narrow character or a surrogate pair) so that it ends with NUL inside the
// buffer. Nothing for a null buffer or a size below 1.
void put_narrow(std::string_view text, char *buffer, int32_t size);
void put_wide(std::u16string_view text, char16_t *buffer, int32_t size);

// A copy of the text, NUL-terminated, that the caller owns and releases with XlsClearValueV
// (a VT_BSTR variant's text). Throws std::bad_alloc.
char16_t *handed_out_text(std::u16string_view text);

}  // namespace tabrix::bookapi
