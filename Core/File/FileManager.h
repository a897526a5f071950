#pragma once
// The container for game data: loose files under the data folder, with pack archives
// standing in for whole folders through the mount table.
#include "Core/Base/Singletone.h"
#include "Core/File/FileManagerWin32.h"
#include <functional>
#include <map>
#include <string>

namespace file {

class ImageContainer;

class FileManager : public base::Singletone<FileManager>, public FileManagerWin32 {
public:
    // The container's Exists, not the singleton's.
    using FileManagerWin32::Exists;

    FileManager();
    ~FileManager() override;

    // Serves every path under `prefix` (for example "td/") from the archive file (a
    // relative one is taken from the data folder).
    void Mount(const std::wstring& prefix, const std::wstring& archivePath);

    // A layered image by name (a folder, or a document found as given or with
    // ".psd"); null when there is none.
    ImageContainer* OpenImageContainer(const std::wstring& name);

    // Folder prefix -> archive file path on disk, searched in key order.
    std::map<std::wstring, std::wstring> mounts;
    float imageScale = 1.0f;     // read by the layered-folder reader
    float fontImageScale = 1.0f; // read by the bitmap-font parser
};

// Layered images are made at the content scale the program chose; the application
// installs the source of that value (this module cannot reach the application), and
// without one the scale is 1.
void SetContentScaleSource(std::function<float()> source);
float CurrentContentScale();

// At the current content scale, or at `contentScale`.
ImageContainer* OpenImageContainer(FileContainer* container, const std::wstring& name);
ImageContainer* OpenImageContainer(FileContainer* container, const std::wstring& name, float contentScale);

} // namespace file
