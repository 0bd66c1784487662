// Runs a fuzz target once on every file given, or on every file of every
// directory given, so that the seed corpora are replayed as ordinary tests.
#include "tests/fuzz/FuzzCheck.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

namespace {

std::vector<uint8_t> readFile(const std::filesystem::path &path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path given(argv[i]);
        if (std::filesystem::is_directory(given)) {
            for (const auto &entry : std::filesystem::recursive_directory_iterator(given))
                if (entry.is_regular_file())
                    inputs.push_back(entry.path());
        } else if (std::filesystem::is_regular_file(given)) {
            inputs.push_back(given);
        } else {
            std::cerr << "no such file or directory: " << given << '\n';
            return 2;
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const auto &path : inputs) {
        const std::vector<uint8_t> bytes = readFile(path);
        std::cout << path.filename().string() << std::endl;
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::cout << inputs.size() << " inputs ran" << std::endl;
    // An empty corpus would pass without testing anything.
    return inputs.empty() ? 1 : 0;
}
