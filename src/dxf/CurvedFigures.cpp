#include "dxf/DXFExport.h"
#include "dxf/Figures.h"

namespace mv {

// Placeholder bodies; the curved entities are written in a later step.
void TmvExpDXFPolyBezier::Export(TmvDXFExport& exporter) const { TmvExpDXFPolyline::Export(exporter); }
void TmvExpDXFEllipse::SplitIntoLines(TFigureList&) const {}
bool TmvExpDXFEllipse::IntersectsRect(const TRect&) const { return false; }
void TmvExpDXFEllipse::Export(TmvDXFExport&) const {}
void TmvExpDXFArc::SplitIntoLines(TFigureList&) const {}
bool TmvExpDXFArc::IntersectsRect(const TRect&) const { return false; }
void TmvExpDXFArc::Export(TmvDXFExport&) const {}

} // namespace mv
