// `scenario-tool plot` run in-process through run_tool, on the program's own line, on small
// texts and on synthetic scenarios of any length: the route fills the drawing and the run-off is
// a strip; the window --da/--a draws only its stretch and refuses what is not a stretch of the
// line; no text covers another; texts of the scenario are escaped; ticks fall on round values.
// The SVG is read back by plain searches: it is written by our own writer, one element a line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <sstream>

#include "app/run_tool.h"
#include "base/scenario_files.h"
#include "describe/descriptions.h"
#include "plot/layout.h"
#include "run/run_sequence.h"
#include "testkit/synthetic_scenario.h"
#include "testkit/test_support.h"
#include "tool_in_process.h"

namespace scenario {
namespace {

using testing::contains;
using testing::scenario_tool;
using testing::shown;
using testing::tool_result;

using testing::compile_real_scenario;
using testing::k_line;
using testing::k_train;
using testing::read_bytes;
using testing::real_file;
using testing::scratch_directory;
using testing::write_bytes;

// A compiled scenario in a scratch directory, and its picture.
struct compiled_scenario {
    scratch_directory dir;
    std::string line, train;

    std::vector<std::string> plot_words(std::vector<std::string> extra = {}) const {
        std::vector<std::string> words = {
            "plot", shown(dir.path()), "--line", line, "--train", train, "-o", svg_path()};
        words.insert(words.end(), extra.begin(), extra.end());
        return words;
    }
    std::string svg_path() const { return shown(dir.path() / "linea.svg"); }
    // The picture with these options; fails the test when the tool does.
    std::string picture(std::vector<std::string> extra = {}) const {
        const tool_result result = scenario_tool(plot_words(extra));
        EXPECT_EQ(result.exit_status, 0) << result.standard_error;
        return read_bytes(dir.path() / "linea.svg");
    }
};

void compile_texts(compiled_scenario& s, const std::string& line_text,
                   const std::string& train_text) {
    write_bytes(s.dir.path() / path_from_utf8(scenario_file_name(s.line, s.train,
                                                                 file_kind::line_description)),
                line_text);
    write_bytes(s.dir.path() / path_from_utf8(scenario_file_name(s.line, s.train,
                                                                 file_kind::train_description)),
                train_text);
    const tool_result result =
        scenario_tool({"compile", shown(s.dir.path()), "--line", s.line, "--train", s.train});
    ASSERT_EQ(result.exit_status, 0) << result.standard_error;
}

// The program's own line (22 km, 20 stations).
void compile_real(compiled_scenario& s) {
    s.line = std::string(k_nome_linea);
    s.train = std::string(k_codice_treno);
    run_state state = testing::state_in(s.dir.path());
    dati_linea(state);
    dati_treno(state);
    const tool_result result =
        scenario_tool({"compile", shown(s.dir.path()), "--line", s.line, "--train", s.train});
    ASSERT_EQ(result.exit_status, 0) << result.standard_error;
}

// 24 stations, 98 signals and 4 slow orders on 60 km: names close enough to collide.
synthetic_size sixty_km() {
    synthetic_size size;
    size.route_length = 60'000;
    size.mountains = 5;
    size.boards = 98;
    size.signs = 2;
    size.stations = 24;
    size.signals = 98;
    size.slow_orders = 4;
    return size;
}

// One station, one slow order and 8 signals on 5 km.
synthetic_size five_km() {
    synthetic_size size;
    size.route_length = 5'000;
    size.mountains = 1;
    size.boards = 8;
    size.signs = 1;
    size.stations = 1;
    size.signals = 8;
    size.slow_orders = 1;
    return size;
}

void compile_synthetic(compiled_scenario& s, const synthetic_size& size) {
    s.line = "Sintetica";
    s.train = "T1";
    const synthetic_texts texts = make_synthetic_scenario(size);
    compile_texts(s, texts.line, texts.train);
}

// The texts of a picture, as the canvas writes them: x, y, text-anchor, font-size and maybe
// font-weight, then any style, then the escaped content.
struct svg_text {
    double x = 0, y = 0, size = 0;
    std::string anchor, content, attributes;
    bool bold = false;
};

std::string unescaped(std::string text) {
    for (const auto& [entity, c] : {std::pair{"&lt;", "<"}, std::pair{"&gt;", ">"},
                                    std::pair{"&quot;", "\""}, std::pair{"&amp;", "&"}}) {
        for (std::size_t at = 0; (at = text.find(entity, at)) != std::string::npos;) {
            text.replace(at, std::string_view(entity).size(), c);
            ++at;
        }
    }
    return text;
}

std::string attribute(const std::string& attributes, const std::string& name) {
    const std::string key = name + "=\"";
    for (std::size_t at = attributes.find(key); at != std::string::npos;
         at = attributes.find(key, at + 1)) {
        if (at != 0 && attributes[at - 1] != ' ') continue;
        const std::size_t value = at + key.size();
        return attributes.substr(value, attributes.find('"', value) - value);
    }
    return "";
}

// (std::regex recurses for each character it matches: a polyline of 4000 points is too much.)
std::vector<svg_text> texts_of(const std::string& svg) {
    std::vector<svg_text> texts;
    for (std::size_t at = svg.find("<text "); at != std::string::npos;
         at = svg.find("<text ", at + 1)) {
        const std::size_t open_end = svg.find('>', at);
        const std::size_t close = svg.find("</text>", open_end);
        svg_text t;
        t.attributes = svg.substr(at + 6, open_end - at - 6);
        t.x = std::stod(attribute(t.attributes, "x"));
        t.y = std::stod(attribute(t.attributes, "y"));
        t.size = std::stod(attribute(t.attributes, "font-size"));
        t.anchor = attribute(t.attributes, "text-anchor");
        t.bold = attribute(t.attributes, "font-weight") == "bold";
        t.content = unescaped(svg.substr(open_end + 1, close - open_end - 1));
        texts.push_back(t);
    }
    return texts;
}

// The box a text takes: its characters times the font's width per character, from its anchor;
// the layout reckons the same way.
tool::box box_of(const svg_text& t) {
    const double width = static_cast<double>(tool::character_count(t.content)) * t.size *
                         (t.bold ? tool::k_bold_char_width : tool::k_char_width);
    const double left = t.anchor == "middle" ? t.x - width / 2
                        : t.anchor == "end"  ? t.x - width
                                             : t.x;
    return {left, t.y - tool::k_text_ascent * t.size, left + width,
            t.y + tool::k_text_descent * t.size};
}

bool has_text(const std::vector<svg_text>& texts, const std::string& content) {
    return std::any_of(texts.begin(), texts.end(),
                       [&](const svg_text& t) { return t.content == content; });
}

// The numbers of texts with these attributes, in the order they are written.
std::vector<double> numbers_of(const std::vector<svg_text>& texts, const std::string& anchor,
                               double size, const std::string& fill = "") {
    std::vector<double> values;
    for (const svg_text& t : texts) {
        if (t.anchor != anchor || t.size != size || t.bold) continue;
        if (!fill.empty() && attribute(t.attributes, "fill") != fill) continue;
        std::string number = t.content;
        std::replace(number.begin(), number.end(), ',', '.');
        std::size_t used = 0;
        try {
            const double v = std::stod(number, &used);
            if (used == number.size()) values.push_back(v);
        } catch (const std::exception&) {
        }
    }
    return values;
}

// Whether a step is 1, 2 or 5 times a power of ten.
bool round(double step) {
    if (!(step > 0)) return false;
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    return std::abs(mantissa - 1) < 1e-6 || std::abs(mantissa - 2) < 1e-6 ||
           std::abs(mantissa - 5) < 1e-6;
}

// The x of the first line of the group with this title; -1 when there is none.
double group_line_x(const std::string& svg, const std::string& title) {
    const std::string head = "<g><title>" + title + "</title>\n<line x1=\"";
    const std::size_t at = svg.find(head);
    return at == std::string::npos ? -1 : std::stod(svg.substr(at + head.size(), 16));
}

// The points of the first polyline drawn with this style.
std::vector<std::pair<double, double>> polyline_with(const std::string& svg,
                                                     const std::string& style) {
    std::vector<std::pair<double, double>> points;
    const std::size_t end = svg.find("\" " + style + "/>");
    if (end == std::string::npos) return points;
    const std::string head = "<polyline fill=\"none\" points=\"";
    const std::size_t start = svg.rfind(head, end) + head.size();
    std::istringstream in(svg.substr(start, end - start));
    std::string pair;
    while (in >> pair) {
        const std::size_t comma = pair.find(',');
        points.emplace_back(std::stod(pair.substr(0, comma)), std::stod(pair.substr(comma + 1)));
    }
    return points;
}

TEST(Plot, TheRouteFillsTheDrawingAndTheRunOffIsAStrip) {
    compiled_scenario s;
    compile_synthetic(s, five_km());
    const std::string svg = s.picture();
    // Profile: the route end near the right edge, the 7 km after it in a strip marked as such.
    const double route_end = group_line_x(svg, "fine del percorso: 5000 m");
    const double page = std::stod(attribute(svg.substr(svg.find("<svg ") + 5, 200), "width"));
    EXPECT_GT(route_end, 0.9 * page);
    EXPECT_LT(route_end, page - 40);
    const auto texts = texts_of(svg);
    EXPECT_TRUE(has_text(texts, "+7 km"));
    EXPECT_TRUE(has_text(texts, "fine percorso"));
    // The kilometre 5 of the axis stands on the route end.
    bool five_on_end = false;
    for (const svg_text& t : texts) {
        if (t.content == "5" && t.anchor == "middle" && std::abs(t.x - route_end) < 1) {
            five_on_end = true;
        }
    }
    EXPECT_TRUE(five_on_end);
    // Plan: the route spans most of the panel; the run-off is a short stub.
    const auto track = polyline_with(svg, "stroke=\"#222\" stroke-width=\"3\"");
    ASSERT_GT(track.size(), 2u);
    const auto [left, right] = std::minmax_element(
        track.begin(), track.end(), [](const auto& p, const auto& q) { return p.first < q.first; });
    const auto [high, low] =
        std::minmax_element(track.begin(), track.end(),
                            [](const auto& p, const auto& q) { return p.second < q.second; });
    EXPECT_GT(std::max(right->first - left->first, low->second - high->second), 400);
    // The speed to keep dips under the plain limit at the slow order (30 km/h on 80).
    const auto keep = polyline_with(svg, "stroke=\"#222222\" stroke-width=\"2\"");
    const auto limit = polyline_with(svg,
                                     "stroke=\"#9a9a9a\" stroke-width=\"1.5\" "
                                     "stroke-dasharray=\"5 3\"");
    ASSERT_FALSE(keep.empty());
    ASSERT_FALSE(limit.empty());
    const auto lowest = [](const auto& line) {
        return std::max_element(line.begin(), line.end(),
                                [](const auto& p, const auto& q) { return p.second < q.second; })
            ->second;
    };
    EXPECT_GT(lowest(keep), lowest(limit) + 20);
    const auto stub = polyline_with(svg,
                                    "stroke=\"#999999\" stroke-width=\"2\" "
                                    "stroke-dasharray=\"4 3\"");
    ASSERT_EQ(stub.size(), 2u);
    EXPECT_LE(std::hypot(stub[1].first - stub[0].first, stub[1].second - stub[0].second), 50);
}

TEST(Plot, TheWindowMustBeAStretchOfTheLine) {
    compiled_scenario s;
    compile_real(s);
    struct window_case {
        std::vector<std::string> options;
        std::string message;
    };
    const std::string beyond =
        " è oltre la fine della linea (29 km: 22 km di percorso e 7 km dopo la fine)";
    // The older spellings --da and --a are taken for --from and --to; the messages name the
    // options by their names, except where the word itself is at fault.
    const window_case cases[] = {
        {{"--from", "12", "--to", "10"}, "--from (12 km) deve essere minore di --to (10 km)"},
        {{"--da", "12", "--a", "10"}, "--from (12 km) deve essere minore di --to (10 km)"},
        {{"--from", "5,5", "--to", "5.5"}, "--from (5,5 km) deve essere minore di --to (5,5 km)"},
        {{"--to", "0"}, "--to deve essere maggiore di 0 km"},
        {{"--from", "-1"}, "--from non può essere negativo: -1"},
        {{"--to", "-0,5"}, "--to non può essere negativo: -0,5"},
        {{"--to", "29,001"}, "--to 29,001 km" + beyond},
        {{"--from", "29"}, "--from 29 km" + beyond},
        {{"--from", "40", "--to", "50"}, "--from 40 km" + beyond},
        {{"--from", "dodici"},
         "--from vuole i chilometri come numero, per esempio 12,5: \"dodici\""},
        {{"--to", "1,2,3"}, "--to vuole i chilometri come numero, per esempio 12,5: \"1,2,3\""},
        {{"--to", "1e3"}, "--to vuole i chilometri come numero, per esempio 12,5: \"1e3\""},
        {{"--from", ""}, "--from vuole i chilometri come numero, per esempio 12,5: \"\""},
        {{"--from"}, "l'opzione --from vuole un valore"},
        {{"--da"}, "l'opzione --da vuole un valore"},
        {{"--from", "1", "--from", "2"}, "opzione ripetuta: --from"},
        {{"--from", "1", "--da", "2"}, "opzione ripetuta: --da"},
    };
    for (const window_case& c : cases) {
        std::filesystem::remove(s.dir.path() / "linea.svg");
        const tool_result result = scenario_tool(s.plot_words(c.options));
        EXPECT_EQ(result.exit_status, k_exit_failure) << c.message;
        EXPECT_EQ(result.standard_output, "");
        EXPECT_TRUE(result.standard_error.starts_with("scenario-tool: errore: " + c.message + "\n"))
            << result.standard_error;
        EXPECT_TRUE(contains(result.standard_error, "[--from KM] [--to KM]")) << c.message;
        EXPECT_FALSE(std::filesystem::exists(s.dir.path() / "linea.svg")) << c.message;
    }
    // The last kilometres of the run-off are still a stretch of the line.
    EXPECT_EQ(scenario_tool(s.plot_words({"--from", "28", "--to", "29"})).exit_status, 0);
}

TEST(Plot, TheWindowDrawsOnlyItsStretch) {
    compiled_scenario s;
    compile_real(s);
    const std::string svg = s.picture({"--from", "5", "--to", "10"});
    const auto texts = texts_of(svg);
    EXPECT_TRUE(contains(svg, "treno 26BRUNVICCO, da km 5 a km 10</text>"));
    // Signals at 1750 and 17200 m lie outside, those at 5750 and 9750 m inside.
    for (const char* outside : {"segnale a 1750 m", "(1750 m)", "segnale a 17200 m", "(17200 m)"}) {
        EXPECT_FALSE(contains(svg, outside)) << outside;
    }
    for (const char* inside :
         {"segnale a 5750 m", "segnale, cella 116 (5750 m)", "segnale a 9750 m"}) {
        EXPECT_TRUE(contains(svg, inside)) << inside;
    }
    // Stations: Cascina Telvo (0 m) and Brunvicco (18300 m) outside; Lorvio (6000 m) inside.
    EXPECT_FALSE(has_text(texts, "Cascina Telvo"));
    EXPECT_FALSE(has_text(texts, "Brunvicco"));
    EXPECT_TRUE(has_text(texts, "Lorvio"));
    // The axis counts the window's kilometres, from its start to its end.
    const std::vector<double> axis = numbers_of(texts, "middle", 10);
    ASSERT_FALSE(axis.empty());
    EXPECT_EQ(axis.front(), 5);
    EXPECT_EQ(axis.back(), 10);
    for (const double km : axis) EXPECT_TRUE(km >= 5 && km <= 10) << km;
    // The route end lies outside: no strip, no "fine percorso".
    EXPECT_FALSE(has_text(texts, "fine percorso"));
    EXPECT_FALSE(has_text(texts, "+7 km"));

    // A decimal point or a decimal comma: the same picture.
    const std::string comma = s.picture({"--from", "12,5", "--to", "15"});
    EXPECT_TRUE(contains(comma, ", da km 12,5 a km 15</text>"));
    EXPECT_EQ(s.picture({"--from", "12.5", "--to", "15"}), comma);

    // From a kilometre to the end: the route to scale, then the run-off's strip.
    const auto to_end = texts_of(s.picture({"--from", "20"}));
    EXPECT_FALSE(has_text(to_end, "Brunvicco"));  // 18300 m
    EXPECT_TRUE(has_text(to_end, "+7 km"));
    EXPECT_TRUE(has_text(to_end, "fine percorso"));
    // From the start to a kilometre: no strip.
    const auto from_start = texts_of(s.picture({"--to", "3"}));
    EXPECT_TRUE(has_text(from_start, "Cascina Telvo"));
    EXPECT_FALSE(has_text(from_start, "+7 km"));
    EXPECT_FALSE(has_text(from_start, "Lostrave FS"));  // 4000 m
}

// Every text of the picture, titles, axes and legend included, against every other.
void expect_no_overlap(const std::string& svg, const std::string& what) {
    const auto texts = texts_of(svg);
    ASSERT_GT(texts.size(), 50u) << what;
    std::vector<tool::box> boxes;
    for (const svg_text& t : texts) {
        // The boxes are reckoned for level text.
        EXPECT_FALSE(contains(t.attributes, "transform")) << what << ": " << t.content;
        boxes.push_back(box_of(t));
    }
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        for (std::size_t j = i + 1; j < boxes.size(); ++j) {
            EXPECT_FALSE(boxes[i].overlaps(boxes[j]))
                << what << ": \"" << texts[i].content << "\" at " << texts[i].x << "," << texts[i].y
                << " and \"" << texts[j].content << "\" at " << texts[j].x << "," << texts[j].y;
        }
    }
}

TEST(Plot, NoTextCoversAnotherOnALongLine) {
    compiled_scenario s;
    compile_synthetic(s, sixty_km());
    const std::string whole = s.picture();
    expect_no_overlap(whole, "60 km");
    // Room is found for most station names, in the plan and in the profile.
    const auto texts = texts_of(whole);
    int named = 0;
    for (int n = 1; n <= 24; ++n) {
        const auto name = "Fermata " + std::to_string(n);
        named += static_cast<int>(std::count_if(
            texts.begin(), texts.end(), [&](const svg_text& t) { return t.content == name; }));
    }
    EXPECT_GE(named, 2 * 24 * 3 / 4);
    // Curves and slow orders carry their radius and speed.
    EXPECT_TRUE(has_text(texts, "R 333 sx"));
    EXPECT_TRUE(has_text(texts, "R 500 dx"));
    EXPECT_TRUE(has_text(texts, "30"));
    expect_no_overlap(s.picture({"--from", "10", "--to", "20,5"}), "60 km, da 10 a 20,5");
    expect_no_overlap(s.picture({"--from", "55"}), "60 km, da 55");
}

TEST(Plot, NoTextCoversAnotherOnTheProgramsLine) {
    compiled_scenario s;
    compile_real(s);
    const std::string svg = s.picture();
    expect_no_overlap(svg, "linea del programma");
    // Twenty stations on 22 km: every name finds room in the plan (11 px), and all but one
    // in the profile (10 px), where six names in a row are each wider than the kilometre to the
    // next station and five lanes hold five of them.
    const auto texts = texts_of(svg);
    int in_profile = 0;
    for (const std::string name : testing::k_program_station_names) {
        const auto named = [&](double size) {
            return std::count_if(texts.begin(), texts.end(), [&](const svg_text& t) {
                return t.content == name && t.size == size;
            });
        };
        EXPECT_EQ(named(11), 1) << name;
        in_profile += static_cast<int>(named(10));
    }
    EXPECT_EQ(in_profile, 19);
}

TEST(Plot, TheScenariosTextsAreEscaped) {
    compiled_scenario s;
    s.line = "L&M";  // a name Windows admits too
    s.train = "T";
    compile_texts(s,
                  "[generale]\r\nlunghezza percorso, 5000\r\n[indicazioni]\r\n"
                  "cartello_indicatore, 2150, (A<B)(C&D \"E\")\r\n[fine]\r\n",
                  "[generale]\r\n[stazioni]\r\nstazione, 1000, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, "
                  "0, 6, 30, 0, Porta <Nord> & \"Sud\"\r\n[fine]\r\n");
    const std::string svg = s.picture();
    EXPECT_TRUE(contains(svg, ">L&amp;M \u2014 treno T</text>"));
    EXPECT_TRUE(contains(svg, ">Porta &lt;Nord&gt; &amp; &quot;Sud&quot;</text>"));
    EXPECT_TRUE(contains(svg, "<title>Porta &lt;Nord&gt; &amp; &quot;Sud&quot; (1000 m)</title>"));
    EXPECT_TRUE(contains(svg, ">A&lt;B / C&amp;D &quot;E&quot;</text>"));
    EXPECT_FALSE(contains(svg, "<Nord>"));
    EXPECT_FALSE(contains(svg, "A<B"));
    // Every "&" begins one of the entities the writer uses; every "<" begins a tag.
    for (std::size_t at = svg.find('&'); at != std::string::npos; at = svg.find('&', at + 1)) {
        const std::string entity = svg.substr(at, 6);
        EXPECT_TRUE(entity.starts_with("&amp;") || entity.starts_with("&lt;") ||
                    entity.starts_with("&gt;") || entity.starts_with("&quot;"))
            << entity;
    }
    for (std::size_t at = svg.find('<'); at != std::string::npos; at = svg.find('<', at + 1)) {
        const char next = at + 1 < svg.size() ? svg[at + 1] : ' ';
        EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(next)) || next == '/' || next == '?' ||
                    next == '!')
            << svg.substr(at, 20);
    }
}

