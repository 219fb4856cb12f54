#pragma once
// Placeable Windows metafiles turned into enhanced metafile records.

#include <cstdint>
#include <span>
#include <vector>

namespace mv {

// Converts the bytes of a placeable WMF (22-byte header with a valid
// checksum) into the bytes of an equivalent enhanced metafile. Raises
// EInvalidMetafile for a defective file.
std::vector<std::uint8_t> ConvertPlaceableWmf(std::span<const std::uint8_t> file);

} // namespace mv
