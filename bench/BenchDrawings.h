#pragma once
// Drawings and measurements shared by the benchmarks.

#include "dxf/DXFExport.h"

#include <fstream>
#include <string>

namespace mv::bench {

// A drawing of n LINE figures with varied coordinates, as a converted plan has them.
inline void FillLines(TmvDXFExport& e, int n) {
    TdxfExportData d;
    d.Color = 5;
    d.PenWidth = 1;
    for (int i = 0; i < n; ++i) {
        d.Point1 = {static_cast<float>(i % 1000) * 1.25f, static_cast<float>(i / 1000) * 0.75f, 0};
        d.Point2 = {d.Point1.x + 10.5f, d.Point1.y - 3.125f, 0};
        e.AddLine(d);
    }
}

// Peak resident memory of the process in KiB since the last ResetPeakRss().
inline long PeakRssKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}
inline void ResetPeakRss() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace mv::bench
