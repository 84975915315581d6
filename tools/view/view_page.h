// The self-contained HTML page that draws a compiled line, which `scenario-tool view` writes and
// `watch` serves, around the data of view_data.h. The page loads nothing from the network; in
// live mode it polls "versione" and fetches "dati" beside itself.
//
// Every text that comes from a scenario (names, sign texts, file names, record lines, messages)
// travels inside the JSON, which is escaped for a script element, and the page renders it as
// text only.
#pragma once

#include <string>
#include <string_view>

namespace scenario::tool {

// The whole page around data_json (view_data_json; escaped again here, so any JSON text is
// safe). Without `live` the page makes no request at all; with it, it polls "versione" every
// 500 ms and fetches "dati" when it changes, keeping its kilometre window and zoom.
std::string view_page_html(const std::string& data_json, bool live);

// JSON text made safe inside <script type="application/json">: "<", ">", "&", U+2028 and U+2029
// written as \u escapes. They only ever stand inside strings, so the text means the same JSON.
std::string script_safe_json(std::string_view json_text);

}  // namespace scenario::tool
