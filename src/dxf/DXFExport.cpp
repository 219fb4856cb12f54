#include "dxf/DXFExport.h"

#include "dxf/EntityGroups.h"
#include "dxf/WhiteMask.h"
#include "image/ImageSet.h"
#include "metafile/EnhMetafile.h"
#include "metafile/Metafile.h"
#include "platform/Errors.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace mv {

namespace {

// The text widths (and capital heights) of the first play, handed out again in the same order to
// every later play, which asks for the same texts: measuring with the fonts
// is the dearest part of playing a drawing.
class TKeptWidths : public ITextMeasure {
public:
    explicit TKeptWidths(ITextMeasure& measure) : measure_(&measure) {}
    double TextWidth(std::string_view face, std::int32_t height, std::string_view text) override {
        if (measure_) return widths_.emplace_back(measure_->TextWidth(face, height, text));
        if (next_ >= widths_.size()) throw std::logic_error("a drawing played again asked for other texts");
        return widths_[next_++];
    }
    double StyledTextWidth(std::string_view face, bool bold, bool italic, std::int32_t height,
                           std::string_view text) override {
        if (measure_)
            return widths_.emplace_back(measure_->StyledTextWidth(face, bold, italic, height, text));
        if (next_ >= widths_.size()) throw std::logic_error("a drawing played again asked for other texts");
        return widths_[next_++];
    }
    double CapHeight(std::string_view face, std::int32_t height) override {
        if (measure_) return widths_.emplace_back(measure_->CapHeight(face, height));
        if (next_ >= widths_.size()) throw std::logic_error("a drawing played again asked for other texts");
        return widths_[next_++];
    }
    // Glyph texts are read through the fonts as well, and kept alike.
    std::u16string GlyphsToText(std::string_view face, std::u16string_view glyphs) override {
        if (measure_) return texts_.emplace_back(measure_->GlyphsToText(face, glyphs));
        if (nextText_ >= texts_.size())
            throw std::logic_error("a drawing played again asked for other glyphs");
        return texts_[nextText_++];
    }
    // From now on, and anew at every call, the kept results are handed out.
    void Rewind() {
        measure_ = nullptr;
        next_ = 0;
        nextText_ = 0;
    }

private:
    ITextMeasure* measure_;
    std::vector<double> widths_;
    std::size_t next_ = 0;
    std::vector<std::u16string> texts_;
    std::size_t nextText_ = 0;
};

} // namespace

struct TmvDXFExport::TReplay {
    TEnhMetafile Metafile;
    TInterpretSettings Settings;
    TEntityMeasure Measure;
    TExportSettings MeasuredWith; // settings set later call for a new measure
    std::unique_ptr<TKeptWidths> Widths;
};

namespace {

// Hands the collector's new figures to a consumer for as long as it lives.
class TConsumerScope {
public:
    TConsumerScope(TFigureCollector& figures, TFigureCollector::TConsumer consumer) : figures_(figures) {
        figures_.SetConsumer(std::move(consumer));
    }
    ~TConsumerScope() { figures_.SetConsumer({}); }
    TConsumerScope(const TConsumerScope&) = delete;
    TConsumerScope& operator=(const TConsumerScope&) = delete;

private:
    TFigureCollector& figures_;
};

// The sink of a replay: figures go to the collector, which passes the line
// types over (the tables have them already); bitmaps take the exporter's
// way, which names their files.
class TReplaySink : public IFigureSink {
public:
    TReplaySink(TFigureCollector& figures, IFigureSink& images) : figures_(figures), images_(images) {}
    void AddPixel(const TdxfExportData& d) override { figures_.AddPixel(d); }
    void AddLine(const TdxfExportData& d) override { figures_.AddLine(d); }
    void AddRectangle(const TdxfExportData& d) override { figures_.AddRectangle(d); }
    void AddHatch(const TdxfExportData& d) override { figures_.AddHatch(d); }
    void AddPolyline(const TdxfExportData& d, int index) override { figures_.AddPolyline(d, index); }
    void AddPolyBezier(const TdxfExportData& d, int index) override { figures_.AddPolyBezier(d, index); }
    void AddCircle(const TdxfExportData& d) override { figures_.AddCircle(d); }
    void AddEllipse(const TdxfExportData& d) override { figures_.AddEllipse(d); }
    void AddArc(const TdxfExportData& d) override { figures_.AddArc(d); }
    void AddMText(const TdxfExportData& d) override { figures_.AddMText(d); }
    void AddImage(const TdxfImageData& image) override { images_.AddImage(image); }
    void AddLineType(std::string_view, std::span<const float>, int) override {}

private:
    TFigureCollector& figures_;
    IFigureSink& images_;
};

// Marks a play as a replay for as long as it lives.
class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~TFlagScope() { flag_ = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& flag_;
};

using Group = std::pair<const char*, const char*>;

void AddGroups(TLineList& out, std::initializer_list<Group> groups) {
    for (const auto& [code, value] : groups) {
        out.Add(code);
        out.Add(value);
    }
}

} // namespace

