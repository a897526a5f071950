#pragma once
// Pictures of the tests as PNG files: screenshots written, content images read back.
// Pixels are 0xAARRGGBB, top row first.
#include <cstdint>
#include <string>
#include <vector>

// Writes an opaque RGB picture; false when the file cannot be written.
bool WritePng(const std::string& path, const std::vector<std::uint32_t>& argb, int width, int height);
// Reads any PNG (palette, grey and 16-bit ones converted); false when the file is
// missing or not a PNG.
bool ReadPng(const std::string& path, std::vector<std::uint32_t>& argb, int& width, int& height);
