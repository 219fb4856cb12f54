#include "dxf/GroupWriter.h"

#include "dxf/Layers.h"
#include "dxf/RealFormat.h"
#include "figure/Colors.h"

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

} // namespace

void TGroupWriter::AddCodeLine(int code) {
    if (!lines_) return;
    AppendCode(lines_->Buffer(), code);
    lines_->EndLine();
}

void TGroupWriter::AddInt(int code, std::int32_t value) {
    if (!lines_) return;
    AddCodeLine(code);
    AppendInt(lines_->Buffer(), value);
    lines_->EndLine();
}

void TGroupWriter::AddString(int code, std::string_view value) {
    if (!lines_) return;
    AddCodeLine(code);
    lines_->Add(value);
}

void TGroupWriter::AddFloat(int code, long double value) {
    if (!lines_) return;
    AddCodeLine(code);
    AppendReal(lines_->Buffer(), value);
    lines_->EndLine();
}

void TGroupWriter::AddPoint(int code, float x, float y) {
    if (lines_) {
        AddFloat(code, ScaleValue(x));
        AddFloat(code + 10, ScaleValue(y));
    }
    if (extents_) extents_->Take(x, y);
}

void TGroupWriter::AddPoint3D(int code, const TdxfPoint& p) {
    AddPoint(code, p.x, p.y);
    AddFloat(code + 20, p.z);
}

void TGroupWriter::AddHex(int code, std::uint32_t value) {
    if (!lines_) return;
    AddCodeLine(code);
    AppendHex(lines_->Buffer(), value);
    lines_->EndLine();
}

void TGroupWriter::AddHandle() {
    AddHex(5, static_cast<std::uint32_t>(nextHandle_));
    ++nextHandle_;
}

void TGroupWriter::AddEntityHeader(std::string_view name, std::string_view subclass) {
    AddRawLine("  0");
    AddRawLine(name);
    AddHandle();
    if (!lines_) return;
    if (name == "HATCH") {
        lines_->Add("330");
        lines_->Add("1F");
    }
    if (!extents_) {
        lines_->Add("100");
        lines_->Add("AcDbSymbolTableRecord");
    } else {
        lines_->Add("100");
        lines_->Add("AcDbEntity");
        lines_->Add("  8");
        lines_->Add(layerName_);
    }
    lines_->Add("100");
    lines_->Add(subclass);
}

void TGroupWriter::AddColor(const TdxfExportData& data) {
    if (data.Color != 0 && data.Color != 256) AddInt(62, data.Color);
    if (settings_.AutoCADVersion < 1 || settings_.Classic || data.TrueColor < 0) return;
    // Black goes to 7 (or 250) by choice, not as the nearest colour: 7 shows
    // black or white after the background, and 250 is asked for.
    if (data.TrueColor == 0 && (data.Color == 7 || data.Color == 250)) return;
    if (data.TrueColor != IndexToRgb(data.Color)) AddInt(420, data.TrueColor & 0xFFFFFF);
}

void TGroupWriter::AddLineTypeAndWeight(const TdxfFigureFields& data) {
    if (settings_.AutoCADVersion < 1 || !lines_) return;
    if (!data.Text.empty()) AddString(6, data.Text);
    // The default mode's widths are true hundredths of a millimetre.
    const bool trueWidth = !settings_.Classic && settings_.PenWidthRatio <= 0;
    if (auto weight = trueWidth ? NearestLineWeight(data.PenWidth)
                                : LineWeightOf(data.PenWidth, settings_.Use01MM, settings_.PenWidthRatio))
        AddInt(370, *weight);
}

void TGroupWriter::AddPolylineHeader(const TdxfExportData& data, std::int32_t vertexCount) {
    AddEntityHeader("LWPOLYLINE", "AcDbPolyline");
    AddColor(data);
    AddLineTypeAndWeight(data);
    AddInt(90, vertexCount);
    AddInt(70, static_cast<std::int32_t>(data.Flags));
    if (data.ConstWidth != 0) AddFloat(43, data.ConstWidth);
}

} // namespace mv
