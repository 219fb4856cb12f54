#pragma once
// Helpers for tests that read the groups an entity writer produced.

#include "dxf/Figures.h"
#include "dxf/GroupWriter.h"
#include "dxf/RealFormat.h"

#include <string>
#include <utility>
#include <vector>

namespace mv::test {

// An entity writer over lines of its own, as the exporter hands one to each
// figure of a fresh drawing: handles from 32, extents at the origin.
struct TEntityWriter {
    explicit TEntityWriter(bool use01MM = false, std::int8_t version = 1) {
        Settings.Use01MM = use01MM;
        Settings.AutoCADVersion = version;
        Settings.Classic = true; // the line-weight rule of pen widths in logical units
    }
    TExportSettings Settings;
    TLineList Lines;
    std::int32_t NextHandle = 32;
    TExtents Extents;
    TGroupWriter Out{Lines, NextHandle, Settings, Extents};
};

// The lines that one figure writes into a fresh drawing.
inline std::vector<std::string> EntityLinesOf(const TmvExpDXFFigure& figure, bool use01MM = false,
                                              std::int8_t version = 1) {
    TEntityWriter writer(use01MM, version);
    figure.Export(writer.Out);
    return writer.Lines.Lines();
}

// Values of every group with the given code, in order.
inline std::vector<std::string> ValuesOf(const std::vector<std::string>& lines, int code) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%3d", code);
    std::vector<std::string> values;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2)
        if (lines[i] == buf) values.push_back(lines[i + 1]);
    return values;
}

// The groups after the entity head (name, handle, AcDbEntity, layer and
// subclass marker: ten lines), as (code, value) pairs with the code trimmed.
inline std::vector<std::pair<int, std::string>> GroupsAfterHead(const std::vector<std::string>& lines) {
    std::vector<std::pair<int, std::string>> groups;
    for (std::size_t i = 10; i + 1 < lines.size(); i += 2)
        groups.emplace_back(std::stoi(lines[i]), lines[i + 1]);
    return groups;
}

// The lines of a whole file's ENTITIES section, without its head and end.
inline std::vector<std::string> EntitySection(const std::string& file) {
    std::vector<std::string> lines;
    const std::string head = "  2\r\nENTITIES\r\n";
    std::size_t at = file.find(head);
    if (at == std::string::npos) return lines;
    at += head.size();
    const std::size_t end = file.find("  0\r\nENDSEC\r\n", at);
    while (at < end && at < file.size()) {
        const std::size_t next = file.find("\r\n", at);
        lines.push_back(file.substr(at, next - at));
        at = next + 2;
    }
    return lines;
}

inline std::string Real(long double v) {
    return FormatReal(v);
}

} // namespace mv::test
