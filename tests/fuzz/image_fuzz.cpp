// Any bytes as a .bmp or .ico: the decoder reads nothing past the buffer (ASan),
// and what it accepts is a whole picture within the size limit that scales to
// any size. The first two bytes pick the icon size asked for; the rest is the file.
#include <cstdint>
#include <cstdlib>

#include "image_decode.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    namespace image = platform::image;
    const int wantW = data[0] % 65, wantH = data[1] % 65;
    image::Rgba img;
    if (!image::decode(data + 2, size - 2, img, wantW, wantH)) return 0;
    check(img.w >= 1 && img.h >= 1 && img.w <= image::MAX_SIDE && img.h <= image::MAX_SIDE);
    check(img.px.size() == static_cast<std::size_t>(img.w) * img.h * 4);
    if (!img.icon)
        for (std::size_t k = 3; k < img.px.size(); k += 4) check(img.px[k] == 255);
    for (const image::Scale mode : {image::Scale::Nearest, image::Scale::Box}) {
        const int w = 1 + data[0] % 40, h = 1 + data[1] % 40;
        const image::Rgba small = image::scale(img, w, h, mode);
        check(small.w == w && small.h == h && small.px.size() == static_cast<std::size_t>(w) * h * 4);
    }
    return 0;
}
