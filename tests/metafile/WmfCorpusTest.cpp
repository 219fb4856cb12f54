// Conformance over the real Windows metafiles of the development corpus.
#include "TestUtil.h"
#include "dxf/DXFExport.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>

using namespace mv;
namespace fs = std::filesystem;

namespace {

const fs::path WmfDir = fs::path(MV_CORPUS_DIR) / "wmf";

std::vector<fs::path> FilesIn(const fs::path& dir) {
    std::vector<fs::path> files;
    if (!fs::is_directory(dir)) return files;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Converts one file; returns the DXF text, or the error's message in *error.
std::string Convert(const fs::path& file, std::string* error) {
    try {
        TmvDXFExport exporter;
        exporter.LoadFromFile(file.string());
        return exporter.SaveToString();
    } catch (const TmvError& e) {
        *error = e.what();
        return {};
    }
}

} // namespace

TEST(WmfCorpus, PlaceableFilesConvertAndPassTheIndependentAudit) {
    const auto files = FilesIn(WmfDir);
    if (files.empty()) GTEST_SKIP() << "corpus folder " << WmfDir << " is absent";
    test::TTempDir out;
    std::vector<std::string> written;
    std::size_t refused = 0;
    for (const fs::path& file : files) {
        std::string error;
        const std::string dxf = Convert(file, &error);
        if (!error.empty()) {
            // A refusal is allowed when it says why; it is listed, and too many fail the test.
            std::cout << file.filename() << " refused: " << error << "\n";
            ++refused;
            continue;
        }
        ASSERT_FALSE(dxf.empty()) << file.filename();
        const std::string path = out / (file.stem().string() + ".dxf");
        std::ofstream(path, std::ios::binary) << dxf;
        written.push_back(path);
    }
    EXPECT_LE(refused * 10, files.size()) << "more than a tenth of the placeable files refused";
    ASSERT_FALSE(written.empty());
    std::string command = "/usr/bin/python3 " MV_SOURCE_DIR "/tests/integration/ezdxf_audit.py";
    for (const std::string& p : written)
        command += " '" + p + "'";
    std::string output;
    EXPECT_EQ(test::RunCommand(command, &output), 0) << output;
}

TEST(WmfCorpus, FilesWithoutThePlaceableHeaderAreRefused) {
    const auto files = FilesIn(WmfDir / "nonplaceable");
    if (files.empty()) GTEST_SKIP() << "corpus folder " << (WmfDir / "nonplaceable") << " is absent";
    for (const fs::path& file : files) {
        std::string error;
        Convert(file, &error);
        EXPECT_EQ(error, "Metadatei ist ungültig") << file.filename();
    }
}

// Damaged files: a clear message or a drawing, never a crash.
TEST(WmfCorpus, DamagedFilesGiveAClearMessageOrADrawing) {
    const auto files = FilesIn(WmfDir / "bad");
    if (files.empty()) GTEST_SKIP() << "corpus folder " << (WmfDir / "bad") << " is absent";
    for (const fs::path& file : files) {
        std::string error;
        const std::string dxf = Convert(file, &error);
        EXPECT_TRUE(!dxf.empty() || !error.empty()) << file.filename();
    }
}
