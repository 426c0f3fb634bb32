// SPDX-License-Identifier: MIT

#include "backends/win32/Win32PictureCodec.h"

#include "backends/win32/Win32Common.h"
#include "io/AtomicFile.h"
#include "platform/PictureData.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// Releases a COM interface at the end of its scope.
template <typename T> class Com {
  public:
    Com() = default;
    ~Com() {
        if (p_)
            p_->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T** operator&() { return &p_; }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

  private:
    T* p_ = nullptr;
};

bool Factory(Com<IWICImagingFactory>& factory) {
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, reinterpret_cast<void**>(&factory)));
}

// A GIF's first frame as the file holds it: the colour table it is drawn with (WIC may
// blank the colour a GIF flags as transparent), its size, and where its data ends.
struct GifFrame {
    std::vector<std::uint32_t> Colours;
    int Width = 0;
    int Height = 0;
    std::size_t End = 0; // 0 when the file holds no whole first frame
};

GifFrame FirstGifFrame(const unsigned char* data, std::size_t size) {
    const auto table = [&](std::size_t at, int flags) {
        std::vector<std::uint32_t> colours(std::size_t{2} << (flags & 7));
        if (at + colours.size() * 3 > size)
            return std::vector<std::uint32_t>();
        for (std::size_t i = 0; i < colours.size(); ++i, at += 3)
            colours[i] = Rgb(data[at], data[at + 1], data[at + 2]);
        return colours;
    };
    // Sub-blocks up to the empty one: the offset after it, or 0 when it is missing.
    const auto skipBlocks = [&](std::size_t at) -> std::size_t {
        while (at < size && data[at] != 0)
            at += data[at] + 1u;
        return at < size ? at + 1 : 0;
    };
    GifFrame frame;
    std::size_t at = 13;
    if (data[10] & 0x80) {
        frame.Colours = table(at, data[10]);
        at += (std::size_t{2} << (data[10] & 7)) * 3;
    }
    while (at < size) {
        if (data[at] == 0x2c) { // the first image: its own table, if it has one
            if (at + 11 > size)
                return frame;
            frame.Width = data[at + 5] | data[at + 6] << 8;
            frame.Height = data[at + 7] | data[at + 8] << 8;
            const int flags = data[at + 9];
            at += 10;
            if (flags & 0x80) {
                frame.Colours = table(at, flags);
                at += (std::size_t{2} << (flags & 7)) * 3;
            }
            frame.End = skipBlocks(at + 1); // after the code size
            return frame;
        }
        if (data[at] != 0x21 || at + 2 > size || (at = skipBlocks(at + 2)) == 0) // an extension
            break;
    }
    return frame;
}

// An indexed frame's pixels take their palette colours, also a colour flagged as
// transparent: the window's outline follows colours alone.
bool ReadIndexed(IWICImagingFactory* factory, IWICBitmapDecoder* decoder,
                 IWICBitmapFrameDecode* frame, const std::vector<std::uint32_t>& fileColours,
                 Image& image) {
    Com<IWICPalette> palette;
    if (FAILED(factory->CreatePalette(&palette)))
        return false;
    if (FAILED(frame->CopyPalette(palette.get())) && FAILED(decoder->CopyPalette(palette.get())))
        return false;
    WICColor colours[256] = {};
    UINT count = 0;
    if (FAILED(palette->GetColors(256, colours, &count)))
        return false;
    for (UINT i = 0; i < count; ++i)
        if ((colours[i] >> 24) == 0 && i < fileColours.size())
            colours[i] = fileColours[i];
    const UINT stride = static_cast<UINT>(image.Width);
    std::vector<BYTE> indices(static_cast<std::size_t>(stride) * static_cast<UINT>(image.Height));
    if (FAILED(
            frame->CopyPixels(nullptr, stride, static_cast<UINT>(indices.size()), indices.data())))
        return false;
    for (std::size_t i = 0; i < indices.size(); ++i)
        image.Pixels[i] = 0xff000000u | (indices[i] < count ? colours[indices[i]] : 0u);
    return true;
}

} // namespace

Picture Win32PictureCodec::LoadPicture(const std::string& path) {
    // Only ordinary files, so a pipe or a device never blocks or floods the loader.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    LARGE_INTEGER size{};
    std::vector<char> bytes;
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
        size.QuadPart <= MaxPictureFileSize) {
        try {
            bytes.resize(static_cast<std::size_t>(size.QuadPart));
        } catch (const std::bad_alloc&) {
        }
        DWORD read = 0;
        if (!bytes.empty() &&
            (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
             read != bytes.size()))
            bytes.clear();
    }
    CloseHandle(file);
    return bytes.empty() ? nullptr : Decode(bytes.data(), bytes.size());
}

