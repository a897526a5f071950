#include "Core/File/FileManager.h"
#include "Core/Base/Log.h"
#include "Core/File/Archiver.h"

namespace file {

FileManager::FileManager() = default;

FileManager::~FileManager()
{
    mounts.clear();
    archives.clear();
    if (sInstance == this)
        sInstance = nullptr;
}

void FileManager::Mount(const std::wstring& prefix, const std::wstring& archivePath)
{
    // The archive is a file of the data folder, however the lookups name it later.
    mounts[prefix] = OnDisk(archivePath);
}

ImageContainer* FileManager::OpenImageContainer(const std::wstring& name)
{
    return file::OpenImageContainer(this, name);
}

} // namespace file
