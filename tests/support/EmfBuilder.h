#pragma once
// Builds enhanced metafile bytes record by record, for tests, benchmarks and
// the example generator. Fields are written little-endian in [MS-EMF] layout.

#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mv::test {

class TRecordBytes {
public:
    explicit TRecordBytes(std::uint32_t type) { U32(type).U32(0); }
    TRecordBytes& U8(std::uint8_t v) {
        b_.push_back(v);
        return *this;
    }
    TRecordBytes& U16(std::uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
    TRecordBytes& I16(std::int16_t v) { return U16(static_cast<std::uint16_t>(v)); }
    TRecordBytes& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    TRecordBytes& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
    TRecordBytes& F32(float v) {
        std::uint32_t u;
        std::memcpy(&u, &v, 4);
        return U32(u);
    }
    TRecordBytes& Rect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
        return I32(l).I32(t).I32(r).I32(b);
    }
    TRecordBytes& Pad4() {
        while (b_.size() % 4)
            b_.push_back(0);
        return *this;
    }
    std::size_t Size() const { return b_.size(); }
    // Finishes the record: pads to 4 bytes and stores the size.
    std::vector<std::uint8_t> Finish() {
        Pad4();
        const auto n = static_cast<std::uint32_t>(b_.size());
        b_[4] = n & 0xFF;
        b_[5] = (n >> 8) & 0xFF;
        b_[6] = (n >> 16) & 0xFF;
        b_[7] = (n >> 24) & 0xFF;
        return b_;
    }
    std::vector<std::uint8_t>& Raw() { return b_; }

private:
    std::vector<std::uint8_t> b_;
};

struct TPt {
    std::int32_t x, y;
};

// A 24-bit device-independent bitmap, rows given top first as 0xRRGGBB,
// stored bottom-up as files hold them: its BITMAPINFOHEADER and its bits.
struct TDibBytes {
    std::vector<std::uint8_t> Info, Bits;
};
inline TDibBytes Dib24(const std::vector<std::vector<std::uint32_t>>& rows) {
    const auto h = static_cast<std::int32_t>(rows.size()), w = static_cast<std::int32_t>(rows[0].size());
    TRecordBytes info(0);
    info.Raw().clear();
    info.U32(40).I32(w).I32(h).U16(1).U16(24).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    TDibBytes dib{info.Raw(), {}};
    const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) / 4 * 4;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        for (std::uint32_t c : *row)
            dib.Bits.insert(dib.Bits.end(), {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                                             static_cast<std::uint8_t>(c >> 16)});
        dib.Bits.resize(dib.Bits.size() + stride - static_cast<std::size_t>(w) * 3);
    }
    return dib;
}

class TEmfBuilder {
public:
    // Appends a finished record.
    TEmfBuilder& Add(std::vector<std::uint8_t> record) {
        records_.push_back(std::move(record));
        return *this;
    }
    TEmfBuilder& Add(TRecordBytes r) { return Add(r.Finish()); }

    // EMR_STRETCHDIBITS of the source rectangle (x, y, cx, cy; rows from the
    // first stored one) to the destination (x, y, cx, cy).
    TEmfBuilder& StretchDIBits(const TDibBytes& dib, const std::int32_t (&dest)[4],
                               const std::int32_t (&src)[4], std::uint32_t rop = 0x00CC0020) {
        TRecordBytes r(81);
        const auto cbBmi = static_cast<std::uint32_t>(dib.Info.size());
        r.Rect(0, 0, 0, 0).I32(dest[0]).I32(dest[1]).I32(src[0]).I32(src[1]).I32(src[2]).I32(src[3]);
        r.U32(80).U32(cbBmi).U32(80 + cbBmi).U32(static_cast<std::uint32_t>(dib.Bits.size())).U32(0).U32(rop);
        r.I32(dest[2]).I32(dest[3]);
        for (auto b : dib.Info)
            r.U8(b);
        for (auto b : dib.Bits)
            r.U8(b);
        return Add(r);
    }

