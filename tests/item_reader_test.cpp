// Tests of the item reader: text and numeric items, empty fields, the three kinds of line end,
// quoted items, the end-of-text test, strict numbers and the places items are found at.
#include "compile/item_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scenario {
namespace {

std::vector<std::string> text_items(std::string_view text) {
    item_reader reader(text);
    std::vector<std::string> items;
    while (!reader.at_end()) items.push_back(reader.read_text());
    return items;
}

std::vector<std::int64_t> numbers(std::string_view text) {
    item_reader reader(text);
    std::vector<std::int64_t> values;
    while (!reader.at_end()) values.push_back(reader.read_number());
    return values;
}

TEST(ItemReader, TextItems) {
    struct row {
        const char* text;
        std::vector<std::string> items;
    };
    const row rows[] = {
        {"abc,def", {"abc", "def"}},
        {"  lunghezza percorso,    22000", {"lunghezza percorso", "22000"}},
        {"abc   ,\tdef\t ", {"abc", "def"}},  // trailing blanks are not part of an item
        {"a b  c,d", {"a b  c", "d"}},        // inner blanks are
        {"\r\n\r\n  \r\nabc\r\n\r\n", {"abc"}},
        {"a,,b", {"a", "", "b"}},
        {"[fine]", {"[fine]"}},
        {"\"a, b\" , c", {"a, b", "c"}},
        {"\" a \",b", {" a ", "b"}},
        {"\"ab\"cd,e", {"ab", "e"}},
        {"\"ab, c\r\nd", {"ab, c", "d"}},  // an unclosed quote ends at the line end
        {"x,\"\",y", {"x", "", "y"}},
        {"x\"y\",z", {"x\"y\"", "z"}},  // a quote inside an item is plain text
    };
    for (const row& r : rows) {
        EXPECT_EQ(text_items(r.text), r.items) << "text: " << r.text;
    }
}

TEST(ItemReader, LineEndsOfEveryKind) {
    for (const char* text : {"a\r\nb\r\nc", "a\nb\nc", "a\rb\rc", "a\r\nb\nc\r"}) {
        EXPECT_EQ(text_items(text), (std::vector<std::string>{"a", "b", "c"})) << text;
    }
    // A numeric item also ends at a line end and consumes it.
    for (const char* text : {"1\r\n2", "1\n2", "1\r2", "1  \r\n  2"}) {
        EXPECT_EQ(numbers(text), (std::vector<std::int64_t>{1, 2})) << text;
    }
}

TEST(ItemReader, NumericItems) {
    struct row {
        const char* text;
        std::vector<std::int64_t> values;
    };
    const row rows[] = {
        {"0    ,0", {0, 0}},
        {"0,  ,  ,  ,  0", {0, 0, 0, 0, 0}},
        {"  80,  ,  ,  ,  0", {80, 0, 0, 0, 0}},
        {",5", {0, 5}},
        {"-25", {-25}},
        {"+7, -0", {7, 0}},
        {"12 34", {12, 34}},  // a blank ends a number; the next item needs no comma
        {"2100,\r\n-25", {2100, -25}},
        {"5  ,\r\n", {5}},
        {"2147483647, -2147483648", {2147483647, -2147483648LL}},
    };
    for (const row& r : rows) {
        EXPECT_EQ(numbers(r.text), r.values) << "text: " << r.text;
    }
}

TEST(ItemReader, ClockLineMixesTextAndNumbers) {
    item_reader reader("orologio,    6               29            30 ");
    EXPECT_EQ(reader.read_text(), "orologio");
    EXPECT_EQ(reader.read_integer(), 6);
    EXPECT_EQ(reader.read_integer(), 29);
    EXPECT_EQ(reader.read_integer(), 30);
    EXPECT_TRUE(reader.at_end());
}

TEST(ItemReader, EndOfTextOnlyBlanksAndLineEndsLeft) {
    item_reader reader("[generale]\r\n[fine]\r\n\r\n \t \r\n");
    EXPECT_FALSE(reader.at_end());
    EXPECT_EQ(reader.read_text(), "[generale]");
    EXPECT_FALSE(reader.at_end());
    EXPECT_EQ(reader.read_text(), "[fine]");
    EXPECT_TRUE(reader.at_end());
    EXPECT_TRUE(item_reader("").at_end());
    EXPECT_TRUE(item_reader(" \r\n\t\n\r").at_end());
    // A last item without a line end is followed by the end at once.
    item_reader bare("[fine]");
    bare.read_text();
    EXPECT_TRUE(bare.at_end());
}

TEST(ItemReader, ReadingPastTheEndFails) {
    for (const char* text : {"", "  \r\n  ", "x\r\n"}) {
        item_reader reader(text);
        item_reader numeric(text);
        if (std::string_view(text).starts_with("x")) {
            reader.read_text();
            numeric.read_text();
        }
        EXPECT_THROW(reader.read_text(), compile_fault) << text;
        EXPECT_THROW(numeric.read_number(), compile_fault) << text;
    }
    // A comma at the very end announces no further field.
    item_reader reader("5,");
    EXPECT_EQ(reader.read_long(), 5);
    EXPECT_TRUE(reader.at_end());
    EXPECT_THROW(reader.read_long(), compile_fault);
}

TEST(ItemReader, NonNumericItemsFail) {
    for (const char* text : {"abc", "12x", "1-2", "-", "+", "1.5", "0x10", "--1", "\"5\"", "1e3",
                             "99999999999999999999999"}) {
        EXPECT_THROW(item_reader(text).read_long(), compile_fault) << text;
        EXPECT_THROW(item_reader(text).read_integer(), compile_fault) << text;
        EXPECT_THROW(item_reader(text).read_byte(), compile_fault) << text;
    }
}

TEST(ItemReader, ValuesMustFitTheirField) {
    struct row {
        const char* text;
        bool fits_long;
        bool fits_integer;
        bool fits_byte;
    };
    const row rows[] = {
        {"0", true, true, true},
        {"255", true, true, true},
        {"256", true, true, false},
        {"-1", true, true, false},
        {"32767", true, true, false},
        {"32768", true, false, false},
        {"-32768", true, true, false},
        {"-32769", true, false, false},
        {"2147483647", true, false, false},
        {"2147483648", false, false, false},
        {"-2147483648", true, false, false},
        {"-2147483649", false, false, false},
    };
    for (const row& r : rows) {
        const std::int64_t value = std::stoll(r.text);
        if (r.fits_long) {
            EXPECT_EQ(item_reader(r.text).read_long(), value) << r.text;
        } else {
            EXPECT_THROW(item_reader(r.text).read_long(), compile_fault) << r.text;
        }
        if (r.fits_integer) {
            EXPECT_EQ(item_reader(r.text).read_integer(), value) << r.text;
        } else {
            EXPECT_THROW(item_reader(r.text).read_integer(), compile_fault) << r.text;
        }
        if (r.fits_byte) {
            EXPECT_EQ(item_reader(r.text).read_byte(), value) << r.text;
        } else {
            EXPECT_THROW(item_reader(r.text).read_byte(), compile_fault) << r.text;
        }
    }
}

TEST(ItemReader, FaultNamesTheItemAndTheReaderKnowsThePlace) {
    item_reader reader("lunghezza percorso,\r\n  12x\r\n");
    reader.read_text();
    try {
        reader.read_long();
        FAIL() << "no fault";
    } catch (const compile_fault& fault) {
        EXPECT_EQ(fault.code(), failure_code::not_whole_number);
        EXPECT_EQ(fault.arguments(), std::vector<diagnostic_argument>{std::string("12x")});
        EXPECT_EQ(reader.last_item(), (source_location{2, 3}));
        EXPECT_EQ(reader.here(), (source_location{3, 1}));  // after the item and its line end
    }
}

TEST(ItemReader, ItemsKnowWhereTheyBegan) {
    // Lines end in CR LF, LF and CR in turn; a CR LF counts once.
    item_reader reader("ab, cd\r\n  ef,\n\t7\rgh");
    const source_location expected[] = {{1, 1}, {1, 5}, {2, 3}, {3, 2}, {4, 1}};
    for (const source_location& where : expected) {
        if (where.line == 3) {
            reader.read_number();
        } else {
            reader.read_text();
        }
        EXPECT_EQ(reader.last_item(), where) << where.line << ":" << where.column;
    }
    EXPECT_EQ(reader.here(), (source_location{4, 3}));
    // Asking for an earlier place after a later one gives the right answer too.
    EXPECT_EQ(reader.location_of(4), (source_location{1, 5}));
    EXPECT_EQ(reader.location_of(6), (source_location{1, 7}));  // the CR ends line 1
    EXPECT_EQ(reader.location_of(7), (source_location{2, 1}));  // its LF adds nothing
    EXPECT_EQ(reader.location_of(8), (source_location{2, 1}));
}

TEST(ItemReader, QuotedItemBeginsAtItsQuote) {
    item_reader reader("x,  \"a, b\"  ,y");
    reader.read_text();
    EXPECT_EQ(reader.read_text(), "a, b");
    EXPECT_EQ(reader.last_item(), (source_location{1, 5}));
    EXPECT_EQ(reader.read_text(), "y");
}

}  // namespace
}  // namespace scenario
