#include "store/memory_limit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/test_support.h"

using namespace veldax;

TEST(MemoryLimit, ParsesLimitFiles) {
    const struct {
        const char* text;
        uint64_t bytes;
    } cases[] = {
        {"2147483648\n", 2147483648u},    {"max\n", 0}, {"", 0}, {"12x\n", 0}, {"  4096  \n", 4096},
        {"9223372036854771712\n", 0},  // the older interface's "unlimited"
        {"99999999999999999999999\n", 0},
        // 20 digits past 64 bits: no limit, never the 4 bytes they wrap to.
        {"18446744073709551620\n", 0},
        {"18446744073709551615\n", 0},
        {"4611686018427387903\n", 4611686018427387903u},  // the last value below 2^62
    };
    for (const auto& c : cases) EXPECT_EQ(parse_memory_limit(c.text), c.bytes) << c.text;
}

TEST(MemoryLimit, FindsTheProcessGroup) {
    const std::string hybrid = "9:name=systemd:/\n4:cpu,memory:/jobs/a\n0::/user/b\n";
    EXPECT_EQ(cgroup_path(hybrid, 1), "/jobs/a");
    EXPECT_EQ(cgroup_path(hybrid, 2), "/user/b");
    EXPECT_EQ(cgroup_path("4:cpu:/x\n", 1), "");
    EXPECT_EQ(cgroup_path("", 2), "");
}

// A fake mount: the tightest limit on the way up counts, and a group whose
// folder is not visible (inside a container) falls back to the root's.
TEST(MemoryLimit, TakesTheTightestGroupOnTheWayUp) {
    veldax_test::TempDir root;
    const std::string v2 = root.path();
    ::mkdir((v2 + "/a").c_str(), 0755);
    ::mkdir((v2 + "/a/b").c_str(), 0755);
    veldax_test::write_file(v2 + "/memory.max", "max\n");
    veldax_test::write_file(v2 + "/a/memory.max", "2147483648\n");
    veldax_test::write_file(v2 + "/a/b/memory.max", "max\n");
    EXPECT_EQ(cgroup_memory_limit("0::/a/b\n", v2, 2), 2147483648u);
    EXPECT_EQ(cgroup_memory_limit("0::/gone\n", v2, 2), 0u);
    veldax_test::write_file(v2 + "/memory.max", "1073741824\n");
    EXPECT_EQ(cgroup_memory_limit("0::/gone\n", v2, 2), 1073741824u);

    // The whole chain counts, not the nearest limit: the leaf's and the
    // middle's are looser than the root's, then the middle is the tightest.
    ::mkdir((v2 + "/a/b/c").c_str(), 0755);
    veldax_test::write_file(v2 + "/a/b/c/memory.max", "4294967296\n");
    veldax_test::write_file(v2 + "/a/b/memory.max", "3221225472\n");
    EXPECT_EQ(cgroup_memory_limit("0::/a/b/c\n", v2, 2), 1073741824u);
    veldax_test::write_file(v2 + "/a/memory.max", "805306368\n");
    EXPECT_EQ(cgroup_memory_limit("0::/a/b/c\n", v2, 2), 805306368u);
    EXPECT_EQ(cgroup_memory_limit("0::/a/b/c/\n", v2, 2), 805306368u);

    ::mkdir((v2 + "/memory").c_str(), 0755);
    veldax_test::write_file(v2 + "/memory/memory.limit_in_bytes", "536870912\n");
    EXPECT_EQ(cgroup_memory_limit("3:memory:/docker/x\n", v2, 1), 536870912u);
    EXPECT_EQ(tighter_limit(0, 5), 5u);
    EXPECT_EQ(tighter_limit(7, 5), 5u);
    EXPECT_EQ(tighter_limit(7, 0), 7u);
}
