#include "base/ovOwningList.h"

#include <gtest/gtest.h>

namespace {

struct Counted {
    static inline int alive = 0;
    explicit Counted(int v) : value(v) { ++alive; }
    virtual ~Counted() { --alive; }
    int value;
};
struct Special : Counted {
    using Counted::Counted;
};

TEST(OwningList, KeepsWhatItIsGivenUntilClearedOrDestroyed) {
    {
        ovOwningList<Counted> list;
        Counted* first = list.make(1);
        Special* second = list.add(std::make_unique<Special>(2));
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(Counted::alive, 2);
        // The view the rest of the program reads holds the same objects, in order.
        const ovPtrArray<Counted>& items = list.items();
        ASSERT_EQ(items.count(), 2);
        EXPECT_EQ(items[0], first);
        EXPECT_EQ(items[1], second);
        EXPECT_EQ(list[1]->value, 2);

        EXPECT_EQ(list.add(std::unique_ptr<Counted>()), nullptr) << "nothing to keep";
        EXPECT_EQ(list.count(), 2);

        list.clear();
        EXPECT_EQ(Counted::alive, 0) << "clear destroys every entry";
        EXPECT_TRUE(items.empty());

        list.reserve(10);
        for (int i = 0; i < 10; ++i)
            list.make(i);
        EXPECT_EQ(Counted::alive, 10);
    }
    EXPECT_EQ(Counted::alive, 0) << "the list's end destroys what is left";
}

} // namespace
