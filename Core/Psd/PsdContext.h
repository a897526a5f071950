#pragma once
// One loaded layered document: header, palette, image resources, layer records with
// their pixels as 0xAARRGGBB words (rows from the top), patterns and the merged image.
// Made by LoadPsdDocument*, freed by FreePsdDocument (Core/Psd/PsdDocument.h).
#include "Core/Base/Types.h"
#include "Core/Psd/PsdAdjustments.h"
#include "Core/Psd/PsdStatus.h"
#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <string>
#include <vector>

class PsdSource;

// Memory for decoded images of many megabytes, in pages the system may back with
// large pages (fewer faults on first touch); null when there is none.
void* PsdAllocateImage(size_t bytes);
void PsdFreeImage(void* memory, size_t bytes);

// Storage for decoded images: growing it leaves the new elements unset, as the
// decoders write every one (on several cores, which also share the first touch of
// fresh memory) and clearing megabytes first would cost as much as the decoding.
template <class T> struct PsdUnsetAllocator : std::allocator<T> {
    template <class U> struct rebind {
        using other = PsdUnsetAllocator<U>;
    };
    PsdUnsetAllocator() = default;
    template <class U> PsdUnsetAllocator(const PsdUnsetAllocator<U>&) noexcept {}
    T* allocate(size_t n)
    {
        if (n > size_t(-1) / sizeof(T))
            throw std::bad_alloc();
        if (void* memory = PsdAllocateImage(n * sizeof(T)))
            return static_cast<T*>(memory);
        throw std::bad_alloc();
    }
    void deallocate(T* memory, size_t n) noexcept { PsdFreeImage(memory, n * sizeof(T)); }
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
using PsdPixels = std::vector<u32, PsdUnsetAllocator<u32>>;
using PsdBytes = std::vector<u8, PsdUnsetAllocator<u8>>;

// Pixels compare with plain vectors of the same words.
inline bool operator==(const PsdPixels& a, const std::vector<u32>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

struct PsdChannelInfo {
    i16 id = 0;         // 0, 1, 2, ... colour; -1 transparency; -2 user layer mask
    u32 dataLength = 0; // bytes of the channel's image data, compression word included
    u8 blendRestricted = 0;
};

// One entry of a layer record's adjustment table.
struct PsdAdjustment {
    u32 kind = 0;
    std::unique_ptr<PsdAdjustmentData> data;
};

struct PsdLayerRecord {
    static constexpr int kMaxAdjustments = 20;

    PsdLayerRecord();
    // Sets the defaults every record starts from, dropping what it owns.
    void Reset();

    u32 layerType = 0; // 0 layer, 1 folder end, 2 folder start, 3.. fill and adjustment layers
    i32 top = 0;
    i32 left = 0;
    i32 bottom = 0;
    i32 right = 0;
    i32 width = 0;
    i32 height = 0;
    i16 channelCount = 0;
    std::vector<PsdChannelInfo> channels;
    u32 blendMode = 0;
    u8 opacity = 255;
    bool clipping = false;
    bool transparencyProtected = false;
    bool visible = true;
    bool obsolete = false;
    bool pixelDataIrrelevant = false;
    i32 maskTop = 0;
    i32 maskLeft = 0;
    i32 maskBottom = 0;
    i32 maskRight = 0;
    i32 maskWidth = 0;
    i32 maskHeight = 0;
    u8 maskDefaultColor = 255;
    bool maskPositionRelative = false;
    bool maskDisabled = true;
    bool maskInverted = false;
    std::vector<u8> maskPixels; // maskWidth x maskHeight bytes
    std::array<u16, 4> compositeBlendRanges{};
    i32 channelRangeCount = 0;
    std::array<std::vector<u16>, 4> rangeArrays; // source black, source white, destination black, white
    std::array<char, 256> name{};                // 8-bit name, zero-terminated
    PsdPixels pixels;                            // width x height 0xAARRGGBB
    i32 adjustmentCount = 0;
    std::array<PsdAdjustment, kMaxAdjustments> adjustments;
    bool adjustmentLayer = false;
    u8 fillOpacity = 255;
    u32 unicodeNameLength = 0;
    std::vector<u8> unicodeName; // big-endian UTF-16 as stored
    u32 nameSource = 0;
    u32 layerId = 0;
    u32 layerVersion = 0;
    bool blendClippedElements = true;
    bool blendInteriorElements = false;
    bool knockout = false;
    bool protectTransparency = false;
    bool protectComposite = false;
    bool protectPosition = false;
    u32 sheetColor = 0;
    i32 referencePointX = 0;
    i32 referencePointY = 0;
    bool transparencyShapesLayer = true;
    bool layerMaskHidesEffects = false;
    bool vectorMaskHidesEffects = false;
    u32 sectionDividerType = 0;
    u32 sectionBlendMode = 23;
    PsdLayerRecord* enclosingFolder = nullptr;
};

struct PsdAlphaChannelInfo {
    std::array<char, 256> name{};
    u32 unicodeNameLength = 0;
    std::vector<u8> unicodeName; // big-endian UTF-16 as stored
    u32 identifier = 0;
    std::vector<u8> pixels; // width x height bytes of the merged alpha plane
};

struct PsdPattern {
    u32 imageMode = 0;
    u16 height = 0;
    u16 width = 0;
    u32 nameLength = 0;
    std::vector<u8> name; // big-endian UTF-16 as stored
    std::array<char, 256> uniqueId{};
    u32 patternVersion = 0;
    std::array<u16, 4> rectangle{}; // top, left, bottom, right
    i32 channelCount = 0;           // channels decoded
    std::vector<u32> pixels;        // width x height 0xAARRGGBB
};

struct PsdContext {
    PsdContext();
    ~PsdContext();
    PsdContext(const PsdContext&) = delete;
    PsdContext& operator=(const PsdContext&) = delete;

    std::string fileName;
    std::unique_ptr<PsdSource> source; // open while loading only
    std::vector<u8> readBuffer;        // 4096 bytes while loading
    u32 bufferFill = 0;
    u32 bufferPosition = 0;
    i64 fileLength = 0;
    i64 streamPosition = 0;
    u32 state = 0;

    u32 width = 0;
    u32 height = 0;
    u16 channels = 0;
    u16 depth = 0;
    u32 colorMode = 0;
    i32 paletteCount = 0;
    std::vector<u32> palette;

    // Image resources.
    std::array<char, 256> caption{};
    bool resolutionPresent = false;
    float horizontalResolution = 0.0f;
    u16 horizontalResolutionUnit = 0;
    u16 widthUnit = 0;
    float verticalResolution = 0.0f;
    u16 verticalResolutionUnit = 0;
    u16 heightUnit = 0;
    bool displayInfoPresent = false;
    u32 displayColor = 0;
    u16 displayOpacity = 0;
    u8 displayKind = 0;
    bool alphaInfoPresent = false;
    i16 alphaChannelCount = 0;
    std::vector<PsdAlphaChannelInfo> alphaChannels;
    u16 targetLayer = 0;
    bool layerGroupsPresent = false;
    i32 layerGroupCount = 0;
    std::vector<u16> layerGroupIds;
    bool thumbnailPresent = false;
    u32 thumbnailFormat = 0;
    u32 thumbnailWidth = 0;
    u32 thumbnailHeight = 0;
    u32 thumbnailWidthBytes = 0;
    u32 thumbnailTotalSize = 0;
    u32 thumbnailCompressedSize = 0;
    u16 thumbnailBitsPerPixel = 0;
    u16 thumbnailPlanes = 0;
    std::vector<u32> thumbnailPixels; // decoded JPEG, thumbnailPixelWidth x thumbnailPixelHeight
    u32 thumbnailPixelWidth = 0;
    u32 thumbnailPixelHeight = 0;
    bool versionInfoPresent = false;
    u32 version = 0;
    bool hasRealMergedData = false;
    u32 writerNameLength = 0;
    std::vector<u8> writerName; // UTF-16 as stored
    u32 readerNameLength = 0;
    std::vector<u8> readerName;
    u32 fileVersion = 0;
    u8 copyright = 0;
    i32 globalAngle = 0;
    i32 globalAltitude = 0;
    u8 effectsVisible = 0;
    i16 indexedColorCount = 0;
    i16 transparencyIndex = 0;

    i16 colorChannelCount = 0; // channels that are not alpha channels

    // Layer and mask information. The count of layer records: the file's signed 16-bit
    // count taken as its magnitude, so it can be 32768.
    i32 layerCount = 0;
    std::vector<PsdLayerRecord> layerRecords;
    u32 globalMaskColor = 0;
    u16 globalMaskOpacity = 0;
    u8 globalMaskKind = 0;

    std::vector<PsdPattern> patterns;

    PsdPixels mergedImage; // width x height 0xAARRGGBB

    // Scratch reused while decoding.
    PsdBytes planarBuffer;
    PsdBytes compressedScratch;
    u32 planeSize = 0;
    u32 planeStride = 0;

    // Bytes the decoded images of this document may still take: a file cannot
    // describe more than a bounded multiple of its own size.
    u64 decodeBudget = 0;
    // Why the load failed, for its one log line.
    std::wstring failure;
};
