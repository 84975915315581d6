// Throughput of the item reader over a few megabytes of realistic records: the largest
// synthetic scenario's two texts, repeated. Each record is read as the compiler reads it: its
// keyword as a text item, then its values as numbers (and a closing text where it has one).
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "compile/item_reader.h"
#include "testkit/synthetic_scenario.h"

namespace scenario::bench {
namespace {

constexpr std::size_t k_corpus_bytes = std::size_t{4} << 20;

struct record_shape {
    std::string_view keyword;
    int numbers;
    bool closing_text;
};

// Tried in order; "ripetizione" comes before any keyword its item might also contain.
constexpr record_shape k_shapes[] = {
    {"stazione", 16, true},      {"segnale", 11, false},    {"indicatori_v", 9, false},
    {"rallentamento", 6, false}, {"curva", 2, false},       {"pendenza", 2, false},
    {"velocita", 2, false},      {"aderenza", 2, false},    {"montagna", 3, false},
    {"cartello", 1, true},       {"ripetizione", 2, false}, {"progressiva", 3, false},
    {"orologio", 3, false},      {"lunghezza", 1, false},   {"sfondo", 1, false},
    {"vetture", 1, false},       {"frenata", 1, false},     {"sabbia", 1, false},
};

std::string reader_corpus() {
    const synthetic_texts texts = make_synthetic_scenario(synthetic_size{});
    std::string corpus;
    while (corpus.size() < k_corpus_bytes) {
        corpus += texts.line;
        corpus += texts.train;
    }
    return corpus;
}

// Reads the whole text record by record; the sum keeps the values alive.
std::int64_t read_all(std::string_view text) {
    item_reader reader(text);
    std::int64_t sum = 0;
    while (!reader.at_end()) {
        const std::string item = reader.read_text();
        for (const record_shape& shape : k_shapes) {
            if (item.find(shape.keyword) == std::string::npos) continue;
            for (int i = 0; i < shape.numbers; ++i) sum += reader.read_number();
            if (shape.closing_text) sum += static_cast<std::int64_t>(reader.read_text().size());
            break;
        }
    }
    return sum;
}

void item_reader_throughput(benchmark::State& state) {
    const std::string corpus = reader_corpus();
    for (auto _ : state) benchmark::DoNotOptimize(read_all(corpus));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(corpus.size()));
    state.counters["text_MB"] = static_cast<double>(corpus.size()) / 1e6;
}

BENCHMARK(item_reader_throughput)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace scenario::bench
