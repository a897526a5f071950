#include "Core/File/ImageContainer.h"

#include "Core/File/Archiver.h"
#include "Core/File/FileManager.h"
#include "Core/File/PsdFile.h"
#include "Core/File/PsdFolder.h"

#include <functional>

namespace file {

namespace {

std::function<float()>& ContentScaleSource()
{
    static std::function<float()> source;
    return source;
}

} // namespace

void SetContentScaleSource(std::function<float()> source)
{
    ContentScaleSource() = std::move(source);
}

float CurrentContentScale()
{
    const std::function<float()>& source = ContentScaleSource();
    return source ? source() : 1.0f;
}

ImageContainer* OpenImageContainer(FileContainer* container, const std::wstring& name)
{
    return OpenImageContainer(container, name, CurrentContentScale());
}

ImageContainer* OpenImageContainer(FileContainer* container, const std::wstring& name, float contentScale)
{
    if (!container)
        return nullptr;
    // An archive that serves the name holds the whole layered image.
    std::wstring inner;
    if (Archiver* archiver = ResolveArchivePath(container, name, inner))
        return OpenImageContainer(archiver, inner, contentScale);
    if (container->IsDirectoryLocal(name))
        return new PsdFolder(name, container, contentScale);
    static const wchar_t* const kDocumentExtensions[] = {L".psd", L""};
    u32 index = 0;
    if (container->ExistsLocal(name, kDocumentExtensions, 2, &index) && index < 2)
        return new PsdFile(name + kDocumentExtensions[index], container, contentScale);
    return nullptr;
}

} // namespace file
