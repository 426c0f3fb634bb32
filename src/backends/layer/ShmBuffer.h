// SPDX-License-Identifier: MIT

#pragma once

#include "io/UniqueFd.h"

#include <QImage>

#include <wayland-client.h>

#include <cstddef>
#include <memory>

#include <sys/mman.h>
#include <unistd.h>

// A picture in memory shared with the compositor; busy from its commit until released.
class ShmBuffer {
  public:
    static std::unique_ptr<ShmBuffer> Make(wl_shm* shm, QSize size) {
        const int stride = size.width() * 4;
        const std::size_t bytes = static_cast<std::size_t>(stride) * size.height();
        const UniqueFd fd(::memfd_create("tarvik-surface", MFD_CLOEXEC));
        if (!fd || ::ftruncate(fd.Get(), static_cast<off_t>(bytes)) != 0)
            return nullptr;
        void* data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0);
        if (data == MAP_FAILED)
            return nullptr;
        auto buffer = std::unique_ptr<ShmBuffer>(new ShmBuffer);
        buffer->data_ = data;
        buffer->bytes_ = bytes;
        wl_shm_pool* pool = wl_shm_create_pool(shm, fd.Get(), static_cast<std::int32_t>(bytes));
        buffer->buffer_ = wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), stride,
                                                    WL_SHM_FORMAT_ARGB8888);
        wl_shm_pool_destroy(pool);
        static const wl_buffer_listener listener = {
            [](void* self, wl_buffer*) { static_cast<ShmBuffer*>(self)->busy_ = false; },
        };
        wl_buffer_add_listener(buffer->buffer_, &listener, buffer.get());
        buffer->image_ = QImage(static_cast<uchar*>(data), size.width(), size.height(), stride,
                                QImage::Format_ARGB32_Premultiplied);
        return buffer;
    }
    ~ShmBuffer() {
        wl_buffer_destroy(buffer_);
        ::munmap(data_, bytes_);
    }
    QImage& Image() { return image_; }
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
