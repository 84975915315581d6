// The program's description source: the two texts it has just written into its scenario
// directory.
#pragma once

#include <string>
#include <string_view>

#include "base/records.h"
#include "compile/description_source.h"

namespace scenario {

// The two description files of the scenario directory, which the run has just written: a text is
// there until this source deletes it, and one that has vanished or cannot be read is a failure of
// the machine (file_error), never a missing text.
class file_descriptions final : public description_source {
   public:
    explicit file_descriptions(const run_state& state) : state_(state) {}
    bool exists(description_text which) override;
    std::string_view read(description_text which) override;
    void remove(description_text which) override;
    std::string name(description_text which) const override;

   private:
    const run_state& state_;
    std::string read_[2];
    bool removed_[2] = {false, false};
};

}  // namespace scenario
