/*
 * Pictures through the system's imaging component, for the tests, the
 * demo and the benchmarks: images made from pixels and encoded, and files
 * decoded back to pixels, so that a picture is compared by what it shows,
 * not by the bytes of an encoder.
 */
#include <initguid.h>

#include "tests/rig/rig.h"

#include <wincodec.h>

namespace rig
{

static IWICImagingFactory *Factory()
{
    static IWICImagingFactory *factory = [] {
        CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
        IWICImagingFactory *made = NULL;
        CoCreateInstance(CLSID_WICImagingFactory, NULL, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory, (void **)&made);
        return made;
    }();
    return factory;
}

static void Release(std::initializer_list<IUnknown *> objects)
{
    for (IUnknown *object : objects)
        if (object)
            object->Release();
}

std::string EncodeImage(ImageFormat format, UINT width, UINT height, const std::vector<DWORD> &pixels)
{
    IWICBitmap *bitmap = NULL;
    IStream *stream = NULL;
    IWICBitmapEncoder *encoder = NULL;
    IWICBitmapFrameEncode *frame = NULL;
    WICPixelFormatGUID pixelFormat = GUID_WICPixelFormat32bppBGRA;
    const GUID &container = format == IMAGE_PNG ? GUID_ContainerFormatPng : GUID_ContainerFormatJpeg;
    std::string bytes;
    if (Factory() && pixels.size() == (size_t)width * height &&
        SUCCEEDED(Factory()->CreateBitmapFromMemory(width, height, pixelFormat, width * 4, width * height * 4,
                                                    (BYTE *)pixels.data(), &bitmap)) &&
        SUCCEEDED(CreateStreamOnHGlobal(NULL, TRUE, &stream)) &&
        SUCCEEDED(Factory()->CreateEncoder(container, NULL, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, NULL)) && SUCCEEDED(frame->Initialize(NULL)) &&
        SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&pixelFormat)) &&
        SUCCEEDED(frame->WriteSource(bitmap, NULL)) && SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit())) {
        HGLOBAL memory = NULL;
        GetHGlobalFromStream(stream, &memory);
        STATSTG stat;
        stream->Stat(&stat, STATFLAG_NONAME);
        bytes.assign((const char *)GlobalLock(memory), (size_t)stat.cbSize.QuadPart);
        GlobalUnlock(memory);
    }
    Release({frame, encoder, stream, bitmap});
    return bytes;
}

Pixels DecodeImage(const std::string &path)
{
    Pixels pixels;
    IWICBitmapDecoder *decoder = NULL;
    IWICBitmapFrameDecode *frame = NULL;
    IWICFormatConverter *converter = NULL;
    if (Factory() &&
        SUCCEEDED(Factory()->CreateDecoderFromFilename(Wide(path).c_str(), NULL, GENERIC_READ,
                                                       WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(Factory()->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, NULL, 0,
                                        WICBitmapPaletteTypeCustom)) &&
        SUCCEEDED(converter->GetSize(&pixels.Width, &pixels.Height))) {
        pixels.Bgra.resize((size_t)pixels.Width * pixels.Height);
        if (FAILED(converter->CopyPixels(NULL, pixels.Width * 4, (UINT)pixels.Bgra.size() * 4,
                                         (BYTE *)pixels.Bgra.data())))
            pixels = Pixels();
    }
    Release({converter, frame, decoder});
    return pixels;
}

std::string ImagingFailure()
{
    if (!Factory())
        return "the system's imaging component cannot be created here";
    std::string png = EncodeImage(IMAGE_PNG, 4, 2, std::vector<DWORD>(8, 0xFF0000FF));
    WriteFile(ExecutableFolder() + "imaging-check.png", png);
    Pixels back = DecodeImage(ExecutableFolder() + "imaging-check.png");
    if (png.empty() || back.Width != 4 || back.At(3, 1) != 0xFF0000FF)
        return "the system's imaging component cannot encode and decode a PNG here";
    return "";
}

} // namespace rig
