#include "dxf/DXFExport.h"

#include "dxf/RealFormat.h"
#include "dxf/WhiteMask.h"
#include "metafile/EnhMetafile.h"
#include "metafile/Metafile.h"
#include "platform/Errors.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace mv {

namespace {

// Appends the code line: the code right-aligned in three characters (a
// longer code takes the room it needs).
void AppendCode(std::string& buf, int code) {
    char tmp[12];
    char* end = tmp + sizeof tmp;
    char* p = end;
    unsigned v = static_cast<unsigned>(code < 0 ? -code : code);
    do {
        *--p = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v > 0);
    if (code < 0) *--p = '-';
    while (end - p < 3)
        *--p = ' ';
    buf.append(p, static_cast<std::size_t>(end - p));
}

void AppendInt(std::string& buf, long long value) {
    char tmp[24];
    char* end = tmp + sizeof tmp;
    char* p = end;
    unsigned long long v =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
        *--p = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v > 0);
    if (value < 0) *--p = '-';
    buf.append(p, static_cast<std::size_t>(end - p));
}

// Upper-case hexadecimal with at least two digits.
void AppendHex(std::string& buf, std::uint32_t v) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char tmp[8];
    char* end = tmp + sizeof tmp;
    char* p = end;
    do {
        *--p = kDigits[v & 15];
        v >>= 4;
    } while (v > 0);
    if (end - p < 2) *--p = '0';
    buf.append(p, static_cast<std::size_t>(end - p));
}

using Group = std::pair<const char*, const char*>;

void AddGroups(TLineList& out, std::initializer_list<Group> groups) {
    for (const auto& [code, value] : groups) {
        out.Add(code);
        out.Add(value);
    }
}

} // namespace

TmvDXFExport::TmvDXFExport() : Output(&EntityLines) {
    auto layer = std::make_unique<TmvExpDXFLayer>("0");
    TmvExpDXFLayer* raw = layer.get();
    Layers.push_back(std::move(layer));
    SetCurrentLayer(raw);
}

TmvDXFExport::~TmvDXFExport() = default;

void TmvDXFExport::SetCurrentLayer(TmvExpDXFLayer* layer) {
    CurrentLayer = layer;
    CurrentLayerName = layer->LayerName;
    figures_.SetLayerName(layer->LayerName);
}

void TmvDXFExport::SetCurrentLayer(std::unique_ptr<TmvExpDXFLayer> layer) {
    TmvExpDXFLayer* raw = layer.get();
    Layers.push_back(std::move(layer));
    SetCurrentLayer(raw);
}

void TmvDXFExport::SetInterpretSettings(const TInterpretSettings& settings) {
    interpretSettings_ = settings;
    if (Interpreter) Interpreter->Settings = settings;
}

void TmvDXFExport::SetAlternativeBlack(bool value) {
    TInterpretSettings settings = interpretSettings_;
    settings.AlternativeBlack = value;
    SetInterpretSettings(settings);
}

void TmvDXFExport::SetTextMeasure(ITextMeasure* measure) {
    TInterpretSettings settings = interpretSettings_;
    settings.TextMeasure = measure;
    SetInterpretSettings(settings);
}

// ---------------------------------------------------------------- loading

void TmvDXFExport::LoadFromFile(const std::string& fileName) {
    TEnhMetafile metafile = TEnhMetafile::LoadFromFile(fileName);
    LoadFromMetafile(metafile);
}

void TmvDXFExport::LoadFromMetafile(const TEnhMetafile& metafile) {
    if (!Interpreter) Interpreter = std::make_unique<TmvMetafile>(*this, interpretSettings_);
    ResetDrawing();
    Interpreter->Play(metafile);
}

void TmvDXFExport::ResetDrawing() {
    EntityLines.Clear();
    LineTypeLines.Clear();
    Output = &EntityLines;
    NextHandle = 32;
    if (Interpreter) Interpreter->ResetEmittedLineTypes();
}

// ---------------------------------------------------------------- line types

void TmvDXFExport::AddLineType(std::string_view name, std::span<const float> lengths, int last) {
    float sum = 0; // summed in single precision
    for (int i = 0; i <= last && i < static_cast<int>(lengths.size()); ++i)
        sum += std::fabs(lengths[i]);
    TLineList* saved = Output;
    Output = &LineTypeLines;
    try {
        AddEntityHeader("LTYPE", "AcDbLinetypeTableRecord");
        AddString(2, name);
        AddString(3, "");
        Output->Add(" 70");
        Output->Add("0");
        Output->Add(" 72");
        Output->Add("65");
        AddInt(73, last + 1);
        AddFloat(40, sum);
        for (int i = 0; i <= last && i < static_cast<int>(lengths.size()); ++i) {
            AddFloat(49, lengths[i]);
            Output->Add(" 74");
            Output->Add("0");
        }
    } catch (...) {
        Output = saved;
        throw;
    }
    Output = saved;
}

// ---------------------------------------------------------------- writer primitives

void TmvDXFExport::AddCodeLine(int code) {
    AppendCode(Output->Buffer(), code);
    Output->EndLine();
}

void TmvDXFExport::AddInt(int code, std::int32_t value) {
    AddCodeLine(code);
    AppendInt(Output->Buffer(), value);
    Output->EndLine();
}

void TmvDXFExport::AddString(int code, std::string_view value) {
    AddCodeLine(code);
    Output->Add(value);
}

void TmvDXFExport::AddFloat(int code, long double value) {
    AddCodeLine(code);
    AppendReal(Output->Buffer(), value);
    Output->EndLine();
}

