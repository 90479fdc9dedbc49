#include "codec/jpeg_error.h"

#include <cstring>

#include <jerror.h>

namespace stillpix::codec {
namespace {

JpegError& ErrorOf(j_common_ptr common) { return *reinterpret_cast<JpegError*>(common->err); }

[[noreturn]] void OnFatal(j_common_ptr common) {
    JpegError& error = ErrorOf(common);
    if (error.tooManyScans)
        std::snprintf(error.message, sizeof error.message, "the JPEG file has too many scans");
    else (*common->err->format_message)(common, error.message);
    std::longjmp(error.jump, 1);
}

void OnMessage(j_common_ptr common, int level) {
    if (level >= 0) return;  // trace output
    // A file cut short is an error, not a grey lower half.
    if (common->err->msg_code == JWRN_JPEG_EOF) OnFatal(common);
    ++common->err->num_warnings;
}

}  // namespace

void InstallJpegError(JpegError& error, j_common_ptr common) {
    common->err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnFatal;
    error.manager.emit_message = OnMessage;
}

}  // namespace stillpix::codec
