#include "platform/Errors.h"

namespace mv {

EInvalidMetafile::EInvalidMetafile() : TmvError(msg::InvalidMetafile) {}

ERangeError::ERangeError() : TmvError(msg::RangeError) {}

EListError::EListError(long long index)
    : TmvError("Der Index der Liste überschreitet das Maximum (" + std::to_string(index) + ")") {}

EFOpenError::EFOpenError(const std::string& fileName)
    : TmvError("Datei " + fileName + " kann nicht geöffnet werden") {}

EFCreateError::EFCreateError(const std::string& fileName)
    : TmvError("Datei " + fileName + " kann nicht erstellt werden") {}

EOutOfMemory::EOutOfMemory(const std::string& fileName)
    : TmvError("Nicht genügend Arbeitsspeicher für " + fileName) {}

} // namespace mv
