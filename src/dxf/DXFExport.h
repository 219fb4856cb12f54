#pragma once
// TmvDXFExport: the drawing being converted. It owns the figures that the
// metafile interpreter produces, the layers, the generated line types and the
// interpreter, and writes everything as one DXF file (R14 or R2000). Nothing
// of its state is public: figures are added through the sink operations,
// settings through the setters, and every group is written by a
// TGroupWriter over one of its line lists.
//
// The file is written as it is made: the figures are first measured (the
// handles they take, the extents they reach), then head and tables go out,
// then every entity straight to the stream, then the tail. A drawing loaded
// with AdoptMetafile and no white masking keeps no figures at all: they are
// measured while the metafile is loaded and made again, one at a time, while
// the file is written, so memory stays that of the metafile.

#include "dxf/ExportSettings.h"
#include "dxf/FigureCollector.h"
#include "dxf/Figures.h"
#include "dxf/GroupWriter.h"
#include "dxf/Layers.h"
#include "dxf/LineList.h"
#include "figure/ExportData.h"
#include "figure/FigureSink.h"
#include "metafile/InterpretSettings.h"

#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

class TmvMetafile;
class TEnhMetafile;

class TmvDXFExport : public IFigureSink {
public:
    TmvDXFExport();
    ~TmvDXFExport() override;
    TmvDXFExport(const TmvDXFExport&) = delete;
    TmvDXFExport& operator=(const TmvDXFExport&) = delete;

    // Settings of the file.
    void SetParseWhite(bool value) { settings_.ParseWhite = value; }
    void SetUse01MM(bool value) { settings_.Use01MM = value; }
    void SetAutoCADVersion(std::int8_t value) { settings_.AutoCADVersion = value; }
    void SetPenWidthRatio(long double value) { settings_.PenWidthRatio = value; }
    const TExportSettings& Settings() const { return settings_; }

    // The interpreter's settings, read while the metafile is interpreted, so
    // they must be set before loading.
    void SetInterpretSettings(const TInterpretSettings& settings);
    const TInterpretSettings& InterpretSettings() const { return interpretSettings_; }
    // Black as colour number 250 instead of 7.
    void SetAlternativeBlack(bool value);
    // The reduced interpretation and file of earlier versions; set before loading.
    void SetClassic(bool value);
    // Text measurement used by the interpreter; none = the platform's default.
    void SetTextMeasure(ITextMeasure* measure);

    // Makes one of the exporter's own layers current.
    void SetCurrentLayer(TmvExpDXFLayer* layer);
    // Takes a new layer into the layer table and makes it current.
    void SetCurrentLayer(std::unique_ptr<TmvExpDXFLayer> layer);
    const TmvExpDXFLayer& CurrentLayer() const { return *currentLayer_; }
    // The layer that new figures are put on.
    const std::string& CurrentLayerName() const { return figures_.LayerName(); }
    const std::vector<std::unique_ptr<TmvExpDXFLayer>>& Layers() const { return layers_; }

    // Conversion.
    void LoadFromFile(const std::string& fileName);
    void LoadFromMetafile(const TEnhMetafile& metafile);
    // Loads a metafile that the exporter keeps until it is saved. Without
    // white masking, in a fresh exporter, its figures are not kept (Figures()
    // stays empty): SaveToStream makes them again from the metafile.
    void AdoptMetafile(TEnhMetafile metafile);
    void ResetDrawing();
    void SaveToFile(const std::string& fileName);
    void SaveToStream(std::ostream& stream);
    // The whole file as it would be written (for tests and previews).
    std::string SaveToString();
    // The interpreter, made on first use and kept for every later load.
    TmvMetafile& Interpreter();

    // Adding figures (called by the interpreter): each makes a figure on the
    // current layer.
    void AddPixel(const TdxfExportData& data) override { figures_.AddPixel(data); }
    void AddLine(const TdxfExportData& data) override { figures_.AddLine(data); }
    void AddRectangle(const TdxfExportData& data) override { figures_.AddRectangle(data); }
    void AddHatch(const TdxfExportData& data) override { figures_.AddHatch(data); }
    void AddPolyline(const TdxfExportData& data, int index) override { figures_.AddPolyline(data, index); }
    void AddPolyBezier(const TdxfExportData& data, int index) override {
        figures_.AddPolyBezier(data, index);
    }
    void AddCircle(const TdxfExportData& data) override { figures_.AddCircle(data); }
    void AddEllipse(const TdxfExportData& data) override { figures_.AddEllipse(data); }
    void AddArc(const TdxfExportData& data) override { figures_.AddArc(data); }
    void AddMText(const TdxfExportData& data) override { figures_.AddMText(data); }
    // Appends one LTYPE record to the line-type lines.
    void AddLineType(std::string_view name, std::span<const float> lengths, int last) override;
    // Takes over a figure made elsewhere; it keeps its layer.
    void AddFigure(std::unique_ptr<TmvExpDXFFigure> figure) {
        figures_.Figures().push_back(std::move(figure));
    }

    // What the drawing holds so far (for tests and diagnostics).
    const TFigureList& Figures() const { return figures_.Figures(); }
    const TLineList& LineTypeLines() const { return lineTypeLines_; }
    std::int32_t NextHandle() const { return nextHandle_; }
    const TExtents& Extents() const { return extents_; }

    long double ScaleValue(long double x) const { return settings_.ScaleValue(x); }
    std::string GetVersionString() const { return settings_.AutoCADVersion < 1 ? "AC1014" : "AC1015"; }

private:
    // What the entities take: their number of handles and the extents
    // after them.
    struct TEntityMeasure {
        std::int32_t Handles = 0;
        TExtents Extents;
    };
    // A drawing whose figures are not kept: its metafile, the settings it
    // was interpreted with, and what its figures took.
    struct TReplay;

    // A writer of table records over lines, sharing the handle counter.
    TGroupWriter TableWriter(TLineList& lines) { return TGroupWriter(lines, nextHandle_, settings_); }
    TEntityMeasure MeasureFigures();
    // Plays the kept metafile again; every figure goes to `consumer`.
    void Replay(const TFigureCollector::TConsumer& consumer);
    // Turns a drawing without kept figures into one with them.
    void KeepReplayedFigures();
    void WriteEntities(TLineList& out, std::int32_t& nextHandle, TExtents& extents);
    void BuildHead(TLineList& head);
    void BuildTail(TLineList& tail);

    TExportSettings settings_;
    TInterpretSettings interpretSettings_;
    TmvExpDXFLayer* currentLayer_ = nullptr; // one of layers_
    std::vector<std::unique_ptr<TmvExpDXFLayer>> layers_;
    TFigureCollector figures_;
    TLineList lineTypeLines_;
    std::unique_ptr<TmvMetafile> interpreter_;
    std::unique_ptr<TReplay> replay_;
    std::int32_t nextHandle_ = 32;
    TExtents extents_;
};

} // namespace mv
