// Text files as the shell and desktop integration reads them, and byte-for-byte copies.
#pragma once

#include <string>

// The file's lines, each ended by one line feed (CR LF and CR line ends become LF, a missing
// final line feed is added); empty text when there is no file. Only a regular file of at most
// 16 MiB is read; anything else fails as read_whole_file says, as does a file that exists but
// cannot be read.
std::string read_text_file(const std::string& path);

// Copies the bytes of source to destination through the atomic writer; the copy gets the
// permission bits of the source, so a private file's copy stays private.
void copy_file(const std::string& source, const std::string& destination);

// True when a file (or anything else) exists at path, symbolic links followed.
bool path_exists(const std::string& path);
