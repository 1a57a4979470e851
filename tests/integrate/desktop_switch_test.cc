// Making the tuned Nemo the user's file manager: the user desktop entry, the two D-Bus service
// files, the ownership markers with their one-time backups, enable and disable.
#include "integrate/desktop_switch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli_helpers.h"
#include "integrate/context_action.h"
#include "integrate/text_file.h"
#include "test_support.h"

namespace {

const char kEllipsis[] = "\xE2\x80\xA6";

// A string value of a desktop-format file (desktop entries and D-Bus service files alike) as a
// reader sees it: \s \n \t \r and \\ are its escapes, a backslash before anything else makes
// the value unreadable (false).
bool unescape_value(const std::string& value, std::string& text) {
  text.clear();
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\') {
      text += value[i];
      continue;
    }
    if (++i == value.size()) return false;
    switch (value[i]) {
      case 's':
        text += ' ';
        break;
      case 'n':
        text += '\n';
        break;
      case 't':
        text += '\t';
        break;
      case 'r':
        text += '\r';
        break;
      case '\\':
        text += '\\';
        break;
      default:
        return false;
    }
  }
  return true;
}

// The arguments of a desktop entry's Exec value (already unescaped) by the entry rules: blanks
// separate arguments; inside double quotes a backslash makes the next of " ` $ \ literal; "%%" is
// a literal "%", other field codes are kept as written. False when a quote is left open.
bool exec_arguments(const std::string& exec, std::vector<std::string>& args) {
  args.clear();
  std::string arg;
  bool in_arg = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (c == ' ') {
      if (in_arg) args.push_back(arg);
      arg.clear();
      in_arg = false;
    } else if (c == '"') {
      in_arg = true;
      for (++i;; ++i) {
        if (i == exec.size()) return false;
        if (exec[i] == '"') break;
        if (exec[i] == '\\' && i + 1 < exec.size() &&
            std::string("\"`$\\").find(exec[i + 1]) != std::string::npos) {
          ++i;
        } else if (exec[i] == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
          ++i;
        }
        arg += exec[i];
      }
    } else if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
      in_arg = true;
      arg += '%';
      ++i;
    } else {
      in_arg = true;
      arg += c;
    }
  }
  if (in_arg) args.push_back(arg);
  return true;
}

// The values of the lines of the text that begin with "key=", in order.
std::vector<std::string> values_of(const std::string& text, const std::string& key) {
  std::vector<std::string> values;
  for (const std::string& line : split_lines(text)) {
    if (line.compare(0, key.size() + 1, key + "=") == 0)
      values.push_back(line.substr(key.size() + 1));
  }
  return values;
}

// The value of the first line of the text that begins with "key=".
std::string value_of(const std::string& text, const std::string& key) {
  const std::vector<std::string> values = values_of(text, key);
  if (values.empty()) ADD_FAILURE() << "no " << key << "= line in " << text;
  return values.empty() ? "" : values[0];
}

// Prefixes with characters that are special somewhere on the way to the tuned Nemo.
std::vector<std::string> odd_prefixes(const std::string& base) {
  return {
      base + "/my fennick",         base + "/fennick $HOME",
      base + "/fennick \"quoted\"", base + "/fennick `x`",
      base + "/fennick\\back",      base + "/it's fennick",
      base + "/100% fennick",       base + "/fennick ~ * ? ; & | < > ( ) #",
      base + "/f\xC3\xA9nnick",
  };
}

class DesktopSwitchTest : public TempHomeTest {
 protected:
  std::string prefix() const { return home() + "/prefix"; }
  std::string tuned() const { return prefix() + "/bin/nemo"; }
  std::string user_entry() const { return home() + "/.local/share/applications/nemo.desktop"; }
  std::string services() const { return home() + "/.local/share/dbus-1/services"; }
  std::string nemo_service() const { return services() + "/org.Nemo.service"; }
  std::string fm_service() const { return services() + "/org.freedesktop.FileManager1.service"; }
  std::string action() const { return home() + "/.local/share/nemo/actions/fennick.nemo_action"; }

