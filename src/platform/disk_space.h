#pragma once
#include <cstdint>
#include <string>

// 1 when the folder part of `path` (up to its last '/') has at least `kib`
// KiB free for this user; 0 when it has not, when there is no folder part
// (no '/', or only one at position 0) or when the system cannot tell.
int HasFreeSpace(const std::string& path, uint64_t kib);
