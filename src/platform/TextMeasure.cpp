#include "platform/TextMeasure.h"

#include "platform/CodePage.h"

#include <array>
#include <cmath>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace mv {

namespace {

// A logical height of 0 asks for the default size. Windows then picks a
// screen font of about 12 points, a cell height of 16 pixels at 96 dpi;
// the same cell height is used here.
constexpr double kDefaultCellHeight = 16.0;
// Without any usable font the width is estimated as half the height per
// character.
constexpr double kEstimatePerChar = 0.5;
// Face names come from the metafiles; a hostile file could name millions of
// faces. The name cache is emptied when it grows past this size (the metrics
// themselves are kept per font file, of which there are few).
constexpr std::size_t kMaxCachedNames = 512;

// What the width of a string needs of a face: the advance of every byte of
// the code page in em units, and the cell height (ascent + descent) in em.
struct TFaceMetrics {
    std::array<double, 256> Advance{};
    double CellPerEm = 1.0;
    double CapPerEm = 0.7;
};

using TMetricsPtr = std::shared_ptr<const TFaceMetrics>;

struct FTLibraryDeleter {
    void operator()(FT_Library lib) const { FT_Done_FreeType(lib); }
};
struct FTFaceDeleter {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
struct FcPatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FcConfigDeleter {
    void operator()(FcConfig* c) const { FcConfigDestroy(c); }
};
using FTLibraryPtr = std::unique_ptr<std::remove_pointer_t<FT_Library>, FTLibraryDeleter>;
using FTFacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, FTFaceDeleter>;
using FcPatternPtr = std::unique_ptr<FcPattern, FcPatternDeleter>;
using FcConfigPtr = std::unique_ptr<FcConfig, FcConfigDeleter>;

std::string FoldAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

class TFontTextMeasure : public ITextMeasure {
public:
    TFontTextMeasure() {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) == 0) library_.reset(lib);
        config_.reset(FcInitLoadConfigAndFonts());
    }

    double TextWidth(std::string_view face, std::int32_t height, std::string_view text) override {
        return StyledTextWidth(face, false, false, height, text);
    }

    double StyledTextWidth(std::string_view face, bool bold, bool italic, std::int32_t height,
                           std::string_view text) override {
        if (text.empty()) return 0.0;
        TMetricsPtr metrics = Lookup(face, bold, italic);
        double h = height == 0 ? kDefaultCellHeight : static_cast<double>(height);
        if (!metrics) return kEstimatePerChar * std::fabs(h) * static_cast<double>(text.size());
        double ems = 0.0;
        for (char c : text)
            ems += metrics->Advance[static_cast<unsigned char>(c)];
        // Negative: the em height; positive: the cell height, which spans
        // CellPerEm ems.
        return h < 0 ? ems * -h : ems * h / metrics->CellPerEm;
    }

    double CapHeight(std::string_view face, std::int32_t height) override {
        TMetricsPtr metrics = Lookup(face);
        const double h = height == 0 ? kDefaultCellHeight : static_cast<double>(height);
        if (!metrics) return std::fabs(h) / 1.6;
        return (h < 0 ? -h : h / metrics->CellPerEm) * metrics->CapPerEm;
    }

