// writeWorkbook: the export's calls carried out through the Book API of the library.
#include <optional>

#include "core/files/cp932.h"
#include "core/export/workbook_export.h"
#include "tabrix.h"

namespace labelora {
namespace {

// Texts and file names cross in code page 932, as the narrow calls take them; one that has
// no code page 932 form (an accented folder name, say) goes through the wide call instead.
template <typename Narrow, typename Wide>
std::optional<int32_t> passText(const std::string &utf8, Narrow narrow, Wide wide) {
    if (std::optional<std::string> bytes = utf8ToCp932(utf8)) return narrow(bytes->c_str());
    if (std::optional<std::u16string> units = utf8ToUtf16(utf8)) return wide(units->c_str());
    return std::nullopt;  // not UTF-8: it cannot be named to the library at all
}

int32_t putAt(const BookCall &call) {
    const char *position = POS2(call.column, call.row, call.column, call.row);
    switch (call.kind) {
        case BookCallKind::PutRowHeight:
            return XlsPutRowHeight(call.height, position);
        case BookCallKind::PutColWidth:
            return XlsPutColWidth(call.value, position);
        case BookCallKind::PutBackColor:
            return XlsPutBackColor(call.value, position);
        case BookCallKind::PutFontColor:
            return XlsPutFontColor(call.value, position);
        case BookCallKind::PutLineTop:
            return XlsPutLineTop(call.value, position);
        case BookCallKind::PutLineBottom:
            return XlsPutLineBottom(call.value, position);
        case BookCallKind::PutLineLeft:
            return XlsPutLineLeft(call.value, position);
        case BookCallKind::PutLineRight:
            return XlsPutLineRight(call.value, position);
        default:
            return 0;
    }
}

std::optional<int32_t> carryOut(const BookCall &call) {
    switch (call.kind) {
        case BookCallKind::CreateBook:
            return passText(
                call.text,
                [&](const char *name) {
                    return XlsCreateBook(name, call.value, call.sheetCount, nullptr);
                },
                [&](const char16_t *name) {
                    return XlsCreateBookW(name, call.value, call.sheetCount, nullptr);
                });
        case BookCallKind::PutStr: {
            const std::string position = POS2(call.column, call.row, call.column, call.row);
            return passText(
                call.text, [&](const char *text) { return XlsPutStr(text, position.c_str()); },
                [&](const char16_t *text) {
                    const std::u16string wide(position.begin(), position.end());
                    return XlsPutStrW(text, wide.c_str());
                });
        }
        case BookCallKind::CloseBook:
            return XlsCloseBook(call.value);
        default:
            return putAt(call);
    }
}

WorkbookResult lastError(WorkbookOutcome outcome) {
    WorkbookResult result{outcome, 0, {}};
    XlsGetErrorNo(&result.errorNumber);
    char message[512];
    XlsGetErrorMessage(message, sizeof message);
    result.errorMessage = cp932ToUtf8(message);
    return result;
}

}  // namespace

WorkbookResult writeWorkbook(const std::vector<BookCall> &calls) {
    bool open = false;
    for (const BookCall &call : calls) {
        const bool creating = call.kind == BookCallKind::CreateBook;
        std::optional<int32_t> done = carryOut(call);
        if (done == 1) {
            open = creating || (open && call.kind != BookCallKind::CloseBook);
            continue;
        }
        const WorkbookOutcome failed =
            creating ? WorkbookOutcome::NotCreated : WorkbookOutcome::NotSaved;
        WorkbookResult result =
            done ? lastError(failed) : WorkbookResult{failed, 0, "名前を UTF-8 として読めません"};
        // Closing without saving removes the file the create made.
        if (open && call.kind != BookCallKind::CloseBook) XlsCloseBook(0);
        return result;
    }
    return {};
}

}  // namespace labelora
