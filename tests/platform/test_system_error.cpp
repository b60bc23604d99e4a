#include <gtest/gtest.h>

#include <cerrno>

#include "platform/system_error.h"

namespace {

TEST(SystemError, TextOfCodeOrOfCurrentErrno)
{
    EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");
    EXPECT_EQ(SystemErrorText(ENOSPC), "No space left on device");
    errno = EACCES;
    EXPECT_EQ(SystemErrorText(0), "Permission denied");
    const std::string text = SystemErrorText(ENOENT);
    EXPECT_NE(text.back(), '\n');
}

} // namespace
