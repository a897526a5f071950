// The JPEG thumbnail of image resources 1033 and 1036, decoded through libjpeg.
#include "Core/Psd/PsdReader.h"

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace {

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void OnJpegMessage(j_common_ptr, int) {}

// What the decoder hands back; kept outside the function that jumps.
struct JpegResult {
    u32 width = 0;
    u32 height = 0;
    int components = 0;
    bool adobeInverted = false;
    std::vector<u8> rgb; // width x height x 3 (x 4 for CMYK input, converted in place)
};

// 0 on success, PSD_ERR_THUMBNAIL on a libjpeg error or an unusable image,
// PSD_ERR_SHORT when the image is larger than the document may decode.
int DecodeJpeg(PsdContext* ctx, const u8* data, u32 size, JpegResult* result)
{
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnJpegError;
    error.manager.emit_message = OnJpegMessage;
    volatile bool created = false;
    volatile int status = PSD_ERR_THUMBNAIL;
    if (setjmp(error.jump) == 0) {
        jpeg_create_decompress(&info);
        created = true;
        jpeg_mem_src(&info, data, size);
        jpeg_read_header(&info, TRUE);
        info.buffered_image = FALSE;
        info.do_fancy_upsampling = FALSE;
        info.do_block_smoothing = FALSE;
        if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK)
            info.out_color_space = JCS_CMYK;
        else
            info.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info);
        const int components = info.output_components;
        const u64 pixels = u64(info.output_width) * info.output_height;
        if ((components != 3 && components != 4) || pixels == 0) {
            status = PSD_ERR_THUMBNAIL;
        } else if (!PsdReserveDecoded(ctx, pixels * (4 + components), L"thumbnail")) {
            status = PSD_ERR_SHORT;
        } else {
            result->width = info.output_width;
            result->height = info.output_height;
            result->components = components;
            result->adobeInverted = info.saw_Adobe_marker;
            result->rgb.assign(pixels * components, 0);
            const u64 stride = u64(info.output_width) * components;
            while (info.output_scanline < info.output_height) {
                JSAMPROW row = result->rgb.data() + stride * info.output_scanline;
                if (jpeg_read_scanlines(&info, &row, 1) != 1)
                    break; // the data ended; the rest stays black
            }
            jpeg_finish_decompress(&info);
            status = PSD_OK;
        }
    }
    if (created)
        jpeg_destroy_decompress(&info);
    return status;
}

} // namespace

int DecodePsdThumbnail(PsdContext* ctx, const u8* data, u32 size)
{
    if (size == 0)
        return PsdFail(ctx, PSD_ERR_THUMBNAIL, L"the thumbnail has no data");
    JpegResult jpeg;
    const int status = DecodeJpeg(ctx, data, size, &jpeg);
    if (status != PSD_OK)
        return PsdFail(ctx, status, L"the thumbnail cannot be decoded");
    const u64 pixels = u64(jpeg.width) * jpeg.height;
    ctx->thumbnailPixels.assign(pixels, 0);
    const u8* p = jpeg.rgb.data();
    for (u64 i = 0; i < pixels; ++i, p += jpeg.components) {
        u32 r = p[0], g = p[1], b = p[2];
        if (jpeg.components == 4) {
            const u32 k = p[3];
            if (jpeg.adobeInverted) {
                r = r * k / 255;
                g = g * k / 255;
                b = b * k / 255;
            } else {
                r = (255 - r) * (255 - k) / 255;
                g = (255 - g) * (255 - k) / 255;
                b = (255 - b) * (255 - k) / 255;
            }
        }
        ctx->thumbnailPixels[i] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
    ctx->thumbnailPixelWidth = jpeg.width;
    ctx->thumbnailPixelHeight = jpeg.height;
    return PSD_OK;
}
