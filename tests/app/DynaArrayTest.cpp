#include "app/DynaArray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mv {
namespace {

std::vector<std::string> Visit(TDynaArray<std::string>& array, std::string*& cursor) {
    std::vector<std::string> seen;
    array.FirstItem();
    while (array.NextItem())
        seen.push_back(*cursor);
    return seen;
}

TEST(DynaArray, EmptyArrayIteratesNothingAndLeavesTheCursorAlone) {
    std::string sentinel = "untouched";
    std::string* cursor = &sentinel;
    TDynaArray<std::string> array(&cursor);
    EXPECT_EQ(cursor, &sentinel);
    array.FirstItem();
    EXPECT_FALSE(array.NextItem());
    EXPECT_EQ(cursor, &sentinel);
    EXPECT_EQ(array.CurrentIndex(), -1);
    EXPECT_FALSE(array.HasBlock());
}

TEST(DynaArray, IterationPublishesEveryElementInOrder) {
    std::string* cursor = nullptr;
    TDynaArray<std::string> array(&cursor);
    for (const char* s : {"a", "b", "c"}) {
        std::string* item = array.AppendItem();
        EXPECT_EQ(cursor, item);
        EXPECT_TRUE(item->empty());
        *item = s;
    }
    EXPECT_EQ(array.CurrentIndex(), 2);
    EXPECT_EQ(Visit(array, cursor), (std::vector<std::string>{"a", "b", "c"}));
    // After the loop the last element stays published and the index is past it.
    EXPECT_EQ(*cursor, "c");
    EXPECT_EQ(array.CurrentIndex(), 3);
    EXPECT_FALSE(array.NextItem());

    EXPECT_EQ(*array.SeekItem(1), "b");
    EXPECT_EQ(*cursor, "b");
    EXPECT_EQ(array.CurrentIndex(), 1);
}

TEST(DynaArray, DeleteClosesTheGapAndDropsTheCursor) {
    std::string* cursor = nullptr;
    TDynaArray<std::string> array(&cursor);
    for (const char* s : {"1", "2", "3", "4", "5"})
        *array.AppendItem() = s;
    // Backwards, as the window removes selected lines.
    array.DeleteItem(3);
    array.DeleteItem(1);
    EXPECT_EQ(cursor, nullptr);
    EXPECT_EQ(array.CurrentItem(), nullptr);
    EXPECT_EQ(array.CurrentIndex(), -1);
    EXPECT_EQ(Visit(array, cursor), (std::vector<std::string>{"1", "3", "5"}));

    // Out of range: ignored, the cursor stays.
    array.SeekItem(0);
    array.DeleteItem(3);
    array.DeleteItem(-1);
    EXPECT_EQ(array.ItemCount(), 3u);
    EXPECT_EQ(*cursor, "1");

    // A slot freed by a delete comes back empty on the next append.
    EXPECT_TRUE(array.AppendItem()->empty());

    array.ClearItems();
    EXPECT_EQ(cursor, nullptr);
    EXPECT_EQ(array.ItemCount(), 0u);
    EXPECT_FALSE(array.HasBlock());
}

TEST(DynaArray, CapacityMovesInStepsOfOneHundred) {
    TDynaArray<std::string> array;
    EXPECT_EQ(array.Capacity(), 0u);
    for (int i = 0; i < 100; ++i)
        *array.AppendItem() = std::to_string(i);
    EXPECT_EQ(array.Capacity(), 100u);
    array.AppendItem();
    EXPECT_EQ(array.Capacity(), 200u);
    for (int i = 101; i < 200; ++i)
        *array.AppendItem() = std::to_string(i);
    EXPECT_EQ(array.Capacity(), 200u);
    array.AppendItem();
    EXPECT_EQ(array.Capacity(), 300u);

    // Shrinking: back to 200 only when 200 elements are left, and the
    // elements survive the move.
    array.DeleteItem(200);
    EXPECT_EQ(array.Capacity(), 200u);
    array.DeleteItem(0);
    EXPECT_EQ(array.Capacity(), 200u);
    while (array.ItemCount() > 100)
        array.DeleteItem(0);
    EXPECT_EQ(array.Capacity(), 100u);
    EXPECT_EQ(array[0], "");
    EXPECT_EQ(array[1], "101");
    EXPECT_EQ(array[98], "198");
    while (array.ItemCount() > 0)
        array.DeleteItem(0);
    EXPECT_EQ(array.Capacity(), 0u);
    EXPECT_FALSE(array.HasBlock());
}

} // namespace
} // namespace mv
