#include <gtest/gtest.h>

#include "support/test_support.h"

using veldax_test::run_veldax;
using veldax_test::TempDir;

TEST(Driver, HelpAndVersionExitZero) {
    TempDir dir;
    for (const char* arg : {"--help", "-h"}) {
        auto r = run_veldax(dir.path(), {arg});
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.output.find("usage: veldax-gen"), std::string::npos);
    }
    auto r = run_veldax(dir.path(), {"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output.rfind("veldax-gen ", 0), 0u);
    EXPECT_TRUE(veldax_test::list_dir(dir.path()).empty());
}