    // --- state records
    TEmfBuilder& SetWindowOrg(std::int32_t x, std::int32_t y) { return Add(TRecordBytes(10).I32(x).I32(y)); }
    TEmfBuilder& SetWindowExt(std::int32_t x, std::int32_t y) { return Add(TRecordBytes(9).I32(x).I32(y)); }
    TEmfBuilder& SetMapMode(std::uint32_t m) { return Add(TRecordBytes(17).U32(m)); }
    TEmfBuilder& SetTextAlign(std::uint32_t a) { return Add(TRecordBytes(22).U32(a)); }
    TEmfBuilder& SetTextColor(std::uint32_t c) { return Add(TRecordBytes(24).U32(c)); }
    TEmfBuilder& MoveTo(std::int32_t x, std::int32_t y) { return Add(TRecordBytes(27).I32(x).I32(y)); }
    TEmfBuilder& SaveDC() { return Add(TRecordBytes(33)); }
    TEmfBuilder& RestoreDC(std::int32_t level = -1) { return Add(TRecordBytes(34).I32(level)); }
    TEmfBuilder& SetWorldTransform(float m11, float m12, float m21, float m22, float dx, float dy) {
        return Add(TRecordBytes(35).F32(m11).F32(m12).F32(m21).F32(m22).F32(dx).F32(dy));
    }
    TEmfBuilder& ModifyWorldTransform(float m11, float m12, float m21, float m22, float dx, float dy,
                                      std::uint32_t mode) {
        return Add(TRecordBytes(36).F32(m11).F32(m12).F32(m21).F32(m22).F32(dx).F32(dy).U32(mode));
    }
    TEmfBuilder& SelectObject(std::uint32_t index) { return Add(TRecordBytes(37).U32(index)); }
    TEmfBuilder& DeleteObject(std::uint32_t index) { return Add(TRecordBytes(40).U32(index)); }
    // LOGPEN: style, width (POINTL; y unused), colour.
    TEmfBuilder& CreatePen(std::uint32_t index, std::uint32_t style, std::int32_t width,
                           std::uint32_t color) {
        return Add(TRecordBytes(38).U32(index).U32(style).I32(width).I32(0).U32(color));
    }
    // EXTLOGPEN with no bitmap and no style entries.
    TEmfBuilder& ExtCreatePen(std::uint32_t index, std::uint32_t style, std::uint32_t width,
                              std::uint32_t color) {
        return Add(TRecordBytes(95)
                       .U32(index)
                       .U32(0)
                       .U32(0)
                       .U32(0)
                       .U32(0) // offBmi, cbBmi, offBits, cbBits
                       .U32(style)
                       .U32(width)
                       .U32(0) // elpBrushStyle
                       .U32(color)
                       .U32(0)   // elpHatch
                       .U32(0)); // elpNumEntries
    }
    // LOGBRUSH: style, colour, hatch.
    TEmfBuilder& CreateBrush(std::uint32_t index, std::uint32_t style, std::uint32_t color,
                             std::uint32_t hatch = 0) {
        return Add(TRecordBytes(39).U32(index).U32(style).U32(color).U32(hatch));
    }
    // LOGFONTW (92 bytes) after the index.
    TEmfBuilder& CreateFont(std::uint32_t index, std::u16string_view face, std::int32_t height,
                            std::int32_t escapement = 0, std::int32_t weight = 400, bool italic = false,
                            bool underline = false, std::uint8_t charset = 0) {
        TRecordBytes r(82);
        r.U32(index).I32(height).I32(0).I32(escapement).I32(escapement).I32(weight);
        r.U8(italic ? 1 : 0).U8(underline ? 1 : 0).U8(0).U8(charset).U8(0).U8(0).U8(0).U8(0);
        for (std::size_t i = 0; i < 32; ++i)
            r.U16(i < face.size() ? face[i] : 0);
        return Add(r);
    }

