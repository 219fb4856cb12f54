// `import metrovane`: the converter for Python programs. The conversion runs
// without the GIL, so threads convert in parallel.

#include "app/BatchRun.h"
#include "app/ConvertBytes.h"
#include "app/Version.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl/filesystem.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <span>
#include <string>

namespace py = pybind11;

namespace {

using mv::TBatchOptions;

// The on/off switches that Python callers may pass by keyword; a new switch
// of the batch options is one more line here.
struct TBoolSwitch {
    const char* Name;
    bool TBatchOptions::*Field;
    const char* Meaning;
};
constexpr TBoolSwitch kBoolSwitches[] = {
    {"r14", &TBatchOptions::R14, "DXF R14 (AC1014) instead of R2000 (AC1015)"},
    {"white", &TBatchOptions::ParseWhite, "white filled rectangles hide what lies under them"},
    {"mm", &TBatchOptions::Use01MM, "the metafile's units are 0.01 mm: coordinates divided by 100"},
    {"black250", &TBatchOptions::AlternativeBlack, "black becomes colour number 250 instead of 7"},
    {"images", &TBatchOptions::Images,
     "bitmaps as PNG files beside the DXF, placed by IMAGE entities (convert_file "
     "only: convert has no folder for them and leaves them out)"},
    {"classic", &TBatchOptions::Classic,
     "the reduced interpretation of earlier versions: basic records only, in "
     "logical units"},
};
constexpr const char* kPenRatio = "pen_ratio";

// The pen ratio goes in as the shortest text that reads back as the same
// double, the text the command line would be given for it.
std::string PenRatioText(py::handle value) {
    const double ratio = value.cast<double>();
    if (!std::isfinite(ratio)) throw py::value_error("pen_ratio must be a finite number");
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, ratio);
    return std::string(buffer, end);
}

TBatchOptions TakeSwitches(const py::kwargs& switches) {
    TBatchOptions options;
    for (auto [key, value] : switches) {
        const std::string name = key.cast<std::string>();
        if (name == kPenRatio) {
            options.PenWidthRatio = PenRatioText(value);
            continue;
        }
        bool known = false;
        for (const TBoolSwitch& s : kBoolSwitches) {
            if (name != s.Name) continue;
            options.*s.Field = value.cast<bool>();
            known = true;
        }
        if (!known) throw py::type_error("unexpected keyword argument '" + name + "'");
    }
    return options;
}

std::string SwitchDoc() {
    const TBatchOptions defaults;
    std::string doc = "Switches (keywords only):\n";
    for (const TBoolSwitch& s : kBoolSwitches)
        doc += std::string("    ") + s.Name + "=" + (defaults.*s.Field ? "True" : "False") + ": " +
               s.Meaning + "\n";
    doc += std::string("    ") + kPenRatio + "=" + defaults.PenWidthRatio +
           ": line weight = pen width x 100 x pen_ratio; negative: off\n";
    return doc;
}

py::bytes Convert(const py::bytes& data, const py::kwargs& switches) {
    const TBatchOptions options = TakeSwitches(switches);
    const std::string_view input = data;
    std::string dxf;
    {
        // `data` is immutable and kept alive by the caller while we run.
        py::gil_scoped_release unlocked;
        dxf = mv::ConvertBytes(std::span(reinterpret_cast<const std::uint8_t*>(input.data()), input.size()),
                               options);
    }
    return py::bytes(dxf);
}

std::string ConvertFile(const std::filesystem::path& inputPath, const std::filesystem::path& outPath,
                        const py::kwargs& switches) {
    const TBatchOptions options = TakeSwitches(switches);
    const std::string path = inputPath.string(), outDir = outPath.string();
    py::gil_scoped_release unlocked;
    if (outDir.empty() || !mv::ForceDirectories(outDir)) throw mv::TmvError(mv::msg::OutputFolderFailed);
    const std::string folder = outDir.back() == '/' ? outDir : outDir + '/';
    const std::string output = mv::TOutputNames(folder).Take(mv::OutputBaseName(path));
    mv::ConvertFile(path, output, options);
    return output;
}

} // namespace

PYBIND11_MODULE(metrovane, m) {
    m.doc() = "Tarvold Metrovane: converts EMF and placeable WMF metafiles into DXF drawings.";
    m.attr("__version__") = mv::ProgramVersion;
    py::register_exception<mv::TmvError>(m, "Error");

    // pybind11 keeps pointers to the doc texts.
    static const std::string convertDoc =
        "The DXF file's bytes for the metafile's bytes, as the command line writes it.\n"
        "Raises metrovane.Error with the converter's message for a bad metafile.\n\n" +
        SwitchDoc();
    static const std::string convertFileDoc =
        "Converts one file into out_dir (created when missing) as NAME.dxf, numbered\n"
        "NAME0.dxf, NAME1.dxf, ... when taken; returns the written path.\n\n" +
        SwitchDoc();
    m.def("convert", &Convert, py::arg("data"), convertDoc.c_str());
    m.def("convert_file", &ConvertFile, py::arg("path"), py::arg("out_dir"), convertFileDoc.c_str());
}
