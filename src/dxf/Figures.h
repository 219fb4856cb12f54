#pragma once
// The figure family: one drawable object on its way from the metafile to the
// DXF file. Each figure keeps its own copy of the description it was made
// from and writes one entity through the group writer it is handed.

#include "figure/ExportData.h"
#include "figure/ImageData.h"
#include "figure/Rect.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

class TGroupWriter;
class TmvExpDXFFigure;

using TFigureList = std::vector<std::unique_ptr<TmvExpDXFFigure>>;

// Rounds the four coordinates (ties to even, ERangeError outside 32 bits)
// and orders them so that Left <= Right and Top <= Bottom.
TRect NormalizedRect(long double x1, long double y1, long double x2, long double y2);

// Non-empty intersection by the Windows rules: touching edges do not count,
// and a rectangle without width or height meets nothing.
bool RectsIntersect(const TRect& a, const TRect& b);

enum class TFigureKind : std::uint8_t {
    Polyline,
    PolyBezier,
    Rectangle,
    Line,
    Pixel,
    Ellipse,
    Arc,
    MText,
    Hatch,
    Image
};

class TmvExpDXFFigure {
public:
    explicit TmvExpDXFFigure(const TdxfExportData& data);
    virtual ~TmvExpDXFFigure() = default;
    TmvExpDXFFigure(const TmvExpDXFFigure&) = delete;
    TmvExpDXFFigure& operator=(const TmvExpDXFFigure&) = delete;

    virtual TFigureKind Kind() const = 0;
    // Appends straight LINE figures that together draw this figure.
    virtual void SplitIntoLines(TFigureList& list) const;
    // Whether the figure's integer rectangle meets rect.
    virtual bool IntersectsRect(const TRect& rect) const;
    // Writes the figure's entity.
    virtual void Export(TGroupWriter& out) const = 0;
    // Whether Export writes nothing at all (no vertices, no boundary, a kind
    // that no record makes); such a figure is not worth keeping.
    virtual bool DrawsNothing() const { return false; }

    std::string Layer = "0";
    TdxfExportData Data; // the figure's own copy; its point lists stay empty

protected:
    // A LINE made from this figure's description and layer, appended to list.
    class TmvExpDXFLine& AppendLine(TFigureList& list, const TdxfPoint& p1, const TdxfPoint& p2) const;
};

// LWPOLYLINE through one point list of the description.
class TmvExpDXFPolyline : public TmvExpDXFFigure {
public:
    TmvExpDXFPolyline(const TdxfExportData& data, int index);
    TFigureKind Kind() const override { return TFigureKind::Polyline; }
    void SplitIntoLines(TFigureList& list) const override;
    bool IntersectsRect(const TRect& rect) const override;
    void Export(TGroupWriter& out) const override;
    bool DrawsNothing() const override { return Vertices.empty(); }

    bool HasVertices() const { return hasVertices_; }
    std::size_t VertexCount() const { return Vertices.size(); }
    TdxfPoint Vertex(std::size_t i) const { return Vertices[i]; }

    std::vector<TdxfPoint> Vertices;

protected:
    bool hasVertices_ = false;
    // The bounds live in Data.Point1 (minimum) and Data.Point2 (maximum) and
    // always include the origin.
};

// Closed LWPOLYLINE of five vertices through two opposite corners.
class TmvExpDXFRectangle : public TmvExpDXFFigure {
public:
    using TmvExpDXFFigure::TmvExpDXFFigure;
    TFigureKind Kind() const override { return TFigureKind::Rectangle; }
    void SplitIntoLines(TFigureList& list) const override;
    bool IntersectsRect(const TRect& rect) const override;
    void Export(TGroupWriter& out) const override;
};

class TmvExpDXFLine : public TmvExpDXFFigure {
public:
    using TmvExpDXFFigure::TmvExpDXFFigure;
    TFigureKind Kind() const override { return TFigureKind::Line; }
    void Export(TGroupWriter& out) const override;
};

class TmvExpDXFPixel : public TmvExpDXFFigure {
public:
    using TmvExpDXFFigure::TmvExpDXFFigure;
    TFigureKind Kind() const override { return TFigureKind::Pixel; }
    void Export(TGroupWriter& out) const override;
};

// SPLINE through a chain of cubic Bezier segments (LWPOLYLINE when the
// control points do not form whole segments).
class TmvExpDXFPolyBezier : public TmvExpDXFPolyline {
public:
    TmvExpDXFPolyBezier(const TdxfExportData& data, int index) : TmvExpDXFPolyline(data, index) {}
    TFigureKind Kind() const override { return TFigureKind::PolyBezier; }
    void Export(TGroupWriter& out) const override;
};

