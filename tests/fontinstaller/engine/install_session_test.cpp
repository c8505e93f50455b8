#include <gtest/gtest.h>

#include "install_session.h"

TEST(Smoke, Runs) { EXPECT_EQ(GetACP(), 950u); }
