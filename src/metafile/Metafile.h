#pragma once
// TmvMetafile: the metafile interpreter. It walks the records of one enhanced
// metafile through a reduced model of a Windows device context and hands
// every drawing record to its figure sink as figure descriptions.

#include "figure/ExportData.h"
#include "figure/FigureSink.h"
#include "metafile/EmfRecords.h"
#include "metafile/EnhMetafile.h"
#include "metafile/GdiObjects.h"
#include "metafile/InterpretSettings.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mv {

struct TIntPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const TIntPoint&, const TIntPoint&) = default;
};

// What a point-list record draws: an open or closed outline or a chain of
// Bezier segments; the ...To forms start at and move the current position.
enum class TPolyShape : std::uint8_t { Polyline, Polygon, PolyBezier, PolylineTo, PolyBezierTo };

class TmvMetafile {
public:
    // The sink receives every figure and line type; it must outlive the interpreter.
    explicit TmvMetafile(IFigureSink& sink, const TInterpretSettings& settings = {});
    ~TmvMetafile();
    TmvMetafile(const TmvMetafile&) = delete;
    TmvMetafile& operator=(const TmvMetafile&) = delete;

    // Interprets every record in file order.
    void Play(const TEnhMetafile& metafile);
    // Interprets one record.
    void PlayRecord(const TEmrRecord& record);
    // Forgets which line types were handed to the sink (start of a drawing).
    void ResetEmittedLineTypes() { EmittedLineTypes = 0; }

    // Mapping of points (the drawing state's coordinate rules).
    TIntPoint TransformPoint(std::int32_t x, std::int32_t y) const;
    static TdxfPoint ToOutput(TIntPoint p) {
        return TdxfPoint{static_cast<float>(p.x), -static_cast<float>(p.y), 0};
    }
    void ShiftByOrigin();
    // A logical point all the way to a figure point.
    TdxfPoint MapPoint(std::int32_t x, std::int32_t y) const;
    void ApplyPen();
    void RegisterLineType(PenStyle style);

    // The single saved copy of the state.
    struct TSavedState {
        TXForm XForm{};
        std::uint32_t TextAlign = 0;
        TIntPoint Position;
        TIntPoint WindowOrg;
        TmvPen* Pen = nullptr;
        TmvBrush* Brush = nullptr;
        TmvFont* Font = nullptr;
    };

    TSavedState SavedState;
    TXForm XForm = IdentityXForm;
    IFigureSink& Sink;
    TInterpretSettings Settings;
    std::vector<std::unique_ptr<TmvGDI>> Objects;
    TmvPen* Pen = nullptr;
    std::unique_ptr<TmvPen> StockPen;
    TmvBrush* Brush = nullptr;
    std::unique_ptr<TmvBrush> StockBrush;
    TmvFont* Font = nullptr;
    std::int32_t TextColor = 0;
    std::uint32_t TextAlign = 0;
    std::string TextString;
    TIntPoint Position;
    TIntPoint WindowOrg;
    TdxfExportData Data;
    std::uint8_t EmittedLineTypes = 0; // bit s set: pen style s (0..7) handled

    // Highest object index a creation record may use. The header counts the
    // handles in 16 bits, so no sound metafile goes beyond it; a larger index
    // would only let a broken file grow the table.
    static constexpr std::uint32_t MaxObjectIndex = 0xFFFF;

private:
    // The box of a circle, ellipse or arc record after the set-up.
    struct TShape {
        bool IsCircle = true;
        long double Rx = 0, Ry = 0, M = 0; // half-axes and the larger of them
    };

    bool AlternativeBlack() const;
    ITextMeasure& Measure() const;
    // Inline, so that callers pass the two coordinates in registers: an
    // out-of-line call with the packed point ran three times slower.
    TIntPoint Transform(TPointL p) const { return TransformPoint(p.x, p.y); }
    // A transformed point turned upward and moved by the window origin.
    TdxfPoint OutputPoint(TIntPoint p) const;
    // Drops every reference to an object that is about to be freed.
    void ForgetObject(const TmvGDI* object);
    void Fill(HatchKind kind);
    // Whether a filled shape needs its outline; sets the pen colour if so.
    bool OutlineNeeded();
    TShape SetUpShape(const TRectL& box);
    void ToEllipseForm(const TShape& shape);
    std::string ReadText(const TU16Array& units) const;
    // The default mode's reading: the characters that the units show in the
    // selected font (empty when there are none to show).
    std::u16string ShownText(const TU16Array& units, std::uint32_t options);
    // The default mode's MTEXT contents of a shown text in the selected font.
    std::string TextContents(std::u16string_view shown) const;
    // Reports something left out of the drawing, each message once.
    void Warn(const std::string& message);
    std::vector<std::string> GivenWarnings;
    void AdvanceAfterText(const std::string& text);

    // State records.
    void CreateObject(const TRecordReader& r, std::uint32_t type);
    void SelectObject(const TRecordReader& r);
    void DeleteObject(const TRecordReader& r);
    void SaveDC();
    void RestoreDC();
    void SetWorldTransform(const TRecordReader& r);
    void ModifyWorldTransform(const TRecordReader& r);
    void SetWindowOrg(const TRecordReader& r);
    void MoveTo(const TRecordReader& r);
    void SetTextAlign(const TRecordReader& r);
    void SetTextColor(const TRecordReader& r);

    // Drawing records.
    void PolyRecord(const TRecordReader& r, TPointSize size, TPolyShape shape);
    void PolyPolyRecord(const TRecordReader& r, TPointSize size, TPolyShape shape);
    void LineTo(const TRecordReader& r);
    void SetPixel(const TRecordReader& r);
    void Rectangle(const TRecordReader& r);
    void RoundRect(const TRecordReader& r);
    void Ellipse(const TRecordReader& r);
    void ArcRecord(const TRecordReader& r);
    void AngleArc(const TRecordReader& r);
    void ExtTextOut(const TRecordReader& r);
    // EMR_EXTTEXTOUTA, EMR_POLYTEXTOUTA/W and EMR_SMALLTEXTOUT, played as the
    // EMR_EXTTEXTOUTW records they amount to.
    void OtherTextRecord(const TEmrRecord& record);
};

} // namespace mv
