// Placeholder handlers until the drawing state and drawing records are built.
#include "metafile/Metafile.h"

namespace mv {

TIntPoint TmvMetafile::TransformPoint(std::int32_t x, std::int32_t y) const { return {x, y}; }
void TmvMetafile::ShiftByOrigin() {}
TdxfPoint TmvMetafile::MapPoint(std::int32_t x, std::int32_t y) const { return ToOutput(TransformPoint(x, y)); }
void TmvMetafile::ApplyPen() {}
void TmvMetafile::RegisterLineType(std::uint8_t) {}
void TmvMetafile::CreateObject(const TRecordReader&, std::uint32_t) {}
void TmvMetafile::SelectObject(const TRecordReader&) {}
void TmvMetafile::DeleteObject(const TRecordReader&) {}
void TmvMetafile::SaveDC() {}
void TmvMetafile::RestoreDC() {}
void TmvMetafile::SetWorldTransform(const TRecordReader&) {}
void TmvMetafile::ModifyWorldTransform(const TRecordReader&) {}
void TmvMetafile::SetWindowOrg(const TRecordReader&) {}
void TmvMetafile::MoveTo(const TRecordReader&) {}
void TmvMetafile::SetTextAlign(const TRecordReader&) {}
void TmvMetafile::SetTextColor(const TRecordReader&) {}
void TmvMetafile::PolyRecord(const TRecordReader&, bool, bool, bool, bool) {}
void TmvMetafile::PolyPolyRecord(const TRecordReader&, bool) {}
void TmvMetafile::LineTo(const TRecordReader&) {}
void TmvMetafile::SetPixel(const TRecordReader&) {}
void TmvMetafile::Rectangle(const TRecordReader&) {}
void TmvMetafile::RoundRect(const TRecordReader&) {}
void TmvMetafile::Ellipse(const TRecordReader&) {}
void TmvMetafile::ArcRecord(const TRecordReader&) {}
void TmvMetafile::AngleArc(const TRecordReader&) {}
void TmvMetafile::ExtTextOut(const TRecordReader&) {}

} // namespace mv