  void install_tuned_nemo() const {
    make_dir(prefix() + "/bin");
    std::filesystem::copy_file(kNemoStandIn, tuned());
  }

  // A small system entry of the usual shape, written to a file of its own.
  std::string system_entry_file(const std::string& text) const {
    const std::string path = home() + "/system/nemo.desktop";
    write_file(path, text);
    return path;
  }

  static std::string service_text(const std::string& name, const std::string& exec) {
    return "# managed by fennick (fennick disable removes this file)\n[D-BUS Service]\nName=" +
           name + "\nExec=" + exec + " --gapplication-service\n";
  }

  std::string enabled_output() const {
    return "added the \"Fennick" + std::string(kEllipsis) + "\" right-click entry (" + action() +
           ")\nenabled: the tuned Nemo (" + tuned() +
           ") now opens folders.\nA running Nemo keeps the old one until you run:  nemo -q   "
           "(then open a folder).\n";
  }

  // desktop-file-validate's verdict on the text as a desktop entry: its output, "" when clean.
  std::string validation_of(const std::string& text) const {
    const std::string path = home() + "/validate/entry.desktop";
    write_file(path, text);
    const RunResult run = run_program({"desktop-file-validate", path});
    std::filesystem::remove_all(home() + "/validate");
    return run.out + run.err + (run.status == 0 ? "" : "exit " + std::to_string(run.status));
  }
};

TEST_F(DesktopSwitchTest, LocationsComeFromThePrefixAndTheDataFolder) {
  EXPECT_EQ(tuned_nemo_path(), tuned());
  EXPECT_EQ(applications_dir(), home() + "/.local/share/applications");
  EXPECT_EQ(dbus_services_dir(), services());
  EXPECT_EQ(user_desktop_entry_path(), user_entry());
  EXPECT_EQ(nemo_service_path(), nemo_service());
  EXPECT_EQ(file_manager_service_path(), fm_service());
  // The desktop looks for the user's entries and services below XDG_DATA_HOME.
  setenv("XDG_DATA_HOME", "/somewhere/else", 1);
  EXPECT_EQ(tuned_nemo_path(), tuned());
  EXPECT_EQ(user_desktop_entry_path(), "/somewhere/else/applications/nemo.desktop");
  EXPECT_EQ(nemo_service_path(), "/somewhere/else/dbus-1/services/org.Nemo.service");
  EXPECT_EQ(file_manager_service_path(),
            "/somewhere/else/dbus-1/services/org.freedesktop.FileManager1.service");
  EXPECT_STREQ(kSystemDesktopEntry, "/usr/share/applications/nemo.desktop");
  setenv("FENNICK_PREFIX", "", 1);
  EXPECT_EQ(tuned_nemo_path(), home() + "/.local/opt/fennick/bin/nemo");
}

TEST_F(DesktopSwitchTest, EveryExecLineInEveryGroupIsRepointed) {
  const std::string system =
      "[Desktop Entry]\n"
      "Name=Files\n"
      "TryExec=nemo\n"
      "Exec=nemo %U\n"
      "Actions=open-home;open-computer;\n"
      "\n"
      "[Desktop Action open-home]\n"
      "Name=Home\n"
      "Exec=nemo --open-home\n"
      "\n"
      "[Desktop Action open-computer]\n"
      "Exec=/usr/bin/nemo  computer:///  --two  blanks\n"
      "Exec=nemo\n"
      "Exec=\n"
      "exec=nemo\n"
      " Exec=nemo\n"
      "Exec =nemo\n"
      "Exec[de]=nemo\n"
      "X-Exec=nemo\n"
      "#Exec=nemo\n";
  const std::string b = tuned();
  EXPECT_EQ(tuned_desktop_text(system),
            "[Desktop Entry]\n"
            "Name=Files\n"
            "TryExec=nemo\n"
            "Exec=" +
                b +
                " %U\n"
                "Actions=open-home;open-computer;\n"
                "\n"
                "[Desktop Action open-home]\n"
                "Name=Home\n"
                "Exec=" +
                b +
                " --open-home\n"
                "\n"
                "[Desktop Action open-computer]\n"
                "Exec=" +
                b +
                "  computer:///  --two  blanks\n"
                "Exec=" +
                b +
                "\n"
                "Exec=" +
                b +
                "\n"
                "exec=nemo\n"
                " Exec=nemo\n"
                "Exec =nemo\n"
                "Exec[de]=nemo\n"
                "X-Exec=nemo\n"
                "#Exec=nemo\n"
                "X-Fennick=true\n");
  // The marker goes after the last line even when that line has no LF, and alone into an empty
  // text.
  EXPECT_EQ(tuned_desktop_text("[Desktop Entry]\nExec=nemo %U"),
            "[Desktop Entry]\nExec=" + b + " %U\nX-Fennick=true\n");
  EXPECT_EQ(tuned_desktop_text(""), "X-Fennick=true\n");
}

