// Writes the placeable Windows metafile examples of examples/: drawings that
// use the WMF records the converter translates, with the format's own
// quirks (reversed parameters, shared object slots, symbol fonts).
//
// Usage: make_wmf_examples [folder]   (default: examples)

#include "WmfBuilder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

using mv::test::TWmfBuilder;
using mv::test::TWPt;

namespace {

constexpr std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return r | static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b) << 16;
}
constexpr std::uint32_t Black = 0, White = Rgb(255, 255, 255), Red = Rgb(255, 0, 0), Green = Rgb(0, 160, 0),
                        Blue = Rgb(0, 0, 255), Orange = Rgb(255, 128, 0);
// Function numbers of the drawing records that share a builder method.
constexpr std::uint16_t Polygon = 0x0324, Polyline = 0x0325, Arc = 0x0817, Pie = 0x081A, Chord = 0x0830;
constexpr std::uint16_t MM_ANISOTROPIC = 8, TA_BASELINE = 24, TA_CENTER = 6, TA_RIGHT = 2;
constexpr std::uint16_t PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_NULL = 5;
constexpr std::uint16_t BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2;
constexpr std::uint8_t SYMBOL_CHARSET = 2;

// Every picture starts like the programs that write WMF files start: mapping
// mode, window origin at the bounding box's corner, window extent its size.
TWmfBuilder Picture(std::int16_t left, std::int16_t top, std::int16_t w, std::int16_t h) {
    TWmfBuilder b;
    b.SetMapMode(MM_ANISOTROPIC).SetWindowOrg(left, top).SetWindowExt(w, h);
    return b;
}

// Pens and brushes on the basic shapes, each object deleted when done so
// that its slot is taken again by the next one.
TWmfBuilder Shapes() {
    TWmfBuilder b = Picture(0, 0, 1400, 900);
    b.CreatePen(PS_SOLID, 3, Black).SelectObject(0);             // slot 0
    b.CreateBrush(BS_SOLID, Rgb(255, 220, 120)).SelectObject(1); // slot 1
    b.Rectangle(50, 50, 350, 250).Ellipse(400, 50, 700, 250).RoundRect(750, 50, 1050, 250, 80, 60);
    b.CreateBrush(BS_HATCHED, Blue, 5).SelectObject(2).DeleteObject(1); // diagonal cross hatch, slot 2
    b.Poly(Polygon, {{1100, 250}, {1250, 50}, {1350, 250}});
    b.CreatePen(PS_DASH, 1, Red).SelectObject(1).DeleteObject(0); // the dashed pen takes the freed slot 1
    b.ArcLike(Arc, 50, 300, 350, 500, {350, 400}, {200, 300});
    b.ArcLike(Pie, 400, 300, 700, 500, {700, 400}, {550, 300});
    b.ArcLike(Chord, 750, 300, 1050, 500, {1050, 450}, {750, 450});
    b.CreatePen(PS_DOT, 1, Green).SelectObject(0).DeleteObject(1); // slot 0 again
    b.Poly(Polyline, {{1100, 500}, {1150, 300}, {1200, 500}, {1250, 300}, {1300, 500}});
    b.CreatePen(PS_DASHDOT, 2, Blue).SelectObject(1).DeleteObject(0);
    b.MoveTo(50, 600).LineTo(350, 850).LineTo(50, 850);
    b.CreateBrush(BS_SOLID, Orange).SelectObject(0).DeleteObject(2);
    b.PolyPolygon({{{400, 600}, {700, 600}, {700, 850}, {400, 850}}, {{480, 660}, {620, 660}, {550, 800}}});
    b.CreateBrush(BS_NULL, Black).SelectObject(2).DeleteObject(0); // hollow brush: outline only
    b.Ellipse(750, 600, 1050, 850);
    for (std::int16_t i = 0; i < 10; ++i)
        b.SetPixel(static_cast<std::int16_t>(1100 + 25 * i), 720, Red);
    return b;
}