TEST(Plot, TicksFallOnRoundValues) {
    compiled_scenario s;
    compile_synthetic(s, sixty_km());
    const auto texts = texts_of(s.picture());
    // The values at the charts' left edge, chart after chart, each chart from its lowest value
    // up: every run is an even progression of a round step.
    const std::vector<double> values = numbers_of(texts, "end", 9, "#666");
    std::vector<std::vector<double>> charts;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i == 0 || values[i] <= values[i - 1]) charts.emplace_back();
        charts.back().push_back(values[i]);
    }
    ASSERT_EQ(charts.size(), 5u);  // curvature, speed, gradient, height, adhesion
    for (const auto& chart : charts) {
        ASSERT_GE(chart.size(), 2u);
        const double step = chart[1] - chart[0];
        EXPECT_TRUE(round(step)) << step;
        for (std::size_t i = 0; i < chart.size(); ++i) {
            EXPECT_NEAR(chart[i], chart[0] + step * static_cast<double>(i), 1e-9);
            EXPECT_NEAR(std::remainder(chart[i], step), 0, 1e-9) << chart[i];
        }
    }
    EXPECT_EQ(charts[1], (std::vector<double>{0, 20, 40, 60, 80, 100, 120, 140}));
    // Kilometres: every 5 on the whole 60 km, every 1 in a 10 km window.
    EXPECT_EQ(numbers_of(texts, "middle", 10),
              (std::vector<double>{0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60}));
    const auto window = texts_of(s.picture({"--from", "10", "--to", "20,5"}));
    EXPECT_EQ(numbers_of(window, "middle", 10),
              (std::vector<double>{10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}));
}

