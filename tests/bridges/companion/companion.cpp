// A stand-in for a companion library: every entry point appends its name, its arguments and
// its result to the file named by TABRIX_TEST_CALL_LOG, and returns a value made from its
// name and arguments (so every call and argument list has a result of its own).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace {

int32_t record(const char *entry, std::initializer_list<int32_t> arguments) {
    uint32_t result = 2166136261u;
    for (const char *c = entry; *c; ++c) result = (result ^ static_cast<uint8_t>(*c)) * 16777619u;
    for (const int32_t argument : arguments) {
        result = (result ^ static_cast<uint32_t>(argument)) * 16777619u;
    }
    const char *log_name = std::getenv("TABRIX_TEST_CALL_LOG");
    if (FILE *log = log_name ? std::fopen(log_name, "a") : nullptr) {
        std::fprintf(log, "%s", entry);
        for (const int32_t argument : arguments) std::fprintf(log, " %d", argument);
        std::fprintf(log, " = %d\n", static_cast<int32_t>(result));
        std::fclose(log);
    }
    return static_cast<int32_t>(result);
}

}  // namespace

#define ENTRY_API extern "C" __attribute__((visibility("default"))) int32_t
#define ENTRY0(name)              \
    ENTRY_API name() {            \
        return record(#name, {}); \
    }
#define ENTRY1(name)               \
    ENTRY_API name(int32_t a) {    \
        return record(#name, {a}); \
    }
#define ENTRY2(name)                       \
    ENTRY_API name(int32_t a, int32_t b) { \
        return record(#name, {a, b});      \
    }
#define ENTRY3(name)                                  \
    ENTRY_API name(int32_t a, int32_t b, int32_t c) { \
        return record(#name, {a, b, c});              \
    }
#define ENTRY5(name)                                                        \
    ENTRY_API name(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) { \
        return record(#name, {a, b, c, d, e});                              \
    }

#if defined(COMPANION_VIEWER)
ENTRY3(_ViewCreateWnd)
ENTRY1(_ViewCreateClass)
ENTRY1(_ViewReleaseClass)
ENTRY2(_ViewPutZoom)
ENTRY2(_ViewPutUrlName)
ENTRY2(_ViewPutModeGrid)
ENTRY2(_ViewPutContextMenu)
ENTRY2(_ViewPutOpenEnable)
ENTRY2(_ViewPutSaveEnable)
ENTRY2(_ViewPutPrintEnable)
ENTRY2(_ViewPutSheetNo)
ENTRY1(_ViewSetPrint)
ENTRY3(_ViewPrint)
ENTRY5(_ViewPreView)
#elif defined(COMPANION_CONVERTER)
ENTRY1(_ConvPutExcelVer)
ENTRY1(_ConvPutXlsName)
ENTRY1(_ConvPutOldName)
ENTRY1(_ConvPutFieldName)
ENTRY1(_ConvPutData)
ENTRY1(_ConvPutKanji)
ENTRY1(_ConvPutEndMessage)
ENTRY1(_ConvGetCount)
ENTRY0(_ConvStart)
ENTRY1(_ConvGetErrorNo)
ENTRY2(_ConvGetErrorMessage)
ENTRY1(__EXCEL_Conv)
ENTRY0(_ConvGetCnt)
#else
// A library without any of the entry points.
ENTRY0(companion_without_entries)
#endif
