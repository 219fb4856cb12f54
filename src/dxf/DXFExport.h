#pragma once
// TmvDXFExport: the drawing being converted. It owns the figures that the
// metafile interpreter produces, the layers, the generated line types and the
// interpreter, and writes everything as one DXF file (R14 or R2000).

#include "dxf/FigureCollector.h"
#include "dxf/Figures.h"
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
    ~TmvDXFExport();
    TmvDXFExport(const TmvDXFExport&) = delete;
    TmvDXFExport& operator=(const TmvDXFExport&) = delete;

    // Settings.
    void SetParseWhite(bool value) { ParseWhite = value; }
    void SetUse01MM(bool value) { Use01MM = value; }
    void SetAutoCADVersion(std::int8_t value) { AutoCADVersion = value; }
    // The interpreter's settings, read while the metafile is interpreted, so
    // they must be set before loading.
    void SetInterpretSettings(const TInterpretSettings& settings);
    const TInterpretSettings& InterpretSettings() const { return interpretSettings_; }
    // Black as colour number 250 instead of 7.
    void SetAlternativeBlack(bool value);
    // Text measurement used by the interpreter; none = the platform's default.
    void SetTextMeasure(ITextMeasure* measure);
    // Makes one of the exporter's own layers current.
    void SetCurrentLayer(TmvExpDXFLayer* layer);
    // Takes a new layer into Layers and makes it current.
    void SetCurrentLayer(std::unique_ptr<TmvExpDXFLayer> layer);

    // Conversion.
    void LoadFromFile(const std::string& fileName);
    void LoadFromMetafile(const TEnhMetafile& metafile);
    void ResetDrawing();
    void SaveToFile(const std::string& fileName);
    void SaveToStream(std::ostream& stream);
    // The whole file as it would be written (for tests and previews).
    std::string SaveToString();

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
    // Appends one LTYPE record to LineTypeLines.
    void AddLineType(std::string_view name, std::span<const float> lengths, int last) override;

    // Takes over a figure made elsewhere; it keeps its layer.
    void AddFigure(std::unique_ptr<TmvExpDXFFigure> figure) {
        figures_.Figures().push_back(std::move(figure));
    }
    // The figures in drawing order.
    const TFigureList& Figures() const { return figures_.Figures(); }

    // Writer primitives: all append to Output.
    void AddInt(int code, std::int32_t value);
    void AddString(int code, std::string_view value);
    void AddFloat(int code, long double value);
    void AddPoint(int code, const TdxfPoint& p);
    void AddPoint(int code, float x, float y);
    void AddPoint3D(int code, const TdxfPoint& p);
    void AddHandle();
    void AddEntityHeader(std::string_view name, std::string_view subclass);
    void AddColor(const TdxfFigureFields& data);
    void AddLineTypeAndWeight(const TdxfFigureFields& data);
    void AddPolylineHeader(const TdxfFigureFields& data, std::int32_t vertexCount);
    // A value line written as it stands, after a code line of its own.
    void AddCodeLine(int code);
    void AddRawLine(std::string_view line) { Output->Add(line); }

    long double ScaleValue(long double x) const { return Use01MM ? x / 100.0L : x; }
    std::string GetVersionString() const { return AutoCADVersion < 1 ? "AC1014" : "AC1015"; }

    std::int8_t AutoCADVersion = 1;
    TmvExpDXFLayer* CurrentLayer = nullptr;
    std::string CurrentLayerName = "0";
    std::vector<std::unique_ptr<TmvExpDXFLayer>> Layers;
    TLineList* Output;
    TLineList EntityLines;
    TLineList LineTypeLines;
    std::unique_ptr<TmvMetafile> Interpreter;
    std::int32_t NextHandle = 32;
    TdxfPoint ExtMin;
    TdxfPoint ExtMax;
    bool Use01MM = false;
    bool ParseWhite = false;
    float HatchScale = 300.0f;
    long double PenWidthRatio = -1.0L;

private:
    void WriteEntities();
    void BuildHead(TLineList& head);
    void BuildTail(TLineList& tail);

    TFigureCollector figures_;
    TInterpretSettings interpretSettings_;
};

} // namespace mv
