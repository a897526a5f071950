#pragma once
// An image whose decoding waits until its texture is first used: how to open its file
// again, the decoder it takes and the name a failure is logged under. Its size comes
// from the file's header, read when the texture is made.
#include "Core/Base/Types.h"

#include <memory>
#include <string>

namespace base {
class Stream;
class StreamCreator;
} // namespace base

namespace render {

class Texture;

class PendingImage {
public:
    PendingImage(std::unique_ptr<base::StreamCreator> opener, std::wstring extension, std::wstring name);
    ~PendingImage();
    PendingImage(const PendingImage&) = delete;
    PendingImage& operator=(const PendingImage&) = delete;

    // The width and height a PNG's header gives; false for a stream that is no PNG
    // (its decoding is not put off). The stream is read from its start and left there.
    static bool ProbeSize(base::Stream& stream, const std::wstring& extension, u32& width, u32& height);

    // Decodes the image into `texture`, which must have been made for its size;
    // failures are logged.
    GEResultEnum DecodeInto(Texture& texture) const;

    const std::wstring& Name() const { return name; }

private:
    std::unique_ptr<base::StreamCreator> opener;
    std::wstring extension;
    std::wstring name;
};

} // namespace render
