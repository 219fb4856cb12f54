#include "gui/PreviewPanel.h"

#include <QFileInfo>
#include <QPainter>
#include <QResizeEvent>

namespace mv {

TPreviewPanel::TPreviewPanel(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setMinimumSize(80, 80);
    setToolTip(QStringLiteral("Vorschau der ausgewählten Datei, wie sie umgewandelt wird"));
    resizeTimer_.setSingleShot(true);
    resizeTimer_.setInterval(120);
    connect(&resizeTimer_, &QTimer::timeout, this, &TPreviewPanel::Ask);
    connect(&service_, &TPreviewService::Ready, this, &TPreviewPanel::Answer);
}

void TPreviewPanel::ShowFile(const QString& path, TPreviewOptions options) {
    // The same file keeps its picture until the new answer comes (it may
    // have changed on disk since).
    if (path != path_ || !(options == options_)) {
        image_ = QImage();
        error_.clear();
    }
    path_ = path;
    options_ = options;
    if (path_.isEmpty()) {
        busy_ = false;
        service_.Cancel();
        update();
        return;
    }
    Ask();
    update();
}

QRect TPreviewPanel::PictureRect() const {
    // Room for the file name below the picture.
    return contentsRect().adjusted(2, 2, -2, -2 - fontMetrics().height());
}

void TPreviewPanel::Ask() {
    if (path_.isEmpty()) return;
    busy_ = true;
    const QSize size = PictureRect().size() * devicePixelRatioF();
    service_.Request(path_, size.expandedTo(QSize(1, 1)), options_);
}

void TPreviewPanel::Answer(const QString& path, const QImage& image, const QString& error) {
    if (path != path_) return;
    busy_ = false;
    image_ = image;
    image_.setDevicePixelRatio(devicePixelRatioF());
    error_ = error;
    update();
    emit Shown();
}

void TPreviewPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    if (!path_.isEmpty()) resizeTimer_.start();
}

void TPreviewPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect picture = PictureRect();
    painter.fillRect(picture, Qt::white);
    const QRect nameRect(picture.left(), picture.bottom() + 1, picture.width(), fontMetrics().height() + 2);
    if (path_.isEmpty()) {
        painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
        painter.drawText(picture, Qt::AlignCenter | Qt::TextWordWrap, QStringLiteral("Keine Vorschau"));
        return;
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(
        nameRect, Qt::AlignHCenter | Qt::AlignTop,
        fontMetrics().elidedText(QFileInfo(path_).fileName(), Qt::ElideMiddle, nameRect.width()));
    if (!error_.isEmpty()) {
        painter.setPen(QColor(128, 0, 0));
        painter.drawText(picture.adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, error_);
    } else if (!image_.isNull()) {
        // An older picture is stretched until the one of the new size comes.
        painter.drawImage(picture, image_);
    } else if (busy_) {
        painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
        painter.drawText(picture, Qt::AlignCenter, QStringLiteral("Lade Vorschau..."));
    }
}

} // namespace mv
