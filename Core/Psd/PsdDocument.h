#pragma once
// Entry points of the layered-document reader. A document can be read from a path,
// from bytes in memory or from a base::Stream, so documents inside archives load
// like loose ones. Every failure logs one line and returns a negative PsdStatus.
#include "Core/Psd/PsdContext.h"
#include <memory>

namespace base {
class Stream;
}

// Reads the file at `fileName`. On success *out holds the document (free it with
// FreePsdDocument); on failure *out is null.
int LoadPsdDocument(PsdContext** out, const char* fileName);
// Reads `size` bytes at `data`; the bytes are only used during the call.
int LoadPsdDocumentFromMemory(PsdContext** out, const void* data, u32 size);
// Reads from the stream's current position to its end; the stream stays the caller's.
int LoadPsdDocumentFromStream(PsdContext** out, base::Stream* stream);
// -1 for null, else 0.
int FreePsdDocument(PsdContext* ctx);

struct PsdDocumentDeleter {
    void operator()(PsdContext* ctx) const { FreePsdDocument(ctx); }
};
using PsdDocumentPtr = std::unique_ptr<PsdContext, PsdDocumentDeleter>;

// A layer's "luni" name (or an alpha channel's Unicode name) as wide text.
std::wstring PsdUtf16ToWide(const std::vector<u8>& bigEndianUtf16);
