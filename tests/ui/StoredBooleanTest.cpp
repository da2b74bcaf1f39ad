#include "ui/StoredBoolean.h"

#include <gtest/gtest.h>

namespace {

TEST(StoredBooleanTest, ReadsWordsAndNumbersInAnyCaseAndNothingElse)
{
    // Read as true, as false, and as neither: nothing the user could have meant.
    const std::vector<QVariant> values[] = {{true, "TRUE", "Yes", "on", "2", -1},
                                            {false, "false", "NO", "Off", "0"},
                                            {"Dark", "", QVariant(), "nan"}};
    const std::optional<bool> meanings[] = {true, false, std::nullopt};
    for (int kind = 0; kind < 3; ++kind)
        for (const QVariant& value : values[kind])
            EXPECT_EQ(storedBoolean(value), meanings[kind]) << value.toString().toStdString();
}

} // namespace
