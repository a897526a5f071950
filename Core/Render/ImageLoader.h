#pragma once
#include "Core/Base/Singletone.h"
#include "Core/Base/Types.h"

namespace base {
class ImageInfo;
class Stream;
} // namespace base

namespace render {

class ImageData;

// Picks and loads the decoder of one image.
class ImageLoader : public base::Singletone<ImageLoader> {
public:
    // A loaded decoder owned by the caller, or null: when the extension names no
    // decoder, or when decoding failed (the decoder has logged why). With `info`
    // marked as raw pixels the extension is not looked at.
    ImageData* CreateImageData(base::Stream* stream, const wchar_t* extension, const base::ImageInfo* info);

    enum class Kind { None, Dds, Devil };
    // The decoder kind chosen for an extension: exactly its first four units, in
    // lower case only.
    static Kind KindForExtension(const wchar_t* extension);
};

} // namespace render