TEST_F(DesktopSwitchTest, TunedEntryOfTheRealSystemEntryIsValid) {
  const std::string system = read_text_file(kSystemDesktopEntry);
  ASSERT_NE(system, "") << "the nemo package is not installed";
  const std::string tuned_text = tuned_desktop_text(system);
  const std::vector<std::string> before = split_lines(system);
  const std::vector<std::string> after = split_lines(tuned_text);
  ASSERT_EQ(after.size(), before.size() + 1);
  EXPECT_EQ(after.back(), "X-Fennick=true");
  int exec_lines = 0;
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i].rfind("Exec=", 0) == 0) {
      ++exec_lines;
      const size_t blank = before[i].find(' ');
      EXPECT_EQ(after[i],
                "Exec=" + tuned() + (blank == std::string::npos ? "" : before[i].substr(blank)));
    } else {
      EXPECT_EQ(after[i], before[i]);
    }
  }
  EXPECT_GE(exec_lines, 2) << "the main group and its desktop actions";
  EXPECT_EQ(validation_of(tuned_text), "");
}

TEST_F(DesktopSwitchTest, OddPrefixGivesAQuotedExecThatReadsBack) {
  const std::string base = home() + "/opt";
  // Hand-made expectations: quoted by the Exec rules, then escaped as a string value.
  const struct {
    std::string folder;
    std::string exec;
  } exact[] = {
      {"/my fennick", "\"" + base + "/my fennick/bin/nemo\" %U"},
      {"/fennick $HOME", "\"" + base + "/fennick \\\\$HOME/bin/nemo\" %U"},
      {"/fennick \"q\"", "\"" + base + "/fennick \\\\\"q\\\\\"/bin/nemo\" %U"},
      {"/fennick `x`", "\"" + base + "/fennick \\\\`x\\\\`/bin/nemo\" %U"},
      {"/fennick\\back", "\"" + base + "/fennick\\\\\\\\back/bin/nemo\" %U"},
      {"/it's fennick", "\"" + base + "/it's fennick/bin/nemo\" %U"},
      {"/100% fennick", "\"" + base + "/100%% fennick/bin/nemo\" %U"},
      {"/fennick100%", "\"" + base + "/fennick100%%/bin/nemo\" %U"},
  };
  for (const auto& c : exact) {
    setenv("FENNICK_PREFIX", (base + c.folder).c_str(), 1);
    EXPECT_EQ(value_of(tuned_desktop_text("[Desktop Entry]\nExec=nemo %U\n"), "Exec"), c.exec);
  }
  // A plain prefix is not quoted.
  setenv("FENNICK_PREFIX", (base + "/a=b,c:d@e+f_fennick").c_str(), 1);
  EXPECT_EQ(value_of(tuned_desktop_text("Exec=nemo %U\n"), "Exec"),
            base + "/a=b,c:d@e+f_fennick/bin/nemo %U");

  std::vector<std::string> prefixes = odd_prefixes(base);
  prefixes.push_back(base + "/fennick100%");
  for (const std::string& prefix : prefixes) {
    SCOPED_TRACE(prefix);
    setenv("FENNICK_PREFIX", prefix.c_str(), 1);
    const std::string entry = tuned_desktop_text(
        "[Desktop Entry]\nType=Application\nName=Files\nExec=nemo %U\nActions=home;\n\n"
        "[Desktop Action home]\nName=Home\nExec=nemo --open-home\n");
    EXPECT_EQ(validation_of(entry), "");
    const std::vector<std::string> values = values_of(entry, "Exec");
    ASSERT_EQ(values.size(), 2u);
    const char* const second_args[] = {"%U", "--open-home"};
    for (size_t i = 0; i < 2; ++i) {
      std::string exec;
      ASSERT_TRUE(unescape_value(values[i], exec)) << values[i];
      std::vector<std::string> args;
      ASSERT_TRUE(exec_arguments(exec, args)) << exec;
      EXPECT_EQ(args, (std::vector<std::string>{prefix + "/bin/nemo", second_args[i]}));
    }
  }
}

