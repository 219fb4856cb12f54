// The objects and classes that IMAGE entities need: one IMAGEDEF per image
// file, one IMAGEDEF_REACTOR per entity, the ACAD_IMAGE_DICT dictionary and
// the RASTERVARIABLES. A drawing without images writes none of them, so its
// file keeps the fixed skeleton.
#include "dxf/DXFExport.h"

#include "dxf/EntityGroups.h"
#include "image/ImageSet.h"

#include <algorithm>
#include <cmath>

namespace mv {

namespace {

std::string ImageName(const std::string& fileName) {
    const auto dot = fileName.find_last_of('.');
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

void AddClass(TGroupWriter& out, const char* record, const char* className, std::int32_t proxyFlags,
              bool entity) {
    out.AddString(0, "CLASS");
    out.AddString(1, record);
    out.AddString(2, className);
    out.AddString(3, "ISM");
    out.AddInt(90, proxyFlags);
    out.AddInt(280, 0);
    out.AddInt(281, entity ? 1 : 0);
}

} // namespace

void TmvDXFExport::PlanImageObjects() {
    imageDefs_.clear();
    // Figures handed over from a list made without an image set (the
    // preview's) have no file to name: no definitions for them.
    if (!images_) return;
    if (replay_) {
        for (const TImageUse& use : replayImages_)
            PlanImageDef(use);
        return;
    }
    for (const auto& figure : figures_.Figures()) {
        if (figure->Kind() != TFigureKind::Image) continue;
        auto& image = static_cast<TmvExpDXFImage&>(*figure);
        PlanImageDef(TImageUse{image.FileId, image.U, image.V});
        image.DefHandle = ImageDefHandle(image.FileId);
    }
}

void TmvDXFExport::PlanImageDef(const TImageUse& use) {
    if (ImageDefHandle(use.FileId) != 0) return;
    if (imageDefs_.empty()) {
        imageDictHandle_ = nextHandle_++;
        rasterVarsHandle_ = nextHandle_++;
    }
    imageDefs_.push_back(TImageDef{use.FileId, nextHandle_++, use.U, use.V, {}});
}

std::int32_t TmvDXFExport::ImageDefHandle(std::size_t fileId) const {
    for (const TImageDef& def : imageDefs_)
        if (def.FileId == fileId) return def.Handle;
    return 0;
}

void TmvDXFExport::NoteImageUser(const TmvExpDXFFigure& figure) {
    if (figure.Kind() != TFigureKind::Image) return;
    const auto& image = static_cast<const TmvExpDXFImage&>(figure);
    for (TImageDef& def : imageDefs_)
        if (def.Handle == image.DefHandle) {
            def.Users.push_back(TImageUser{image.EntityHandle, image.ReactorHandle});
            return;
        }
}

void TmvDXFExport::BuildImageClasses(TLineList& out) const {
    if (imageDefs_.empty()) return;
    std::int32_t unused = 0;
    TGroupWriter groups(out, unused, settings_);
    groups.AddString(0, "SECTION");
    groups.AddString(2, "CLASSES");
    AddClass(groups, "IMAGE", "AcDbRasterImage", 127, true);
    AddClass(groups, "IMAGEDEF", "AcDbRasterImageDef", 0, false);
    AddClass(groups, "IMAGEDEF_REACTOR", "AcDbRasterImageDefReactor", 1, false);
    AddClass(groups, "RASTERVARIABLES", "AcDbRasterVariables", 0, false);
    groups.AddString(0, "ENDSEC");
}

void TmvDXFExport::BuildImageDictionaryEntries(TLineList& out) const {
    if (imageDefs_.empty()) return;
    std::int32_t unused = 0;
    TGroupWriter groups(out, unused, settings_);
    groups.AddString(3, "ACAD_IMAGE_DICT");
    groups.AddHex(350, static_cast<std::uint32_t>(imageDictHandle_));
    groups.AddString(3, "ACAD_IMAGE_VARS");
    groups.AddHex(350, static_cast<std::uint32_t>(rasterVarsHandle_));
}

void TmvDXFExport::BuildImageObjects(TLineList& out) {
    if (imageDefs_.empty()) return;
    std::int32_t unused = 0;
    TGroupWriter groups(out, unused, settings_);
    // R14 dictionaries have no ownership flag. The root dictionary is named
    // as the skeleton spells its handle, which readers compare as written.
    const bool r2000 = settings_.AutoCADVersion >= 1;
    const char* const root = r2000 ? " 13" : "13";
    const auto hex = [&](int code, std::int32_t handle) {
        groups.AddHex(code, static_cast<std::uint32_t>(handle));
    };
    const auto rootOwner = [&] { groups.AddString(330, root); };
    const auto reactors = [&](std::int32_t first, const TImageDef* def) {
        groups.AddString(102, "{ACAD_REACTORS");
        if (first)
            hex(330, first);
        else
            rootOwner();
        if (def)
            for (const TImageUser& user : def->Users)
                hex(330, user.ReactorHandle);
        groups.AddString(102, "}");
    };

    groups.AddString(0, "DICTIONARY");
    hex(5, imageDictHandle_);
    reactors(0, nullptr);
    rootOwner();
    groups.AddString(100, "AcDbDictionary");
    if (r2000) groups.AddInt(281, 1);
    for (const TImageDef& def : imageDefs_) {
        groups.AddString(3, ImageName(images_->File(def.FileId).FileName));
        hex(350, def.Handle);
    }

    for (const TImageDef& def : imageDefs_) {
        const TImageFile& file = images_->File(def.FileId);
        groups.AddString(0, "IMAGEDEF");
        hex(5, def.Handle);
        reactors(imageDictHandle_, &def);
        hex(330, imageDictHandle_);
        groups.AddString(100, "AcDbRasterImageDef");
        groups.AddInt(90, 0);
        groups.AddString(1, file.FileName);
        AddReal(groups, 10, file.Width);
        AddReal(groups, 20, file.Height);
        // The size of one pixel as the first image places it.
        groups.AddFloat(11, ScaleValue(std::hypot(static_cast<long double>(def.U.x), def.U.y)));
        groups.AddFloat(21, ScaleValue(std::hypot(static_cast<long double>(def.V.x), def.V.y)));
        groups.AddInt(280, 1);
        groups.AddInt(281, 0);
    }

    for (const TImageDef& def : imageDefs_)
        for (const TImageUser& user : def.Users) {
            groups.AddString(0, "IMAGEDEF_REACTOR");
            hex(5, user.ReactorHandle);
            hex(330, user.EntityHandle);
            groups.AddString(100, "AcDbRasterImageDefReactor");
            groups.AddInt(90, 2);
            hex(330, user.EntityHandle);
        }

    groups.AddString(0, "RASTERVARIABLES");
    hex(5, rasterVarsHandle_);
    reactors(0, nullptr);
    rootOwner();
    groups.AddString(100, "AcDbRasterVariables");
    groups.AddInt(90, 0);
    groups.AddInt(70, 1);
    groups.AddInt(71, 1);
    groups.AddInt(72, 0);
}

} // namespace mv
