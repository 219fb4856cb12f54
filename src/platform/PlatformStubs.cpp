// Placeholder measurement and code page until the platform pieces are built.
#include "platform/CodePage.h"
#include "platform/TextMeasure.h"

namespace mv {

namespace {
class TFixedMeasure : public ITextMeasure {
public:
    double TextWidth(std::string_view, std::int32_t height, std::string_view text) override {
        return 0.5 * (height < 0 ? -height : height) * static_cast<double>(text.size());
    }
};
} // namespace

ITextMeasure& DefaultTextMeasure() {
    static TFixedMeasure measure;
    return measure;
}

std::string Utf16ToAnsi(std::u16string_view text) {
    std::string s;
    for (char16_t c : text) s.push_back(c < 0x80 || (c >= 0xA0 && c <= 0xFF) ? static_cast<char>(c) : '?');
    return s;
}

std::string AnsiToUtf8(std::string_view text) { return std::string(text); }
std::string Utf8ToAnsi(std::string_view text) { return std::string(text); }

} // namespace mv
