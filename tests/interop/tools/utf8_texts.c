/* Narrow texts in UTF-8 through every family, from a UTF-8 source:
 *
 *   utf8_texts DIR
 *
 * Writes into DIR, after XlsSetCodePage(65001): "請求書 é.xls" (Book API, Excel 97),
 * "雛形.xls" (a template with keyword cells) and "記入 ß.xls" filled from it, "engine
 * 🧪.xls" (engine calls); then, in code page 932 again, "shift_jis.xls" with the first Japanese
 * text. What reads back is checked here; the caller checks the files with independent readers.
 * Prints the two forms of one error message as "NAME=HEX" lines. Exit status 1 when a check
 * failed, each failure named on stderr. */
#include <stdio.h>
#include <string.h>

#include "tabrix.h"

static const char kInvoice[] = "請求書の合計";
static const char kInvoiceCp932[] = "\x90\xBF\x8B\x81\x8F\x91\x82\xCC\x8D\x87\x8C\x76";
static const char kLatin[] = "Grüße, café ß";
static const char kEmoji[] = "ラベル 🧪";

static int failures = 0;

#define CHECK(condition)                                                           \
    do {                                                                           \
        if (!(condition)) {                                                        \
            fprintf(stderr, "%s:%d: %s failed\n", __FILE__, __LINE__, #condition); \
            ++failures;                                                            \
        }                                                                          \
    } while (0)

static void path_in(char *out, size_t size, const char *folder, const char *name) {
    snprintf(out, size, "%s/%s", folder, name);
}

static void print_hex(const char *name, const char *text) {
    printf("%s=", name);
    for (const unsigned char *p = (const unsigned char *)text; *p; ++p) printf("%02x", *p);
    printf("\n");
}

/* Book API: texts, a sheet name, a format, font names, a formula, a header, read back. */
static void book_api(const char *folder) {
    char path[1024];
    char text[256];
    int32_t book = 0;
    path_in(path, sizeof path, folder, "請求書 é.xls");
    CHECK(XlsCreateBook(path, 97, 1, &book));
    CHECK(XlsPutSheetName("売上€"));
    CHECK(XlsPutStr(kInvoice, "A1"));
    CHECK(XlsPutStr(kLatin, "A2"));
    CHECK(XlsPutStr(kEmoji, "A3"));
    CHECK(XlsPutDouble(1234.5, "B1"));
    CHECK(XlsPutFormat("[赤]#,##0.00\" €\"", "B1"));
    CHECK(XlsPutStr("明朝", "C1"));
    CHECK(XlsPutFontName("ＭＳ 明朝", "C1"));
    CHECK(XlsPutStr("Ü", "C2"));
    CHECK(XlsPutFontName("Ümlaut Serif", "C2"));
    CHECK(XlsPutFunc("=\"合計€\"&\"ß\"", "", "D1"));
    CHECK(XlsSetHeader("左€", NULL, NULL));
    CHECK(XlsCloseBook(1));

    CHECK(XlsReadBook(path, &book));
    CHECK(XlsGetStr(text, sizeof text, "A1") && strcmp(text, kInvoice) == 0);
    CHECK(XlsGetStr(text, sizeof text, "A2") && strcmp(text, kLatin) == 0);
    CHECK(XlsGetStr(text, sizeof text, "A3") && strcmp(text, kEmoji) == 0);
    /* Five bytes hold one three-byte character and the NUL, never a part of the second. */
    CHECK(XlsGetStr(text, 5, "A1") && strcmp(text, "請") == 0);
    CHECK(XlsGetSheetName(0, text, sizeof text) && strcmp(text, "売上€") == 0);
    CHECK(XlsCloseBook(0));
}

/* Keywords: a template written in UTF-8, filled at its keyword cells and beside one. */
static void keywords(const char *folder) {
    char template_path[1024];
    char path[1024];
    int32_t book = 0;
    path_in(template_path, sizeof template_path, folder, "雛形.xls");
    path_in(path, sizeof path, folder, "記入 ß.xls");
    CHECK(XlsCreateBook(template_path, 97, 1, &book));
    CHECK(XlsPutStr("**金額", "A1"));
    CHECK(XlsPutStr("**名前", "A2"));
    CHECK(XlsCloseBook(1));

    CHECK(XlsOpenBook(path, template_path, &book));
    CHECK(XlsPutLong(5, "**金額"));
    CHECK(XlsPutStr("山田 José", "**名前"));
    CHECK(XlsPutStr("円", CELL("**金額", 1, 0)));
    CHECK(XlsCloseBook(1));
}

/* Engine calls: file and sheet name, text, format, font, formula, read back; Excel 95
 * refuses what its code page cannot hold instead of writing "?". */
static void engine(const char *folder) {
    char path[1024];
    char text[64];
    int32_t kind = 0;
    double value = 0;
    path_in(path, sizeof path, folder, "engine 🧪.xls");
    int32_t h = XM_Create97(path, 1);
    CHECK(h >= 0);
    CHECK(XM_SheetName(h, 0, "データ é") == 0);
    const int32_t format = XM_FmtNo(h, "#,##0 \"€\"");
    const int32_t font = XM_FontNo(h, "Ümlaut Serif", 12.0, 0, 0, 0);
    CHECK(format >= 176 && font > 0);
    XLATTR attr;
    XM_InitAttr(&attr);
    attr.Format = (int16_t)format;
    attr.Font = (int16_t)font;
    CHECK(XM_WriteStr(h, 0, 0, 0, "naïve 日本") == 0);
    CHECK(XM_WriteDouble2(h, 0, 1, 0, 12.5, -XM_GetAttrNo2(h, &attr)) == 0);
    CHECK(XM_WriteFunc(h, 0, 0, 1, "=\"€\"&\"円\"") == 0);
    CHECK(XM_Close(h) == 0);

    h = XM_ReadOpen(path);
    CHECK(h >= 0);
    CHECK(XM_Read(h, 0, 0, 0, &kind, &value, text, sizeof text) == 0 && kind == 1 &&
          strcmp(text, "naïve 日本") == 0);
    /* Nine bytes: "naïve " is seven, "日" three more would not fit with the NUL. */
    CHECK(XM_Read(h, 0, 0, 0, &kind, &value, text, 9) == 0 && strcmp(text, "naïve ") == 0);
    CHECK(XM_GetSheetName(h, 0, text) == 0 && strcmp(text, "データ é") == 0);
    CHECK(XM_ReadClose(h) == 0);

    path_in(path, sizeof path, folder, "excel95.xls");
    h = XM_Create(path, 1);
    CHECK(h >= 0);
    CHECK(XM_WriteStr(h, 0, 0, 0, kInvoice) == 0);
    CHECK(XM_WriteStr(h, 0, 0, 1, "café") == -34);
    CHECK(XM_SheetName(h, 0, "é") == -34);
    CHECK(XM_FontNo(h, "Ümlaut Serif", 12.0, 0, 0, 0) == -31);
    CHECK(XM_FmtNo(h, "0 €") == -31);
    CHECK(XM_Cancel(h) == 0);
}

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: utf8_texts DIR\n");
        return 2;
    }
    CHECK(XlsSetCodePage(1252) == -1);
    CHECK(XlsSetCodePage(65001) == 932);
    book_api(argv[1]);
    keywords(argv[1]);
    engine(argv[1]);

    /* The last error's message in both code pages, for the caller to compare. */
    char message[256];
    CHECK(XlsSheetNo(99) == 0);
    XlsGetErrorMessage(message, sizeof message);
    print_hex("message_utf8", message);
    CHECK(XlsSetCodePage(932) == 65001);
    XlsGetErrorMessage(message, sizeof message);
    print_hex("message_cp932", message);

    /* The same first text in code page 932 mode, as before. */
    char path[1024];
    int32_t book = 0;
    path_in(path, sizeof path, argv[1], "shift_jis.xls");
    CHECK(XlsCreateBook(path, 97, 1, &book));
    CHECK(XlsPutStr(kInvoiceCp932, "A1"));
    CHECK(XlsCloseBook(1));
    return failures ? 1 : 0;
}
