// The "Fennick…" right-click entry: where the action file goes, its text, installing it over
// our own or a hand-made file, and removing only our own.
#include "integrate/context_action.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli_helpers.h"
#include "test_support.h"

namespace {

const std::string kEllipsis = "\xE2\x80\xA6";

std::string expected_text(const std::string& exec) {
  return "[Nemo Action]\n"
         "Name=Fennick" +
         kEllipsis +
         "\n"
         "Comment=Tune the path bar, prompt, panes and sidebar\n"
         "Exec=" +
         exec +
         " gui\n"
         "Icon-Name=preferences-system\n"
         "Selection=none\n"
         "Extensions=any;\n"
         "# managed by fennick\n";
}

std::string added_line(const std::string& path) {
  return "added the \"Fennick" + kEllipsis + "\" right-click entry (" + path + ")\n";
}

// The Exec value of an action file as a key-file reader returns it (\s \n \t \r \\ are the
// escapes; any other backslash makes the value unreadable: false).
bool exec_value(const std::string& text, std::string& exec) {
  exec.clear();
  for (const std::string& line : split_lines(text)) {
    if (line.rfind("Exec=", 0) != 0) continue;
    const std::string value = line.substr(5);
    for (size_t i = 0; i < value.size(); ++i) {
      if (value[i] != '\\') {
        exec += value[i];
        continue;
      }
      if (++i == value.size()) return false;
      const std::string escapes = "sntr\\";
      const size_t which = escapes.find(value[i]);
      if (which == std::string::npos) return false;
      exec += " \n\t\r\\"[which];
    }
    return true;
  }
  return false;
}

class ContextActionTest : public TempHomeTest {
 protected:
  std::string actions() const { return home() + "/.local/share/nemo/actions"; }
  std::string action_file() const { return actions() + "/fennick.nemo_action"; }

  // A copy of the built program at path, run with the given command.
  RunResult run_copy(const std::string& path, const std::string& command) const {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::filesystem::copy_file(kFennickBinary, path,
                               std::filesystem::copy_options::overwrite_existing);
    return run_program({path, command});
  }
};

TEST_F(ContextActionTest, ActionsFolderFollowsXdgDataHome) {
  setenv("XDG_DATA_HOME", "/data/home", 1);
  EXPECT_EQ(actions_dir(), "/data/home/nemo/actions");
  EXPECT_EQ(action_file_path(), "/data/home/nemo/actions/fennick.nemo_action");
  setenv("XDG_DATA_HOME", "", 1);
  EXPECT_EQ(actions_dir(), home() + "/.local/share/nemo/actions");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(action_file_path(), action_file());
}

TEST_F(ContextActionTest, ActionTextByteForByte) {
  EXPECT_EQ(action_text("/usr/local/bin/fennick"),
            "[Nemo Action]\n"
            "Name=Fennick\xE2\x80\xA6\n"
            "Comment=Tune the path bar, prompt, panes and sidebar\n"
            "Exec=/usr/local/bin/fennick gui\n"
            "Icon-Name=preferences-system\n"
            "Selection=none\n"
            "Extensions=any;\n"
            "# managed by fennick\n");
  EXPECT_EQ(action_text(home() + "/.local/bin/fennick"),
            expected_text(home() + "/.local/bin/fennick"));
}

TEST_F(ContextActionTest, OwnExecutableIsTheRunningProgram) {
  const std::string own = own_executable_path();
  EXPECT_EQ(own, std::filesystem::canonical("/proc/self/exe").string());
  EXPECT_EQ(own.front(), '/');
}

TEST_F(ContextActionTest, InstallTwiceThenRemove) {
  for (int i = 0; i < 2; ++i) {
    const Outcome outcome = captured(install_action);
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.out, added_line(action_file()));
    EXPECT_EQ(read_file(action_file()), expected_text(own_executable_path()));
  }
  EXPECT_EQ(folder_entries(actions()), std::set<std::string>{"fennick.nemo_action"});
  EXPECT_EQ(captured(remove_action).out, "removed " + action_file() + "\n");
  EXPECT_FALSE(file_exists(action_file()));
  EXPECT_EQ(captured(remove_action).out, "");
  // The folder stays; nothing else was made.
  EXPECT_TRUE(folder_entries(actions()).empty());
  EXPECT_EQ(folder_entries(home()), std::set<std::string>{".local"});
}

TEST_F(ContextActionTest, RemoveLeavesFilesWithoutTheMarker) {
  for (const std::string& text :
       {std::string("[Nemo Action]\nName=Mine\nExec=mine\n"), std::string(""),
        std::string("[Nemo Action]\nX-Fennick=true\n"), std::string("# Managed by Fennick\n")}) {
    write_file(action_file(), text);
    EXPECT_EQ(captured(remove_action).out, "") << text;
    EXPECT_EQ(read_file(action_file()), text);
  }
  write_file(action_file(), "[Nemo Action]\r\n# managed by fennick\r\n");
  EXPECT_EQ(captured(remove_action).out, "removed " + action_file() + "\n");
  EXPECT_FALSE(file_exists(action_file()));
}