TEST_F(DesktopSwitchTest, ServiceFilesByteForByte) {
  EXPECT_EQ(dbus_service_text("org.Nemo"),
            "# managed by fennick (fennick disable removes this file)\n"
            "[D-BUS Service]\n"
            "Name=org.Nemo\n"
            "Exec=" +
                tuned() + " --gapplication-service\n");
  EXPECT_EQ(dbus_service_text("org.freedesktop.FileManager1"),
            "# managed by fennick (fennick disable removes this file)\n"
            "[D-BUS Service]\n"
            "Name=org.freedesktop.FileManager1\n"
            "Exec=" +
                tuned() + " --gapplication-service\n");
  setenv("FENNICK_PREFIX", "", 1);
  EXPECT_EQ(dbus_service_text("org.Nemo"),
            service_text("org.Nemo", home() + "/.local/opt/fennick/bin/nemo"));
}

// D-Bus reads a service file as a desktop-format file (a backslash starts an escape) and splits
// the Exec value into words like a shell.
TEST_F(DesktopSwitchTest, ServiceExecReadsBackAsTheTunedNemo) {
  for (const std::string& prefix : odd_prefixes(home() + "/opt")) {
    SCOPED_TRACE(prefix);
    setenv("FENNICK_PREFIX", prefix.c_str(), 1);
    const std::string value = value_of(dbus_service_text("org.Nemo"), "Exec");
    std::string exec;
    if (!unescape_value(value, exec)) {
      ADD_FAILURE() << "a backslash that is no valid escape: D-Bus rejects the file: " << value;
      continue;
    }
    const RunResult run = run_program({"sh", "-c", "printf '[%s]' " + exec});
    EXPECT_EQ(run.out, "[" + prefix + "/bin/nemo][--gapplication-service]") << exec;
  }
}

// A line break in a path written as a value would end the value and start a line of its own (a
// second Exec= or a new group): such a path is refused, and enable writes nothing.
TEST_F(DesktopSwitchTest, PathsWithALineBreakAreRefused) {
  for (const std::string& path : {std::string("/opt/a\nExec=/tmp/evil"), std::string("/opt/a\rb"),
                                  std::string("\n"), std::string("/opt/\r\n[Desktop Entry]")}) {
    EXPECT_EQ(captured([&] { single_line_path(path); }).error,
              "cannot use " + path + ": it contains a line break");
  }
  EXPECT_EQ(single_line_path(tuned()), tuned());
  EXPECT_EQ(single_line_path(""), "");

  install_tuned_nemo();
  const std::string system = system_entry_file("[Desktop Entry]\nExec=nemo %U\n");
  for (const std::string& odd : {prefix() + "\nExec=/tmp/evil", prefix() + "\r"}) {
    SCOPED_TRACE(testing::PrintToString(odd));
    setenv("FENNICK_PREFIX", odd.c_str(), 1);
    EXPECT_NE(captured([&] { tuned_desktop_text("[Desktop Entry]\nExec=nemo\n"); }).error, "");
    EXPECT_NE(captured([&] { dbus_service_text("org.Nemo"); }).error, "");
    const Outcome outcome = captured([&] { enable_tuned_nemo_from(system); });
    EXPECT_NE(outcome.error, "");
    EXPECT_EQ(outcome.out, "");
  }
  EXPECT_EQ(folder_entries(home()), (std::set<std::string>{"system", "prefix"}));
}

