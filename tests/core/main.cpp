// Runs the core's tests over the scripted system; tests that need their own fakes install them.
#include <gtest/gtest.h>

#include "tests/native/fake_system.h"

void tolvare::testing::PrintTo(const ShownBox& box, std::ostream* os) {
    *os << ::testing::PrintToString(box.title + L": " + box.text) << " style 0x" << std::hex << box.style;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    static tolvare::testing::FakeSystem fake;
    tolvare::SetSystem(&fake);
    return RUN_ALL_TESTS();
}