TmvDXFExport::TmvDXFExport() {
    SetCurrentLayer(std::make_unique<TmvExpDXFLayer>("0"));
}

TmvDXFExport::~TmvDXFExport() = default;

void TmvDXFExport::SetCurrentLayer(TmvExpDXFLayer* layer) {
    currentLayer_ = layer;
    figures_.SetLayerName(layer->LayerName);
}

void TmvDXFExport::SetCurrentLayer(std::unique_ptr<TmvExpDXFLayer> layer) {
    TmvExpDXFLayer* raw = layer.get();
    layers_.push_back(std::move(layer));
    SetCurrentLayer(raw);
}

void TmvDXFExport::SetInterpretSettings(const TInterpretSettings& settings) {
    interpretSettings_ = settings;
    if (interpreter_) interpreter_->Settings = settings;
}

void TmvDXFExport::SetAlternativeBlack(bool value) {
    TInterpretSettings settings = interpretSettings_;
    settings.AlternativeBlack = value;
    SetInterpretSettings(settings);
}

void TmvDXFExport::SetClassic(bool value) {
    settings_.Classic = value;
    TInterpretSettings settings = interpretSettings_;
    settings.Classic = value;
    SetInterpretSettings(settings);
}

void TmvDXFExport::SetTextMeasure(ITextMeasure* measure) {
    TInterpretSettings settings = interpretSettings_;
    settings.TextMeasure = measure;
    SetInterpretSettings(settings);
}

// ---------------------------------------------------------------- loading

TmvMetafile& TmvDXFExport::Interpreter() {
    if (!interpreter_) interpreter_ = std::make_unique<TmvMetafile>(*this, interpretSettings_);
    return *interpreter_;
}

void TmvDXFExport::LoadFromFile(const std::string& fileName) {
    AdoptMetafile(TEnhMetafile::LoadFromFile(fileName, {.Classic = interpretSettings_.Classic}));
}

void TmvDXFExport::LoadFromMetafile(const TEnhMetafile& metafile) {
    TmvMetafile& interpreter = Interpreter();
    ResetDrawing();
    interpreter.Play(metafile);
}

void TmvDXFExport::AdoptMetafile(TEnhMetafile metafile) {
    // The white masks act on every earlier figure, so they need them all. A
    // second drawing, or figures added by hand, keep them too: only a fresh
    // interpreter makes the same figures again.
    if (settings_.ParseWhite || interpreter_ || replay_ || !figures_.Figures().empty()) {
        LoadFromMetafile(metafile);
        return;
    }
    TmvMetafile& interpreter = Interpreter();
    ResetDrawing();
    auto replay =
        std::make_unique<TReplay>(TReplay{TEnhMetafile{},
                                          interpreter.Settings,
                                          {},
                                          settings_,
                                          std::make_unique<TKeptWidths>(interpreter.Settings.Measure())});
    replay->Settings.TextMeasure = replay->Widths.get();
    replay->Measure.Extents = extents_;
    TGroupWriter measure =
        TGroupWriter::Measuring(replay->Measure.Handles, settings_, replay->Measure.Extents);
    replayImages_.clear();
    {
        TConsumerScope scope(figures_, [&measure](const TmvExpDXFFigure& figure) { figure.Export(measure); });
        TFlagScope recording(recordImages_);
        const TInterpretSettings settings = interpreter.Settings;
        interpreter.Settings = replay->Settings;
        try {
            interpreter.Play(metafile);
        } catch (...) {
            interpreter.Settings = settings;
            throw;
        }
        interpreter.Settings = settings;
    }
    replay->Widths->Rewind();
    // Whatever the drawing leaves out has been told on the first play.
    replay->Settings.OnWarning = nullptr;
    replay->Metafile = std::move(metafile);
    replay_ = std::move(replay);
}