    // --- drawing records
    TEmfBuilder& Poly(std::uint32_t type, std::span<const TPt> pts) {
        TRecordBytes r(type);
        r.Rect(0, 0, 0, 0).U32(static_cast<std::uint32_t>(pts.size()));
        const bool small = type >= 85 && type <= 89;
        for (const TPt& p : pts) {
            if (small)
                r.I16(static_cast<std::int16_t>(p.x)).I16(static_cast<std::int16_t>(p.y));
            else
                r.I32(p.x).I32(p.y);
        }
        return Add(r);
    }
    TEmfBuilder& Poly(std::uint32_t type, std::initializer_list<TPt> pts) {
        return Poly(type, std::span<const TPt>(pts.begin(), pts.size()));
    }
    TEmfBuilder& PolyPoly16(std::uint32_t type, const std::vector<std::vector<TPt>>& lists) {
        TRecordBytes r(type);
        std::uint32_t total = 0;
        for (const auto& l : lists)
            total += static_cast<std::uint32_t>(l.size());
        r.Rect(0, 0, 0, 0).U32(static_cast<std::uint32_t>(lists.size())).U32(total);
        for (const auto& l : lists)
            r.U32(static_cast<std::uint32_t>(l.size()));
        for (const auto& l : lists)
            for (const TPt& p : l)
                r.I16(static_cast<std::int16_t>(p.x)).I16(static_cast<std::int16_t>(p.y));
        return Add(r);
    }
    TEmfBuilder& LineTo(std::int32_t x, std::int32_t y) { return Add(TRecordBytes(54).I32(x).I32(y)); }
    TEmfBuilder& SetPixel(std::int32_t x, std::int32_t y, std::uint32_t color) {
        return Add(TRecordBytes(15).I32(x).I32(y).U32(color));
    }
    TEmfBuilder& Rectangle(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
        return Add(TRecordBytes(43).Rect(l, t, r, b));
    }
    TEmfBuilder& RoundRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t cx,
                           std::int32_t cy) {
        return Add(TRecordBytes(44).Rect(l, t, r, b).I32(cx).I32(cy));
    }
    TEmfBuilder& Ellipse(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
        return Add(TRecordBytes(42).Rect(l, t, r, b));
    }
    // EMR_ARC (45), EMR_CHORD (46), EMR_PIE (47), EMR_ARCTO (55).
    TEmfBuilder& ArcLike(std::uint32_t type, std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b,
                         TPt start, TPt end) {
        return Add(TRecordBytes(type).Rect(l, t, r, b).I32(start.x).I32(start.y).I32(end.x).I32(end.y));
    }
    TEmfBuilder& AngleArc(std::int32_t cx, std::int32_t cy, std::uint32_t radius, float start, float sweep) {
        return Add(TRecordBytes(41).I32(cx).I32(cy).U32(radius).F32(start).F32(sweep));
    }
    // EMR_EXTTEXTOUTW with one EMRTEXT; the string follows the fixed part,
    // then an empty spacing array.
    TEmfBuilder& TextOut(std::int32_t x, std::int32_t y, std::u16string_view text, std::int32_t nChars = -1) {
        TRecordBytes r(84);
        r.Rect(0, 0, 0, 0).U32(1).F32(1).F32(1);          // bounds, graphics mode, scales
        const std::uint32_t offString = 8 + 16 + 12 + 40; // record header + bounds + mode/scales + EMRTEXT
        r.I32(x).I32(y).I32(nChars < 0 ? static_cast<std::int32_t>(text.size()) : nChars).U32(offString);
        r.U32(0).Rect(0, 0, 0, 0).U32(0); // options, rectangle, offDx
        for (char16_t c : text)
            r.U16(c);
        return Add(r);
    }

    // The whole metafile: header, the records, end-of-file.
    std::vector<std::uint8_t> Build(std::int32_t boundsRight = 1000, std::int32_t boundsBottom = 1000) const {
        std::vector<std::vector<std::uint8_t>> all;
        TRecordBytes header(1);
        header.Rect(0, 0, boundsRight, boundsBottom);             // rclBounds
        header.Rect(0, 0, boundsRight * 100, boundsBottom * 100); // rclFrame
        header.U32(0x464D4520).U32(0x10000);                      // signature, version
        const std::size_t bytesAt = header.Size();
        header.U32(0).U32(0).U16(0).U16(0);                       // nBytes, nRecords, nHandles, reserved
        header.U32(0).U32(0).U32(0);                              // nDescription, offDescription, nPalEntries
        header.I32(pixels_[0]).I32(pixels_[1]).I32(320).I32(240); // szlDevice, szlMillimeters
        header.U32(0).U32(0).U32(0).I32(320000).I32(
            240000); // cbPixelFormat, offPixelFormat, bOpenGL, micrometres
        std::vector<std::uint8_t> head = header.Finish();
        TRecordBytes eof(14);
        eof.U32(0).U32(16).U32(20);
        std::vector<std::uint8_t> tail = eof.Finish();
        std::size_t total = head.size() + tail.size();
        for (const auto& r : records_)
            total += r.size();
        const auto n = static_cast<std::uint32_t>(records_.size() + 2);
        auto put32 = [&head](std::size_t at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                head[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        };
        put32(bytesAt, static_cast<std::uint32_t>(total));
        put32(bytesAt + 4, n);
        std::vector<std::uint8_t> out;
        out.reserve(total);
        out.insert(out.end(), head.begin(), head.end());
        for (const auto& r : records_)
            out.insert(out.end(), r.begin(), r.end());
        out.insert(out.end(), tail.begin(), tail.end());
        return out;
    }

    // The reference device's pixels across and down, on 320 x 240 mm.
    TEmfBuilder& DevicePixels(std::int32_t x, std::int32_t y) {
        pixels_ = {x, y};
        return *this;
    }

private:
    std::vector<std::vector<std::uint8_t>> records_;
    std::array<std::int32_t, 2> pixels_ = {1024, 768};
};

} // namespace mv::test
