// The geometry's summary (how many points the compile traced, their extent, where the route
// ends) and, with `all`, every point as the file holds it.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "base/positions.h"
#include "dump/dump.h"
#include "output/binary_readers.h"

namespace scenario::tool {
namespace {

using point = geometry_walk::point;

bool point_present(const point& p) {
    return p.kind[0] != geometria::tag::empty && p.kind[1] != geometria::tag::empty;
}

std::string point_text(const point& p) {
    if (!point_present(p)) return "vuoto";
    std::string text = "(";
    text += fixed2(p.value[0]);
    text += ", ";
    text += fixed2(p.value[1]);
    text += ')';
    return text;
}

struct plan_summary {
    std::size_t integers = 0, reals = 0, empties = 0;
    std::size_t traced = 0;  // points traced by the line pass: doubles in both coordinates
    std::optional<point> last_present;
    double min_x = 0, max_x = 0, min_y = 0, max_y = 0, length = 0;
};

// One walk over the file.
plan_summary summarise(const plan_file& plan) {
    plan_summary s;
    geometry_walk walk(plan.bytes, plan.layout);
    for (point p; walk.next(p);) {
        for (const geometria::tag t : p.kind) {
            (t == geometria::tag::integer ? s.integers
             : t == geometria::tag::real  ? s.reals
                                          : s.empties)++;
        }
        if (!point_present(p)) continue;
        s.traced += p.kind[0] == geometria::tag::real;
        const double x = p.value[0], y = p.value[1];
        if (!s.last_present) {
            s.min_x = s.max_x = x;
            s.min_y = s.max_y = y;
        } else {
            s.length += std::hypot(x - s.last_present->value[0], y - s.last_present->value[1]);
        }
        s.min_x = std::min(s.min_x, x), s.max_x = std::max(s.max_x, x);
        s.min_y = std::min(s.min_y, y), s.max_y = std::max(s.max_y, y);
        s.last_present = p;
    }
    return s;
}

// The point of every metre, or of every `step`-th one.
template <typename Each>
void each_point(const plan_file& plan, std::int32_t step, Each each) {
    geometry_walk walk(plan.bytes, plan.layout);
    for (point p; walk.next(p);) {
        if (p.metre % step == 0) each(p);
    }
}

json point_json(const point& p) {
    json pair = json::array();
    for (int coord = 0; coord < 2; ++coord) {
        if (p.kind[coord] == geometria::tag::empty)
            pair.push_back(nullptr);
        else
            pair.push_back(p.value[coord]);
    }
    return pair;
}

}  // namespace

std::string fixed2(double value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
    char buffer[64];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    return r.ec == std::errc() ? std::string(buffer, r.ptr) : "?";
}

void dump_geometry_text(const plan_file& plan, bool all, std::ostream& out) {
    const plan_summary s = summarise(plan);
    const std::int32_t last = plan.layout.last_metre;
    out << "geometria: metri da 0 a " << last << " (" << 2 * (static_cast<std::size_t>(last) + 1)
        << " elementi: " << s.integers << " interi, " << s.reals << " reali, " << s.empties
        << " vuoti)\n";
    const std::int32_t route = last - k_run_off;
    out << "percorso: metri da 0 a " << route << ", poi " << k_run_off
        << " m di corsa oltre la fine fino al metro " << last << '\n';
    if (!s.last_present) {
        out << "nessun punto tracciato: la geometria è tutta vuota (la compilazione si è "
               "fermata prima di seminarla)\n";
    } else {
        out << "punti tracciati: " << s.traced;
        if (s.traced > 0) out << " (metri da 2 a " << s.last_present->metre << ")";
        out << "\nultimo punto con due coordinate: metro " << s.last_present->metre << ' '
            << point_text(*s.last_present) << "\nestensione: x (est) da " << fixed2(s.min_x)
            << " a " << fixed2(s.max_x) << " m, y (nord) da " << fixed2(s.min_y) << " a "
            << fixed2(s.max_y) << " m\nlunghezza del tracciato: " << fixed2(s.length) << " m\n";
    }
    const auto line = [&](const point& p) {
        out << "  metro " << p.metre << ": " << point_text(p) << '\n';
    };
    out << "\npunti ogni 1000 m:\n";
    each_point(plan, 1000, line);
    if (!all) return;
    out << "\ntutti i punti:\n";
    each_point(plan, 1, line);
}

void dump_geometry_json(const plan_file& plan, bool all, std::ostream& out) {
    const plan_summary s = summarise(plan);
    json_object_writer document(out);
    document.member("tipo", "geometria");
    document.member("ultimo_metro", plan.layout.last_metre);
    document.member("interi", s.integers);
    document.member("reali", s.reals);
    document.member("vuoti", s.empties);
    document.member("punti_tracciati", s.traced);
    document.member("ultimo_punto", s.last_present ? json(s.last_present->metre) : json(nullptr));
    document.member("x_min", s.min_x);
    document.member("x_max", s.max_x);
    document.member("y_min", s.min_y);
    document.member("y_max", s.max_y);
    document.member("lunghezza", s.length);
    document.member("fine_percorso", plan.layout.last_metre - k_run_off);
    if (all) {
        document.array_member("punti", [&](const auto& add) {
            each_point(plan, 1, [&](const point& p) { add(point_json(p)); });
        });
    }
    document.close();
}

}  // namespace scenario::tool