void TmvDXFExport::Replay(const TFigureCollector::TConsumer& consumer) {
    // A fresh interpreter with the settings of the first play makes the same
    // figures again; the line types are in the tables already, and the
    // collector passes them over.
    TConsumerScope scope(figures_, consumer);
    TFlagScope replaying(replaying_);
    replay_->Widths->Rewind();
    TReplaySink sink(figures_, *this);
    TmvMetafile(sink, replay_->Settings).Play(replay_->Metafile);
}

void TmvDXFExport::KeepReplayedFigures() {
    TFigureList later = std::move(figures_.Figures());
    figures_.Figures().clear();
    replay_->Widths->Rewind();
    {
        TFlagScope replaying(replaying_);
        TReplaySink sink(figures_, *this);
        TmvMetafile(sink, replay_->Settings).Play(replay_->Metafile);
    }
    replayImages_.clear();
    for (auto& figure : later)
        figures_.Figures().push_back(std::move(figure));
    replay_.reset();
}

void TmvDXFExport::ResetDrawing() {
    lineTypeLines_.Clear();
    nextHandle_ = 32;
    if (interpreter_) interpreter_->ResetEmittedLineTypes();
}

// ---------------------------------------------------------------- line types

void TmvDXFExport::AddLineType(std::string_view name, std::span<const float> lengths, int last) {
    float sum = 0; // summed in single precision
    for (int i = 0; i <= last && i < static_cast<int>(lengths.size()); ++i)
        sum += std::fabs(lengths[i]);
    TGroupWriter out = TableWriter(lineTypeLines_);
    out.AddEntityHeader("LTYPE", "AcDbLinetypeTableRecord");
    out.AddString(2, name);
    out.AddString(3, "");
    AddFixedGroup(out, " 70", "0");
    AddFixedGroup(out, " 72", "65");
    out.AddInt(73, last + 1);
    out.AddFloat(40, sum);
    for (int i = 0; i <= last && i < static_cast<int>(lengths.size()); ++i) {
        out.AddFloat(49, lengths[i]);
        AddFixedGroup(out, " 74", "0");
    }
}

// ---------------------------------------------------------------- saving

void TmvDXFExport::AddImage(const TdxfImageData& image) {
    if (!image.Pixels && !image.Embedded) return;
    if (!images_) {
        if (!replaying_) ++imagesLeftOut_;
        return;
    }
    // A replay adds the same bitmaps again; the set finds them by content.
    const std::size_t id = image.Pixels ? images_->Add(*image.Pixels) : images_->Add(*image.Embedded);
    if (recordImages_ && std::none_of(replayImages_.begin(), replayImages_.end(),
                                      [id](const TImageUse& use) { return use.FileId == id; }))
        replayImages_.push_back(TImageUse{id, image.U, image.V});
    figures_.AddImageFile(image, id, ImageDefHandle(id));
}

std::vector<std::string> TmvDXFExport::Warnings() const {
    if (!interpreter_) return {};
    std::vector<std::string> lines = interpreter_->Warnings;
    if (interpreter_->WarningsLeftOut > 0)
        lines.push_back("und " + std::to_string(interpreter_->WarningsLeftOut) + " weitere Warnungen");
    return lines;
}

TmvDXFExport::TEntityMeasure TmvDXFExport::MeasureFigures() {
    TEntityMeasure result{0, extents_};
    TGroupWriter measure = TGroupWriter::Measuring(result.Handles, settings_, result.Extents);
    if (!replay_) {
        for (const auto& figure : figures_.Figures())
            figure->Export(measure);
        return result;
    }
    // Measured while the drawing was loaded, unless a setting has changed since.
    if (replay_->MeasuredWith == settings_) return replay_->Measure;
    Replay([&measure](const TmvExpDXFFigure& figure) { figure.Export(measure); });
    return result;
}

void TmvDXFExport::WriteEntities(TLineList& out, std::int32_t& nextHandle, TExtents& extents) {
    TGroupWriter writer(out, nextHandle, settings_, extents);
    auto write = [this, &writer](const TmvExpDXFFigure& figure) {
        writer.SetLayerName(figure.Layer);
        figure.Export(writer);
        NoteImageUser(figure);
    };
    if (replay_) {
        Replay(write);
        return;
    }
    for (const auto& figure : figures_.Figures())
        write(*figure);
}

