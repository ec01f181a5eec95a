#include "imageloader/WebImageDecoder.h"

#include "platform/image/ImageDecoder.h"

std::shared_ptr<platform::Image> WebImageDecoder::decodedImage(std::string_view bytes,
                                                               const std::string& key) {
    return platform::ImageDecoder::decode(bytes, key, platform::Image::scaleForKey(key));
}
