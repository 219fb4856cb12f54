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

std::string ErrorMessage(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unbekannter Fehler";
    }
}

EOutOfMemory::EOutOfMemory(const std::string& fileName)
    : TmvError("Nicht genügend Arbeitsspeicher für " + fileName) {}

} // namespace mv