TEST_F(DesktopSwitchTest, OwnershipMarkers) {
  EXPECT_TRUE(is_ours("X-Fennick=true\n"));
  EXPECT_TRUE(is_ours("[Desktop Entry]\nName=x\nX-Fennick=true\n"));
  EXPECT_TRUE(is_ours("# managed by fennick (fennick disable removes this file)\n"));
  EXPECT_TRUE(is_ours("anything managed by fennick anywhere"));
  EXPECT_TRUE(is_ours("X-Fennick"));
  EXPECT_FALSE(is_ours(""));
  EXPECT_FALSE(is_ours("[Desktop Entry]\nExec=nemo %U\n"));
  EXPECT_FALSE(is_ours("x-fennick=true\n"));
  EXPECT_FALSE(is_ours("# Managed by Fennick\n"));
  EXPECT_FALSE(is_ours("# managed by  fennick\n"));
  EXPECT_FALSE(is_ours("X-Fennic"));
}

TEST_F(DesktopSwitchTest, ForeignFilesAreBackedUpBeforeTheyAreReplaced) {
  const std::string path = home() + "/files/entry";
  // A new file: written, no backup.
  EXPECT_EQ(captured([&] { write_owned_file(path, "X-Fennick=true\n"); }).out, "");
  EXPECT_EQ(read_file(path), "X-Fennick=true\n");
  EXPECT_FALSE(file_exists(path + ".fennick-bak"));
  // Ours: replaced without a backup.
  write_owned_file(path, "# managed by fennick\nsecond\n");
  EXPECT_EQ(read_file(path), "# managed by fennick\nsecond\n");
  EXPECT_FALSE(file_exists(path + ".fennick-bak"));

  // Not ours: the bytes and the permission bits are kept beside it first.
  const std::string foreign = "[Desktop Entry]\r\nExec=my-nemo %U\r\n";
  write_file(path, foreign);
  chmod(path.c_str(), 0600);
  write_owned_file(path, "X-Fennick=true\nthird\n");
  EXPECT_EQ(read_file(path), "X-Fennick=true\nthird\n");
  EXPECT_EQ(read_file(path + ".fennick-bak"), foreign);
  EXPECT_EQ(mode_of(path + ".fennick-bak"), 0600u);
  EXPECT_EQ(mode_of(path), 0600u);

  // Another foreign file later: kept under the next name, the first backup stays.
  write_file(path, "a later hand-made file\n");
  write_owned_file(path, "X-Fennick=true\nfourth\n");
  EXPECT_EQ(read_file(path), "X-Fennick=true\nfourth\n");
  EXPECT_EQ(read_file(path + ".fennick-bak"), foreign);
  EXPECT_EQ(read_file(path + ".fennick-bak.1"), "a later hand-made file\n");
  // A foreign file that is kept already is not kept twice.
  write_file(path, foreign);
  write_owned_file(path, "X-Fennick=true\nfifth\n");
  EXPECT_EQ(folder_entries(home() + "/files"),
            (std::set<std::string>{"entry", "entry.fennick-bak", "entry.fennick-bak.1"}));
}

TEST_F(DesktopSwitchTest, ForeignFileBehindALinkIsBackedUpAndReplacedThroughTheLink) {
  write_file(home() + "/mine/nemo.desktop", "[Desktop Entry]\nExec=mine\n");
  make_dir(home() + "/apps");
  std::filesystem::create_symlink(home() + "/mine/nemo.desktop", home() + "/apps/nemo.desktop");
  write_owned_file(home() + "/apps/nemo.desktop", "X-Fennick=true\n");
  EXPECT_TRUE(is_symlink(home() + "/apps/nemo.desktop"));
  EXPECT_EQ(read_file(home() + "/mine/nemo.desktop"), "X-Fennick=true\n");
  EXPECT_FALSE(is_symlink(home() + "/apps/nemo.desktop.fennick-bak"));
  EXPECT_EQ(read_file(home() + "/apps/nemo.desktop.fennick-bak"), "[Desktop Entry]\nExec=mine\n");
}

