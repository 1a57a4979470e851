// The one way the program writes a file: a sibling temporary file renamed over the target.
#pragma once

#include <string>

// What a symbolic link found at the path of a write means.
enum class LinkAtPath {
  Follow,   // the file at the end of the link is replaced; the link stays (dotfiles, fennick.ini)
  Replace,  // the link itself is replaced by the new file (files the program keeps for itself)
};

// Writes text to path so that readers see either the old or the new file, never a part of it.
// Creates the missing containing directories of path. A symbolic link at path is followed (see
// LinkAtPath) and the file it ends at is replaced; a link into a folder that does not exist is a
// failure, no folder is made for it. The new file keeps the permission bits, owner and group of
// the file it replaces (the owner only when the writer may give files away, as root may).
// mode, when given (0 to 07777), sets the permission bits of the new file instead.
// A regular file with more than one hard link is written in place instead, so that all its
// names keep sharing it (Follow only). Temporary files of earlier writes of the same file whose
// processes are gone are removed. Every failure reads "cannot write " + path + ": " + the
// system's reason, path being the one given.
void write_file_atomic(const std::string& path, const std::string& text, int mode = -1,
                       LinkAtPath links = LinkAtPath::Follow);

// Creates a directory and every missing parent; existing ones are fine, failures are left for
// the caller's next step to report.
void make_directories(const std::string& dir);
