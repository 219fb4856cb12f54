#pragma once
// The batch run: every metafile of a batch becomes one DXF file in the output
// folder, one after the other in list order, reported line by line.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mv {

// The conversion switches of a batch, as the window's controls or the
// command line give them.
struct TBatchOptions {
    bool R14 = false;           // cbAutoCADVer: DXF R14 instead of R2000
    bool ParseWhite = false;    // cbParseWhite
    bool Use01MM = true;        // cbUse01MM
    bool AlternativeBlack = false; // cbAlternativeBlack
    std::string PenWidthRatio = "-1.0"; // edtPenWidthRatio text
};

// Receives the run's message lines (the window's message pane, stdout).
using TMessageSink = std::function<void(const std::string& line)>;
// Receives the progress in percent after each file.
using TProgressSink = std::function<void(int percent)>;

} // namespace mv
