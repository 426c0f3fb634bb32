// SPDX-License-Identifier: MIT

#include "backends/wayland/ScreenshotPng.h"

#include <QByteArray>

#include <libdeflate.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

namespace {

std::uint32_t Big32(const unsigned char* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// The Paeth predictor of a (left), b (above) and c (upper left): the one nearest a + b - c,
// ties going to a, then b. Worked out for each b and c, a itself is nearest outside the
// open range between b and 3c - 2b; inside it, b is nearest on b's side of (3c - b) / 2.
// Only the last steps wait for a, the value that chains from pixel to pixel. No branches:
// on a photograph they would go either way at random.
int Paeth(int a, int b, int c) {
    const int t = 3 * c - 2 * b, m = 3 * c - b;
    const int bLower = -static_cast<int>(b < t); // all ones or none, as the masks below
    const int lo = t ^ ((b ^ t) & bLower), hi = b ^ ((b ^ t) & bLower);
    const int flip = -static_cast<int>(b < c);
    const int towardB = ~((((2 * a - m) ^ flip) - flip) >> 31);
    const int inside = ((lo - a) & (a - hi)) >> 31;
    const int inner = c ^ ((b ^ c) & towardB);
    return a ^ ((inner ^ a) & inside);
}

// The channels of a pixel side by side, each one's left and upper-left neighbours in
// registers: a round trip through memory would lengthen the chain from pixel to pixel.
// Bytes begin..end of the row; those before begin are unfiltered already.
template <int Bpp>
void PaethRow(unsigned char* row, const unsigned char* prior, std::size_t begin, std::size_t end) {
    const auto before = [begin](const unsigned char* bytes, int k) {
        return begin > 0 && k < Bpp ? int{bytes[begin - Bpp + k]} : 0;
    };
    int a0 = before(row, 0), a1 = before(row, 1), a2 = before(row, 2), a3 = before(row, 3);
    int c0 = before(prior, 0), c1 = before(prior, 1), c2 = before(prior, 2), c3 = before(prior, 3);
    const auto step = [](unsigned char& out, int b, int& a, int& c) {
        a = (out + Paeth(a, b, c)) & 0xff;
        out = static_cast<unsigned char>(a);
        c = b;
    };
    for (std::size_t i = begin; i < end; i += Bpp) {
        step(row[i], prior[i], a0, c0);
        step(row[i + 1], prior[i + 1], a1, c1);
        step(row[i + 2], prior[i + 2], a2, c2);
        if constexpr (Bpp == 4)
            step(row[i + 3], prior[i + 3], a3, c3);
    }
}

// Undoes one row's filter in place over bytes begin..end, those before begin done already;
// prior is the row above, unfiltered (zeros for the first). The filter is a known one.
template <int Bpp>
void Unfilter(int filter, unsigned char* row, const unsigned char* prior, std::size_t begin,
              std::size_t end) {
    switch (filter) {
    case 1:
        for (std::size_t i = std::max<std::size_t>(begin, Bpp); i < end; ++i)
            row[i] = static_cast<unsigned char>(row[i] + row[i - Bpp]);
        return;
    case 2:
        for (std::size_t i = begin; i < end; ++i)
            row[i] = static_cast<unsigned char>(row[i] + prior[i]);
        return;
    case 3:
        for (std::size_t i = begin; i < std::min<std::size_t>(Bpp, end); ++i)
            row[i] = static_cast<unsigned char>(row[i] + (prior[i] >> 1));
        for (std::size_t i = std::max<std::size_t>(begin, Bpp); i < end; ++i)
            row[i] = static_cast<unsigned char>(row[i] + ((row[i - Bpp] + prior[i]) >> 1));
        return;
    case 4:
        PaethRow<Bpp>(row, prior, begin, end);
        return;
    default: // 0: none
        return;
    }
}

// Pixels first..last of every row, unfiltered and written out, row after row; done, if
// given, counts the rows finished. With left given, each row first waits until the part to
// its left is finished.
template <int Bpp>
void UnfilterColumns(unsigned char* data, std::size_t width, int height, uchar* bits,
                     std::size_t stride, std::size_t first, std::size_t last,
                     std::atomic<int>* done, const std::atomic<int>* left) {
    const std::size_t length = width * Bpp;
    const std::vector<unsigned char> zeros(length);
    const unsigned char* prior = zeros.data();
    for (int y = 0; y < height; ++y) {
        unsigned char* row = data + y * (length + 1);
        if (left)
            while (left->load(std::memory_order_acquire) <= y)
                std::this_thread::yield();
        Unfilter<Bpp>(row[0], row + 1, prior, first * Bpp, last * Bpp);
        prior = row + 1;
        auto* out = reinterpret_cast<QRgb*>(bits + y * stride);
        for (std::size_t x = first; x < last; ++x) {
            const unsigned char* p = prior + x * Bpp;
            out[x] = qRgb(p[0], p[1], p[2]);
        }
        if (done)
            done->store(y + 1, std::memory_order_release);
    }
}

// A wide picture is done on two threads: the right half of each row just behind its left.
constexpr std::size_t TwoThreadsWidth = 256;

template <int Bpp> bool Unfilter(unsigned char* data, std::size_t width, QImage& image) {
    const int height = image.height();
    for (int y = 0; y < height; ++y)
        if (data[y * (width * Bpp + 1)] > 4)
            return false;
    uchar* bits = image.bits();
    const auto stride = static_cast<std::size_t>(image.bytesPerLine());
    const std::size_t half = width / 2;
    std::atomic<int> leftDone{0};
    std::thread right;
    if (width >= TwoThreadsWidth && std::thread::hardware_concurrency() >= 2) {
        try {
            right = std::thread([&] {
                UnfilterColumns<Bpp>(data, width, height, bits, stride, half, width, nullptr,
                                     &leftDone);
            });
        } catch (const std::system_error&) {
            // no thread to be had: all of it here
        }
    }
    UnfilterColumns<Bpp>(data, width, height, bits, stride, 0, right.joinable() ? half : width,
                         &leftDone, nullptr);
    if (right.joinable())
        right.join();
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
