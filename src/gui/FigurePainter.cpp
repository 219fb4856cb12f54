#include "gui/FigurePainter.h"

#include "figure/MTextCodes.h"
#include "platform/CodePage.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace mv {

namespace {

constexpr double kPi = std::numbers::pi;

bool Finite(const TdxfPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

QPointF ToQt(const TdxfPoint& p) {
    return {p.x, p.y};
}

// Points along a curve: at least 8, about 96 for a full turn, and never more
// than 1000 however absurd the sweep.
int CurveSteps(double sweep) {
    const double n = std::ceil(std::fabs(sweep) / (2 * kPi) * 96);
    return static_cast<int>(std::clamp(std::isfinite(n) ? n : 8.0, 8.0, 1000.0));
}

// The curve centre + u cos t + v sin t from t0 over sweep.
void AddCurve(QPainterPath& path, QPointF centre, QPointF u, QPointF v, double t0, double sweep) {
    if (!std::isfinite(t0) || !std::isfinite(sweep)) return;
    sweep = std::clamp(sweep, -2 * kPi, 2 * kPi);
    const int n = CurveSteps(sweep);
    for (int i = 0; i <= n; ++i) {
        const double t = t0 + sweep * i / n;
        const QPointF p = centre + u * std::cos(t) + v * std::sin(t);
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
}

// An ellipse by its major axis vector and the ratio of the minor axis.
void AddEllipse(QPainterPath& path, const TdxfFigureFields& d, double t0, double sweep) {
    const QPointF u(d.Point2.x, d.Point2.y);
    const QPointF v(-u.y() * d.Radius, u.x() * d.Radius);
    AddCurve(path, ToQt(d.Point1), u, v, t0, sweep);
}

void AddCircle(QPainterPath& path, const TdxfFigureFields& d, double t0, double sweep) {
    const double r = d.Radius;
    AddCurve(path, ToQt(d.Point1), QPointF(r, 0), QPointF(0, r), t0, sweep);
}

void AddPoints(QPainterPath& path, const std::vector<TdxfPoint>& points, bool closed) {
    if (points.empty()) return;
    path.moveTo(ToQt(points[0]));
    for (std::size_t i = 1; i < points.size(); ++i)
        path.lineTo(ToQt(points[i]));
    if (closed) path.closeSubpath();
}

bool AllFinite(const std::vector<TdxfPoint>& points) {
    return std::all_of(points.begin(), points.end(), Finite);
}

// The outline of a figure in drawing units; empty for texts and for figures
// with nothing drawable.
QPainterPath Outline(const TmvExpDXFFigure& figure) {
    QPainterPath path;
    const TdxfFigureFields& d = figure.Data;
    switch (figure.Kind()) {
    case TFigureKind::Polyline: {
        const auto& f = static_cast<const TmvExpDXFPolyline&>(figure);
        if (f.HasVertices() && AllFinite(f.Vertices))
            AddPoints(path, f.Vertices, HasFlag(d.Flags, FigureFlags::Closed));
        break;
    }
    case TFigureKind::PolyBezier: {
        const auto& f = static_cast<const TmvExpDXFPolyBezier&>(figure);
        const std::size_t n = f.Vertices.size();
        if (!f.HasVertices() || !AllFinite(f.Vertices)) break;
        // Whole cubic segments become a spline in the file; anything else a
        // polyline through the points.
        if (n >= 4 && (n - 4) % 3 == 0) {
            path.moveTo(ToQt(f.Vertices[0]));
            for (std::size_t i = 1; i + 2 < n; i += 3)
                path.cubicTo(ToQt(f.Vertices[i]), ToQt(f.Vertices[i + 1]), ToQt(f.Vertices[i + 2]));
        } else {
            AddPoints(path, f.Vertices, HasFlag(d.Flags, FigureFlags::Closed));
        }
        break;
    }
    case TFigureKind::Rectangle:
        if (Finite(d.Point1) && Finite(d.Point2)) {
            path.moveTo(d.Point1.x, d.Point1.y);
            path.lineTo(d.Point2.x, d.Point1.y);
            path.lineTo(d.Point2.x, d.Point2.y);
            path.lineTo(d.Point1.x, d.Point2.y);
            path.closeSubpath();
        }
        break;
    case TFigureKind::Line:
        if (Finite(d.Point1) && Finite(d.Point2)) {
            path.moveTo(ToQt(d.Point1));
            path.lineTo(ToQt(d.Point2));
        }
        break;
    case TFigureKind::Pixel: // a point has no outline; it is drawn and measured on its own
        break;
    case TFigureKind::Ellipse: {
        const auto& f = static_cast<const TmvExpDXFEllipse&>(figure);
        if (!Finite(d.Point1) || !Finite(d.Point2) || !std::isfinite(d.Radius)) break;
        if (f.IsEllipse)
            AddEllipse(path, d, 0, 2 * kPi);
        else
            AddCircle(path, d, 0, 2 * kPi);
        path.closeSubpath();
        break;
    }
    case TFigureKind::Arc: {
        const auto& f = static_cast<const TmvExpDXFArc&>(figure);
        if (!Finite(d.Point1) || !Finite(d.Point2) || !std::isfinite(d.Radius)) break;
        if (f.ArcKind == ArcShape::Circular) {
            // Counter-clockwise from start to end in degrees; equal angles
            // make the whole circle.
            double t0 = d.StartAngle * kPi / 180, t1 = d.EndAngle * kPi / 180;
            if (t1 <= t0) t1 += 2 * kPi;
            AddCircle(path, d, t0, t1 - t0);
        } else if (f.ArcKind == ArcShape::Elliptical) {
            AddEllipse(path, d, d.StartAngle, static_cast<double>(f.EllipticalSweep()));
        }
        break;
    }
    case TFigureKind::Hatch: {
        const auto& f = static_cast<const TmvExpDXFHatch&>(figure);
        if (f.BoundaryKind == HatchKind::Polygon) {
            for (const TdxfPointList& loop : f.Loops) {
                if (AllFinite(loop)) AddPoints(path, loop, true);
            }
        } else if (Finite(d.Point1) && Finite(d.Point2) && std::isfinite(d.Radius)) {
            if (f.BoundaryKind == HatchKind::Circle)
                AddCircle(path, d, 0, 2 * kPi);
            else if (f.BoundaryKind == HatchKind::Ellipse)
                AddEllipse(path, d, 0, 2 * kPi);
            path.closeSubpath();
        }
        path.setFillRule(Qt::OddEvenFill);
        break;
    }
    case TFigureKind::MText:
        break;
    case TFigureKind::Image: {
        const auto& f = static_cast<const TmvExpDXFImage&>(figure);
        if (!Finite(f.Origin) || !Finite(f.U) || !Finite(f.V)) break;
        const QPointF o = ToQt(f.Origin), u = ToQt(f.U) * f.PixelWidth, v = ToQt(f.V) * f.PixelHeight;
        path.moveTo(o);
        path.lineTo(o + u);
        path.lineTo(o + u + v);
        path.lineTo(o + v);
        path.closeSubpath();
        break;
    }
    }
    return path;
}

// An image's pixels through the transform that takes its pixel grid (top
// row first) to the device; a frame where the pixels are not at hand.
void PaintImage(QPainter& painter, const TmvExpDXFImage& f, const QPainterPath& outline,
                const QTransform& toDevice) {
    painter.save();
    if (!f.Pixels || f.Pixels->Empty()) {
        painter.setTransform(QTransform());
        painter.setPen(QPen(Qt::gray));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(toDevice.map(outline));
        painter.restore();
        return;
    }
    const TRgbaImage& pixels = *f.Pixels;
    const QImage image(pixels.Pixels().data(), static_cast<int>(pixels.Width()),
                       static_cast<int>(pixels.Height()), static_cast<qsizetype>(pixels.RowBytes()),
                       QImage::Format_RGBA8888);
    // Pixel (x, y) lies at origin + U x + V (height - y).
    const double h = pixels.Height();
    const QTransform grid(f.U.x, f.U.y, -f.V.x, -f.V.y, f.Origin.x + f.V.x * h, f.Origin.y + f.V.y * h);
    painter.setTransform(grid * toDevice);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QPointF(0, 0), image);
    painter.restore();
}

Qt::PenStyle PenStyleOf(const std::string& lineType) {
    if (lineType == "_DASH") return Qt::DashLine;
    if (lineType == "_DOT") return Qt::DotLine;
    if (lineType == "_DASHDOT") return Qt::DashDotLine;
    if (lineType == "_DASHDOTDOT") return Qt::DashDotDotLine;
    return Qt::SolidLine;
}

Qt::BrushStyle BrushStyleOf(BrushHatch hatchStyle) {
    switch (hatchStyle) {
    case BrushHatch::Horizontal:
        return Qt::HorPattern;
    case BrushHatch::Vertical:
        return Qt::VerPattern;
    case BrushHatch::ForwardDiagonal:
        return Qt::FDiagPattern;
    case BrushHatch::BackwardDiagonal:
        return Qt::BDiagPattern;
    case BrushHatch::Cross:
        return Qt::CrossPattern;
    case BrushHatch::DiagonalCross:
        return Qt::DiagCrossPattern;
    default:
        return Qt::SolidPattern;
    }
}

// The contents of a text: its font (from the inline font codes) and its
// lines, without the codes.
struct TTextParts {
    QFont Font;
    QStringList Lines;
};

TTextParts SplitText(const std::string& contents) {
    TTextParts parts;
    parts.Font.setFamilies(
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    std::string_view text = contents;
    if (text.rfind("{\\f", 0) == 0) {
        const std::size_t start = TmvExpDXFMText::PlainPartStart(text);
        const std::string_view prefix = text.substr(0, start);
        const std::string_view codes = prefix.substr(3, prefix.find(';') - 3);
        const std::size_t bar = codes.find('|');
        const QString family = QString::fromStdString(AnsiToUtf8(codes.substr(0, bar)));
        if (!family.isEmpty()) parts.Font.setFamilies({family, QStringLiteral("DejaVu Sans")});
        parts.Font.setItalic(codes.find("|i1") != std::string_view::npos);
        parts.Font.setBold(codes.find("|b1") != std::string_view::npos);
        parts.Font.setUnderline(prefix.ends_with("\\L"));
        text.remove_prefix(start);
    }
    parts.Lines = QString::fromStdString(MTextToUtf8(text)).split(QLatin1Char('\n'));
    return parts;
}

void PaintText(QPainter& painter, const TmvExpDXFMText& figure, const QTransform& toDevice) {
    const TdxfFigureFields& d = figure.Data;
    if (!Finite(d.Point1) || !std::isfinite(d.Height) || !std::isfinite(d.Rotation)) return;
    // The transform scales both axes alike; its x factor is the scale.
    const double height = std::fabs(d.Height) * std::hypot(toDevice.m11(), toDevice.m12());
    if (height < 0.5 || height > 1e5) return; // too small to read, or absurd
    // Glyphs are laid out at a fixed size and scaled, so that tiny and huge
    // texts keep their proportions.
    constexpr double kLayoutSize = 64;
    TTextParts parts = SplitText(d.Text);
    parts.Font.setPixelSize(static_cast<int>(kLayoutSize));
    const QFontMetricsF metrics(parts.Font);
    const double lineHeight = metrics.lineSpacing();
    const double total = lineHeight * parts.Lines.size();
    const int row = d.Align / 3, column = d.Align % 3;
    double y = row == 0 ? 0 : row == 1 ? -total / 2 : -total;

    painter.save();
    painter.setTransform(QTransform());
    painter.translate(toDevice.map(ToQt(d.Point1)));
    painter.rotate(-d.Rotation);
    painter.scale(height / kLayoutSize, height / kLayoutSize);
    painter.setFont(parts.Font);
    painter.setPen(TFigurePainter::ColorOf(d.Color));
    for (const QString& line : parts.Lines) {
        const double width = metrics.horizontalAdvance(line);
        const double x = column == 0 ? 0 : column == 1 ? -width / 2 : -width;
        painter.drawText(QPointF(x, y + metrics.ascent()), line);
        y += lineHeight;
    }
    painter.restore();
}

// Extents that also take points and lines without area.
struct TExtents {
    double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
    bool Any = false;
    void Add(double x, double y) {
        if (!std::isfinite(x) || !std::isfinite(y)) return;
        if (!Any) {
            MinX = MaxX = x;
            MinY = MaxY = y;
            Any = true;
            return;
        }
        MinX = std::min(MinX, x);
        MaxX = std::max(MaxX, x);
        MinY = std::min(MinY, y);
        MaxY = std::max(MaxY, y);
    }
    void Add(const QRectF& r) {
        Add(r.left(), r.top());
        Add(r.right(), r.bottom());
    }
};

// The corners of a text's box: along the baseline TextWidth, Height below it.
void AddTextBox(TExtents& extents, const TdxfFigureFields& d) {
    if (!Finite(d.Point1) || !std::isfinite(d.TextWidth) || !std::isfinite(d.Height) ||
        !std::isfinite(d.Rotation))
        return;
    const double a = d.Rotation * kPi / 180;
    const QPointF along(std::cos(a) * d.TextWidth, std::sin(a) * d.TextWidth);
    const QPointF down(std::sin(a) * d.Height, -std::cos(a) * d.Height);
    const QPointF p = ToQt(d.Point1);
    for (const QPointF& q : {p, p + along, p + down, p + along + down})
        extents.Add(q.x(), q.y());
}

} // namespace

QColor TFigurePainter::ColorOf(std::int32_t n) {
    static const QColor fixed[10] = {Qt::black,
                                     QColor(255, 0, 0),
                                     QColor(255, 255, 0),
                                     QColor(0, 255, 0),
                                     QColor(0, 255, 255),
                                     QColor(0, 0, 255),
                                     QColor(255, 0, 255),
                                     Qt::black,
                                     QColor(128, 128, 128),
                                     QColor(192, 192, 192)};
    if (n <= 0 || n >= 256) return Qt::black;
    if (n < 10) return fixed[n];
    if (n >= 250) {
        static const int greys[6] = {51, 91, 132, 173, 214, 255};
        const int g = greys[n - 250];
        return QColor(g, g, g);
    }
    // Ten shades of each of 24 hues: every second shade pale, and darker in
    // steps from the first to the last pair.
    static const double values[5] = {1.0, 0.8, 0.6, 0.5, 0.3};
    const int hue = (n / 10 - 1) * 15;
    const int shade = n % 10;
    return QColor::fromHsvF(hue / 360.0, shade % 2 ? 0.5 : 1.0, values[shade / 2]).toRgb();
}

std::optional<QRectF> TFigurePainter::Bounds(const TFigureList& figures) {
    TExtents extents;
    for (const auto& figure : figures) {
        if (figure->Kind() == TFigureKind::MText) {
            AddTextBox(extents, figure->Data);
            continue;
        }
        if (figure->Kind() == TFigureKind::Pixel) {
            extents.Add(figure->Data.Point1.x, figure->Data.Point1.y);
            continue;
        }
        const QPainterPath path = Outline(*figure);
        if (!path.isEmpty()) extents.Add(path.boundingRect());
    }
    if (!extents.Any) return {};
    return QRectF(QPointF(extents.MinX, extents.MinY), QPointF(extents.MaxX, extents.MaxY));
}

QTransform TFigurePainter::FitTransform(const QRectF& bounds, const QRectF& target) {
    const double w = bounds.width() > 0 ? bounds.width() : 1;
    const double h = bounds.height() > 0 ? bounds.height() : 1;
    const double scale = std::min(target.width() / w, target.height() / h);
    const QPointF centre = bounds.center();
    QTransform t;
    t.translate(target.center().x(), target.center().y());
    t.scale(scale, -scale);
    t.translate(-centre.x(), -centre.y());
    return t;
}

void TFigurePainter::PaintFigure(QPainter& painter, const TmvExpDXFFigure& figure,
                                 const QTransform& toDevice) {
    if (figure.Kind() == TFigureKind::MText) {
        PaintText(painter, static_cast<const TmvExpDXFMText&>(figure), toDevice);
        return;
    }
    const QColor color = ColorOf(figure.Data.Color);
    if (figure.Kind() == TFigureKind::Pixel) {
        if (!Finite(figure.Data.Point1)) return;
        const QPointF p = toDevice.map(ToQt(figure.Data.Point1));
        painter.save();
        painter.setTransform(QTransform());
        painter.fillRect(QRectF(p.x() - 1, p.y() - 1, 2, 2), color);
        painter.restore();
        return;
    }
    const QPainterPath outline = Outline(figure);
    if (outline.isEmpty()) return;
    if (figure.Kind() == TFigureKind::Image) {
        PaintImage(painter, static_cast<const TmvExpDXFImage&>(figure), outline, toDevice);
        return;
    }
    // Geometry goes to device pixels first, so that pens stay one pixel wide
    // and hatch patterns keep their screen spacing.
    const QPainterPath path = toDevice.map(outline);
    painter.save();
    painter.setTransform(QTransform());
    // Straight thin lines stay crisp on the pixel grid; curves and fills are
    // smoothed.
    const TFigureKind kind = figure.Kind();
    painter.setRenderHint(QPainter::Antialiasing, kind != TFigureKind::Polyline &&
                                                      kind != TFigureKind::Line &&
                                                      kind != TFigureKind::Rectangle);
    if (kind == TFigureKind::Hatch) {
        const auto& hatch = static_cast<const TmvExpDXFHatch&>(figure);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QBrush(color, BrushStyleOf(hatch.HatchStyle)));
        painter.drawPath(path);
    } else {
        QPen pen(color);
        pen.setStyle(PenStyleOf(figure.Data.Text));
        const double width = std::isfinite(figure.Data.ConstWidth) ? figure.Data.ConstWidth : 0;
        const double scale = std::hypot(toDevice.m11(), toDevice.m12());
        pen.setWidthF(std::clamp(width * scale, 0.0, 1000.0));
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    }
    painter.restore();
}

void TFigurePainter::Paint(QPainter& painter, const TFigureList& figures, const QRectF& target,
                           double margin) {
    painter.fillRect(target, Qt::white);
    const std::optional<QRectF> bounds = Bounds(figures);
    if (!bounds) return;
    const QRectF inner = target.adjusted(margin, margin, -margin, -margin);
    if (inner.width() <= 0 || inner.height() <= 0) return;
    const QTransform toDevice = FitTransform(*bounds, inner) * painter.transform();
    painter.save();
    painter.setClipRect(target);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const auto& figure : figures)
        PaintFigure(painter, *figure, toDevice);
    painter.restore();
}

} // namespace mv
