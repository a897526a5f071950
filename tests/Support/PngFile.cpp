#include "tests/Support/PngFile.h"

#include <cstdio>
#include <png.h>

bool WritePng(const std::string& path, const std::vector<std::uint32_t>& argb, int width, int height)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info;
    std::vector<png_byte> row(static_cast<size_t>(width) * 4);
    if (ok && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint32_t p = argb[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
                row[static_cast<size_t>(x) * 4 + 0] = static_cast<png_byte>(p >> 16);
                row[static_cast<size_t>(x) * 4 + 1] = static_cast<png_byte>(p >> 8);
                row[static_cast<size_t>(x) * 4 + 2] = static_cast<png_byte>(p);
                row[static_cast<size_t>(x) * 4 + 3] = 255; // the window is opaque
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    } else {
        ok = false;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    std::fclose(file);
    return ok;
}

bool ReadPng(const std::string& path, std::vector<std::uint32_t>& argb, int& width, int& height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_BGRA; // little-endian words of 0xAARRGGBB
    std::vector<std::uint32_t> pixels(static_cast<size_t>(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    argb.swap(pixels);
    return true;
}
