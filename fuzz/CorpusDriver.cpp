// Runs every file of the given corpus directories through the fuzz entry once, so that the
// committed corpus (seeds and earlier crashes) stays a regression test without libFuzzer.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

std::vector<std::filesystem::path> corpusFiles(const std::filesystem::path &root)
{
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_regular_file(root))
        files.push_back(root);
    else
        for (const auto &entry : std::filesystem::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR_OR_FILE...\n", argv[0]);
        return 2;
    }
    size_t runs = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        if (!std::filesystem::exists(argv[i], error)) {
            std::fprintf(stderr, "%s: no such corpus\n", argv[i]);
            return 2;
        }
        for (const auto &file : corpusFiles(argv[i])) {
            std::ifstream stream(file, std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(stream), {}};
            std::fprintf(stderr, "running %s (%zu bytes)\n", file.c_str(), bytes.size());
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
            ++runs;
        }
    }
    std::printf("%zu inputs ran without a finding\n", runs);
    return runs > 0 ? 0 : 1;
}
