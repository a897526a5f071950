#pragma once
// Whole-file reading and folder creation through the file manager.
#include "Core/Base/Types.h"
#include <string>

namespace file {

// The whole file as UTF-8 text without a leading byte-order mark, cut at the first
// NUL; "" when the file is missing or cannot be read whole.
std::string ReadUtf8TextFile(const std::wstring& path);
// The same into `text`; false when the file is missing, cannot be read whole or holds
// a NUL (`text` then holds what came before it).
bool ReadWholeUtf8TextFile(const std::wstring& path, std::string& text);
// The same with a byte-order mark kept.
std::string ReadTextFile(const std::wstring& path);
// Creates the folder and its missing parents: 0 success, 1 failure.
u32 CreateFolderRecursive(const std::wstring& path);
u32 EnsureFolderExists(const std::wstring& path);

} // namespace file
