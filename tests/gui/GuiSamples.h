#pragma once
// Sample metafiles for the window tests, made with the EMF record builder.

#include "EmfBuilder.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace mv::test {

inline constexpr std::uint32_t EMR_POLYGON = 3;
inline constexpr std::uint32_t EMR_POLYLINE = 4;

// A drawing with a red frame, a blue filled triangle, a green circle and a
// text: every corner of the picture has something in it.
inline std::vector<std::uint8_t> SampleDrawing() {
    TEmfBuilder b;
    b.CreatePen(1, 0, 8, 0x0000FF); // red (COLORREF is 0x00BBGGRR)
    b.SelectObject(1);
    b.Poly(EMR_POLYLINE, {{0, 0}, {1000, 0}, {1000, 800}, {0, 800}, {0, 0}});
    b.CreateBrush(2, 0, 0xFF0000); // solid blue
    b.SelectObject(2);
    b.CreatePen(3, 0, 1, 0xFF0000);
    b.SelectObject(3);
    b.Poly(EMR_POLYGON, {{100, 700}, {450, 700}, {275, 400}});
    b.CreatePen(4, 0, 4, 0x00FF00); // green
    b.SelectObject(4);
    b.SelectObject(0x80000005); // the stock hollow brush
    b.Ellipse(550, 100, 900, 450);
    b.CreateFont(5, u"Arial", -60);
    b.SelectObject(5);
    b.TextOut(100, 100, u"Plan");
    return b.Build(1000, 800);
}

// One black line from corner to corner.
inline std::vector<std::uint8_t> DiagonalDrawing() {
    TEmfBuilder b;
    b.Poly(EMR_POLYLINE, {{0, 0}, {400, 400}});
    return b.Build(400, 400);
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// How many pixels of the image are close to the colour.
inline int CountPixels(const QImage& image, const QColor& color, int tolerance = 60) {
    int n = 0;
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (std::abs(c.red() - color.red()) + std::abs(c.green() - color.green()) +
                    std::abs(c.blue() - color.blue()) <=
                tolerance)
                ++n;
        }
    }
    return n;
}

} // namespace mv::test
