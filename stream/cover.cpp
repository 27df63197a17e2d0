/*
 * The cover output: the current track's front cover as a PNG of at most
 * the chosen size on its longer side, converted by the system's Windows
 * Imaging Component.  The picture comes from the file itself (ID3v2 or
 * FLAC, watch/pictures.cpp), else from a cover image in the track's
 * folder, else it is a transparent pixel, so that the previous track's
 * cover never stays up.
 */
#include "kestrune.h"

#include <objbase.h>
#include <strsafe.h>
#include <wincodec.h>

#include "watch/pictures.h"

/* A fully transparent 1x1 PNG (RGBA). */
static const unsigned char TransparentPixel[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00,
    0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00,
    0x00, 0x00, 0x0B, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x60, 0x00, 0x02, 0x00, 0x00, 0x05, 0x00,
    0x01, 0xE9, 0xFA, 0xDC, 0xD8, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

/* The component's identities, spelt out so that no import library is needed for them. */
static const GUID ImagingFactoryClass = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
static const GUID ImagingFactoryInterface = {
    0xec5ec8a9, 0xc395, 0x4314, {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
static const GUID PngContainer = {0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};
static const GUID PixelsBgra = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0f}};
static const GUID PixelsBgr = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};

/* Pictures larger than this many pixels are not decoded: their memory alone could fail the player. */
static const unsigned long long PIXELS_MAX = 64ull * 1024 * 1024;

/* The folder images, in the order they are looked for. */
static const wchar_t *const FolderImages[] = {
    L"cover.jpg", L"cover.jpeg", L"cover.png", L"folder.jpg",   L"folder.jpeg",   L"folder.png",
    L"front.jpg", L"front.jpeg", L"front.png", L"albumart.jpg", L"albumart.jpeg", L"albumart.png",
};

/* Reads a whole file of at most the picture limit into a picture. */
static bool ReadImageFile(const wchar_t *path, FoundPicture *found)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool read = false;
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= PICTURE_SIZE_LIMIT) {
        found->Data = (unsigned char *)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)size.QuadPart);
        DWORD got = 0;
        read = found->Data && ReadFile(file, found->Data, (DWORD)size.QuadPart, &got, NULL) && got == size.QuadPart;
        found->Size = read ? (size_t)size.QuadPart : 0;
        if (!read)
            FreePicture(found);
    }
    CloseHandle(file);
    return read;
}

/* "cover.jpg" and its kin in the track's folder (the file system ignores case). */
static bool ReadFolderImage(const wchar_t *track, FoundPicture *found)
{
    wchar_t path[PATH_SIZE];
    size_t folder = 0;
    for (size_t i = 0; track[i]; ++i)
        if (track[i] == L'\\' || track[i] == L'/')
            folder = i + 1;
    if (folder == 0 || folder >= PATH_SIZE)
        return false;
    for (const wchar_t *image : FolderImages) {
        StringCchCopyNW(path, PATH_SIZE, track, folder);
        if (SUCCEEDED(StringCchCatW(path, PATH_SIZE, image)) && ReadImageFile(path, found))
            return true;
    }
    return false;
}

/* The size at most largest on the longer side, in proportion; never enlarged, never 0. */
static void FitSize(UINT width, UINT height, UINT largest, UINT *fitWidth, UINT *fitHeight)
{
    *fitWidth = width;
    *fitHeight = height;
    UINT longer = width > height ? width : height;
    if (longer <= largest)
        return;
    *fitWidth = (UINT)(((unsigned long long)width * largest + longer / 2) / longer);
    *fitHeight = (UINT)(((unsigned long long)height * largest + longer / 2) / longer);
    if (*fitWidth == 0)
        *fitWidth = 1;
    if (*fitHeight == 0)
        *fitHeight = 1;
}

/* The interfaces one conversion holds, released together. */
struct Conversion {
    IWICImagingFactory *Factory;
    IWICStream *Input;
    IWICBitmapDecoder *Decoder;
    IWICBitmapFrameDecode *Frame;
    IWICFormatConverter *Converter;
    IWICBitmapScaler *Scaler;
    IWICStream *Output;
    IWICBitmapEncoder *Encoder;
    IWICBitmapFrameEncode *Target;
};

static void Release(IUnknown *object)
{
    if (object)
        object->Release();
}

static void ReleaseConversion(Conversion *conversion)
{
    Release(conversion->Target);
    Release(conversion->Encoder);
    Release(conversion->Output);
    Release(conversion->Scaler);
    Release(conversion->Converter);
    Release(conversion->Frame);
    Release(conversion->Decoder);
    Release(conversion->Input);
    Release(conversion->Factory);
}

/*
 * Decodes the picture's first frame, scaled to fit, then converted: the
 * scaler works on the decoder's own pixels and only the scaled ones are
 * converted, to 24-bit BGR for a JPEG (it has no transparency) and to
 * 32-bit BGRA for everything else.
 */
