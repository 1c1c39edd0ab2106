#include "app/RecentFiles.h"

#include "platform/Paths.h"

namespace curvana {

void RecentFiles::Enter(const std::string& path) {
    for (int k = kCount; k >= 2; --k) {
        if (Entry(k) == path) {
            SetEntry(k, Entry(1));
            SetEntry(1, path);
            return;
        }
    }
    if (Entry(1) == path) return;
    for (int k = kCount; k >= 2; --k)
        SetEntry(k, Entry(k - 1));
    SetEntry(1, path);
}

void RecentFiles::Remove(int k) {
    if (k < 1 || k > kCount) return;
    for (int i = k; i < kCount; ++i)
        SetEntry(i, Entry(i + 1));
    SetEntry(kCount, "");
}

std::string RecentFiles::Caption(int k) const {
    std::string caption = "&" + std::to_string(k) + ". ";
    for (char c : ExtractFileName(Entry(k))) {
        if (c == '&') caption += '&';  // shown as itself, not as a mnemonic
        caption += c;
    }
    return caption;
}

bool RecentFiles::ItemVisible(int k) const {
    for (int i = 1; i <= k; ++i)
        if (Entry(i).empty()) return false;
    return true;
}

}  // namespace curvana
