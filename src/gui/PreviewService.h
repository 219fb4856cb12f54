#pragma once
// Thumbnails of metafiles as the converter sees them: the file is loaded and
// interpreted into figures on a worker thread, its figures are kept in a
// small cache by path and modification time, and pictures of them are drawn
// off the user-interface thread too.

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <cstdint>
#include <list>
#include <memory>
#include <optional>

namespace mv {

// The switches that change what the converter makes of a file.
struct TPreviewOptions {
    bool ParseWhite = false;
    bool AlternativeBlack = false;
    bool Classic = false;
    bool Images = true;
    bool operator==(const TPreviewOptions&) const = default;
};

struct TPreviewDrawing; // the figures of one file, or its error

class TPreviewService : public QObject {
    Q_OBJECT
public:
    static constexpr std::size_t kCacheEntries = 24;

    explicit TPreviewService(QObject* parent = nullptr);
    // Waits for the job in hand; nothing is reported after destruction.
    ~TPreviewService() override;

    // Asks for the picture of the file at the given size. The answer comes
    // through Ready, at once when the cache holds it. A newer request
    // replaces an older one that has not started yet.
    void Request(const QString& path, QSize size, TPreviewOptions options = {});
    // Forgets the request in hand: its answer, when it comes, is dropped.
    void Cancel();
    // Blocks until no job runs or waits (for tests and shut-down).
    void WaitForIdle();

    std::size_t CachedDrawings() const { return cache_.size(); }
    // Loads (how many files were read and interpreted so far).
    int LoadCount() const { return loads_; }

signals:
    // The picture of path, or a null image and the reason it has none.
    void Ready(const QString& path, const QImage& image, const QString& error);

private:
    struct TKey {
        std::string Path;
        std::int64_t Modified = 0;
        std::uintmax_t Size = 0;
        TPreviewOptions Options;
        bool operator==(const TKey&) const = default;
    };
    struct TRequest {
        QString Path;
        QSize Size;
        std::optional<TKey> Key; // nothing when the file could not be looked at
        TPreviewOptions Options;
        std::uint64_t Serial = 0;
    };
    struct TResult {
        std::shared_ptr<const TPreviewDrawing> Drawing;
        QImage Image;
    };

    void Start(TRequest request);
    void Finished();
    std::shared_ptr<const TPreviewDrawing> Cached(const TKey& key);
    void Remember(const TKey& key, std::shared_ptr<const TPreviewDrawing> drawing);

    std::list<std::pair<TKey, std::shared_ptr<const TPreviewDrawing>>> cache_; // most recent first
    QFutureWatcher<TResult> watcher_;
    std::optional<TRequest> running_;
    std::optional<TRequest> waiting_;
    std::uint64_t serial_ = 0; // of the newest request
    std::uint64_t wanted_ = 0; // the request whose answer is still wanted; 0 none
    int loads_ = 0;
};

} // namespace mv
