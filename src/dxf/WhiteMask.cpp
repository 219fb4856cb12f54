#include "dxf/WhiteMask.h"

namespace mv {

void ApplyWhiteMasks(TFigureList&) {}

} // namespace mv
