#pragma once
// Placeable Windows metafiles turned into enhanced metafile records.

#include <cstdint>
#include <span>
#include <vector>

namespace mv {

struct TLoadOptions;

// Converts the bytes of a placeable WMF (22-byte header with a valid
// checksum) into the bytes of an equivalent enhanced metafile. Raises
// EInvalidMetafile for a defective file. Texts and face names are decoded
// with their font's character set; classic reads every font but a symbol
// font as Windows-1252.
std::vector<std::uint8_t> ConvertPlaceableWmf(std::span<const std::uint8_t> file,
                                              const TLoadOptions& options);

} // namespace mv
