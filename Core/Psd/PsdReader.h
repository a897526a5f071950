#pragma once
// Inside the layered-document reader: the byte source, the buffered big-endian
// readers over a context, the load stages and the decoders they share. Users of a
// loaded document need only Core/Psd/PsdDocument.h.
#include "Core/Psd/PsdContext.h"
#include <cstdio>
#include <functional>

namespace base {
class Stream;
}

class PsdCursor;
struct PsdLayerEffects;

// Where the bytes of a document come from while it loads.
class PsdSource {
public:
    virtual ~PsdSource() = default;
    // Bytes delivered; fewer than asked at the end of the data.
    virtual u32 Read(void* dest, u32 count) = 0;
    // Moves forward by `count` bytes; past the end every later read delivers nothing.
    virtual void Skip(u32 count) = 0;
    // Bytes from the start of the document to the end of the data.
    virtual i64 Length() = 0;
};

std::unique_ptr<PsdSource> MakePsdFileSource(std::FILE* file);
std::unique_ptr<PsdSource> MakePsdMemorySource(const void* data, u32 size);
std::unique_ptr<PsdSource> MakePsdStreamSource(base::Stream* stream);

// Size of an open file, leaving its offset where it was.
i64 GetPsdFileLength(std::FILE* file);

// Runs the stages on a context whose source and file length are set.
int RunPsdLoadStages(PsdContext* ctx);
void ReleasePsdStream(PsdContext* ctx);

int ReadPsdFileHeader(PsdContext* ctx);
// Whether the reader decodes documents and patterns of this colour mode.
bool PsdColorModeSupported(u32 mode);
int ReadPsdColorModeData(PsdContext* ctx);
int ReadPsdImageResources(PsdContext* ctx);
int ReadPsdLayerAndMaskInfo(PsdContext* ctx);
// Reads to the layer information's end, and never past `sectionEnd`.
int ReadPsdLayerInfo(PsdContext* ctx, i64 sectionEnd);
int ReadPsdGlobalLayerMask(PsdContext* ctx);
int ReadPsdLayerChannels(PsdContext* ctx, PsdLayerRecord* record);
int ReadPsdImageData(PsdContext* ctx);
int ReadPsdPattern(PsdContext* ctx, PsdCursor& block);
int DecodePsdThumbnail(PsdContext* ctx, const u8* data, u32 size);

void FreePsdImageResources(PsdContext* ctx);
void FreePsdLayerRecords(PsdContext* ctx);
void FreePsdLayerRecord(PsdLayerRecord* record);
void FreePsdPatterns(PsdContext* ctx);

// Big-endian loads of the document's fields, shared by the stream and block readers.
inline u16 PsdGetU16(const u8* p)
{
    return static_cast<u16>((p[0] << 8) | p[1]);
}

inline u32 PsdGetU32(const u8* p)
{
    return (u32(p[0]) << 24) | (u32(p[1]) << 16) | (u32(p[2]) << 8) | u32(p[3]);
}

double PsdGetDouble(const u8* p);

// Buffered readers; each advances the stream position by what it consumes.
int PsdReadBytes(PsdContext* ctx, void* dest, int count);
int PsdSkipBytes(PsdContext* ctx, int count);
// Skips forward to an absolute stream position; nothing when already at or past it.
void PsdSkipTo(PsdContext* ctx, i64 position);
// Bytes between the stream position and the end of the data (0 past the end).
i64 PsdRemaining(const PsdContext* ctx);
bool PsdReadBool(PsdContext* ctx);
i8 PsdReadInt8(PsdContext* ctx);
u8 PsdReadUInt8(PsdContext* ctx);
u16 PsdReadUInt16(PsdContext* ctx);
i32 PsdReadInt32(PsdContext* ctx);
u32 PsdReadUInt32(PsdContext* ctx);
double PsdReadDouble(PsdContext* ctx);
u32 PsdReadColor(PsdContext* ctx);
u32 PsdReadBlendModeKey(PsdContext* ctx);
u32 PsdBlendModeFromKey(u32 key);

// Records why the load fails (the first reason wins) and returns `status`.
int PsdFail(PsdContext* ctx, int status, const std::wstring& why);

