// The one builder of small description texts for the tests: a line text with a 5000 m route
// (cells 0 to 240) whose feature records start on line 4, a train text whose records start on
// line 2, and the records the tests place in them. All CR LF, as the program writes its texts.
#pragma once

#include <string>

namespace scenario::testing {

inline const std::string k_line_ok = "[generale]\r\nlunghezza percorso, 5000\r\n[fine]\r\n";
inline const std::string k_train_ok = "[generale]\r\n[fine]\r\n";

inline std::string line_with(const std::string& features) {
    return "[generale]\r\nlunghezza percorso, 5000\r\n[cartelli]\r\n" + features + "[fine]\r\n";
}

inline std::string train_with(const std::string& records) {
    return "[generale]\r\n" + records + "[fine]\r\n";
}

// A signal with both sides at 2 and the given first aspects on either side.
inline std::string signal_at(int p, int s1 = 3, int d1 = 2) {
    return "segnale, " + std::to_string(p) + ", 2, " + std::to_string(s1) + ", 1, 1, 0, 2, " +
           std::to_string(d1) + ", 1, 1, 0\r\n";
}

// A station of that kind and platform at 6:30:00.
inline std::string station_at(int p, int kind = 27, int platform = 200,
                              const std::string& name = "Prova") {
    return "stazione, " + std::to_string(p) + ", " + std::to_string(kind) + ", " +
           std::to_string(platform) + ", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 30, 0, " + name + "\r\n";
}

// A 30 km/h slow order from 3000 m over 500 m, without and with its approach board.
inline const std::string k_slow_order = "rallentamento, 3000, 30, 500, 1, 0, 0\r\n";
inline const std::string k_slow_order_approach = "rallentamento, 3000, 30, 500, 1, 1, 0\r\n";

// 79 stations fill header entries 1 to 79 and reach the first sign entry, 80.
inline std::string too_many_stations() {
    std::string records;
    for (int i = 0; i < 79; ++i) records += station_at(600 * i + 1000, 27, 200);
    return train_with(records);
}

}  // namespace scenario::testing