TEST_F(DesktopSwitchTest, RemoveIfOursDeletesOnlyMarkedFiles) {
  const std::string path = home() + "/file";
  EXPECT_EQ(captured([&] { remove_if_ours(path); }).out, "");
  EXPECT_FALSE(file_exists(path));

  for (const char* text : {"X-Fennick=true\n", "# managed by fennick\r\n", "a\nX-Fennick"}) {
    write_file(path, text);
    EXPECT_EQ(captured([&] { remove_if_ours(path); }).out, "removed " + path + "\n");
    EXPECT_FALSE(file_exists(path));
  }
  for (const char* text : {"", "[Desktop Entry]\nExec=nemo\n", "x-fennick\n"}) {
    write_file(path, text);
    EXPECT_EQ(captured([&] { remove_if_ours(path); }).out, "left alone (not ours): " + path + "\n");
    EXPECT_EQ(read_file(path), text);
  }
}

TEST_F(DesktopSwitchTest, EnableWritesTheEntryTheServicesAndTheAction) {
  install_tuned_nemo();
  const std::string system_text =
      "[Desktop Entry]\r\nName=Files\r\nExec=nemo %U\r\n\r\n[Desktop Action open-home]\r\n"
      "Exec=nemo --open-home";
  const std::string system = system_entry_file(system_text);
  const Outcome outcome = captured([&] { enable_tuned_nemo_from(system); });
  EXPECT_EQ(outcome.error, "");
  EXPECT_EQ(outcome.out, enabled_output());
  EXPECT_EQ(read_file(user_entry()), "[Desktop Entry]\nName=Files\nExec=" + tuned() +
                                         " %U\n\n[Desktop Action open-home]\nExec=" + tuned() +
                                         " --open-home\nX-Fennick=true\n");
  EXPECT_EQ(read_file(nemo_service()), service_text("org.Nemo", tuned()));
  EXPECT_EQ(read_file(fm_service()), service_text("org.freedesktop.FileManager1", tuned()));
  EXPECT_EQ(read_file(action()), action_text(own_executable_path()));
  EXPECT_EQ(read_file(system), system_text);

  // Twice: the same files and lines, and no backups of our own files.
  EXPECT_EQ(captured([&] { enable_tuned_nemo_from(system); }).out, enabled_output());
  EXPECT_EQ(folder_entries(home() + "/.local/share/applications"),
            std::set<std::string>{"nemo.desktop"});
  EXPECT_EQ(folder_entries(services()),
            (std::set<std::string>{"org.Nemo.service", "org.freedesktop.FileManager1.service"}));
  EXPECT_EQ(folder_entries(home() + "/.local/share/nemo/actions"),
            std::set<std::string>{"fennick.nemo_action"});
}

TEST_F(DesktopSwitchTest, EnableWithoutTheTunedNemoWritesNothing) {
  const std::string system = system_entry_file("[Desktop Entry]\nExec=nemo %U\n");
  const std::string message =
      "the tuned Nemo is not installed: it is a separately built Nemo that reads fennick's pane, "
      "sidebar, read-only and terminal-key settings, and its executable must be placed at " +
      tuned() +
      ". Without it, the prompt, the context-menu action and the path bar (fennick "
      "pathbar-install) work with the stock Nemo.";
  Outcome outcome = captured([&] { enable_tuned_nemo_from(system); });
  EXPECT_EQ(outcome.error, message);
  EXPECT_EQ(outcome.out, "");
  // A link to nothing is no tuned Nemo either.
  make_dir(prefix() + "/bin");
  std::filesystem::create_symlink(home() + "/gone", tuned());
  outcome = captured([&] { enable_tuned_nemo_from(system); });
  EXPECT_EQ(outcome.error, message);
  EXPECT_EQ(folder_entries(home()), (std::set<std::string>{"system", "prefix"}));
}