// Takes `bytes` of decoded output from the document's budget; false (with the
// reason recorded) when the document's data cannot describe that much.
bool PsdReserveDecoded(PsdContext* ctx, u64 bytes, const wchar_t* what);
// The same test without taking anything (scratch that is reused).
bool PsdFitsBudget(PsdContext* ctx, u64 bytes, const wchar_t* what);

void FillUInt32(u32* dest, u32 value, int count);

// Runs work(0) .. work(count - 1) on up to PsdWorkerCount() threads (the caller's
// among them) and returns when all have run. Each piece must write only its own
// bytes and must not throw. Nested calls run on the calling worker.
void PsdParallelFor(u32 count, const std::function<void(u32)>& work);
u32 PsdWorkerCount();

// Decoders shared by layers, the merged image and patterns.
int InflatePsdData(const u8* src, u32 srcLen, u8* dst, u32 dstLen);
int InflatePsdPredicted(const u8* src, u32 srcLen, u8* dst, u32 dstLen, u32 rowWidth, int depth);
// PackBits rows: `rows` byte counts (u16 each) then the packed rows; row r lands at
// dst + r * rowBytes and never writes past its row. What a row does not fill (a row
// that decodes short, rows past the data's end) is zero. Large runs are decoded in
// bands of rows on several cores.
void DecodePsdPackBits(const u8* src, u32 srcLen, u8* dst, u32 rows, u32 rowBytes);
// rows x rowBytes bytes (one plane, or the run of planes of the merged image) by
// compression kind 0..3, every byte written (zeros where the data runs short); -20
// for another kind, -101 when zlib fails.
int DecodePsdPlanes(int kind, const u8* src, u32 srcLen, u8* dst, u32 rows, u32 rowBytes, u32 rowWidth,
                    int depth);

u64 PsdPlaneSize(u64 width, u64 height, int depth);
u64 PsdRowBytes(u64 width, int depth);

// Planes handed to a combiner: colour planes 0..3 (null reads as 0), an alpha plane
// (null: opaque) and, for multichannel, the plane that takes the place of black.
struct PsdPlanes {
    const u8* color[4] = {nullptr, nullptr, nullptr, nullptr};
    const u8* alpha = nullptr;
    const u8* black = nullptr;
};

// Indexed colours: an index below `usable` and the palette's size, other than
// `transparent`, takes its entry; any other index is transparent white.
struct PsdPalette {
    const u32* entries = nullptr;
    i32 count = 0;
    i32 usable = 0;
    i32 transparent = -1;
};
// The document's palette with the counts of resources 1046 and 1047.
PsdPalette PsdDocumentPalette(const PsdContext* ctx);
// Planes of a merged image (or pattern) at `base`, `plane` bytes apart, whose
// colour channel count `N` decides which plane is alpha (or black for multichannel).
PsdPlanes PsdMergedPlanes(u32 mode, int N, const u8* base, u64 plane);

// Fills width x height ARGB words; false when the mode and depth have no combiner.
// Large images are combined in bands of rows on several cores.
bool CombinePsdPlanes(u32 mode, int depth, u32 width, u32 height, const PsdPlanes& planes,
                      const PsdPalette& palette, u32* out);

// Colour conversions.
u32 CmykToArgb(double c, double m, double y, double k);
u32 LabToArgb(u8 alpha, int L, int a, int b);
u32 XyzToArgb(u8 alpha, double X, double Y, double Z);
u32 HsbToArgb(int hue, double saturation, double lightness);
int HueToChannel(int hue, double m1, double m2);
// A colour record (space and four components as stored) as 0xAARRGGBB.
u32 PsdColorRecordToArgb(i16 space, const u16 raw[4]);

// Per-layer additional information blocks of the adjustment, fill, effects and type
// kinds, read from the block's bytes; `length` is the declared length.
int ReadPsdAdjustmentBlock(PsdContext* ctx, PsdLayerRecord* record, u32 key, PsdCursor& block, u32 length);
bool IsPsdAdjustmentKey(u32 key);
// Adds an entry to the record's adjustment table; entries past the table's size are
// dropped with a log line.
void AddPsdAdjustment(PsdLayerRecord* record, u32 kind, std::unique_ptr<PsdAdjustmentData> data);

constexpr u32 PsdKey(const char (&k)[5])
{
    return (u32(u8(k[0])) << 24) | (u32(u8(k[1])) << 16) | (u32(u8(k[2])) << 8) | u32(u8(k[3]));
}
