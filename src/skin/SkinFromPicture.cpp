// SPDX-License-Identifier: MIT

#include "skin/SkinFromPicture.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

namespace {

// Pixel kinds in the mask.
constexpr std::uint8_t Opaque = 0, Enclosed = 1, Open = 2;

// Space left between the display and a hot spot.
constexpr int Gap = 2;

constexpr SkinRect Absent{-1, -1, -2, -2};

std::size_t At(int x, int y, int width) {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
}

// See-through pixels as Enclosed, the rest Opaque.
std::vector<std::uint8_t> SeeThrough(const Image& image) {
    std::vector<std::uint8_t> mask(image.Pixels.size());
    const std::uint32_t key = image.Pixels[0] & 0xffffffu;
    if (image.Alpha)
        std::transform(image.Pixels.begin(), image.Pixels.end(), mask.begin(),
                       [](std::uint32_t p) { return p < 0x80000000u ? Enclosed : Opaque; });
    else
        std::transform(
            image.Pixels.begin(), image.Pixels.end(), mask.begin(),
            [key](std::uint32_t p) { return (p & 0xffffffu) == key ? Enclosed : Opaque; });
    return mask;
}

// Marks Open the see-through pixels joined to the border through their four neighbours,
// a row's run at a time.
void OpenFromTheBorder(std::vector<std::uint8_t>& mask, int width, int height) {
    std::vector<std::pair<int, int>> seeds;
    for (int x = 0; x < width; ++x)
        seeds.insert(seeds.end(), {{x, 0}, {x, height - 1}});
    for (int y = 0; y < height; ++y)
        seeds.insert(seeds.end(), {{0, y}, {width - 1, y}});
    while (!seeds.empty()) {
        const auto [x, y] = seeds.back();
        seeds.pop_back();
        std::uint8_t* row = &mask[At(0, y, width)];
        if (row[x] != Enclosed)
            continue;
        int left = x, right = x;
        while (left > 0 && row[left - 1] == Enclosed)
            --left;
        while (right + 1 < width && row[right + 1] == Enclosed)
            ++right;
        std::fill(row + left, row + right + 1, Open);
        for (const int next : {y - 1, y + 1}) {
            if (next < 0 || next >= height)
                continue;
            const std::uint8_t* other = &mask[At(0, next, width)];
            for (int i = left; i <= right; ++i)
                if (other[i] == Enclosed && (i == left || other[i - 1] != Enclosed))
                    seeds.emplace_back(i, next);
        }
    }
}

// The largest rectangle of Enclosed pixels, the first found from the top; empty if none.
SkinRect LargestEnclosed(const std::vector<std::uint8_t>& mask, int width, int height) {
    std::vector<int> run(static_cast<std::size_t>(width) + 1, 0), stack;
    long long best = 0;
    SkinRect found{0, 0, 0, 0};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            run[x] = mask[At(x, y, width)] == Enclosed ? run[x] + 1 : 0;
        // Each column's run, widened over its neighbours at least as tall.
        stack.clear();
        for (int x = 0; x <= width; ++x) {
            while (!stack.empty() && run[stack.back()] >= run[x]) {
                const int h = run[stack.back()];
                stack.pop_back();
                const int left = stack.empty() ? 0 : stack.back() + 1;
                const long long area = static_cast<long long>(h) * (x - left);
                if (area > best) {
                    best = area;
                    found = {static_cast<std::int16_t>(left), static_cast<std::int16_t>(y - h + 1),
                             static_cast<std::int16_t>(x), static_cast<std::int16_t>(y + 1)};
                }
            }
            stack.push_back(x);
        }
    }
    return found;
}

enum class Prefer { Highest, Lowest }; // the row of the hot spot, in the band
enum class Side { Left, Right };

// A hot spot whose w + 1 by h + 1 pixels are all opaque, within the rows [top, bottom] and
// the columns [begin, end): as high or low in the band as it goes, in its row as far left
// or right. Absent when none fits.
SkinRect FitOnFrame(const std::vector<std::uint8_t>& mask, int width, int begin, int end, int top,
                    int bottom, int w, int h, Prefer prefer, Side side) {
    // Opaque pixels in each column from the band's top down to the row being read.
    std::vector<int> run(static_cast<std::size_t>(width), 0);
    SkinRect spot = Absent;
    for (int y = std::max(top, 0); y <= bottom; ++y) {
        int across = 0, found = -1;
        for (int x = begin; x < end; ++x) {
            run[x] = mask[At(x, y, width)] == Opaque ? run[x] + 1 : 0;
            across = run[x] > h ? across + 1 : 0;
            if (across > w && (found < 0 || side == Side::Right))
                found = x - w;
        }
        if (found < 0)
            continue;
        spot = {static_cast<std::int16_t>(found), static_cast<std::int16_t>(y - h),
                static_cast<std::int16_t>(found + w), static_cast<std::int16_t>(y)};
        if (prefer == Prefer::Highest)
            break;
    }
    return spot;
}

std::string RectText(const SkinRect& r) {
    if (r.Right < r.Left)
        return "(-1,-1,-1,-1)";
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "(" + std::string.
    std::string text = "(";
    text += std::to_string(r.Left) + ", " + std::to_string(r.Top) + ", ";
    text += std::to_string(r.Right - r.Left) + ", " + std::to_string(r.Bottom - r.Top) + ")";
    return text;
}

} // namespace

std::optional<FoundSkin> FindSkinInPicture(const Image& image) {
    const int width = image.Width, height = image.Height;
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767)
        return std::nullopt;
    try {
        std::vector<std::uint8_t> mask = SeeThrough(image);
        OpenFromTheBorder(mask, width, height);
        FoundSkin skin{LargestEnclosed(mask, width, height), Absent, Absent, Absent};
        const SkinRect& shot = skin.Shot;
        if (shot.Right <= shot.Left)
            return std::nullopt;
        const int middle = (shot.Left + shot.Right) / 2;
        skin.Close = FitOnFrame(mask, width, shot.Left, shot.Right, 0, shot.Top - Gap - 1,
                                FoundCloseSize, FoundCloseSize, Prefer::Lowest, Side::Right);
        skin.Save = FitOnFrame(mask, width, shot.Left, middle, shot.Bottom + Gap, height - 1,
                               FoundKeyWidth, FoundKeyHeight, Prefer::Highest, Side::Left);
        skin.SaveAs = FitOnFrame(mask, width, middle, shot.Right, shot.Bottom + Gap, height - 1,
                                 FoundKeyWidth, FoundKeyHeight, Prefer::Highest, Side::Right);
        return skin;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::string SkinFileText(const std::string& pictureName, const FoundSkin& skin) {
    const SkinRect& shot = skin.Shot;
    return "# " + pictureName + ": a display of " + std::to_string(shot.Right - shot.Left) + " x " +
           std::to_string(shot.Bottom - shot.Top) +
           " pixels, made by tarvik --make-skin\r\n"
           "image = " +
           pictureName + "\r\nshot = " + RectText(shot) + "\r\nclose = " + RectText(skin.Close) +
           "\r\nsave = " + RectText(skin.Save) + "\r\nsaveas = " + RectText(skin.SaveAs) + "\r\n";
}
