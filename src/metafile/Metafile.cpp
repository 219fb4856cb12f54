#include "metafile/Metafile.h"

#include "platform/Errors.h"

namespace mv {

TmvMetafile::TmvMetafile(IFigureSink& sink, const TInterpretSettings& settings)
    : Sink(sink), Settings(settings), StockPen(std::make_unique<TmvPen>()),
      StockBrush(std::make_unique<TmvBrush>()) {}

TmvMetafile::~TmvMetafile() = default;

void TmvMetafile::Play(const TEnhMetafile& metafile) {
    for (const TEmrRecord& record : metafile.Records())
        PlayRecord(record);
}

void TmvMetafile::PlayRecord(const TEmrRecord& record) {
    Data = TdxfExportData{};
    const TRecordReader r(record.Bytes);
    switch (record.Type) {
    case emr::POLYBEZIER:
        PolyRecord(r, TPointSize::Points32, TPolyShape::PolyBezier);
        break;
    case emr::POLYGON:
        PolyRecord(r, TPointSize::Points32, TPolyShape::Polygon);
        break;
    case emr::POLYLINE:
        PolyRecord(r, TPointSize::Points32, TPolyShape::Polyline);
        break;
    case emr::POLYBEZIERTO:
        PolyRecord(r, TPointSize::Points32, TPolyShape::PolyBezierTo);
        break;
    case emr::POLYLINETO:
        PolyRecord(r, TPointSize::Points32, TPolyShape::PolylineTo);
        break;
    case emr::SETWINDOWORGEX:
        SetWindowOrg(r);
        break;
    case emr::SETPIXELV:
        SetPixel(r);
        break;
    case emr::SETTEXTALIGN:
        SetTextAlign(r);
        break;
    case emr::SETTEXTCOLOR:
        SetTextColor(r);
        break;
    case emr::MOVETOEX:
        MoveTo(r);
        break;
    case emr::SAVEDC:
        SaveDC();
        break;
    case emr::RESTOREDC:
        RestoreDC();
        break;
    case emr::SETWORLDTRANSFORM:
        SetWorldTransform(r);
        break;
    case emr::MODIFYWORLDTRANSFORM:
        ModifyWorldTransform(r);
        break;
    case emr::SELECTOBJECT:
        SelectObject(r);
        break;
    case emr::CREATEPEN:
    case emr::CREATEBRUSHINDIRECT:
    case emr::EXTCREATEFONTINDIRECTW:
    case emr::EXTCREATEPEN:
        CreateObject(r, record.Type);
        break;
    case emr::DELETEOBJECT:
        DeleteObject(r);
        break;
    case emr::ANGLEARC:
        AngleArc(r);
        break;
    case emr::ELLIPSE:
        Ellipse(r);
        break;
    case emr::RECTANGLE:
        Rectangle(r);
        break;
    case emr::ROUNDRECT:
        RoundRect(r);
        break;
    case emr::ARC:
    case emr::CHORD:
    case emr::PIE:
    case emr::ARCTO:
        ArcRecord(r);
        break;
    case emr::LINETO:
        LineTo(r);
        break;
    case emr::EXTSELECTCLIPRGN:
        break;
    case emr::EXTTEXTOUTW:
        ExtTextOut(r);
        break;
    case emr::EXTTEXTOUTA:
    case emr::POLYTEXTOUTA:
    case emr::POLYTEXTOUTW:
    case emr::SMALLTEXTOUT:
        if (!Settings.Classic) OtherTextRecord(record);
        break;
    case emr::POLYBEZIER16:
        PolyRecord(r, TPointSize::Points16, TPolyShape::PolyBezier);
        break;
    case emr::POLYGON16:
        PolyRecord(r, TPointSize::Points16, TPolyShape::Polygon);
        break;
    case emr::POLYLINE16:
        PolyRecord(r, TPointSize::Points16, TPolyShape::Polyline);
        break;
    case emr::POLYBEZIERTO16:
        PolyRecord(r, TPointSize::Points16, TPolyShape::PolyBezierTo);
        break;
    case emr::POLYLINETO16:
        PolyRecord(r, TPointSize::Points16, TPolyShape::PolylineTo);
        break;
    case emr::POLYPOLYLINE16:
        PolyPolyRecord(r, TPointSize::Points16, TPolyShape::Polyline);
        break;
    case emr::POLYPOLYGON16:
        PolyPolyRecord(r, TPointSize::Points16, TPolyShape::Polygon);
        break;
    default:
        break; // every other record is passed over
    }
}

} // namespace mv
