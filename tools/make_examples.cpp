// Writes the example metafiles of examples/: small drawings that together use
// every pen style, brush kind, font variant, transform and drawing record the
// converter understands.
//
// Usage: make_examples [folder]   (default: examples)

#include "EmfBuilder.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using mv::test::TEmfBuilder;
using mv::test::TPt;

namespace {

constexpr std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return r | static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b) << 16;
}
constexpr std::uint32_t Black = 0, White = Rgb(255, 255, 255), Red = Rgb(255, 0, 0), Green = Rgb(0, 160, 0),
                        Blue = Rgb(0, 0, 255), Orange = Rgb(255, 128, 0), Grey = Rgb(128, 128, 128);
constexpr std::uint32_t WhiteBrush = 0x80000000, LtGrayBrush = 0x80000001, GrayBrush = 0x80000002,
                        DkGrayBrush = 0x80000003, BlackBrush = 0x80000004, NullBrush = 0x80000005,
                        WhitePen = 0x80000006, BlackPen = 0x80000007, NullPen = 0x80000008;
// Record types.
enum : std::uint32_t {
    PolyBezier = 2,
    Polygon = 3,
    Polyline = 4,
    PolyBezierTo = 5,
    PolylineTo = 6,
    Arc = 45,
    Chord = 46,
    Pie = 47,
    ArcTo = 55,
    PolyBezier16 = 85,
    Polygon16 = 86,
    Polyline16 = 87,
    PolyBezierTo16 = 88,
    PolylineTo16 = 89,
    PolyPolyline16 = 90,
    PolyPolygon16 = 91,
};
// Text alignment bits.
constexpr std::uint32_t TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_BOTTOM = 8, TA_BASELINE = 24;

// A caption under a panel, in the default text colour.
void Caption(TEmfBuilder& b, std::int32_t x, std::int32_t y, std::u16string_view text) {
    b.SetTextAlign(0).TextOut(x, y, text);
}

void Save(const std::filesystem::path& folder, const char* name, const TEmfBuilder& b, std::int32_t w,
          std::int32_t h) {
    const auto bytes = b.Build(w, h);
    const auto path = folder / name;
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f) {
        std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
        std::exit(1);
    }
    std::printf("%s (%zu bytes)\n", path.string().c_str(), bytes.size());
}

// Every pen style of CREATEPEN and EXTCREATEPEN, several widths, the stock pens
// and pens used by lines, polylines and LINETO chains.
TEmfBuilder Pens() {
    TEmfBuilder b;
    b.CreateFont(1, u"Arial", -12).SelectObject(1);
    const char16_t* names[] = {u"solid", u"dash",         u"dot",        u"dash dot", u"dash dot dot",
                               u"null",  u"inside frame", u"user style", u"alternate"};
    for (std::uint32_t style = 0; style <= 8; ++style) {
        const std::int32_t y = 20 + 30 * static_cast<std::int32_t>(style);
        const std::uint32_t colours[] = {Black, Red, Green, Blue, Orange, Black, Grey, Red, Blue};
        b.CreatePen(2, style, 1, colours[style]).SelectObject(2);
        b.Poly(Polyline, {{20, y}, {220, y}, {260, y + 10}});
        b.DeleteObject(2);
        Caption(b, 280, y - 6, names[style]);
    }
    // Widths and extended pens (geometric, flat caps) of the dashed styles.
    for (std::uint32_t i = 0; i < 5; ++i) {
        const std::int32_t x = 420 + 40 * static_cast<std::int32_t>(i);
        b.ExtCreatePen(3, 0x00010000 | i, 2 + 4 * i, Rgb(200, static_cast<std::uint8_t>(40 * i), 0))
            .SelectObject(3);
        b.MoveTo(x, 20).LineTo(x, 280);
        b.DeleteObject(3);
    }
    // Stock pens: a LINETO chain in black, a polyline in white over a grey box,
    // and the null pen, which only moves the position.
    b.SelectObject(BlackPen).MoveTo(20, 320).LineTo(120, 360).LineTo(220, 320);
    b.SelectObject(NullPen).LineTo(320, 360);
    b.SelectObject(BlackPen).LineTo(420, 320);
    b.SelectObject(GrayBrush).SelectObject(NullPen).Rectangle(440, 310, 640, 370);
    b.SelectObject(WhitePen).Poly(Polyline, {{450, 340}, {630, 340}});
    b.SelectObject(BlackPen);
    Caption(b, 20, 380, u"Stock pens: black, null (moves only), white");
    return b;
}

