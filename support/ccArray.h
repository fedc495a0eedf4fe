#pragma once

#include "support/Ref.h"

#include <cstddef>
#include <memory>

// A small array of held objects whose removal moves the last object into the
// hole instead of shifting the rest: order is not kept, so a walk by index
// that removes as it goes processes the moved object next.
struct ccArray {
    std::size_t count = 0;
    std::size_t capacity = 0;
    std::unique_ptr<Ref<Object>[]> objects;

    template <class T>
    T* at(std::size_t index) const {
        return static_cast<T*>(objects[index].get());
    }
};

// Room for `capacity` objects, at least one.
ccArray* ccArrayNew(std::size_t capacity);
// Releases every object and the record.
void ccArrayFree(ccArray* array);
// Appends and holds `object`, doubling the capacity when full.
void ccArrayAppendObjectWithResize(ccArray* array, Object* object);
// Releases the object at `index` and moves the last object into its slot.
void ccArrayFastRemoveObjectAtIndex(ccArray* array, std::size_t index);
// The index of `object`, or count when it is not in the array.
std::size_t ccArrayGetIndexOfObject(const ccArray* array, const Object* object);
