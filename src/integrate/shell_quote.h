// Putting paths into shell command lines so that the shell reads them back unchanged.
#pragma once

#include <string>

// The text as one shell word: unchanged when it holds only characters that the shell takes
// literally (letters, digits and / . _ - + , : @ % =), otherwise single-quoted.
std::string shell_word(const std::string& text);

// The text ready to stand between double quotes: \ " $ and ` get a backslash in front.
std::string double_quote_escaped(const std::string& text);

// The text as the value of a key in a desktop-format file (desktop entries, D-Bus service files,
// Nemo action files), whose readers take a backslash as the start of an escape: each backslash
// doubled.
std::string key_file_escaped(const std::string& text);
