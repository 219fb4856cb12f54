#include "dxf/DXFExport.h"
#include "dxf/Figures.h"

namespace mv {

TmvExpDXFHatch::TmvExpDXFHatch(const TdxfExportData& data) : TmvExpDXFFigure(data) {}
void TmvExpDXFHatch::Export(TmvDXFExport&) const {}

} // namespace mv
