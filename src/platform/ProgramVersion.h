#pragma once

// The program's version numbers: on Windows from the executable's version resource,
// elsewhere (or without one) those the program was built with.
struct VersionNumbers {
    int Major = 0;
    int Minor = 0;
    int Revision = 0;
};

VersionNumbers ProgramVersion();
