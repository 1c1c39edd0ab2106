#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace curvana {

// Writes the file at `path` all at once or not at all. `write` fills a stream that goes to a fresh
// temporary file in the same folder; only when everything was written does that file take the name
// `path`, replacing an existing file of that name in one step. Whatever fails on the way (the
// callback throws, a write or the rename fails) removes the temporary file and leaves an existing
// file as it was.
//
// When a file with something in it is replaced, the new content is on the disk before it takes the
// name, and the name is on the disk before this returns: a power cut at any moment leaves either the
// old file or the new one, never an empty or partial file. A new file (or one that was empty) is left
// to the system's own write-back, as a copy would be: there is nothing earlier to lose, and waiting
// for the disk would make saving it several times slower.
//
// A symbolic link at `path` stays; the file it points to is the one replaced.
//
// A new file gets the permissions of a normal new file (0666 less the umask); a replaced file keeps
// its permission bits.
//
// Failures of the file system throw std::system_error whose what() names the path and carries the
// system's text ("No space left on device"); an exception from `write` passes through unchanged.
void WriteFileAtomically(const std::string& path, const std::function<void(std::ostream&)>& write);

}  // namespace curvana