// Solid, hatched, null and stock brushes on rectangles, polygons and ellipses.
TEmfBuilder Brushes() {
    TEmfBuilder b;
    b.CreateFont(1, u"Arial", -12).SelectObject(1).SelectObject(BlackPen);
    // Solid brushes; a red brush with a red pen shows no separate outline.
    b.CreateBrush(2, 0, Red).SelectObject(2).CreatePen(3, 0, 1, Red).SelectObject(3);
    b.Rectangle(20, 20, 120, 80);
    b.SelectObject(BlackPen).CreateBrush(4, 0, Green).SelectObject(4).Rectangle(140, 20, 240, 80);
    b.CreateBrush(5, 1, Blue).SelectObject(5).Rectangle(260, 20, 360, 80); // BS_NULL made by a record
    Caption(b, 20, 90, u"solid red (pen of the same colour), solid green, created hollow brush");
    // The six hatch styles on triangles.
    for (std::uint32_t h = 0; h < 6; ++h) {
        const std::int32_t x = 20 + 100 * static_cast<std::int32_t>(h);
        b.CreateBrush(6, 2, Rgb(0, 0, static_cast<std::uint8_t>(40 * h + 40)), h).SelectObject(6);
        b.Poly(Polygon, {{x, 200}, {x + 80, 200}, {x + 40, 120}});
        b.SelectObject(NullBrush).DeleteObject(6);
    }
    Caption(b, 20, 210,
            u"hatches: horizontal, vertical, forward and backward diagonal, cross, diagonal cross");
    // Stock brushes.
    const std::uint32_t stock[] = {WhiteBrush, LtGrayBrush, GrayBrush, DkGrayBrush, BlackBrush};
    for (std::size_t i = 0; i < 5; ++i) {
        const std::int32_t x = 20 + 100 * static_cast<std::int32_t>(i);
        b.SelectObject(stock[i]).Ellipse(x, 240, x + 80, 300);
    }
    b.SelectObject(NullBrush).Ellipse(520, 240, 600, 300);
    Caption(b, 20, 310, u"stock brushes white to black, null brush");
    // A white rectangle over earlier figures (hides them when white is taken as a mask).
    b.SelectObject(BlackBrush).Rectangle(20, 340, 300, 400);
    b.SelectObject(WhiteBrush).SelectObject(WhitePen).Rectangle(100, 350, 200, 390);
    b.SelectObject(BlackPen);
    return b;
}

