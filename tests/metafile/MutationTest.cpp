// Damaged enhanced metafiles: every byte of a file that uses every handled
// record is overwritten in turn, and every cut of it is tried. Each variant
// must convert or be refused with one of the system's errors; never a crash,
// a read outside the data or another kind of exception.

#include "EmfBuilder.h"
#include "InterpretFixture.h"
#include "dxf/DXFExport.h"
#include "metafile/EnhMetafile.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

using namespace mv;

namespace {

// Converts the bytes; returns false when a foreign exception escaped.
bool ConvertsOrFailsCleanly(std::vector<std::uint8_t> bytes, std::string& what) {
    try {
        TmvDXFExport e;
        test::TFixedMetricMeasure measure;
        e.SetTextMeasure(&measure);
        e.SetParseWhite(true);
        e.LoadFromMetafile(TEnhMetafile::FromFileBytes(std::move(bytes)));
        e.SaveToString();
    } catch (const TmvError& err) {
        if (std::string(err.what()).empty()) {
            what = "an error without a message";
            return false;
        }
    } catch (const std::exception& err) {
        what = err.what();
        return false;
    }
    return true;
}

} // namespace

TEST(DamagedMetafiles, EveryCutIsConvertedOrRefused) {
    const auto good = test::EveryRecordKind();
    std::string what;
    ASSERT_TRUE(ConvertsOrFailsCleanly(good, what)) << what;
    for (std::size_t n = 0; n < good.size(); n += 3) {
        std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        ASSERT_TRUE(ConvertsOrFailsCleanly(cut, what)) << "cut at " << n << ": " << what;
    }
}

TEST(DamagedMetafiles, EveryOverwrittenByteIsConvertedOrRefused) {
    const auto good = test::EveryRecordKind();
    std::string what;
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (std::uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            if (good[at] == value) continue;
            auto bytes = good;
            bytes[at] = value;
            ASSERT_TRUE(ConvertsOrFailsCleanly(bytes, what))
                << "byte " << at << " := " << int(value) << ": " << what;
        }
    }
}
