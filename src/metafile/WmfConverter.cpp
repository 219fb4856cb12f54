#include "metafile/WmfConverter.h"

#include "platform/Errors.h"

namespace mv {

std::vector<std::uint8_t> ConvertPlaceableWmf(std::span<const std::uint8_t>) {
    throw TmvError("Platzierbare Windows-Metadateien werden noch nicht unterstützt");
}

} // namespace mv
