#include "platform/system_error.h"

#include <cerrno>
#include <cstring>

std::string SystemErrorText(int code)
{
    if (code == 0)
        code = errno;
    char buffer[256];
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(code, buffer, sizeof buffer);
    return text ? text : "";
}
