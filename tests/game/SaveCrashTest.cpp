// Saved files survive the process dying in the middle of writing them.
#include "game/SavedGameData.h"
#include "platform/Files.h"
#include "platform/PropertyList.h"
#include "tests/common/TestSupport.h"

#include <csignal>
#include <filesystem>
#include <linux/capability.h>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Round n of the writer leaves every saved file in a state of its own, each
// file through the rule the game writes it with; the numbers grow with n.
const std::vector<void (*)(int)> kRound = {
    [](int n) { saved::writeDifficultySegment(n % 3); },
    [](int n) { saved::writeControlSegment(n % 3); },
    [](int n) { saved::setFlag(saved::kInvert, n % 2 == 0); },
    [](int n) { saved::setFlag(saved::kWantsSound, n % 2 == 1); },
    [](int n) { saved::saveQuickPlayResult(n % 3, n, n - 1, n); },
    [](int n) { saved::missionWon(1 + n % 2); },
    [](int n) { saved::saveSurvivalBest(saved::kAsteroidAvoid, n / 100.0); },
    [](int n) { saved::saveSurvivalBest(saved::kDragShip, n / 50.0); },
    [](int n) { saved::saveSpaceShootBest(n); },
};

// What a whole file of some round holds: its keys, and per key either one
// of a few words or a number in the game's format that never goes down.
struct FileShape {
    const char* file;
    std::vector<const char*> keys;
    std::set<std::string> words; // empty: a number
    bool real = false;           // "%f" rather than "%d"
};

const std::vector<FileShape> kShapes = {
    {saved::kEasy, {"key"}, {"r", "d"}},        {saved::kControlScheme, {"key"}, {"d", "t"}},
    {saved::kInvert, {"key"}, {"ok"}},          {saved::kWantsSound, {"key"}, {"ok"}},
    {saved::kMissions, {"key"}, {"2", "3"}},    {saved::kScoreData, {"key", "medium", "hard"}, {}},
    {saved::kKillScore, {"key"}, {}},           {saved::kSpaceShoot, {"key"}, {}},
    {saved::kAsteroidAvoid, {"key"}, {}, true}, {saved::kDragShip, {"key"}, {}, true},
};

class SaveCrash : public ::testing::Test {
protected:
    void SetUp() override { platform::setDocumentsDirectory(docs.path().string()); }
    void TearDown() override { platform::setDocumentsDirectory(""); }

    // Every saved file is absent or whole, and no number went back.
    void expectWholeFiles(const std::string& when) {
        static const std::regex integer("-?[0-9]+"), real("[0-9]+\\.[0-9]{6}");
        for (const FileShape& shape : kShapes) {
            std::string path = platform::documentPath(shape.file);
            if (!platform::fileExists(path)) continue;
            auto dict = platform::readDictionary(path);
            ASSERT_TRUE(dict) << when << ": " << shape.file << " is damaged:\n"
                              << test::readText(path);
            ASSERT_EQ(dict->size(), shape.keys.size()) << when << ": " << shape.file;
            for (const char* key : shape.keys) {
                auto it = dict->find(key);
                ASSERT_TRUE(it != dict->end() && it->second.string())
                    << when << ": " << shape.file << " lacks " << key;
                const std::string& v = *it->second.string();
                if (!shape.words.empty()) {
                    EXPECT_TRUE(shape.words.count(v)) << when << ": " << shape.file << " = " << v;
                    continue;
                }
                ASSERT_TRUE(std::regex_match(v, shape.real ? real : integer))
                    << when << ": " << shape.file << " " << key << " = " << v;
                double& last = lastSeen[std::string(shape.file) + "/" + key];
                double now = saved::floatValue(v);
                EXPECT_GE(now, last) << when << ": " << shape.file << " " << key << " went back";
                last = now;
            }
        }
    }

    // Temporary files of writes that never finished.
    size_t leftovers() const {
        size_t n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(docs.path()))
            n += entry.path().filename().string().front() == '.';
        return n;
    }

    // In memory where there is a tmpfs: a kill lands in the write itself
    // rather than waiting for a disk sync to end.
    test::TempDir docs{::access("/dev/shm", W_OK) == 0
                           ? std::filesystem::path("/dev/shm")
                           : std::filesystem::temp_directory_path()};
    std::map<std::string, double> lastSeen;
};

