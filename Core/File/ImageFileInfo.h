#pragma once
// A layer found in a layered image: where to open it, and a copy of its record.
#include "Core/Base/ImageInfo.h"
#include "Core/File/FileInfo.h"

namespace file {

class ImageFileInfo : public FileInfo, public base::ImageInfo {
public:
    ImageFileInfo() = default;
    ~ImageFileInfo() override = default;
};

} // namespace file
