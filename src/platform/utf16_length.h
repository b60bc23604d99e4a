#pragma once
#include <cstddef>
#include <string_view>

// Number of UTF-16 units the UTF-8 text would take, so length limits made
// for UTF-16 names pass and fail the same names here. Bytes that are not
// valid UTF-8 count one unit each.
size_t Utf16Length(std::string_view utf8);
