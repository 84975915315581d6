// Pairs the things of two line models and words what differs. Stations are paired by name
// first; every thing left over, by where it stands, then in order between the pairs already
// found, so that one thing moved reads as moved and not as one taken away and one added. Two
// paired things differ by the texts of their fields, the same texts the report prints, so that
// what a reader cannot tell apart is never called a change.
#include "diff/line_diff.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "base/header_fields.h"
#include "base/positions.h"
#include "base/windows1252.h"
#include "cli/decimal_text.h"
#include "model/cell_words.h"
#include "model/header_reading.h"

namespace scenario::tool {
namespace {

// Below this the two plans print the same distance, 0,00 m.
constexpr double k_plan_tolerance = 0.005;

struct field {
    std::string name;
    std::string text;
    json value;
};

// A station or a feature of one side, with what the report says of it.
struct thing {
    double metres = 0;
    std::string key;    // paired by first when unique on both sides (a station's name)
    std::string title;  // "segnale", "stazione \"Vordano\""
    std::vector<field> fields;
};

std::string km(double metres) { return "km " + km_text(metres, 3); }

std::string quoted(const std::string& utf8) { return "\"" + utf8 + "\""; }

json thing_json(const thing& t) {
    json j;
    j["metri"] = t.metres;
    for (const field& f : t.fields) j[f.name] = f.value;
    return j;
}

// --- what each side holds -----------------------------------------------------------------

std::vector<field> item_fields(const cella& c) {
    std::vector<field> fields;
    if (const auto items = record_items(c)) {
        for (const record_item& item : *items) {
            fields.push_back({std::string(item.name), item_value_text(item), item.value});
        }
        return fields;
    }
    // Values no record could have given: shown as the cell holds them.
    for (const auto& [name, value] :
         {std::pair{"val1", c.val1}, {"val2", c.val2}, {"val3", c.val3}, {"val4", c.val4}}) {
        fields.push_back({name, std::to_string(value), value});
    }
    return fields;
}

std::vector<thing> stations_of(const line_model& model) {
    std::vector<thing> things;
    for (const station& s : model.stations) {
        const voce& v = *s.header_entry;
        const std::string name = from_windows1252(v.v_nome);
        const std::string shown = entry_text(*model.header, static_cast<std::int16_t>(s.entry));
        thing t{static_cast<double>(v.v_c), shown, "stazione " + quoted(shown), {}};
        for (const header_field_meaning& m : station_fields()) {
            using enum voce_field;
            if (m.field == v_c || m.field == v_a) continue;
            if (m.field == v_b) {
                // The platform's ends move with the station: its length is what the author set.
                const std::int64_t length = platform_length(v);
                t.fields.push_back(
                    {"lunghezza del marciapiede", std::to_string(length) + " m", length});
            } else if (m.field == v_nome) {
                t.fields.push_back({std::string(m.name), quoted(name), name});
            } else if (m.field == v_l) {
                t.fields.push_back({std::string(m.name), time_of_day_text(v.v_l), v.v_l});
            } else {
                const std::int64_t n = field_number(v, m.field);
                t.fields.push_back({std::string(m.name), std::to_string(n), n});
            }
        }
        things.push_back(std::move(t));
    }
    return things;
}

// The features of the cells of one group, front to back.
std::vector<thing> features_of(const line_model& model, change_group group) {
    std::vector<thing> things;
    for (const feature& f : model.features) {
        const cella& c = (*model.cells)[f.cell];
        const cell_kind kind = f.kind;
        const bool wanted =
            (group == change_group::signals && kind == cell_kind::signal) ||
            (group == change_group::boards && kind == cell_kind::speed_board) ||
            (group == change_group::signs && kind == cell_kind::information_sign) ||
            // The marks the signal spacing pass lays follow from the slow orders, which are
            // compared on their own: only the author's "abbattimento" cells are.
            (group == change_group::marks && ((kind == cell_kind::value_mark && !spacing_mark(c)) ||
                                              kind == cell_kind::empty_value_mark));
        if (!wanted) continue;
        thing t{f.metres, "", std::string(describe(kind).name), {}};
        if (kind == cell_kind::information_sign) {
            const std::string text = model.header ? entry_text(*model.header, c.val1) : "";
            t.fields.push_back({"testo", quoted(text), text});
        } else {
            t.fields = item_fields(c);
        }
        things.push_back(std::move(t));
    }
    return things;
}

std::vector<thing> slow_orders_of(const line_model& model) {
    std::vector<thing> things;
    const celle& cells = *model.cells;
    for (const slow_order& o : model.slow_orders) {
        thing t{o.from, "", "rallentamento", {}};
        t.fields.push_back({"fine", km(o.to), o.to});
        t.fields.push_back({"velocità", std::to_string(o.speed) + " km/h", o.speed});
        if (o.boards.warning) {
            const double at = feature_metres(cells[*o.boards.warning], *o.boards.warning);
            t.fields.push_back({"avviso", km(at), at});
        } else {
            t.fields.push_back({"avviso", "nessuno", nullptr});
        }
        const auto approach = static_cast<std::int64_t>(o.boards.approach.size());
        t.fields.push_back({"celle di approccio", std::to_string(approach), approach});
        for (const field& f : item_fields(cells[o.boards.start])) {
            if (f.name != "v") t.fields.push_back(f);  // the speed is named above
        }
        things.push_back(std::move(t));
    }
    return things;
}

std::vector<thing> curves_of(const line_model& model) {
    std::vector<thing> things;
    for (const curve& c : model.curves) {
        thing t{c.from, "", "curva", {}};
        t.fields.push_back({"fine", km(c.to), c.to});
        // The keyword's curvature when the traced one is it, so that rounding is no change.
        const double k = c.keyword_k.value_or(c.k);
        const double radius = 1 / std::abs(k);
        t.fields.push_back({"raggio",
                            decimal_text(radius, 0) + " m " + (k < 0 ? "a sinistra" : "a destra"),
                            k < 0 ? -radius : radius});
        things.push_back(std::move(t));
    }
    return things;
}

// --- pairing --------------------------------------------------------------------------------

struct pairing {
    std::optional<std::size_t> first, second;
};

std::map<std::string, std::size_t> unique_keys(const std::vector<thing>& things) {
    std::map<std::string, std::size_t> keys;
    std::map<std::string, int> count;
    for (std::size_t i = 0; i < things.size(); ++i) {
        if (things[i].key.empty()) continue;
        ++count[things[i].key];
        keys[things[i].key] = i;
    }
    std::erase_if(keys, [&](const auto& k) { return count[k.first] != 1; });
    return keys;
}

std::vector<pairing> pair_things(const std::vector<thing>& a, const std::vector<thing>& b) {
    std::vector<std::optional<std::size_t>> partner_of_a(a.size()), partner_of_b(b.size());
    const auto join = [&](std::size_t i, std::size_t j) {
        partner_of_a[i] = j;
        partner_of_b[j] = i;
    };
    // By key.
    const auto keys_b = unique_keys(b);
    for (const auto& [key, i] : unique_keys(a)) {
        if (const auto found = keys_b.find(key); found != keys_b.end()) join(i, found->second);
    }
    // By where they stand.
    std::multimap<double, std::size_t> free_b;
    for (std::size_t j = 0; j < b.size(); ++j) {
        if (!partner_of_b[j]) free_b.emplace(b[j].metres, j);
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (partner_of_a[i]) continue;
        if (const auto found = free_b.find(a[i].metres); found != free_b.end()) {
            join(i, found->second);
            free_b.erase(found);
        }
    }
    // In order, between the pairs found so far that keep their order on both sides.
    std::vector<std::size_t> anchors_a, anchors_b;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (partner_of_a[i] && (anchors_b.empty() || *partner_of_a[i] > anchors_b.back())) {
            anchors_a.push_back(i);
            anchors_b.push_back(*partner_of_a[i]);
        }
    }
    const auto gap = [](const std::vector<std::size_t>& anchors, std::size_t i) {
        return std::lower_bound(anchors.begin(), anchors.end(), i) - anchors.begin();
    };
    std::map<std::ptrdiff_t, std::vector<std::size_t>> left_a, left_b;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!partner_of_a[i]) left_a[gap(anchors_a, i)].push_back(i);
    }
    for (std::size_t j = 0; j < b.size(); ++j) {
        if (!partner_of_b[j]) left_b[gap(anchors_b, j)].push_back(j);
    }
    for (const auto& [g, in_a] : left_a) {
        const auto found = left_b.find(g);
        if (found == left_b.end()) continue;
        for (std::size_t n = 0; n < std::min(in_a.size(), found->second.size()); ++n) {
            join(in_a[n], found->second[n]);
        }
    }
    std::vector<pairing> pairs;
    for (std::size_t i = 0; i < a.size(); ++i) pairs.push_back({i, partner_of_a[i]});
    for (std::size_t j = 0; j < b.size(); ++j) {
        if (!partner_of_b[j]) pairs.push_back({std::nullopt, j});
    }
    return pairs;
}

