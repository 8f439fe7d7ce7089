// Runs the core's tests over the scripted system; tests that need their own fakes install them.
#include <gtest/gtest.h>

#include "tests/native/fake_system.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    static tolvare::testing::FakeSystem fake;
    tolvare::SetSystem(&fake);
    return RUN_ALL_TESTS();
}
