// The engine's entry points report failure as false: running out of memory (or threads) inside a
// run must not leave the engine as an exception, least of all through a caller that only looks at
// the result. Everything a run holds is owned by objects on its stack, so unwinding releases it.
// An exception of the caller's own callbacks is the caller's, and passes through.
#pragma once

#include <new>
#include <stdexcept>
#include <system_error>

namespace stillpix {

template <class Body>
bool FalseOnException(Body&& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {  // a buffer larger than any allocation could be
        return false;
    } catch (const std::system_error&) {  // no thread or lock to be had
        return false;
    }
}

}  // namespace stillpix
