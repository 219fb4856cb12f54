#pragma once
// TPathRecorder: the path of a device context in the default mode. Between
// EMR_BEGINPATH and EMR_ENDPATH the emitter hands it the outline of every
// drawing record instead of drawing; afterwards the path records fill,
// stroke or clip with it. The path holds a bounded number of points: what
// a file draws beyond them is left out of the path.

#include "metafile/ClipRegion.h"
#include "metafile/FigureGeometry.h"
#include "metafile/PathFigures.h"

#include <cstddef>
#include <optional>

namespace mv {

class TPathRecorder {
public:
    static constexpr std::size_t kMaxPoints = std::size_t{1} << 22;

    explicit TPathRecorder(std::size_t maxPoints = kMaxPoints) : maxPoints_(maxPoints) {}

    // EMR_BEGINPATH: a new, empty path takes the drawing.
    void Begin();
    // EMR_ENDPATH: the path is finished and waits for its use.
    void End() {
        ready_ = recording_;
        recording_ = false;
    }
    // EMR_ABORTPATH: the path is gone, recorded or not.
    void Abort();
    bool Recording() const { return recording_; }
    // Whether a finished path waits for its use.
    bool Ready() const { return ready_; }

    // A record's outline. An open outline that begins where the current
    // figure ends goes on with it, as LINETO and the other records that draw
    // from the current position do; anything else begins a new figure.
    void Add(const TFigurePath& shape);
    // EMR_CLOSEFIGURE.
    void CloseFigure() { path_.Close(); }
    // EMR_FLATTENPATH.
    void Flatten();
    // EMR_WIDENPATH: the outline is kept as it is; the width of the pen is
    // remembered, so that a fill of the widened path draws the outline
    // with that width instead of filling its inside.
    void Widen(float penWidth);
    std::optional<float> WidenedBy() const { return widened_; }

    const TFigurePath& Path() const { return path_; }
    // Hands the finished path over for its use; none while it is being
    // recorded or when there is none. The recorder is empty afterwards.
    std::optional<TFigurePath> Take();

private:
    std::size_t maxPoints_;
    TFigurePath path_;
    std::size_t points_ = 0;
    bool recording_ = false;
    bool ready_ = false;
    std::optional<float> widened_;
};

// The area a path encloses under the fill rule as a clipping region: the
// loops cut into horizontal bands, each band taking the spans inside at its
// middle. Exact for outlines of axis-parallel edges; curves and slopes come
// out as steps.
TClipRegion PathClipRegion(const TFigurePath& path, TPolyFillMode mode);

} // namespace mv
