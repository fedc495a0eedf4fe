#include "support/ccArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Item : Object {
    Item(int id, std::vector<int>* released) : id(id), released(released) {}
    ~Item() override { released->push_back(id); }
    int id;
    std::vector<int>* released;
};

} // namespace

TEST(ccArray, GrowsByDoublingAndHoldsWhatItKeeps) {
    std::vector<int> released;
    ccArray* array = ccArrayNew(0);
    EXPECT_EQ(array->capacity, 1u);
    for (int i = 0; i < 5; ++i) {
        Ref<Item> item = make<Item>(i, &released);
        ccArrayAppendObjectWithResize(array, item.get());
    }
    EXPECT_EQ(array->count, 5u);
    EXPECT_EQ(array->capacity, 8u);
    EXPECT_TRUE(released.empty());
    ccArrayFree(array);
    EXPECT_EQ(released.size(), 5u);
}

TEST(ccArray, AWalkThatRemovesAsItGoesVisitsEveryObjectOnce) {
    std::vector<int> released;
    ccArray* array = ccArrayNew(4);
    for (int i = 0; i < 6; ++i) {
        Ref<Item> item = make<Item>(i, &released);
        ccArrayAppendObjectWithResize(array, item.get());
    }
    // Remove the even ones while walking, the way the game walks its
    // falling objects: after a removal the moved-in object is next.
    std::vector<int> visited;
    for (size_t i = 0; i < array->count;) {
        int id = array->at<Item>(i)->id;
        visited.push_back(id);
        if (id % 2 == 0)
            ccArrayFastRemoveObjectAtIndex(array, i);
        else
            ++i;
    }
    std::sort(visited.begin(), visited.end());
    EXPECT_EQ(visited, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(released, (std::vector<int>{0, 2, 4}));
    ASSERT_EQ(array->count, 3u);
    EXPECT_EQ(ccArrayGetIndexOfObject(array, array->at<Item>(2)), 2u);
    ccArrayFree(array);
}
