// SPDX-License-Identifier: MIT

#pragma once

// A program's version numbers.
struct VersionNumbers {
    int Major = 0;
    int Minor = 0;
    int Revision = 0;
};

// The numbers the program was built with; a platform may keep its own (a version
// resource) and give those instead.
inline constexpr VersionNumbers BuildVersion{TARVIK_VERSION_MAJOR, TARVIK_VERSION_MINOR,
                                             TARVIK_VERSION_PATCH};
