#include "EmfBuilder.h"
#include "TestUtil.h"
#include "dxf/DXFExport.h"
#include "metafile/EnhMetafile.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace mv;
using test::TEmfBuilder;

namespace {

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::string ErrorOf(std::vector<std::uint8_t> bytes) {
    try {
        TEnhMetafile::FromFileBytes(std::move(bytes));
    } catch (const TmvError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(Loader, AcceptsAnEnhancedMetafileAndWalksItsRecords) {
    auto bytes = TEmfBuilder().MoveTo(1, 2).LineTo(3, 4).Build();
    TEnhMetafile mf = TEnhMetafile::FromFileBytes(bytes);
    ASSERT_EQ(mf.Records().size(), 4u);
    EXPECT_EQ(mf.Records()[0].Type, 1u);
    EXPECT_EQ(mf.Records()[1].Type, 27u);
    EXPECT_EQ(mf.Records()[3].Type, 14u);
}

TEST(Loader, ReadsOnlyTheBytesTheHeaderCounts) {
    auto bytes = TEmfBuilder().Build();
    const std::size_t n = bytes.size();
    bytes.resize(n + 3, 0xEE); // trailing bytes that are not part of the metafile
    EXPECT_EQ(TEnhMetafile::FromFileBytes(bytes).Bytes().size(), n);
}

TEST(Loader, RefusesWhatIsNoMetafile) {
    const std::string invalid = "Metadatei ist ungültig";
    auto good = TEmfBuilder().Build();
    EXPECT_EQ(ErrorOf({}), invalid);
    EXPECT_EQ(ErrorOf(std::vector<std::uint8_t>(500, 0)), invalid);
    auto shortFile = good;
    shortFile.resize(100); // needs at least 101 bytes
    EXPECT_EQ(ErrorOf(shortFile), invalid);
    auto badSignature = good;
    badSignature[40] = 'X';
    EXPECT_EQ(ErrorOf(badSignature), invalid);
    auto badType = good;
    badType[0] = 2;
    EXPECT_EQ(ErrorOf(badType), invalid);
}

TEST(Loader, RefusesDefectiveRecordStructure) {
    const std::string invalid = "Metadatei ist ungültig";
    auto good = TEmfBuilder().MoveTo(1, 2).Build();
    const std::size_t moveAt = 108; // the builder's header is 108 bytes
    auto tooBig = good;
    Put32(tooBig, 48, static_cast<std::uint32_t>(good.size() + 4)); // byte count beyond the file
    EXPECT_EQ(ErrorOf(tooBig), invalid);
    auto tiny = good;
    Put32(tiny, moveAt + 4, 4); // record size below 8
    EXPECT_EQ(ErrorOf(tiny), invalid);
    auto odd = good;
    Put32(odd, moveAt + 4, 18); // not a multiple of 4
    EXPECT_EQ(ErrorOf(odd), invalid);
    auto past = good;
    Put32(past, moveAt + 4, 0x7FFFFFF0); // past the end
    EXPECT_EQ(ErrorOf(past), invalid);
    auto truncated = good;
    truncated.resize(good.size() - 8);
    EXPECT_EQ(ErrorOf(truncated), invalid);
    auto smallHeader = good;
    Put32(smallHeader, 4, 40);
    EXPECT_EQ(ErrorOf(smallHeader), invalid);
}

TEST(Loader, PlaceableWindowsMetafileIsRecognisedByItsChecksum) {
    std::vector<std::uint8_t> wmf(22, 0);
    Put32(wmf, 0, 0x9AC6CDD7);
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= static_cast<std::uint16_t>(wmf[2 * i] | wmf[2 * i + 1] << 8);
    wmf[20] = sum & 0xFF;
    wmf[21] = sum >> 8;
    EXPECT_TRUE(TEnhMetafile::IsPlaceableWmf(wmf));
    wmf[21] ^= 1;
    EXPECT_FALSE(TEnhMetafile::IsPlaceableWmf(wmf));
    EXPECT_EQ(ErrorOf(wmf), "Metadatei ist ungültig");
}

TEST(Loader, FileErrorsNameTheFile) {
    test::TTempDir dir;
    TmvDXFExport e;
    try {
        e.LoadFromFile(dir / "missing.emf");
        FAIL();
    } catch (const EFOpenError& err) {
        EXPECT_EQ(std::string(err.what()), "Datei " + (dir / "missing.emf") + " kann nicht geöffnet werden");
    }
    EXPECT_THROW(e.LoadFromFile(dir.Path().string()), EFOpenError); // a folder
    test::WriteBytes(dir / "empty.emf", {});
    EXPECT_THROW(e.LoadFromFile(dir / "empty.emf"), EInvalidMetafile);
    EXPECT_TRUE(e.Figures().empty());
}

TEST(Loader, ReadingPastARecordIsInvalid) {
    auto bytes = TEmfBuilder().MoveTo(1, 2).Build();
    TEnhMetafile mf = TEnhMetafile::FromEmfBytes(bytes);
    TRecordReader r(mf.Records()[1].Bytes);
    EXPECT_EQ(r.I32(8), 1);
    EXPECT_EQ(r.I32(12), 2);
    EXPECT_THROW(r.I32(14), EInvalidMetafile);
    EXPECT_THROW(r.U8(16), EInvalidMetafile);
    EXPECT_THROW(r.Require(8, 0x40000000ULL, 4), EInvalidMetafile);
    EXPECT_NO_THROW(r.Require(8, 2, 4));
}

namespace {
// Bytes this process has read from files so far.
std::uint64_t BytesRead() {
    std::istringstream io(test::ReadText("/proc/self/io"));
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return 0;
}
} // namespace

TEST(Loader, FileIsJudgedByItsHeaderBeforeItIsRead) {
    test::TTempDir dir;
    const std::uint64_t big = 64u << 20;
    auto emf = TEmfBuilder().Rectangle(10, 10, 60, 40).Build();
    // No metafile, and a metafile with much after its counted bytes.
    test::WriteBytes(dir / "noise.emf", std::vector<unsigned char>(200, 'x'));
    std::filesystem::resize_file(dir / "noise.emf", big);
    test::WriteBytes(dir / "long.emf", emf);
    std::filesystem::resize_file(dir / "long.emf", big);
    // A file shorter than its header says.
    test::WriteBytes(dir / "short.emf", std::vector<unsigned char>(emf.begin(), emf.end() - 4));

    TmvDXFExport e;
    std::uint64_t before = BytesRead();
    EXPECT_THROW(e.LoadFromFile(dir / "noise.emf"), EInvalidMetafile);
    EXPECT_LT(BytesRead() - before, 1u << 20);
    before = BytesRead();
    EXPECT_EQ(TEnhMetafile::LoadFromFile(dir / "long.emf").Records().size(), 3u);
    EXPECT_LT(BytesRead() - before, 1u << 20);
    EXPECT_THROW(e.LoadFromFile(dir / "short.emf"), EInvalidMetafile);
}
