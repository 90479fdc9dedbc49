// Inside the document: a codec session closed on every way out, and the error-out helper the
// image's load and save share.
#pragma once

#include <string>

#include "codec/codec.h"

namespace stillpix::document_internal {

inline bool Fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

struct Session {
    CodecHandle h = cNewSession();
    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() {
        if (h) {
            cUnload(*h);
            cDestroySession(h);
        }
    }
    std::string Error() const { return h ? cGetLastError(*h) : "out of memory"; }
};

}  // namespace stillpix::document_internal
