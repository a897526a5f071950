#pragma once
// The index of a "gepack" archive: entry names (UTF-16LE in the file) mapped to byte
// ranges of the pack file, followed by the files' bytes. Little-endian throughout.
#include "Core/Base/Stream.h"
#include "Core/Base/Types.h"
#include <map>
#include <string>

namespace file {

struct ArchiveEntry {
    u32 size = 0;
    u32 offset = 0; // from the start of the pack file
    u8 flag = 0;
    u32 reserved = 0;
};

// Orders names by their UTF-16 code units, as the format's writers always have, so
// files land in the same order whatever the width of wchar_t.
struct Utf16Less {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};

// Record operations: 0 success, 1 at the first short read or write. The readers
// refuse a length that exceeds what is left in the stream.
u32 ReadStreamString(base::Stream& stream, std::string& out);
u32 ReadStreamWString(base::Stream& stream, std::wstring& out);
u32 WriteStreamWString(base::Stream& stream, const std::wstring& text);
u32 ReadArchiveEntry(ArchiveEntry& entry, base::Stream& stream);
u32 WriteArchiveEntry(const ArchiveEntry& entry, base::Stream& stream);

// UTF-16 code units needed for `text` (two for a code point above U+FFFF).
u32 Utf16Length(const std::wstring& text);

class ArchiveIndex {
public:
    using EntryMap = std::map<std::wstring, ArchiveEntry, Utf16Less>;

    // 0 ok, 1 error. The index is checked against the stream's real size: an
    // impossible index is refused whole (left empty) with one log line naming
    // `source`. A repeated name keeps its first record.
    u32 Read(base::Stream& stream, const std::wstring& source = L"archive");
    // Writes what the records hold; call AssignOffsets first. 0 ok, 1 short write.
    u32 Write(base::Stream& stream) const;
    // Bytes the index takes in the file; the first file starts there.
    u32 GetWrittenSize() const;
    // Places the files back to back in map order right after the index.
    void AssignOffsets();

    const ArchiveEntry* Find(const std::wstring& name) const;

    EntryMap entries;
};

} // namespace file