void TmvDXFExport::BuildHead(TLineList& out) {
    AddGroups(out, {{"  0", "SECTION"}, {"  2", "HEADER"}, {"  9", "$ACADVER"}});
    out.Add("  1");
    out.Add(GetVersionString());
    // The handle seed is taken after the entities and before the layer
    // records, which take handles of their own.
    TGroupWriter groups = TableWriter(out);
    out.Add("  9");
    out.Add("$HANDSEED");
    groups.AddHex(5, static_cast<std::uint32_t>(nextHandle_ + static_cast<std::int32_t>(layers_.size()) + 1));
    out.Add("  9");
    out.Add("$LIMMIN");
    groups.AddPoint(10, extents_.Min);
    out.Add("  9");
    out.Add("$LIMMAX");
    groups.AddPoint(10, extents_.Max);
    if (!settings_.Classic && settings_.Use01MM && settings_.AutoCADVersion >= 1) {
        // Millimetres, so that CAD programs insert the drawing at its size.
        out.Add("  9");
        out.Add("$INSUNITS");
        groups.AddInt(70, 4);
    }
    AddGroups(out, {{"  0", "ENDSEC"}});
    BuildImageClasses(out);
    AddGroups(out, {{"  0", "SECTION"},
                    {"  2", "TABLES"},
                    {"  0", "TABLE"},
                    {"  2", "VPORT"},
                    {"  5", "  1"},
                    {"100", "AcDbSymbolTable"},
                    {"  0", "ENDTAB"},
                    {"  0", "TABLE"},
                    {"  2", "LTYPE"},
                    {"  5", "  2"},
                    {"100", "AcDbSymbolTable"},
                    {"  0", "LTYPE"},
                    {"  5", "  3"},
                    {"100", "AcDbSymbolTableRecord"},
                    {"100", "AcDbLinetypeTableRecord"},
                    {"  2", "BYBLOCK"},
                    {" 70", "     0"},
                    {"  0", "LTYPE"},
                    {"  5", "  4"},
                    {"100", "AcDbSymbolTableRecord"},
                    {"100", "AcDbLinetypeTableRecord"},
                    {"  2", "BYLAYER"},
                    {" 70", "     0"}});
    out.AddLines(lineTypeLines_);
    AddGroups(out, {{"  0", "ENDTAB"},
                    {"  0", "TABLE"},
                    {"  2", "LAYER"},
                    {"  5", " 1A"},
                    {"330", "  0"},
                    {"100", "AcDbSymbolTable"}});
    for (const auto& layer : layers_)
        WriteLayerRecord(*layer, groups);
    AddGroups(out, {{"  0", "ENDTAB"},
                    {"  0", "TABLE"},
                    {"  2", "STYLE"},
                    {"  5", "  5"},
                    {"100", "AcDbSymbolTable"},
                    {"  0", "STYLE"},
                    {"  5", "  6"},
                    {"100", "AcDbSymbolTableRecord"},
                    {"100", "AcDbTextStyleTableRecord"},
                    {"  2", "STANDARD"},
                    {" 70", "     0"},
                    {" 40", "0.0"},
                    {" 41", "1.0"},
                    {" 50", "0.0"},
                    {" 71", "     0"},
                    {" 42", "10.0"},
                    {"  3", "txt"},
                    {"  4", "bigfont"},
                    {"  0", "ENDTAB"},
                    {"  0", "TABLE"},
                    {"  2", "VIEW"},
                    {"  5", "  7"},
                    {"100", "AcDbSymbolTable"},
                    {"  0", "ENDTAB"},
                    {"  0", "TABLE"},
                    {"  2", "UCS"},
                    {"  5", "  8"},
                    {"100", "AcDbSymbolTable"},
                    {"  0", "ENDTAB"},
                    {"  0", "TABLE"},
                    {"  2", "APPID"},
                    {"  5", "  9"},
                    {"100", "AcDbSymbolTable"},
                    {"  0", "APPID"},
                    {"  5", "  A"},
                    {"100", "AcDbSymbolTableRecord"},
                    {"100", "AcDbRegAppTableRecord"},
                    {"  2", "ACAD"},
                    {" 70", "0"},
                    {"  0", "ENDTAB"},
                    {"  0", "TABLE"},
                    {"  2", "DIMSTYLE"},
                    {"  5", "  B"},
                    {"100", "AcDbSymbolTable"}});
    if (settings_.AutoCADVersion >= 1)
        AddGroups(out, {{" 70", "     1"}, {"100", "AcDbDimStyleTable"}, {" 71", "     0"}});
    AddGroups(out, {{"  0", "ENDTAB"},
                    {"  0", "TABLE"},
                    {"  2", "BLOCK_RECORD"},
                    {"  5", "  C"},
                    {"100", "AcDbSymbolTable"},
                    {"  0", "BLOCK_RECORD"},
                    {"  5", "  D"},
                    {"100", "AcDbSymbolTableRecord"},
                    {"100", "AcDbBlockTableRecord"},
                    {"  2", "*MODEL_SPACE"},
                    {"  0", "BLOCK_RECORD"},
                    {"  5", "  E"},
                    {"100", "AcDbSymbolTableRecord"},
                    {"100", "AcDbBlockTableRecord"},
                    {"  2", "*PAPER_SPACE"},
                    {"  0", "ENDTAB"},
                    {"  0", "ENDSEC"},
                    {"  0", "SECTION"},
                    {"  2", "BLOCKS"},
                    {"  0", "BLOCK"},
                    {"  5", "  F"},
                    {"330", "  D"},
                    {"100", "AcDbEntity"},
                    {"  8", "0"},
                    {"100", "AcDbBlockBegin"},
                    {"  2", "*MODEL_SPACE"},
                    {" 70", "     0"},
                    {"  0", "ENDBLK"},
                    {"  5", " 10"},
                    {"100", "AcDbEntity"},
                    {"  8", "0"},
                    {"100", "AcDbBlockEnd"},
                    {"  0", "BLOCK"},
                    {"  5", " 11"},
                    {"330", "  E"},
                    {"100", "AcDbEntity"},
                    {"  8", "0"},
                    {"100", "AcDbBlockBegin"},
                    {"  2", "*PAPER_SPACE"},
                    {" 70", "     0"},
                    {"  0", "ENDBLK"},
                    {"  5", " 12"},
                    {"100", "AcDbEntity"},
                    {"  8", "0"},
                    {"100", "AcDbBlockEnd"},
                    {"  0", "ENDSEC"},
                    {"  0", "SECTION"},
                    {"  2", "ENTITIES"}});
}

