// The white-mask pass against its plain reference.

#include "FuzzMain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return mv::fuzz::Report(mv::fuzz::CheckWhiteMask({data, size}));
}
