#pragma once

#include <functional>
#include <string>

// A seam for tests that make a write fail as a full disk would: when set, it is asked
// before each file write and returns the error number to fail with, or 0 to write.
inline std::function<int(const std::string& path)> InjectedWriteFault;

inline int WriteFaultFor(const std::string& path) {
    return InjectedWriteFault ? InjectedWriteFault(path) : 0;
}
