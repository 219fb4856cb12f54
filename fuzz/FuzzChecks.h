#pragma once
// What the fuzz targets check, shared with the test that replays the inputs
// the fuzzers once found. Each check takes the bytes of one input and returns
// a description of what went wrong, or an empty string. Errors that the
// converter raises for bad input (its own messages) are no finding; any other
// exception, a broken file or a difference between two passes is.

#include <cstdint>
#include <span>
#include <string>

namespace mv::fuzz {

// The first byte chooses the switches (white masking, R14, 0.01 mm, black as
// 250, a pen width ratio, the classic mode); the rest is an EMF or placeable WMF file. A
// converted drawing must end with the EOF group, and its real-valued groups
// must hold finite numbers.
std::string CheckConversion(std::span<const std::uint8_t> data);

// The bytes as a metafile: the white-mask pass over its figures must give the
// same DXF file as the plain reference pass, byte for byte.
std::string CheckWhiteMask(std::span<const std::uint8_t> data);

// The bytes as a project file: what reads must encode to bytes that read
// back to the same project, and encode again to the same bytes.
std::string CheckProjectRoundTrip(std::span<const std::uint8_t> data);

// The structural check of a DXF text alone (used by CheckConversion).
std::string CheckDxfText(const std::string& dxf);

} // namespace mv::fuzz
