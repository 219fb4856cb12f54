#pragma once
// Little-endian values read from metafile bytes. Callers check the bounds.

#include <cstddef>
#include <cstdint>
#include <span>

namespace mv {

inline std::uint16_t LE16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

inline std::uint32_t LE32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(LE16(b, at)) | static_cast<std::uint32_t>(LE16(b, at + 2)) << 16;
}

} // namespace mv
