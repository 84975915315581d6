#include "golden_files.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string_view>
#include <vector>

#include "base/scenario_files.h"
#include "testkit/test_support.h"

namespace scenario::testing {
namespace {

// A path for a message, in UTF-8 on every platform.
std::string shown(const std::filesystem::path& file) {
    const std::u8string text = file.generic_u8string();
    return std::string(text.begin(), text.end());
}

std::string hex_byte(unsigned char byte) {
    static constexpr char k_digits[] = "0123456789abcdef";
    return std::string("0x") + k_digits[byte >> 4] + k_digits[byte & 0xf];
}

// The digest file's text: "size N", "sha256 H", "block B", then one block digest a line.
std::string digest_text(const std::string& bytes) {
    std::string text = "size " + std::to_string(bytes.size()) + "\n";
    text += "sha256 " + sha256_hex(bytes) + "\n";
    text += "block " + std::to_string(k_golden_block_size) + "\n";
    for (std::size_t at = 0; at < bytes.size(); at += k_golden_block_size) {
        text += sha256_hex(std::string_view(bytes).substr(at, k_golden_block_size)) + "\n";
    }
    return text;
}

struct digest {
    std::size_t size = 0;
    std::string whole;
    std::vector<std::string> blocks;
};

digest parse_digest(const std::string& text) {
    digest d;
    std::istringstream in(text);
    std::string word;
    std::size_t block_size = 0;
    in >> word >> d.size >> word >> d.whole >> word >> block_size;
    if (block_size != k_golden_block_size) return {};
    while (in >> word) d.blocks.push_back(word);
    return d;
}

::testing::AssertionResult compare_whole(const std::filesystem::path& file,
                                         const std::string& golden, const std::string& bytes) {
    if (bytes == golden) return ::testing::AssertionSuccess();
    const auto at = static_cast<std::size_t>(
        std::mismatch(golden.begin(), golden.end(), bytes.begin(), bytes.end()).first -
        golden.begin());
    auto failure = ::testing::AssertionFailure();
    failure << shown(file) << ": first difference at byte offset " << at << " (golden "
            << golden.size() << " bytes, produced " << bytes.size() << " bytes; ";
    if (at == golden.size()) {
        failure << "the golden file ends there)";
    } else if (at == bytes.size()) {
        failure << "the produced bytes end there)";
    } else {
        failure << "golden " << hex_byte(static_cast<unsigned char>(golden[at])) << ", produced "
                << hex_byte(static_cast<unsigned char>(bytes[at])) << ")";
    }
    return failure;
}

::testing::AssertionResult compare_digest(const std::filesystem::path& file,
                                          const std::string& golden_text,
                                          const std::string& bytes) {
    const digest golden = parse_digest(golden_text);
    if (golden.whole.empty()) {
        return ::testing::AssertionFailure() << shown(file) << ": not a digest file";
    }
    const digest produced = parse_digest(digest_text(bytes));
    if (golden.size == produced.size && golden.whole == produced.whole) {
        return ::testing::AssertionSuccess();
    }
    std::size_t block = 0;
    while (block < golden.blocks.size() && block < produced.blocks.size() &&
           golden.blocks[block] == produced.blocks[block]) {
        ++block;
    }
    // Only the block digests are kept: the difference is placed within its block.
    const std::size_t first = block * k_golden_block_size;
    const std::size_t last =
        std::min(first + k_golden_block_size, std::max(golden.size, produced.size)) - 1;
    return ::testing::AssertionFailure()
           << shown(file) << ": first difference at a byte offset from " << first << " to " << last
           << " (golden " << golden.size << " bytes, produced " << produced.size << " bytes)";
}

}  // namespace

golden_store::golden_store(std::filesystem::path directory, bool update)
    : directory_(std::move(directory)), update_(update) {}

bool golden_store::update_requested() {
    const char* value = std::getenv("SCENARIO_UPDATE_GOLDEN");
    return value != nullptr && std::string_view(value) == "1";
}

std::filesystem::path golden_store::file_of(const std::string& name, golden_form form) const {
    return directory_ / path_from_utf8(form == golden_form::digest ? name + ".sha256" : name);
}

::testing::AssertionResult golden_store::check(const std::string& name, const std::string& bytes,
                                               golden_form form) const {
    const std::filesystem::path file = file_of(name, form);
    const std::string expected = form == golden_form::digest ? digest_text(bytes) : bytes;
    if (update_) {
        if (!std::filesystem::exists(file) || read_bytes(file) != expected) {
            std::filesystem::create_directories(file.parent_path());
            write_bytes(file, expected);
        }
        return ::testing::AssertionSuccess();
    }
    if (!std::filesystem::is_regular_file(file)) {
        return ::testing::AssertionFailure()
               << shown(file) << ": no golden file (SCENARIO_UPDATE_GOLDEN=1 writes it)";
    }
    const std::string golden = read_bytes(file);
    return form == golden_form::digest ? compare_digest(file, golden, bytes)
                                       : compare_whole(file, golden, bytes);
}

const golden_store& source_goldens() {
    static const golden_store store = [] {
        std::string directory = SCENARIO_GOLDEN_DIRECTORY;
#ifdef _WIN32
        // The cross build names the source tree by its Unix path; wine shows "/" as drive Z:.
        if (directory.starts_with('/')) directory = "Z:" + directory;
#endif
        return golden_store(path_from_utf8(directory));
    }();
    return store;
}

}  // namespace scenario::testing
