/* The English messages as a C caller meets them: every number the Japanese table knows has
 * its own plain ASCII message, every other number the unknown text, and the buffer rule is
 * the Japanese call's. */
#include <stdio.h>
#include <string.h>

#include "tabrix.h"

static int failures;

#define CHECK(condition, ...)                       \
    do {                                            \
        if (!(condition)) {                         \
            fprintf(stderr, "line %d: ", __LINE__); \
            fprintf(stderr, __VA_ARGS__);           \
            fputc('\n', stderr);                    \
            ++failures;                             \
        }                                           \
    } while (0)

static int plain_ascii(const char *text) {
    for (; *text; ++text) {
        if ((unsigned char)*text < 0x20 || (unsigned char)*text > 0x7E) return 0;
    }
    return 1;
}

/* Both calls on one buffer state: equal returns and equal effect on an untouched buffer. */
static void check_rule(int32_t number, int use_buffer, int32_t size) {
    char ja[80], en[80], full[80];
    memset(ja, 'x', sizeof ja);
    memset(en, 'x', sizeof en);
    XlsSetErrorNo(number);
    const int32_t ja_result = XlsGetErrorMessage(use_buffer ? ja : NULL, size);
    const int32_t en_result = XlsGetErrorMessageEn(use_buffer ? en : NULL, size);
    CHECK(ja_result == en_result, "number %d, size %d: returns %d and %d", number, size, ja_result,
          en_result);
    if (!use_buffer) return;
    if (size <= 0) {
        CHECK(en[0] == 'x' && ja[0] == 'x', "size %d: the buffer was written", size);
        return;
    }
    XlsGetErrorMessageEn(full, sizeof full);
    const size_t expected = strlen(full) < (size_t)size - 1 ? strlen(full) : (size_t)size - 1;
    CHECK(strlen(en) == expected && strncmp(en, full, expected) == 0,
          "number %d, size %d: \"%s\" is not \"%s\" cut", number, size, en, full);
    CHECK(en[size] == 'x', "size %d: written past the buffer", size);
    /* Two bytes of room hold a first Japanese character (and its NUL) or none. */
    if (size > 2) {
        CHECK((ja[0] == '\0') == (en[0] == '\0'), "number %d, size %d: one message empty", number,
              size);
    }
}

int main(void) {
    /* The unknown text of each call, from a number no table holds. */
    char unknown_ja[128], ja[256], en[256];
    XlsSetErrorNo(987654);
    XlsGetErrorMessage(unknown_ja, sizeof unknown_ja);
    XlsGetErrorMessageEn(en, sizeof en);
    CHECK(strcmp(en, "unknown error (987654)") == 0, "unknown number: \"%s\"", en);
    /* '(' is never a trail byte of code page 932. */
    const size_t unknown_prefix = strcspn(unknown_ja, "(");
    CHECK(unknown_prefix > 0 && unknown_prefix < strlen(unknown_ja), "Japanese unknown text");

    int known = 0;
    for (int32_t number = 1; number < 1000; ++number) {
        XlsSetErrorNo(number);
        XlsGetErrorMessage(ja, sizeof ja);
        XlsGetErrorMessageEn(en, sizeof en);
        char unknown_en[64];
        snprintf(unknown_en, sizeof unknown_en, "unknown error (%d)", number);
        if (strncmp(ja, unknown_ja, unknown_prefix) != 0) {
            ++known;
            CHECK(en[0] != '\0' && plain_ascii(en), "number %d: \"%s\"", number, en);
            CHECK(strstr(en, "unknown") == NULL, "number %d has no English message", number);
        } else {
            CHECK(strcmp(en, unknown_en) == 0, "number %d: \"%s\"", number, en);
        }
    }
    /* Every named error with a Japanese message was met above (errFileName has none). */
    const int32_t named[] = {errOpen,       errHandle,   errNotOpen,    errSheetNo,   errWrite,
                             errMode,       errDataKind, errErrorValue, errClear,     errCopy,
                             errPaste,      errInsert,   errDelete,     errLength,    errPosition,
                             errAttrNo,     errParam,    errNoData,     errEndOfData, errNoVariable,
                             errPageBreaks, errMemory1,  errMemory2,    errInternal,  errFormula};
    CHECK(known == (int)(sizeof named / sizeof named[0]), "%d numbers have messages", known);
    for (size_t i = 0; i < sizeof named / sizeof named[0]; ++i) {
        XlsSetErrorNo(named[i]);
        XlsGetErrorMessageEn(en, sizeof en);
        CHECK(strstr(en, "unknown") == NULL, "error %d: \"%s\"", named[i], en);
    }
    /* Distinct numbers, distinct words. */
    XlsSetErrorNo(errMemory1);
    XlsGetErrorMessageEn(ja, sizeof ja);
    XlsSetErrorNo(errMemory2);
    XlsGetErrorMessageEn(en, sizeof en);
    CHECK(strcmp(ja, en) != 0, "errMemory1 and errMemory2 read alike");

    const int32_t sizes[] = {-1, 0, 1, 2, 5, 64};
    for (size_t i = 0; i < sizeof sizes / sizeof sizes[0]; ++i) {
        check_rule(errSheetNo, 1, sizes[i]);
        check_rule(0, 1, sizes[i]);
        check_rule(4242, 1, sizes[i]);
        check_rule(errSheetNo, 0, sizes[i]);
    }
    if (failures == 0) puts("English messages: all numbers and the buffer rule hold");
    return failures == 0 ? 0 : 1;
}