    std::u16string GlyphsToText(std::string_view face, std::u16string_view glyphs) override {
        if (face.empty() || glyphs.empty()) return {};
        std::lock_guard<std::mutex> lock(mutex_);
        const char* file = nullptr;
        int index = 0;
        const FcPatternPtr match = Match(AnsiToUtf8(face), true, file, index);
        if (!match) return {};
        const std::string fileKey = std::string(file) + "#" + std::to_string(index);
        auto it = glyphMaps_.find(fileKey);
        if (it == glyphMaps_.end()) it = glyphMaps_.emplace(fileKey, LoadGlyphMap(file, index)).first;
        const std::vector<char32_t>& map = it->second;
        std::u16string text;
        text.reserve(glyphs.size());
        for (char16_t glyph : glyphs) {
            const char32_t c = glyph < map.size() ? map[glyph] : 0;
            if (c == 0) return {}; // a glyph of no character: nothing sure to show
            if (c > 0xFFFF) {
                text.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
                text.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
            } else {
                text.push_back(static_cast<char16_t>(c));
            }
        }
        return text;
    }

private:
    // The character of every glyph of a face through its Unicode map (or
    // its symbol map), the lowest when several share one; empty when the
    // face cannot be read.
    std::vector<char32_t> LoadGlyphMap(const char* file, int index) {
        std::vector<char32_t> map;
        FT_Face raw = nullptr;
        if (FT_New_Face(library_.get(), file, index, &raw) != 0) return map;
        FTFacePtr face(raw);
        if (FT_Select_Charmap(face.get(), FT_ENCODING_UNICODE) != 0 &&
            FT_Select_Charmap(face.get(), FT_ENCODING_MS_SYMBOL) != 0)
            return map;
        map.assign(static_cast<std::size_t>(std::clamp<FT_Long>(face->num_glyphs, 0, 0x10000)), 0);
        FT_UInt glyph = 0;
        for (FT_ULong c = FT_Get_First_Char(face.get(), &glyph); glyph != 0;
             c = FT_Get_Next_Char(face.get(), c, &glyph)) {
            if (glyph < map.size() && map[glyph] == 0 && c <= 0x10FFFF) map[glyph] = static_cast<char32_t>(c);
        }
        return map;
    }

