// The one way the program writes a file: a sibling temporary file renamed over the target.
#pragma once

#include <string>

// What a symbolic link found at the path of a write means.
enum class LinkAtPath {
  Follow,   // the file at the end of the link is replaced; the link stays (dotfiles, fennick.ini)
  Replace,  // the link itself is replaced by the new file (files the program keeps for itself)
};

// Writes text to path so that readers see either the old or the new file, never a part of it.
// Creates the containing directories. A symbolic link at path is followed and the file it points
// at is replaced; the new file keeps the permission bits of the file it replaces. Fails with
// "Unable to create file ..." when the temporary file cannot be created and with
// "cannot write " + path when it cannot be written or renamed into place.
// mode, when given (0 to 07777), sets the permission bits of the new file instead.
// links: see LinkAtPath.
void write_file_atomic(const std::string& path, const std::string& text, int mode = -1,
                       LinkAtPath links = LinkAtPath::Follow);

// Creates a directory and every missing parent; existing ones are fine, failures are left for
// the caller's next step to report.
void make_directories(const std::string& dir);