static HRESULT DecodeScaled(Conversion *c, const FoundPicture *picture, UINT largest, UINT *width, UINT *height,
                            GUID *format)
{
    HRESULT result = c->Factory->CreateStream(&c->Input);
    if (SUCCEEDED(result))
        result = c->Input->InitializeFromMemory(picture->Data, (DWORD)picture->Size);
    if (SUCCEEDED(result))
        result = c->Factory->CreateDecoderFromStream(c->Input, NULL, WICDecodeMetadataCacheOnDemand, &c->Decoder);
    if (SUCCEEDED(result))
        result = c->Decoder->GetFrame(0, &c->Frame);
    UINT sourceWidth = 0, sourceHeight = 0;
    if (SUCCEEDED(result))
        result = c->Frame->GetSize(&sourceWidth, &sourceHeight);
    if (SUCCEEDED(result) &&
        (sourceWidth == 0 || sourceHeight == 0 || (unsigned long long)sourceWidth * sourceHeight > PIXELS_MAX))
        result = E_FAIL;
    FitSize(sourceWidth, sourceHeight, largest, width, height);
    if (SUCCEEDED(result))
        result = c->Factory->CreateBitmapScaler(&c->Scaler);
    if (SUCCEEDED(result))
        result = c->Scaler->Initialize(c->Frame, *width, *height, WICBitmapInterpolationModeFant);
    bool jpeg = picture->Size > 2 && picture->Data[0] == 0xFF && picture->Data[1] == 0xD8;
    *format = jpeg ? PixelsBgr : PixelsBgra;
    if (SUCCEEDED(result))
        result = c->Factory->CreateFormatConverter(&c->Converter);
    if (SUCCEEDED(result))
        result = c->Converter->Initialize(c->Scaler, *format, WICBitmapDitherTypeNone, NULL, 0.0,
                                          WICBitmapPaletteTypeCustom);
    return result;
}

/* No row filters: the picture is small, and the filters' trials cost more than the bytes they save. */
static void ChooseNoFilter(IPropertyBag2 *options)
{
    if (!options)
        return;
    PROPBAG2 option;
    ZeroMemory(&option, sizeof option);
    option.pstrName = (LPOLESTR)L"FilterOption";
    VARIANT value;
    ZeroMemory(&value, sizeof value);
    value.vt = VT_UI1;
    value.bVal = WICPngFilterNone;
    options->Write(1, &option, &value);
}

/* Encodes the scaled pixels as a PNG into the file at path. */
static HRESULT EncodePng(Conversion *c, const wchar_t *path, UINT width, UINT height, GUID format)
{
    HRESULT result = c->Factory->CreateStream(&c->Output);
    if (SUCCEEDED(result))
        result = c->Output->InitializeFromFilename(path, GENERIC_WRITE);
    if (SUCCEEDED(result))
        result = c->Factory->CreateEncoder(PngContainer, NULL, &c->Encoder);
    if (SUCCEEDED(result))
        result = c->Encoder->Initialize(c->Output, WICBitmapEncoderNoCache);
    IPropertyBag2 *options = NULL;
    if (SUCCEEDED(result))
        result = c->Encoder->CreateNewFrame(&c->Target, &options);
    ChooseNoFilter(options);
    if (SUCCEEDED(result))
        result = c->Target->Initialize(options);
    if (options)
        options->Release();
    if (SUCCEEDED(result))
        result = c->Target->SetSize(width, height);
    if (SUCCEEDED(result))
        result = c->Target->SetPixelFormat(&format);
    if (SUCCEEDED(result))
        result = c->Target->WriteSource(c->Converter, NULL);
    if (SUCCEEDED(result))
        result = c->Target->Commit();
    if (SUCCEEDED(result))
        result = c->Encoder->Commit();
    return result;
}

/* Converts an encoded picture into a PNG file; false for a picture the component cannot decode. */
static bool ConvertPicture(const FoundPicture *picture, UINT largest, const wchar_t *path)
{
    HRESULT started = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    Conversion conversion;
    ZeroMemory(&conversion, sizeof conversion);
    UINT width = 0, height = 0;
    GUID format = PixelsBgra;
    HRESULT result = CoCreateInstance(ImagingFactoryClass, NULL, CLSCTX_INPROC_SERVER, ImagingFactoryInterface,
                                      (void **)&conversion.Factory);
    if (SUCCEEDED(result))
        result = DecodeScaled(&conversion, picture, largest, &width, &height, &format);
    if (SUCCEEDED(result))
        result = EncodePng(&conversion, path, width, height, format);
    ReleaseConversion(&conversion);
    /* A thread whose COM the player set up otherwise keeps it as it was. */
    if (SUCCEEDED(started))
        CoUninitialize();
    return SUCCEEDED(result);
}

bool WriteStreamCover(const wchar_t *target, int largestSide)
{
    FoundPicture picture = {NULL, 0};
    const wchar_t *track = NowPlaying.FileNameW;
    bool found = track[0] && !IsStreamAddress(track) &&
                 (ReadTrackPictureFile(track, &picture) || ReadFolderImage(track, &picture));
    wchar_t temporary[PATH_SIZE + 8];
    bool converted = found && MakeStreamTemporaryName(target, temporary, PATH_SIZE + 8) &&
                     ConvertPicture(&picture, (UINT)largestSide, temporary);
    FreePicture(&picture);
    if (converted)
        return MoveStreamFile(target);
    return ReplaceStreamFile(target, TransparentPixel, sizeof TransparentPixel);
}
