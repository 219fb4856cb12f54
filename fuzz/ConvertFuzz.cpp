// Metafile bytes through the whole conversion in memory.

#include "FuzzMain.h"

#include <cstdlib>
#include <cstring>

namespace {
// Until non-finite values are refused by the converter itself,
// MV_FUZZ_ALLOW_NONFINITE=1 lets a run look for the other faults.
bool gAllowNonFinite = false;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* allow = std::getenv("MV_FUZZ_ALLOW_NONFINITE");
    gAllowNonFinite = allow && std::strcmp(allow, "1") == 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return mv::fuzz::Report(mv::fuzz::CheckConversion({data, size}, gAllowNonFinite));
}