// --- wording --------------------------------------------------------------------------------

bool feminine(change_group group) {
    return group == change_group::stations || group == change_group::curves;
}

std::string action(change_group group, std::string_view masculine) {
    std::string word(masculine);
    if (feminine(group)) word.back() = 'a';
    return word;
}

change thing_change(change_group group, const thing* a, const thing* b) {
    change c;
    json& d = c.data;
    if (!a || !b) {
        const thing& t = a ? *a : *b;
        const std::string_view what = a ? "tolto" : "aggiunto";
        c.text = t.title + " a " + km(t.metres) + ": " + action(group, what);
        d["modifica"] = what;
        d["prima"] = a ? thing_json(*a) : json(nullptr);
        d["dopo"] = b ? thing_json(*b) : json(nullptr);
        d["campi"] = json::array();
        return c;
    }
    std::string fields;
    json changed = json::array();
    for (const field& fa : a->fields) {
        const auto fb = std::find_if(b->fields.begin(), b->fields.end(),
                                     [&](const field& f) { return f.name == fa.name; });
        if (fb == b->fields.end() || fb->text == fa.text) continue;
        fields += (fields.empty() ? "" : ", ") + fa.name + " " + fa.text + " → " + fb->text;
        json one;
        one["campo"] = fa.name;
        one["prima"] = fa.value;
        one["dopo"] = fb->value;
        changed.push_back(std::move(one));
    }
    const bool moved = a->metres != b->metres;
    if (moved) {
        c.text = a->title + ": " + action(group, "spostato") + " da " + km(a->metres) + " a " +
                 km(b->metres) + (fields.empty() ? "" : "; " + fields);
    } else {
        c.text = a->title + " a " + km(a->metres) + ": " + fields;
    }
    d["modifica"] = moved ? "spostato" : "cambiato";
    d["prima"] = thing_json(*a);
    d["dopo"] = thing_json(*b);
    d["campi"] = std::move(changed);
    return c;
}

