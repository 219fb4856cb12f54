#pragma once
// Conversion in memory: the bytes of one metafile in, the bytes of its DXF
// file out. Shared by the Python module, the tests and the fuzz targets; the
// result is byte for byte what the batch run writes for the same switches.

#include "app/BatchRun.h"

#include <cstdint>
#include <span>
#include <string>

namespace mv {

// An enhanced metafile or a placeable WMF, converted with the switches.
// Raises the conversion's own errors (EInvalidMetafile and the others).
std::string ConvertBytes(std::span<const std::uint8_t> bytes, const TBatchOptions& options);

} // namespace mv
