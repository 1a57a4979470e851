#include "fonts/powerline_font.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "fonts/sha256.h"
#include "integrate/outside_programs.h"
#include "settings/ascii_text.h"
#include "settings/atomic_file.h"
#include "settings/console.h"
#include "settings/failure.h"
#include "settings/file_reader.h"
#include "settings/locations.h"

namespace {

const char kDefaultFontSource[] = "https://github.com/romkatv/powerlevel10k-media/raw/master";

struct FontFile {
  const char* name;
  const char* sha256;  // of the file as the default source serves it
};

const FontFile kFontFiles[] = {
    {"MesloLGS NF Regular.ttf", "d97946186e97f8d7c0139e8983abf40a1d2d086924f2c5dbf1c29bd8f2c6e57d"},
    {"MesloLGS NF Bold.ttf", "b6c0199cf7c7483c8343ea020658925e6de0aeb318b89908152fcb4d19226003"},
    {"MesloLGS NF Italic.ttf", "6f357bcbe2597704e157a915625928bca38364a89c22a4ac36e7a116dcd392ef"},
    {"MesloLGS NF Bold Italic.ttf",
     "56b4131adecec052c4b324efb818dd326d586dbc316fc68f98f1cae2eb8d1220"},
};

std::string with_escaped_blanks(const std::string& name) {
  std::string out;
  for (char c : name)
    out += c == ' ' ? std::string("%20") : std::string(1, c);
  return out;
}

// Asks on the terminal; only "y" or "yes", in any letter case, as the whole answer says yes.
bool user_agrees(const char* question) {
  print_out(question);
  std::fflush(stdout);
  char answer[256];
  if (!std::fgets(answer, sizeof answer, stdin)) return false;
  std::string line = answer;
  if (!line.empty() && line.back() == '\n') line.pop_back();
  const std::string word = ascii_lowered(line);
  return word == "y" || word == "yes";
}

enum class Download {
  Saved,
  NotFetched,  // the source did not serve the file, or served another one
  NotSaved,
};

// Finishes the file's line; a file that was not fetched leaves no partial file behind.
Download download(const FontFile& file, const std::string& base, bool check_digest) {
  const std::string address = base + "/" + with_escaped_blanks(file.name);
  const std::string destination = font_dir() + "/" + file.name;
  const std::string partial = destination + ".part";
  print_out(std::string("  ") + file.name + " ... ");
  std::fflush(stdout);
  // curl writes through whatever it finds at that name: the partial file is made fresh first,
  // so that a link planted there is removed and never followed.
  unlink(partial.c_str());
  const int fresh =
      open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fresh < 0) {
    print_out("FAILED (cannot save)\n");
    return Download::NotSaved;
  }
  close(fresh);
  const RunOutcome fetched = run_command(
      "curl", {"-fL", "--silent", "--show-error", "--max-time", "120", "-o", partial, address});
  if (!fetched.ok) {
    print_out("FAILED " + failure_reason(fetched) + "\n");
    unlink(partial.c_str());
    return Download::NotFetched;
  }
  if (check_digest) {
    std::string bytes;
    if (!read_whole_file(partial, bytes) || sha256_hex(bytes) != file.sha256) {
      print_out("FAILED checksum mismatch\n");
      unlink(partial.c_str());
      return Download::NotFetched;
    }
  }
  if (rename(partial.c_str(), destination.c_str()) != 0) {
    print_out("FAILED (cannot save)\n");
    return Download::NotSaved;
  }
  print_out("ok\n");
  return Download::Saved;
}

// How to get the files when the default source cannot serve them: the one line of the error.
std::string by_hand_hint() {
  std::string names;
  for (const FontFile& file : kFontFiles)
    names += (names.empty() ? "" : ", ") + std::string(file.name);
  return "could not download the font from the default source; set FENNICK_FONT_URL to a folder "
         "address that serves the four files, or download them yourself (" +
         names + ") into " + font_dir() + " and run: fc-cache -f";
}

}  // namespace

std::string font_source_base() {
  std::string base = env_text("FENNICK_FONT_URL");
  return base.empty() ? kDefaultFontSource : base;
}

std::string pick_powerline_family(const std::string& font_list) {
  std::string result;
  std::string candidate;
  size_t start = 0;
  while (start < font_list.size()) {
    size_t end = font_list.find('\n', start);
    if (end == std::string::npos) end = font_list.size();
    const std::string line = trimmed(font_list.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    const std::string family = trimmed(line.substr(0, line.find(',')));
    const std::string lower = ascii_lowered(family);
    if (lower == "meslolgs nf" || lower == "meslolgs nerd font mono") return family;
    const bool looks_right =
        family.find("Mono") != std::string::npos || family.find(" NF") != std::string::npos;
    if (candidate.empty() && looks_right) candidate = family;
    if (result.empty()) result = family;
  }
  return candidate.empty() ? result : candidate;
}

std::string powerline_font_list() {
  const RunOutcome listed = run_command("fc-list", {":charset=e0b0", "family"});
  return listed.ok ? listed.output : "";
}

std::string find_powerline_font() {
  return pick_powerline_family(powerline_font_list());
}

bool lists_font(const std::string& font_list, const std::string& font) {
  const std::string wanted = ascii_lowered(trimmed(font)) + " ";
  size_t start = 0;
  while (start < font_list.size()) {
    size_t end = font_list.find_first_of(",\n", start);
    if (end == std::string::npos) end = font_list.size();
    const std::string family = ascii_lowered(trimmed(font_list.substr(start, end - start)));
    if (!family.empty() && wanted.rfind(family + " ", 0) == 0) return true;
    start = end + 1;
  }
  return false;
}

bool install_font(bool assume_yes) {
  const std::string present = find_powerline_font();
  if (!present.empty()) {
    print_out("A font with the powerline glyphs is already installed: " + present +
              ". Nothing to do.\n");
    return true;
  }
  const std::string base = font_source_base();
  print_out("This will download 4 font files (MesloLGS NF, about 10 MB in total) from\n");
  print_out("  " + base + "\n");
  // fc-cache run by root writes the system's own cache folder, not the user's.
  print_out("into " + printable(font_dir()) + " and refresh the font cache. " +
            (geteuid() == 0 ? "Run as root, fontconfig also writes that folder's cache into its "
                              "system-wide cache folder (such as /var/cache/fontconfig).\n"
                            : "Nothing outside that folder changes.\n"));
  if (!assume_yes && !user_agrees("Download and install? [y/N] ")) {
    print_out("cancelled\n");
    return false;
  }
  make_directories(font_dir());
  // Files from the default source are checked against the digests of the known release; a
  // source the user chose is taken as it comes.
  const bool default_source = env_text("FENNICK_FONT_URL").empty();
  for (const FontFile& file : kFontFiles) {
    const Download got = download(file, base, default_source);
    if (got == Download::NotFetched && default_source) fail(by_hand_hint());
    if (got != Download::Saved) return false;
  }
  run_command("fc-cache", {"-f", font_dir()});
  const std::string installed = find_powerline_font();
  if (installed.empty()) {
    print_out(
        "files saved, but the font cache does not list the family yet; log out and in, or "
        "run: fc-cache -f\n");
    return false;
  }
  print_out("installed: font family \"" + installed + "\" is now available\n");
  return true;
}
