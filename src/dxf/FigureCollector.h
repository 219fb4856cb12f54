#pragma once
// TFigureCollector: a figure sink that makes and keeps the figures of one
// drawing, each on the current layer. Line types are passed over: only the
// DXF file needs them. The exporter keeps its figures in one; the preview
// uses one on its own.

#include "dxf/Figures.h"
#include "figure/FigureSink.h"

#include <string>

namespace mv {

class TFigureCollector : public IFigureSink {
public:
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
    // Keeps the figure with a copy of its pixels (the preview draws them).
    void AddImage(const TdxfImageData& image) override;
    void AddLineType(std::string_view, std::span<const float>, int) override {}
    // An image figure whose file is `fileId` of an image set, without pixels.
    void AddImageFile(const TdxfImageData& image, std::size_t fileId);

    // The layer that new figures are put on.
    void SetLayerName(std::string name) { layerName_ = std::move(name); }
    const std::string& LayerName() const { return layerName_; }

    TFigureList& Figures() { return figures_; }
    const TFigureList& Figures() const { return figures_; }

private:
    template <class F, class... Args> void Append(Args&&... args);

    TFigureList figures_;
    std::string layerName_ = "0";
};

} // namespace mv
