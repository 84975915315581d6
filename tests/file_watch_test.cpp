// The file watcher, in-process, so that the same cases run on Linux (inotify) and, in the
// Windows build, under wine (ReadDirectoryChangesW): each way an editor saves wakes it, for
// either of the two texts, once per save; nothing else in the folder does.
#include "platform/file_watch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "base/scenario_files.h"
#include "platform/platform.h"
#include "testkit/test_support.h"

namespace scenario {
namespace {

using namespace std::chrono_literals;
using clock = std::chrono::steady_clock;
using testing::scratch_directory;
using testing::write_bytes;

// Long enough for any save to be seen on a busy machine; a case only waits this long when it fails.
constexpr auto k_patience = 2000ms;

// How an editor saves a file.
enum class save_by { writing_in_place, renaming_over, deleting_and_recreating };

void save(const std::filesystem::path& file, save_by how) {
    switch (how) {
        case save_by::writing_in_place:
            write_bytes(file, "linea, Metrò 2\r\n");
            break;
        case save_by::renaming_over:
            platform::replace_file(file, "linea, Metrò 2\r\n", platform::file_life::lasting);
            break;
        case save_by::deleting_and_recreating:
            std::filesystem::remove(file);
            write_bytes(file, "linea, Metrò 2\r\n");
            break;
    }
}

// The two description texts of a scenario, with a letter outside ASCII and blanks in their
// names; the second either beside the first or in a folder of its own.
struct two_texts {
    explicit two_texts(bool same_folder) {
        const auto second_folder = same_folder ? dir.path() : dir.path() / "cartella treno";
        std::filesystem::create_directories(second_folder);
        files = {dir.path() / path_from_utf8("Metrò 2 - Zelnor_linea.txt"),
                 second_folder / path_from_utf8("Metrò 2 - Zelnor_treno.txt")};
    }
    scratch_directory dir;
    std::vector<std::filesystem::path> files;
};

TEST(FileWatch, EachWayOfSavingEitherTextIsOneChange) {
    struct save_case {
        save_by how;
        std::size_t which;  // the text saved
        bool existed;       // the text was there when the watcher was made
        bool same_folder;   // the two texts share a folder
        bool during_wait;   // saved while the watcher waits, or before the wait begins
    };
    const save_case cases[] = {
        {save_by::writing_in_place, 0, true, true, true},
        {save_by::writing_in_place, 1, false, true, true},
        {save_by::writing_in_place, 1, true, false, false},
        {save_by::renaming_over, 0, true, true, true},
        {save_by::renaming_over, 1, false, true, false},
        {save_by::renaming_over, 1, true, false, true},
        {save_by::deleting_and_recreating, 0, true, true, true},
        {save_by::deleting_and_recreating, 1, true, true, false},
        {save_by::deleting_and_recreating, 1, true, false, true},
    };
    for (const save_case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "save " << static_cast<int>(c.how) << ", text " << c.which << ", existed "
                     << c.existed << ", same folder " << c.same_folder << ", during the wait "
                     << c.during_wait);
        two_texts texts(c.same_folder);
        for (std::size_t i = 0; i < texts.files.size(); ++i) {
            if (i != c.which || c.existed) write_bytes(texts.files[i], "earlier\r\n");
        }
        platform::file_watcher watcher(texts.files);
        const auto file = texts.files[c.which];

        std::future<void> saved;
        if (c.during_wait) {
            saved = std::async(std::launch::async, [&] {
                std::this_thread::sleep_for(50ms);
                save(file, c.how);
            });
        } else {
            save(file, c.how);
        }
        EXPECT_TRUE(watcher.wait_for_change(k_patience));
        if (saved.valid()) saved.get();
        // Every event of that one save was taken with it.
        EXPECT_FALSE(watcher.wait_for_change(200ms));
    }
}

TEST(FileWatch, OtherFilesInTheFolderDoNotWakeIt) {
    // What happens beside the watched texts while the watcher waits.
    using disturbance =
        void (*)(const std::filesystem::path& folder, const std::filesystem::path& text);
    struct quiet_case {
        const char* name;
        disturbance disturb;
    };
    const quiet_case cases[] = {
        {"nothing", [](const auto&, const auto&) {}},
        {"another file written",
         [](const auto& folder, const auto&) { write_bytes(folder / "note.txt", "x"); }},
        {"another file replaced",
         [](const auto& folder, const auto&) {
             platform::replace_file(folder / "note.txt", "x", platform::file_life::lasting);
         }},
        {"another file deleted",
         [](const auto& folder, const auto&) {
             write_bytes(folder / "note.txt", "x");
             std::filesystem::remove(folder / "note.txt");
         }},
        {"the text's own temporary name written and deleted",
         [](const auto&, const auto& text) {
             write_bytes(platform::temporary_name(text), "half");
             std::filesystem::remove(platform::temporary_name(text));
         }},
        {"a name the text's name begins",
         [](const auto&, const auto& text) {
             auto longer = text;
             longer += "~";
             write_bytes(longer, "backup");
         }},
        {"a folder made",
         [](const auto& folder, const auto&) { std::filesystem::create_directory(folder / "x"); }},
    };
    for (const quiet_case& c : cases) {
        SCOPED_TRACE(c.name);
        two_texts texts(true);
        write_bytes(texts.files[0], "earlier\r\n");
        platform::file_watcher watcher(texts.files);
        c.disturb(texts.dir.path(), texts.files[0]);

        const auto start = clock::now();
        EXPECT_FALSE(watcher.wait_for_change(200ms));
        // It waited out its time rather than giving up at once.
        EXPECT_GE(clock::now() - start, 190ms);
        // And it still hears the texts.
        save(texts.files[1], save_by::writing_in_place);
        EXPECT_TRUE(watcher.wait_for_change(k_patience));
    }
}

TEST(FileWatch, AMovedWatcherKeepsWatching) {
    two_texts texts(true);
    platform::file_watcher first(texts.files);
    platform::file_watcher second(std::move(first));
    two_texts others(true);
    platform::file_watcher third({others.files[0]});
    third = std::move(second);
    ASSERT_EQ(third.files(), texts.files);

    save(texts.files[1], save_by::renaming_over);
    EXPECT_TRUE(third.wait_for_change(k_patience));
    save(others.files[0], save_by::writing_in_place);
    EXPECT_FALSE(third.wait_for_change(200ms));
}

TEST(FileWatch, AMissingFolderIsReported) {
    scratch_directory dir;
    const auto folder = dir.path() / "manca";
    try {
        platform::file_watcher watcher({folder / "linea.txt"});
        ADD_FAILURE() << "a missing folder was not reported";
    } catch (const platform::file_error& e) {
        EXPECT_EQ(e.file(), folder);
    }
}

}  // namespace
}  // namespace scenario
