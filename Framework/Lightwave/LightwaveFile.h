#pragma once
// What the readers of animation files and ".lib" mesh libraries share besides the
// little-endian fields (base::ByteReader): reading the file whole and widening the
// byte strings stored in it.
#include "Core/Base/Types.h"
#include <string>
#include <vector>

namespace lightwave {

// Reads all of `path` through the file manager into `bytes`. Returns nullptr on success,
// else the reason, for the caller's log line.
const wchar_t* ReadWholeFile(const std::wstring& path, std::vector<u8>& bytes);

// Names in these files are single bytes: each becomes the code point of its value.
std::wstring WidenBytes(const std::string& bytes);

} // namespace lightwave