// Full CIRCLE or ELLIPSE.
class TmvExpDXFEllipse : public TmvExpDXFFigure {
public:
    TmvExpDXFEllipse(const TdxfExportData& data, bool isEllipse)
        : TmvExpDXFFigure(data), IsEllipse(isEllipse) {}
    TFigureKind Kind() const override { return TFigureKind::Ellipse; }
    void SplitIntoLines(TFigureList& list) const override;
    bool IntersectsRect(const TRect& rect) const override;
    void Export(TGroupWriter& out) const override;

    bool IsEllipse;
};

// ARC (circular ArcKind) or elliptical arc as ELLIPSE with parameters.
class TmvExpDXFArc : public TmvExpDXFFigure {
public:
    explicit TmvExpDXFArc(const TdxfExportData& data) : TmvExpDXFFigure(data), ArcKind(data.Kind.AsArc()) {}
    TFigureKind Kind() const override { return TFigureKind::Arc; }
    void SplitIntoLines(TFigureList& list) const override;
    bool IntersectsRect(const TRect& rect) const override;
    void Export(TGroupWriter& out) const override;
    bool DrawsNothing() const override { return ArcKind > ArcShape::Elliptical; }

    // Elliptical arc whose start and end parameters (nearly) coincide: it is
    // written and split as the full ellipse.
    bool IsFullEllipse() const;
    // Elliptical arc: the counter-clockwise sweep from start to end, radians.
    long double EllipticalSweep() const;

    ArcShape ArcKind;
};

class TmvExpDXFMText : public TmvExpDXFFigure {
public:
    using TmvExpDXFFigure::TmvExpDXFFigure;
    TFigureKind Kind() const override { return TFigureKind::MText; }
    bool IntersectsRect(const TRect& rect) const override;
    void Export(TGroupWriter& out) const override;
    // Appends the pieces of the text that remain outside rect (normalised).
    // Texts turned to any direction but 0, 90 or 270 degrees yield no piece.
    void TrimText(const TRect& rect, TFigureList& list) const;

    // The contents as one value line: CR, LF and CR LF become the paragraph
    // code \P, other control characters a blank.
    static std::string ContentsForFile(std::string_view contents);
    // Where the plain part starts: after the first ";" and a "\L" directly
    // behind it; 0 for contents without font codes.
    static std::size_t PlainPartStart(std::string_view contents);
};

class TmvExpDXFHatch : public TmvExpDXFFigure {
public:
    explicit TmvExpDXFHatch(const TdxfExportData& data);
    TFigureKind Kind() const override { return TFigureKind::Hatch; }
    void Export(TGroupWriter& out) const override;
    bool DrawsNothing() const override {
        return BoundaryKind > HatchKind::Ellipse || (BoundaryKind == HatchKind::Polygon && Loops.empty());
    }

    std::int32_t GetLoopCount() const { return LoopCount; }
    std::size_t LoopPointCount(std::size_t loop) const {
        return loop < Loops.size() ? Loops[loop].size() : 0;
    }
    // Point j of loop i; the origin for indices outside the loops.
    TdxfPoint LoopPoint(std::size_t loop, std::size_t j) const {
        return j < LoopPointCount(loop) ? Loops[loop][j] : TdxfPoint{};
    }

    // Lines a pattern may take across the boundary's larger side at most.
    static constexpr double kMaxPatternLines = 2000;

    BrushHatch HatchStyle = BrushHatch::Solid;
    HatchKind BoundaryKind = HatchKind::Polygon;
    std::vector<TdxfPointList> Loops; // polygon hatch only
    std::int32_t LoopCount = 0;
    std::string PatternName;

private:
    // Drops a pattern spacing that is not a positive finite length, and
    // widens one that would take too many lines.
    void LimitPatternSpacing();
};

// IMAGE: a bitmap written as an image file beside the drawing. The file and
// its definition object belong to the exporter; the figure names them by
// the image set's id and the handle the exporter gives the definition.
class TmvExpDXFImage : public TmvExpDXFFigure {
public:
    TmvExpDXFImage(const TdxfImageData& image, std::size_t fileId, std::int32_t defHandle = 0);
    TFigureKind Kind() const override { return TFigureKind::Image; }
    // Writes the entity with the definition's handle DefHandle and takes the
    // handle of its reactor, kept in EntityHandle and ReactorHandle for the
    // objects that are written after the entities.
    void Export(TGroupWriter& out) const override;

    TdxfPoint Origin, U, V;
    std::uint32_t PixelWidth = 0;
    std::uint32_t PixelHeight = 0;
    bool Transparent = false;
    std::size_t FileId = 0;
    // The pixels, only where the figure is drawn on screen (the preview).
    std::shared_ptr<const TRgbaImage> Pixels;

    std::int32_t DefHandle = 0;
    mutable std::int32_t EntityHandle = 0;
    mutable std::int32_t ReactorHandle = 0;
};

} // namespace mv
