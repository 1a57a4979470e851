// The import block in GTK's user stylesheet: where it goes, what it leaves, the address it
// names, and the commands that put it in and take it out.
#include "integrate/pathbar_import.h"

#include <gtest/gtest.h>

#include "generate/stylesheet.h"
#include "test_support.h"

namespace {

class PathbarImportTest : public TempHomeTest {
 protected:
  std::string gtk_css() const { return home() + "/.config/gtk-3.0/gtk.css"; }
  std::string block() const { return pathbar_block(); }
};

TEST_F(PathbarImportTest, BlockGoesFirstAndComesOutWithoutChangingAnotherByte) {
  const std::string b = block();
  EXPECT_EQ(b, "/* >>> fennick >>> */\n@import url(\"file://" + config() +
                   "/fennick-nemo.css\");\n/* <<< fennick <<< */\n");
  const std::string outdated =
      "/* >>> fennick >>> */\n@import url(\"file:///old/fennick-nemo.css\");\n/* <<< fennick <<< "
      "*/\n";
  // The block below a last line without a line feed: it adds one and says so.
  const std::string lf =
      "/* >>> fennick >>> (line end above added by fennick) */" + b.substr(b.find('\n'));
  // Marker words in the user's own comments are no markers.
  const std::string comments =
      "/* /* >>> fennick >>> */ */ .mine { color: red; }\n.b {} /* /* <<< fennick <<< */ */\n";
  const struct {
    std::string before;
    std::string after;
  } cases[] = {
      {"", b},
      {".a { color: red; }\n", b + ".a { color: red; }\n"},
      {".a {}", b + ".a {}"},
      {"\r\n.a {}\r\n", b + "\r\n.a {}\r\n"},
      // @charset must stay first; an @import counts only before every other rule.
      {"@charset \"utf-8\";\n.a {}\n", "@charset \"utf-8\";\n" + b + ".a {}\n"},
      {"@charset \"utf-8\";", "@charset \"utf-8\";\n" + lf},
      {"@charset \"utf-8\";\n" + lf, "@charset \"utf-8\";\n" + lf},
      {comments, b + comments},
      {comments + outdated, b + comments},
      // The current block stays where it is; an outdated one is replaced at the top.
      {".a {}\n" + b + ".b {}\n", ".a {}\n" + b + ".b {}\n"},
      {".a {}\n" + outdated + ".b {}\n", b + ".a {}\n.b {}\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    const std::string added = add_pathbar_block(c.before);
    EXPECT_EQ(added, c.after);
    EXPECT_EQ(add_pathbar_block(added), added);
    if (strip_pathbar_block(c.before) == c.before) {
      EXPECT_EQ(strip_pathbar_block(added), c.before);
    }
  }
}

TEST_F(PathbarImportTest, TheAddressEscapesEveryByteThatCouldEndOrBendIt) {
  EXPECT_EQ(file_url("/home/a-b/c_d.e~/f.css"), "file:///home/a-b/c_d.e~/f.css");
  EXPECT_EQ(file_url("/h/J\xC3\xB6rg/it's \"x\"/a)b;\n%"),
            "file:///h/J%C3%B6rg/it%27s%20%22x%22/a%29b%3B%0A%25");
}

TEST_F(PathbarImportTest, CommandsAddRemoveAndKeepTheUsersFile) {
  const std::string restart = "a running Nemo shows the change when restarted: fennick restart\n";
  RunResult run = run_fennick({"pathbar-install"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "added block to " + gtk_css() +
                         "\nthe path bar is not customised yet: fennick set pathbar.enabled "
                         "true\n" +
                         restart);
  EXPECT_EQ(read_file(gtk_css()), block());
  set({"pathbar.enabled", "true", "pathbar.selected_bg", "#FF00FF"});
  EXPECT_EQ(read_file(config() + "/fennick-nemo.css"),
            scoped_rules(read_file(config() + "/fennick.css"), ".nemo-window"));
  EXPECT_NE(read_file(config() + "/fennick-nemo.css")
                .find(".nemo-window .path-bar button:checked { background-image: none; "
                      "background-color: #FF00FF; }\n"),
            std::string::npos);

  const std::string mine = "@define-color accent #123456;\n.mine { color: @accent; }\n";
  write_file(gtk_css(), mine);
  run = run_fennick({"pathbar-install"});
  EXPECT_EQ(run.out, "added block to " + gtk_css() + "\n" + restart);
  EXPECT_EQ(read_file(gtk_css()), block() + mine);
  EXPECT_EQ(read_file(gtk_css() + ".fennick-bak"), mine);
  EXPECT_EQ(run_fennick({"pathbar-install"}).out, "unchanged: " + gtk_css() + "\n" + restart);
  EXPECT_EQ(run_fennick({"pathbar-remove"}).out,
            "removed block from " + gtk_css() + "\n" + restart);
  EXPECT_EQ(read_file(gtk_css()), mine);
  EXPECT_EQ(run_fennick({"pathbar-remove"}).out, "unchanged: " + gtk_css() + "\n" + restart);
  // A folder elsewhere is followed.
  setenv("XDG_CONFIG_HOME", (home() + "/elsewhere").c_str(), 1);
  EXPECT_EQ(update_pathbar_block(false).path, home() + "/elsewhere/gtk-3.0/gtk.css");
  EXPECT_TRUE(pathbar_block_installed());
}

// A removal takes away what the program alone made: the gtk.css it created, and backups that hold
// only the block (an earlier version made them); an empty gtk.css of the user's stays, and so
// does its backup.
TEST_F(PathbarImportTest, RemoveLeavesNothingTheProgramAloneMade) {
  const std::string folder = home() + "/.config/gtk-3.0";
  EXPECT_EQ(update_pathbar_block(false).backup, "");
  const BlockUpdate removed = update_pathbar_block(true);
  EXPECT_EQ(block_update_line(removed), "removed block from " + gtk_css());
  EXPECT_EQ(removed.backup, "");
  EXPECT_EQ(folder_entries(folder), std::set<std::string>{});

  write_file(gtk_css(), "");
  write_file(gtk_css() + ".fennick-bak.7", block());
  EXPECT_EQ(update_pathbar_block(false).backup, gtk_css() + ".fennick-bak");
  EXPECT_EQ(update_pathbar_block(true).backup, "");
  EXPECT_EQ(folder_entries(folder), (std::set<std::string>{"gtk.css", "gtk.css.fennick-bak"}));
  EXPECT_EQ(read_file(gtk_css()), "");
  EXPECT_EQ(read_file(gtk_css() + ".fennick-bak"), "");
}

}  // namespace
