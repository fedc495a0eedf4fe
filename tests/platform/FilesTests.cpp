#include "platform/Files.h"
#include "tests/common/TestSupport.h"

#include <cstdlib>
#include <optional>
#include <sys/stat.h>

namespace {

// Sets or clears an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

class Files : public ::testing::Test {
protected:
    void SetUp() override { platform::setDocumentsDirectory(""); }
    void TearDown() override {
        platform::setDocumentsDirectory("");
        platform::setResourceDirectory("");
    }
    test::TempDir dir;
};

} // namespace

TEST_F(Files, DocumentsDirectoryFollowsXdgThenHomeThenTheSetting) {
    ScopedEnv home("HOME", dir.file("home").c_str());
    {
        ScopedEnv xdg("XDG_DATA_HOME", dir.file("xdg").c_str());
        EXPECT_EQ(platform::documentsDirectory(), dir.file("xdg/nebulark-skirmage"));
        EXPECT_TRUE(std::filesystem::is_directory(dir.file("xdg/nebulark-skirmage")));
        EXPECT_EQ(platform::documentPath("killScore"), dir.file("xdg/nebulark-skirmage/killScore"));
    }
    for (const char* xdg : {(const char*)nullptr, "", "relative/path"}) {
        platform::setDocumentsDirectory("");
        ScopedEnv unset("XDG_DATA_HOME", xdg);
        EXPECT_EQ(platform::documentsDirectory(), dir.file("home/.local/share/nebulark-skirmage"))
            << (xdg ? xdg : "(unset)");
    }
    platform::setDocumentsDirectory(dir.file("chosen"));
    EXPECT_EQ(platform::documentsDirectory(), dir.file("chosen"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("chosen")));
    EXPECT_EQ(platform::documentPath("easy"), dir.file("chosen/easy"));
}

TEST_F(Files, PathForResourceFindsOnlyExistingFiles) {
    platform::setResourceDirectory(dir.path().string());
    test::writeText(dir.file("coordinates.plist"), "x");
    test::writeText(dir.file("README"), "x");
    EXPECT_EQ(platform::resourceDirectory(), dir.path().string());
    EXPECT_EQ(platform::pathForResource("coordinates", "plist"), dir.file("coordinates.plist"));
    EXPECT_EQ(platform::pathForResource("README", ""), dir.file("README"));
    EXPECT_EQ(platform::pathForResource("coordinates", "png"), "");
    EXPECT_EQ(platform::pathForResource("", ""), "");
}

TEST_F(Files, RemoveFileIsTrueWhenTheFileIsGone) {
    test::writeText(dir.file("invert"), "x");
    EXPECT_TRUE(platform::fileExists(dir.file("invert")));
    EXPECT_TRUE(platform::removeFile(dir.file("invert")));
    EXPECT_FALSE(platform::fileExists(dir.file("invert")));
    EXPECT_TRUE(platform::removeFile(dir.file("invert")));
    EXPECT_TRUE(platform::removeFile(dir.file("never/there")));
    std::filesystem::create_directory(dir.file("folder"));
    EXPECT_FALSE(platform::removeFile(dir.file("folder")));
    EXPECT_TRUE(platform::fileExists(dir.file("folder")));
    EXPECT_FALSE(platform::fileExists(""));
}

TEST_F(Files, ReadFileRefusesWhatIsNotASmallRegularFile) {
    test::writeText(dir.file("ten"), "0123456789");
    auto ten = platform::readFile(dir.file("ten"), 10);
    ASSERT_TRUE(ten);
    EXPECT_EQ(std::string(ten->begin(), ten->end()), "0123456789");
    EXPECT_FALSE(platform::readFile(dir.file("ten"), 9));
    test::writeText(dir.file("empty"), "");
    EXPECT_TRUE(platform::readFile(dir.file("empty")));
    EXPECT_FALSE(platform::readFile(dir.file("missing")));
    EXPECT_FALSE(platform::readFile(dir.path().string()));
    // A FIFO would block an ordinary open until someone writes to it.
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(platform::readFile(dir.file("fifo")));
}

TEST_F(Files, AtomicWriteReplacesTheFileAndLeavesNothingBehind) {
    const std::string path = dir.file("on");
    test::writeText(path, "old contents that are longer");
    ASSERT_TRUE(platform::writeFileAtomically(path, "new", 3));
    EXPECT_EQ(test::readText(path), "new");
    ASSERT_TRUE(platform::writeFileAtomically(path, nullptr, 0));
    EXPECT_EQ(test::readText(path), "");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_FALSE(platform::writeFileAtomically(dir.file("missing/on"), "x", 1));
    size_t entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path()))
        entries += e.exists();
    EXPECT_EQ(entries, 1u);
}

TEST_F(Files, OnlyOldTemporaryFilesOfUnfinishedWritesAreRemoved) {
    const auto hoursAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(2);
    struct Case {
        const char* name;
        bool old, removed;
    } cases[] = {
        {".scoreData.plist.a1B2c3", true, true},
        {".on.Zz09aa", true, true},
        {".on.Zz09ab", false, false}, // another run may be writing it now
        {".hidden", true, false},
        {".on.Zz-9ab", true, false},
        {"on.Zz09ab", true, false},
        {"scoreData.plist", true, false},
    };
    for (const Case& c : cases) {
        test::writeText(dir.file(c.name), "x");
        if (c.old) std::filesystem::last_write_time(dir.file(c.name), hoursAgo);
    }
    std::filesystem::create_directory(dir.file(".dir.abcdef"));
    std::filesystem::last_write_time(dir.file(".dir.abcdef"), hoursAgo);
    EXPECT_EQ(platform::removeUnfinishedWrites(dir.path().string()), 2u);
    for (const Case& c : cases)
        EXPECT_NE(platform::fileExists(dir.file(c.name)), c.removed) << c.name;
    EXPECT_TRUE(platform::fileExists(dir.file(".dir.abcdef")));
}

TEST(Directories, RelativeDirectoriesAreKeptAbsolute) {
    // Libraries handed a resource path (fontconfig) do not resolve relative
    // ones against the working directory.
    platform::setResourceDirectory("some/relative/../dir");
    std::string dir = platform::resourceDirectory();
    EXPECT_EQ(dir.front(), '/');
    EXPECT_EQ(dir, (std::filesystem::current_path() / "some/dir").string());
    platform::setResourceDirectory("");
}
