// Where the compiler finds the two description texts and how it deletes them once consumed. The
// program reads and deletes the files of its scenario directory; the companion tool and the
// fuzzers compile texts held in memory through the very same compiler.
#pragma once

#include <optional>
#include <string>

#include "compile/records.h"

namespace scenario {

enum class description_text { line, train };

class description_source {
   public:
    virtual ~description_source() = default;
    virtual bool exists(description_text which) = 0;
    // The whole text; throws when it cannot be read.
    virtual std::string read(description_text which) = 0;
    // Deletes the text; deleting a missing text does nothing.
    virtual void remove(description_text which) = 0;
    // The name diagnostics give the text (its file name).
    virtual std::string name(description_text which) const = 0;
};

// The two description files of the scenario directory, which the run has just written: a text is
// there until this source deletes it, and one that has vanished or cannot be read is a failure of
// the machine (file_error), never a missing text.
class file_descriptions final : public description_source {
   public:
    explicit file_descriptions(const run_state& state) : state_(state) {}
    bool exists(description_text which) override;
    std::string read(description_text which) override;
    void remove(description_text which) override;
    std::string name(description_text which) const override;

   private:
    const run_state& state_;
    bool removed_[2] = {false, false};
};

// Two texts held in memory; a text that is absent (or removed) does not exist.
class memory_descriptions final : public description_source {
   public:
    memory_descriptions(std::optional<std::string> line, std::optional<std::string> train,
                        std::string line_name = "linea", std::string train_name = "treno")
        : line_(std::move(line)),
          train_(std::move(train)),
          line_name_(std::move(line_name)),
          train_name_(std::move(train_name)) {}
    bool exists(description_text which) override { return slot(which).has_value(); }
    std::string read(description_text which) override;
    void remove(description_text which) override { slot(which).reset(); }
    std::string name(description_text which) const override {
        return which == description_text::line ? line_name_ : train_name_;
    }

   private:
    std::optional<std::string>& slot(description_text which) {
        return which == description_text::line ? line_ : train_;
    }
    std::optional<std::string> line_;
    std::optional<std::string> train_;
    std::string line_name_;
    std::string train_name_;
};

}  // namespace scenario
