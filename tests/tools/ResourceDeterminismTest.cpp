// The resource generator writes the same bytes every time, and the build's
// resources are what it writes now.
#include "platform/Files.h"
#include "tests/common/TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sys/wait.h>

namespace {

std::map<std::string, std::string> filesIn(const std::filesystem::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.is_regular_file())
            files[entry.path().filename().string()] = test::readText(entry.path().string());
    return files;
}

int generate(const test::TempDir& dir) {
    std::string cmd = std::string(NEBULARK_RESGEN) + " " + dir.path().string() + " >/dev/null";
    int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(ResourceDeterminism, TwoRunsWriteTheSameBytes) {
    test::TempDir first, second;
    ASSERT_EQ(generate(first), 0);
    ASSERT_EQ(generate(second), 0);
    auto a = filesIn(first.path()), b = filesIn(second.path());
    EXPECT_GE(a.size(), 19u);
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a) {
        ASSERT_TRUE(b.count(name)) << name;
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_TRUE(bytes == b[name]) << name << " differs between runs";
    }

    // The build's resource directory holds the same files (plus what is
    // shipped as it is).
    auto built = filesIn(platform::resourceDirectory());
    for (const auto& [name, bytes] : a) {
        ASSERT_TRUE(built.count(name)) << name;
        EXPECT_TRUE(bytes == built[name]) << name << " is stale in the build";
    }
}

TEST(ResourceDeterminism, BadUsageFailsWithoutWriting) {
    int status = std::system((std::string(NEBULARK_RESGEN) + " >/dev/null 2>&1").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}
