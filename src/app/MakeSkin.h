// SPDX-License-Identifier: MIT

#pragma once

#include "app/CommandLine.h"
#include "platform/IPictureCodec.h"

#include <string>

// tarvik --make-skin PICTURE: writes the skin file for the picture beside it, named after
// it with ".inf", never over an existing one. skinsFolder is where the user's skins go,
// named in the answer. Status 0 with what was written; 2 when the picture cannot be read
// or holds no display; 1 when the file exists or cannot be written.
CommandLineExit MakeSkin(const std::string& picturePath, IPictureCodec& codec,
                         const std::string& skinsFolder);
