#pragma once
// A file container for fuzz targets that read a layered folder: it serves the input
// as "f/layers.xml"; every other file exists and is empty.
#include "Core/Base/MemoryStream.h"
#include "Core/File/FileInfo.h"

#include <string>

class LayersXmlInput : public file::Container {
public:
    LayersXmlInput(const u8* data, size_t size) : data(data), size(static_cast<u32>(size)) {}

    file::FileInfo* GetFileInfo(const std::wstring& path, const wchar_t* const* extensions, u32 count,
                                u32* outIndex) override
    {
        auto* info = new file::FileInfo;
        info->path = count && extensions ? path + extensions[count - 1] : path;
        info->container = this;
        if (outIndex)
            *outIndex = count ? count - 1 : 0;
        return info;
    }
    base::Stream* OpenRead(const std::wstring& path) override
    {
        if (path == L"f/layers.xml")
            return new base::MemoryStream(data, size);
        return new base::MemoryStream(nullptr, 0);
    }
    base::StreamCreator* GetStreamCreator(const std::wstring&) override { return nullptr; }
    std::wstring GetRootPath() override { return L"root/"; }

private:
    const u8* data;
    u32 size;
};
