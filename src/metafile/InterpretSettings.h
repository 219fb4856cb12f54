#pragma once
// The interpreter's conversion settings: one plain value, handed to the
// interpreter whole, so that a front end sets them in one place.

#include "platform/TextMeasure.h"

#include <functional>
#include <string>

namespace mv {

struct TInterpretSettings {
    // Black as colour number 250 instead of 7.
    bool AlternativeBlack = false;
    // The reduced interpretation of earlier versions: the basic records only,
    // in logical units. Off, the picture is drawn as it shows.
    bool Classic = false;
    // Bitmaps become image figures (not in the classic interpretation).
    bool Images = true;
    // Told, once each, what the drawing leaves out of the picture (a line of
    // text); none = nobody is told.
    std::function<void(const std::string& message)> OnWarning;
    // Text measurement; none = the platform's default. Not owned.
    ITextMeasure* TextMeasure = nullptr;

    ITextMeasure& Measure() const { return TextMeasure ? *TextMeasure : DefaultTextMeasure(); }
};

} // namespace mv
