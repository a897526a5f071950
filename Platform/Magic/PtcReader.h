#pragma once
// Reads a ".ptc" effect file from memory into a PtcDocument.
#include "Platform/Magic/PtcDocument.h"

#include <cstddef>
#include <string>

namespace magic {

// The four bytes every effect file starts with, and the one version this library knows.
constexpr char kPtcMagic[4] = {'G', 'E', 'P', 'F'};
constexpr uint32_t kPtcVersion = 1;

// Parses and validates size bytes. On failure returns false with one line in error
// (what is wrong and at which byte offset); document is then unspecified.
bool ReadPtcDocument(const void* data, size_t size, PtcDocument& document, std::string& error);

} // namespace magic
