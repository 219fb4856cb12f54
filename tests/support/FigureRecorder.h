#pragma once
// A figure sink that keeps every call with a copy of its description, the
// point list a polyline is made from standing alone in it.

#include "figure/FigureSink.h"

#include <string>
#include <vector>

namespace mv::test {

class TFigureRecorder : public IFigureSink {
public:
    enum class TCall : std::uint8_t {
        Pixel,
        Line,
        Rectangle,
        Hatch,
        Polyline,
        PolyBezier,
        Circle,
        Ellipse,
        Arc,
        MText,
        Image
    };
    struct TEntry {
        TCall Call;
        TdxfExportData Data;
    };

    void AddPixel(const TdxfExportData& d) override { Keep(TCall::Pixel, d); }
    void AddLine(const TdxfExportData& d) override { Keep(TCall::Line, d); }
    void AddRectangle(const TdxfExportData& d) override { Keep(TCall::Rectangle, d); }
    void AddHatch(const TdxfExportData& d) override { Keep(TCall::Hatch, d); }
    void AddPolyline(const TdxfExportData& d, int index) override { Keep(TCall::Polyline, d, index); }
    void AddPolyBezier(const TdxfExportData& d, int index) override { Keep(TCall::PolyBezier, d, index); }
    void AddCircle(const TdxfExportData& d) override { Keep(TCall::Circle, d); }
    void AddEllipse(const TdxfExportData& d) override { Keep(TCall::Ellipse, d); }
    void AddArc(const TdxfExportData& d) override { Keep(TCall::Arc, d); }
    void AddMText(const TdxfExportData& d) override { Keep(TCall::MText, d); }
    // An image as its origin (Point1), U (Point2) and pixel size (Radius, Height).
    void AddImage(const TdxfImageData& image) override {
        TdxfExportData d;
        d.Point1 = image.Origin;
        d.Point2 = image.U;
        d.Radius = static_cast<float>(image.Width());
        d.Height = static_cast<float>(image.Height());
        Images.push_back(image.V);
        Keep(TCall::Image, d);
    }
    void AddLineType(std::string_view name, std::span<const float>, int) override {
        LineTypes.emplace_back(name);
    }

    std::vector<TCall> Calls() const {
        std::vector<TCall> calls;
        for (const TEntry& e : Entries)
            calls.push_back(e.Call);
        return calls;
    }
    const TdxfExportData& At(std::size_t i) const { return Entries.at(i).Data; }
    // The points of call i: the polyline's own list, or the first loop of a hatch.
    const TdxfPointList& PointsOf(std::size_t i) const { return Entries.at(i).Data.Points.at(0); }

    std::vector<TEntry> Entries;
    std::vector<std::string> LineTypes;
    std::vector<TdxfPoint> Images; // the V vector of each image

private:
    void Keep(TCall call, const TdxfExportData& d, int index = -1) {
        TEntry e{call, d};
        if (index >= 0) e.Data.Points = {d.Points.at(static_cast<std::size_t>(index))};
        Entries.push_back(std::move(e));
    }
};

} // namespace mv::test
