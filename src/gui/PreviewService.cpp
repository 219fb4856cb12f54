#include "gui/PreviewService.h"

#include "dxf/FigureCollector.h"
#include "dxf/WhiteMask.h"
#include "gui/FigurePainter.h"
#include "metafile/EnhMetafile.h"
#include "metafile/Metafile.h"

#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>
#include <filesystem>

namespace mv {

struct TPreviewDrawing {
    TFigureList Figures;
    QString Error;
};

namespace {

// The figures the converter makes of the file with these switches: the
// interpreter plays it into a figure collector, no DXF is written.
std::shared_ptr<const TPreviewDrawing> LoadDrawing(const std::string& path, TPreviewOptions options) {
    auto drawing = std::make_shared<TPreviewDrawing>();
    try {
        TFigureCollector figures;
        TInterpretSettings settings;
        settings.AlternativeBlack = options.AlternativeBlack;
        settings.Classic = options.Classic;
        settings.Images = options.Images;
        TmvMetafile(figures, settings).Play(TEnhMetafile::LoadFromFile(path, {.Classic = options.Classic}));
        if (options.ParseWhite) ApplyWhiteMasks(figures.Figures());
        drawing->Figures = std::move(figures.Figures());
    } catch (const std::exception& e) {
        drawing->Figures.clear();
        drawing->Error = QString::fromStdString(e.what());
    } catch (...) {
        drawing->Figures.clear();
        drawing->Error = QStringLiteral("Unbekannter Fehler");
    }
    return drawing;
}

QImage Render(const TPreviewDrawing& drawing, QSize size) {
    if (!drawing.Error.isEmpty() || size.isEmpty()) return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    TFigurePainter::Paint(painter, drawing.Figures, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

} // namespace

TPreviewService::TPreviewService(QObject* parent) : QObject(parent) {
    connect(&watcher_, &QFutureWatcher<TResult>::finished, this, &TPreviewService::Finished);
}

TPreviewService::~TPreviewService() {
    waiting_.reset();
    watcher_.disconnect(this);
    watcher_.waitForFinished();
}

void TPreviewService::Request(const QString& path, QSize size, TPreviewOptions options) {
    TRequest request;
    request.Path = path;
    request.Size = size;
    request.Options = options;
    request.Serial = ++serial_;
    wanted_ = request.Serial;

    const std::string file = path.toStdString();
    std::error_code ec;
    const auto modified = std::filesystem::last_write_time(file, ec);
    std::uintmax_t bytes = 0;
    if (!ec) bytes = std::filesystem::file_size(file, ec);
    if (!ec) {
        request.Key = TKey{file, modified.time_since_epoch().count(), bytes, options};
        // A drawing already at hand only needs its picture.
        if (auto drawing = Cached(*request.Key); drawing && !drawing->Error.isEmpty()) {
            wanted_ = 0;
            emit Ready(path, QImage(), drawing->Error);
            return;
        }
    }
    if (running_) {
        waiting_ = std::move(request);
        return;
    }
    Start(std::move(request));
}

void TPreviewService::Cancel() {
    wanted_ = 0;
    waiting_.reset();
}

void TPreviewService::WaitForIdle() {
    while (running_) {
        watcher_.waitForFinished();
        Finished(); // delivers the answer and starts what waits
    }
}

void TPreviewService::Start(TRequest request) {
    std::shared_ptr<const TPreviewDrawing> drawing = request.Key ? Cached(*request.Key) : nullptr;
    const std::string path = request.Path.toStdString();
    const QSize size = request.Size;
    const TPreviewOptions options = request.Options;
    running_ = std::move(request);
    watcher_.setFuture(QtConcurrent::run([drawing, path, size, options]() {
        TResult result;
        result.Drawing = drawing ? drawing : LoadDrawing(path, options);
        result.Image = Render(*result.Drawing, size);
        return result;
    }));
}

void TPreviewService::Finished() {
    if (!running_ || !watcher_.isFinished()) return;
    const TResult result = watcher_.result();
    const TRequest done = std::move(*running_);
    running_.reset();
    if (done.Key && !Cached(*done.Key)) {
        ++loads_;
        Remember(*done.Key, result.Drawing);
    } else if (!done.Key) {
        ++loads_;
    }
    if (done.Serial == wanted_) {
        wanted_ = 0;
        emit Ready(done.Path, result.Image, result.Drawing->Error);
    }
    if (waiting_) {
        TRequest next = std::move(*waiting_);
        waiting_.reset();
        Start(std::move(next));
    }
}

std::shared_ptr<const TPreviewDrawing> TPreviewService::Cached(const TKey& key) {
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
        if (it->first == key) {
            cache_.splice(cache_.begin(), cache_, it);
            return cache_.front().second;
        }
    }
    return nullptr;
}

void TPreviewService::Remember(const TKey& key, std::shared_ptr<const TPreviewDrawing> drawing) {
    cache_.emplace_front(key, std::move(drawing));
    while (cache_.size() > kCacheEntries)
        cache_.pop_back();
}

} // namespace mv
