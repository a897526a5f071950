#include "Core/File/ArchiveIndex.h"
#include "Core/Base/ByteReader.h"
#include "Core/Base/Log.h"

#include <algorithm>
#include <vector>

namespace file {

namespace {

constexpr char kMagic[] = "gepack";
constexpr u32 kMagicLength = 6;
// Name length, size, offset, flag and reserved: the least an entry takes.
constexpr u32 kMinEntryBytes = 4 + 13;

u32 Remaining(base::Stream& stream)
{
    const u32 size = stream.GetSize();
    const u32 position = stream.Seek(0, base::SeekCurrent);
    return position < size ? size - position : 0;
}

bool ReadU32(base::Stream& stream, u32& value)
{
    u8 bytes[4];
    if (stream.Read(bytes, 4) != 4)
        return false;
    value = base::GetU32LE(bytes);
    return true;
}

bool WriteU32(base::Stream& stream, u32 value)
{
    u8 bytes[4];
    base::PutU32LE(bytes, value);
    return stream.Write(bytes, 4) == 4;
}

// Code points above U+FFFF take a surrogate pair; values no UTF-16 text can hold are
// written as U+FFFD.
void AppendUtf16(std::vector<u16>& units, wchar_t c)
{
    const auto value = static_cast<u32>(c);
    if (value < 0x10000) {
        units.push_back(static_cast<u16>(value));
    } else if (value <= 0x10FFFF) {
        units.push_back(static_cast<u16>(0xD800 + ((value - 0x10000) >> 10)));
        units.push_back(static_cast<u16>(0xDC00 + ((value - 0x10000) & 0x3FF)));
    } else {
        units.push_back(0xFFFD);
    }
}

u64 Utf16Key(wchar_t c)
{
    const auto value = static_cast<u32>(c);
    if (value < 0x10000 || value > 0x10FFFF)
        return static_cast<u64>(value) << 16;
    const u32 high = 0xD800 + ((value - 0x10000) >> 10);
    const u32 low = 0xDC00 + ((value - 0x10000) & 0x3FF);
    return static_cast<u64>(high) << 16 | low;
}

} // namespace

bool Utf16Less::operator()(const std::wstring& a, const std::wstring& b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](wchar_t x, wchar_t y) { return Utf16Key(x) < Utf16Key(y); });
}

u32 Utf16Length(const std::wstring& text)
{
    u32 units = 0;
    for (wchar_t c : text) {
        const auto value = static_cast<u32>(c);
        units += value >= 0x10000 && value <= 0x10FFFF ? 2 : 1;
    }
    return units;
}

u32 ReadStreamString(base::Stream& stream, std::string& out)
{
    u32 length = 0;
    if (!ReadU32(stream, length) || length > Remaining(stream))
        return 1;
    out.assign(length, '\0');
    return length && stream.Read(out.data(), length) != length ? 1 : 0;
}

