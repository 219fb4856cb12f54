#pragma once
// TClipStage: a figure sink between the default mode's interpreter and the
// real sink that cuts every figure to the current clipping region. What
// lies outside never reaches the sink; lines and polylines are cut exactly
// (a polyline may become several), hatch loops are cut as polygons, and
// circles, ellipses, arcs and Bezier runs stay what they are unless they
// cross the region's edge, where they are cut as polylines. A text or a
// point is kept when its insertion point lies inside.

#include "figure/FigureSink.h"
#include "metafile/ClipRegion.h"

#include <memory>

namespace mv {

class TClipStage : public IFigureSink {
public:
    explicit TClipStage(IFigureSink& next) : next_(next) {}

    // The region figures are cut to; none lets everything through.
    void SetRegion(std::shared_ptr<const TClipRegion> region) { region_ = std::move(region); }
    const TClipRegion* Region() const { return region_.get(); }

    void AddPixel(const TdxfExportData& data) override;
    void AddLine(const TdxfExportData& data) override;
    void AddRectangle(const TdxfExportData& data) override;
    void AddHatch(const TdxfExportData& data) override;
    void AddPolyline(const TdxfExportData& data, int index) override;
    void AddPolyBezier(const TdxfExportData& data, int index) override;
    void AddCircle(const TdxfExportData& data) override;
    void AddEllipse(const TdxfExportData& data) override;
    void AddArc(const TdxfExportData& data) override;
    void AddMText(const TdxfExportData& data) override;
    void AddLineType(std::string_view name, std::span<const float> lengths, int last) override {
        next_.AddLineType(name, lengths, last);
    }

private:
    // Whether a figure within this box goes through uncut.
    bool Whole(const TFigBox& box) const { return !region_ || region_->HoldsWhole(box); }
    // Whether a text's or pixel's point lies inside.
    bool Visible(const TdxfPoint& p) const;
    // Whether nothing of a figure within this box is visible.
    bool Gone(const TFigBox& box) const;
    // The region's boxes that meet this one.
    std::vector<TFigBox> BoxesMeeting(const TFigBox& box) const;
    // The visible parts of a polyline, each as a polyline of the description.
    void CutPolyline(const TdxfExportData& data, const std::vector<TFigPoint>& points, bool closed);
    // The visible parts of a curve that crosses the edge.
    void CutCurve(const TdxfExportData& data, const TEllipseArc& curve);
    void CutLoops(const TdxfExportData& data, const std::vector<std::vector<TFigPoint>>& loops);

    IFigureSink& next_;
    std::shared_ptr<const TClipRegion> region_;
};

} // namespace mv
