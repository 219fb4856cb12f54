#pragma once
// The figure description that the interpreter fills for each metafile record
// and that every figure copies.

#include <cstdint>
#include <string>
#include <vector>

namespace mv {

// A point in drawing units, three single-precision values.
struct TdxfPoint {
    float x = 0;
    float y = 0;
    float z = 0;
    friend bool operator==(const TdxfPoint&, const TdxfPoint&) = default;
};

using TdxfPointList = std::vector<TdxfPoint>;

// Everything of the description except the point lists. Figures keep a copy
// of this part only: the point lists are needed while a figure is built and
// the polyline and hatch figures copy the points they use.
struct TdxfFigureFields {
    std::uint16_t Count = 0;     // number of point lists in Points
    std::uint8_t Flags = 0;      // group 70: closed polyline; solid hatch
    std::uint8_t HatchStyle = 0; // 0 solid, 2..7 hatched brush styles
    std::uint8_t Kind = 0;       // hatch: 0 loops, 1 circle, 2 ellipse; arc: 0 circular, 1 elliptical
    std::int32_t Color = 0;      // DXF colour number; 0 and 256 write no group 62
    float PenWidth = 0;
    float Rotation = 0;   // text rotation, degrees counter-clockwise
    float ConstWidth = 0; // LWPOLYLINE group 43; 0 = none
    std::string Text;     // line-type name of a drawn figure, or a text's contents
    TdxfPoint Point1;
    TdxfPoint Point2;
    float Radius = 0;       // circle/arc radius; axis ratio of an ellipse
    std::uint8_t Align = 0; // text attachment, 0-based
    // A text uses TextWidth and Height, an arc StartAngle and EndAngle. The
    // original record overlays the two pairs; nothing reads one pair through
    // the other, so they are kept apart here.
    float TextWidth = 0;
    float StartAngle = 0; // degrees (circular arc) or radians (elliptical arc)
    float EndAngle = 0;
    float Height = 0;
};

struct TdxfExportData : TdxfFigureFields {
    std::vector<TdxfPointList> Points; // valid only while a figure is built

    // The description of a figure: everything but the point lists.
    static TdxfExportData FigureCopy(const TdxfExportData& src) {
        TdxfExportData copy;
        static_cast<TdxfFigureFields&>(copy) = src;
        return copy;
    }
};

} // namespace mv
