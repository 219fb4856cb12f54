#include "dxf/FigureCollector.h"

namespace mv {

template <class F, class... Args> void TFigureCollector::Append(Args&&... args) {
    auto figure = std::make_unique<F>(std::forward<Args>(args)...);
    figure->Layer = layerName_;
    figures_.push_back(std::move(figure));
}

void TFigureCollector::AddPixel(const TdxfExportData& data) {
    Append<TmvExpDXFPixel>(data);
}
void TFigureCollector::AddLine(const TdxfExportData& data) {
    Append<TmvExpDXFLine>(data);
}
void TFigureCollector::AddRectangle(const TdxfExportData& data) {
    Append<TmvExpDXFRectangle>(data);
}
void TFigureCollector::AddHatch(const TdxfExportData& data) {
    Append<TmvExpDXFHatch>(data);
}
void TFigureCollector::AddPolyline(const TdxfExportData& data, int index) {
    Append<TmvExpDXFPolyline>(data, index);
}
void TFigureCollector::AddPolyBezier(const TdxfExportData& data, int index) {
    Append<TmvExpDXFPolyBezier>(data, index);
}
void TFigureCollector::AddCircle(const TdxfExportData& data) {
    Append<TmvExpDXFEllipse>(data, false);
}
void TFigureCollector::AddEllipse(const TdxfExportData& data) {
    Append<TmvExpDXFEllipse>(data, true);
}
void TFigureCollector::AddArc(const TdxfExportData& data) {
    Append<TmvExpDXFArc>(data);
}
void TFigureCollector::AddMText(const TdxfExportData& data) {
    Append<TmvExpDXFMText>(data);
}

} // namespace mv
