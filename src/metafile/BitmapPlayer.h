#pragma once
// TBitmapPlayer: the bitmap records of the default mode. Each draws (a part
// of) a bitmap into a rectangle or parallelogram of the page; its corners go
// through the mapping chain, so that a turned, mirrored or sheared placement
// lands in the image's U and V vectors, and the image goes to the sink as
// one figure.

#include "figure/FigureSink.h"
#include "image/Dib.h"
#include "metafile/EmfRecords.h"
#include "metafile/FigureGeometry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace mv {

class TMapping;

class TBitmapPlayer {
public:
    using TWarn = std::function<void(const std::string&)>;
    TBitmapPlayer(IFigureSink& sink, TWarn warn) : sink_(sink), warn_(std::move(warn)) {}

    static bool IsBitmapRecord(std::uint32_t type);
    // Plays a bitmap record; false when it has no source bitmap to draw (a
    // blit that only paints its rectangle), which the caller then draws.
    bool Play(std::span<const std::uint8_t> bytes, std::uint32_t type, const TMapping& mapping);
    // Draws a waiting SRCAND mask unless the record of type nextType may come
    // between it and its image (0: draw it in any case).
    void FlushPendingMask(std::uint32_t nextType);

private:
    // A bitmap's source rectangle (pixels, rows counted from the top) and
    // where its corners land in the figure plane.
    struct TBlit {
        long double X = 0, Y = 0, Cx = 0, Cy = 0;
        TFigPoint TopLeft, TopRight, BottomLeft;
        // Y counts from the first stored row (the bottom row of a bottom-up
        // bitmap), as the device-independent records count it.
        bool FromFirstStoredRow = false;
    };
    // The mask of a SRCAND blit, waiting for the SRCPAINT blit of its image.
    struct TPendingMask {
        TRgbaImage Mask;
        TBlit Where;
    };
    struct TBlitEffect {
        enum TKind : std::uint8_t { Copy, Alpha, ColourKey, Mask } Kind = Copy;
        bool Invert = false;
        std::uint8_t ConstantAlpha = 255;
        bool Premultiplied = false;
        TRgb Colour;
        const TRgbaImage* MaskImage = nullptr;
        TMaskShows Shows = TMaskShows::WhereWhite;
        std::int64_t MaskLeft = 0, MaskTop = 0;
    };

    // The destination corners (logical units) mapped into the blit.
    static void Place(TBlit& blit, const TMapping& mapping, long double left, long double top,
                      long double right, long double bottom);
    std::optional<TDib> LoadBitmap(std::span<const std::uint8_t> record, const TEmrBitmapRef& ref,
                                   bool alphaByte, std::optional<std::uint32_t> rows = std::nullopt);
    bool PlaceBitmap(TDib& dib, const TBlit& blit, const TBlitEffect& effect);
    // The mask bitmap of a record into `mask`, and the effect that applies
    // it (pointing into `mask`).
    void LoadMask(std::span<const std::uint8_t> record, const TEmrBitmapRef& ref, std::int32_t x,
                  std::int32_t y, TMaskShows shows, std::optional<TDib>& mask, TBlitEffect& effect);
    static TBlit SourceToDestination(std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy,
                                     const TXForm& source);
    static bool SamePlace(const TBlit& a, const TBlit& b);
    // Warns; true, the record is done.
    bool Warned(const std::string& line);

    IFigureSink& sink_;
    TWarn warn_;
    std::unique_ptr<TPendingMask> pendingMask_;
};

} // namespace mv
