#pragma once
// TmvDefaultPlayer: the default mode's interpreter, which draws what the
// picture shows. Every point goes through the mapping chain (TMapping) into
// hundredths of a millimetre of the picture; the state is one TDcState
// value with a real save stack; drawing handlers describe their geometry
// and hand it to the emitter, whose figures pass the clip stage on their
// way to the sink.

#include "figure/FigureSink.h"
#include "metafile/BitmapPlayer.h"
#include "metafile/ClipStage.h"
#include "metafile/DcState.h"
#include "metafile/EnhMetafile.h"
#include "metafile/FigureEmitter.h"
#include "metafile/InterpretSettings.h"
#include "metafile/PathRecorder.h"
#include "metafile/RecordShapes.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mv {

class TmvDefaultPlayer {
public:
    // Saved states kept at most; a deeper SAVEDC forgets the oldest one, so
    // that a file of a million SAVEDCs stays within a few megabytes.
    static constexpr std::size_t kMaxSavedStates = 4096;
    // Highest object index a creation record may use (as the classic mode).
    static constexpr std::uint32_t kMaxObjectIndex = 0xFFFF;

    // settings: kept by reference; they must outlive the player. warn takes
    // the warning lines (a bitmap left out, say).
    TmvDefaultPlayer(IFigureSink& sink, const TInterpretSettings& settings, TBitmapPlayer::TWarn warn = {});
    TmvDefaultPlayer(const TmvDefaultPlayer&) = delete;
    TmvDefaultPlayer& operator=(const TmvDefaultPlayer&) = delete;

    void PlayRecord(const TEmrRecord& record);
    // After the last record: draws what still waits (a lone mask bitmap).
    void Finish();
    void ResetEmittedLineTypes() { emittedLineTypes_ = 0; }

    TDcState& State() { return state_; }
    const TDcState& State() const { return state_; }
    std::size_t SavedStates() const { return saved_.size(); }
    TFigureEmitter& Emitter() { return emitter_; }

    // The looks of the selected pen and brush; none when they draw nothing.
    // The pen's line type is handed to the sink on its first use.
    std::optional<TStrokeLook> StrokeLook();
    std::optional<TFillLook> FillLook() const;
    // The current position as a figure point.
    TFigPoint PositionPoint() const { return state_.Mapping.MapPoint(state_.Position.x, state_.Position.y); }

private:
    bool AlternativeBlack() const { return settings_.AlternativeBlack; }
    void UpdateClip();
    void SetClip(std::shared_ptr<const TClipRegion> clip);
    // The clip region as it stands, the whole plane for none.
    TClipRegion ClipOrPlane() const;
    TFigBox LogicalBox(const TRectL& r) const;
    TFigurePath MapPath(const TFigurePath& logical) const;
    void DrawShape(const TDrawShape& shape, bool filled);

    // State records.
    void Header(const TRecordReader& r);
    void Comment(const TRecordReader& r);
    void CreateObject(const TRecordReader& r, std::uint32_t type);
    void CreatePatternBrush(const TRecordReader& r, std::uint32_t type);
    void SelectObject(const TRecordReader& r);
    void DeleteObject(const TRecordReader& r);
    void SaveDC();
    void RestoreDC(const TRecordReader& r);
    void ClipRect(const TRecordReader& r, bool exclude);
    void SelectClipRegion(const TRecordReader& r);
    void OffsetClip(const TRecordReader& r);
    void SetMetaRegion();

    // Drawing records.
    void Poly(const TRecordReader& r, TPointSize size, std::uint32_t type);
    void PolyPoly(const TRecordReader& r, TPointSize size, bool closed);
    void LineTo(const TRecordReader& r);
    void SetPixel(const TRecordReader& r);
    void Rectangle(const TRecordReader& r);
    void RoundRect(const TRecordReader& r);
    void Ellipse(const TRecordReader& r);
    void ArcRecord(const TRecordReader& r, std::uint32_t type);
    void AngleArc(const TRecordReader& r);
    void ExtTextOut(const TRecordReader& r);
    // ETO_OPAQUE: the box of a text record filled in the background colour.
    void OpaqueBox(const TRectL& box);

    // Text (TextRecords.cpp).
    // EMR_EXTTEXTOUTA, EMR_POLYTEXTOUTA/W and EMR_SMALLTEXTOUT, played as the
    // EMR_EXTTEXTOUTW records they amount to.
    void OtherTextRecord(const TEmrRecord& record);
    // The characters that the units show in the selected font (empty when
    // there are none to show). The layout's advances and rises, when given,
    // are kept one per character shown (or emptied when that cannot be told).
    std::u16string ShownText(const TU16Array& units, std::uint32_t options, TEmrTextLayout* layout = nullptr);
    // The MTEXT contents of a shown text in the selected font, with a width
    // code ahead of the characters.
    std::string TextContents(std::u16string_view shown, std::string_view widthCode = {}) const;
    // Reports something left out of the drawing, each message once.
    void Warn(const std::string& message);

    // Paths, regions, gradients and blocks (DefaultPathRecords.cpp).
    TPointMapper LogicalMapper() const;
    TPolyFillMode FillMode() const;
    // The look of a brush of the object table or a stock brush; none for
    // anything else.
    std::optional<TFillLook> FillLookOfObject(std::uint32_t index);
    // The clipping region combined with a region as EXTSELECTCLIPRGN's mode says.
    void CombineClip(const TClipRegion& region, std::uint32_t mode);
    void PathRecord(std::uint32_t type);
    void SelectClipPath(const TRecordReader& r);
    void PolyDraw(const TRecordReader& r, TPointSize size);
    void RegionRecord(const TRecordReader& r, std::uint32_t type);
    void GradientFill(const TRecordReader& r);
    void BitBlt(const TRecordReader& r);

    const TInterpretSettings& settings_; // the interpreter's, which outlive this
    TClipStage clip_;
    TFigureEmitter emitter_;
    IFigureSink& sink_;
    TDcState state_;
    std::deque<TDcState> saved_;
    TPathRecorder path_;
    std::vector<std::shared_ptr<const TmvGDI>> objects_;
    std::uint8_t emittedLineTypes_ = 0;
    TBitmapPlayer bitmaps_;
    std::vector<std::string> givenWarnings_;
    bool placeable_ = false; // a placeable Windows metafile: the viewport is the frame
};

} // namespace mv
