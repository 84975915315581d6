// Tests of the fault table: every code a compile records has exactly one row, with the value
// written to codice_errore, the text it belongs to and whether it carries a position.
#include "base/fault_codes.h"

#include <gtest/gtest.h>

#include <set>

namespace scenario {
namespace {

TEST(FaultCodes, EachRecordedValueHasItsRow) {
    struct row {
        std::int32_t value;
        fault_text text;
        bool carries_position;
        bool ends_pass;
    };
    using enum fault_text;
    const row rows[] = {
        {1, line, false, true},         {2, line, false, false},    {3, line, false, true},
        {4, line, false, true},         {5, line, false, true},     {6, line, true, true},
        {7, train, true, true},         {8, train, true, true},     {9, train, true, true},
        {10, train, false, true},       {11, spacing, true, false}, {12, spacing, true, false},
        {13, spacing, true, false},     {15, either, true, false},  {16, train, true, true},
        {17, train, true, true},        {18, train, true, true},    {19, train, true, true},
        {20, train, true, true},        {21, line, true, true},     {22, train, true, true},
        {24, train, false, true},       {25, either, false, true},  {101, line, false, true},
        {102, line, false, true},       {103, line, false, true},   {1250, identity, false, false},
        {1251, identity, false, false},
    };
    ASSERT_EQ(fault_table().size(), std::size(rows));
    for (const row& r : rows) {
        SCOPED_TRACE(r.value);
        const fault_descriptor* found = find_fault(r.value);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(value_of(found->code), r.value);
        EXPECT_EQ(found->text, r.text);
        EXPECT_EQ(found->carries_position, r.carries_position);
        EXPECT_EQ(found->ends_pass, r.ends_pass);
        EXPECT_FALSE(found->meaning.empty());
        EXPECT_EQ(&describe(found->code), found);
    }
}

TEST(FaultCodes, ValuesNoCompileRecordsHaveNoRow) {
    for (const std::int32_t value : {-1, 0, 14, 23, 26, 100, 104, 1249, 1252}) {
        EXPECT_EQ(find_fault(value), nullptr) << value;
    }
}

TEST(FaultCodes, MeaningsAreDistinct) {
    std::set<std::string_view> meanings;
    for (const fault_descriptor& row : fault_table()) {
        EXPECT_TRUE(meanings.insert(row.meaning).second) << row.meaning;
    }
}

}  // namespace
}  // namespace scenario
