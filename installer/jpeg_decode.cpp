#include "installer/view_pictures.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace sv {

namespace {

// libjpeg ends a fatal error through error_exit, which must not return: it
// jumps back to decodeJpeg. No C++ object with a destructor is created
// between the setjmp and any jump back to it.
struct JumpingErrors {
    jpeg_error_mgr pub;
    std::jmp_buf back;
};

void jumpBack(j_common_ptr cinfo) {
    auto* e = reinterpret_cast<JumpingErrors*>(cinfo->err);
    std::longjmp(e->back, 1);
}

// Warnings about slightly damaged data are not worth a message box, and
// libjpeg would print them on stderr.
void quiet(j_common_ptr, int) {}

} // namespace

int decodeJpeg(ByteView jpeg, RgbPicture& out) {
    out = RgbPicture{};
    jpeg_decompress_struct cinfo;
    JumpingErrors errors;
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = jumpBack;
    errors.pub.emit_message = quiet;
    if (setjmp(errors.back)) {
        int code = errors.pub.msg_code;
        jpeg_destroy_decompress(&cinfo);
        out.width = out.height = 0;
        out.rgb.clear();
        return code > 0 ? code : 1;
    }
    jpeg_create_decompress(&cinfo);
    // An empty buffer is refused by jpeg_mem_src with its own error code.
    jpeg_mem_src(&cinfo, const_cast<unsigned char*>(jpeg.data), static_cast<unsigned long>(jpeg.size));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    const size_t stride = size_t(cinfo.output_width) * 3;
    out.rgb.resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.rgb.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return 0;
}

} // namespace sv
