// SPDX-License-Identifier: MIT

#include "imaging/ijl.h"

#include "io/AtomicFile.h"
#include "io/IWriteFaults.h"

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
    p.JPGNameTaken = false;
    p.ErrorDetail.clear();
    const bool toFile = iotype == IJL_JFILE_WRITEWHOLEIMAGE;
    const bool encoded = toFile && p.JPGBytes;
    if ((!toFile && iotype != IJL_JBUFF_WRITEWHOLEIMAGE) || (!encoded && !ValidSizes(p)))
        return IJL_INVALID_JPEG_PROPERTIES;
    if (toFile && (!p.JPGFile || !*p.JPGFile))
        return IJL_INVALID_FILENAME;

    JpegBuffer jpeg;
    if (!encoded) {
        // Screen text stays sharp without chroma subsampling; below 90 the smaller file wins.
        const int subsampling = p.jquality >= 90 ? TJSAMP_444 : TJSAMP_420;
        const int flags = p.DIBHeight < 0 ? TJFLAG_BOTTOMUP : 0;
        const int pixelFormat = p.DIBColor == IJL_COLOR::BGR ? TJPF_BGR : TJPF_RGB;
        const int pitch = p.DIBWidth * 3 + p.DIBPadBytes;
        if (const int fault = p.JPGFaults ? p.JPGFaults->EncoderFault() : 0)
            return fault;
        if (tjCompress2(static_cast<tjhandle>(p.Encoder.get()), p.DIBBytes, p.DIBWidth, pitch,
                        p.JPGHeight, pixelFormat, &jpeg.Data, &jpeg.Size, subsampling, p.jquality,
                        flags) != 0) {
            p.ErrorDetail = tjGetErrorStr2(static_cast<tjhandle>(p.Encoder.get()));
            return p.ErrorDetail.find("emory") != std::string::npos ? IJL_MEMORY_ERROR
                                                                    : IJL_INTERNAL_ERROR;
        }
        if (!toFile) {
            try {
                p.JPGBuffer.assign(jpeg.Data, jpeg.Data + jpeg.Size);
            } catch (const std::bad_alloc&) {
                return IJL_MEMORY_ERROR;
            }
            return IJL_OK;
        }
    }
    const std::uint8_t* data = encoded ? p.JPGBytes : jpeg.Data;
    const std::size_t size = encoded ? p.JPGSizeBytes : jpeg.Size;

    // No flush to the disk: the rename already keeps a killed or failed write from showing
    // under the final name, and a capture is cheap to take again after a power cut.
    FileWriteOptions options;
    options.Mode = p.JPGReplace ? WriteMode::Replace : WriteMode::KeepExisting;
    options.Faults = p.JPGFaults;
    std::string error;
    const WriteOutcome outcome = WriteFileAtomically(p.JPGFile, data, size, options, error);
    if (outcome == WriteOutcome::Written)
        return IJL_OK;
    p.JPGNameTaken = outcome == WriteOutcome::NameTaken;
    p.ErrorDetail = error;
    return IJL_FILE_ERROR;
}

int ijlFree(JPEG_CORE_PROPERTIES* jcprops) {
    if (!jcprops)
        return IJL_INVALID_JPEG_PROPERTIES;
    jcprops->Encoder.reset();
    return IJL_OK;
}
