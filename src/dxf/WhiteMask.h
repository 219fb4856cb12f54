#pragma once
// White area masking: white solid rectangles hide what was drawn before them.

#include "dxf/Figures.h"

namespace mv {

// Rewrites the figure list: every white solid rectangle becomes a mask that
// cuts or trims the figures before it, and is then removed.
void ApplyWhiteMasks(TFigureList& figures);

} // namespace mv