TEST_F(DesktopSwitchTest, EnableWithoutASystemEntryStopsAfterTheFolders) {
  install_tuned_nemo();
  const std::string missing = home() + "/system/missing.desktop";
  Outcome outcome = captured([&] { enable_tuned_nemo_from(missing); });
  EXPECT_EQ(outcome.error, missing + " not found");
  EXPECT_EQ(outcome.out, "");
  const std::string empty = system_entry_file("");
  outcome = captured([&] { enable_tuned_nemo_from(empty); });
  EXPECT_EQ(outcome.error, empty + " not found");
  // The two folders are made; nothing is written into them, and no action is installed.
  EXPECT_TRUE(folder_entries(home() + "/.local/share/applications").empty());
  EXPECT_TRUE(folder_entries(services()).empty());
  EXPECT_TRUE(std::filesystem::is_directory(services()));
  EXPECT_EQ(folder_entries(home() + "/.local/share"),
            (std::set<std::string>{"applications", "dbus-1"}));
}

TEST_F(DesktopSwitchTest, EnableKeepsHandMadeFilesAsBackups) {
  install_tuned_nemo();
  const std::string system = system_entry_file("[Desktop Entry]\nExec=nemo %U\n");
  const std::string hand_entry = "[Desktop Entry]\nName=My Nemo\nExec=/opt/nemo %U\n";
  const std::string hand_service = "[D-BUS Service]\nName=org.Nemo\nExec=/opt/nemo\n";
  const std::string hand_action = "[Nemo Action]\nName=Mine\nExec=mine\n";
  write_file(user_entry(), hand_entry);
  chmod(user_entry().c_str(), 0600);
  write_file(nemo_service(), hand_service);
  write_file(action(), hand_action);
  EXPECT_EQ(captured([&] { enable_tuned_nemo_from(system); }).out, enabled_output());
  EXPECT_EQ(read_file(user_entry() + ".fennick-bak"), hand_entry);
  EXPECT_EQ(mode_of(user_entry() + ".fennick-bak"), 0600u);
  EXPECT_EQ(read_file(nemo_service() + ".fennick-bak"), hand_service);
  EXPECT_EQ(read_file(action() + ".fennick-bak"), hand_action);
  EXPECT_FALSE(file_exists(fm_service() + ".fennick-bak"));
  EXPECT_EQ(read_file(user_entry()), tuned_desktop_text("[Desktop Entry]\nExec=nemo %U\n"));
  EXPECT_EQ(read_file(nemo_service()), service_text("org.Nemo", tuned()));

  // A second enable finds its own files: the backups stay as they were.
  EXPECT_EQ(captured([&] { enable_tuned_nemo_from(system); }).out, enabled_output());
  EXPECT_EQ(read_file(user_entry() + ".fennick-bak"), hand_entry);
  EXPECT_EQ(read_file(nemo_service() + ".fennick-bak"), hand_service);

  // disable removes our files and leaves the backups.
  bool disabled = false;
  EXPECT_EQ(captured([&] { disabled = disable_tuned_nemo(); }).out,
            "removed " + user_entry() + "\nremoved " + nemo_service() + "\nremoved " +
                fm_service() + "\nremoved " + action() + "\n");
  EXPECT_TRUE(disabled);
  EXPECT_EQ(folder_entries(services()), std::set<std::string>{"org.Nemo.service.fennick-bak"});
  EXPECT_EQ(read_file(user_entry() + ".fennick-bak"), hand_entry);
}

