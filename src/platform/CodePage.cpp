#include "platform/CodePage.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>

namespace mv {

namespace {

// Unicode of the bytes 0x80-0x9F. The five bytes that Windows-1252 leaves
// undefined map to the C1 control of the same value, as Windows does, so that
// every byte survives a round trip.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t ByteToUnicode(unsigned char b) {
    return b >= 0x80 && b <= 0x9F ? kHighControls[b - 0x80] : static_cast<char32_t>(b);
}

constexpr char32_t kReplacement = 0xFFFD;

char UnicodeToByte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
    }
    return '?';
}

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

} // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

char32_t AnsiCharToUnicode(char c) {
    return ByteToUnicode(static_cast<unsigned char>(c));
}

std::string Utf16ToAnsi(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            // A pair stands for one character outside the code page: one "?".
            if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
            out.push_back('?');
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            out.push_back('?');
        } else {
            out.push_back(UnicodeToByte(c));
        }
    }
    return out;
}

std::string AnsiToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        AppendUtf8(out, AnsiCharToUnicode(c));
    return out;
}

std::string Utf8ToAnsi(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        // Length and smallest value of the sequence; anything malformed
        // (stray continuation, cut-off or overlong sequence, surrogate,
        // beyond U+10FFFF) gives one "?" and resumes after it.
        std::size_t length = 0;
        char32_t c = 0, minimum = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2, c = b & 0x1F, minimum = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3, c = b & 0x0F, minimum = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4, c = b & 0x07, minimum = 0x10000;
        }
        std::size_t n = 1;
        if (length != 0) {
            while (n < length && i + n < text.size() &&
                   IsContinuation(static_cast<unsigned char>(text[i + n]))) {
                c = (c << 6) | (static_cast<unsigned char>(text[i + n]) & 0x3F);
                ++n;
            }
        }
        if (length == 0 || n < length || c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out.push_back('?');
            i += n;
            continue;
        }
        out.push_back(UnicodeToByte(c));
        i += length;
    }
    return out;
}

std::string Trim(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t b = 0, e = text.size();
    while (b < e && blank(text[b]))
        ++b;
    while (e > b && blank(text[e - 1]))
        --e;
    return std::string(text.substr(b, e - b));
}

bool UnicodeToAnsiChar(char32_t c, char& byte) {
    if (c >= 0x80 && c <= 0x9F) return false; // C1 controls: not characters of the code page
    const char b = UnicodeToByte(c);
    if (b == '?' && c != U'?') return false;
    byte = b;
    return true;
}

// ---------------------------------------------------------------- character sets

std::string_view CodePageOfCharset(std::uint8_t charSet) {
    switch (charSet) {
    case charset::Symbol:
        return {};
    case charset::Mac:
        return "MACINTOSH";
    case charset::ShiftJis:
        return "CP932";
    case charset::Hangul:
        return "CP949";
    case charset::Johab:
        return "CP1361";
    case charset::Gb2312:
        return "CP936";
    case charset::ChineseBig5:
        return "CP950";
    case charset::Greek:
        return "CP1253";
    case charset::Turkish:
        return "CP1254";
    case charset::Vietnamese:
        return "CP1258";
    case charset::Hebrew:
        return "CP1255";
    case charset::Arabic:
        return "CP1256";
    case charset::Baltic:
        return "CP1257";
    case charset::Russian:
        return "CP1251";
    case charset::Thai:
        return "CP874";
    case charset::EastEurope:
        return "CP1250";
    case charset::Oem:
        return "CP437";
    default:
        return "CP1252";
    }
}

namespace {

// One code page as lookup tables, read once from the C library's converter:
// a character per single byte, and for the lead bytes of a double-byte code
// page a character per trail byte. 0 marks what the code page leaves
// undefined (no code page maps a byte other than 0 to U+0000).
struct TCodePageTable {
    std::array<char32_t, 256> Single{};
    std::array<bool, 256> Lead{};
    std::vector<char32_t> Pairs; // lead * 256 + trail, when there are lead bytes
};

class TIconv {
public:
    explicit TIconv(const std::string& from) : cd_(iconv_open("UTF-32LE", from.c_str())) {}
    ~TIconv() {
        if (Valid()) iconv_close(cd_);
    }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;
    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    enum class TResult { Char, Incomplete, Invalid };
    // Decodes exactly these bytes into one character, from a fresh state.
    TResult One(const std::uint8_t* bytes, std::size_t n, char32_t& c) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::array<char, 16> buffer{};
        char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
        char* out = buffer.data();
        std::size_t inLeft = n, outLeft = buffer.size();
        if (iconv(cd_, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1))
            return errno == EINVAL ? TResult::Incomplete : TResult::Invalid;
        // A converter that holds back a base letter for a following accent
        // gives it up here.
        if (iconv(cd_, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1))
            return TResult::Invalid;
        if (inLeft != 0 || out - buffer.data() != 4) return TResult::Invalid; // not one character
        c = static_cast<char32_t>(static_cast<unsigned char>(buffer[0]) |
                                  (static_cast<unsigned char>(buffer[1]) << 8) |
                                  (static_cast<unsigned char>(buffer[2]) << 16) |
                                  (static_cast<std::uint32_t>(static_cast<unsigned char>(buffer[3])) << 24));
        return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF) ? TResult::Char : TResult::Invalid;
    }

