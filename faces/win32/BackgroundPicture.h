#pragma once
#include <memory>
#include <string>
#include <string_view>

namespace Gdiplus {
class Bitmap;
}

namespace zrm58::win32face {

// The strip's background picture, kept at the size it is drawn: the file's bytes and one bitmap
// of the drawn size, never the whole decoded picture. A picture whose header gives a size above
// the shared decoding limit is refused before anything of it is decoded.
class BackgroundPicture {
public:
    BackgroundPicture();
    ~BackgroundPicture();
    // Takes the picture in `bytes` at width x height pixels; false (and the previous picture
    // kept) when it is too large or does not decode.
    bool load(std::string_view bytes, int width, int height);
    // The picture at width x height pixels, decoded anew from the bytes when the size changed
    // (while `settled` is false, as during a resize by the pointer, the one at hand is given to
    // be stretched); none before a picture was taken.
    std::shared_ptr<Gdiplus::Bitmap> at(int width, int height, bool settled = true);

private:
    std::string bytes_;
    std::shared_ptr<Gdiplus::Bitmap> scaled_;
};

} // namespace zrm58::win32face
