#pragma once
// The exporter's settings: what the front end chooses for one DXF file.

#include <cstdint>

namespace mv {

struct TExportSettings {
    // 0 writes an R14 file (AC1014), 1 an R2000 file (AC1015); every test is
    // "less than 1" against "1 or more".
    std::int8_t AutoCADVersion = 1;
    // The metafile's units are hundredths of a millimetre: coordinates are
    // divided by 100 when written, and line weights lose their factor 10.
    bool Use01MM = false;
    // White solid rectangles hide what lies under them.
    bool ParseWhite = false;
    // Base of the hatch pattern spacing (0.05 x HatchScale, or 0.05 under Use01MM).
    float HatchScale = 300.0f;
    // When greater than 0, line weights are pen width x 100 x PenWidthRatio.
    long double PenWidthRatio = -1.0L;
    // The file exactly as earlier versions wrote it (see TInterpretSettings).
    bool Classic = false;

    long double ScaleValue(long double x) const { return Use01MM ? x / 100.0L : x; }
    friend bool operator==(const TExportSettings&, const TExportSettings&) = default;
};

} // namespace mv
