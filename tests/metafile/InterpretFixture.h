#pragma once
// Plays metafiles built in the test through an exporter and gives access to
// the figures and to the description a record left behind.

#include "EmfBuilder.h"
#include "dxf/DXFExport.h"
#include "dxf/Figures.h"
#include "metafile/EnhMetafile.h"
#include "metafile/Metafile.h"
#include "platform/TextMeasure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mv::test {

// Half the height per character, whatever the face; remembers every call.
class TFixedMetricMeasure : public ITextMeasure {
public:
    struct TCall {
        std::string Face;
        std::int32_t Height;
        std::string Text;
    };
    double TextWidth(std::string_view face, std::int32_t height, std::string_view text) override {
        Calls.push_back({std::string(face), height, std::string(text)});
        return 0.5 * std::abs(height) * static_cast<double>(text.size());
    }
    std::vector<TCall> Calls;
};

class InterpretTest : public ::testing::Test {
protected:
    // These tests hold the classic interpretation; the default mode has its own.
    InterpretTest() {
        Exporter.SetTextMeasure(&Measure);
        Exporter.SetClassic(true);
    }

    // Interprets what B holds so far.
    void Load() { Exporter.LoadFromMetafile(TEnhMetafile::FromEmfBytes(B.Build())); }

    // Interprets what B holds record by record and returns the description as
    // the last record of the given type left it.
    TdxfExportData DataAfter(std::uint32_t type) {
        const TEnhMetafile mf = TEnhMetafile::FromEmfBytes(B.Build());
        TdxfExportData last;
        for (const TEmrRecord& record : mf.Records()) {
            Exporter.Interpreter().PlayRecord(record);
            if (record.Type == type) last = Exporter.Interpreter().Data;
        }
        return last;
    }

    TmvMetafile& Interp() { return Exporter.Interpreter(); }

    std::vector<TFigureKind> Kinds() const {
        std::vector<TFigureKind> kinds;
        for (const auto& f : Exporter.Figures())
            kinds.push_back(f->Kind());
        return kinds;
    }

    template <class F> const F& Fig(std::size_t i) const {
        EXPECT_LT(i, Exporter.Figures().size());
        const F* f = dynamic_cast<const F*>(Exporter.Figures().at(i).get());
        if (!f) throw std::logic_error("figure " + std::to_string(i) + " is of another class");
        return *f;
    }
    const TdxfExportData& D(std::size_t i) const { return Exporter.Figures().at(i)->Data; }

    std::vector<TdxfPoint> Vertices(std::size_t i) const { return Fig<TmvExpDXFPolyline>(i).Vertices; }

    // The message of the error that interpreting B raises, or "" when none.
    std::string LoadError() {
        try {
            Load();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }

    TmvDXFExport Exporter;
    TFixedMetricMeasure Measure;
    TEmfBuilder B;
};

// Records of every kind the interpreter handles, with pens, brushes, fonts,
// transforms and the saved state in play.
inline void AddEveryRecordKind(TEmfBuilder& b) {
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
}

// A metafile of those records.
inline std::vector<std::uint8_t> EveryRecordKind() {
    TEmfBuilder b;
    AddEveryRecordKind(b);
    return b.Build();
}

inline std::vector<TdxfPoint> Pts(std::initializer_list<std::pair<float, float>> xy) {
    std::vector<TdxfPoint> v;
    for (auto [x, y] : xy)
        v.push_back(TdxfPoint{x, y, 0});
    return v;
}

inline constexpr std::uint32_t Red = 0x0000FF, Blue = 0xFF0000, White = 0xFFFFFF, Black = 0;
inline constexpr std::uint32_t WhiteBrush = 0x80000000, LtGrayBrush = 0x80000001, GrayBrush = 0x80000002,
                               BlackBrush = 0x80000004, NullBrush = 0x80000005, WhitePen = 0x80000006,
                               BlackPen = 0x80000007, NullPen = 0x80000008, OemFixedFont = 0x8000000A;

} // namespace mv::test

// Readable failure output for points.
namespace mv {
inline void PrintTo(const TdxfPoint& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ", " << p.z << ")";
}
inline void PrintTo(TFigureKind k, std::ostream* os) {
    static const char* names[] = {"Polyline", "PolyBezier", "Rectangle", "Line", "Pixel",
                                  "Ellipse",  "Arc",        "MText",     "Hatch"};
    *os << names[static_cast<int>(k)];
}
} // namespace mv
