// Runs a fuzz target over every file of its corpus directories (and over a
// few thousand mutations of each), so the corpus is exercised in every test
// run without a fuzzing engine.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::mt19937 rng(12345);
    size_t inputs = 0;
    for (int i = 1; i < argc; ++i) {
        if (!fs::exists(argv[i])) continue;
        for (auto& entry : fs::recursive_directory_iterator(argv[i])) {
            if (!entry.is_regular_file()) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++inputs;
            // Cheap mutations: flipped bytes, truncations, duplicated tails.
            for (int m = 0; m < 300; ++m) {
                std::vector<uint8_t> mutated = bytes;
                switch (rng() % 3) {
                case 0:
                    if (!mutated.empty())
                        for (int k = 0; k < 1 + int(rng() % 4); ++k)
                            mutated[rng() % mutated.size()] = uint8_t(rng());
                    break;
                case 1:
                    mutated.resize(mutated.empty() ? 0 : rng() % mutated.size());
                    break;
                default:
                    if (!mutated.empty()) {
                        size_t from = rng() % mutated.size();
                        mutated.insert(mutated.end(), mutated.begin() + long(from),
                                       mutated.end());
                    }
                }
                LLVMFuzzerTestOneInput(mutated.data(), mutated.size());
                ++inputs;
            }
        }
    }
    std::printf("%zu inputs ran\n", inputs);
    return 0;
}
