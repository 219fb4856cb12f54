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
class TImageSet;

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

    // Where the drawing's bitmaps become files (not owned; it must outlive
    // the exporter's loading and saving). Without one, bitmaps are left out.
    void SetImageSet(TImageSet* images) { images_ = images; }
    TImageSet* ImageSet() const { return images_; }

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
    // The file once more after SaveToStream, the same entities and handles,
    // with the image files' names as they are now (after the image set's
    // commit gave some of them other names).
    void RewriteToStream(std::ostream& stream);
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
    // The bitmap goes into the image set and an IMAGE figure names its file;
    // without an image set nothing is added (ImagesLeftOut counts them).
    void AddImage(const TdxfImageData& image) override;
    std::size_t ImagesLeftOut() const { return imagesLeftOut_; }
    // What the interpretation left out, one line each (a bitmap that could
    // not be read, say); a last line counts those beyond the limit.
    std::vector<std::string> Warnings() const;
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
    // Measures, then writes head, entities and tail into the stream.
    void WriteStream(std::ostream& stream);
    void BuildHead(TLineList& head);
    void BuildTail(TLineList& tail);
    // The image definitions: handles given out before the entities are written.
    void PlanImageObjects();
    void BuildImageClasses(TLineList& out) const;
    // The root dictionary's entries of the image objects.
    void BuildImageDictionaryEntries(TLineList& out) const;
    void BuildImageObjects(TLineList& out);

    // Where an image file is first placed: its pixel size in the drawing.
    struct TImageUse {
        std::size_t FileId = 0;
        TdxfPoint U, V;
    };
    // The entity and reactor handles of one IMAGE entity as written.
    struct TImageUser {
        std::int32_t EntityHandle = 0;
        std::int32_t ReactorHandle = 0;
    };
    struct TImageDef {
        std::size_t FileId = 0;
        std::int32_t Handle = 0;
        TdxfPoint U, V; // of its first use
        std::vector<TImageUser> Users;
    };
    void PlanImageDef(const TImageUse& use);
    std::int32_t ImageDefHandle(std::size_t fileId) const;
    // Notes the handles of an IMAGE entity just written, for the objects.
    void NoteImageUser(const TmvExpDXFFigure& figure);

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
    TImageSet* images_ = nullptr;
    std::size_t imagesLeftOut_ = 0;
    std::vector<TImageDef> imageDefs_;
    std::int32_t imageDictHandle_ = 0;
    std::int32_t rasterVarsHandle_ = 0;
    // The handle counter and extents before the first SaveToStream, which
    // RewriteToStream starts from again; -1: not saved yet.
    std::int32_t handleBeforeSave_ = -1;
    TExtents extentsBeforeSave_;
    // A replayed drawing's image uses, one per file in the order of first use.
    std::vector<TImageUse> replayImages_;
    bool recordImages_ = false; // the first play of a drawing to be replayed
    bool replaying_ = false;    // a replay adds its images a second time
};

} // namespace mv
