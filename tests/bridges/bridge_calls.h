// The forwarding calls as the companion libraries see them, shared by the probe that makes
// them and the tests that check what arrived.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tabrix::test {

struct BridgeCall {
    std::string_view name;   // the export of libtabrix.so
    std::string_view entry;  // the entry point it must reach
    int arguments;           // how many it takes and passes on
    bool class_call;         // passes the class value 0 instead of its arguments
};

inline constexpr std::array<BridgeCall, 27> bridge_calls{{
    {"ViewCreateWnd", "_ViewCreateWnd", 3, false},
    {"ViewCreateClass", "_ViewCreateClass", 1, true},
    {"ViewReleaseClass", "_ViewReleaseClass", 0, true},
    {"ViewPutZoom", "_ViewPutZoom", 2, false},
    {"ViewPutUrlName", "_ViewPutUrlName", 2, false},
    {"ViewPutModeGrid", "_ViewPutModeGrid", 2, false},
    {"ViewPutContextMenu", "_ViewPutContextMenu", 2, false},
    {"ViewPutOpenEnable", "_ViewPutOpenEnable", 2, false},
    {"ViewPutSaveEnable", "_ViewPutSaveEnable", 2, false},
    {"ViewPutPrintEnable", "_ViewPutPrintEnable", 2, false},
    {"ViewPutSheetNo", "_ViewPutSheetNo", 2, false},
    {"ViewSetPrint", "_ViewSetPrint", 1, false},
    {"ViewPrint", "_ViewPrint", 3, false},
    {"ViewPreView", "_ViewPreView", 5, false},
    {"ConvPutExcelVer", "_ConvPutExcelVer", 1, false},
    {"ConvPutXlsName", "_ConvPutXlsName", 1, false},
    {"ConvPutOldName", "_ConvPutOldName", 1, false},
    {"ConvPutFieldName", "_ConvPutFieldName", 1, false},
    {"ConvPutData", "_ConvPutData", 1, false},
    {"ConvPutKanji", "_ConvPutKanji", 1, false},
    {"ConvPutEndMessage", "_ConvPutEndMessage", 1, false},
    {"ConvGetCount", "_ConvGetCount", 1, false},
    {"ConvStart", "_ConvStart", 0, false},
    {"ConvGetErrorNo", "_ConvGetErrorNo", 1, false},
    {"ConvGetErrorMessage", "_ConvGetErrorMessage", 2, false},
    {"EXCEL_Conv", "__EXCEL_Conv", 1, false},
    {"ConvGetCnt", "_ConvGetCnt", 0, false},
}};

// The probe's arguments: different for every call and position, of both signs, and with the
// extremes of the type, so that a dropped, swapped or narrowed argument shows.
inline int32_t probe_argument(std::size_t call, int position) {
    if (call == 0 && position == 0) return INT32_MIN;
    if (call == 0 && position == 1) return INT32_MAX;
    const auto value = static_cast<int32_t>((call + 1) * 100 + position);
    return position % 2 ? -value : value;
}

}  // namespace tabrix::test
