// SPDX-License-Identifier: MIT

#include "backends/layer/ShmBuffer.h"

#include "io/UniqueFd.h"

#include <QPainter>

#include <sys/mman.h>
#include <unistd.h>

std::unique_ptr<ShmBuffer> ShmBuffer::Make(wl_shm* shm, QSize size, std::uint32_t format,
                                           int stride) {
    if (stride == 0)
        stride = size.width() * 4;
    const std::size_t bytes = static_cast<std::size_t>(stride) * size.height();
    const UniqueFd fd(::memfd_create("tarvik-buffer", MFD_CLOEXEC));
    if (!fd || ::ftruncate(fd.Get(), static_cast<off_t>(bytes)) != 0)
        return nullptr;
    void* data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0);
    if (data == MAP_FAILED)
        return nullptr;
    auto buffer = std::unique_ptr<ShmBuffer>(new ShmBuffer);
    buffer->data_ = data;
    buffer->bytes_ = bytes;
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd.Get(), static_cast<std::int32_t>(bytes));
    buffer->buffer_ =
        wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), stride, format);
    wl_shm_pool_destroy(pool);
    static const wl_buffer_listener listener = {
        [](void* self, wl_buffer*) { static_cast<ShmBuffer*>(self)->busy_ = false; },
    };
    wl_buffer_add_listener(buffer->buffer_, &listener, buffer.get());
    buffer->image_ = QImage(static_cast<uchar*>(data), size.width(), size.height(), stride,
                            QImage::Format_ARGB32_Premultiplied);
    return buffer;
}

ShmBuffer::~ShmBuffer() {
    wl_buffer_destroy(buffer_);
    ::munmap(data_, bytes_);
}

bool DrawAndAttach(ShmBuffers& buffers, wl_shm* shm, wl_compositor* compositor, wl_surface* surface,
                   int scale, QSize size, const QImage& picture, QPoint at, const QRegion& input) {
    ShmBuffer* free = nullptr;
    for (const auto& b : buffers)
        if (!b->Busy() && b->Image().size() == size)
            free = b.get();
    if (!free) {
        std::erase_if(buffers, [&](const auto& b) { return b->Image().size() != size; });
        auto buffer = ShmBuffer::Make(shm, size);
        if (!buffer)
            return false;
        free = buffer.get();
        buffers.push_back(std::move(buffer));
    }
    free->Image().fill(Qt::transparent);
    QPainter painter(&free->Image());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(at, picture);
    painter.end();
    // The input region is in the surface's own logical pixels, taken generously.
    wl_region* region = wl_compositor_create_region(compositor);
    for (const QRect& r : input) {
        const QRect d = r.translated(at);
        const int left = FloorDiv(d.left(), scale);
        const int top = FloorDiv(d.top(), scale);
        wl_region_add(region, left, top, CeilDiv(d.right() + 1, scale) - left,
                      CeilDiv(d.bottom() + 1, scale) - top);
    }
    wl_surface_set_input_region(surface, region);
    wl_region_destroy(region);
    wl_surface_attach(surface, free->Buffer(), 0, 0);
    wl_surface_damage_buffer(surface, 0, 0, size.width(), size.height());
    free->SetBusy();
    return true;
}
