#include "Core/File/PsdFolder.h"

#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileContainer.h"
#include "Core/File/FileInfo.h"
#include "Core/File/FileManager.h"
#include "Core/File/Path.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <limits>
#include <new>

namespace file {

namespace {

// The lookup order of texture files (the name as given first).
const wchar_t* const kTextureExtensions[] = {L"", L".dds", L".jpg", L".gif", L".png", L".tga"};
constexpr u32 kTextureExtensionCount = 6;

// A leading decimal integer as "%d" reads it (spaces, sign, digits), saturated to
// the int range; `fallback` when the attribute is absent or holds no number.
int IntAttribute(const tinyxml2::XMLElement* element, const char* name, int fallback)
{
    const char* text = element->Attribute(name);
    if (!text)
        return fallback;
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    if (!std::isdigit(static_cast<unsigned char>(*text)))
        return fallback;
    i64 value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*text)); ++text)
        value = std::min<i64>(value * 10 + (*text - '0'), i64(1) << 32);
    value = negative ? -value : value;
    return static_cast<int>(
        std::clamp<i64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// A leading floating-point number as "%lf" reads it; `fallback` when there is none.
double DoubleAttribute(const tinyxml2::XMLElement* element, const char* name, double fallback)
{
    const char* text = element->Attribute(name);
    if (!text)
        return fallback;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return end == text ? fallback : value;
}

// value x scale computed in float and truncated toward zero, kept inside the int range.
int Scaled(int value, float scale)
{
    const float product = static_cast<float>(value) * scale;
    if (!std::isfinite(product))
        return 0;
    if (product >= 2147483520.0f) // the largest float below 2^31
        return std::numeric_limits<int>::max();
    if (product <= -2147483648.0f)
        return std::numeric_limits<int>::min();
    return static_cast<int>(product);
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

std::wstring PreparePrefix(const std::wstring& prefix)
{
    return Lower(NormalizePath(prefix));
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

PsdFolder::PsdFolder(const std::wstring& folder, Container* owner, float contentScale)
    : contentScale(contentScale)
{
    // "a/b/" and "a/b" name the same folder; the paths below add their own '/'.
    const std::wstring trimmed = RemoveTrailingSeparators(folder);
    containerName = trimmed.empty() ? folder : trimmed;
    this->owner = owner;
    if (!owner)
        return;
    const std::wstring xmlPath = InFolder(L"layers.xml");
    std::unique_ptr<FileInfo> info(owner->GetFileInfo(xmlPath));
    if (!info || !info->container)
        return; // a folder without a description simply has no layers
    std::unique_ptr<base::Stream> stream(info->container->OpenRead(info->path));
    if (!stream) {
        GE_LOG(L"Layered image folder '%s': '%s' could not be opened.\n") << containerName << xmlPath;
        return;
    }
    const u32 size = stream->GetSize();
    std::unique_ptr<char[]> text(new (std::nothrow) char[size_t(size) + 1]);
    if (!text) {
        GE_LOG(L"Layered image folder '%s': no memory for '%s'.\n") << containerName << xmlPath;
        return;
    }
    if (stream->Read(text.get(), size) != size) {
        GE_LOG(L"Layered image folder '%s': '%s' is short.\n") << containerName << xmlPath;
        return;
    }
    text[size] = '\0';
    // The text ends at its first NUL byte, as for every text file of the engine.
    ReadLayers(text.get(), std::strlen(text.get()));
}

PsdFolder::~PsdFolder()
{
    layerList.clear();
    layers.clear();
}

void PsdFolder::ReadLayers(const char* text, size_t length)
{
    tinyxml2::XMLDocument document;
    if (document.Parse(text, length) != tinyxml2::XML_SUCCESS) {
        GE_LOG(L"Layered image folder '%s': layers.xml is not well-formed XML (%s, line %d).\n")
            << containerName << ConvertToWide(document.ErrorName(), StringEncoding::Raw)
            << document.ErrorLineNum();
        return;
    }
    const tinyxml2::XMLElement* root = document.FirstChildElement("Layers");
    if (!root) {
        GE_LOG(L"Layered image folder '%s': layers.xml has no 'Layers' element.\n") << containerName;
        return;
    }
    const float imageScale = FileManager::Instance()->imageScale;
    // A place or size no picture can have (negative, beyond any texture, no number).
    const auto impossible = [](const tinyxml2::XMLElement* element) {
        constexpr int kNone = std::numeric_limits<int>::min();
        for (const char* name : {"x", "y", "width", "height"}) {
            if (!element->Attribute(name))
                continue;
            const int value = IntAttribute(element, name, kNone);
            const bool size = name[0] == 'w' || name[0] == 'h';
            if (value == kNone || (size ? value < 0 || value > 16384 : value < -65536 || value > 65536))
                return name;
        }
        return static_cast<const char*>(nullptr);
    };
    int refused = 0;
    std::wstring first;
    for (const tinyxml2::XMLElement* element = root->FirstChildElement("Layer"); element;
         element = element->NextSiblingElement("Layer")) {
        const char* nameText = element->Attribute("name");
        if (!nameText)
            break; // a nameless entry ends the description; the layers before it stay
        std::wstring name;
        if (!TryConvertToWide(nameText, name, L"layers.xml layer name"))
            continue;
        // Such a layer is still read as every layer is, into the range of a number.
        if (const char* bad = impossible(element)) {
            if (!refused++)
                first = L"the " + ConvertToWide(bad) + L" '" + ConvertToWide(element->Attribute(bad), StringEncoding::Ansi) + L"' of '" +
                        name + L"'";
        }
        const int x = Scaled(IntAttribute(element, "x", 0), imageScale);
        const int y = Scaled(IntAttribute(element, "y", 0), imageScale);
        const int w = Scaled(IntAttribute(element, "width", 0), imageScale);
        const int h = Scaled(IntAttribute(element, "height", 0), imageScale);
        const u32 opacity = static_cast<u32>(std::clamp(IntAttribute(element, "opacity", 255), 0, 255));
        const u32 index = static_cast<u32>(IntAttribute(element, "ind", 0));

        auto [it, inserted] = layers.try_emplace(name);
        if (inserted) {
            it->second = std::make_unique<base::ImageInfo>(name, x, y, w, h, opacity, index, true, false,
                                                           contentScale);
            // Only the entry that is kept takes atlas data: a repeated name changes nothing.
            if (const char* atlas = element->Attribute("atlas")) {
                std::wstring atlasName;
                if (TryConvertToWide(atlas, atlasName, L"layers.xml atlas name")) {
                    const double tu1 = DoubleAttribute(element, "tu1", 0.0);
                    const double tv1 = DoubleAttribute(element, "tv1", 0.0);
                    const double tu2 = DoubleAttribute(element, "tu2", 1.0);
                    const double tv2 = DoubleAttribute(element, "tv2", 1.0);
                    base::ImageInfo& info = *it->second;
                    info.inAtlas = true;
                    info.atlasPath = GetRootPath() + atlasName;
                    info.u = static_cast<float>(tu1);
                    info.v = static_cast<float>(1.0 - tv2);
                    info.du = static_cast<float>(tu2 - tu1);
                    info.dv = static_cast<float>(tv2 - tv1);
                }
            }
        }
        layerList.push_back(it->second.get());
    }
    if (refused)
        GE_LOG(L"Layered image folder '%s': %d layers have a place or size no picture can have (%s); they are "
               L"read into the range of a number.\n")
            << containerName << refused << first;
}

std::wstring PsdFolder::InFolder(const std::wstring& path) const
{
    return containerName.empty() ? path : containerName + L"/" + path;
}

base::Stream* PsdFolder::OpenRead(const std::wstring& path)
{
    if (!owner)
        return nullptr;
    // Through the lookup, so that a folder inside a mounted archive reads from it.
    std::unique_ptr<FileInfo> info(owner->GetFileInfo(InFolder(path)));
    if (!info || !info->container)
        return nullptr;
    return info->container->OpenRead(info->path);
}

base::StreamCreator* PsdFolder::GetStreamCreator(const std::wstring& path)
{
    return owner ? owner->GetStreamCreator(InFolder(path)) : nullptr;
}

std::wstring PsdFolder::GetRootPath()
{
    return (owner ? owner->GetRootPath() : std::wstring()) + InFolder(L"");
}

ImageFileInfo* PsdFolder::GetImageFileInfo(const std::wstring& name, const wchar_t* const* extensions,
                                           u32 count, u32* outIndex)
{
    const auto it = layers.find(name);
    if (it == layers.end())
        return nullptr;
    const base::ImageInfo& layer = *it->second;
    std::wstring path = name;
    // An atlas member is drawn from the atlas: it needs no file of its own.
    if (!layer.inAtlas && extensions && count > 0) {
        if (!owner)
            return nullptr;
        u32 index = 0;
        std::unique_ptr<FileInfo> found(owner->GetFileInfo(InFolder(name), extensions, count, &index));
        if (!found || index >= count)
            return nullptr;
        if (outIndex)
            *outIndex = index;
        path = name + extensions[index];
    }
    auto* info = new ImageFileInfo;
    static_cast<base::ImageInfo&>(*info) = layer;
    info->FileInfo::name = GetFileNameWithoutExtension(name);
    info->path = path;
    info->container = this;
    const auto* files = dynamic_cast<const FileContainer*>(owner);
    info->inArchive = files ? files->inArchive : 0;
    return info;
}

base::ImageInfo* PsdFolder::FindLayer(const std::wstring& name)
{
    const auto it = layers.find(name);
    return it == layers.end() ? nullptr : it->second.get();
}

base::ImageInfo* PsdFolder::GetLayer(i32 index)
{
    if (index < 0 || static_cast<size_t>(index) >= layerList.size())
        return nullptr;
    return layerList[static_cast<size_t>(index)];
}

i32 PsdFolder::GetLayerCount()
{
    return static_cast<i32>(layerList.size());
}

u32 PsdFolder::ListLayers(const std::wstring& prefix, bool recursive, std::vector<std::wstring>& out,
                          bool stripPrefix)
{
    const std::wstring prepared = PreparePrefix(prefix);
    const size_t len = prepared.size();
    for (const base::ImageInfo* layer : layerList) {
        const std::wstring& name = layer->name;
        if (!StartsWith(name, prepared))
            continue;
        if (!recursive && name.find(L'/', len) != std::wstring::npos)
            continue;
        out.push_back(stripPrefix ? name.substr(len) : name);
    }
    return 0;
}

u32 PsdFolder::ListFolders(const std::wstring& prefix, std::vector<std::wstring>& out, bool)
{
    const std::wstring prepared = PreparePrefix(prefix);
    const size_t len = prepared.size();
    bool any = false;
    std::wstring previous;
    // Names under one folder are neighbours in the map's order, so each folder shows once.
    for (const auto& [name, layer] : layers) {
        if (!StartsWith(name, prepared))
            continue;
        const size_t slash = name.find(L'/', len);
        if (slash == std::wstring::npos)
            continue;
        std::wstring folder = name.substr(len, slash - len);
        if (any && folder == previous)
            continue;
        any = true;
        previous = folder;
        out.push_back(std::move(folder));
    }
    return 0;
}

bool PsdFolder::HasLayer(const std::wstring& name)
{
    return layers.count(Lower(name)) != 0;
}

bool PsdFolder::HasImageFile(const std::wstring& name)
{
    if (!owner)
        return false;
    u32 index = 0;
    std::unique_ptr<FileInfo> found(
        owner->GetFileInfo(InFolder(name), kTextureExtensions, kTextureExtensionCount, &index));
    return found != nullptr;
}

bool PsdFolder::IsFolder(const std::wstring& name)
{
    const std::wstring prepared = PreparePrefix(name);
    for (auto it = layers.lower_bound(prepared); it != layers.end() && StartsWith(it->first, prepared); ++it)
        if (it->first.size() > prepared.size())
            return true;
    return false;
}

} // namespace file
