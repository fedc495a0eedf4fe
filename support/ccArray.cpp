#include "support/ccArray.h"

#include "support/Error.h"

#include <algorithm>
#include <utility>

ccArray* ccArrayNew(std::size_t capacity) {
    auto* array = new ccArray;
    array->capacity = std::max<std::size_t>(capacity, 1);
    array->objects = std::make_unique<Ref<Object>[]>(array->capacity);
    return array;
}

void ccArrayFree(ccArray* array) { delete array; }

void ccArrayAppendObjectWithResize(ccArray* array, Object* object) {
    if (array->count == array->capacity) {
        auto grown = std::make_unique<Ref<Object>[]>(array->capacity * 2);
        std::move(array->objects.get(), array->objects.get() + array->count, grown.get());
        array->objects = std::move(grown);
        array->capacity *= 2;
    }
    array->objects[array->count++] = object;
}

void ccArrayFastRemoveObjectAtIndex(ccArray* array, std::size_t index) {
    ccAssert(index < array->count, "ccArray: index out of range");
    // Keep the removed object until the slot is consistent again: its release
    // may run code that looks at the array.
    Ref<Object> removed = std::move(array->objects[index]);
    std::size_t last = --array->count;
    if (index != last) array->objects[index] = std::move(array->objects[last]);
}

std::size_t ccArrayGetIndexOfObject(const ccArray* array, const Object* object) {
    for (std::size_t i = 0; i < array->count; ++i)
        if (array->objects[i].get() == object) return i;
    return array->count;
}
