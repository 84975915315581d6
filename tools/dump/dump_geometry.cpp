// The geometry's summary (how many points the compile traced, their extent, where the route
// ends) and, with `all`, every point as the file holds it.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "base/positions.h"
#include "dump/dump.h"

namespace scenario::tool {
namespace {

bool point_present(const geometria& plan, std::int32_t m) {
    return plan.kind(m, 0) != geometria::tag::empty && plan.kind(m, 1) != geometria::tag::empty;
}

std::string point_text(const geometria& plan, std::int32_t m) {
    if (!point_present(plan, m)) return "vuoto";
    std::string text = "(";
    text += fixed2(plan.value(m, 0));
    text += ", ";
    text += fixed2(plan.value(m, 1));
    text += ')';
    return text;
}

struct plan_summary {
    std::size_t integers = 0, reals = 0, empties = 0;
    std::size_t traced = 0;  // points traced by the line pass: doubles in both coordinates
    std::optional<std::int32_t> last_present;
    double min_x = 0, max_x = 0, min_y = 0, max_y = 0, length = 0;
};

plan_summary summarise(const geometria& plan) {
    plan_summary s;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const geometria::tag t = plan.kind_at(i);
        (t == geometria::tag::integer ? s.integers
         : t == geometria::tag::real  ? s.reals
                                      : s.empties)++;
    }
    for (std::int32_t m = 0; m <= plan.last_metre(); ++m) {
        if (!point_present(plan, m)) continue;
        s.traced += plan.kind(m, 0) == geometria::tag::real;
        const double x = plan.value(m, 0), y = plan.value(m, 1);
        if (!s.last_present) {
            s.min_x = s.max_x = x;
            s.min_y = s.max_y = y;
        } else {
            s.length +=
                std::hypot(x - plan.value(*s.last_present, 0), y - plan.value(*s.last_present, 1));
        }
        s.min_x = std::min(s.min_x, x), s.max_x = std::max(s.max_x, x);
        s.min_y = std::min(s.min_y, y), s.max_y = std::max(s.max_y, y);
        s.last_present = m;
    }
    return s;
}

}  // namespace

std::string fixed2(double value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
    char buffer[64];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    return r.ec == std::errc() ? std::string(buffer, r.ptr) : "?";
}

void dump_geometry_text(const geometria& plan, bool all, std::ostream& out) {
    const plan_summary s = summarise(plan);
    out << "geometria: metri da 0 a " << plan.last_metre() << " (" << plan.size()
        << " elementi: " << s.integers << " interi, " << s.reals << " reali, " << s.empties
        << " vuoti)\n";
    const std::int32_t route = plan.last_metre() - k_run_off;
    out << "percorso: metri da 0 a " << route << ", poi " << k_run_off
        << " m di corsa oltre la fine fino al metro " << plan.last_metre() << '\n';
    if (!s.last_present) {
        out << "nessun punto tracciato: la geometria è tutta vuota (la compilazione si è "
               "fermata prima di seminarla)\n";
    } else {
        out << "punti tracciati: " << s.traced;
        if (s.traced > 0) out << " (metri da 2 a " << *s.last_present << ")";
        out << "\nultimo punto con due coordinate: metro " << *s.last_present << ' '
            << point_text(plan, *s.last_present) << "\nestensione: x (est) da " << fixed2(s.min_x)
            << " a " << fixed2(s.max_x) << " m, y (nord) da " << fixed2(s.min_y) << " a "
            << fixed2(s.max_y) << " m\nlunghezza del tracciato: " << fixed2(s.length) << " m\n";
    }
    out << "\npunti ogni 1000 m:\n";
    for (std::int32_t m = 0; m <= plan.last_metre(); m += 1000) {
        out << "  metro " << m << ": " << point_text(plan, m) << '\n';
    }
    if (!all) return;
    out << "\ntutti i punti:\n";
    for (std::int32_t m = 0; m <= plan.last_metre(); ++m) {
        out << "  metro " << m << ": " << point_text(plan, m) << '\n';
    }
}

json dump_geometry_json(const geometria& plan, bool all) {
    const plan_summary s = summarise(plan);
    json document;
    document["tipo"] = "geometria";
    document["ultimo_metro"] = plan.last_metre();
    document["interi"] = s.integers;
    document["reali"] = s.reals;
    document["vuoti"] = s.empties;
    document["punti_tracciati"] = s.traced;
    document["ultimo_punto"] = value_or_null(s.last_present);
    document["x_min"] = s.min_x;
    document["x_max"] = s.max_x;
    document["y_min"] = s.min_y;
    document["y_max"] = s.max_y;
    document["lunghezza"] = s.length;
    document["fine_percorso"] = plan.last_metre() - k_run_off;
    if (all) {
        json points = json::array();
        for (std::int32_t m = 0; m <= plan.last_metre(); ++m) {
            json point = json::array();
            for (int coord = 0; coord < 2; ++coord) {
                if (plan.kind(m, coord) == geometria::tag::empty)
                    point.push_back(nullptr);
                else
                    point.push_back(plan.value(m, coord));
            }
            points.push_back(std::move(point));
        }
        document["punti"] = std::move(points);
    }
    return document;
}

}  // namespace scenario::tool
