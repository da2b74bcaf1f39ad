// Prints Kassolin's speed figures, one a line as "name: value unit". Run on demand; the
// figures depend on the machine and are never checked by a test.
#include "AnalysisBench.h"
#include "BenchFigures.h"
#include "PaintBench.h"
#include "app/AppDelegate.h"
#include "audio/Mp3AudioPlayer.h"
#include "decoder/Mp3Decoder.h"
#include "folders/CollectionTree.h"
#include "player/SavedSession.h"
#include "signals/Mp3Encoder.h"

#include <cstdio>
#include <filesystem>
#include <string_view>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int benchSeconds = 300;

std::filesystem::path benchTrack(int seconds)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("kassolin-bench-" + std::to_string(seconds) + "s.mp3");
    if (std::filesystem::exists(path))
        return path;
    // The demo tune, repeated: music-like content at the bitrate of a typical collection.
    const Pcm track = repeatedTo(demoTune(44100), seconds * 44100);
    Mp3Options options;
    options.bitrateKbps = 192;
    options.quality = 7;
    // Written aside and renamed, so that an interrupted run leaves no half file to be reused.
    const std::filesystem::path part = path.string() + ".part";
    if (!writeMp3(track, part.string(), options))
        return {};
    std::filesystem::rename(part, path);
    return path;
}

bool decodeWhole(const QString& path)
{
    std::unique_ptr<Mp3Decoder> decoder = Mp3Decoder::open(path);
    if (!decoder)
        return false;
    std::size_t samples = 0;
    for (auto buffer = decoder->nextBuffer(); !buffer.empty(); buffer = decoder->nextBuffer())
        samples += buffer.size();
    return samples > 0;
}

bool runMpg123Test(const std::string& path)
{
    const pid_t child = fork();
    if (child == 0) {
        execlp("mpg123", "mpg123", "-q", "-t", path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

void benchDecoder(const std::filesystem::path& track)
{
    const double ours =
        bestSeconds([&] { return decodeWhole(QString::fromStdString(track.string())); });
    const double reference = bestSeconds([&] { return runMpg123Test(track.string()); });
    printFigure("decoder (open, scan, decode) 300 s 192 kbps", benchSeconds / ours, "x real time");
    printFigure("mpg123 -q -t 300 s 192 kbps", benchSeconds / reference, "x real time");
    printFigure("decoder time / mpg123 -t time", ours / reference, "ratio");
}

// What a track change waits for before the next track can play: the output bridges it.
void benchPlayerOpen(const std::filesystem::path& track)
{
    const auto output = std::make_shared<SessionOutput>();
    const double seconds = bestSeconds([&] {
        return Mp3AudioPlayer::open(QString::fromStdString(track.string()), nullptr, output) !=
               nullptr;
    });
    printFigure("player open 600 s 192 kbps (scan included)", seconds * 1000, "ms");
}

// What resuming adds to a launch: a session of a whole playlist of files that exist, and a file
// of the largest size read that is no session.
void benchSessionRead(const QList<QUrl>& playlist)
{
    const QTemporaryDir folder;
    const QString session = folder.filePath("session.json");
    const QString hostile = folder.filePath("hostile.json");
    QFile garbage(hostile);
    if (!SavedSession{playlist, 250, 120.0, true}.write(session) ||
        !garbage.open(QIODevice::WriteOnly) ||
        garbage.write(QByteArray(SavedSession::fileSizeLimit, '[')) < 0)
        return;
    garbage.close();
    QString problem;
    const double whole = bestSeconds(
        [&] { return SavedSession::read(session, &problem)->playlist.size() == playlist.size(); });
    const double refused = bestSeconds([&] { return !SavedSession::read(hostile, &problem); });
    printFigure("session of 500 tracks read and checked", whole * 1000, "ms");
    printFigure("1 MiB file that is no session refused", refused * 1000, "ms");
}

// Choosing a large collection: the scan stops at the playlist's limit; a walk of the whole
// tree shows what that saves. Warm caches: the tree was just written.
void benchFolderScan()
{
    const CollectionTree tree(std::filesystem::temp_directory_path() /
                              ("kassolin-bench-tree-" + std::to_string(::getpid())));
    if (tree.empty()) {
        std::fprintf(stderr, "kassolin-bench: cannot write the collection tree\n");
        return;
    }
    const QString root = QString::fromStdString(tree.root());
    const double scan = bestSeconds([&] {
        return AppDelegate::playlistURLsFromSelection({QUrl::fromLocalFile(root)}, nullptr)
                   .size() == AppDelegate::playlistLimit;
    });
    const double walk = bestSeconds([&] {
        FolderEnumerator enumerator(root);
        int found = 0;
        while (enumerator.next())
            ++found;
        return found > 0;
    });
    std::printf("collection: %d files (%d MP3s) in %d folders\n", tree.entries(), tree.mp3s(),
                tree.folders());
    printFigure("selection scan of the collection, stops at 500", scan * 1000, "ms");
    printFigure("walk of the whole collection", walk * 1000, "ms");
    benchSessionRead(AppDelegate::playlistURLsFromSelection({QUrl::fromLocalFile(root)}, nullptr));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // `kassolin-bench folders` runs the folder scan alone: it needs no tracks.
    const bool foldersOnly = argc == 2 && std::string_view(argv[1]) == "folders";
    if (!foldersOnly)
        benchPaint();
    benchFolderScan();
    if (foldersOnly)
        return 0;
    const std::filesystem::path track = benchTrack(benchSeconds);
    const std::filesystem::path longTrack = benchTrack(2 * benchSeconds);
    if (track.empty() || longTrack.empty()) {
        std::fprintf(stderr, "kassolin-bench: cannot write the benchmark track\n");
        return 1;
    }
    benchDecoder(track);
    benchPlayerOpen(longTrack);
    benchAnalysis(track);
    return 0;
}
