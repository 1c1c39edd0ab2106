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
// The temporary file of "NAME" is ".NAME.curvana-XXXXXX.tmp" beside it (XXXXXX six letters or
// digits; a name longer than 200 bytes is cut and followed by "~" and a hash of the whole name). The
// writer holds an exclusive flock on it while writing, so a file of that pattern that nobody holds
// was left by a save that was killed: each successful save of NAME removes those, and never a file
// that another save is still writing or whose name differs in any way from the pattern.
//
// When a file with something in it is replaced, the new content is on the disk before it takes the
// name, and the name is on the disk before this returns: a power cut at any moment leaves either the
// old file or the new one, never an empty or partial file. A new file (or one that was empty) is left
// to the system's own write-back, as a copy would be: there is nothing earlier to lose, and waiting
// for the disk would make saving it several times slower.
//
// What stands at `path` decides how it is written:
// - A symbolic link stays; the file it points to is the one written, and is created when it does
//   not exist yet.
// - A file without write permission for the saver is refused with EACCES and stays as it was; the
//   superuser too is refused a file that has no write permission bit at all.
// - Something that is not a regular file (a character device, a pipe, a socket, a descriptor of
//   /proc/self/fd such as /dev/stdout) is opened and written as a stream, without a temporary file.
// - A file with more than one hard link, or one whose folder the saver may not change (so that no
//   temporary file can be made beside it, or it could not be replaced), is written in place, so
//   that every name keeps the file; the new content is made in memory first, and if writing it
//   fails part-way the old content is written back.
//
// A new file gets the permissions of a normal new file (0666 less the umask); a replaced file keeps
// its permission bits and, where the saver may set them, its owner and group (when the group cannot
// be kept, the group's permission bits become those of others, so that nobody gains access).
//
// Failures of the file system throw std::system_error whose what() names the path and carries the
// system's text ("No space left on device"), also when `write` gave up because its stream failed;
// any other exception from `write` passes through unchanged.
void WriteFileAtomically(const std::string& path, const std::function<void(std::ostream&)>& write);

}  // namespace curvana