TEST_F(DesktopSwitchTest, DisableLeavesForeignFilesAlone) {
  bool disabled = true;
  EXPECT_EQ(captured([&] { disabled = disable_tuned_nemo(); }).out, "");
  EXPECT_FALSE(disabled);
  EXPECT_TRUE(folder_entries(home()).empty());

  install_tuned_nemo();
  captured([&] { enable_tuned_nemo_from(system_entry_file("[Desktop Entry]\nExec=nemo\n")); });
  write_file(user_entry(), "[Desktop Entry]\nExec=hand-made\n");
  EXPECT_EQ(captured([&] { disabled = disable_tuned_nemo(); }).out,
            "left alone (not ours): " + user_entry() + "\nremoved " + nemo_service() +
                "\nremoved " + fm_service() + "\nremoved " + action() + "\n");
  EXPECT_TRUE(disabled);
  EXPECT_EQ(read_file(user_entry()), "[Desktop Entry]\nExec=hand-made\n");
  EXPECT_TRUE(folder_entries(services()).empty());
}

TEST_F(DesktopSwitchTest, AWriteFailureStopsEnable) {
  install_tuned_nemo();
  const std::string system = system_entry_file("[Desktop Entry]\nExec=nemo %U\n");
  // A regular file where the applications folder should be.
  write_file(home() + "/.local/share/applications", "not a folder\n");
  const Outcome outcome = captured([&] { enable_tuned_nemo_from(system); });
  EXPECT_EQ(outcome.error, "cannot write " + user_entry() + ": Not a directory");
  EXPECT_EQ(outcome.out, "");
  EXPECT_TRUE(folder_entries(services()).empty());
  EXPECT_FALSE(file_exists(action()));
}

// The built program with a data folder outside the home: enable writes where the desktop looks,
// status sees it, disable takes it away again, and nothing lands in ~/.local/share.
TEST_F(DesktopSwitchTest, EnableStatusAndDisableUseTheDataFolderOutsideTheHome) {
  ASSERT_NE(read_text_file(kSystemDesktopEntry), "") << "the nemo package is not installed";
  install_tuned_nemo();
  const TempDir data;
  setenv("XDG_DATA_HOME", data.path.c_str(), 1);
  const std::string entry = data.path + "/applications/nemo.desktop";
  const std::string service = data.path + "/dbus-1/services/org.Nemo.service";
  const std::string fm = data.path + "/dbus-1/services/org.freedesktop.FileManager1.service";
  const std::string action_file = data.path + "/nemo/actions/fennick.nemo_action";

  const RunResult enabled = run_fennick({"enable"});
  EXPECT_EQ(enabled.status, 0) << enabled.err;
  EXPECT_EQ(enabled.out, "added the \"Fennick" + std::string(kEllipsis) + "\" right-click entry (" +
                             action_file + ")\nenabled: the tuned Nemo (" + tuned() +
                             ") now opens folders.\nA running Nemo keeps the old one until you "
                             "run:  nemo -q   (then open a folder).\n");
  EXPECT_EQ(read_file(entry), tuned_desktop_text(read_text_file(kSystemDesktopEntry)));
  EXPECT_EQ(read_file(service), service_text("org.Nemo", tuned()));
  EXPECT_EQ(read_file(fm), service_text("org.freedesktop.FileManager1", tuned()));
  EXPECT_TRUE(file_exists(action_file));
  EXPECT_FALSE(file_exists(home() + "/.local"));

  const RunResult status = run_fennick({"status"});
  EXPECT_EQ(status.status, 0) << status.err;
  EXPECT_NE(status.out.find("\nmade default  : yes (user override present)\n"), std::string::npos)
      << status.out;

  const RunResult disabled = run_fennick({"disable"});
  EXPECT_EQ(disabled.status, 0) << disabled.err;
  EXPECT_EQ(disabled.out, "removed " + entry + "\nremoved " + service + "\nremoved " + fm +
                              "\nremoved " + action_file +
                              "\ndisabled: the system Nemo is used again after:  nemo -q\n");
  EXPECT_TRUE(folder_entries(data.path + "/applications").empty());
  EXPECT_TRUE(folder_entries(data.path + "/dbus-1/services").empty());
  EXPECT_NE(run_fennick({"status"}).out.find("\nmade default  : no\n"), std::string::npos);
  EXPECT_FALSE(file_exists(home() + "/.local"));
}

}  // namespace
