#pragma once

#include <functional>

// A seam for tests that watch or fail the JPEG encoder: when set, it is asked before each
// encode and returns the status to fail with (IJL_MEMORY_ERROR, say), or 0 to encode.
inline std::function<int()> InjectedEncodeFault;

inline int EncodeFault() {
    return InjectedEncodeFault ? InjectedEncodeFault() : 0;
}
