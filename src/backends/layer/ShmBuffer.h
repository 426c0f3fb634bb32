// SPDX-License-Identifier: MIT

#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>

#include <wayland-client.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Whole logical pixels: a device coordinate divided by the scale, rounded down or up.
inline int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
inline int CeilDiv(int a, int b) {
    return -FloorDiv(-a, b);
}

// A picture in memory shared with the compositor; busy from its commit until released.
class ShmBuffer {
  public:
    // Null when there is no memory for it. The image is the memory as premultiplied ARGB32,
    // whatever the format (a stride of 0: four bytes a pixel).
    static std::unique_ptr<ShmBuffer>
    Make(wl_shm* shm, QSize size, std::uint32_t format = WL_SHM_FORMAT_ARGB8888, int stride = 0);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    QImage& Image() { return image_; }
    const QImage& Image() const { return image_; }
    wl_buffer* Buffer() const { return buffer_; }
    bool Busy() const { return busy_; }
    void SetBusy() { busy_ = true; }

  private:
    ShmBuffer() = default;
    void* data_ = nullptr;
    std::size_t bytes_ = 0;
    wl_buffer* buffer_ = nullptr;
    QImage image_;
    bool busy_ = false;
};

using ShmBuffers = std::vector<std::unique_ptr<ShmBuffer>>;

// Draws the picture at a place of a size x size buffer that the compositor has let go (made
// when there is none), gives the surface the input region (picture pixels, covered by whole
// logical pixels) and attaches the buffer for the next commit. False without memory for it.
bool DrawAndAttach(ShmBuffers& buffers, wl_shm* shm, wl_compositor* compositor, wl_surface* surface,
                   int scale, QSize size, const QImage& picture, QPoint at, const QRegion& input);
