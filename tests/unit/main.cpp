// The unit suites carry the setup's own resources, so the module is the resource instance.
#include <gtest/gtest.h>

#include "app/setup.h"

int main(int argc, char** argv) {
    g_appInstance = GetModuleHandleA(nullptr);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
