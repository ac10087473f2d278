// BIFF record numbers the engine writes.
#pragma once

#include <cstdint>

namespace tabrix::engine::rec {

inline constexpr uint16_t kFormula = 0x0006;
inline constexpr uint16_t kEof = 0x000A;
inline constexpr uint16_t kCalcCount = 0x000C;
inline constexpr uint16_t kCalcMode = 0x000D;
inline constexpr uint16_t kPrecision = 0x000E;
inline constexpr uint16_t kRefMode = 0x000F;
inline constexpr uint16_t kDelta = 0x0010;
inline constexpr uint16_t kIteration = 0x0011;
inline constexpr uint16_t kProtect = 0x0012;
inline constexpr uint16_t kPassword = 0x0013;
inline constexpr uint16_t kHeader = 0x0014;
inline constexpr uint16_t kFooter = 0x0015;
inline constexpr uint16_t kExternCount = 0x0016;
inline constexpr uint16_t kExternSheet = 0x0017;
inline constexpr uint16_t kName = 0x0018;
inline constexpr uint16_t kWindowProtect = 0x0019;
inline constexpr uint16_t kVerticalPageBreaks = 0x001A;
inline constexpr uint16_t kHorizontalPageBreaks = 0x001B;
inline constexpr uint16_t kSelection = 0x001D;
inline constexpr uint16_t k1904 = 0x0022;
inline constexpr uint16_t kLeftMargin = 0x0026;
inline constexpr uint16_t kRightMargin = 0x0027;
inline constexpr uint16_t kTopMargin = 0x0028;
inline constexpr uint16_t kBottomMargin = 0x0029;
inline constexpr uint16_t kPrintHeaders = 0x002A;
inline constexpr uint16_t kPrintGridlines = 0x002B;
inline constexpr uint16_t kFont = 0x0031;
inline constexpr uint16_t kContinue = 0x003C;
inline constexpr uint16_t kWindow1 = 0x003D;
inline constexpr uint16_t kBackup = 0x0040;
inline constexpr uint16_t kPane = 0x0041;
inline constexpr uint16_t kCodePage = 0x0042;
inline constexpr uint16_t kDefColWidth = 0x0055;
inline constexpr uint16_t kWriteAccess = 0x005C;
inline constexpr uint16_t kSaveRecalc = 0x005F;
inline constexpr uint16_t kColInfo = 0x007D;
inline constexpr uint16_t kGuts = 0x0080;
inline constexpr uint16_t kWsBool = 0x0081;
inline constexpr uint16_t kGridSet = 0x0082;
inline constexpr uint16_t kHCenter = 0x0083;
inline constexpr uint16_t kVCenter = 0x0084;
inline constexpr uint16_t kBoundSheet = 0x0085;
inline constexpr uint16_t kCountry = 0x008C;
inline constexpr uint16_t kHideObj = 0x008D;
inline constexpr uint16_t kFnGroupCount = 0x009C;
inline constexpr uint16_t kStandardWidth = 0x0099;
inline constexpr uint16_t kScl = 0x00A0;
inline constexpr uint16_t kSetup = 0x00A1;
inline constexpr uint16_t kToolbarInfo = 0x00A4;
inline constexpr uint16_t kGcw = 0x00AB;
inline constexpr uint16_t kMulRk = 0x00BD;
inline constexpr uint16_t kMulBlank = 0x00BE;
inline constexpr uint16_t kToolbarHdr = 0x00BF;
inline constexpr uint16_t kToolbarEnd = 0x00C0;
inline constexpr uint16_t kMms = 0x00C1;
inline constexpr uint16_t kDbCell = 0x00D7;
inline constexpr uint16_t kBookBool = 0x00DA;
inline constexpr uint16_t kXf = 0x00E0;
inline constexpr uint16_t kInterfaceHdr = 0x00E1;
inline constexpr uint16_t kInterfaceEnd = 0x00E2;
inline constexpr uint16_t kMergedCells = 0x00E5;
inline constexpr uint16_t kTabIdConf = 0x00EA;
inline constexpr uint16_t kPhonetic = 0x00EF;
inline constexpr uint16_t kSst = 0x00FC;
inline constexpr uint16_t kLabelSst = 0x00FD;
inline constexpr uint16_t kExtSst = 0x00FF;
inline constexpr uint16_t kTabId = 0x013D;
inline constexpr uint16_t kUsesElfs = 0x0160;
inline constexpr uint16_t kDsf = 0x0161;
inline constexpr uint16_t kSupBook = 0x01AE;
inline constexpr uint16_t kProt4Rev = 0x01AF;
inline constexpr uint16_t kRefreshAll = 0x01B7;
inline constexpr uint16_t kCodeName = 0x01BA;
inline constexpr uint16_t kProt4RevPass = 0x01BC;
inline constexpr uint16_t kRecalcId = 0x01C1;
inline constexpr uint16_t kDimensions = 0x0200;
inline constexpr uint16_t kBlank = 0x0201;
inline constexpr uint16_t kNumber = 0x0203;
inline constexpr uint16_t kLabel = 0x0204;
inline constexpr uint16_t kString = 0x0207;
inline constexpr uint16_t kRow = 0x0208;
inline constexpr uint16_t kIndex = 0x020B;
inline constexpr uint16_t kDefaultRowHeight = 0x0225;
inline constexpr uint16_t kWindow2 = 0x023E;
inline constexpr uint16_t kRk = 0x027E;
inline constexpr uint16_t kStyle = 0x0293;
inline constexpr uint16_t kFormat = 0x041E;
inline constexpr uint16_t kBof = 0x0809;

}  // namespace tabrix::engine::rec
