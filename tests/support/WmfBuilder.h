#pragma once
// Builds placeable Windows metafile bytes record by record, for tests and the
// example generator. Records are 16-bit words: size in words (32 bits),
// function number, then the parameters, many of them in reverse order (y
// before x, bottom-right before top-left) as the format has them.

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace mv::test {

class TWmfRecord {
public:
    explicit TWmfRecord(std::uint16_t function) : function_(function) {}
    TWmfRecord& W(std::int32_t v) {
        words_.push_back(static_cast<std::uint16_t>(v));
        return *this;
    }
    TWmfRecord& U32(std::uint32_t v) {
        return W(static_cast<std::int32_t>(v & 0xFFFF)).W(static_cast<std::int32_t>(v >> 16));
    }
    // Bytes, padded with a zero to a whole word.
    TWmfRecord& Bytes(std::string_view b) {
        for (std::size_t i = 0; i < b.size(); i += 2) {
            const auto lo = static_cast<std::uint8_t>(b[i]);
            const auto hi = i + 1 < b.size() ? static_cast<std::uint8_t>(b[i + 1]) : 0;
            words_.push_back(static_cast<std::uint16_t>(lo | hi << 8));
        }
        return *this;
    }
    std::uint16_t Function() const { return function_; }
    const std::vector<std::uint16_t>& Words() const { return words_; }

private:
    std::uint16_t function_;
    std::vector<std::uint16_t> words_;
};

struct TWPt {
    std::int16_t x, y;
};

class TWmfBuilder {
public:
    TWmfBuilder& Add(const TWmfRecord& r) {
        const auto size = static_cast<std::uint32_t>(3 + r.Words().size());
        maxRecord_ = std::max(maxRecord_, size);
        body_.push_back(static_cast<std::uint16_t>(size & 0xFFFF));
        body_.push_back(static_cast<std::uint16_t>(size >> 16));
        body_.push_back(r.Function());
        body_.insert(body_.end(), r.Words().begin(), r.Words().end());
        return *this;
    }
    // Words exactly as given, for records that lie about their size.
    TWmfBuilder& RawWords(std::initializer_list<std::uint16_t> words) {
        body_.insert(body_.end(), words);
        return *this;
    }
    TWmfBuilder& Objects(std::uint16_t n) {
        objects_ = n;
        return *this;
    }

    // --- state records
    TWmfBuilder& SetWindowOrg(std::int16_t x, std::int16_t y) { return Add(TWmfRecord(0x020B).W(y).W(x)); }
    TWmfBuilder& SetWindowExt(std::int16_t x, std::int16_t y) { return Add(TWmfRecord(0x020C).W(y).W(x)); }
    TWmfBuilder& OffsetWindowOrg(std::int16_t dx, std::int16_t dy) {
        return Add(TWmfRecord(0x020F).W(dy).W(dx));
    }
    TWmfBuilder& SetMapMode(std::uint16_t m) { return Add(TWmfRecord(0x0103).W(m)); }
    TWmfBuilder& SetTextAlign(std::uint16_t a) { return Add(TWmfRecord(0x012E).W(a)); }
    TWmfBuilder& SetTextColor(std::uint32_t c) { return Add(TWmfRecord(0x0209).U32(c)); }
    TWmfBuilder& MoveTo(std::int16_t x, std::int16_t y) { return Add(TWmfRecord(0x0214).W(y).W(x)); }
    TWmfBuilder& SaveDC() { return Add(TWmfRecord(0x001E)); }
    TWmfBuilder& RestoreDC(std::int16_t level = -1) { return Add(TWmfRecord(0x0127).W(level)); }
    TWmfBuilder& SelectObject(std::uint16_t slot) { return Add(TWmfRecord(0x012D).W(slot)); }
    TWmfBuilder& DeleteObject(std::uint16_t slot) { return Add(TWmfRecord(0x01F0).W(slot)); }
    TWmfBuilder& CreatePen(std::uint16_t style, std::int16_t width, std::uint32_t color) {
        return Add(TWmfRecord(0x02FA).W(style).W(width).W(0).U32(color));
    }
    TWmfBuilder& CreateBrush(std::uint16_t style, std::uint32_t color, std::uint16_t hatch = 0) {
        return Add(TWmfRecord(0x02FC).W(style).U32(color).W(hatch));
    }
    TWmfBuilder& CreateFont(std::string_view face, std::int16_t height, std::uint8_t charset = 0,
                            std::int16_t escapement = 0, std::int16_t weight = 400, bool italic = false,
                            bool underline = false) {
        TWmfRecord r(0x02FB);
        r.W(height).W(0).W(escapement).W(escapement).W(weight);
        r.W((italic ? 1 : 0) | (underline ? 1 : 0) << 8).W(charset << 8).W(0).W(0);
        std::string name(face);
        name.resize(32, '\0');
        return Add(r.Bytes(name));
    }
    // A palette of n entries and a region without scans: objects that take a
    // slot but have nothing to draw with.
    TWmfBuilder& CreatePalette(std::uint16_t n = 1) {
        TWmfRecord r(0x00F7);
        r.W(0x0300).W(n);
        for (std::uint16_t i = 0; i < n; ++i)
            r.U32(0x00FF0000u >> i);
        return Add(r);
    }
    TWmfBuilder& CreateRegion() {
        TWmfRecord r(0x06FF);
        for (int i = 0; i < 11; ++i)
            r.W(0);
        return Add(r);
    }

    // --- drawing records
    TWmfBuilder& LineTo(std::int16_t x, std::int16_t y) { return Add(TWmfRecord(0x0213).W(y).W(x)); }
    TWmfBuilder& SetPixel(std::int16_t x, std::int16_t y, std::uint32_t color) {
        return Add(TWmfRecord(0x041F).U32(color).W(y).W(x));
    }
    // 0x0325 polyline, 0x0324 polygon.
    TWmfBuilder& Poly(std::uint16_t function, std::initializer_list<TWPt> pts) {
        TWmfRecord r(function);
        r.W(static_cast<std::int32_t>(pts.size()));
        for (const TWPt& p : pts)
            r.W(p.x).W(p.y);
        return Add(r);
    }
    TWmfBuilder& PolyPolygon(const std::vector<std::vector<TWPt>>& lists) {
        TWmfRecord r(0x0538);
        r.W(static_cast<std::int32_t>(lists.size()));
        for (const auto& l : lists)
            r.W(static_cast<std::int32_t>(l.size()));
        for (const auto& l : lists)
            for (const TWPt& p : l)
                r.W(p.x).W(p.y);
        return Add(r);
    }
    TWmfBuilder& Rectangle(std::int16_t l, std::int16_t t, std::int16_t r, std::int16_t b) {
        return Add(TWmfRecord(0x041B).W(b).W(r).W(t).W(l));
    }
    TWmfBuilder& Ellipse(std::int16_t l, std::int16_t t, std::int16_t r, std::int16_t b) {
        return Add(TWmfRecord(0x0418).W(b).W(r).W(t).W(l));
    }
    TWmfBuilder& RoundRect(std::int16_t l, std::int16_t t, std::int16_t r, std::int16_t b, std::int16_t w,
                           std::int16_t h) {
        return Add(TWmfRecord(0x061C).W(h).W(w).W(b).W(r).W(t).W(l));
    }
    // 0x0817 arc, 0x081A pie, 0x0830 chord.
    TWmfBuilder& ArcLike(std::uint16_t function, std::int16_t l, std::int16_t t, std::int16_t r,
                         std::int16_t b, TWPt start, TWPt end) {
        return Add(TWmfRecord(function).W(end.y).W(end.x).W(start.y).W(start.x).W(b).W(r).W(t).W(l));
    }
    TWmfBuilder& TextOut(std::int16_t x, std::int16_t y, std::string_view text) {
        return Add(TWmfRecord(0x0521).W(static_cast<std::int32_t>(text.size())).Bytes(text).W(y).W(x));
    }
    // With options 2 (opaque) or 4 (clipped) the rectangle is written.
    TWmfBuilder& ExtTextOut(std::int16_t x, std::int16_t y, std::uint16_t options, std::string_view text,
                            std::initializer_list<std::int16_t> dx = {}, TWPt rectLT = {0, 0},
                            TWPt rectRB = {0, 0}) {
        TWmfRecord r(0x0A32);
        r.W(y).W(x).W(static_cast<std::int32_t>(text.size())).W(options);
        if (options & 6) r.W(rectLT.x).W(rectLT.y).W(rectRB.x).W(rectRB.y);
        r.Bytes(text);
        for (std::int16_t d : dx)
            r.W(d);
        return Add(r);
    }

    // The whole file: placeable header, metafile header, the records, the end record.
    std::vector<std::uint8_t> Build(std::int16_t left = 0, std::int16_t top = 0, std::int16_t right = 1000,
                                    std::int16_t bottom = 1000, std::uint16_t inch = 1440) const {
        std::vector<std::uint16_t> w{0xCDD7,
                                     0x9AC6,
                                     0,
                                     static_cast<std::uint16_t>(left),
                                     static_cast<std::uint16_t>(top),
                                     static_cast<std::uint16_t>(right),
                                     static_cast<std::uint16_t>(bottom),
                                     inch,
                                     0,
                                     0};
        std::uint16_t sum = 0;
        for (std::uint16_t v : w)
            sum ^= v;
        w.push_back(sum);
        const std::vector<std::uint16_t> meta = Meta();
        w.insert(w.end(), meta.begin(), meta.end());
        return ToBytes(w);
    }
    // The same records without the placeable header.
    std::vector<std::uint8_t> BuildNonPlaceable() const { return ToBytes(Meta()); }

private:
    std::vector<std::uint16_t> Meta() const {
        const auto total = static_cast<std::uint32_t>(9 + body_.size() + 3);
        std::vector<std::uint16_t> w{1,
                                     9,
                                     0x0300,
                                     static_cast<std::uint16_t>(total & 0xFFFF),
                                     static_cast<std::uint16_t>(total >> 16),
                                     objects_,
                                     static_cast<std::uint16_t>(maxRecord_ & 0xFFFF),
                                     static_cast<std::uint16_t>(maxRecord_ >> 16),
                                     0};
        w.insert(w.end(), body_.begin(), body_.end());
        w.insert(w.end(), {3, 0, 0}); // META_EOF
        return w;
    }
    static std::vector<std::uint8_t> ToBytes(const std::vector<std::uint16_t>& words) {
        std::vector<std::uint8_t> b;
        b.reserve(2 * words.size());
        for (std::uint16_t v : words) {
            b.push_back(static_cast<std::uint8_t>(v & 0xFF));
            b.push_back(static_cast<std::uint8_t>(v >> 8));
        }
        return b;
    }

    std::vector<std::uint16_t> body_;
    std::uint16_t objects_ = 0;
    std::uint32_t maxRecord_ = 3;
};

} // namespace mv::test
