// Writes the demo track that scripts/run.sh plays when it is given no file.
#include "signals/Mp3Encoder.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.mp3\n", argv[0]);
        return 2;
    }
    Mp3Options options;
    options.bitrateKbps = 192;
    options.id3v2Title = "Kassolin Demo";
    if (!writeMp3(demoTune(44100), argv[1], options)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
