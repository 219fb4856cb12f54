#include "app/ConvertBytes.h"

#include "dxf/DXFExport.h"
#include "metafile/EnhMetafile.h"

#include <memory>
#include <vector>

namespace mv {

std::string ConvertBytes(std::span<const std::uint8_t> bytes, const TBatchOptions& options) {
    // The same steps as ConvertFile, with the file reading and writing left out.
    auto exporter = std::make_unique<TmvDXFExport>();
    ConfigureExporter(*exporter, options);
    exporter->AdoptMetafile(TEnhMetafile::FromFileBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                                                        {.Classic = options.Classic}));
    return exporter->SaveToString();
}

} // namespace mv
