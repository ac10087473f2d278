#include "bookapi/books/last_error.h"

#include <atomic>
#include <cstdio>
#include <string_view>

#include "platform/interface_text.h"

namespace tabrix::bookapi {

std::recursive_mutex &book_api_mutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

namespace {

// Read and set by XlsGetErrorNo and XlsSetErrorNo outside the Book API lock.
std::atomic<int32_t> last = 0;

// Each number's Japanese text (its bytes are part of the interface) and its plain English.
struct Message {
    int32_t number;
    std::u16string_view text;
    std::string_view english;
};

constexpr Message kMessages[] = {
    {1, u"ファイルがオープンできません", "cannot open or create file"},
    {2, u"無効なファイルハンドルです", "invalid file handle"},
    {3, u"ファイルがオープンされていません", "no file is open"},
    {4, u"シート No エラー", "sheet number out of range"},
    {5, u"書き込みエラー", "write error"},
    {6, u"動作モードエラー", "operation not allowed in this mode"},
    {7, u"データ種別エラー", "wrong kind of data"},
    {8, u"エラー値です", "cell holds an error value"},
    {20, u"クリアエラー", "cannot clear cells"},
    {21, u"コピーエラー", "cannot copy cells"},
    {22, u"貼り付けエラー", "cannot paste cells"},
    {23, u"挿入エラー", "cannot insert"},
    {24, u"削除エラー", "cannot delete"},
    {31, u"長さエラー", "length out of range"},
    {32, u"座標エラー", "cell position out of range"},
    {33, u"属性番号エラー", "invalid attribute number"},
    {34, u"パラメータエラー", "invalid parameter"},
    {35, u"データがありません", "no data"},
    {36, u"データの終わり", "end of data"},
    {37, u"指定した変数が存在しません", "keyword or name not found"},
    {38, u"改ページ数が制限を越えました", "too many page breaks"},
    {40, u"メモリエラー１", "out of memory"},
    {41, u"メモリエラー２", "out of memory (2)"},
    {50, u"内部エラー", "internal error"},
    {100, u"計算式形式エラー", "malformed formula"},
};

}  // namespace

int32_t record_result(int32_t code) {
    const uint32_t number = static_cast<uint32_t>(-static_cast<int64_t>(code));
    last = number - 100 < 100 ? 100 : static_cast<int32_t>(number);
    return last == 0 ? 1 : 0;
}

int32_t last_error() {
    return last;
}

void set_last_error(int32_t number) {
    last = number;
}

std::string error_message(int32_t number) {
    for (const Message &message : kMessages) {
        if (message.number == number) return platform::utf16_to_narrow(message.text);
    }
    char fallback[64];
    std::snprintf(fallback, sizeof fallback, "%d", number);
    return platform::utf16_to_narrow(u"存在しないエラーです(") + fallback + ")";
}

std::string error_message_en(int32_t number) {
    for (const Message &message : kMessages) {
        if (message.number == number) return std::string(message.english);
    }
    return "unknown error (" + std::to_string(number) + ")";
}

}  // namespace tabrix::bookapi