u32 ReadStreamWString(base::Stream& stream, std::wstring& out)
{
    u32 length = 0;
    if (!ReadU32(stream, length) || length > Remaining(stream) / 2)
        return 1;
    std::vector<u8> bytes(static_cast<std::size_t>(length) * 2);
    if (length && stream.Read(bytes.data(), length * 2) != length * 2)
        return 1;
    out.clear();
    out.reserve(length);
    for (u32 i = 0; i < length; ++i) {
        const u32 unit = base::GetU16LE(&bytes[2 * i]);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < length) {
            const u32 next = base::GetU16LE(&bytes[2 * i + 2]);
            if (next >= 0xDC00 && next < 0xE000) {
                out += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        // A lone surrogate is kept as its value so the name still round-trips.
        out += static_cast<wchar_t>(unit);
    }
    return 0;
}

u32 WriteStreamWString(base::Stream& stream, const std::wstring& text)
{
    std::vector<u16> units;
    units.reserve(text.size());
    for (wchar_t c : text)
        AppendUtf16(units, c);
    if (!WriteU32(stream, static_cast<u32>(units.size())))
        return 1;
    std::vector<u8> bytes(units.size() * 2);
    for (std::size_t i = 0; i < units.size(); ++i)
        base::PutU16LE(&bytes[2 * i], units[i]);
    const auto count = static_cast<u32>(bytes.size());
    return count && stream.Write(bytes.data(), count) != count ? 1 : 0;
}

u32 ReadArchiveEntry(ArchiveEntry& entry, base::Stream& stream)
{
    u8 bytes[13];
    if (stream.Read(bytes, 13) != 13)
        return 1;
    entry.size = base::GetU32LE(bytes);
    entry.offset = base::GetU32LE(bytes + 4);
    entry.flag = bytes[8];
    entry.reserved = base::GetU32LE(bytes + 9);
    return 0;
}

u32 WriteArchiveEntry(const ArchiveEntry& entry, base::Stream& stream)
{
    u8 bytes[13];
    base::PutU32LE(bytes, entry.size);
    base::PutU32LE(bytes + 4, entry.offset);
    bytes[8] = entry.flag;
    base::PutU32LE(bytes + 9, entry.reserved);
    return stream.Write(bytes, 13) == 13 ? 0 : 1;
}

u32 ArchiveIndex::Read(base::Stream& stream, const std::wstring& source)
{
    entries.clear();
    const u32 fileSize = stream.GetSize();
    auto refuse = [&](const std::wstring& reason) {
        entries.clear();
        GE_LOG(L"Archive '%s' refused: %s; it is not used, and its folder is read loose.\n") << source << reason;
        return 1u;
    };

    std::string magic;
    if (ReadStreamString(stream, magic) != 0)
        return refuse(L"its header is cut short");
    if (magic != kMagic)
        return refuse(L"it is not a gepack archive");
    u32 count = 0;
    if (!ReadU32(stream, count))
        return refuse(L"its entry count is cut short");
    if (count > Remaining(stream) / kMinEntryBytes)
        return refuse(L"it lists " + std::to_wstring(count) + L" entries, more than the file can hold");

    for (u32 i = 0; i < count; ++i) {
        std::wstring name;
        ArchiveEntry entry;
        if (ReadStreamWString(stream, name) != 0 || ReadArchiveEntry(entry, stream) != 0)
            return refuse(L"entry " + std::to_wstring(i) + L" is cut short");
        if (static_cast<u64>(entry.offset) + entry.size > fileSize)
            return refuse(L"entry '" + name + L"' lies beyond the end of the file");
        if (!entries.emplace(name, entry).second)
            return refuse(L"it names '" + name + L"' twice");
    }
    // What passes the checks above can still make no sense: files that share bytes, or
    // lie inside the index, or an index of nothing but empty files.
    const u32 indexEnd = stream.Seek(0, base::SeekCurrent);
    std::vector<std::pair<u32, const std::wstring*>> ranges;
    for (const auto& [name, entry] : entries)
        if (entry.size)
            ranges.emplace_back(entry.offset, &name);
    if (!entries.empty() && ranges.empty())
        return refuse(L"every one of its " + std::to_wstring(entries.size()) + L" entries is empty");
    std::sort(ranges.begin(), ranges.end());
    u64 end = indexEnd;
    const std::wstring* last = nullptr;
    for (const auto& [offset, name] : ranges) {
        if (offset < end)
            return refuse(last ? L"entries '" + *last + L"' and '" + *name + L"' share bytes"
                               : L"entry '" + *name + L"' lies inside the index");
        end = static_cast<u64>(offset) + entries.at(*name).size;
        last = name;
    }
    return 0;
}

u32 ArchiveIndex::Write(base::Stream& stream) const
{
    if (!WriteU32(stream, kMagicLength) || stream.Write(kMagic, kMagicLength) != kMagicLength)
        return 1;
    if (!WriteU32(stream, static_cast<u32>(entries.size())))
        return 1;
    for (const auto& [name, entry] : entries) {
        if (WriteStreamWString(stream, name) != 0 || WriteArchiveEntry(entry, stream) != 0)
            return 1;
    }
    return 0;
}

u32 ArchiveIndex::GetWrittenSize() const
{
    u32 size = 8 + kMagicLength;
    for (const auto& [name, entry] : entries)
        size += 4 + 2 * Utf16Length(name) + 13;
    return size;
}

void ArchiveIndex::AssignOffsets()
{
    u32 offset = GetWrittenSize();
    for (auto& [name, entry] : entries) {
        entry.offset = offset;
        offset += entry.size;
    }
}

const ArchiveEntry* ArchiveIndex::Find(const std::wstring& name) const
{
    const auto found = entries.find(name);
    return found == entries.end() ? nullptr : &found->second;
}

} // namespace file
