#pragma once
// TFigureEmitter: the one way the default mode turns geometry into figures.
//
// A drawing handler describes what its record draws as a TDrawShape in
// figure coordinates (hundredths of a millimetre, y upward; see TMapping):
// an outline of lines and Bezier segments, plus the exact ellipse or arc
// when the outline is one, and hands it to Draw with the looks of the
// current pen and brush. Texts go to Text, single pixels to Pixel.
//
// Draw is where two things happen that no handler repeats:
//  - While a path bracket is open (Recording set), Draw adds the shape's
//    outline to that path and makes no figure. Text and Pixel add nothing
//    then. The path records set and clear Recording and later hand the
//    finished path to Stroke and Fill themselves, which never record.
//  - Figures leave through the sink given to the constructor; the default
//    mode puts its clip stage (TClipStage) there, so everything drawn is cut
//    to the clipping region.
//
// Stroke turns each subpath into one figure: a pure Bezier run becomes a
// spline, a subpath with Bezier segments among lines becomes a polyline
// through the flattened curve, anything else a polyline; an exact curve
// becomes CIRCLE, ELLIPSE or ARC. Fill makes one hatch of all closed
// (or closable) subpaths, or a circle or ellipse hatch of an exact curve.

#include "figure/ExportData.h"
#include "figure/FigureSink.h"
#include "metafile/FigureGeometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mv {

class TPathRecorder;

// How a stroke looks: the pen as figures need it.
struct TStrokeLook {
    std::int32_t Color = 0;      // DXF colour number
    std::int32_t TrueColor = -1; // 0x00RRGGBB, or -1
    float Width = 0;             // figure units; 0 = thin
    std::string LineType;        // "" = continuous
};

// How a fill looks: the brush as a hatch needs it.
struct TFillLook {
    std::int32_t Color = 0;
    std::int32_t TrueColor = -1;
    BrushHatch Hatch = BrushHatch::Solid;
    // Line spacing of a hatched pattern along x and y, figure units; 0 =
    // the exporter's fixed spacing.
    float PatternSpacingX = 0;
    float PatternSpacingY = 0;
};

// What one record draws.
struct TDrawShape {
    TFigurePath Path;
    // The outline exactly, when it is one ellipse or one arc of it: the
    // figures then keep the curve (CIRCLE, ELLIPSE, ARC) instead of Path.
    std::optional<TEllipseArc> Curve;
    // An axis-parallel rectangle: filled, it becomes a hatch of one loop of
    // four points (what the white-area masking looks for); outlined, a
    // closed four-point polyline.
    bool IsRectangle = false;
};

class TFigureEmitter {
public:
    explicit TFigureEmitter(IFigureSink& sink) : sink_(sink) {}

    // The path being recorded (between BEGINPATH and ENDPATH), or none.
    // Not owned.
    TPathRecorder* Recording = nullptr;

    // A record's drawing: recorded into the path, or filled (fill given) and
    // then outlined (stroke given). The outline is left out when a solid fill
    // of the same colour already shows it.
    void Draw(const TDrawShape& shape, const TFillLook* fill, const TStrokeLook* stroke);

    // Figures of a shape, whatever is recorded.
    void Stroke(const TDrawShape& shape, const TStrokeLook& look);
    void Fill(const TDrawShape& shape, const TFillLook& look);
    // An outline given as path only (a finished path, for example).
    void StrokePath(const TFigurePath& path, const TStrokeLook& look);
    void FillPath(const TFigurePath& path, const TFillLook& look);

    // A text: the description of an MTEXT with its insertion point in
    // figure units; nothing while a path is recorded.
    void Text(const TdxfExportData& text);
    // A single pixel of the colour.
    void Pixel(TFigPoint at, std::int32_t color, std::int32_t trueColor);

    IFigureSink& Sink() { return sink_; }

private:
    void StrokeCurve(const TEllipseArc& curve, const TStrokeLook& look);
    void FillCurve(const TEllipseArc& curve, const TFillLook& look);

    IFigureSink& sink_;
};

// The description of a hatch in the fill's look, without its loops.
TdxfExportData FillData(const TFillLook& look);

// Figure points as a description holds them (single precision).
TdxfPoint ToDxf(TFigPoint p);
TdxfPointList ToDxfList(const std::vector<TFigPoint>& points);

// The outline of an ellipse or arc as Bezier segments (a quarter turn at most
// each): how a path holds a curve. A partial arc starts a new subpath at its
// start unless joined (then it goes on from the path's current point with a
// line to its start).
void AppendEllipseArc(TFigurePath& path, const TEllipseArc& arc, bool joined);

} // namespace mv