// The program's own line through the whole tool: compiled, then drawn.
std::vector<std::string> real_plot_words(const std::filesystem::path& dir,
                                         const std::filesystem::path& svg) {
    return {"plot", shown(dir), "--line", k_line, "--train", k_train, "-o", shown(svg)};
}

TEST(Plot, PlotWritesOneSvgOfTheLine) {
    scratch_directory dir;
    compile_real_scenario(dir.path());
    const auto svg = dir.path() / "linea.svg";
    const auto result = scenario_tool(real_plot_words(dir.path(), svg));
    ASSERT_EQ(result.exit_status, 0) << result.standard_error;
    EXPECT_EQ(result.standard_output, "scritto: " + shown(svg) + "\n");
    EXPECT_EQ(result.standard_error, "");
    const std::string picture = read_bytes(svg);
    EXPECT_EQ(picture.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u);
    EXPECT_TRUE(picture.ends_with("</svg>\n"));
    for (const char* piece : {"Pianta della linea", "Profilo lungo la linea", "Legenda",
                              ">Cascina Telvo<", ">Brunvicco<", ">km 20<", "segnale a 1750 m"}) {
        EXPECT_TRUE(contains(picture, piece)) << piece;
    }
    // Without the geometry file the profile is still drawn.
    std::filesystem::remove(real_file(dir.path(), file_kind::line_geometry));
    const auto profile_only = scenario_tool(real_plot_words(dir.path(), svg));
    ASSERT_EQ(profile_only.exit_status, 0) << profile_only.standard_error;
    EXPECT_TRUE(contains(read_bytes(svg), "geometria non disponibile"));
}