void TmvDXFExport::AddPoint(int code, float x, float y) {
    AddFloat(code, ScaleValue(x));
    AddFloat(code + 10, ScaleValue(y));
    if (Output == &EntityLines) {
        if (x < ExtMin.x) ExtMin.x = x;
        if (y < ExtMin.y) ExtMin.y = y;
        if (x > ExtMax.x) ExtMax.x = x;
        if (y > ExtMax.y) ExtMax.y = y;
    }
}

void TmvDXFExport::AddPoint(int code, const TdxfPoint& p) {
    AddPoint(code, p.x, p.y);
}

void TmvDXFExport::AddPoint3D(int code, const TdxfPoint& p) {
    AddPoint(code, p.x, p.y);
    AddFloat(code + 20, p.z);
}

void TmvDXFExport::AddHandle() {
    Output->Add("  5");
    AppendHex(Output->Buffer(), static_cast<std::uint32_t>(NextHandle));
    Output->EndLine();
    ++NextHandle;
}

void TmvDXFExport::AddEntityHeader(std::string_view name, std::string_view subclass) {
    Output->Add("  0");
    Output->Add(name);
    AddHandle();
    if (name == "HATCH") {
        Output->Add("330");
        Output->Add("1F");
    }
    if (Output == &LineTypeLines) {
        Output->Add("100");
        Output->Add("AcDbSymbolTableRecord");
    } else {
        Output->Add("100");
        Output->Add("AcDbEntity");
        Output->Add("  8");
        Output->Add(CurrentLayerName);
    }
    Output->Add("100");
    Output->Add(subclass);
}

void TmvDXFExport::AddColor(const TdxfFigureFields& data) {
    if (data.Color != 0 && data.Color != 256) AddInt(62, data.Color);
}

void TmvDXFExport::AddLineTypeAndWeight(const TdxfFigureFields& data) {
    if (AutoCADVersion < 1) return;
    if (!data.Text.empty()) AddString(6, data.Text);
    if (auto weight = LineWeightOf(data.PenWidth, Use01MM, PenWidthRatio)) AddInt(370, *weight);
}

void TmvDXFExport::AddPolylineHeader(const TdxfFigureFields& data, std::int32_t vertexCount) {
    AddEntityHeader("LWPOLYLINE", "AcDbPolyline");
    AddColor(data);
    AddLineTypeAndWeight(data);
    AddInt(90, vertexCount);
    AddInt(70, static_cast<std::int32_t>(data.Flags));
    if (data.ConstWidth != 0) AddFloat(43, data.ConstWidth);
}

// ---------------------------------------------------------------- saving

void TmvDXFExport::WriteEntities() {
    if (ParseWhite) ApplyWhiteMasks(figures_.Figures());
    Output = &EntityLines;
    for (const auto& figure : figures_.Figures()) {
        CurrentLayerName = figure->Layer;
        figure->Export(*this);
    }
}

void TmvDXFExport::BuildHead(TLineList& out) {
    AddGroups(out, {{"  0", "SECTION"}, {"  2", "HEADER"}, {"  9", "$ACADVER"}});
    out.Add("  1");
    out.Add(GetVersionString());
    out.Add("  9");
    out.Add("$HANDSEED");
    out.Add("  5");
    AppendHex(out.Buffer(),
              static_cast<std::uint32_t>(NextHandle + static_cast<std::int32_t>(Layers.size()) + 1));
    out.EndLine();
    out.Add("  9");
    out.Add("$LIMMIN");
    AddPoint(10, ExtMin);
    out.Add("  9");
    out.Add("$LIMMAX");
    AddPoint(10, ExtMax);
    AddGroups(out, {{"  0", "ENDSEC"},
                    {"  0", "SECTION"},
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
    out.AddLines(LineTypeLines);
    AddGroups(out, {{"  0", "ENDTAB"},
                    {"  0", "TABLE"},
                    {"  2", "LAYER"},
                    {"  5", " 1A"},
                    {"330", "  0"},
                    {"100", "AcDbSymbolTable"}});
    for (const auto& layer : Layers)
        WriteLayerRecord(*layer, *this);
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
    if (AutoCADVersion >= 1)
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
    if (AutoCADVersion < 1) {
        AddGroups(out, {{"  0", "ENDSEC"},
                        {"  0", "SECTION"},
                        {"  2", "OBJECTS"},
                        {"  0", "DICTIONARY"},
                        {"  5", "13"},
                        {"100", "AcDbDictionary"},
                        {"  3", "ACAD_GROUP"},
                        {"350", "14"},
                        {"  3", "ACAD_MLINESTYLE"},
                        {"350", "15"},
                        {"  0", "DICTIONARY"},
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
                        {" 3", "ACAD_MLINESTYLE"},
                        {"350", " 16"},
                        {"  3", "ACAD_PLOTSETTINGS"},
                        {"350", " 17"},
                        {"  3", "ACAD_PLOTSTYLENAME"},
                        {"350", " 18"},
                        {"  0", "DICTIONARY"},
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
    AddGroups(out, {{"  0", "ENDSEC"}, {"  0", "EOF"}});
}

void TmvDXFExport::SaveToStream(std::ostream& stream) {
    WriteEntities();
    // The file is assembled in memory: head and tail around the entity lines,
    // which are not copied again, so that a large drawing needs no second copy.
    TLineList head, tail;
    TLineList* saved = Output;
    try {
        Output = &head;
        BuildHead(head);
        Output = &tail;
        BuildTail(tail);
    } catch (...) {
        Output = saved;
        throw;
    }
    Output = saved;
    for (const TLineList* part : {&head, &EntityLines, &tail})
        for (const std::string& block : part->Blocks())
            stream.write(block.data(), static_cast<std::streamsize>(block.size()));
    if (!stream) throw EInOutError("Fehler beim Schreiben der DXF-Datei");
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
