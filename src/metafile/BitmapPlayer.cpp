// The bitmap records in the default mode: each draws (a part of) a bitmap
// into a rectangle or parallelogram of the page, which becomes one image
// figure. Raster operations are reduced to what shows on white paper:
//  - the copy-like operations, and every other one that reads the source,
//    draw the bitmap as it is; NOTSRCCOPY draws it inverted;
//  - an alpha blend keeps the per-pixel or the constant alpha;
//  - a transparent blit makes its colour transparent;
//  - a masked blit shows the bitmap where the mask lets the copy through;
//  - SRCAND with a mask followed by SRCPAINT of a bitmap at the same place
//    (the usual way to draw a shaped picture) becomes one image that is
//    transparent where the mask is white.
// Operations that do not read a source bitmap are not drawn here.
#include "metafile/BitmapPlayer.h"

#include "metafile/Mapping.h"

#include "image/Dib.h"
#include "image/PngCodec.h"
#include "platform/Errors.h"

#include <cmath>
#include <limits>

namespace mv {

namespace {

constexpr std::uint32_t kSrcCopy = 0x00CC0020;
constexpr std::uint32_t kSrcAnd = 0x008800C6;
constexpr std::uint32_t kSrcPaint = 0x00EE0086;
constexpr std::uint32_t kNotSrcCopy = 0x00330008;
constexpr std::uint8_t kKeepDestination = 0xAA; // ROP3 index of "leave the page as it is"
constexpr std::uint8_t kCopyIndex = 0xCC;
constexpr std::uint8_t kAcSrcAlpha = 1;

// Whether a ROP3 reads the source: its result changes with the source bit.
bool ReadsSource(std::uint32_t rop) {
    const unsigned index = (rop >> 16) & 0xFF;
    return ((index >> 2) & 0x33) != (index & 0x33);
}

// Records that change nothing a pending mask depends on, so that it may wait
// for its image across them.
bool KeepsPendingMask(std::uint32_t type) {
    switch (type) {
    case emr::SETSTRETCHBLTMODE:
    case emr::SETBKMODE:
    case emr::SETBKCOLOR:
    case emr::SETTEXTCOLOR:
    case emr::SETROP2:
    case emr::GDICOMMENT:
    case emr::SELECTOBJECT:
    case emr::DELETEOBJECT:
    case emr::CREATEPEN:
    case emr::CREATEBRUSHINDIRECT:
        return true;
    default:
        return false;
    }
}

} // namespace

bool TBitmapPlayer::IsBitmapRecord(std::uint32_t type) {
    switch (type) {
    case emr::BITBLT:
    case emr::STRETCHBLT:
    case emr::MASKBLT:
    case emr::PLGBLT:
    case emr::SETDIBITSTODEVICE:
    case emr::STRETCHDIBITS:
    case emr::ALPHABLEND:
    case emr::TRANSPARENTBLT:
        return true;
    default:
        return false;
    }
}

void TBitmapPlayer::Place(TBlit& blit, const TMapping& mapping, long double left, long double top,
                          long double right, long double bottom) {
    const auto map = [&](long double x, long double y) {
        return mapping.MapPoint(static_cast<double>(x), static_cast<double>(y));
    };
    blit.TopLeft = map(left, top);
    blit.TopRight = map(right, top);
    blit.BottomLeft = map(left, bottom);
}

std::optional<TDib> TBitmapPlayer::LoadBitmap(std::span<const std::uint8_t> record, const TEmrBitmapRef& ref,
                                              bool alphaByte, std::optional<std::uint32_t> rows) {
    const auto info = RecordSpan(record, ref.offBmi, ref.cbBmi);
    const auto bits = RecordSpan(record, ref.offBits, ref.cbBits);
    if (!info || !bits) {
        Warned("Bild ausgelassen: Bitmap liegt außerhalb des Datensatzes");
        return std::nullopt;
    }
    TDibSource source;
    source.Info = *info;
    source.Bits = *bits;
    source.Usage = ref.Usage == 1 ? TDibUsage::PalColors : TDibUsage::RgbColors;
    source.AlphaByte = alphaByte;
    // A band of rows: the header's height becomes the band's, its sign kept.
    std::vector<std::uint8_t> banded;
    if (rows && info->size() >= 40 && LE32(*info, 0) >= 40) {
        const auto height = static_cast<std::int32_t>(LE32(*info, 8));
        const std::int64_t whole = height < 0 ? -std::int64_t{height} : height;
        if (*rows < whole) {
            banded.assign(info->begin(), info->end());
            const std::int64_t band = height < 0 ? -std::int64_t{*rows} : std::int64_t{*rows};
            for (int i = 0; i < 4; ++i)
                banded[8 + i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(band) >> (8 * i));
            source.Info = banded;
        }
    }
    TDib dib = DecodeDib(source);
    if (!dib) {
        Warned(std::string("Bild ausgelassen: ") + DibFailureText(dib.Failure));
        return std::nullopt;
    }
    return dib;
}

bool TBitmapPlayer::PlaceBitmap(TDib& dib, const TBlit& blit, const TBlitEffect& effect) {
    TRgbaImage* pixels = dib.Embedded ? nullptr : &dib.Image;
    TRgbaImage decoded;
    const std::uint32_t w = dib.Embedded ? dib.Embedded->Width : dib.Image.Width();
    const std::uint32_t h = dib.Embedded ? dib.Embedded->Height : dib.Image.Height();
    if (w == 0 || h == 0 || blit.Cx == 0 || blit.Cy == 0) return false;

    // The source rectangle in rows from the top, cut to the bitmap.
    long double top = blit.Y;
    if (blit.FromFirstStoredRow && dib.BottomUp) top = h - (blit.Y + blit.Cy);
    const long double x0 = std::min(blit.X, blit.X + blit.Cx), x1 = std::max(blit.X, blit.X + blit.Cx);
    const long double y0 = std::min(top, top + blit.Cy), y1 = std::max(top, top + blit.Cy);
    const long double l = std::max<long double>(0, std::floor(x0)),
                      r = std::min<long double>(w, std::ceil(x1));
    const long double t = std::max<long double>(0, std::floor(y0)),
                      b = std::min<long double>(h, std::ceil(y1));
    if (!(l < r && t < b)) return false;
    const bool whole = l == 0 && t == 0 && r == w && b == h;

    TRgbaImage cropped;
    const bool needPixels = !whole || effect.Kind != TBlitEffect::Copy || effect.Invert;
    if (dib.Embedded && needPixels) {
        // Only a PNG can be cut or changed; a JPEG is placed whole, as it is.
        if (dib.Embedded->Kind == TEmbeddedKind::Png) decoded = ReadPng(dib.Embedded->Bytes);
        if (!decoded.Empty()) pixels = &decoded;
    }
    TRgbaImage* placed = pixels;
    long double pl = 0, pt = 0, pr = w, pb = h;
    if (pixels && !whole) {
        cropped = Crop(std::move(*pixels),
                       TPixelRect{static_cast<std::int64_t>(l), static_cast<std::int64_t>(t),
                                  static_cast<std::int64_t>(r - l), static_cast<std::int64_t>(b - t)});
        if (cropped.Empty()) return false;
        pl = l, pt = t, pr = r, pb = b;
        placed = &cropped;
    }
    if (pixels) {
        TRgbaImage& target = *placed;
        if (effect.Invert)
            for (std::uint32_t y = 0; y < target.Height(); ++y) {
                std::uint8_t* row = target.Row(y);
                for (std::uint32_t x = 0; x < target.Width(); ++x)
                    for (int c = 0; c < 3; ++c)
                        row[4 * x + c] = static_cast<std::uint8_t>(255 - row[4 * x + c]);
            }
        switch (effect.Kind) {
        case TBlitEffect::Copy:
            break;
        case TBlitEffect::Alpha:
            ApplyAlphaBlend(target, effect.ConstantAlpha, effect.Premultiplied);
            break;
        case TBlitEffect::ColourKey:
            MakeColourTransparent(target, effect.Colour);
            break;
        case TBlitEffect::Mask:
            if (effect.MaskImage)
                ApplyMask(target, *effect.MaskImage, effect.Shows,
                          effect.MaskLeft + static_cast<std::int64_t>(pl) -
                              static_cast<std::int64_t>(std::floor(x0)),
                          effect.MaskTop + static_cast<std::int64_t>(pt) -
                              static_cast<std::int64_t>(std::floor(y0)));
            break;
        }
    }

    // Where a point (s, u) of the source, rows from the top, lands; the
    // mapping is affine, so the figure corners interpolate as the logical do.
    const auto land = [&](long double s, long double u) {
        const long double fs = (s - blit.X) / blit.Cx;
        const long double fu = (blit.FromFirstStoredRow && dib.BottomUp ? (u - top) : (u - blit.Y)) / blit.Cy;
        const long double x = blit.TopLeft.x + fs * (blit.TopRight.x - blit.TopLeft.x) +
                              fu * (blit.BottomLeft.x - blit.TopLeft.x);
        const long double y = blit.TopLeft.y + fs * (blit.TopRight.y - blit.TopLeft.y) +
                              fu * (blit.BottomLeft.y - blit.TopLeft.y);
        if (!(std::fabs(x) <= TMapping::kMaxCoordinate && std::fabs(y) <= TMapping::kMaxCoordinate))
            throw ERangeError();
        return TdxfPoint{static_cast<float>(x), static_cast<float>(y), 0};
    };
    const TdxfPoint p00 = land(pl, pt);
    const TdxfPoint p10 = land(pr, pt);
    const TdxfPoint p01 = land(pl, pb);
    TdxfImageData data;
    data.Pixels = placed;
    data.Embedded = placed ? nullptr : &*dib.Embedded;
    const long double pw = data.Width(), ph = data.Height();
    data.Origin = p01;
    data.U = TdxfPoint{static_cast<float>((static_cast<long double>(p10.x) - p00.x) / pw),
                       static_cast<float>((static_cast<long double>(p10.y) - p00.y) / pw), 0};
    data.V = TdxfPoint{static_cast<float>((static_cast<long double>(p00.x) - p01.x) / ph),
                       static_cast<float>((static_cast<long double>(p00.y) - p01.y) / ph), 0};
    sink_.AddImage(data);
    return true;
}

void TBitmapPlayer::LoadMask(std::span<const std::uint8_t> record, const TEmrBitmapRef& ref, std::int32_t x,
                             std::int32_t y, TMaskShows shows, std::optional<TDib>& mask,
                             TBlitEffect& effect) {
    if (!ref.Present()) return;
    mask = LoadBitmap(record, ref, false);
    if (mask && !mask->Embedded) {
        effect.Kind = TBlitEffect::Mask;
        effect.MaskImage = &mask->Image;
        effect.Shows = shows;
        effect.MaskLeft = x;
        effect.MaskTop = y;
    }
}

void TBitmapPlayer::FlushPendingMask(std::uint32_t nextType) {
    if (!pendingMask_ || KeepsPendingMask(nextType)) return;
    // No image came: the mask is drawn as what it leaves on white paper.
    std::unique_ptr<TPendingMask> pending = std::move(pendingMask_);
    TDib dib;
    dib.Image = std::move(pending->Mask);
    PlaceBitmap(dib, pending->Where, TBlitEffect{});
}

bool TBitmapPlayer::Play(std::span<const std::uint8_t> bytes, std::uint32_t type, const TMapping& mapping) {
    const TRecordReader r(bytes);
    // Only a blit may complete a waiting mask; it decides below.
    if (type != emr::BITBLT && type != emr::STRETCHBLT) FlushPendingMask(0);
    switch (type) {
    case emr::BITBLT:
    case emr::STRETCHBLT:
    case emr::ALPHABLEND:
    case emr::TRANSPARENTBLT: {
        const auto rec = DecodeBitBlt(r, type);
        const bool raster = type == emr::BITBLT || type == emr::STRETCHBLT;
        // A record too short for a bitmap, or a blit that does not read
        // one, paints its rectangle, which the caller does.
        if (!rec || !rec->Src.Present() || (raster && !ReadsSource(rec->Operation))) {
            FlushPendingMask(0);
            return !raster;
        }
        TBlitEffect effect;
        bool alphaByte = false;
        if (type == emr::ALPHABLEND) {
            effect.Kind = TBlitEffect::Alpha;
            effect.ConstantAlpha = static_cast<std::uint8_t>(rec->Operation >> 16);
            effect.Premultiplied = ((rec->Operation >> 24) & kAcSrcAlpha) != 0;
            alphaByte = effect.Premultiplied;
        } else if (type == emr::TRANSPARENTBLT) {
            effect.Kind = TBlitEffect::ColourKey;
            effect.Colour = TRgb::FromColorRef(rec->Operation);
        } else {
            effect.Invert = rec->Operation == kNotSrcCopy;
        }
        TBlit blit = SourceToDestination(rec->xSrc, rec->ySrc, rec->cxSrc, rec->cySrc, rec->XformSrc);
        Place(blit, mapping, rec->xDest, rec->yDest, static_cast<long double>(rec->xDest) + rec->cxDest,
              static_cast<long double>(rec->yDest) + rec->cyDest);
        auto dib = LoadBitmap(bytes, rec->Src, alphaByte);
        if (!dib) {
            FlushPendingMask(0);
            return true;
        }
        if (raster && rec->Operation == kSrcAnd && !dib->Embedded) {
            FlushPendingMask(0);
            pendingMask_ = std::make_unique<TPendingMask>(TPendingMask{std::move(dib->Image), blit});
            return true;
        }
        if (raster && rec->Operation == kSrcPaint && pendingMask_ && SamePlace(pendingMask_->Where, blit)) {
            std::unique_ptr<TPendingMask> pending = std::move(pendingMask_);
            effect.Kind = TBlitEffect::Mask;
            effect.MaskImage = &pending->Mask;
            effect.Shows = TMaskShows::WhereBlack;
            effect.MaskLeft = static_cast<std::int64_t>(std::floor(pending->Where.X));
            effect.MaskTop = static_cast<std::int64_t>(std::floor(pending->Where.Y));
            PlaceBitmap(*dib, blit, effect);
            return true;
        }
        FlushPendingMask(0);
        PlaceBitmap(*dib, blit, effect);
        return true;
    }
    case emr::MASKBLT: {
        const auto rec = DecodeMaskBlt(r);
        if (!rec) return Warned("Bild ausgelassen: Datensatz zu kurz");
        const TEmrBitBlt& blt = rec->Blt;
        const std::uint32_t fore = blt.Operation & 0xFFFFFF;
        const std::uint8_t foreIndex = (fore >> 16) & 0xFF, backIndex = blt.Operation >> 24;
        if (!blt.Src.Present() || (!ReadsSource(fore) && !ReadsSource(std::uint32_t{backIndex} << 16)))
            return true;
        TBlit blit = SourceToDestination(blt.xSrc, blt.ySrc, blt.cxSrc, blt.cySrc, blt.XformSrc);
        Place(blit, mapping, blt.xDest, blt.yDest, static_cast<long double>(blt.xDest) + blt.cxDest,
              static_cast<long double>(blt.yDest) + blt.cyDest);
        auto dib = LoadBitmap(bytes, blt.Src, false);
        if (!dib) return true;
        TBlitEffect effect;
        std::optional<TDib> mask;
        if (backIndex == kKeepDestination || foreIndex == kKeepDestination)
            LoadMask(bytes, rec->Mask, rec->xMask, rec->yMask,
                     backIndex == kKeepDestination ? TMaskShows::WhereWhite : TMaskShows::WhereBlack, mask,
                     effect);
        effect.Invert = fore == kNotSrcCopy;
        PlaceBitmap(*dib, blit, effect);
        return true;
    }
    case emr::PLGBLT: {
        const auto rec = DecodePlgBlt(r);
        if (!rec) return Warned("Bild ausgelassen: Datensatz zu kurz");
        if (!rec->Src.Present()) return true;
        TBlit blit = SourceToDestination(rec->xSrc, rec->ySrc, rec->cxSrc, rec->cySrc, rec->XformSrc);
        blit.TopLeft = mapping.MapPoint(rec->aptlDest[0].x, rec->aptlDest[0].y);
        blit.TopRight = mapping.MapPoint(rec->aptlDest[1].x, rec->aptlDest[1].y);
        blit.BottomLeft = mapping.MapPoint(rec->aptlDest[2].x, rec->aptlDest[2].y);
        auto dib = LoadBitmap(bytes, rec->Src, false);
        if (!dib) return true;
        TBlitEffect effect;
        std::optional<TDib> mask;
        LoadMask(bytes, rec->Mask, rec->xMask, rec->yMask, TMaskShows::WhereWhite, mask, effect);
        PlaceBitmap(*dib, blit, effect);
        return true;
    }
    case emr::SETDIBITSTODEVICE: {
        const auto rec = DecodeSetDIBitsToDevice(r);
        if (!rec) return Warned("Bild ausgelassen: Datensatz zu kurz");
        if (!rec->Src.Present()) return true;
        TBlit blit;
        blit.X = rec->xSrc;
        // The bits hold the band of rows from iStartScan on.
        blit.Y = static_cast<long double>(rec->ySrc) - rec->iStartScan;
        blit.Cx = rec->cxSrc;
        blit.Cy = rec->cySrc;
        blit.FromFirstStoredRow = true;
        Place(blit, mapping, rec->xDest, rec->yDest, static_cast<long double>(rec->xDest) + rec->cxSrc,
              static_cast<long double>(rec->yDest) + rec->cySrc);
        auto dib = LoadBitmap(bytes, rec->Src, false, rec->cScans);
        if (!dib) return true;
        PlaceBitmap(*dib, blit, TBlitEffect{});
        return true;
    }
    case emr::STRETCHDIBITS: {
        const auto rec = DecodeStretchDIBits(r);
        if (!rec) return Warned("Bild ausgelassen: Datensatz zu kurz");
        if (!rec->Src.Present() || !ReadsSource(rec->BitBltRasterOperation)) return true;
        TBlit blit;
        blit.X = rec->xSrc;
        blit.Y = rec->ySrc;
        blit.Cx = rec->cxSrc;
        blit.Cy = rec->cySrc;
        blit.FromFirstStoredRow = true;
        Place(blit, mapping, rec->xDest, rec->yDest, static_cast<long double>(rec->xDest) + rec->cxDest,
              static_cast<long double>(rec->yDest) + rec->cyDest);
        auto dib = LoadBitmap(bytes, rec->Src, false);
        if (!dib) return true;
        TBlitEffect effect;
        effect.Invert = rec->BitBltRasterOperation == kNotSrcCopy;
        PlaceBitmap(*dib, blit, effect);
        return true;
    }
    default:
        return false;
    }
}

TBitmapPlayer::TBlit TBitmapPlayer::SourceToDestination(std::int32_t x, std::int32_t y, std::int32_t cx,
                                                        std::int32_t cy, const TXForm& source) {
    // The source device's transform: only its scale and offset are taken
    // (a bitmap's device is hardly ever turned).
    TBlit blit;
    const bool usable = std::isfinite(source.eM11) && std::isfinite(source.eM22) && source.eM11 != 0 &&
                        source.eM22 != 0 && std::isfinite(source.eDx) && std::isfinite(source.eDy);
    const long double sx = usable ? source.eM11 : 1, sy = usable ? source.eM22 : 1;
    const long double dx = usable ? source.eDx : 0, dy = usable ? source.eDy : 0;
    blit.X = x * sx + dx;
    blit.Y = y * sy + dy;
    blit.Cx = cx * sx;
    blit.Cy = cy * sy;
    return blit;
}

bool TBitmapPlayer::Warned(const std::string& line) {
    if (warn_) warn_(line);
    return true;
}

bool TBitmapPlayer::SamePlace(const TBlit& a, const TBlit& b) {
    return a.TopLeft == b.TopLeft && a.TopRight == b.TopRight && a.BottomLeft == b.BottomLeft;
}

} // namespace mv
