// Tests of the golden-file support: the SHA-256 digest against the standard test vectors, and
// the store's comparison, which must place the first difference, and its update mode.
#include "golden_files.h"

#include <gtest/gtest.h>

#include <string>

#include "testkit/test_support.h"

namespace scenario::testing {
namespace {

TEST(GoldenSha256, StandardTestVectors) {
    struct vector_case {
        std::string message;
        const char* digest;
    };
    const vector_case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits the block, padding takes a second one.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrl"
         "mnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1'000'000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const vector_case& c : cases) {
        EXPECT_EQ(sha256_hex(c.message), c.digest) << c.message.size() << " bytes";
    }
}

// Bytes "abc...zabc...": the byte at offset i is 'a' + i % 26.
std::string sample(std::size_t size) {
    std::string bytes(size, ' ');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + i % 26);
    return bytes;
}

std::string changed_at(std::size_t offset) {
    std::string bytes = sample(10000);
    bytes[offset] = 'X';
    return bytes;
}

class GoldenStore : public ::testing::Test {
   protected:
    // The golden file "kind/sample" as the update mode writes it, in the given form.
    void keep_sample(golden_form form) {
        ASSERT_TRUE(golden_store(dir.path(), true).check("kind/sample", sample(10000), form));
    }
    ::testing::AssertionResult check(const std::string& bytes, golden_form form) const {
        return golden_store(dir.path(), false).check("kind/sample", bytes, form);
    }

    scratch_directory dir;
};

TEST_F(GoldenStore, MismatchNamesTheFileAndPlacesTheFirstDifference) {
    struct mismatch_case {
        golden_form form;
        std::string produced;
        const char* message;
    };
    // 5000 % 26 = 8: the golden byte there is 'i'.
    const mismatch_case cases[] = {
        {golden_form::whole, changed_at(5000),
         "first difference at byte offset 5000 (golden 10000 bytes, produced 10000 bytes; golden "
         "0x69, produced 0x58)"},
        {golden_form::whole, changed_at(0), "at byte offset 0 "},
        {golden_form::whole, sample(9999),
         "at byte offset 9999 (golden 10000 bytes, produced 9999 bytes; the produced bytes end "
         "there)"},
        {golden_form::whole, sample(10001),
         "at byte offset 10000 (golden 10000 bytes, produced 10001 bytes; the golden file ends "
         "there)"},
        {golden_form::digest, changed_at(5000),
         "first difference at a byte offset from 4096 to 8191 (golden 10000 bytes, produced 10000 "
         "bytes)"},
        {golden_form::digest, changed_at(0), "from 0 to 4095 "},
        {golden_form::digest, changed_at(9999), "from 8192 to 9999 "},
        {golden_form::digest, sample(9000), "from 8192 to 9999 (golden 10000 bytes, produced 9000"},
        {golden_form::digest, sample(12289), "from 8192 to 12287 "},
    };
    keep_sample(golden_form::whole);
    keep_sample(golden_form::digest);
    for (const mismatch_case& c : cases) {
        const ::testing::AssertionResult result = check(c.produced, c.form);
        ASSERT_FALSE(result) << c.message;
        const std::string message = result.message();
        const std::string file = c.form == golden_form::digest ? "sample.sha256" : "sample";
        EXPECT_NE(message.find("kind"), std::string::npos) << message;
        EXPECT_NE(message.find(file + ": "), std::string::npos) << message;
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
    }
}

TEST_F(GoldenStore, SameBytesPassInBothForms) {
    for (const golden_form form : {golden_form::whole, golden_form::digest}) {
        keep_sample(form);
        EXPECT_TRUE(check(sample(10000), form));
    }
    // The digest of the whole and of three blocks, not the bytes.
    EXPECT_EQ(read_bytes(dir.path() / "kind" / "sample.sha256").size(),
              std::string("size 10000\nsha256 \nblock 4096\n").size() + 64 + 3 * 65);
}

TEST_F(GoldenStore, MissingGoldenFileFailsAndUpdateModeWritesIt) {
    const auto result = check(sample(100), golden_form::whole);
    ASSERT_FALSE(result);
    EXPECT_NE(std::string(result.message()).find("no golden file (SCENARIO_UPDATE_GOLDEN=1"),
              std::string::npos)
        << result.message();

    keep_sample(golden_form::whole);
    EXPECT_EQ(read_bytes(dir.path() / "kind" / "sample"), sample(10000));
    // Update mode replaces a golden file that no longer matches.
    EXPECT_TRUE(
        golden_store(dir.path(), true).check("kind/sample", sample(100), golden_form::whole));
    EXPECT_TRUE(check(sample(100), golden_form::whole));
    EXPECT_FALSE(check(sample(10000), golden_form::whole));
}

}  // namespace
}  // namespace scenario::testing