#ifndef _WIN32
// The first program of that name on PATH.
std::optional<std::filesystem::path> on_path(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string rest = path != nullptr ? path : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const auto candidate = std::filesystem::path(rest.substr(0, colon)) / name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    }
    return std::nullopt;
}

TEST(Plot, PlotOfTheRealLineRendersInChromium) {
    const auto chromium = on_path("chromium");
    const auto convert = on_path("convert");
    if (!chromium || !convert) GTEST_SKIP() << "chromium or ImageMagick's convert is missing";
    scratch_directory dir;
    compile_real_scenario(dir.path());
    const auto svg = dir.path() / "linea.svg";
    const auto png = dir.path() / "linea.png";
    ASSERT_EQ(scenario_tool(real_plot_words(dir.path(), svg)).exit_status, 0);
    const auto render = testing::run_process(
        *chromium,
        {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--user-data-dir=" + (dir.path() / "profile").string(), "--screenshot=" + png.string(),
         "--window-size=1200,1600", "file://" + svg.string()},
        {});
    ASSERT_TRUE(std::filesystem::exists(png)) << render.standard_error;
    const auto spread = testing::run_process(
        *convert, {png.string(), "-format", "%[fx:standard_deviation] %k", "info:"}, {});
    ASSERT_EQ(spread.exit_status, 0) << spread.standard_error;
    double deviation = 0;
    long colours = 0;
    ASSERT_EQ(std::sscanf(spread.standard_output.c_str(), "%lf %ld", &deviation, &colours), 2)
        << spread.standard_output;
    EXPECT_GT(deviation, 0.02) << "the picture is blank";
    EXPECT_GT(colours, 16) << "the picture holds too few colours to be the line";
}
#endif

}  // namespace
}  // namespace scenario
