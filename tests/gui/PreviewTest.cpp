// The preview: figures drawn with QPainter, the worker that loads and caches
// drawings, and the pane that shows them.

#include "GuiSamples.h"
#include "GuiTest.h"
#include "TestUtil.h"
#include "dxf/DXFExport.h"
#include "gui/FigurePainter.h"
#include "gui/PreviewPanel.h"
#include "gui/PreviewService.h"
#include "metafile/EnhMetafile.h"

#include <QPainter>
#include <QSignalSpy>

#include <cmath>
#include <filesystem>
#include <limits>

using namespace mv;
using namespace mv::test;

namespace {

// The centre of the pixels close to the colour, or (-1, -1) without any.
QPointF Centre(const QImage& image, const QColor& color, int tolerance = 60) {
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - color.red()) + std::abs(c.green() - color.green()) +
                    std::abs(c.blue() - color.blue()) <=
                tolerance) {
                sx += x;
                sy += y;
                ++n;
            }
        }
    }
    return n ? QPointF(sx / n, sy / n) : QPointF(-1, -1);
}

QImage PaintFile(const std::string& path, QSize size) {
    TmvDXFExport exporter;
    exporter.LoadFromMetafile(TEnhMetafile::LoadFromFile(path));
    QImage image(size, QImage::Format_ARGB32);
    QPainter painter(&image);
    TFigurePainter::Paint(painter, exporter.Figures(), QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

} // namespace

class TPreviewTest : public QObject {
    Q_OBJECT
private slots:
    void colourNumbers() {
        QCOMPARE(TFigurePainter::ColorOf(1), QColor(255, 0, 0));
        QCOMPARE(TFigurePainter::ColorOf(5), QColor(0, 0, 255));
        // Black, "by layer" and "by block" draw black on the white paper.
        QCOMPARE(TFigurePainter::ColorOf(7), QColor(Qt::black));
        QCOMPARE(TFigurePainter::ColorOf(0), QColor(Qt::black));
        QCOMPARE(TFigurePainter::ColorOf(256), QColor(Qt::black));
        QCOMPARE(TFigurePainter::ColorOf(250), QColor(51, 51, 51));
        QCOMPARE(TFigurePainter::ColorOf(10), QColor(255, 0, 0));
        QVERIFY(TFigurePainter::ColorOf(11).saturation() < 200); // the pale shade
        QCOMPARE(TFigurePainter::ColorOf(-3), QColor(Qt::black));
        QCOMPARE(TFigurePainter::ColorOf(9999), QColor(Qt::black));
    }

    void fitKeepsAspectAndTurnsYUp() {
        const QTransform t = TFigurePainter::FitTransform(QRectF(0, 0, 100, 50), QRectF(0, 0, 200, 200));
        QCOMPARE(t.map(QPointF(0, 0)), QPointF(0, 150));
        QCOMPARE(t.map(QPointF(100, 50)), QPointF(200, 50));
        // A drawing without height (one horizontal line) still fits.
        const QTransform flat = TFigurePainter::FitTransform(QRectF(0, 5, 10, 0), QRectF(0, 0, 100, 100));
        QCOMPARE(flat.map(QPointF(10, 5)), QPointF(100, 50));
    }

    void boundsTakePointsAndSkipBadNumbers() {
        TFigureList figures;
        QVERIFY(!TFigurePainter::Bounds(figures));
        TdxfExportData d;
        d.Point1 = {5, 7, 0};
        figures.push_back(std::make_unique<TmvExpDXFPixel>(d));
        QCOMPARE(*TFigurePainter::Bounds(figures), QRectF(5, 7, 0, 0));
        d.Point1 = {std::numeric_limits<float>::quiet_NaN(), 0, 0};
        d.Point2 = {std::numeric_limits<float>::infinity(), 1, 0};
        figures.push_back(std::make_unique<TmvExpDXFLine>(d));
        d.Point1 = {-5, -3, 0};
        figures.push_back(std::make_unique<TmvExpDXFPixel>(d));
        QCOMPARE(*TFigurePainter::Bounds(figures), QRectF(QPointF(-5, -3), QPointF(5, 7)));
        QImage image(50, 50, QImage::Format_ARGB32);
        QPainter painter(&image);
        TFigurePainter::Paint(painter, figures, QRectF(0, 0, 50, 50)); // no crash on NaN
    }

    void curvesAndHatchesHaveTheirExtent() {
        TFigureList figures;
        TdxfExportData d;
        d.Point1 = {10, 10, 0};
        d.Radius = 5;
        figures.push_back(std::make_unique<TmvExpDXFEllipse>(d, false));
        const QRectF circle = *TFigurePainter::Bounds(figures);
        QVERIFY(std::fabs(circle.left() - 5) < 0.01 && std::fabs(circle.right() - 15) < 0.01);
        // A quarter arc from 0 to 90 degrees stays in the first quadrant.
        TdxfExportData a = d;
        a.Point1 = {0, 0, 0};
        a.StartAngle = 0;
        a.EndAngle = 90;
        figures.clear();
        figures.push_back(std::make_unique<TmvExpDXFArc>(a));
        const QRectF arc = *TFigurePainter::Bounds(figures);
        QVERIFY(arc.left() > -0.01 && arc.top() > -0.01 && std::fabs(arc.right() - 5) < 0.01);
        // A solid hatch fills its loop.
        TdxfExportData h;
        h.Count = 1;
        h.Color = 5;
        h.Points = {{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}};
        figures.clear();
        figures.push_back(std::make_unique<TmvExpDXFHatch>(h));
        QImage image(40, 40, QImage::Format_ARGB32);
        QPainter painter(&image);
        TFigurePainter::Paint(painter, figures, QRectF(0, 0, 40, 40), 0);
        painter.end();
        QVERIFY(CountPixels(image, QColor(0, 0, 255)) > 1400);
    }

    // The sample has a red frame, a blue triangle at the lower left, a green
    // circle at the upper right and a text at the upper left, as a viewer of
    // the metafile shows them.
    void drawsTheSampleAsTheMetafileLooks() {
        TTempDir dir;
        WriteFile(dir / "plan.emf", SampleDrawing());
        const QImage image = PaintFile(dir / "plan.emf", QSize(200, 160));
        const QPointF blue = Centre(image, QColor(0, 0, 255));
        const QPointF green = Centre(image, QColor(0, 255, 0));
        QVERIFY2(blue.x() > 0 && blue.x() < 100 && blue.y() > 80,
                 qPrintable(QStringLiteral("blue at %1,%2").arg(blue.x()).arg(blue.y())));
        QVERIFY2(green.x() > 100 && green.y() < 80,
                 qPrintable(QStringLiteral("green at %1,%2").arg(green.x()).arg(green.y())));
        QVERIFY(CountPixels(image, QColor(255, 0, 0)) > 200);
        const QPointF black = Centre(image, QColor(0, 0, 0), 200); // smoothed glyphs, not the red frame
        QVERIFY(black.x() > 0 && black.x() < 100 && black.y() < 80);
    }

    void serviceLoadsOnceAndCaches() {
        TTempDir dir;
        const std::string path = dir / "plan.emf";
        WriteFile(path, SampleDrawing());
        TPreviewService service;
        QSignalSpy ready(&service, &TPreviewService::Ready);
        service.Request(QString::fromStdString(path), QSize(120, 100));
        QVERIFY(ready.wait(10000) || ready.count() == 1);
        QCOMPARE(ready.count(), 1);
        QImage image = ready.at(0).at(1).value<QImage>();
        QCOMPARE(image.size(), QSize(120, 100));
        QVERIFY(ready.at(0).at(2).toString().isEmpty());
        QVERIFY(CountPixels(image, QColor(255, 0, 0)) > 50);
        QCOMPARE(service.LoadCount(), 1);

        // Another size is drawn from the cached figures.
        service.Request(QString::fromStdString(path), QSize(60, 50));
        QVERIFY(ready.wait(10000) || ready.count() == 2);
        QCOMPARE(ready.at(1).at(1).value<QImage>().size(), QSize(60, 50));
        QCOMPARE(service.LoadCount(), 1);

        // A changed file is read again.
        WriteFile(path, DiagonalDrawing());
        std::filesystem::last_write_time(path,
                                         std::filesystem::last_write_time(path) + std::chrono::seconds(5));
        service.Request(QString::fromStdString(path), QSize(60, 50));
        QVERIFY(ready.wait(10000) || ready.count() == 3);
        QCOMPARE(service.LoadCount(), 2);
        QCOMPARE(CountPixels(ready.at(2).at(1).value<QImage>(), QColor(255, 0, 0)), 0);
    }

    void unreadableFilesGiveTheirError() {
        TTempDir dir;
        const std::string bad = dir / "kaputt.emf";
        WriteFile(bad, {1, 2, 3, 4, 5, 6, 7, 8});
        TPreviewService service;
        QSignalSpy ready(&service, &TPreviewService::Ready);
        service.Request(QString::fromStdString(bad), QSize(50, 50));
        QVERIFY(ready.wait(10000) || ready.count() == 1);
        QVERIFY(ready.at(0).at(1).value<QImage>().isNull());
        QVERIFY(!ready.at(0).at(2).toString().isEmpty());
        // The error is cached with the file: asking again answers at once.
        service.Request(QString::fromStdString(bad), QSize(50, 50));
        QCOMPARE(ready.count(), 2);
        QCOMPARE(ready.at(1).at(2).toString(), ready.at(0).at(2).toString());

        const std::string missing = dir / "fehlt.emf";
        service.Request(QString::fromStdString(missing), QSize(50, 50));
        QVERIFY(ready.wait(10000) || ready.count() == 3);
        QVERIFY(ready.at(2).at(2).toString().contains(QStringLiteral("fehlt.emf")));
    }

    void onlyTheNewestRequestIsAnswered() {
        TTempDir dir;
        WriteFile(dir / "a.emf", SampleDrawing());
        WriteFile(dir / "b.emf", DiagonalDrawing());
        WriteFile(dir / "c.emf", SampleDrawing());
        TPreviewService service;
        QSignalSpy ready(&service, &TPreviewService::Ready);
        for (const char* name : {"a.emf", "b.emf", "c.emf"})
            service.Request(QString::fromStdString(dir / name), QSize(40, 40));
        service.WaitForIdle();
        QCOMPARE(ready.count(), 1);
        QVERIFY(ready.at(0).at(0).toString().endsWith(QStringLiteral("c.emf")));
        // b was never started: it was replaced while a was loading.
        QCOMPARE(service.LoadCount(), 2);
    }

    void panelShowsPictureOrError() {
        TTempDir dir;
        WriteFile(dir / "plan.emf", SampleDrawing());
        WriteFile(dir / "kaputt.wmf", {9, 9, 9});
        TPreviewPanel panel;
        panel.resize(180, 180);
        QSignalSpy shown(&panel, &TPreviewPanel::Shown);
        panel.ShowFile(QString::fromStdString(dir / "plan.emf"));
        QVERIFY(shown.wait(10000) || shown.count() == 1);
        QVERIFY(!panel.Image().isNull());
        QVERIFY(panel.ErrorText().isEmpty());
        panel.ShowFile(QString::fromStdString(dir / "kaputt.wmf"));
        QVERIFY(shown.wait(10000) || shown.count() == 2);
        QVERIFY(panel.Image().isNull());
        QVERIFY(!panel.ErrorText().isEmpty());
        panel.ShowFile(QString());
        QVERIFY(panel.File().isEmpty() && panel.Image().isNull() && !panel.Busy());
        QVERIFY(!panel.grab().isNull());
    }
};

MV_GUI_TEST(TPreviewTest);

#include "PreviewTest.moc"
