// The one way the program writes a file: a sibling temporary file renamed over the target.
#pragma once

#include <string>
#include <vector>

// What a symbolic link found at the path of a write means.
enum class LinkAtPath {
  Follow,   // the file at the end of the link is replaced; the link stays (dotfiles, fennick.ini)
  Replace,  // the link itself is replaced by the new file (files the program keeps for itself)
};

// Writes text to path so that readers see either the old or the new file, never a part of it.
// Creates the missing containing directories of path. A symbolic link at path is followed (see
// LinkAtPath) and the file it ends at is replaced; a link into a folder that does not exist is a
// failure, no folder is made for it. The new file keeps the permission bits, owner and group of
// the file it replaces (the owner only when the writer may give files away, as root may); a new
// file or folder made by root takes the owner and group of the folder it is made in.
// mode, when given (0 to 07777), sets the permission bits of the new file instead.
// A regular file with more than one hard link is written in place instead, so that all its
// names keep sharing it (Follow only): the new text is first written whole to a copy beside it
// (a full disk fails there, the file untouched), and that copy stays until the file holds the
// text, so that a run killed meanwhile is finished by the next one that reads the file.
// Anything at path that is neither a regular file nor missing (a folder, a FIFO, a device) is
// never replaced: the write fails. After a write, the temporaries that killed runs left in that
// folder (of this file and of the other files the program writes) are removed.
// Every failure reads "cannot write " + path + ": " + the reason, path being the one given.
void write_file_atomic(const std::string& path, const std::string& text, int mode = -1,
                       LinkAtPath links = LinkAtPath::Follow);

// Writes a file the user named (an export target): as write_file_atomic, except that no folder
// is made for it ("cannot write PATH: No such file or directory"), and that a FIFO or a character
// device at path (a terminal, /dev/stdout, /dev/null) is written into as a stream, never
// replaced. Other things that are not regular files fail.
void write_chosen_file(const std::string& path, const std::string& text);

// Creates a directory and every missing parent; existing ones are fine, failures are left for
// the caller's next step to report. Made by root, each new folder takes the owner and group of
// the folder it is made in.
void make_directories(const std::string& dir);

// For a regular file at path (links followed) with more than one hard link: when an in-place
// write of it is under way or was cut short, gives the text that write was putting there, and
// finishes a write whose process has ended. False when there is none.
bool read_unfinished_copy(const std::string& path, std::string& text);

// The temporary files in folder dir that killed runs left while writing a file the program
// writes there; the next write in that folder removes them.
std::vector<std::string> stale_temporaries(const std::string& dir);
