// The Conv* calls; the converter library is found by the dynamic linker's search.
#include "bridges/forwarding.h"
#include "tabrix/bridges.h"

namespace tabrix::bridges {
namespace {

void *load_converter() {
    return platform::load_module(platform::module_file_name("convbrix"));
}

constinit platform::LazyModule converter(load_converter);

}  // namespace
}  // namespace tabrix::bridges

using tabrix::bridges::converter;

// clang-format off
TABRIX_BRIDGE(converter, ConvPutExcelVer,     "_ConvPutExcelVer",     1)
TABRIX_BRIDGE(converter, ConvPutXlsName,      "_ConvPutXlsName",      1)
TABRIX_BRIDGE(converter, ConvPutOldName,      "_ConvPutOldName",      1)
TABRIX_BRIDGE(converter, ConvPutFieldName,    "_ConvPutFieldName",    1)
TABRIX_BRIDGE(converter, ConvPutData,         "_ConvPutData",         1)
TABRIX_BRIDGE(converter, ConvPutKanji,        "_ConvPutKanji",        1)
TABRIX_BRIDGE(converter, ConvPutEndMessage,   "_ConvPutEndMessage",   1)
TABRIX_BRIDGE(converter, ConvGetCount,        "_ConvGetCount",        1)
TABRIX_BRIDGE(converter, ConvStart,           "_ConvStart",           0)
TABRIX_BRIDGE(converter, ConvGetErrorNo,      "_ConvGetErrorNo",      1)
TABRIX_BRIDGE(converter, ConvGetErrorMessage, "_ConvGetErrorMessage", 2)
TABRIX_BRIDGE(converter, EXCEL_Conv,          "__EXCEL_Conv",         1)
TABRIX_BRIDGE(converter, ConvGetCnt,          "_ConvGetCnt",          0)
// clang-format on
