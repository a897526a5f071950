#pragma once
// A layered document opened as a container: each drawable layer is a file whose
// bytes are the layer's decoded 0xAARRGGBB pixels.
#include "Core/File/ImageContainer.h"
#include "Core/Psd/PsdDocument.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace file {

// A layer record of the document with the name it is found under.
class PsdFileLayer : public base::ImageInfo {
public:
    // `index` is the record's position in the document; `scale` the content scale.
    PsdFileLayer(const std::wstring& name, const PsdLayerRecord& record, u32 index, float scale);

    const PsdLayerRecord* record; // owned by the document
};

class PsdFile : public ImageContainer {
public:
    // Reads the document `path` through `owner` (so archived documents load like
    // loose ones); its layers are made at `contentScale`. A document that cannot be read
    // gives a container without layers.
    PsdFile(const std::wstring& path, Container* owner, float contentScale);
    ~PsdFile() override;
    PsdFile(const PsdFile&) = delete;
    PsdFile& operator=(const PsdFile&) = delete;

    // A stream over a copy of the layer's pixels (width x height words, rows from
    // the top); it stays valid after the container is gone.
    base::Stream* OpenRead(const std::wstring& path) override;
    base::StreamCreator* GetStreamCreator(const std::wstring& path) override;
    std::wstring GetRootPath() override;

    ImageFileInfo* GetImageFileInfo(const std::wstring& name, const wchar_t* const* extensions, u32 count,
                                    u32* outIndex) override;
    base::ImageInfo* FindLayer(const std::wstring& name) override;
    base::ImageInfo* GetLayer(i32 index) override;
    // Entries of the layer list (a repeated name counts each time).
    i32 GetLayerCount() override;
    u32 ListLayers(const std::wstring& prefix, bool recursive, std::vector<std::wstring>& out,
                   bool stripPrefix) override;
    u32 ListFolders(const std::wstring& prefix, std::vector<std::wstring>& out, bool stripPrefix) override;
    bool HasLayer(const std::wstring& name) override;
    bool HasImageFile(const std::wstring& name) override;
    bool IsFolder(const std::wstring& name) override;

    bool IsLoaded() const { return document != nullptr; }
    const PsdContext* GetDocument() const { return document.get(); }

private:
    void BuildLayers(float contentScale);

    PsdDocumentPtr document;
    // Declared after the document: the layers point into it and go first.
    std::map<std::wstring, std::unique_ptr<PsdFileLayer>> layers;
    // Top to bottom; a repeated name repeats the first (upper) layer of that name.
    std::vector<PsdFileLayer*> layerList;
};

} // namespace file
