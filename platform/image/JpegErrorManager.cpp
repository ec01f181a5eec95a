#include "platform/image/JpegErrorManager.h"

namespace platform {
namespace {

void jumpBack(j_common_ptr info) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    std::longjmp(manager->jump, 1);  // NOLINT(cert-err52-cpp): libjpeg's error protocol
}

void stayQuiet(j_common_ptr /*info*/) {}

}  // namespace

jpeg_error_mgr* JpegErrorManager::install() {
    jpeg_error_mgr* installed = jpeg_std_error(&base);
    base.error_exit = jumpBack;
    base.output_message = stayQuiet;
    return installed;
}

}  // namespace platform