// Faces, weights, slants, underline, Symbol, rotation, alignment, colours and
// text that moves the current position.
TEmfBuilder Fonts() {
    TEmfBuilder b;
    b.CreateFont(1, u"Arial", -20).CreateFont(2, u"Arial", -20, 0, 700);
    b.CreateFont(3, u"Times New Roman", -24, 0, 400, true);
    b.CreateFont(4, u"Courier New", -16, 0, 700, true, true);
    b.CreateFont(5, u"Symbol", -20, 0, 400, false, false, 2);
    b.CreateFont(6, u"Arial", -16, 450).CreateFont(7, u"Arial", -16, 900);
    b.CreateFont(8, u"Verdana", 30); // cell height
    b.SetTextColor(Black);
    b.SelectObject(1).TextOut(20, 20, u"Arial regular");
    b.SelectObject(2).TextOut(20, 50, u"Arial bold");
    b.SelectObject(3).SetTextColor(Blue).TextOut(20, 80, u"Times italic, blue");
    b.SelectObject(4).SetTextColor(Red).TextOut(20, 110, u"Courier bold italic underlined");
    b.SelectObject(5).SetTextColor(Black).TextOut(20, 140, u"\uF061\uF062\uF067\uF064\uF070\uF053");
    b.SelectObject(1).TextOut(20, 170, u"Umlaute: \u00C4\u00D6\u00DC\u00E4\u00F6\u00FC\u00DF \u20AC 5");
    b.SelectObject(8).TextOut(20, 200, u"Verdana, cell height 30");
    b.SelectObject(6).TextOut(400, 200, u"45 degrees");
    b.SelectObject(7).TextOut(560, 250, u"90 degrees");
    // Alignments around a marked point.
    b.SelectObject(BlackPen).SelectObject(1);
    const std::uint32_t aligns[] = {
        0, TA_CENTER, TA_RIGHT, TA_BOTTOM, TA_BASELINE | TA_CENTER, TA_BOTTOM | TA_RIGHT};
    for (std::size_t i = 0; i < 6; ++i) {
        const std::int32_t y = 260 + 30 * static_cast<std::int32_t>(i);
        b.MoveTo(195, y).LineTo(205, y).MoveTo(200, y - 5).LineTo(200, y + 5);
        b.SetTextAlign(aligns[i]).TextOut(200, y, u"Anchor");
    }
    // Text that follows the current position.
    b.MoveTo(20, 460).SetTextAlign(TA_UPDATECP).TextOut(0, 0, u"one ").TextOut(0, 0, u"two ");
    b.TextOut(0, 0, u"three");
    b.SetTextAlign(0);
    return b;
}

// World transforms, window origin, and the saved state.
TEmfBuilder Transforms() {
    TEmfBuilder b;
    b.CreateFont(1, u"Arial", -14).SelectObject(1).SelectObject(BlackPen);
    b.CreateBrush(2, 0, Orange).SelectObject(2);
    const TPt square[] = {{0, 0}, {60, 0}, {60, 60}, {0, 60}};
    b.SetWindowOrg(-20, -20);
    b.Poly(Polygon, square).TextOut(0, 70, u"window origin (-20, -20)");
    b.SaveDC();
    b.SetWorldTransform(1, 0, 0, 1, 200, 0).Poly(Polygon, square).TextOut(0, 70, u"translated");
    b.SetWorldTransform(1.5f, 0, 0, 0.5f, 400, 0).Poly(Polygon, square);
    // Rotation by 30 degrees applied after a translation.
    const float c = std::cos(0.5235988f), s = std::sin(0.5235988f);
    b.SetWorldTransform(1, 0, 0, 1, 0, 0).ModifyWorldTransform(1, 0, 0, 1, 100, 200, 4);
    b.ModifyWorldTransform(c, s, -s, c, 0, 0, 2).Poly(Polygon, square);
    b.ModifyWorldTransform(1, 0, 0, 1, 150, 0, 3).Poly(Polygon, square);
    b.ModifyWorldTransform(0, 0, 0, 0, 0, 0, 1).Ellipse(400, 200, 460, 260);
    b.SetWorldTransform(1, 0, 0, 1, 200, 300).CreatePen(3, 1, 2, Blue).SelectObject(3);
    b.SaveDC(); // replaces the first save
    b.SetWorldTransform(2, 0, 0, 2, 0, 0).SelectObject(BlackPen).Poly(Polyline, {{140, 10}, {160, 40}});
    b.RestoreDC(-1).Poly(Polyline, {{0, 0}, {60, 60}, {120, 0}}).TextOut(0, 70, u"restored (dashed)");
    b.RestoreDC(-1).Rectangle(400, 300, 500, 360);
    return b;
}

