// The interactive page of a compiled line that `scenario-tool view` writes and `watch` serves:
// the data of one compile as a JSON document (plan, profile, every feature with the record that
// made it, the diagnostics), and the self-contained HTML page that draws it. The page loads
// nothing from the network; in live mode it polls "versione" and fetches "dati" beside itself.
//
// Every text that comes from a scenario (names, sign texts, file names, record lines, messages)
// travels inside the JSON, which is escaped for a script element, and the page renders it as
// text only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/geometria.h"
#include "cli/json.h"

namespace scenario::tool {

struct compiled_scenario;

// The data the page draws, as a JSON document (members described in view_data.cpp).
json view_data(const compiled_scenario& compiled);

// The faults (with their notes) and the warnings of a compile as the page lists them, each with
// "metri": the place the view moves to when it is chosen (the fault's position, else the first
// value of the record at its line), or null. The only place that turns diagnostics into page
// data.
json diagnostics_data(const compiled_scenario& compiled);

// view_data as compact JSON text, escaped by script_safe_json: what the page embeds and what
// live mode serves as "dati".
std::string view_data_json(const compiled_scenario& compiled);

// The whole page around data_json (view_data_json; escaped again here, so any JSON text is
// safe). Without `live` the page makes no request at all; with it, it polls "versione" every
// 500 ms and fetches "dati" when it changes, keeping its kilometre window and zoom.
std::string view_page_html(const std::string& data_json, bool live);

// JSON text made safe inside <script type="application/json">: "<", ">", "&", U+2028 and U+2029
// written as \u escapes. They only ever stand inside strings, so the text means the same JSON.
std::string script_safe_json(std::string_view json_text);

// A point of the thinned plan: metre along the track, east, north.
struct plan_point {
    std::int32_t metre = 0;
    double x = 0;
    double y = 0;
};

// The traced plan thinned to the points a drawing needs: the polyline through them strays at
// most `tolerance` metres from any traced point. Empty when nothing was traced.
std::vector<plan_point> thin_plan(const geometria& plan, double tolerance);

}  // namespace scenario::tool
