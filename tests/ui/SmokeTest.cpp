#include <gtest/gtest.h>

TEST(UiSmoke, Starts) { SUCCEED(); }