// Every file of a directory by name, with its bytes.
std::map<std::string, std::string> snapshot(const std::filesystem::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        files[entry.path().filename().string()] = test::readText(entry.path().string());
    return files;
}

// A full disk, as far as this process is concerned: files cannot grow past
// a few bytes.
class FileSizeLimit {
public:
    FileSizeLimit() {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit small = old_;
        small.rlim_cur = 64;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

// A directory this thread cannot write into, also when it runs as root:
// root writes anywhere while its capability to override permissions is
// in force, so that is dropped from this thread for the while.
class ReadOnlyDirectory {
public:
    explicit ReadOnlyDirectory(const std::filesystem::path& dir) : dir_(dir) {
        ::chmod(dir_.c_str(), 0555);
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct dropped[2] = {saved_[0], saved_[1]};
        dropped[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        restore_ = ::syscall(SYS_capset, &header_, dropped) == 0;
    }
    ~ReadOnlyDirectory() {
        if (restore_) ::syscall(SYS_capset, &header_, saved_);
        ::chmod(dir_.c_str(), 0755);
    }

private:
    std::filesystem::path dir_;
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool restore_ = false;
};

} // namespace

TEST_F(SaveCrash, AFullDiskAReadOnlyDirectoryOrHeldWritesKeepTheOldFilesAndTheGameGoesOn) {
    enum Refusal { FullDisk, ReadOnly, Held };
    for (Refusal refusal : {FullDisk, ReadOnly, Held}) {
        SCOPED_TRACE(refusal == FullDisk   ? "full disk"
                     : refusal == ReadOnly ? "read-only"
                                           : "held");
        for (size_t step = 0; step < kRound.size(); ++step)
            kRound[step](3);
        saved::remove(saved::kMissions);
        const auto before = snapshot(docs.path());
        {
            std::optional<FileSizeLimit> limit;
            std::optional<ReadOnlyDirectory> readOnly;
            if (refusal == FullDisk) limit.emplace();
            if (refusal == ReadOnly) readOnly.emplace(docs.path());
            saved::holdWrites(refusal == Held);
            // Settings changed, best scores beaten, a mission won: nothing
            // is kept, and nothing claims it was (no banner).
            saved::writeDifficultySegment(1);
            saved::writeControlSegment(2);
            saved::setFlag(saved::kInvert, true);
            saved::saveQuickPlayResult(0, 900, 0, 900);
            EXPECT_FALSE(saved::missionWon(1));
            EXPECT_FALSE(saved::saveSurvivalBest(saved::kDragShip, 900));
            EXPECT_FALSE(saved::saveSpaceShootBest(900));
            saved::holdWrites(false);
        }
        EXPECT_EQ(snapshot(docs.path()), before);
        EXPECT_EQ(saved::bestQuickPlayScore(0), 3);
        for (const auto& entry : std::filesystem::directory_iterator(docs.path()))
            std::filesystem::remove(entry.path());
    }
}

TEST_F(SaveCrash, AWriterKilledAtAnyMomentLeavesEveryFileAbsentOrWhole) {
    constexpr int kKills = 300;
    constexpr int kRoundsPerLife = 1'000'000; // far more than a life can write
    std::mt19937 random(20261208);
    // A life of up to 30 ms may end in one of its first writes (a synced
    // write takes milliseconds on a disk), so each life starts at another
    // step.
    std::uniform_int_distribution<int> lifetimeUs(0, 30'000);
    for (int kill = 0; kill < kKills; ++kill) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            for (size_t step = size_t(kill);; ++step)
                kRound[step % kRound.size()]((kill + 1) * kRoundsPerLife + int(step));
        }
        ::usleep(useconds_t(lifetimeUs(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";
        expectWholeFiles("after kill " + std::to_string(kill));
        if (HasFatalFailure()) return;
    }
    // Kills came in the middle of writes (they left temporary files), so the
    // check saw interrupted writes, not only finished ones.
    EXPECT_GT(leftovers(), 0u);
    for (const FileShape& shape : kShapes)
        EXPECT_TRUE(!shape.words.empty() || saved::exists(shape.file)) << shape.file;
}
