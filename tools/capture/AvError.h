// libav's own words for one of its error codes, for our one-line messages.
#pragma once

#include <string>

extern "C" {
#include <libavutil/error.h>
}

namespace capture {

inline std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

}  // namespace capture
