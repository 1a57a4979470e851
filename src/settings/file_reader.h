// Reading a whole file at once.
#pragma once

#include <string>

// Reads the file at path (a symbolic link is followed) into text; false when there is no file
// there. A file that exists but cannot be read fails with "Unable to open file ...".
bool read_whole_file(const std::string& path, std::string& text);
