#pragma once

#include <array>
#include <string>

namespace curvana {

// The four most recently closed files, listed at the end of the File menu. Entries are full paths
// filled from the top; an empty entry hides itself and every entry after it.
class RecentFiles {
  public:
    static constexpr int kCount = 4;

    // Entry k, 1 to 4.
    const std::string& Entry(int k) const { return MFiles[std::size_t(k - 1)]; }
    void SetEntry(int k, std::string path) { MFiles[std::size_t(k - 1)] = std::move(path); }

    // A document with this full path was closed. A path already listed swaps places with entry 1
    // (the others stay put); a new path goes to the top and pushes the others down, entry 4
    // dropping out. Paths are compared exactly, letter case included.
    void Enter(const std::string& path);
    // Removes entry k: the later entries move up and entry 4 becomes empty.
    void Remove(int k);

    // What the menu shows: the caption of item k ("&k. " and the entry's file name, any "&" in it
    // doubled so that it shows as itself) and whether it is visible; the separator below the items shows with
    // the first one.
    std::string Caption(int k) const;
    bool ItemVisible(int k) const;
    bool SeparatorVisible() const { return ItemVisible(1); }

  private:
    std::array<std::string, kCount> MFiles;
};

}  // namespace curvana
