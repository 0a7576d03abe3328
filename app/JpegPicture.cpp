#include "app/JpegPicture.h"

#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the
// decoder, which then gives up on the picture.
struct JumpingErrorManager {
    jpeg_error_mgr base{};
    std::jmp_buf jump{};
};

[[noreturn]] void JumpOnError(j_common_ptr info) {
    auto* manager = reinterpret_cast<JumpingErrorManager*>(info->err);
    std::longjmp(manager->jump, 1);
}

void IgnoreMessage(j_common_ptr /*info*/) {}

struct DecompressDeleter {
    void operator()(jpeg_decompress_struct* info) const { jpeg_destroy_decompress(info); }
};

// Reads the scanlines into a picture of the header's size. Only trivially destructible state lives
// between the setjmp in DecodeJpeg and a jump out of libjpeg.
bool ReadScanlines(jpeg_decompress_struct& info, QImage& picture) {
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    picture = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                     QImage::Format_RGB888);
    if (picture.isNull())
        return false;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = picture.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

QImage DecodeJpeg(const std::vector<unsigned char>& bytes) {
    if (bytes.empty())
        return {};
    QImage picture;
    jpeg_decompress_struct info{};
    JumpingErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOnError;
    errors.base.output_message = IgnoreMessage;
    jpeg_create_decompress(&info);
    const std::unique_ptr<jpeg_decompress_struct, DecompressDeleter> owner(&info);
    if (setjmp(errors.jump) != 0)
        return {};
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || !ReadScanlines(info, picture))
        return {};
    return picture;
}
