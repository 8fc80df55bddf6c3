// Stand-in for libFuzzer where the compiler has none: feeds the target a bounded, repeatable
// stream of inputs. Half are raw random bytes, half are drawn from a small alphabet of digits,
// separators and protocol letters, so that parsers get past their first checks.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    long runs = 10000;
    unsigned seed = 20261210;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--runs=", 7) == 0) {
            runs = std::strtol(argv[i] + 7, nullptr, 10);
        } else if (std::strncmp(argv[i], "--seed=", 7) == 0) {
            seed = static_cast<unsigned>(std::strtoul(argv[i] + 7, nullptr, 10));
        }
    }
    static const char kAlphabet[] = "0123456789 .,^*@#$-wxacvbdeS\r\n\xb0\xa1\xd6\xd0";
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> input;
    for (long run = 0; run < runs; ++run) {
        const std::size_t size = rng() % (run % 16 == 0 ? 4096 : 96);
        input.resize(size);
        const bool structured = (run % 2) == 1;
        for (auto& byte : input) {
            byte = structured ? static_cast<std::uint8_t>(kAlphabet[rng() % (sizeof kAlphabet - 1)])
                              : static_cast<std::uint8_t>(rng());
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%ld inputs, no crash\n", runs);
    return 0;
}
