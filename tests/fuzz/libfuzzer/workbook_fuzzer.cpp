// libFuzzer's entry: each input is one option byte and a workbook stream.
#include <cstddef>
#include <cstdint>

#include "workbook_fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    tabrix::engine::fuzz::fuzz_workbook_stream(data, size);
    return 0;
}
