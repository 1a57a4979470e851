// Helpers of the font tests: a home whose font configuration, terminal settings and downloads
// are all private to the test, the real font files, and the local font server.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

#include "test_support.h"

extern char** environ;

// The four files in the order they are downloaded, named as they are saved.
inline const std::vector<std::string>& font_names() {
  static const std::vector<std::string> names = {
      "MesloLGS NF Regular.ttf",
      "MesloLGS NF Bold.ttf",
      "MesloLGS NF Italic.ttf",
      "MesloLGS NF Bold Italic.ttf",
  };
  return names;
}

// The real font files, as the default font source serves them, in the test data.
inline std::string real_font_folder() {
  return std::string(kSourceDir) + "/tests/data/fonts/MesloLGS-NF";
}

inline std::string escaped_blanks(const std::string& name) {
  std::string out;
  for (char c : name)
    out += c == ' ' ? std::string("%20") : std::string(1, c);
  return out;
}

// Variables that would lead a download, the font lookup or the terminal settings anywhere but
// into the test's own folder: none of them is set during a test.
inline const std::vector<std::string>& leaking_variables() {
  static const std::vector<std::string> names = {
      "FENNICK_FONT_URL",
      "http_proxy",
      "HTTP_PROXY",
      "https_proxy",
      "HTTPS_PROXY",
      "all_proxy",
      "ALL_PROXY",
      "no_proxy",
      "NO_PROXY",
      "CURL_HOME",
      "CURL_CA_BUNDLE",
      "FONTCONFIG_PATH",
      "FONTCONFIG_SYSROOT",
      "GSETTINGS_SCHEMA_DIR",
      "DBUS_SESSION_BUS_ADDRESS",
  };
  return names;
}

// A home where fontconfig sees only the test's fonts (no font at all at first), gsettings keeps
// everything in a key file under the test's XDG_CONFIG_HOME, and nothing points a download
// elsewhere. The variables it changes get their values back when the test ends.
class FontHomeTest : public TempHomeTest {
 protected:
  void SetUp() override {
    TempHomeTest::SetUp();
    std::vector<std::string> touched = leaking_variables();
    touched.insert(touched.end(), {"PATH", "FONTCONFIG_FILE", "GSETTINGS_BACKEND", "XDG_DATA_DIRS",
                                   "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"});
    for (const std::string& name : touched) {
      const char* value = getenv(name.c_str());
      saved_.push_back({name, value != nullptr, value ? value : ""});
    }
    for (const std::string& name : leaking_variables())
      unsetenv(name.c_str());
    setenv("XDG_CACHE_HOME", (home() + "/.cache").c_str(), 1);
    make_dir(home() + "/run");
    chmod((home() + "/run").c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", (home() + "/run").c_str(), 1);
    make_dir(data_fonts());
    write_file(home() + "/fonts.conf",
               "<?xml version=\"1.0\"?>\n"
               "<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
               "<fontconfig>\n"
               "  <dir>" +
                   data_fonts() +
                   "</dir>\n"
                   "  <cachedir>" +
                   home() +
                   "/.cache/fontconfig</cachedir>\n"
                   "</fontconfig>\n");
    setenv("FONTCONFIG_FILE", (home() + "/fonts.conf").c_str(), 1);
    setenv("GSETTINGS_BACKEND", "keyfile", 1);
    setenv("XDG_DATA_DIRS", "/usr/local/share:/usr/share", 1);
  }

  void TearDown() override {
    for (const SavedVariable& variable : saved_) {
      if (variable.set) {
        setenv(variable.name.c_str(), variable.value.c_str(), 1);
      } else {
        unsetenv(variable.name.c_str());
      }
    }
  }

  // The font folder fontconfig reads; the program's own folder lies inside it.
  std::string data_fonts() const { return home() + "/.local/share/fonts"; }
  std::string target() const { return data_fonts() + "/fennick"; }

  // Puts a real MesloLGS NF file where fontconfig finds it, outside the program's folder.
  void install_font_by_hand() {
    write_file(data_fonts() + "/by-hand/MesloLGS NF Regular.ttf",
               read_file(real_font_folder() + "/MesloLGS NF Regular.ttf"));
  }

  // Lets the program find only the named tools (fennick itself is run by its full path).
  void limit_path_to(const std::vector<std::string>& tools) {
    const std::string bin = home() + "/bin";
    make_dir(bin);
    for (const std::string& tool : tools) {
      for (const char* dir : {"/usr/bin", "/bin", "/usr/local/bin"}) {
        const std::string found = std::string(dir) + "/" + tool;
        if (access(found.c_str(), X_OK) == 0) {
          if (symlink(found.c_str(), (bin + "/" + tool).c_str()) != 0) ADD_FAILURE() << tool;
          break;
        }
      }
    }
    setenv("PATH", bin.c_str(), 1);
  }

 private:
  struct SavedVariable {
    std::string name;
    bool set;
    std::string value;
  };
  std::vector<SavedVariable> saved_;
};

// tests/fonts/font_server.py, started with the given switches and stopped when the value goes.
class FontServer {
 public:
  explicit FontServer(const std::string& log, std::vector<std::string> switches) : log_(log) {
    // Debian's own interpreter when it is there: it starts faster than a wrapper on PATH.
    const std::string python =
        access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
    std::vector<std::string> words = {
        python, std::string(kSourceDir) + "/tests/fonts/font_server.py", "--log", log, "--lifetime",
        "120"};
    bool has_root = false;
    for (const std::string& word : switches)
      has_root = has_root || word == "--root";
    if (!has_root) words.insert(words.end(), {"--root", real_font_folder()});
    words.insert(words.end(), switches.begin(), switches.end());
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    Background to_pipe;
    to_pipe.output_fd = out[1];
    pid_ = start_in_background(words, to_pipe);
    close(out[1]);
    // The port comes on the first line once the server listens.
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (pid_ > 0 && line.find('\n') == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
      pollfd ready = {out[0], POLLIN, 0};
      if (poll(&ready, 1, 200) <= 0) continue;
      char buffer[64];
      ssize_t got = read(out[0], buffer, sizeof buffer);
      if (got <= 0) break;
      line.append(buffer, static_cast<size_t>(got));
    }
    close(out[0]);
    if (line.find('\n') != std::string::npos) port_ = std::stoi(line);
  }

  ~FontServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int status;
      while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
    }
  }

  FontServer(const FontServer&) = delete;
  FontServer& operator=(const FontServer&) = delete;

  bool running() const { return port_ > 0; }
  std::string origin() const { return "http://127.0.0.1:" + std::to_string(port_); }
  // Every request so far, as "METHOD PATH".
  std::vector<std::string> requests() const { return split_lines(read_file(log_)); }

 private:
  std::string log_;
  pid_t pid_ = -1;
  int port_ = 0;
};
