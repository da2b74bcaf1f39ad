#include "ui/StoredBoolean.h"

#include <gtest/gtest.h>

namespace {

TEST(StoredBooleanTest, ReadsWordsAndNumbersInAnyCaseAndNothingElse)
{
    const std::pair<QVariant, std::optional<bool>> values[] = {
        {true, true},
        {false, false},
        {QStringLiteral("TRUE"), true},
        {QStringLiteral("Yes"), true},
        {QStringLiteral("on"), true},
        {QStringLiteral("2"), true},
        {-1, true},
        {QStringLiteral("false"), false},
        {QStringLiteral("NO"), false},
        {QStringLiteral("Off"), false},
        {QStringLiteral("0"), false},
        {QStringLiteral("Dark"), std::nullopt},
        {QStringLiteral(""), std::nullopt},
        {QVariant(), std::nullopt},
        {QStringLiteral("nan"), std::nullopt}};
    for (const auto& [value, expected] : values)
        EXPECT_EQ(storedBoolean(value), expected) << value.toString().toStdString();
}

} // namespace
