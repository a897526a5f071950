#include "Core/Base/ImageInfo.h"

namespace base {

ImageInfo::ImageInfo(const std::wstring& name, int x, int y, int w, int h, u32 opacity, u32 index,
                     bool hasImage, bool rawPixels, float scale)
    : name(name), opacity(opacity), index(index), hasImage(hasImage), rawPixels(rawPixels), scale(scale),
      x(static_cast<float>(x) * scale), y(static_cast<float>(y) * scale),
      width(static_cast<float>(w) * scale), height(static_cast<float>(h) * scale)
{
}

} // namespace base
