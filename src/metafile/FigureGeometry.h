#pragma once
// Geometry of the figure plane in double precision: points, outlines made of
// straight and cubic Bezier segments, ellipses and elliptical arcs in the
// form a DXF entity takes them, and turning curves into polylines. The
// default mode describes what a record draws in these terms before it makes
// figures of it.

#include <cstdint>
#include <vector>

namespace mv {

// A point or vector of the figure plane: hundredths of a millimetre of the
// picture, y upward.
struct TFigPoint {
    double x = 0;
    double y = 0;
    friend bool operator==(const TFigPoint&, const TFigPoint&) = default;
};

inline TFigPoint operator+(TFigPoint a, TFigPoint b) {
    return {a.x + b.x, a.y + b.y};
}
inline TFigPoint operator-(TFigPoint a, TFigPoint b) {
    return {a.x - b.x, a.y - b.y};
}
inline TFigPoint operator*(TFigPoint a, double s) {
    return {a.x * s, a.y * s};
}
inline double Dot(TFigPoint a, TFigPoint b) {
    return a.x * b.x + a.y * b.y;
}
inline double Cross(TFigPoint a, TFigPoint b) {
    return a.x * b.y - a.y * b.x;
}
double Length(TFigPoint v);

// An axis-parallel box; empty when Min > Max.
struct TFigBox {
    double MinX = 1, MinY = 1, MaxX = 0, MaxY = 0;
    bool IsEmpty() const { return MinX > MaxX || MinY > MaxY; }
    void Take(TFigPoint p);
    bool Contains(const TFigBox& b) const {
        return !b.IsEmpty() && b.MinX >= MinX && b.MaxX <= MaxX && b.MinY >= MinY && b.MaxY <= MaxY;
    }
    bool Meets(const TFigBox& b) const {
        return !IsEmpty() && !b.IsEmpty() && b.MinX <= MaxX && b.MaxX >= MinX && b.MinY <= MaxY &&
               b.MaxY >= MinY;
    }
};
TFigBox BoxOf(const std::vector<TFigPoint>& points);

// How far a polyline may stray from the curve it stands for, in figure units.
inline constexpr double kFlatness = 0.5;

// An outline: subpaths of straight and cubic Bezier segments. A Bezier
// segment takes three points (two control points and its end).
class TFigurePath {
public:
    enum class TVerb : std::uint8_t { Move, Line, Bezier };
    struct TSubpath {
        std::vector<TFigPoint> Points;
        std::vector<TVerb> Verbs; // one per point; Move first
        bool Closed = false;
        bool HasBezier() const;
    };

    void MoveTo(TFigPoint p);
    void LineTo(TFigPoint p);
    void BezierTo(TFigPoint c1, TFigPoint c2, TFigPoint p);
    // Closes the current subpath; the next segment starts a new one.
    void Close();
    bool Empty() const { return subpaths_.empty(); }
    const std::vector<TSubpath>& Subpaths() const { return subpaths_; }
    // The same outline with every Bezier segment replaced by lines.
    TFigurePath Flattened(double flatness = kFlatness) const;

private:
    TSubpath& Current();
    std::vector<TSubpath> subpaths_;
    bool open_ = false; // the last subpath takes further segments
};

// Appends the points of the cubic Bezier from p0 through c1, c2 to p3,
// without p0, as a polyline within the flatness.
void FlattenBezier(TFigPoint p0, TFigPoint c1, TFigPoint c2, TFigPoint p3, double flatness,
                   std::vector<TFigPoint>& out);

// An ellipse, or an arc of it, in the form DXF takes: centre, major half-axis
// vector and the ratio of minor to major axis (0 < Ratio <= 1). The point at
// parameter t is Centre + Major cos t + Minor sin t, Minor being Major turned
// a quarter counter-clockwise and shortened by Ratio. An arc runs
// counter-clockwise from Start to End (End > Start, at most a turn more).
struct TEllipseArc {
    TFigPoint Centre;
    TFigPoint Major;
    double Ratio = 1;
    double Start = 0;
    double End = 0;
    bool Full = true;

    TFigPoint Minor() const { return {-Major.y * Ratio, Major.x * Ratio}; }
    TFigPoint At(double t) const;
    bool IsCircle() const;
    // Too thin for an ELLIPSE entity (or without size): drawn as a polyline.
    bool IsDegenerate() const;
    // The box of the whole ellipse (an arc lies inside it).
    TFigBox Box() const;
    // Points along the arc (the whole ellipse closes on its first point).
    std::vector<TFigPoint> Flattened(double flatness = kFlatness) const;
    // Parameter of the point of the ellipse on the ray from the centre through p.
    double ParameterToward(TFigPoint p) const;
};

// The ellipse Centre + u cos s + v sin s given by two conjugate half
// diameters (the images of a circle's axes under an affine map), for s from
// s0 to s1 (s1 >= s0; a turn or more is the whole ellipse), in DXF form.
TEllipseArc EllipseFromConjugates(TFigPoint centre, TFigPoint u, TFigPoint v, double s0, double s1);

// The parts of a polyline inside a box, in order along it; each part has two
// or more points. A closed polyline that lies wholly inside comes back as one
// part that repeats its first point at the end.
std::vector<std::vector<TFigPoint>> ClipPolyline(const std::vector<TFigPoint>& points, bool closed,
                                                 const std::vector<TFigBox>& boxes);

// A closed polygon cut to a box (Sutherland-Hodgman); fewer than three points
// when nothing of it is left. Points that repeat their neighbour are dropped.
std::vector<TFigPoint> ClipPolygon(const std::vector<TFigPoint>& polygon, const TFigBox& box);

} // namespace mv
