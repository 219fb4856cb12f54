#pragma once
// Draws the figures of one converted drawing with QPainter: what the DXF file
// will hold, fitted into a rectangle with the drawing's y axis pointing up.

#include "dxf/Figures.h"

#include <QColor>
#include <QRectF>
#include <QTransform>

#include <optional>

class QPainter;

namespace mv {

class TFigurePainter {
public:
    // The colour of a DXF colour number on white paper: "by layer" and
    // "by block" draw as the layer colour 7, which is black here.
    static QColor ColorOf(std::int32_t colorNumber);

    // The extents of the figures in drawing units; nothing when no figure
    // has a finite point.
    static std::optional<QRectF> Bounds(const TFigureList& figures);

    // Maps drawing units into target, keeping the aspect ratio and centring
    // the drawing; y grows upward in the drawing and downward on screen. A
    // drawing without width or height is treated as one unit wide or high.
    static QTransform FitTransform(const QRectF& bounds, const QRectF& target);

    // Fills target white and draws every figure fitted into it, less a margin.
    static void Paint(QPainter& painter, const TFigureList& figures, const QRectF& target, double margin = 4);
    // Draws one figure with the given drawing-to-device transform.
    static void PaintFigure(QPainter& painter, const TmvExpDXFFigure& figure, const QTransform& toDevice);
};

} // namespace mv
