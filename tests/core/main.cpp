// Runs the core's tests over the platform's real system; tests that need fakes install them.
#include <gtest/gtest.h>

#include "tests/core/fake_system.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    static RealSystem real;
    tolvare::SetSystem(&real);
    return RUN_ALL_TESTS();
}
