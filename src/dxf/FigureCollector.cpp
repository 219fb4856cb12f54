#include "dxf/FigureCollector.h"

#include "image/PngCodec.h"
#include "platform/Errors.h"

#include <cmath>

namespace mv {

namespace {

bool IsFinite(const TdxfPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Every real value of the description; a new real field belongs here too
// (a hatch's pattern spacing falls back to the fixed one instead).
void RequireFinite(const TdxfFigureFields& d) {
    for (float v :
         {d.PenWidth, d.Rotation, d.ConstWidth, d.Radius, d.TextWidth, d.StartAngle, d.EndAngle, d.Height})
        if (!std::isfinite(v)) throw ERangeError();
    if (!IsFinite(d.Point1) || !IsFinite(d.Point2)) throw ERangeError();
}

void RequireFinite(const TdxfPointList& list) {
    for (const TdxfPoint& p : list)
        if (!IsFinite(p)) throw ERangeError();
}

// The description and the one point list a polyline takes its vertices from.
void RequireFinite(const TdxfExportData& d, int index) {
    RequireFinite(d);
    if (index >= 0 && static_cast<std::size_t>(index) < d.Points.size())
        RequireFinite(d.Points[static_cast<std::size_t>(index)]);
}

void RequireFinite(const TdxfImageData& image) {
    if (!IsFinite(image.Origin) || !IsFinite(image.U) || !IsFinite(image.V)) throw ERangeError();
}

} // namespace

template <class F, class... Args> void TFigureCollector::Append(Args&&... args) {
    if (consumer_) {
        F figure(std::forward<Args>(args)...);
        if (figure.DrawsNothing()) return;
        figure.Layer = layerName_;
        consumer_(figure);
        return;
    }
    auto figure = std::make_unique<F>(std::forward<Args>(args)...);
    if (figure->DrawsNothing()) return;
    figure->Layer = layerName_;
    figures_.push_back(std::move(figure));
}

void TFigureCollector::AddPixel(const TdxfExportData& data) {
    RequireFinite(data);
    Append<TmvExpDXFPixel>(data);
}
void TFigureCollector::AddLine(const TdxfExportData& data) {
    RequireFinite(data);
    Append<TmvExpDXFLine>(data);
}
void TFigureCollector::AddRectangle(const TdxfExportData& data) {
    RequireFinite(data);
    Append<TmvExpDXFRectangle>(data);
}
void TFigureCollector::AddHatch(const TdxfExportData& data) {
    RequireFinite(data);
    for (const TdxfPointList& list : data.Points)
        RequireFinite(list);
    Append<TmvExpDXFHatch>(data);
}
void TFigureCollector::AddPolyline(const TdxfExportData& data, int index) {
    RequireFinite(data, index);
    Append<TmvExpDXFPolyline>(data, index);
}
void TFigureCollector::AddPolyBezier(const TdxfExportData& data, int index) {
    RequireFinite(data, index);
    Append<TmvExpDXFPolyBezier>(data, index);
}
void TFigureCollector::AddCircle(const TdxfExportData& data) {
    RequireFinite(data);
    Append<TmvExpDXFEllipse>(data, false);
}
void TFigureCollector::AddEllipse(const TdxfExportData& data) {
    RequireFinite(data);
    Append<TmvExpDXFEllipse>(data, true);
}
void TFigureCollector::AddArc(const TdxfExportData& data) {
    RequireFinite(data);
    Append<TmvExpDXFArc>(data);
}
void TFigureCollector::AddMText(const TdxfExportData& data) {
    RequireFinite(data);
    Append<TmvExpDXFMText>(data);
}

void TFigureCollector::AddImage(const TdxfImageData& image) {
    RequireFinite(image);
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

void TFigureCollector::AddImageFile(const TdxfImageData& image, std::size_t fileId, std::int32_t defHandle) {
    RequireFinite(image);
    Append<TmvExpDXFImage>(image, fileId, defHandle);
}

} // namespace mv
