#include "FuzzChecks.h"

#include "app/BatchRun.h"
#include "app/ProjectFile.h"
#include "dxf/DXFExport.h"
#include "dxf/FigureCollector.h"
#include "dxf/WhiteMask.h"
#include "metafile/EnhMetafile.h"
#include "metafile/Metafile.h"
#include "platform/Errors.h"
#include "platform/TextMeasure.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <string_view>
#include <vector>

namespace mv::fuzz {

namespace {

// Fixed metrics, so that a run does not depend on the fonts of the machine
// and costs no font look-up.
class THalfHeightMeasure : public ITextMeasure {
public:
    double TextWidth(std::string_view, std::int32_t height, std::string_view text) override {
        return 0.5 * std::abs(static_cast<double>(height)) * static_cast<double>(text.size());
    }
};

THalfHeightMeasure gMeasure;

bool IsRealGroup(int code) {
    return (code >= 10 && code <= 59) || (code >= 110 && code <= 149) || (code >= 210 && code <= 239) ||
           (code >= 460 && code <= 469) || (code >= 1010 && code <= 1059);
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// Runs f; a TmvError (the converter's answer to bad input) gives "refused",
// any other exception a finding.
template <class F> std::string Guarded(F f, bool& refused) {
    refused = false;
    try {
        return f();
    } catch (const TmvError&) {
        refused = true;
        return {};
    } catch (const std::exception& e) {
        return std::string("unexpected exception: ") + e.what();
    }
}

std::vector<std::uint8_t> Copy(std::span<const std::uint8_t> data) {
    return std::vector<std::uint8_t>(data.begin(), data.end());
}

} // namespace

std::string CheckDxfText(const std::string& dxf) {
    static constexpr std::string_view kEnd = "  0\r\nEOF\r\n";
    if (dxf.size() < kEnd.size() || dxf.compare(dxf.size() - kEnd.size(), kEnd.size(), kEnd) != 0)
        return "the file does not end with the EOF group";
    std::size_t at = 0, line = 0;
    auto next = [&](std::string_view& out) {
        const std::size_t end = dxf.find("\r\n", at);
        if (end == std::string::npos) return false;
        out = std::string_view(dxf).substr(at, end - at);
        at = end + 2;
        ++line;
        return true;
    };
    std::string_view codeLine, value;
    while (next(codeLine)) {
        if (!next(value)) return "group without a value at line " + std::to_string(line);
        int code = 0;
        const std::string_view c = Trim(codeLine);
        auto [end, ec] = std::from_chars(c.data(), c.data() + c.size(), code);
        if (ec != std::errc() || end != c.data() + c.size() || c.empty())
            return "no group code at line " + std::to_string(line - 1) + ": " + std::string(codeLine);
        if (!IsRealGroup(code)) continue;
        const std::string_view v = Trim(value);
        double number = 0;
        auto [vend, vec] = std::from_chars(v.data(), v.data() + v.size(), number);
        if (vec != std::errc() || vend != v.data() + v.size() || !std::isfinite(number))
            return "group " + std::to_string(code) + " holds no finite number at line " +
                   std::to_string(line) + ": " + std::string(value);
    }
    return {};
}

std::string CheckConversion(std::span<const std::uint8_t> data) {
    if (data.empty()) return {};
    const std::uint8_t switches = data[0];
    bool refused = false;
    return Guarded(
        [&]() -> std::string {
            TBatchOptions options;
            options.ParseWhite = switches & 1;
            options.R14 = switches & 2;
            options.Use01MM = switches & 4;
            options.AlternativeBlack = switches & 8;
            options.PenWidthRatio = switches & 16 ? "0.5" : "-1.0";
            options.Classic = switches & 32;
            TmvDXFExport exporter;
            exporter.SetTextMeasure(&gMeasure);
            ConfigureExporter(exporter, options);
            exporter.AdoptMetafile(TEnhMetafile::FromFileBytes(Copy(data.subspan(1))));
            return CheckDxfText(exporter.SaveToString());
        },
        refused);
}

std::string CheckWhiteMask(std::span<const std::uint8_t> data) {
    bool refused = false;
    return Guarded(
        [&]() -> std::string {
            const TEnhMetafile metafile = TEnhMetafile::FromFileBytes(Copy(data));
            std::string dxf[2], error[2];
            for (int pass = 0; pass < 2; ++pass) {
                // The figures are made apart from an exporter, so that each
                // pass can run on them before they are written.
                TFigureCollector figures;
                TInterpretSettings settings;
                settings.TextMeasure = &gMeasure;
                try {
                    TmvMetafile(figures, settings).Play(metafile);
                } catch (const TmvError&) {
                    // The figures made before the error stay: mask those.
                }
                TFigureList& list = figures.Figures();
                // Without a mask both passes leave the figures alone.
                if (pass == 0 &&
                    std::none_of(list.begin(), list.end(), [](const auto& f) { return IsWhiteMask(*f); }))
                    return {};
                try {
                    if (pass == 0)
                        ApplyWhiteMasks(list);
                    else
                        ApplyWhiteMasksReference(list);
                    TmvDXFExport exporter;
                    for (auto& f : list)
                        exporter.AddFigure(std::move(f));
                    dxf[pass] = exporter.SaveToString();
                } catch (const TmvError& e) {
                    error[pass] = e.what();
                }
            }
            if (error[0] != error[1])
                return "the passes fail differently: \"" + error[0] + "\" and \"" + error[1] + "\"";
            if (dxf[0] != dxf[1]) return "the white-mask pass differs from the reference pass";
            return {};
        },
        refused);
}

std::string CheckProjectRoundTrip(std::span<const std::uint8_t> data) {
    const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    bool refused = false;
    return Guarded(
        [&]() -> std::string {
            const TProject first = DecodeProject(bytes, "/projekte/");
            const std::string encoded = EncodeProject(first);
            const TProject second = DecodeProject(encoded, "/projekte/");
            if (second.Entries != first.Entries || second.OutputFolder != first.OutputFolder ||
                second.Options.R14 != first.Options.R14 ||
                second.Options.ParseWhite != first.Options.ParseWhite ||
                second.Options.Use01MM != first.Options.Use01MM ||
                second.Options.AlternativeBlack != first.Options.AlternativeBlack)
                return "the project reads back differently";
            if (EncodeProject(second) != encoded) return "the project encodes differently the second time";
            return {};
        },
        refused);
}

} // namespace mv::fuzz