void TmvDXFExport::BuildTail(TLineList& out) {
    if (settings_.AutoCADVersion < 1) {
        AddGroups(out, {{"  0", "ENDSEC"},
                        {"  0", "SECTION"},
                        {"  2", "OBJECTS"},
                        {"  0", "DICTIONARY"},
                        {"  5", "13"},
                        {"100", "AcDbDictionary"},
                        {"  3", "ACAD_GROUP"},
                        {"350", "14"},
                        {"  3", "ACAD_MLINESTYLE"},
                        {"350", "15"}});
        BuildImageDictionaryEntries(out);
        AddGroups(out, {{"  0", "DICTIONARY"},
                        {"  5", "14"},
                        {"102", "{ACAD_REACTORS"},
                        {"330", "13"},
                        {"102", "}"},
                        {"100", "AcDbDictionary"},
                        {"  0", "DICTIONARY"},
                        {"  5", "15"},
                        {"102", "{ACAD_REACTORS"},
                        {"330", "13"},
                        {"102", "}"},
                        {"100", "AcDbDictionary"},
                        // " 3" with one space, not "  3": the file has always had
                        // this code line so, and readers take it as code 3.
                        {" 3", "STANDARD"},
                        {"350", "16"},
                        {"  0", "MLINESTYLE"},
                        {"  5", "16"},
                        {"102", "{ACAD_REACTORS"},
                        {"330", "15"},
                        {"102", "}"},
                        {"100", "AcDbMlineStyle"},
                        {"  2", "STANDARD"},
                        {" 70", "     0"},
                        {"  3", " "},
                        {" 62", "   256"},
                        {" 51", "90.0"},
                        {" 52", "90.0"},
                        {" 71", "     2"},
                        {" 49", "0.5"},
                        {" 62", "   256"},
                        {"  6", "BYLAYER"},
                        {" 49", "-0.5"},
                        {" 62", "   256"},
                        {"  6", "BYLAYER"}});
    } else {
        AddGroups(out, {{"  0", "ENDSEC"},
                        {"  0", "SECTION"},
                        {"  2", "OBJECTS"},
                        {"  0", "DICTIONARY"},
                        {"  5", " 13"},
                        {"330", "0"},
                        {"100", "AcDbDictionary"},
                        {"281", "     1"},
                        {"  3", "ACAD_GROUP"},
                        {"350", " 14"},
                        // One space again, as the file has always had it (see above).
                        {" 3", "ACAD_MLINESTYLE"},
                        {"350", " 16"},
                        {"  3", "ACAD_PLOTSETTINGS"},
                        {"350", " 17"},
                        {"  3", "ACAD_PLOTSTYLENAME"},
                        {"350", " 18"}});
        BuildImageDictionaryEntries(out);
        AddGroups(out, {{"  0", "DICTIONARY"},
                        {"  5", " 14"},
                        {"330", " 13"},
                        {"100", "AcDbDictionary"},
                        {"281", "     1"},
                        {"  0", "DICTIONARY"},
                        {"  5", " 16"},
                        {"330", " 13"},
                        {"100", "AcDbDictionary"},
                        {"281", "     1"},
                        {"  0", "DICTIONARY"},
                        {"  5", " 17"},
                        {"102", "{ACAD_REACTORS"},
                        {"330", " 13"},
                        {"102", "}"},
                        {"330", " 13"},
                        {"100", "AcDbDictionary"},
                        {"281", "     1"},
                        {"  0", "ACDBDICTIONARYWDFLT"},
                        {"  5", " 18"},
                        {"102", "{ACAD_REACTORS"},
                        {"330", " 13"},
                        {"102", "}"},
                        {"330", " 13"},
                        {"100", "AcDbDictionary"},
                        {"281", "     1"},
                        {"  3", "Normal"},
                        {"350", " 19"},
                        {"100", "AcDbDictionaryWithDefault"},
                        {"340", " 19"},
                        {"  0", "ACDBPLACEHOLDER"},
                        {"  5", " 19"},
                        {"102", "{ACAD_REACTORS"},
                        {"330", " 18"},
                        {"102", "}"},
                        {"330", " 18"}});
    }
    BuildImageObjects(out);
    AddGroups(out, {{"  0", "ENDSEC"}, {"  0", "EOF"}});
}