private:
    iconv_t cd_;
};

std::unique_ptr<const TCodePageTable> BuildTable(const std::string& name) {
    auto table = std::make_unique<TCodePageTable>();
    TIconv cd(name);
    if (!cd.Valid()) {
        // Without the C library's converters only ASCII is known.
        for (std::size_t b = 0; b < 0x80; ++b)
            table->Single[b] = static_cast<char32_t>(b);
        return table;
    }
    bool anyLead = false;
    for (std::size_t b = 0; b < 256; ++b) {
        const std::uint8_t byte = static_cast<std::uint8_t>(b);
        char32_t c = 0;
        const TIconv::TResult r = cd.One(&byte, 1, c);
        if (r == TIconv::TResult::Char) table->Single[b] = c;
        table->Lead[b] = r == TIconv::TResult::Incomplete;
        anyLead = anyLead || table->Lead[b];
    }
    if (anyLead) {
        table->Pairs.assign(256 * 256, 0);
        for (std::size_t lead = 0; lead < 256; ++lead) {
            if (!table->Lead[lead]) continue;
            for (std::size_t trail = 0; trail < 256; ++trail) {
                const std::uint8_t pair[2] = {static_cast<std::uint8_t>(lead),
                                              static_cast<std::uint8_t>(trail)};
                char32_t c = 0;
                if (cd.One(pair, 2, c) == TIconv::TResult::Char) table->Pairs[lead * 256 + trail] = c;
            }
        }
    }
    return table;
}

// The tables are made on first use and kept for the process; the lookups
// that follow need no lock.
const TCodePageTable& TableOf(std::string_view name) {
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<const TCodePageTable>, std::less<>> tables;
    const std::lock_guard lock(mutex);
    auto it = tables.find(name);
    if (it == tables.end()) it = tables.emplace(std::string(name), BuildTable(std::string(name))).first;
    return *it->second;
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c > 0xFFFF) {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(c));
    }
}

} // namespace

std::u16string DecodeCharset(std::uint8_t charSet, std::span<const std::uint8_t> bytes,
                             std::vector<std::uint8_t>* unitBytes) {
    std::u16string out;
    out.reserve(bytes.size());
    if (unitBytes) {
        unitBytes->clear();
        unitBytes->reserve(bytes.size());
    }
    auto put = [&](char32_t c, std::uint8_t count) {
        AppendUtf16(out, c);
        if (unitBytes) {
            unitBytes->push_back(count);
            if (c > 0xFFFF) unitBytes->push_back(0);
        }
    };
    const std::string_view codePage = CodePageOfCharset(charSet);
    if (codePage.empty()) {
        for (std::uint8_t b : bytes)
            put(0xF000 | b, 1);
        return out;
    }
    if (codePage == "CP1252") {
        // The same table as every other Windows-1252 text of the program.
        for (std::uint8_t b : bytes)
            put(ByteToUnicode(b), 1);
        return out;
    }
    const TCodePageTable& table = TableOf(codePage);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t b = bytes[i];
        if (table.Lead[b]) {
            const char32_t c = i + 1 < bytes.size() ? table.Pairs[b * 256 + bytes[i + 1]] : 0;
            if (c != 0) {
                put(c, 2);
                ++i;
            } else {
                put(kReplacement, 1); // a lone lead byte, or a pair the code page lacks
            }
            continue;
        }
        put(b == 0 || table.Single[b] != 0 ? table.Single[b] : kReplacement, 1);
    }
    return out;
}

// ---------------------------------------------------------------- symbol faces

