// SPDX-License-Identifier: MIT

#include "imaging/ijl.h"

#include "io/IWriteFaults.h"

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <new>

#include <turbojpeg.h>

namespace {

struct JpegBuffer {
    unsigned char* Data = nullptr;
    unsigned long Size = 0;
    ~JpegBuffer() { tjFree(Data); }
};

bool ValidSizes(const JPEG_CORE_PROPERTIES& p) {
    return p.DIBBytes && p.DIBWidth > 0 && p.DIBHeight != 0 && p.DIBWidth == p.JPGWidth &&
           std::abs(static_cast<long long>(p.DIBHeight)) == p.JPGHeight && p.DIBPadBytes >= 0 &&
           p.DIBChannels == 3 && p.jquality >= 1 && p.jquality <= 100 &&
           static_cast<long long>(p.DIBWidth) * 3 + p.DIBPadBytes <= INT32_MAX;
}

} // namespace

void JpegEncoderFree::operator()(void* encoder) const {
    tjDestroy(static_cast<tjhandle>(encoder));
}

int ijlInit(JPEG_CORE_PROPERTIES* jcprops) {
    if (!jcprops)
        return IJL_INVALID_JPEG_PROPERTIES;
    *jcprops = JPEG_CORE_PROPERTIES{};
    jcprops->Encoder.reset(tjInitCompress());
    return jcprops->Encoder ? IJL_OK : IJL_MEMORY_ERROR;
}

int ijlWrite(JPEG_CORE_PROPERTIES* jcprops, int iotype) {
    if (!jcprops || !jcprops->Encoder)
        return -2; // "Invalid encoder"
    JPEG_CORE_PROPERTIES& p = *jcprops;
    p.ErrorDetail.clear();
    if (iotype != IJL_JBUFF_WRITEWHOLEIMAGE || !ValidSizes(p))
        return IJL_INVALID_JPEG_PROPERTIES;
    if (const int fault = p.JPGFaults ? p.JPGFaults->EncoderFault() : 0)
        return fault;

    // Screen text stays sharp without chroma subsampling; below 90 the smaller file wins.
    const int subsampling = p.jquality >= 90 ? TJSAMP_444 : TJSAMP_420;
    const int flags = p.DIBHeight < 0 ? TJFLAG_BOTTOMUP : 0;
    const int pixelFormat = p.DIBColor == IJL_COLOR::BGR ? TJPF_BGR : TJPF_RGB;
    const int pitch = p.DIBWidth * 3 + p.DIBPadBytes;
    JpegBuffer jpeg;
    // The library says why only in words; a failed allocation inside it leaves ENOMEM.
    errno = 0;
    if (tjCompress2(static_cast<tjhandle>(p.Encoder.get()), p.DIBBytes, p.DIBWidth, pitch,
                    p.JPGHeight, pixelFormat, &jpeg.Data, &jpeg.Size, subsampling, p.jquality,
                    flags) != 0) {
        const bool outOfMemory = errno == ENOMEM;
        p.ErrorDetail = tjGetErrorStr2(static_cast<tjhandle>(p.Encoder.get()));
        return outOfMemory ? IJL_MEMORY_ERROR : IJL_INTERNAL_ERROR;
    }
    try {
        p.JPGBuffer.assign(jpeg.Data, jpeg.Data + jpeg.Size);
    } catch (const std::bad_alloc&) {
        return IJL_MEMORY_ERROR;
    }
    return IJL_OK;
}

int ijlFree(JPEG_CORE_PROPERTIES* jcprops) {
    if (!jcprops)
        return IJL_INVALID_JPEG_PROPERTIES;
    jcprops->Encoder.reset();
    return IJL_OK;
}