    TMetricsPtr Lookup(std::string_view face, bool bold = false, bool italic = false) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::string key = FoldAscii(face);
        if (bold) key += "|b";
        if (italic) key += "|i";
        if (auto it = byName_.find(key); it != byName_.end()) return it->second;
        TMetricsPtr metrics;
        if (!face.empty()) metrics = Resolve(AnsiToUtf8(face), true, bold, italic);
        if (!metrics) metrics = Default();
        if (byName_.size() >= kMaxCachedNames) byName_.clear();
        byName_.emplace(std::move(key), metrics);
        return metrics;
    }

    TMetricsPtr Default() {
        if (!defaultResolved_) {
            defaultResolved_ = true;
            defaultMetrics_ = Resolve("sans-serif", false);
        }
        return defaultMetrics_;
    }

    // Asks fontconfig for the family; with exact set, a match whose family
    // differs from the asked one (fontconfig always finds some font) counts
    // as none, so that the caller uses the default face.
    TMetricsPtr Resolve(const std::string& family, bool exact, bool bold = false, bool italic = false) {
        const char* file = nullptr;
        int index = 0;
        FcPatternPtr match = Match(family, exact, file, index, bold, italic);
        if (!match) return nullptr;
        std::string fileKey = file + std::string("#") + std::to_string(index);
        if (auto it = byFile_.find(fileKey); it != byFile_.end()) return it->second;
        TMetricsPtr metrics = Load(file, index);
        if (metrics) byFile_.emplace(std::move(fileKey), metrics);
        return metrics;
    }

    // The match of the family and its font file (valid while the match
    // lives); none as Resolve says.
    FcPatternPtr Match(const std::string& family, bool exact, const char*& file, int& index,
                       bool bold = false, bool italic = false) {
        if (!library_ || !config_) return nullptr;
        FcPatternPtr pattern(FcPatternCreate());
        if (!pattern) return nullptr;
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        if (bold) FcPatternAddInteger(pattern.get(), FC_WEIGHT, FC_WEIGHT_BOLD);
        if (italic) FcPatternAddInteger(pattern.get(), FC_SLANT, FC_SLANT_ITALIC);
        FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
        FcConfigSubstitute(config_.get(), pattern.get(), FcMatchPattern);
        FcDefaultSubstitute(pattern.get());
        FcResult result = FcResultNoMatch;
        FcPatternPtr match(FcFontMatch(config_.get(), pattern.get(), &result));
        if (!match) return nullptr;
        if (exact && !HasFamily(match.get(), family)) return nullptr;
        FcChar8* name = nullptr;
        if (FcPatternGetString(match.get(), FC_FILE, 0, &name) != FcResultMatch || !name) return nullptr;
        index = 0;
        FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
        file = reinterpret_cast<const char*>(name);
        return match;
    }

    static bool HasFamily(FcPattern* match, const std::string& family) {
        FcChar8* name = nullptr;
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
            if (name && FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family.c_str())) == 0)
                return true;
        }
        return false;
    }

    TMetricsPtr Load(const char* file, int index) {
        FT_Face raw = nullptr;
        if (FT_New_Face(library_.get(), file, index, &raw) != 0) return nullptr;
        FTFacePtr face(raw);
        if (!FT_IS_SCALABLE(face.get()) || face->units_per_EM == 0) return nullptr;
        // Symbol fonts have no Unicode map; Windows reaches their glyphs
        // through the private-use codes 0xF000 + byte.
        bool symbol = false;
        if (FT_Select_Charmap(face.get(), FT_ENCODING_UNICODE) != 0) {
            if (FT_Select_Charmap(face.get(), FT_ENCODING_MS_SYMBOL) != 0) return nullptr;
            symbol = true;
        }
        auto metrics = std::make_shared<TFaceMetrics>();
        const double em = face->units_per_EM;
        for (int b = 0; b < 256; ++b) {
            FT_ULong code = symbol ? 0xF000u | static_cast<FT_ULong>(b)
                                   : static_cast<FT_ULong>(AnsiCharToUnicode(static_cast<char>(b)));
            FT_UInt glyph = FT_Get_Char_Index(face.get(), code);
            if (glyph == 0 && symbol) glyph = FT_Get_Char_Index(face.get(), static_cast<FT_ULong>(b));
            // A character the face lacks is measured with its missing-glyph box.
            FT_Fixed advance = 0;
            if (FT_Get_Advance(face.get(), glyph, FT_LOAD_NO_SCALE, &advance) != 0) advance = 0;
            metrics->Advance[b] = static_cast<double>(advance) / em;
        }
        // Windows takes the cell height from the OS/2 table's Windows ascent
        // and descent; the horizontal header or the em are the fall-backs.
        double cell = 0.0;
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_OS2));
        if (os2 && os2->version != 0xFFFF) cell = double(os2->usWinAscent) + double(os2->usWinDescent);
        if (cell <= 0.0) cell = double(face->ascender) - double(face->descender);
        if (cell <= 0.0) cell = em;
        metrics->CellPerEm = cell / em;
        // The capital height from the OS/2 table (version 2 on), else the top of "H".
        double cap = 0.0;
        if (os2 && os2->version != 0xFFFF && os2->version >= 2) cap = double(os2->sCapHeight);
        if (cap <= 0.0 && !symbol) {
            const FT_UInt h = FT_Get_Char_Index(face.get(), 'H');
            if (h != 0 && FT_Load_Glyph(face.get(), h, FT_LOAD_NO_SCALE) == 0)
                cap = double(face->glyph->metrics.horiBearingY);
        }
        if (cap > 0.0 && cap <= em) metrics->CapPerEm = cap / em;
        return metrics;
    }

    std::mutex mutex_;
    FTLibraryPtr library_;
    FcConfigPtr config_;
    std::map<std::string, TMetricsPtr> byName_;
    std::map<std::string, TMetricsPtr> byFile_;
    // Per font file; only installed faces get here, so there are few.
    std::map<std::string, std::vector<char32_t>> glyphMaps_;
    TMetricsPtr defaultMetrics_;
    bool defaultResolved_ = false;
};

} // namespace

std::string_view MetricCompatibleFace(std::string_view face) {
    struct TTwin {
        std::string_view Face, Twin;
    };
    static constexpr TTwin kTwins[] = {
        {"arial", "Liberation Sans"},
        {"helvetica", "Liberation Sans"},
        {"arial narrow", "Liberation Sans Narrow"},
        {"times new roman", "Liberation Serif"},
        {"times", "Liberation Serif"},
        {"courier new", "Liberation Mono"},
        {"courier", "Liberation Mono"},
        {"calibri", "Carlito"},
        {"cambria", "Caladea"},
    };
    const std::string folded = FoldAscii(face);
    for (const TTwin& twin : kTwins)
        if (folded == twin.Face) return twin.Twin;
    return face;
}

ITextMeasure& DefaultTextMeasure() {
    static TFontTextMeasure measure;
    return measure;
}

} // namespace mv
