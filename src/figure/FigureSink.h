#pragma once
// IFigureSink: what the metafile interpreter asks of whoever receives its
// figures. The DXF exporter is one; the preview keeps the figures only, and
// tests record the calls.

#include "figure/ExportData.h"
#include "figure/ImageData.h"

#include <span>
#include <string_view>

namespace mv {

class IFigureSink {
public:
    virtual ~IFigureSink() = default;

    // One figure each, made from the description; its point lists are valid
    // only during the call, so a sink copies what it keeps.
    virtual void AddPixel(const TdxfExportData& data) = 0;
    virtual void AddLine(const TdxfExportData& data) = 0;
    virtual void AddRectangle(const TdxfExportData& data) = 0;
    virtual void AddHatch(const TdxfExportData& data) = 0;
    // index: the point list of data.Points that holds the vertices.
    virtual void AddPolyline(const TdxfExportData& data, int index) = 0;
    virtual void AddPolyBezier(const TdxfExportData& data, int index) = 0;
    virtual void AddCircle(const TdxfExportData& data) = 0;
    virtual void AddEllipse(const TdxfExportData& data) = 0;
    virtual void AddArc(const TdxfExportData& data) = 0;
    virtual void AddMText(const TdxfExportData& data) = 0;
    // A bitmap; its pixels are valid only during the call.
    virtual void AddImage(const TdxfImageData& image) = 0;

    // A line type that figures name in their Text, given once per drawing
    // before the first figure that uses it: the dash lengths up to index last.
    virtual void AddLineType(std::string_view name, std::span<const float> lengths, int last) = 0;
};

} // namespace mv
