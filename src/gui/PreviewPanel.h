#pragma once
// The preview pane: the thumbnail of the one metafile selected in the file
// list or the batch list, or the reason there is none.

#include "gui/PreviewService.h"

#include <QFrame>
#include <QImage>
#include <QString>
#include <QTimer>

namespace mv {

class TPreviewPanel : public QFrame {
    Q_OBJECT
public:
    explicit TPreviewPanel(QWidget* parent = nullptr);

    // Shows the file (an empty path clears the pane).
    void ShowFile(const QString& path, TPreviewOptions options = {});
    const QString& File() const { return path_; }
    // What the pane shows now: a picture, an error text or nothing.
    const QImage& Image() const { return image_; }
    const QString& ErrorText() const { return error_; }
    bool Busy() const { return busy_; }
    TPreviewService& Service() { return service_; }

    QSize sizeHint() const override { return {176, 176}; }

signals:
    // The pane shows the answer for File().
    void Shown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Ask();
    void Answer(const QString& path, const QImage& image, const QString& error);
    QRect PictureRect() const;

    TPreviewService service_;
    QTimer resizeTimer_;
    QString path_;
    TPreviewOptions options_;
    QImage image_;
    QString error_;
    bool busy_ = false;
};

} // namespace mv
