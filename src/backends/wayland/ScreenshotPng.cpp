// SPDX-License-Identifier: MIT

#include "backends/wayland/ScreenshotPng.h"

#include <QByteArray>

#include <libdeflate.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

std::uint32_t Big32(const unsigned char* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// The Paeth predictor of a (left), b (above) and c (upper left): the one nearest a + b - c,
// ties going to a, then b. Worked out for each b and c, a itself is nearest outside the
// open range between b and 3c - 2b; inside it, b is nearest on b's side of (3c - b) / 2.
// Only the last comparisons wait for a, the value that chains from pixel to pixel.
int Paeth(int a, int b, int c) {
    const int t = 3 * c - 2 * b, m = 3 * c - b;
    const int lo = std::min(b, t), hi = std::max(b, t);
    const bool towardB = b >= c ? 2 * a >= m : 2 * a <= m;
    return lo < a && a < hi ? (towardB ? b : c) : a;
}

// The channels of a pixel side by side, each one's left and upper-left neighbours in
// registers: a round trip through memory would lengthen the chain from pixel to pixel.
template <int Bpp>
void PaethRow(unsigned char* row, const unsigned char* prior, std::size_t length) {
    int a0 = 0, a1 = 0, a2 = 0, a3 = 0, c0 = 0, c1 = 0, c2 = 0, c3 = 0;
    const auto step = [](unsigned char& out, int b, int& a, int& c) {
        a = (out + Paeth(a, b, c)) & 0xff;
        out = static_cast<unsigned char>(a);
        c = b;
    };
    for (std::size_t i = 0; i < length; i += Bpp) {
        step(row[i], prior[i], a0, c0);
        step(row[i + 1], prior[i + 1], a1, c1);
        step(row[i + 2], prior[i + 2], a2, c2);
        if constexpr (Bpp == 4)
            step(row[i + 3], prior[i + 3], a3, c3);
    }
}

// Undoes one row's filter in place; prior is the row above, unfiltered (zeros for the first).
template <int Bpp>
bool Unfilter(int filter, unsigned char* row, const unsigned char* prior, std::size_t length) {
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (std::size_t i = Bpp; i < length; ++i)
            row[i] = static_cast<unsigned char>(row[i] + row[i - Bpp]);
        return true;
    case 2:
        for (std::size_t i = 0; i < length; ++i)
            row[i] = static_cast<unsigned char>(row[i] + prior[i]);
        return true;
    case 3:
        for (std::size_t i = 0; i < Bpp; ++i)
            row[i] = static_cast<unsigned char>(row[i] + (prior[i] >> 1));
        for (std::size_t i = Bpp; i < length; ++i)
            row[i] = static_cast<unsigned char>(row[i] + ((row[i - Bpp] + prior[i]) >> 1));
        return true;
    case 4:
        PaethRow<Bpp>(row, prior, length);
        return true;
    default:
        return false;
    }
}

template <int Bpp> bool Unfilter(unsigned char* data, std::size_t width, QImage& image) {
    const std::size_t length = width * Bpp;
    const std::vector<unsigned char> zeros(length);
    const unsigned char* prior = zeros.data();
    for (int y = 0; y < image.height(); ++y) {
        unsigned char* row = data + y * (length + 1);
        if (!Unfilter<Bpp>(row[0], row + 1, prior, length))
            return false;
        prior = row + 1;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (std::size_t x = 0; x < width; ++x) {
            const unsigned char* p = prior + x * Bpp;
            out[x] = qRgb(p[0], p[1], p[2]);
        }
    }
    return true;
}

std::size_t RowsSize(std::size_t width, std::size_t height, int bpp) {
    return (width * bpp + 1) * height;
}

} // namespace

PngRoom ReservePngRoom(QSize size) {
    PngRoom room;
    if (size.isEmpty())
        return room;
    room.Image = QImage(size, QImage::Format_RGB32);
    room.Image.fill(0);
    room.RowsSize = RowsSize(size.width(), size.height(), 4);
    room.Rows.reset(new (std::nothrow) unsigned char[room.RowsSize]);
    if (room.Rows)
        std::memset(room.Rows.get(), 0, room.RowsSize);
    else
        room.RowsSize = 0;
    return room;
}

QImage DecodeScreenshotPng(const QByteArray& file, PngRoom* room) {
    static const unsigned char Signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.constData());
    const std::size_t size = static_cast<std::size_t>(file.size());
    if (size < 8 + 25 || std::memcmp(bytes, Signature, 8) != 0)
        return {};

    std::size_t width = 0, height = 0;
    int bpp = 0;
    std::vector<unsigned char> compressed;
    compressed.reserve(size);
    bool ended = false;
    for (std::size_t at = 8; at + 12 <= size && !ended;) {
        const std::uint32_t length = Big32(bytes + at);
        if (length > size - at - 12)
            return {};
        const unsigned char* type = bytes + at + 4;
        const unsigned char* data = type + 4;
        if (Big32(data + length) != libdeflate_crc32(0, type, length + 4))
            return {};
        const bool header = std::memcmp(type, "IHDR", 4) == 0;
        if (header != (at == 8))
            return {};
        if (header) {
            // 8 bits, RGB (2) or RGBA (6), deflate, standard filters, not interlaced.
            if (length != 13 || data[8] != 8 || (data[9] != 2 && data[9] != 6) || data[10] ||
                data[11] || data[12])
                return {};
            width = Big32(data);
            height = Big32(data + 4);
            bpp = data[9] == 2 ? 3 : 4;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            compressed.insert(compressed.end(), data, data + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            ended = true;
        } else if (!(type[0] & 0x20)) {
            return {}; // a critical chunk this path does not know, such as a palette
        }
        at += 12 + std::size_t{length};
    }
    constexpr std::size_t Side = 1 << 14;
    if (!ended || width == 0 || height == 0 || width > Side || height > Side)
        return {};

    const QSize picture(static_cast<int>(width), static_cast<int>(height));
    QImage image;
    if (room && room->Image.size() == picture)
        image = std::move(room->Image);
    else
        image = QImage(picture, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    // The filtered rows, each led by its filter type; all of them, no more and no less.
    const std::size_t rowsSize = RowsSize(width, height, bpp);
    std::unique_ptr<unsigned char[]> rows;
    if (room && room->RowsSize >= rowsSize)
        rows = std::move(room->Rows);
    else
        rows.reset(new (std::nothrow) unsigned char[rowsSize]);
    if (!rows)
        return {};
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    if (!inflater)
        return {};
    const libdeflate_result inflated = libdeflate_zlib_decompress(
        inflater, compressed.data(), compressed.size(), rows.get(), rowsSize, nullptr);
    libdeflate_free_decompressor(inflater);
    if (inflated != LIBDEFLATE_SUCCESS)
        return {};
    const bool ok =
        bpp == 3 ? Unfilter<3>(rows.get(), width, image) : Unfilter<4>(rows.get(), width, image);
    return ok ? image : QImage();
}