Picture Win32PictureCodec::Decode(const void* data, std::size_t size) {
    if (!data || size == 0 || static_cast<long long>(size) > MaxPictureFileSize ||
        !PictureFormat(static_cast<const unsigned char*>(data), size) ||
        !PictureCostBounded(static_cast<const unsigned char*>(data), size) ||
        !PictureDataComplete(static_cast<const unsigned char*>(data), size))
        return nullptr;
    // WIC is given a PNG without its texts, and of a GIF the first frame alone, once its
    // size is known to be within the limits: that frame is its picture, and WIC may decode
    // every frame as it opens a file.
    const auto* bytes = static_cast<const unsigned char*>(data);
    GifFrame gif;
    std::vector<unsigned char> given;
    try {
        given = PngWithoutText(bytes, size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!given.empty()) {
        data = given.data();
        size = given.size();
    } else if (size >= 13 && std::memcmp(bytes, "GIF8", 4) == 0) {
        gif = FirstGifFrame(bytes, size);
        if (gif.End == 0 || gif.Width > MaxPictureSide || gif.Height > MaxPictureSide ||
            static_cast<long long>(gif.Width) * gif.Height > MaxPicturePixels)
            return nullptr;
        try {
            given.assign(bytes, bytes + gif.End);
            given.push_back(0x3b); // the trailer
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        data = given.data();
        size = given.size();
    }
    Com<IWICImagingFactory> factory;
    Com<IWICStream> stream;
    Com<IWICBitmapDecoder> decoder;
    Com<IWICBitmapFrameDecode> frame;
    if (!Factory(factory) || FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)),
                                            static_cast<DWORD>(size))) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)))
        return nullptr;
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0 ||
        width > MaxPictureSide || height > MaxPictureSide ||
        static_cast<long long>(width) * height > MaxPicturePixels)
        return nullptr;

    // Running out of memory for the pixels is a picture that cannot be decoded.
    try {
        auto image = std::make_shared<Image>(static_cast<int>(width), static_cast<int>(height), 0);
        WICPixelFormatGUID format{};
        frame->GetPixelFormat(&format);
        if (IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed)) {
            if (!ReadIndexed(factory.get(), decoder.get(), frame.get(), gif.Colours, *image))
                return nullptr;
            return image;
        }
        Com<IWICBitmapSource> converted;
        // With its opacity: a picture that is not opaque all over has Alpha.
        if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.get(), &converted)) ||
            FAILED(converted->CopyPixels(nullptr, width * 4,
                                         static_cast<UINT>(image->Pixels.size() * 4),
                                         reinterpret_cast<BYTE*>(image->Pixels.data()))))
            return nullptr;
        image->Alpha = std::any_of(image->Pixels.begin(), image->Pixels.end(),
                                   [](std::uint32_t p) { return p < 0xff000000u; });
        return image;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

namespace {

// Encodes a picture in memory with WIC's encoder for the container, in the given format.
WriteResult EncodeWic(const Picture& picture, REFGUID container, WICPixelFormatGUID format,
                      const char* name, std::vector<unsigned char>& bytes) {
    if (!picture || picture->Width <= 0 || picture->Height <= 0)
        return WriteResult::Failed(NoPictureToSave);
    const WICPixelFormatGUID& pixels =
        picture->Alpha ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat32bppBGR;
    Com<IWICImagingFactory> factory;
    Com<IStream> memory;
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    Com<IWICBitmap> source;
    const auto width = static_cast<UINT>(picture->Width),
               height = static_cast<UINT>(picture->Height);
    const bool encoded =
        Factory(factory) && SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &memory)) &&
        SUCCEEDED(factory->CreateEncoder(container, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(memory.get(), WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
        SUCCEEDED(frame->Initialize(nullptr)) && SUCCEEDED(frame->SetSize(width, height)) &&
        SUCCEEDED(frame->SetPixelFormat(&format)) &&
        SUCCEEDED(factory->CreateBitmapFromMemory(
            width, height, pixels, width * 4, static_cast<UINT>(picture->Pixels.size() * 4),
            reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(picture->Pixels.data())),
            &source)) &&
        SUCCEEDED(frame->WriteSource(source.get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
        SUCCEEDED(encoder->Commit());
    HGLOBAL block = nullptr;
    const auto* data = encoded && SUCCEEDED(GetHGlobalFromStream(memory.get(), &block))
                           ? static_cast<const unsigned char*>(GlobalLock(block))
                           : nullptr;
    if (!data)
        return WriteResult::Failed(std::string("The picture could not be encoded as ") + name +
                                   ".");
    STATSTG stat{};
    memory->Stat(&stat, STATFLAG_NONAME);
    WriteResult result;
    try {
        bytes.assign(data, data + stat.cbSize.QuadPart);
    } catch (const std::bad_alloc&) {
        result = WriteResult::Failed(std::strerror(ENOMEM));
    }
    GlobalUnlock(block);
    return result;
}

} // namespace

WriteResult Win32PictureCodec::EncodeBmp(const Picture& picture,
                                         std::vector<unsigned char>& bytes) {
    return EncodeWic(picture, GUID_ContainerFormatBmp, GUID_WICPixelFormat24bppBGR, "BMP", bytes);
}

WriteResult Win32PictureCodec::EncodePng(const Picture& picture,
                                         std::vector<unsigned char>& bytes) {
    const WICPixelFormatGUID format =
        picture && picture->Alpha ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR;
    return EncodeWic(picture, GUID_ContainerFormatPng, format, "PNG", bytes);
}