std::vector<change> compare_things(change_group group, const std::vector<thing>& a,
                                   const std::vector<thing>& b) {
    std::vector<std::pair<double, change>> found;
    for (const pairing& p : pair_things(a, b)) {
        const thing* ta = p.first ? &a[*p.first] : nullptr;
        const thing* tb = p.second ? &b[*p.second] : nullptr;
        if (ta && tb) {
            const bool same_fields =
                std::equal(ta->fields.begin(), ta->fields.end(), tb->fields.begin(),
                           tb->fields.end(), [](const field& x, const field& y) {
                               return x.name == y.name && x.text == y.text;
                           });
            if (ta->metres == tb->metres && same_fields) continue;
        }
        found.emplace_back(ta ? ta->metres : tb->metres, thing_change(group, ta, tb));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<change> changes;
    for (auto& f : found) changes.push_back(std::move(f.second));
    return changes;
}

// The stretches of the charted cells where a fill holds different values.
std::vector<change> compare_fill(const line_model& a, const line_model& b, cell_fill fill,
                                 std::string_view unit) {
    const std::vector<fill_run>& ra = a.runs(fill).charted;
    const std::vector<fill_run>& rb = b.runs(fill).charted;
    const auto value_text = [&](int v) {
        return std::to_string(v) + (unit.empty() ? "" : " " + std::string(unit));
    };
    std::vector<change> changes;
    std::size_t i = 0, j = 0;
    while (i < ra.size() && j < rb.size()) {
        const std::size_t first = std::max(ra[i].first, rb[j].first);
        const std::size_t last = std::min(ra[i].last, rb[j].last);
        if (ra[i].value != rb[j].value) {
            const double from =
                static_cast<double>(fill_position(static_cast<std::int64_t>(first)));
            const double to =
                static_cast<double>(fill_position(static_cast<std::int64_t>(last) + 1));
            change c;
            c.text = "da " + km(from) + " a " + km(to) + ": " + value_text(ra[i].value) + " → " +
                     value_text(rb[j].value);
            c.data["da_metri"] = from;
            c.data["a_metri"] = to;
            c.data["prima"] = ra[i].value;
            c.data["dopo"] = rb[j].value;
            changes.push_back(std::move(c));
        }
        if (ra[i].last == last) ++i;
        if (rb[j].last == last) ++j;
    }
    return changes;
}

// The header values the records of the two texts fill. The names of the line and the train, and
// the identity code that follows from them, are left out: they name the sets.
std::vector<change> compare_header(const testata& a, const testata& b) {
    std::vector<change> changes;
    for (int e = k_entry_progressiva_tre; e <= k_entry_codici; ++e) {
        const voce& va = a[static_cast<std::size_t>(e)];
        const voce& vb = b[static_cast<std::size_t>(e)];
        for (const header_field_meaning& m : scalar_entry_fields(e)) {
            if (m.field == voce_field::v_nome || (e == k_entry_linea && m.field == voce_field::v_l))
                continue;
            const std::int64_t x = field_number(va, m.field), y = field_number(vb, m.field);
            if (x == y) continue;
            const std::string unit = m.unit.empty() ? "" : " " + std::string(m.unit);
            change c;
            c.text = header_field_name(e, m.field) + ": " + std::to_string(x) + unit + " → " +
                     std::to_string(y) + unit;
            c.data["voce"] = e;
            c.data["campo"] = field_key(m.field);
            c.data["nome"] = header_field_name(e, m.field);
            c.data["prima"] = x;
            c.data["dopo"] = y;
            changes.push_back(std::move(c));
        }
    }
    return changes;
}

plan_comparison compare_plans(const geometria* a, const geometria* b) {
    plan_comparison p;
    p.first_has_plan = a != nullptr;
    p.second_has_plan = b != nullptr;
    if (!a || !b) return p;
    p.first_last = a->last_metre();
    p.second_last = b->last_metre();
    const std::int32_t last = std::min(p.first_last, p.second_last);
    for (std::int32_t m = 0; m <= last; ++m) {
        const auto pa = plan_point_at(*a, m), pb = plan_point_at(*b, m);
        if (!pa || !pb) continue;
        const double d = std::hypot((*pa)[0] - (*pb)[0], (*pa)[1] - (*pb)[1]);
        if (!p.at_metre || d > p.greatest_distance) {
            p.greatest_distance = d;
            p.at_metre = m;
        }
    }
    return p;
}

struct group_words {
    change_group group;
    std::string_view json_name;
    std::string_view heading;
};
constexpr std::array<group_words, k_change_groups> k_groups = {{
    {change_group::stations, "stations", "stazioni"},
    {change_group::signals, "signals", "segnali"},
    {change_group::slow_orders, "slow_orders", "rallentamenti"},
    {change_group::boards, "boards", "cartelli indicatori di velocità"},
    {change_group::signs, "signs", "cartelli di indicazione"},
    {change_group::marks, "marks", "abbattimenti"},
    {change_group::speed_limits, "speed_limits", "limiti di velocità"},
    {change_group::gradients, "gradients", "pendenze"},
    {change_group::adhesion, "adhesion", "aderenza"},
    {change_group::curves, "curves", "curve"},
    {change_group::header, "header", "testata"},
}};

std::string metres_text(double metres) { return decimal_text(metres, 2) + " m"; }

}  // namespace

