// SPDX-License-Identifier: MIT

#pragma once

#include "platform/ProgramVersion.h"

#include <optional>
#include <string>

// The file version of an executable's version resource; none when it has no such resource.
std::optional<VersionNumbers> ResourceVersion(const std::string& executable);

// The running program's version resource, or the numbers it was built with.
VersionNumbers ProgramVersion();
