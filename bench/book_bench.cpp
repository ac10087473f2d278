// The Book API beside the engine calls it forwards to. Prints the seconds taken.
//
//   book_bench OUTPUT.xls engine   the standard write workload (65536 rows x 16 columns of
//                                  integers, doubles and texts) through XM_WriteInt,
//                                  XM_WriteDouble and XM_WriteStr
//   book_bench OUTPUT.xls book     the same through XlsPutLong, XlsPutDouble and XlsPutStr
//                                  at positions made by POS
//   book_bench OUTPUT.xls control  the same through the automation control: Pos, then a put of
//                                  Long, Double or Str, each one XlsControlInvoke
//   book_bench OUTPUT.xls setters  100 x 100 integers, then the range A1:CV100 styled by
//                                  XlsPutFontColor, XlsPutBackColor and XlsPutLineTop
//   book_bench OUTPUT.xls attr2    the same cells styled cell by cell through XM_SetAttr2,
//                                  one pass per property
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "standard_workload.h"
#include "tabrix.h"

namespace {

constexpr int32_t kRows = bench::kStandardRows;
constexpr int32_t kColumns = bench::kStandardColumns;
constexpr int32_t kStyledSide = 100;

bool write_engine(const char *path) {
    const int32_t h = XM_Create97(path, 1);
    if (h < 0) return false;
    for (int32_t r = 0; r < kRows; ++r) {
        if (bench::write_standard_row(h, r) != 0) return false;
    }
    return XM_Close(h) == 0;
}

bool write_book(const char *path) {
    if (!XlsCreateBook(path, 97, 1, nullptr)) return false;
    char text[16];
    for (int32_t r = 0; r < kRows; ++r) {
        for (int32_t c = 0; c < kColumns; ++c) {
            const char *at = POS(c, r, -1, 0);
            const int32_t ok = c < 8    ? XlsPutLong(r * kColumns + c, at)
                               : c < 12 ? XlsPutDouble(r * 0.5 + c, at)
                                        : XlsPutStr(bench::standard_text(text, r, c), at);
            if (!ok) return false;
        }
    }
    return XlsCloseBook(1) == 1;
}

VARIANT number_variant(int32_t value) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

bool write_control(const char *path) {
    int32_t control = 0;
    if (XlsControlCreate(&control) != 0) return false;
    int32_t pos = 0, put_long = 0, put_double = 0, put_str = 0, create = 0, close = 0;
    XlsControlGetDispID("Pos", &pos);
    XlsControlGetDispID("Long", &put_long);
    XlsControlGetDispID("Double", &put_double);
    XlsControlGetDispID("Str", &put_str);
    XlsControlGetDispID("CreateBook", &create);
    XlsControlGetDispID("CloseBook", &close);
    std::u16string wide_path(path, path + std::strlen(path));
    VARIANT args[2] = {};
    args[0].vt = VT_BSTR;
    args[0].bstrVal = wide_path.data();
    if (XlsControlInvoke(control, create, XLINVOKE_METHOD, 1, args, nullptr) != 0) return false;
    char text[16];
    std::u16string wide_text;
    for (int32_t r = 0; r < kRows; ++r) {
        for (int32_t c = 0; c < kColumns; ++c) {
            args[0] = number_variant(c);
            args[1] = number_variant(r);
            VARIANT self{};
            if (XlsControlInvoke(control, pos, XLINVOKE_PROPERTYGET, 2, args, &self) != 0)
                return false;
            XlsControlRelease(self.lVal);
            VARIANT value{};
            int32_t member = put_long;
            if (c < 8) {
                value = number_variant(r * kColumns + c);
            } else if (c < 12) {
                member = put_double;
                value.vt = VT_R8;
                value.dblVal = r * 0.5 + c;
            } else {
                member = put_str;
                const char *narrow = bench::standard_text(text, r, c);
                wide_text.assign(narrow, narrow + std::strlen(narrow));
                value.vt = VT_BSTR;
                value.bstrVal = wide_text.data();
            }
            if (XlsControlInvoke(control, member, XLINVOKE_PROPERTYPUT, 1, &value, nullptr) != 0)
                return false;
        }
    }
    const bool closed = XlsControlInvoke(control, close, XLINVOKE_METHOD, 0, nullptr, nullptr) == 0;
    XlsControlRelease(control);
    return closed;
}

bool fill_styled(int32_t h) {
    for (int32_t r = 0; r < kStyledSide; ++r) {
        for (int32_t c = 0; c < kStyledSide; ++c) {
            if (XM_WriteInt(h, 0, c, r, r + c) != 0) return false;
        }
    }
    return true;
}

bool style_setters(const char *path) {
    int32_t book = 0;
    if (!XlsCreateBook(path, 97, 1, &book)) return false;
    const char *range = POS(0, 0, kStyledSide - 1, kStyledSide - 1);
    // The engine handle of a new book is the first free one: 0 in this process.
    return fill_styled(0) && XlsPutFontColor(xcRed, range) && XlsPutBackColor(xcYellow, range) &&
           XlsPutLineTop(lsNormal, range) && XlsCloseBook(1);
}

bool style_attr2(const char *path) {
    const int32_t h = XM_Create97(path, 1);
    if (h < 0 || !fill_styled(h)) return false;
    XLATTR passes[3];
    for (XLATTR &attr : passes) XM_InitAttr(&attr);
    passes[0].Font = static_cast<int16_t>(XM_FontNo(h, "", -1.0, xcRed, -1, -1));
    passes[1].BackColor = xcYellow;
    passes[2].LineTop = 1;
    for (const XLATTR &attr : passes) {
        for (int32_t r = 0; r < kStyledSide; ++r) {
            for (int32_t c = 0; c < kStyledSide; ++c) {
                if (XM_SetAttr2(h, 0, c, r, &attr) != 0) return false;
            }
        }
    }
    return XM_Close(h) == 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.xls engine|book|control|setters|attr2\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const char *mode = argv[2];
    const bool done = std::strcmp(mode, "engine") == 0    ? write_engine(argv[1])
                      : std::strcmp(mode, "book") == 0    ? write_book(argv[1])
                      : std::strcmp(mode, "control") == 0 ? write_control(argv[1])
                      : std::strcmp(mode, "setters") == 0 ? style_setters(argv[1])
                      : std::strcmp(mode, "attr2") == 0   ? style_attr2(argv[1])
                                                          : false;
    if (!done) {
        std::fprintf(stderr, "%s failed\n", mode);
        return 1;
    }
    const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
    std::printf("%.3f\n", taken.count());
    return 0;
}
