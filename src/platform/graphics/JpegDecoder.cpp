#include "platform/graphics/JpegDecoder.h"

// clang-format off
#include <cstdio>
#include <csetjmp>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <cstring>
#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/graphics/ImageLimits.h"

namespace {

// Bounds for files that cost much more than they weigh. Ordinary progressive
// files have about ten scans; a 12-megapixel progressive photo keeps some 72 MB
// of coefficients, and the library refuses (it has no backing store) beyond its
// memory budget before any scan is read.
constexpr int kMaxWarnings = 1000;
constexpr int kMaxScans = 100;
constexpr long kMaxLibraryMemory = 160L << 20;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  int warnings;
};

[[noreturn]] void Fail(j_common_ptr cinfo, const char* text) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::snprintf(err->message, sizeof err->message, "%s", text);
  std::longjmp(err->jump, 1);
}

[[noreturn]] void OnError(j_common_ptr cinfo) {
  if (cinfo->err->msg_code == JERR_NO_BACKING_STORE) Fail(cinfo, "a progressive picture too large for its memory budget");
  char text[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, text);
  Fail(cinfo, text);
}

void OnMessage(j_common_ptr cinfo, int level) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (level < 0 && ++err->warnings > kMaxWarnings) Fail(cinfo, "too much corrupt data");
}

void OnProgress(j_common_ptr cinfo) {
  if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    Fail(cinfo, "too many scans");
  }
}

// CMYK as Adobe writes it is stored inverted.
void CmykToBgr(const uint8_t* cmyk, uint8_t* bgr, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const int c = inverted ? cmyk[0] : 255 - cmyk[0];
    const int m = inverted ? cmyk[1] : 255 - cmyk[1];
    const int y = inverted ? cmyk[2] : 255 - cmyk[2];
    const int k = inverted ? cmyk[3] : 255 - cmyk[3];
    bgr[0] = static_cast<uint8_t>(y * k / 255);
    bgr[1] = static_cast<uint8_t>(m * k / 255);
    bgr[2] = static_cast<uint8_t>(c * k / 255);
  }
}

struct Decompressor {
  jpeg_decompress_struct cinfo{};
  volatile bool created = false;
  ~Decompressor() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

}  // namespace

void DecodeJpeg(TBitmap& bitmap, std::span<const uint8_t> data) {
  Decompressor d;
  ErrorManager err{};
  jpeg_progress_mgr progress{};
  TBitmap result;
  std::vector<uint8_t> cmykRow;
  d.cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.emit_message = OnMessage;
  progress.progress_monitor = OnProgress;
  if (setjmp(err.jump) != 0) throw Exception(std::string("JPEG: ") + err.message);

  jpeg_create_decompress(&d.cinfo);
  d.created = true;
  d.cinfo.mem->max_memory_to_use = kMaxLibraryMemory;
  d.cinfo.progress = &progress;
  jpeg_mem_src(&d.cinfo, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&d.cinfo, TRUE);
  CheckImageSize(d.cinfo.image_width, d.cinfo.image_height);
  const bool cmyk = d.cinfo.jpeg_color_space == JCS_CMYK || d.cinfo.jpeg_color_space == JCS_YCCK;
  d.cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_start_decompress(&d.cinfo);

  result.SetSize(static_cast<int32_t>(d.cinfo.output_width), static_cast<int32_t>(d.cinfo.output_height));
  if (cmyk) cmykRow.resize(static_cast<size_t>(d.cinfo.output_width) * 4);
  while (d.cinfo.output_scanline < d.cinfo.output_height) {
    uint8_t* out = result.ScanLine(static_cast<int32_t>(d.cinfo.output_scanline));
    JSAMPROW row = cmyk ? cmykRow.data() : out;
    if (jpeg_read_scanlines(&d.cinfo, &row, 1) != 1) break;
    if (cmyk) CmykToBgr(cmykRow.data(), out, d.cinfo.output_width, d.cinfo.saw_Adobe_marker);
  }
  jpeg_finish_decompress(&d.cinfo);
  bitmap = std::move(result);
}
