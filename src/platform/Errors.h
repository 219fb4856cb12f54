#pragma once
// Exceptions raised by the conversion and the file layer. Nothing in the
// conversion catches them: they travel to the batch run, which frees what it
// owns and reports the message.

#include <exception>
#include <stdexcept>
#include <string>

namespace mv {

class TmvError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Metadatei ist ungültig" and other defects of an input file.
class EInvalidMetafile : public TmvError {
public:
    EInvalidMetafile();
};

// "Fehler bei Bereichsprüfung": a value that does not fit its integer range.
class ERangeError : public TmvError {
public:
    ERangeError();
};

// "Der Index der Liste überschreitet das Maximum (%d)".
class EListError : public TmvError {
public:
    explicit EListError(long long index);
};

// Input/output failures ("Versuch hinter dem Dateiende zu lesen" and similar).
class EInOutError : public TmvError {
public:
    using TmvError::TmvError;
};

// "Datei %s kann nicht geöffnet werden".
class EFOpenError : public TmvError {
public:
    explicit EFOpenError(const std::string& fileName);
};

// "Datei %s kann nicht erstellt werden".
class EFCreateError : public TmvError {
public:
    explicit EFCreateError(const std::string& fileName);
};

// "Nicht genügend Arbeitsspeicher für %s": memory ran out while the file
// was converted.
class EOutOfMemory : public TmvError {
public:
    explicit EOutOfMemory(const std::string& fileName);
};

// Message texts, in the system's own words (UTF-8 in the source; converted
// where a single-byte code page is needed).
namespace msg {
inline constexpr const char* InvalidMetafile = "Metadatei ist ungültig";
inline constexpr const char* RangeError = "Fehler bei Bereichsprüfung";
inline constexpr const char* ReadPastEnd = "Versuch hinter dem Dateiende zu lesen";
// A metafile on standard input is held in memory whole; larger ones are read from their file.
inline constexpr const char* StandardInputTooLarge =
    "Metadatei auf der Standardeingabe ist größer als 256 MiB; größere Dateien bitte mit ihrem Namen angeben";
// Followed by the face name in quotes.
inline constexpr const char* GlyphTextLeftOut =
    "Text aus Glyphennummern ausgelassen, Schrift nicht installiert: ";
} // namespace msg

// The message of a caught exception: its text, or "Unbekannter Fehler" for
// one that is not a standard exception.
std::string ErrorMessage(const std::exception_ptr& error);

} // namespace mv
