#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // Keep GTK to the X display alone: no accessibility bus, no settings
    // daemon, nothing that outlives a test or races with it.
    setenv("NO_AT_BRIDGE", "1", 1);
    setenv("GTK_A11Y", "none", 1);
    setenv("GSETTINGS_BACKEND", "memory", 1);
    setenv("GDK_BACKEND", "x11", 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
