// Writes the decoder corpus into a folder: the fuzzer's seeds, and the files the tests feed the
// player, for a look by hand (`mpg123`, `kassolin-analyze`).
#include "corpus/DecoderCorpus.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

int usage(const char* program)
{
    std::fprintf(stderr,
                 "usage: %s [--max-bytes N] FOLDER\n"
                 "  writes every corpus file of at most N bytes (all by default) into FOLDER\n",
                 program);
    return 2;
}

bool write(const std::filesystem::path& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t maxBytes = SIZE_MAX;
    int next = 1;
    if (argc == 4 && std::string(argv[1]) == "--max-bytes") {
        maxBytes = std::stoul(argv[2]);
        next = 3;
    }
    if (argc != next + 1)
        return usage(argv[0]);
    const std::filesystem::path folder = argv[next];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    int written = 0;
    for (auto&& group : {notMpegFiles(), damagedFiles(), hostileFiles(), wellFormedFiles()}) {
        for (const CorpusFile& file : group) {
            if (file.bytes.size() > maxBytes)
                continue;
            if (!write(folder / file.name, file.bytes)) {
                std::fprintf(stderr, "cannot write %s\n", (folder / file.name).c_str());
                return 1;
            }
            ++written;
        }
    }
    std::printf("%d files in %s\n", written, folder.c_str());
    return 0;
}
