#include "platform/utf16_length.h"

size_t Utf16Length(std::string_view utf8)
{
    size_t units = 0;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        size_t length = 1;
        if (lead >= 0xF0 && lead <= 0xF4)
            length = 4;
        else if (lead >= 0xE0 && lead < 0xF0)
            length = 3;
        else if (lead >= 0xC2 && lead < 0xE0)
            length = 2;
        bool valid = i + length <= utf8.size();
        for (size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80;
        if (!valid)
            length = 1;
        units += (valid && length == 4) ? 2 : 1;
        i += length;
    }
    return units;
}