// Arcs, chords, pies, circles, ellipses, rounded rectangles and Bezier curves.
TEmfBuilder Curves() {
    TEmfBuilder b;
    b.CreateFont(1, u"Arial", -12).SelectObject(1);
    b.CreatePen(2, 0, 2, Blue).SelectObject(2).SelectObject(NullBrush);
    b.Ellipse(20, 20, 120, 120).Ellipse(140, 20, 300, 100).Ellipse(320, 20, 380, 140);
    b.CreateBrush(3, 2, Green, 5).SelectObject(3).Ellipse(400, 20, 500, 120).Ellipse(520, 20, 680, 90);
    b.SelectObject(NullBrush);
    Caption(b, 20, 150, u"circle, wide and tall ellipse, filled circle and ellipse");
    b.ArcLike(Arc, 20, 180, 120, 280, {120, 230}, {70, 180});
    b.ArcLike(Chord, 140, 180, 300, 260, {300, 220}, {140, 220});
    b.ArcLike(Pie, 320, 180, 380, 300, {350, 180}, {380, 240});
    b.MoveTo(400, 300).ArcLike(ArcTo, 400, 180, 500, 280, {400, 230}, {500, 230}).LineTo(520, 300);
    b.AngleArc(600, 230, 50, 30, 240);
    Caption(b, 20, 310, u"arc, chord, pie, arc-to, angle arc");
    b.SelectObject(BlackPen).RoundRect(20, 340, 200, 420, 40, 30).RoundRect(220, 340, 300, 420, 200, 200);
    b.Poly(PolyBezier, {{320, 420}, {350, 330}, {420, 330}, {450, 420}, {480, 500}, {540, 340}, {560, 420}});
    b.MoveTo(580, 420).Poly(PolyBezierTo16, {{580, 420}, {600, 340}, {660, 340}, {680, 420}});
    b.Poly(PolyBezier16, {{20, 460}, {60, 520}, {100, 440}}); // not whole segments: a polyline
    Caption(b, 20, 530, u"rounded rectangles, Bezier chains");
    return b;
}

// Point lists of every form, several lists in one record, and a small plan
// drawn with 16-bit records and the current position.
TEmfBuilder PolyPolygons() {
    TEmfBuilder b;
    b.CreateFont(1, u"Arial", -12).SelectObject(1);
    b.CreatePen(2, 0, 1, Black).SelectObject(2).CreateBrush(3, 0, Rgb(200, 220, 255)).SelectObject(3);
    // A frame with two holes: one hatch of three loops, then three outlines.
    b.PolyPoly16(PolyPolygon16, {{{20, 20}, {300, 20}, {300, 200}, {20, 200}},
                                 {{50, 50}, {120, 50}, {120, 120}, {50, 120}},
                                 {{180, 80}, {260, 60}, {240, 170}}});
    b.CreateBrush(4, 2, Red, 4).SelectObject(4);
    b.PolyPoly16(PolyPolygon16, {{{340, 20}, {460, 20}, {400, 120}}, {{480, 20}, {600, 20}, {540, 120}}});
    b.SelectObject(NullBrush).CreatePen(5, 3, 1, Grey).SelectObject(5);
    b.PolyPoly16(PolyPolyline16,
                 {{{20, 240}, {120, 300}, {220, 240}}, {{240, 240}, {340, 300}}, {{360, 240}}});
    b.SelectObject(2);
    b.Poly(Polyline16, {{20, 340}, {-20, 380}, {60, 400}});
    b.Poly(Polygon16, {{100, 340}, {180, 340}, {140, 400}});
    b.MoveTo(220, 340).Poly(PolylineTo16, {{260, 400}, {300, 340}}).LineTo(340, 400);
    b.Poly(PolylineTo, {{380, 340}, {420, 400}});
    b.SetPixel(460, 370, Red).SetPixel(470, 370, Green).SetPixel(480, 370, Blue);
    Caption(b, 20, 420, u"poly-polygons (solid with holes, hatched), poly-polylines, 16-bit lists, pixels");
    return b;
}

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = argc > 1 ? argv[1] : "examples";
    std::filesystem::create_directories(folder);
    Save(folder, "pens.emf", Pens(), 700, 400);
    Save(folder, "brushes.emf", Brushes(), 700, 420);
    Save(folder, "fonts.emf", Fonts(), 700, 480);
    Save(folder, "transforms.emf", Transforms(), 700, 500);
    Save(folder, "curves.emf", Curves(), 700, 560);
    Save(folder, "polypolygons.emf", PolyPolygons(), 700, 440);
    return 0;
}