TEST_F(ContextActionTest, InstallOverAHandMadeFileKeepsEachOneOnce) {
  const std::string hand_made = "[Nemo Action]\nName=Mine\nExec=mine %F\n";
  write_file(action_file(), hand_made);
  chmod(action_file().c_str(), 0640);
  EXPECT_EQ(captured(install_action).out, added_line(action_file()));
  EXPECT_EQ(read_file(action_file()), expected_text(own_executable_path()));
  EXPECT_EQ(read_file(action_file() + ".fennick-bak"), hand_made);
  EXPECT_EQ(mode_of(action_file() + ".fennick-bak"), 0640u);
  // Ours now: the next install keeps no further backup, and the first one stays.
  write_file(action_file(), "[Nemo Action]\n# managed by fennick\nold\n");
  EXPECT_EQ(captured(install_action).out, added_line(action_file()));
  EXPECT_EQ(read_file(action_file() + ".fennick-bak"), hand_made);
  // Another hand-made file later is kept under the next name; the first backup stays.
  write_file(action_file(), "another hand-made one\n");
  captured(install_action);
  EXPECT_EQ(read_file(action_file() + ".fennick-bak"), hand_made);
  EXPECT_EQ(read_file(action_file() + ".fennick-bak.1"), "another hand-made one\n");
  // The first one once more: it is kept already.
  write_file(action_file(), hand_made);
  captured(install_action);
  const std::set<std::string> backups = {"fennick.nemo_action.fennick-bak",
                                         "fennick.nemo_action.fennick-bak.1"};
  std::set<std::string> all = backups;
  all.insert("fennick.nemo_action");
  EXPECT_EQ(folder_entries(actions()), all);
  // remove takes only our file.
  EXPECT_EQ(captured(remove_action).out, "removed " + action_file() + "\n");
  EXPECT_EQ(folder_entries(actions()), backups);
}

TEST_F(ContextActionTest, InstallFailsWhenTheFolderCannotBeMade) {
  write_file(home() + "/data", "a file, not a folder\n");
  setenv("XDG_DATA_HOME", (home() + "/data").c_str(), 1);
  const Outcome outcome = captured(install_action);
  EXPECT_EQ(outcome.error,
            "cannot write " + home() + "/data/nemo/actions/fennick.nemo_action: Not a directory");
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(read_file(home() + "/data"), "a file, not a folder\n");
}

TEST_F(ContextActionTest, ExecIsTheProgramThatInstalledIt) {
  const std::string first = home() + "/bin/fennick";
  RunResult run = run_copy(first, "action-install");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, added_line(action_file()));
  EXPECT_EQ(read_file(action_file()), expected_text(first));

  // Run from another place and installed again: the entry follows.
  const std::string second = home() + "/other/place/fennick";
  run = run_copy(second, "action-install");
  EXPECT_EQ(run.out, added_line(action_file()));
  EXPECT_EQ(read_file(action_file()), expected_text(second));
  EXPECT_FALSE(file_exists(action_file() + ".fennick-bak"));

  // The built program itself.
  run = run_fennick({"action-install"});
  EXPECT_EQ(read_file(action_file()),
            expected_text(std::filesystem::canonical(kFennickBinary).string()));
}

// A line break in the program's path would start a line of its own in the action file: the
// action is refused and nothing is written.
TEST_F(ContextActionTest, AProgramPathWithALineBreakIsRefused) {
  for (const std::string& program :
       {std::string("/opt/x\nExec=/tmp/evil/fennick"), std::string("/opt/x\r/fennick")}) {
    EXPECT_EQ(captured([&] { action_text(program); }).error,
              "cannot use " + program + ": it contains a line break");
  }
  const std::string program = home() + "/line\nSelection=any/fennick";
  const RunResult run = run_copy(program, "action-install");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "fennick: cannot use " + home() +
                         "/line\\nSelection=any/fennick: it contains a line break\n");
  EXPECT_FALSE(std::filesystem::exists(home() + "/.local"));
}

// Nemo reads the action file as a key file (a backslash starts an escape) and splits the Exec
// value into words like a shell: the words must be the program's path and "gui".
TEST_F(ContextActionTest, ExecAtAnOddPathReadsBack) {
  for (const std::string& folder : {
           std::string("/with blank"),
           std::string("/$HOME `id` \"q\""),
           std::string("/it's here"),
           std::string("/back\\slash"),
           std::string("/caf\xC3\xA9 ~ * ? ; & | < > ( ) #"),
       }) {
    const std::string program = home() + folder + "/fennick";
    SCOPED_TRACE(program);
    const RunResult run = run_copy(program, "action-install");
    EXPECT_EQ(run.status, 0) << run.err;
    std::string exec;
    if (!exec_value(read_file(action_file()), exec)) {
      ADD_FAILURE() << "a backslash that is no valid escape: the Exec value cannot be read: "
                    << read_file(action_file());
      continue;
    }
    const RunResult words = run_program({"sh", "-c", "printf '[%s]' " + exec});
    EXPECT_EQ(words.out, "[" + program + "][gui]") << exec;
  }
}

}  // namespace
