#include "platform/ImageDecoder.h"

#include "platform/Files.h"
#include "support/Log.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <jpeglib.h>
#include <new>
#include <png.h>

namespace platform {

namespace {

// Pictures larger than this on a side are refused before decoding; no
// texture can hold them anyway.
constexpr png_uint_32 kMaxSide = 16384;
// PNG files larger than this are not read.
constexpr size_t kMaxFileBytes = size_t(64) << 20;

// Everything the libpng callbacks touch lives here, outside the frame that
// setjmp returns to, so nothing of it is lost by the long jump.
struct PngReader {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t offset = 0;
    char error[128] = "";
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    int width = 0, height = 0, bitDepth = 8;
    png_uint_32 maxSide = kMaxSide;
    bool alpha = false;
};

void readData(png_structp png, png_bytep out, size_t length) {
    auto* r = static_cast<PngReader*>(png_get_io_ptr(png));
    if (length > r->size - r->offset) png_error(png, "truncated data");
    std::memcpy(out, r->data + r->offset, length);
    r->offset += length;
}

void onError(png_structp png, png_const_charp message) {
    auto* r = static_cast<PngReader*>(png_get_error_ptr(png));
    std::snprintf(r->error, sizeof r->error, "%s", message ? message : "error");
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// Runs libpng; only plain data lives in this frame across setjmp.
bool decodePng(PngReader* r) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, r, onError, onWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, r, readData);
    png_set_user_limits(png, r->maxSide, r->maxSide);
    png_set_chunk_malloc_max(png, 8 << 20);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS);
    r->alpha = (colorType & PNG_COLOR_MASK_ALPHA) || hasTrns;
    r->bitDepth = colorType == PNG_COLOR_TYPE_PALETTE ? 8 : bitDepth;

    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (hasTrns) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_scale_16(png);
    if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    if (!r->alpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4) png_error(png, "unexpected layout");

