#pragma once
// TFigureCollector: a figure sink that makes and keeps the figures of one
// drawing, each on the current layer. Line types are passed over: only the
// DXF file needs them. The exporter keeps its figures in one; the preview
// uses one on its own.
//
// Every figure passes two rules on its way in: a description holding a value
// that is no finite number is refused with ERangeError (it would put no
// number into the file), and a figure that draws nothing (an empty point
// list, say) is not kept.

#include "dxf/Figures.h"
#include "figure/FigureSink.h"

#include <functional>
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
    void AddImageFile(const TdxfImageData& image, std::size_t fileId, std::int32_t defHandle = 0);

    // The layer that new figures are put on.
    void SetLayerName(std::string name) { layerName_ = std::move(name); }
    const std::string& LayerName() const { return layerName_; }

    // Hands every new figure to `consumer` instead of keeping it; an empty
    // function keeps them again.
    using TConsumer = std::function<void(const TmvExpDXFFigure&)>;
    void SetConsumer(TConsumer consumer) { consumer_ = std::move(consumer); }

    TFigureList& Figures() { return figures_; }
    const TFigureList& Figures() const { return figures_; }

private:
    template <class F, class... Args> void Append(Args&&... args);

    TFigureList figures_;
    std::string layerName_ = "0";
    TConsumer consumer_;
};

} // namespace mv
