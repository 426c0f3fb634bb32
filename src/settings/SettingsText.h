// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The settings file's text, with no file behind it:
//
//   [Software\Mobrin_Tarvik]
//   "SkinFile"="Default"
//   "JPEG Quality"=dword:100
//
// Key paths and value names compare without regard to ASCII case.
namespace SettingsText {

struct Value {
    std::string Name;
    bool IsNumber = false;
    std::string Text;
    std::int32_t Number = 0;
};
struct Key {
    std::string Path;
    std::vector<Value> Values;
};
using Contents = std::vector<Key>;

// Reads the text line by line: a line that cannot be read is skipped, and so are the
// values below a key line that cannot be read. A later line for a key or value already
// read adds to it or replaces it. skipped, when given, counts the lines skipped.
Contents Parse(const std::string& text, std::size_t* skipped = nullptr);
// A text that Parse reads back as the same contents.
std::string Write(const Contents& contents);

} // namespace SettingsText
