// Damaged enhanced metafiles: every byte of a file that uses every handled
// record is overwritten in turn, and every cut of it is tried. Each variant
// must convert or be refused with one of the system's errors; never a crash,
// a read outside the data or another kind of exception.

#include "EmfBuilder.h"
#include "InterpretFixture.h"
#include "dxf/DXFExport.h"
#include "metafile/EnhMetafile.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

using namespace mv;
using test::TEmfBuilder;

namespace {

std::vector<std::uint8_t> EveryRecordKind() {
    TEmfBuilder b;
    b.CreatePen(1, 1, 2, 0x0000FF).ExtCreatePen(2, 3, 1, 0x00FF00).CreateBrush(3, 2, 0xFF0000, 4);
    b.CreateFont(4, u"Arial", -20, 900, 700, true, true).CreateFont(5, u"Symbol", 12);
    b.SelectObject(1).SelectObject(3).SelectObject(4).SetTextAlign(25).SetTextColor(0x0000FF);
    b.SaveDC().SetWorldTransform(1.5f, 0, 0, -2, 10, 20).ModifyWorldTransform(0, 1, -1, 0, 5, 5, 2);
    b.SetWindowOrg(3, 4).MoveTo(1, 1).LineTo(50, 60).SetPixel(7, 8, 0xFFFFFF);
    b.Poly(4, {{0, 0}, {10, 10}, {20, 0}}).Poly(3, {{0, 0}, {10, 10}, {20, 0}});
    b.Poly(2, {{0, 0}, {1, 2}, {3, 4}, {5, 6}}).Poly(6, {{2, 2}, {3, 3}}).Poly(5, {{0, 0}, {1, 1}, {2, 2}});
    b.Poly(87, {{0, 0}, {-5, 5}})
        .Poly(86, {{0, 0}, {4, 0}, {4, 4}})
        .Poly(85, {{0, 0}, {1, 1}, {2, 2}, {3, 3}});
    b.Poly(88, {{1, 1}, {2, 2}, {3, 3}}).Poly(89, {{9, 9}});
    b.PolyPoly16(90, {{{0, 0}, {1, 1}}, {{2, 2}, {3, 3}, {4, 4}}});
    b.PolyPoly16(91, {{{0, 0}, {10, 0}, {10, 10}}, {{2, 2}, {3, 3}, {2, 3}}});
    b.Rectangle(0, 0, 100, 50).RoundRect(0, 0, 100, 60, 20, 20).Ellipse(0, 0, 100, 40);
    b.ArcLike(45, 0, 0, 100, 100, {100, 50}, {50, 0}).ArcLike(47, 0, 0, 200, 100, {0, 0}, {200, 0});
    b.AngleArc(10, 10, 30, 45, 90).TextOut(5, 5, u"Hallo \u20ac").SelectObject(5).TextOut(0, 0, u"\uF061b");
    b.RestoreDC().DeleteObject(1).SelectObject(0x80000000).SelectObject(0x80000008).DeleteObject(4);
    return b.Build();
}

// Converts the bytes; returns false when a foreign exception escaped.
bool ConvertsOrFailsCleanly(std::vector<std::uint8_t> bytes, std::string& what) {
    try {
        TmvDXFExport e;
        test::TFixedMetricMeasure measure;
        e.SetTextMeasure(&measure);
        e.SetParseWhite(true);
        e.LoadFromMetafile(TEnhMetafile::FromFileBytes(std::move(bytes)));
        e.SaveToString();
    } catch (const TmvError& err) {
        if (std::string(err.what()).empty()) {
            what = "an error without a message";
            return false;
        }
    } catch (const std::exception& err) {
        what = err.what();
        return false;
    }
    return true;
}

} // namespace

TEST(DamagedMetafiles, EveryCutIsConvertedOrRefused) {
    const auto good = EveryRecordKind();
    std::string what;
    ASSERT_TRUE(ConvertsOrFailsCleanly(good, what)) << what;
    for (std::size_t n = 0; n < good.size(); n += 3) {
        std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        ASSERT_TRUE(ConvertsOrFailsCleanly(cut, what)) << "cut at " << n << ": " << what;
    }
}

TEST(DamagedMetafiles, EveryOverwrittenByteIsConvertedOrRefused) {
    const auto good = EveryRecordKind();
    std::string what;
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (std::uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            if (good[at] == value) continue;
            auto bytes = good;
            bytes[at] = value;
            ASSERT_TRUE(ConvertsOrFailsCleanly(bytes, what))
                << "byte " << at << " := " << int(value) << ": " << what;
        }
    }
}
