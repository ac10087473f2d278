// The code page of the interface's narrow texts: code page 932 (the default) or UTF-8, one
// setting for the process, read from TABRIX_CODEPAGE when the library loads. The engine keeps
// its own narrow texts in code page 932 whatever the setting; only the C boundary converts
// with the functions here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tabrix::platform {

inline constexpr int32_t kShiftJisCodePage = 932;
inline constexpr int32_t kUtf8CodePage = 65001;
// For a NarrowCodePageScope: the process's setting, ending an outer scope's.
inline constexpr int32_t kProcessCodePage = 0;

// The code page in force on this thread: a NarrowCodePageScope's, else the process's.
int32_t interface_code_page() noexcept;
inline bool narrow_is_utf8() noexcept {
    return interface_code_page() == kUtf8CodePage;
}
// Sets the process's code page: the previous one, or -1 (nothing changed) for a code page
// other than 932 and 65001.
int32_t set_interface_code_page(int32_t code_page) noexcept;
// The code page a TABRIX_CODEPAGE value names: "932", "65001" or "utf-8" (any case, with or
// without the hyphen); nothing for any other value.
std::optional<int32_t> code_page_named(std::string_view value);

// Holds this thread's narrow texts in one code page for its lifetime, whatever the process's
// setting: for callers inside the library whose texts are always code page 932.
class NarrowCodePageScope {
  public:
    explicit NarrowCodePageScope(int32_t code_page) noexcept;
    ~NarrowCodePageScope();
    NarrowCodePageScope(const NarrowCodePageScope &) = delete;
    NarrowCodePageScope &operator=(const NarrowCodePageScope &) = delete;

  private:
    int32_t outer_;
};

// UTF-8 and UTF-16. A byte that starts no well-formed UTF-8 sequence becomes one U+FFFD, as
// does an unpaired surrogate.
std::u16string utf8_to_utf16(std::string_view utf8);
std::string utf16_to_utf8(std::u16string_view wide);

// A caller's narrow text in UTF-16, and back, in the interface's code page (code page 932 as
// cp932_to_utf16 and utf16_to_cp932 convert it).
std::u16string narrow_to_utf16(std::string_view narrow);
std::string utf16_to_narrow(std::u16string_view wide);
// Code page 932 (the engine's narrow form) to the interface's, and back; texts pass as they
// are in code page 932 mode.
std::string cp932_to_narrow(std::string_view cp932);
std::string narrow_to_cp932(std::string_view narrow);

// True for a byte that starts a double-byte character whose second byte may look like ASCII:
// a code page 932 lead byte. Never in UTF-8, where no byte of a longer character is ASCII.
bool is_narrow_lead_byte(unsigned char byte) noexcept;
// The number of bytes of the longest start of the text that fits `room` bytes without
// cutting a character in the interface's code page.
size_t narrow_fit(std::string_view text, size_t room) noexcept;

}  // namespace tabrix::platform
