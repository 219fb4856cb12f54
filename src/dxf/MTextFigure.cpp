#include "dxf/DXFExport.h"
#include "dxf/Figures.h"

namespace mv {

bool TmvExpDXFMText::IntersectsRect(const TRect&) const { return false; }
void TmvExpDXFMText::Export(TmvDXFExport&) const {}
void TmvExpDXFMText::TrimText(const TRect&, TFigureList&) const {}

} // namespace mv
