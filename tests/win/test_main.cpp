// The entry of the test programs: they link with -municode, so the C runtime calls wmain, not the main of
// gtest_main.
#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
