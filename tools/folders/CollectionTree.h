#pragma once

#include <filesystem>

// A large music collection on disk for the selection scan: top folders of subfolders, each
// folder with the same number of entries, one or two of them MP3s (empty, since the scan opens
// none) and the rest covers, notes, a link to the folder above, a link named .mp3 to a folder,
// and every so often a subfolder that cannot be read.
class CollectionTree
{
public:
    static constexpr int topFolders = 40;
    static constexpr int subfoldersEach = 49;
    static constexpr int entriesEach = 10;
    static constexpr int unreadableEvery = 100; // every n-th subfolder cannot be read
    // How deep folders nest below the root.
    static constexpr int depth = 2;
    // Every folder holds at least this many MP3s.
    static constexpr int leastMP3sPerFolder = 1;

    // Writes the tree into `root`, which must not exist; empty() tells whether that failed.
    explicit CollectionTree(std::filesystem::path root);
    // Makes the unreadable folders readable again and removes the tree.
    ~CollectionTree();
    CollectionTree(const CollectionTree&) = delete;
    CollectionTree& operator=(const CollectionTree&) = delete;

    bool empty() const { return m_entries == 0; }
    const std::filesystem::path& root() const { return m_root; }
    static constexpr int folders() { return topFolders * (1 + subfoldersEach); }
    int entries() const { return m_entries; }
    int mp3s() const { return m_mp3s; }
    int unreadableFolders() const { return m_unreadable; }

private:
    bool writeFolder(const std::filesystem::path& folder, int index);
    std::filesystem::path subfolder(int top, int sub) const;
    void setUnreadable(bool unreadable);

    std::filesystem::path m_root;
    int m_entries = 0;
    int m_mp3s = 0;
    int m_unreadable = 0;
};
