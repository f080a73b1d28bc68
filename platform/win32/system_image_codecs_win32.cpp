#include "platform/system_image_codecs.h"

#include "platform/win32/windows_api.h"

// The codecs' GUIDs are defined here: the program imports nothing from windowscodecs.dll, whose
// factory it reaches through COM.
#include <initguid.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <wincodec.h>

namespace {

// Releases a COM object when it goes out of scope.
template <typename Interface> struct Held {
    Interface* object = nullptr;
    ~Held() {
        if (object) object->Release();
    }
    Interface** put() { return &object; }
    Interface* operator->() const { return object; }
};

IWICImagingFactory* factory() {
    static IWICImagingFactory* const made = [] {
        IWICImagingFactory* result = nullptr;
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                         IID_IWICImagingFactory, reinterpret_cast<void**>(&result));
        return result;
    }();
    return made;
}

std::uint32_t little32(const unsigned char* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t{bytes[3]} << 24;
}

// The image library hands over rows as the file stores them. A BMP stores its bottom row first
// unless its height is negative (the small OS/2 header has no sign); an icon's bitmap always
// does, an icon's PNG image does not.
bool storedBottomUp(const GUID& container, const unsigned char* bytes, std::size_t size) {
    if (container == GUID_ContainerFormatBmp) {
        if (size < 26) return true;
        return little32(bytes + 14) == 12 || static_cast<std::int32_t>(little32(bytes + 22)) > 0;
    }
    if (container != GUID_ContainerFormatIco) return false;
    if (size < 22) return true;
    const std::uint32_t first = little32(bytes + 18);
    static const unsigned char png[] = {0x89, 'P', 'N', 'G'};
    return first > size - sizeof png || std::memcmp(bytes + first, png, sizeof png) != 0;
}

// WIC's BGRA (not premultiplied, as the image library's RGBA) in the image library's order.
void toRgba(unsigned char* pixels, std::size_t size) {
    for (std::size_t at = 0; at + 3 < size; at += 4) {
        const unsigned char blue = pixels[at];
        pixels[at] = pixels[at + 2];
        pixels[at + 2] = blue;
    }
}

void flipRows(unsigned char* pixels, unsigned width, unsigned height) {
    const std::size_t stride = std::size_t{width} * 4;
    for (unsigned top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        unsigned char* upper = pixels + top * stride;
        unsigned char* lower = pixels + bottom * stride;
        for (std::size_t i = 0; i < stride; ++i) {
            const unsigned char kept = upper[i];
            upper[i] = lower[i];
            lower[i] = kept;
        }
    }
}

// The formats every supported Windows reads. Others that a system may add (Wine reads TGA, with
// its rows reversed) are refused, so a file decodes alike on every system.
bool isCommonFormat(const GUID& container) {
    for (const GUID& common :
         {GUID_ContainerFormatPng, GUID_ContainerFormatJpeg, GUID_ContainerFormatBmp,
          GUID_ContainerFormatGif, GUID_ContainerFormatTiff, GUID_ContainerFormatIco,
          GUID_ContainerFormatDds})
        if (container == common) return true;
    return false;
}

bool firstFrame(const unsigned char* bytes, std::size_t size, IWICBitmapFrameDecode** frame,
                GUID& container) {
    IWICImagingFactory* codecs = factory();
    Held<IWICStream> stream;
    Held<IWICBitmapDecoder> decoder;
    return codecs && size <= 0xffffffffu && SUCCEEDED(codecs->CreateStream(stream.put())) &&
           SUCCEEDED(
               stream->InitializeFromMemory(const_cast<BYTE*>(bytes), static_cast<DWORD>(size))) &&
           SUCCEEDED(codecs->CreateDecoderFromStream(
               stream.object, nullptr, WICDecodeMetadataCacheOnDemand, decoder.put())) &&
           SUCCEEDED(decoder->GetContainerFormat(&container)) && isCommonFormat(container) &&
           SUCCEEDED(decoder->GetFrame(0, frame));
}

} // namespace

bool decodeWithSystemCodecs(const unsigned char* bytes, std::size_t size, unsigned maxSide,
                            std::size_t allowance, unsigned& width, unsigned& height,
                            MappedBuffer& pixels) {
    Held<IWICBitmapFrameDecode> frame;
    Held<IWICFormatConverter> converter;
    GUID container{};
    UINT frameWidth = 0, frameHeight = 0;
    if (!firstFrame(bytes, size, frame.put(), container) ||
        FAILED(frame->GetSize(&frameWidth, &frameHeight)) || frameWidth == 0 || frameHeight == 0 ||
        frameWidth > maxSide || frameHeight > maxSide)
        return false;
    const std::size_t stride = std::size_t{frameWidth} * 4;
    if (stride > 0xffffffffu || frameHeight > allowance / stride ||
        stride * frameHeight > 0xffffffffu)
        return false;
    if (FAILED(factory()->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.object, GUID_WICPixelFormat32bppBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)) ||
        !pixels.allocate(stride * frameHeight) ||
        FAILED(converter->CopyPixels(nullptr, static_cast<UINT>(stride),
                                     static_cast<UINT>(pixels.size()), pixels.data()))) {
        pixels = MappedBuffer();
        return false;
    }
    toRgba(pixels.data(), pixels.size());
    if (storedBottomUp(container, bytes, size)) flipRows(pixels.data(), frameWidth, frameHeight);
    width = frameWidth;
    height = frameHeight;
    return true;
}
