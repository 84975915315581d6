// Where the compiler finds the two description texts and how it deletes them once consumed. The
// program reads and deletes the files of its scenario directory (run/file_descriptions.h); the
// companion tool and the fuzzers compile texts held in memory through the very same compiler.
// Nothing in the compiler touches the file system itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/records.h"

namespace scenario {

enum class description_text { line, train };

class description_source {
   public:
    virtual ~description_source() = default;
    virtual bool exists(description_text which) = 0;
    // The whole text, valid as long as the source lives (even once the text is removed); throws
    // when it cannot be read.
    virtual std::string_view read(description_text which) = 0;
    // Deletes the text; deleting a missing text does nothing.
    virtual void remove(description_text which) = 0;
    // The name diagnostics give the text (its file name).
    virtual std::string name(description_text which) const = 0;
};

// Two texts held in memory; a text that is absent (or removed) does not exist. A removed text
// stays readable through `text`, for the diagnostics that quote it.
class memory_descriptions final : public description_source {
   public:
    memory_descriptions(std::optional<std::string> line, std::optional<std::string> train,
                        std::string line_name = "linea", std::string train_name = "treno")
        : texts_{std::move(line), std::move(train)},
          names_{std::move(line_name), std::move(train_name)} {}
    bool exists(description_text which) override {
        return texts_[index(which)].has_value() && !removed_[index(which)];
    }
    std::string_view read(description_text which) override;
    void remove(description_text which) override { removed_[index(which)] = true; }
    std::string name(description_text which) const override { return names_[index(which)]; }

    const std::optional<std::string>& text(description_text which) const {
        return texts_[index(which)];
    }

   private:
    static int index(description_text which) { return which == description_text::line ? 0 : 1; }
    std::optional<std::string> texts_[2];
    std::string names_[2];
    bool removed_[2] = {false, false};
};

}  // namespace scenario
