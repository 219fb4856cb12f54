// Metafile bytes through the whole conversion in memory.

#include "FuzzMain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return mv::fuzz::Report(mv::fuzz::CheckConversion({data, size}));
}
