#pragma once
// TGroupWriter: appends DXF groups, a code line and a value line each, to one
// line list, and gives out handles from the document's counter. The exporter
// hands one to every figure it writes, so a figure can write groups and
// nothing else; line types and layers are written through one as well.
//
// A measuring writer writes no text at all: it only gives out handles and
// widens the extents, exactly as the entity writer would. The exporter lets
// every figure write through one first, so that the head, which comes
// before the entities in the file, knows the handle seed and the limits.

#include "dxf/ExportSettings.h"
#include "dxf/LineList.h"
#include "figure/ExportData.h"

#include <cstdint>
#include <string_view>

namespace mv {

// The drawing extents: they start at the origin and only ever grow.
struct TExtents {
    TdxfPoint Min;
    TdxfPoint Max;
    void Take(float x, float y) {
        if (x < Min.x) Min.x = x;
        if (y < Min.y) Min.y = y;
        if (x > Max.x) Max.x = x;
        if (y > Max.y) Max.y = y;
    }
};

class TGroupWriter {
public:
    // Table records and the file's head: points widen no extents, and an
    // entity head is that of a symbol-table record.
    TGroupWriter(TLineList& lines, std::int32_t& nextHandle, const TExportSettings& settings)
        : lines_(&lines), nextHandle_(nextHandle), settings_(settings) {}
    // Entities: every point written widens the extents, whatever it stands
    // for, and an entity head names the layer.
    TGroupWriter(TLineList& lines, std::int32_t& nextHandle, const TExportSettings& settings,
                 TExtents& extents)
        : lines_(&lines), nextHandle_(nextHandle), settings_(settings), extents_(&extents) {}
    // Measuring entities: handles and extents as above, no text.
    static TGroupWriter Measuring(std::int32_t& nextHandle, const TExportSettings& settings,
                                  TExtents& extents) {
        return TGroupWriter(nullptr, nextHandle, settings, extents);
    }

    // The layer named in the entity heads that follow; the name must stay
    // alive while they are written.
    void SetLayerName(std::string_view name) { layerName_ = name; }

    void AddInt(int code, std::int32_t value);
    void AddString(int code, std::string_view value);
    void AddFloat(int code, long double value);
    // Scaled x and y; the unscaled pair widens the extents of an entity writer.
    void AddPoint(int code, float x, float y);
    void AddPoint(int code, const TdxfPoint& p) { AddPoint(code, p.x, p.y); }
    // The point, then z unscaled.
    void AddPoint3D(int code, const TdxfPoint& p);
    // Upper-case hexadecimal with at least two digits.
    void AddHex(int code, std::uint32_t value);
    // Group 5 with the next handle.
    void AddHandle();
    // The handle the next AddHandle gives, and taking one without writing it.
    std::int32_t NextHandle() const { return nextHandle_; }
    std::int32_t TakeHandle() { return nextHandle_++; }
    // Widens the extents of an entity writer by a point not written itself
    // (the far corners of an image).
    void Widen(float x, float y) {
        if (extents_) extents_->Take(x, y);
    }
    void AddEntityHeader(std::string_view name, std::string_view subclass);
    // Group 62, and in R2000 files of today's kind group 420 when the
    // picture's own colour is not what the colour number stands for.
    void AddColor(const TdxfExportData& data);
    // R2000 only: the line type (group 6) and the line weight (group 370).
    void AddLineTypeAndWeight(const TdxfFigureFields& data);
    void AddPolylineHeader(const TdxfExportData& data, std::int32_t vertexCount);
    // A code line; the value line follows from AddRawLine, as it stands.
    void AddCodeLine(int code);
    void AddRawLine(std::string_view line) {
        if (lines_) lines_->Add(line);
    }

    long double ScaleValue(long double x) const { return settings_.ScaleValue(x); }
    const TExportSettings& Settings() const { return settings_; }

private:
    TGroupWriter(TLineList* lines, std::int32_t& nextHandle, const TExportSettings& settings,
                 TExtents& extents)
        : lines_(lines), nextHandle_(nextHandle), settings_(settings), extents_(&extents) {}

    TLineList* lines_; // none: measuring
    std::int32_t& nextHandle_;
    const TExportSettings& settings_;
    TExtents* extents_ = nullptr; // entity writers only
    std::string_view layerName_ = "0";
};

} // namespace mv
