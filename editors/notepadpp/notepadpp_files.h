// The two files that teach Notepad++ a description text: a user-defined language (colours for
// the keywords, the numbers, the sign texts, and folding by section) and an auto-completion
// file (the keywords, and a hint naming each record's values). Notepad++ has no client for the
// language server, so these stand in for it there.
#pragma once

#include <string>

#include "notepadpp/editor_keywords.h"

namespace scenario {

// The user-defined language, for Language > User Defined Language > Import.
std::string user_defined_language(const editor_language& language);

// The auto-completion file, to be named after the language in Notepad++'s autoCompletion folder.
std::string auto_completion(const editor_language& language);

}  // namespace scenario
