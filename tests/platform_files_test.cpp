// The platform layer's file replacement and directory lock, in-process, so that the same cases
// run on Linux and, in the Windows build, under wine: what a killed run left at a temporary name,
// a set of staged files that never reaches its renames, and a second writer that waits for the
// first and then gives up.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "platform/platform.h"
#include "run/run_sequence.h"
#include "base/scenario_files.h"
#include "testkit/test_support.h"

namespace scenario {
namespace {

using namespace std::chrono_literals;
using testing::read_bytes;
using testing::scratch_directory;
using testing::write_bytes;

// What stands at the temporary name before a replacement starts.
enum class leftover { none, regular_file, link_to_victim, directory };

TEST(PlatformFiles, ReplacementMeetsWhatAKilledRunLeftAtTheTemporaryName) {
    struct leftover_case {
        leftover left;
        bool replaced;
    };
    const leftover_case cases[] = {
        {leftover::none, true},
        {leftover::regular_file, true},
#ifndef _WIN32
        {leftover::link_to_victim, true},
#endif
        {leftover::directory, false},
    };
    // A passing file (renamed unflushed) is created the same way: never through a link.
    for (const platform::file_life life :
         {platform::file_life::lasting, platform::file_life::passing})
        for (const leftover_case& c : cases) {
            SCOPED_TRACE(static_cast<int>(c.left));
            SCOPED_TRACE(life == platform::file_life::lasting ? "lasting" : "passing");
            scratch_directory dir;
            const auto file = dir.path() / path_from_utf8("Metrò 2 - Zelnor_linea.dat");
            const auto temporary = platform::temporary_name(file);
            const auto victim = dir.path() / "victim";
            write_bytes(file, "earlier");
            write_bytes(victim, "not to be touched");
            switch (c.left) {
                case leftover::none:
                    break;
                case leftover::regular_file:
                    write_bytes(temporary,
                                "half of an earlier run's file, and longer than the new");
                    break;
                case leftover::link_to_victim:
                    std::filesystem::create_symlink(victim, temporary);
                    break;
                case leftover::directory:
                    std::filesystem::create_directory(temporary);
                    break;
            }

            if (c.replaced) {
                platform::replace_file(file, "new", life);
                EXPECT_EQ(read_bytes(file), "new");
                EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(temporary)));
            } else {
                try {
                    platform::replace_file(file, "new", life);
                    ADD_FAILURE() << "a directory at the temporary name was not reported";
                } catch (const platform::file_error& e) {
                    EXPECT_EQ(e.file(), temporary);
                }
                EXPECT_EQ(read_bytes(file), "earlier");
                EXPECT_TRUE(std::filesystem::is_directory(temporary));
            }
            EXPECT_EQ(read_bytes(victim), "not to be touched");
        }
}

TEST(PlatformFiles, StagedFilesThatAreNeverCommittedLeaveTheEarlierFilesAndNoTemporary) {
    scratch_directory dir;
    const auto first = dir.path() / "a.sim";
    const auto second = dir.path() / "a.dat";
    write_bytes(first, "earlier a.sim");
    write_bytes(second, "earlier a.dat");
    {
        platform::staged_file one(first);
        one.write("new a.sim");
        one.flush();
        platform::staged_file two(second);
        two.write("new a.dat");
        // The run fails here, before any rename.
    }
    EXPECT_EQ(read_bytes(first), "earlier a.sim");
    EXPECT_EQ(read_bytes(second), "earlier a.dat");
    EXPECT_EQ(testing::file_names(dir.path()), (std::vector<std::string>{"a.dat", "a.sim"}));
}

// The lock is held from another thread: on Windows a mutex is re-entered by the thread that owns
// it, so only another thread shows the wait.
class HeldLock {
   public:
    explicit HeldLock(const std::filesystem::path& dir) {
        std::promise<void> taken;
        holder_ = std::thread([this, dir, &taken] {
            platform::directory_lock lock(dir, 1s);
            taken.set_value();
            release_.get_future().wait();
        });
        taken.get_future().wait();
    }
    void release() {
        if (holder_.joinable()) {
            release_.set_value();
            holder_.join();
        }
    }
    ~HeldLock() { release(); }

   private:
    std::promise<void> release_;
    std::thread holder_;
};

TEST(PlatformFiles, SecondWriterWaitsForTheLockAndGivesUp) {
    scratch_directory dir;
    HeldLock held(dir.path());

    const auto start = std::chrono::steady_clock::now();
    try {
        platform::directory_lock second(dir.path(), 300ms);
        ADD_FAILURE() << "two writers held the directory at once";
    } catch (const platform::file_error& e) {
        EXPECT_EQ(e.file(), dir.path());
        EXPECT_NE(std::string(e.what()).find("another run is writing"), std::string::npos)
            << e.what();
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);

    held.release();
    EXPECT_NO_THROW(platform::directory_lock(dir.path(), 300ms));
    // Another directory was never held.
    scratch_directory other;
    EXPECT_NO_THROW(platform::directory_lock(other.path(), 0ms));
}

TEST(PlatformFiles, ProgramRunWaitsForTheWriterBeforeItAndWritesNothingWhenItGivesUp) {
    scratch_directory dir;
    Form1 form;
    form.interactive = false;
    form.state = testing::state_in(dir.path());
    form.lock_patience = 200ms;
    {
        HeldLock held(dir.path());
        EXPECT_THROW(form.Form_Load(), platform::file_error);
        EXPECT_EQ(testing::file_names(dir.path()), std::vector<std::string>{});
    }
    // Released in time, the run goes through.
    HeldLock held(dir.path());
    std::thread releaser([&held] {
        std::this_thread::sleep_for(50ms);
        held.release();
    });
    form.lock_patience = 10s;
    EXPECT_EQ(form.Form_Load(), k_exit_ok);
    releaser.join();
    EXPECT_EQ(testing::file_names(dir.path()).size(), 6u);
}

}  // namespace
}  // namespace scenario