// Text: fonts with weight, slant, underline and escapement, alignment, the
// ANSI characters above 127, a symbol font, and clipped text with advances.
TWmfBuilder Texts() {
    TWmfBuilder b = Picture(0, 0, 1400, 1000);
    b.SetTextColor(Black).SetTextAlign(TA_BASELINE);
    b.CreateFont("Arial", -60).SelectObject(0);
    b.TextOut(50, 100, "Arial normal");
    b.CreateFont("Arial", -60, 0, 0, 700).SelectObject(1).DeleteObject(0);
    b.TextOut(50, 200, "Arial fett");
    b.CreateFont("Times New Roman", -60, 0, 0, 400, true, true).SelectObject(0).DeleteObject(1);
    b.TextOut(50, 300, "Times kursiv, unterstrichen");
    b.CreateFont("Arial", -50, 0, 450).SelectObject(1).DeleteObject(0);
    b.SetTextColor(Blue).TextOut(900, 400, "45 Grad");
    b.CreateFont("Arial", -50).SelectObject(0).DeleteObject(1);
    b.SetTextColor(Red).TextOut(50, 450, "Gr\xFC\xDF\x65 \x80 10 \xB0\x43 \xE4\xF6\xFC"); // Größe € 10 °C äöü
    b.SetTextColor(Black).SetTextAlign(TA_BASELINE | TA_CENTER).TextOut(700, 550, "zentriert");
    b.SetTextAlign(TA_BASELINE | TA_RIGHT).TextOut(1350, 550, "rechts");
    b.SetTextAlign(TA_BASELINE);
    b.CreateFont("Symbol", -60, SYMBOL_CHARSET);
    b.SaveDC().SelectObject(1).TextOut(50, 700, "abgdp").RestoreDC(-1); // alpha beta gamma delta pi
    b.ExtTextOut(50, 850, 4, "gesperrt", {60, 60, 60, 60, 60, 60, 60, 60}, {40, 780}, {700, 880});
    return b;
}

// Object slots: palettes and regions take slots like pens and brushes, and a
// deleted slot is the next one used.
TWmfBuilder Slots() {
    TWmfBuilder b = Picture(0, 0, 1000, 700);
    b.CreatePalette(4);                                // slot 0
    b.CreatePen(PS_SOLID, 4, Blue);                    // slot 1
    b.CreateRegion();                                  // slot 2
    b.CreateBrush(BS_SOLID, Rgb(200, 230, 255));       // slot 3
    b.SelectObject(1).SelectObject(3).SelectObject(0); // the palette selects nothing
    b.Rectangle(50, 50, 450, 300);
    b.DeleteObject(0).CreatePen(PS_SOLID, 2, Red); // slot 0 again, now a pen
    b.SelectObject(0).Ellipse(500, 50, 950, 300);
    b.DeleteObject(2).CreateBrush(BS_HATCHED, Green, 2); // slot 2, a cross hatch
    b.SelectObject(2).Poly(Polygon, {{50, 650}, {250, 350}, {450, 650}});
    b.SaveDC().SelectObject(1).CreateBrush(BS_SOLID, White).SelectObject(4);
    b.RoundRect(500, 350, 950, 650, 100, 100).RestoreDC(-1);
    b.CreatePen(PS_NULL, 0, Black).SelectObject(5).CreateBrush(BS_SOLID, Orange).SelectObject(6);
    b.Rectangle(650, 450, 800, 550);
    return b;
}

bool Save(const std::filesystem::path& folder, const char* name, const std::vector<std::uint8_t>& bytes) {
    const auto path = folder / name;
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f) {
        std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
        return false;
    }
    std::printf("%s\n", path.string().c_str());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = argc > 1 ? argv[1] : "examples";
    std::filesystem::create_directories(folder);
    bool ok = Save(folder, "wmf_shapes.wmf", Shapes().Objects(3).Build(0, 0, 1400, 900, 576));
    ok = Save(folder, "wmf_texts.wmf", Texts().Objects(2).Build(0, 0, 1400, 1000, 576)) && ok;
    ok = Save(folder, "wmf_slots.wmf", Slots().Objects(7).Build(0, 0, 1000, 700, 576)) && ok;
    return ok ? 0 : 1;
}
