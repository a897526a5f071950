#include "Core/File/ImageContainer.h"

#include "Core/File/Archiver.h"
#include "Core/File/FileManager.h"
#include "Core/File/PsdFile.h"
#include "Core/File/PsdFolder.h"

namespace file {

ImageContainer* OpenImageContainer(FileContainer* container, const std::wstring& name)
{
    if (!container)
        return nullptr;
    // An archive that serves the name holds the whole layered image.
    std::wstring inner;
    if (Archiver* archiver = ResolveArchivePath(container, name, inner))
        return OpenImageContainer(archiver, inner);
    if (container->IsDirectoryLocal(name))
        return new PsdFolder(name, container);
    static const wchar_t* const kDocumentExtensions[] = {L".psd", L""};
    u32 index = 0;
    if (container->ExistsLocal(name, kDocumentExtensions, 2, &index) && index < 2)
        return new PsdFile(name + kDocumentExtensions[index], container);
    return nullptr;
}

} // namespace file
