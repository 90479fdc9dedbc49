// Inside the codec: libjpeg's error handling. libjpeg reports a fatal error by calling a handler
// that must not return; ours keeps the message and longjmps back to the setjmp of the stage that
// called libjpeg. Such a stage is a plain function holding no object with a destructor, so the
// jump skips nothing that needs cleaning up; the owners of the libjpeg state live in its caller.
#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace stillpix::codec {

struct JpegError {
    jpeg_error_mgr manager;  // first, so libjpeg's pointer to it is a pointer to this
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
    bool tooManyScans = false;
};

// Sets up `error` for `common` (call before jpeg_create_*).
void InstallJpegError(JpegError& error, j_common_ptr common);

}  // namespace stillpix::codec