    r->width = int(width);
    r->height = int(height);
    bool allocated = true;
    try {
        r->pixels.resize(size_t(width) * height * 4);
        r->rows.resize(height);
    } catch (const std::bad_alloc&) {
        allocated = false;
    }
    if (!allocated) png_error(png, "out of memory");
    for (png_uint_32 y = 0; y < height; ++y)
        r->rows[y] = r->pixels.data() + size_t(y) * width * 4;
    png_read_image(png, r->rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

struct JpegReader {
    jpeg_error_mgr errors;
    jpeg_progress_mgr progress;
    jmp_buf jump;
    int maxSide = int(kMaxSide);
    char error[JMSG_LENGTH_MAX] = "";
    std::vector<uint8_t> pixels;
    int width = 0, height = 0;
};

void onJpegError(j_common_ptr info) {
    auto* r = static_cast<JpegReader*>(info->client_data);
    (*info->err->format_message)(info, r->error);
    std::longjmp(r->jump, 1);
}

void onJpegMessage(j_common_ptr, int) {}

// Progressive files of endless scans would keep the decoder busy for ever.
void onJpegProgress(j_common_ptr info) {
    auto* d = reinterpret_cast<j_decompress_ptr>(info);
    if (d->is_decompressor && d->input_scan_number > 256) {
        auto* r = static_cast<JpegReader*>(info->client_data);
        std::snprintf(r->error, sizeof r->error, "too many scans");
        std::longjmp(r->jump, 1);
    }
}

// Runs libjpeg; only plain data lives in this frame across setjmp.
bool decodeJpeg(JpegReader* r, const uint8_t* data, size_t size) {
    jpeg_decompress_struct cinfo;
    cinfo.client_data = r;
    cinfo.err = jpeg_std_error(&r->errors);
    r->errors.error_exit = onJpegError;
    r->errors.emit_message = onJpegMessage;
    if (setjmp(r->jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.client_data = r;
    r->progress.progress_monitor = onJpegProgress;
    cinfo.progress = &r->progress;
    cinfo.mem->max_memory_to_use = long(256) << 20;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width == 0 || cinfo.image_height == 0 ||
        cinfo.image_width > unsigned(r->maxSide) || cinfo.image_height > unsigned(r->maxSide)) {
        std::snprintf(r->error, sizeof r->error, "picture too large");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        std::snprintf(r->error, sizeof r->error, "CMYK pictures are not supported");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&cinfo);
    r->width = int(cinfo.output_width);
    r->height = int(cinfo.output_height);
    bool allocated = true;
    try {
        r->pixels.resize(size_t(r->width) * size_t(r->height) * 4);
    } catch (const std::bad_alloc&) {
        allocated = false;
    }
    if (!allocated) {
        std::snprintf(r->error, sizeof r->error, "out of memory");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = r->pixels.data() + size_t(cinfo.output_scanline) * size_t(r->width) * 4;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool isJpeg(const uint8_t* data, size_t size) {
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

uint8_t mul(uint8_t c, uint8_t a) {
    return uint8_t((unsigned(c) * a + 127) / 255);
}

} // namespace

Ref<DecodedImage> DecodedImage::imageWithData(const uint8_t* data, size_t size, int maxSide) {
    maxSide = std::clamp(maxSide, 1, int(kMaxSide));
    if (data && isJpeg(data, size)) {
        auto reader = std::make_unique<JpegReader>();
        reader->maxSide = maxSide;
        if (!decodeJpeg(reader.get(), data, size)) {
            ccLog("Image: cannot decode JPEG: %s", reader->error);
            return nullptr;
        }
        auto image = make<DecodedImage>();
        image->width_ = reader->width;
        image->height_ = reader->height;
        image->alpha_ = ImageAlpha::None;
        image->pixels_ = std::move(reader->pixels);
        return image;
    }
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        ccLog("Image: not a PNG or JPEG");
        return nullptr;
    }
    PngReader reader;
    reader.data = data;
    reader.size = size;
    reader.maxSide = png_uint_32(maxSide);
    if (!decodePng(&reader)) {
        ccLog("Image: cannot decode PNG: %s", reader.error[0] ? reader.error : "no memory");
        return nullptr;
    }
    auto image = make<DecodedImage>();
    image->width_ = reader.width;
    image->height_ = reader.height;
    image->bitsPerComponent_ = reader.bitDepth;
    image->alpha_ = reader.alpha ? ImageAlpha::Premultiplied : ImageAlpha::None;
    image->pixels_ = std::move(reader.pixels);
    if (reader.alpha) {
        auto& p = image->pixels_;
        for (size_t i = 0; i < p.size(); i += 4) {
            p[i] = mul(p[i], p[i + 3]);
            p[i + 1] = mul(p[i + 1], p[i + 3]);
            p[i + 2] = mul(p[i + 2], p[i + 3]);
        }
    }
    return image;
}

Ref<DecodedImage> DecodedImage::imageWithContentsOfFile(const std::string& path) {
    auto bytes = readFile(path, kMaxFileBytes);
    if (!bytes) {
        ccLog("Image: cannot read %s", path.c_str());
        return nullptr;
    }
    return imageWithData(bytes->data(), bytes->size());
}

Ref<DecodedImage> DecodedImage::imageWithRGBA(int width, int height, std::vector<uint8_t> rgba,
                                              ImageAlpha alpha, int bitsPerComponent) {
    if (width <= 0 || height <= 0 || rgba.size() != size_t(width) * size_t(height) * 4)
        return nullptr;
    auto image = make<DecodedImage>();
    image->width_ = width;
    image->height_ = height;
    image->alpha_ = alpha;
    image->bitsPerComponent_ = bitsPerComponent;
    image->pixels_ = std::move(rgba);
    return image;
}

Ref<DecodedImage> DecodedImage::maskWithCoverage(int width, int height,
                                                 std::vector<uint8_t> coverage) {
    if (width <= 0 || height <= 0 || coverage.size() != size_t(width) * size_t(height))
        return nullptr;
    auto image = make<DecodedImage>();
    image->width_ = width;
    image->height_ = height;
    image->alpha_ = ImageAlpha::Straight;
    image->hasColorSpace_ = false;
    image->pixels_ = std::move(coverage);
    return image;
}

bool DecodedImage::drawInto(uint8_t* buffer, int bufferWidth, int bufferHeight,
                            ImageBufferFormat format) const {
    if (!buffer || pixels_.empty() || bufferWidth < width_ || bufferHeight < height_) return false;
    const size_t bytesOut = format == ImageBufferFormat::Alpha8 ? 1 : 4;
    for (int y = 0; y < height_; ++y) {
        uint8_t* out = buffer + size_t(y) * size_t(bufferWidth) * bytesOut;
        if (!hasColorSpace_) {
            // A mask paints white through its coverage.
            const uint8_t* in = pixels_.data() + size_t(y) * size_t(width_);
            for (int x = 0; x < width_; ++x, out += bytesOut) {
                if (bytesOut == 1) {
                    out[0] = in[x];
                } else {
                    out[0] = out[1] = out[2] = in[x];
                    out[3] = format == ImageBufferFormat::RGBNoAlpha ? 0 : in[x];
                }
            }
            continue;
        }
        const uint8_t* in = pixels_.data() + size_t(y) * size_t(width_) * 4;
        for (int x = 0; x < width_; ++x, in += 4, out += bytesOut) {
            uint8_t a = alpha_ == ImageAlpha::None ? 255 : in[3];
            if (format == ImageBufferFormat::Alpha8) {
                out[0] = a;
                continue;
            }
            bool straight = alpha_ == ImageAlpha::Straight;
            out[0] = straight ? mul(in[0], a) : in[0];
            out[1] = straight ? mul(in[1], a) : in[1];
            out[2] = straight ? mul(in[2], a) : in[2];
            out[3] = format == ImageBufferFormat::RGBNoAlpha ? 0 : a;
        }
    }
    return true;
}

} // namespace platform
