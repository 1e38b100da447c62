#include "scheme/SchemeJpeg.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace tralcon {

namespace {

struct TErrorManager {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
    bool Warned;
};

[[noreturn]] void ErrorExit(j_common_ptr info) {
    auto* err = reinterpret_cast<TErrorManager*>(info->err);
    (*info->err->format_message)(info, err->Message);
    std::longjmp(err->Jump, 1);
}

void EmitMessage(j_common_ptr info, int level) {
    // Warnings (level < 0) are damaged data: libjpeg would carry on and
    // paint grey where the file ends. The first one is kept as the error.
    auto* err = reinterpret_cast<TErrorManager*>(info->err);
    if (level < 0 && !err->Warned) {
        err->Warned = true;
        (*info->err->format_message)(info, err->Message);
    }
}

// Everything the decoder touches between setjmp and longjmp lives here,
// with trivial destruction, so jumping out leaks nothing.
struct TDecoder {
    jpeg_decompress_struct Info;
    TErrorManager Err;
};

} // namespace

bool LooksLikeJpeg(std::string_view bytes) {
    return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xD8 &&
           static_cast<unsigned char>(bytes[2]) == 0xFF;
}

TJpegResult DecodeJpeg(std::string_view bytes, int minSide) {
    TJpegResult result;
    if (bytes.empty()) {
        result.Error = "Empty input file";
        return result;
    }
    TDecoder d{};
    d.Info.err = jpeg_std_error(&d.Err.Base);
    d.Err.Base.error_exit = ErrorExit;
    d.Err.Base.emit_message = EmitMessage;
    std::vector<unsigned char> row;
    if (setjmp(d.Err.Jump) != 0) {
        jpeg_destroy_decompress(&d.Info);
        result.Ok = false;
        result.Error = d.Err.Message;
        result.Picture = {};
        return result;
    }
    jpeg_create_decompress(&d.Info);
    d.Info.mem->max_memory_to_use = kJpegMaxMemory;
    jpeg_mem_src(&d.Info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&d.Info, TRUE);
    d.Info.out_color_space = JCS_RGB;
    d.Info.scale_num = 1;
    d.Info.scale_denom = 1;
    for (unsigned denom : {8u, 4u, 2u}) {
        if ((d.Info.image_width + denom - 1) / denom >= static_cast<unsigned>(minSide) &&
            (d.Info.image_height + denom - 1) / denom >= static_cast<unsigned>(minSide)) {
            d.Info.scale_denom = denom;
            break;
        }
    }
    jpeg_calc_output_dimensions(&d.Info);
    const long long pixels =
        static_cast<long long>(d.Info.output_width) * static_cast<long long>(d.Info.output_height);
    if (pixels <= 0 || pixels > kJpegMaxDecodedPixels || d.Info.output_components != 3) {
        jpeg_destroy_decompress(&d.Info);
        result.Error = "Picture too large";
        return result;
    }
    jpeg_start_decompress(&d.Info);
    result.Picture.Width = static_cast<int>(d.Info.output_width);
    result.Picture.Height = static_cast<int>(d.Info.output_height);
    result.Picture.Pixels.reserve(static_cast<std::size_t>(pixels));
    row.resize(static_cast<std::size_t>(d.Info.output_width) * 3);
    while (d.Info.output_scanline < d.Info.output_height && !d.Err.Warned) {
        JSAMPROW rows[1] = {row.data()};
        if (jpeg_read_scanlines(&d.Info, rows, 1) != 1)
            break;
        for (std::size_t x = 0; x < d.Info.output_width; ++x)
            result.Picture.Pixels.push_back((std::uint32_t{row[3 * x]} << 16) |
                                            (std::uint32_t{row[3 * x + 1]} << 8) |
                                            std::uint32_t{row[3 * x + 2]});
    }
    const bool complete = d.Info.output_scanline == d.Info.output_height && !d.Err.Warned;
    if (complete)
        jpeg_finish_decompress(&d.Info);
    jpeg_destroy_decompress(&d.Info);
    if (!complete || d.Err.Warned) {
        result.Error = d.Err.Warned ? d.Err.Message : "Premature end of JPEG file";
        result.Picture = {};
        return result;
    }
    result.Ok = true;
    return result;
}

} // namespace tralcon
