#include "platform/NotificationCenter.h"
#include "tests/common/TestSupport.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

using platform::Notification;
using platform::NotificationCenter;
using platform::NotificationSelector;

namespace {

// Records what it received as "observer:name".
struct Recorder {
    std::vector<std::string>* log;
    std::string label;
    NotificationSelector selector() {
        return NotificationSelector(
            "observe", [this](Notification* n) { log->push_back(label + ":" + n->name()); });
    }
};

} // namespace

TEST(NotificationCenter, DeliversInOrderFilteredByNameAndObject) {
    NotificationCenter center;
    std::vector<std::string> log;
    Recorder a{&log, "a"}, b{&log, "b"}, every{&log, "every"}, fromX{&log, "fromX"};
    auto x = make<Object>();
    auto y = make<Object>();
    center.addObserver(&b, b.selector(), "Settings");
    center.addObserver(&every, every.selector(), std::nullopt);
    center.addObserver(&a, a.selector(), "Settings");
    center.addObserver(&fromX, fromX.selector(), "highScores", x.get());
    center.addObserver(&a, a.selector(), std::string()); // empty: every name too

    center.postNotificationName("Settings");
    center.postNotificationName("highScores", y.get());
    center.postNotificationName("highScores", x.get());
    EXPECT_EQ(log,
              (std::vector<std::string>{"b:Settings", "every:Settings", "a:Settings", "a:Settings",
                                        "every:highScores", "a:highScores", "every:highScores",
                                        "fromX:highScores", "a:highScores"}));
    EXPECT_EQ(&NotificationCenter::defaultCenter(), &NotificationCenter::defaultCenter());
}

TEST(NotificationCenter, NotificationCarriesNameAndKeepsItsObject) {
    NotificationCenter center;
    Ref<Notification> kept;
    int observer = 0;
    center.addObserver(&observer, NotificationSelector("keep", [&](Notification* n) { kept = n; }),
                       "BannerDidSlideIn");
    auto sender = make<Object>();
    Object* raw = sender.get();
    center.postNotificationName("BannerDidSlideIn", raw);
    sender = nullptr;
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->name(), "BannerDidSlideIn");
    EXPECT_EQ(kept->object(), raw); // still alive through the notification
    EXPECT_EQ(kept->object()->retainCount(), 1);
}

TEST(NotificationCenter, RemovesAllOrByName) {
    NotificationCenter center;
    std::vector<std::string> log;
    Recorder a{&log, "a"}, b{&log, "b"};
    auto x = make<Object>();
    center.addObserver(&a, a.selector(), "one");
    center.addObserver(&a, a.selector(), "two");
    center.addObserver(&a, a.selector(), "two", x.get());
    center.addObserver(&a, a.selector(), std::nullopt);
    center.addObserver(&b, b.selector(), "one");
    EXPECT_EQ(center.observerCount(), 5u);

    center.removeObserver(&a, "two", x.get()); // only the one for x
    EXPECT_EQ(center.observerCount(), 4u);
    center.removeObserver(&a, "two");
    EXPECT_EQ(center.observerCount(), 3u);
    center.postNotificationName("two", x.get());
    EXPECT_EQ(log, (std::vector<std::string>{"a:two"})); // the every-name registration
    log.clear();

    center.removeObserver(&a);
    center.postNotificationName("one");
    EXPECT_EQ(log, (std::vector<std::string>{"b:one"}));
    center.removeObserver(&a); // nothing left: no effect
    EXPECT_EQ(center.observerCount(), 1u);
}

TEST(NotificationCenter, ChangesDuringDeliveryAffectLaterObserversCorrectly) {
    NotificationCenter center;
    std::vector<std::string> log;
    int self = 0, victim = 0, adder = 0, late = 0;
    auto entry = [&](const char* label, std::function<void()> extra = {}) {
        return NotificationSelector(label, [&log, label, extra](Notification*) {
            log.push_back(label);
            if (extra) extra();
        });
    };
    center.addObserver(&self, entry("self", [&] { center.removeObserver(&self); }), "go");
    center.addObserver(
        &adder, entry("adder", [&] { center.addObserver(&late, entry("late"), "go"); }), "go");
    center.addObserver(&victim, entry("killer", [&] { center.removeObserver(&victim); }), "go");
    // Registered after the killer: removed before its turn comes.
    center.addObserver(&victim, entry("victim"), "go");
    int nester = 0;
    bool nested = false;
    center.addObserver(&nester,
                       entry("nested",
                             [&] {
                                 if (!std::exchange(nested, true))
                                     center.postNotificationName("go");
                             }),
                       "go");

    center.postNotificationName("go");
    // The victim is skipped; the late observer waits for the next post, and
    // the nested post is such a next post.
    EXPECT_EQ(log, (std::vector<std::string>{"self", "adder", "killer", "nested", "adder", "nested",
                                             "late"}));
    log.clear();
    center.postNotificationName("go");
    EXPECT_EQ(log, (std::vector<std::string>{"adder", "nested", "late", "late"}));
}

TEST(NotificationCenter, ObserverDestroyedDuringDeliveryIsNotCalled) {
    NotificationCenter center;
    std::vector<std::string> log;
    struct Owned {
        NotificationCenter* center;
        std::vector<std::string>* log;
        ~Owned() { center->removeObserver(this); }
    };
    std::unique_ptr<Owned> owned(new Owned{&center, &log});
    Owned* target = owned.get();
    int killer = 0;
    center.addObserver(&killer, NotificationSelector("kill", [&](Notification*) { owned.reset(); }),
                       "go");
    center.addObserver(
        target,
        NotificationSelector(
            "use", [target](Notification*) { target->log->push_back("used after free"); }),
        "go");
    center.postNotificationName("go");
    EXPECT_TRUE(log.empty());
}