void TmvDXFExport::SaveToStream(std::ostream& stream) {
    // Figures added after a drawing whose figures are not kept, or masks
    // asked for after it was loaded, need its figures in the list.
    if (replay_ && (settings_.ParseWhite || !figures_.Figures().empty())) KeepReplayedFigures();
    if (settings_.ParseWhite) ApplyWhiteMasks(figures_.Figures());
    handleBeforeSave_ = nextHandle_;
    extentsBeforeSave_ = extents_;
    WriteStream(stream);
}

void TmvDXFExport::RewriteToStream(std::ostream& stream) {
    if (handleBeforeSave_ < 0) throw std::logic_error("RewriteToStream before SaveToStream");
    // The same handles and extents again; only the image names differ.
    nextHandle_ = handleBeforeSave_;
    extents_ = extentsBeforeSave_;
    WriteStream(stream);
}

void TmvDXFExport::WriteStream(std::ostream& stream) {
    // The image definitions are named in the head's dictionary handles and
    // by the entities, so their handles come before both.
    PlanImageObjects();
    // The head comes first in the file but names the handle seed and the
    // extents, which the entities decide: they are measured before.
    const TEntityMeasure measure = MeasureFigures();
    const std::int32_t firstEntityHandle = nextHandle_;
    const std::int32_t entitiesEnd = firstEntityHandle + measure.Handles;
    nextHandle_ = entitiesEnd;
    TExtents written = extents_;
    extents_ = measure.Extents;

    TLineList out(stream);
    BuildHead(out);
    std::int32_t handle = firstEntityHandle;
    WriteEntities(out, handle, written);
    if (handle != entitiesEnd)
        throw std::logic_error("the entities took other handles than they were measured to take");
    BuildTail(out);
    out.Flush();
}

std::string TmvDXFExport::SaveToString() {
    std::ostringstream s;
    SaveToStream(s);
    return std::move(s).str();
}

void TmvDXFExport::SaveToFile(const std::string& fileName) {
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    if (!file.is_open()) throw EFCreateError(fileName);
    SaveToStream(file);
    file.close();
    if (file.fail()) throw EInOutError("Fehler beim Schreiben der Datei " + fileName);
}

} // namespace mv
