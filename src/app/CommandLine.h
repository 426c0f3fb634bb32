// SPDX-License-Identifier: MIT

#pragma once

#include <functional>
#include <optional>
#include <string>

// What the command line asks for when it is not a plain start: a text to print and the
// status to exit with (0: print to standard output; otherwise to standard error).
struct CommandLineExit {
    int Status = 0;
    std::string Text;
};

// Carries out --make-skin for the picture named.
using MakeSkinCommand = std::function<CommandLineExit(const std::string& picture)>;

// Reads the arguments before any window is made. --help and --version answer and end the
// program, as does --make-skin PICTURE through makeSkin; Qt's own options are left for Qt;
// anything else is a usage error (status 2). Nothing to answer: a normal start.
std::optional<CommandLineExit> ParseCommandLine(int argc, const char* const argv[],
                                                const MakeSkinCommand& makeSkin = {});

// --frozen: on Wayland the phone frames a still screenshot even where it could be live.
bool AsksFrozen(int argc, const char* const argv[]);
