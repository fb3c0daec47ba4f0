// The main() of a fuzz target built without libFuzzer: runs the target once on every file of the
// directories (or on the files) given, so the committed corpus is replayed by any compiler.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsOf(const fs::path& arg) {
    std::vector<fs::path> files;
    if (fs::is_directory(arg)) {
        for (const auto& entry : fs::directory_iterator(arg))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
    } else if (fs::is_regular_file(arg)) {
        files.push_back(arg);
    }
    return files;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& file : inputsOf(argv[i])) {
            std::ifstream in(file, std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
            // Print first: an input that aborts is then named just above the abort.
            std::fprintf(stderr, "replay %s (%zu bytes)\n",
                         reinterpret_cast<const char*>(file.u8string().c_str()), bytes.size());
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size());
            ++replayed;
        }
    }
    std::printf("replayed %zu inputs\n", replayed);
    // No input at all is a mistake in the arguments (a moved corpus), not a pass.
    return replayed > 0 ? 0 : 1;
}
