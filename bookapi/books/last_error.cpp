#include "bookapi/books/last_error.h"

#include <atomic>
#include <cstdio>
#include <string_view>

#include "platform/codepage.h"

namespace tabrix::bookapi {

std::recursive_mutex &book_api_mutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

namespace {

// Read and set by XlsGetErrorNo and XlsSetErrorNo outside the Book API lock.
std::atomic<int32_t> last = 0;

struct Message {
    int32_t number;
    std::u16string_view text;
};

constexpr Message kMessages[] = {
    {1, u"ファイルがオープンできません"},
    {2, u"無効なファイルハンドルです"},
    {3, u"ファイルがオープンされていません"},
    {4, u"シート No エラー"},
    {5, u"書き込みエラー"},
    {6, u"動作モードエラー"},
    {7, u"データ種別エラー"},
    {8, u"エラー値です"},
    {20, u"クリアエラー"},
    {21, u"コピーエラー"},
    {22, u"貼り付けエラー"},
    {23, u"挿入エラー"},
    {24, u"削除エラー"},
    {31, u"長さエラー"},
    {32, u"座標エラー"},
    {33, u"属性番号エラー"},
    {34, u"パラメータエラー"},
    {35, u"データがありません"},
    {36, u"データの終わり"},
    {37, u"指定した変数が存在しません"},
    {38, u"改ページ数が制限を越えました"},
    {40, u"メモリエラー１"},
    {41, u"メモリエラー２"},
    {50, u"内部エラー"},
    {100, u"計算式形式エラー"},
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
        if (message.number == number) return platform::utf16_to_cp932(message.text);
    }
    char fallback[64];
    std::snprintf(fallback, sizeof fallback, "%d", number);
    return platform::utf16_to_cp932(u"存在しないエラーです(") + fallback + ")";
}

}  // namespace tabrix::bookapi
