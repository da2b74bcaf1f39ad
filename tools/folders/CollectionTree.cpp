#include "folders/CollectionTree.h"

#include <fstream>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool writeFile(const fs::path& path)
{
    return static_cast<bool>(std::ofstream(path, std::ios::binary | std::ios::trunc));
}

} // namespace

CollectionTree::CollectionTree(fs::path root) : m_root(std::move(root))
{
    std::error_code error;
    if (!fs::create_directory(m_root, error))
        return;
    int index = 0;
    for (int top = 0; top < topFolders; ++top) {
        for (int sub = -1; sub < subfoldersEach; ++sub) {
            const fs::path folder =
                sub < 0 ? m_root / ("Artist " + std::to_string(top)) : subfolder(top, sub);
            if (!fs::create_directory(folder, error) || !writeFolder(folder, index++)) {
                m_entries = 0;
                return;
            }
        }
    }
    setUnreadable(true);
}

CollectionTree::~CollectionTree()
{
    setUnreadable(false);
    std::error_code error;
    fs::remove_all(m_root, error);
}

bool CollectionTree::writeFolder(const fs::path& folder, int index)
{
    const int mp3s = leastMP3sPerFolder + index % 2;
    std::error_code error;
    for (int entry = 0; entry < entriesEach; ++entry) {
        const std::string number = std::to_string(entry + 1);
        if (entry < mp3s) {
            ++m_mp3s;
            if (!writeFile(folder / ("Track " + number + ".mp3")))
                return false;
        } else if (entry == mp3s) {
            fs::create_directory_symlink("..", folder / "up", error);
        } else if (entry == mp3s + 1) {
            fs::create_directory_symlink("..", folder / "album.mp3", error);
        } else if (!writeFile(folder / (entry % 2 ? "cover " + number + ".jpg"
                                                  : "notes " + number + ".txt"))) {
            return false;
        }
        if (error)
            return false;
        ++m_entries;
    }
    return true;
}

fs::path CollectionTree::subfolder(int top, int sub) const
{
    return m_root / ("Artist " + std::to_string(top)) / ("Album " + std::to_string(sub));
}

void CollectionTree::setUnreadable(bool unreadable)
{
    std::error_code error;
    int count = 0;
    for (int top = 0; top < topFolders; ++top) {
        for (int sub = 0; sub < subfoldersEach; ++sub) {
            if ((top * subfoldersEach + sub + 1) % unreadableEvery != 0)
                continue;
            fs::permissions(subfolder(top, sub),
                            unreadable ? fs::perms::owner_write | fs::perms::owner_exec
                                       : fs::perms::owner_all,
                            error);
            count += error ? 0 : 1;
        }
    }
    if (unreadable)
        m_unreadable = count;
}