bool plan_comparison::differs() const {
    if (first_has_plan != second_has_plan) return true;
    return compared() && (greatest_distance >= k_plan_tolerance || first_last != second_last);
}

bool line_diff::any() const {
    return plan.differs() ||
           std::any_of(groups.begin(), groups.end(), [](const auto& g) { return !g.empty(); });
}

line_diff compare_lines(const line_model& first, const line_model& second) {
    line_diff diff;
    diff[change_group::stations] =
        compare_things(change_group::stations, stations_of(first), stations_of(second));
    for (const change_group g :
         {change_group::signals, change_group::boards, change_group::signs, change_group::marks}) {
        diff[g] = compare_things(g, features_of(first, g), features_of(second, g));
    }
    diff[change_group::slow_orders] =
        compare_things(change_group::slow_orders, slow_orders_of(first), slow_orders_of(second));
    diff[change_group::speed_limits] = compare_fill(first, second, cell_fill::speed_limit, "km/h");
    diff[change_group::gradients] = compare_fill(first, second, cell_fill::gradient, "‰");
    diff[change_group::adhesion] = compare_fill(first, second, cell_fill::adhesion, "");
    // The curves are read from the plans: a side without one has none to compare.
    if (first.plan && second.plan) {
        diff[change_group::curves] =
            compare_things(change_group::curves, curves_of(first), curves_of(second));
    }
    if (first.header && second.header) {
        diff[change_group::header] = compare_header(*first.header, *second.header);
    }
    diff.plan = compare_plans(first.plan, second.plan);
    return diff;
}

