// The project file reader, with an encode and decode round trip.

#include "FuzzMain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return mv::fuzz::Report(mv::fuzz::CheckProjectRoundTrip({data, size}));
}
