// The two parts of a path name: the folder it is in and its last part.
#pragma once

#include <string>

// The folder part of path: "" for a bare name, "/" for a name in the root folder.
inline std::string directory_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The last part of path: the name itself when it has no folder part.
inline std::string name_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
