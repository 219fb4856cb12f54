#include "dxf/FigureCollector.h"

#include "image/PngCodec.h"

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

void TFigureCollector::AddImage(const TdxfImageData& image) {
    auto figure = std::make_unique<TmvExpDXFImage>(image, 0);
    if (image.Pixels) {
        figure->Pixels = std::make_shared<const TRgbaImage>(*image.Pixels);
    } else if (image.Embedded && image.Embedded->Kind == TEmbeddedKind::Png) {
        TRgbaImage decoded = ReadPng(image.Embedded->Bytes);
        if (!decoded.Empty()) figure->Pixels = std::make_shared<const TRgbaImage>(std::move(decoded));
    }
    figure->Layer = layerName_;
    figures_.push_back(std::move(figure));
}

void TFigureCollector::AddImageFile(const TdxfImageData& image, std::size_t fileId) {
    Append<TmvExpDXFImage>(image, fileId);
}

} // namespace mv
