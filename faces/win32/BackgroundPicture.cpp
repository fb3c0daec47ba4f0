#include "faces/win32/BackgroundPicture.h"
#include "drawing/PictureHeader.h"
#include "faces/win32/Gdip.h"
#include "strip/PictureLimit.h"
#include <shlwapi.h>

namespace zrm58::win32face {
namespace {

// Decodes `bytes` and scales them to width x height; none when the picture is above the limit
// or does not decode. The decoded picture lives only inside this call.
std::shared_ptr<Gdiplus::Bitmap> decodeScaled(std::string_view bytes, int width, int height) {
    width = std::max(1, width), height = std::max(1, height);
    // The formats whose decoders take every pixel at once are judged by their header alone.
    if (const std::optional<PictureHeader> header = readPictureHeader(bytes))
        if (!picturelimit::fits(header->width, header->height, header->bitsPerPixel))
            return nullptr;
    IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                        static_cast<UINT>(bytes.size()));
    if (!stream) return nullptr;
    std::shared_ptr<Gdiplus::Bitmap> scaled;
    {
        Gdiplus::Bitmap source(stream);
        // Another format: GDI+ has read its header, and decodes only when drawn.
        const bool fits =
            source.GetLastStatus() == Gdiplus::Ok &&
            picturelimit::fits(
                source.GetWidth(), source.GetHeight(),
                static_cast<int>(Gdiplus::GetPixelFormatSize(source.GetPixelFormat())));
        if (fits) {
            scaled = std::make_shared<Gdiplus::Bitmap>(width, height, PixelFormat32bppPARGB);
            Gdiplus::Graphics g(scaled.get());
            g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBilinear);
            g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
            if (g.DrawImage(&source, Gdiplus::RectF(0, 0, static_cast<float>(width),
                                                    static_cast<float>(height))) != Gdiplus::Ok)
                scaled.reset();
        }
    }
    stream->Release();
    return scaled;
}

} // namespace

BackgroundPicture::BackgroundPicture() = default;
BackgroundPicture::~BackgroundPicture() = default;

bool BackgroundPicture::load(std::string_view bytes, int width, int height) {
    std::shared_ptr<Gdiplus::Bitmap> scaled = decodeScaled(bytes, width, height);
    if (!scaled) return false;
    bytes_.assign(bytes);
    scaled_ = std::move(scaled);
    return true;
}

std::shared_ptr<Gdiplus::Bitmap> BackgroundPicture::at(int width, int height, bool settled) {
    if (!scaled_ || !settled) return scaled_;
    width = std::max(1, width), height = std::max(1, height);
    if (static_cast<int>(scaled_->GetWidth()) != width ||
        static_cast<int>(scaled_->GetHeight()) != height) {
        scaled_.reset(); // the old size goes before the new one is made
        scaled_ = decodeScaled(bytes_, width, height);
    }
    return scaled_;
}

} // namespace zrm58::win32face