void diff_text(const line_diff& diff, std::ostream& out) {
    if (!diff.any()) {
        out << "nessuna differenza\n";
        return;
    }
    for (const group_words& g : k_groups) {
        const std::vector<change>& changes = diff[g.group];
        if (changes.empty()) continue;
        out << g.heading << " (" << changes.size() << "):\n";
        for (const change& c : changes) out << "  " << c.text << '\n';
    }
    const plan_comparison& p = diff.plan;
    if (!p.differs()) return;
    out << "pianta:\n";
    if (!p.compared()) {
        out << "  " << (p.first_has_plan ? "B" : "A")
            << " non ha la geometria (compilato con --no-geometry): piante non confrontate\n";
        return;
    }
    if (p.at_metre && p.greatest_distance >= k_plan_tolerance) {
        out << "  i punti distano al più " << metres_text(p.greatest_distance) << ", al metro "
            << *p.at_metre << " (" << km(*p.at_metre) << ")\n";
    }
    if (p.first_last != p.second_last) {
        out << "  ultimo metro: " << p.first_last << " → " << p.second_last << '\n';
    }
}

json diff_json(const line_diff& diff) {
    json document;
    document["differenze"] = diff.any();
    for (const group_words& g : k_groups) {
        json changes = json::array();
        for (const change& c : diff[g.group]) changes.push_back(c.data);
        document[g.json_name] = std::move(changes);
    }
    const plan_comparison& p = diff.plan;
    json plan;
    plan["confrontata"] = p.compared();
    plan["geometria"] = {p.first_has_plan, p.second_has_plan};
    plan["differisce"] = p.differs();
    plan["distanza_massima_metri"] =
        p.compared() && p.at_metre ? json(p.greatest_distance) : json(nullptr);
    plan["al_metro"] = p.compared() ? value_or_null(p.at_metre) : json(nullptr);
    plan["ultimo_metro"] = p.compared() ? json({p.first_last, p.second_last}) : json(nullptr);
    document["plan"] = std::move(plan);
    return document;
}

}  // namespace scenario::tool