namespace {

// What the Symbol face shows for the codes 0x20 to 0xFF; 0 where it shows
// nothing. Greek letters stand at the Latin letters that sound alike.
constexpr std::array<char16_t, 224> kSymbolFace = {
    // 0x20
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B, 0x002C,
    0x2212, 0x002E, 0x002F,
    // 0x30
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B, 0x003C,
    0x003D, 0x003E, 0x003F,
    // 0x40
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B,
    0x039C, 0x039D, 0x039F,
    // 0x50
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B, 0x2234,
    0x005D, 0x22A5, 0x005F,
    // 0x60
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB,
    0x03BC, 0x03BD, 0x03BF,
    // 0x70
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C,
    0x007D, 0x223C, 0,
    // 0x80-0x9F: nothing
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xA0: formula editors fill with it, and pictures show a blank there
    0x00A0, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190,
    0x2191, 0x2192, 0x2193,
    // 0xB0
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248, 0x2026,
    0x23D0, 0x23AF, 0x21B5,
    // 0xC0
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284, 0x2282,
    0x2286, 0x2208, 0x2209,
    // 0xD0
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0,
    0x21D1, 0x21D2, 0x21D3,
    // 0xE0
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7,
    0x23A8, 0x23A9, 0x23AA,
    // 0xF0
    0, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC,
    0x23AD, 0};

// What Wingdings shows for the codes that pictures use most: list bullets,
// boxes and check marks, pointing hands, circled numbers, stars and arrows.
struct TWingding {
    std::uint8_t Code;
    char16_t Shows;
};
constexpr TWingding kWingdings[] = {
    {0x22, 0x2702}, {0x23, 0x2701}, {0x28, 0x260E}, {0x29, 0x2706}, {0x2A, 0x2709}, {0x36, 0x231B},
    {0x37, 0x2328}, {0x3E, 0x2707}, {0x3F, 0x270D}, {0x41, 0x270C}, {0x45, 0x261C}, {0x46, 0x261E},
    {0x47, 0x261D}, {0x48, 0x261F}, {0x4A, 0x263A}, {0x4C, 0x2639}, {0x4E, 0x2620}, {0x4F, 0x2690},
    {0x51, 0x2708}, {0x52, 0x263C}, {0x54, 0x2744}, {0x56, 0x271E}, {0x58, 0x2720}, {0x59, 0x2721},
    {0x5A, 0x262A}, {0x5B, 0x262F}, {0x5D, 0x2638}, {0x6C, 0x25CF}, {0x6D, 0x274D}, {0x6E, 0x25A0},
    {0x6F, 0x25A1}, {0x71, 0x2751}, {0x72, 0x2752}, {0x75, 0x25C6}, {0x76, 0x2756}, {0x78, 0x2327},
    {0x7A, 0x2318}, {0x7B, 0x2740}, {0x7C, 0x273F}, {0x7D, 0x275D}, {0x7E, 0x275E}, {0x80, 0x24EA},
    {0x8B, 0x24FF}, {0x9E, 0x00B7}, {0x9F, 0x2022}, {0xA0, 0x25AA}, {0xA1, 0x25CB}, {0xA4, 0x25C9},
    {0xA5, 0x25CE}, {0xA7, 0x25AA}, {0xA8, 0x25FB}, {0xAA, 0x2726}, {0xAB, 0x2605}, {0xAC, 0x2736},
    {0xAD, 0x2734}, {0xAE, 0x2739}, {0xAF, 0x2735}, {0xB1, 0x2316}, {0xB5, 0x272A}, {0xB6, 0x2730},
    {0xD5, 0x232B}, {0xD6, 0x2326}, {0xD8, 0x27A2}, {0xDF, 0x2190}, {0xE0, 0x2192}, {0xE1, 0x2191},
    {0xE2, 0x2193}, {0xE8, 0x2794}, {0xEF, 0x21E6}, {0xF0, 0x21E8}, {0xF1, 0x21E7}, {0xF2, 0x21E9},
    {0xF3, 0x2B04}, {0xF4, 0x21F3}, {0xFB, 0x2717}, {0xFC, 0x2713}, {0xFD, 0x2612}, {0xFE, 0x2611},
};

// A picture the tables do not know still shows as a mark.
constexpr char32_t kBullet = 0x2022;

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

char32_t Wingding(std::uint8_t code) {
    if (code >= 0x81 && code <= 0x8A) return 0x2460 + (code - 0x81); // circled 1 to 10
    if (code >= 0x8C && code <= 0x95) return 0x2776 + (code - 0x8C); // the same, negative
    if (code >= 0x5E && code <= 0x69) return 0x2648 + (code - 0x5E); // the signs of the zodiac
    for (const TWingding& w : kWingdings)
        if (w.Code == code) return w.Shows;
    return kBullet;
}

} // namespace

TSymbolFace SymbolFaceOf(std::string_view faceName, std::uint8_t charSet) {
    if (SameLetters(faceName, "Symbol")) return TSymbolFace::Symbol;
    if (SameLetters(faceName, "Wingdings")) return TSymbolFace::Wingdings;
    if (SameLetters(faceName, "Webdings")) return TSymbolFace::Webdings;
    return charSet == charset::Symbol ? TSymbolFace::Other : TSymbolFace::None;
}

char32_t SymbolToUnicode(TSymbolFace face, char32_t c) {
    if (face == TSymbolFace::None) return c;
    const bool privateUse = c >= 0xF020 && c <= 0xF0FF;
    if (!privateUse && (c < 0x20 || c > 0xFF)) return c;
    const auto code = static_cast<std::uint8_t>(c & 0xFF);
    if (code == 0x20) return U' ';
    switch (face) {
    case TSymbolFace::Symbol:
        return kSymbolFace[code - 0x20];
    case TSymbolFace::Wingdings:
        return Wingding(code);
    case TSymbolFace::Webdings:
        return kBullet;
    default:
        // A symbol font of its own: its codes read as the letters they stand at.
        return ByteToUnicode(code);
    }
}

} // namespace mv
