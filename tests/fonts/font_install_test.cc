// `fennick font install` end to end: real curl against a local server that serves the real font
// files, real fc-cache and fc-list over a font configuration that sees only the test's folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "font_test_support.h"
#include "fonts/powerline_font.h"
#include "fonts/sha256.h"

namespace {

// The two lines of a download whose second file the server does not have.
const std::string kRegularThenBoldMissing =
    "  MesloLGS NF Regular.ttf ... ok\n"
    "  MesloLGS NF Bold.ttf ... FAILED curl: (22) The requested URL returned error: 404\n";

class FontInstallTest : public FontHomeTest {
 protected:
  // Starts the server; the program is pointed at its /fonts folder unless told otherwise.
  void serve(std::vector<std::string> switches, const std::string& folder = "/fonts") {
    server_ = std::make_unique<FontServer>(home() + "/requests.log", std::move(switches));
    ASSERT_TRUE(server_->running()) << "the font server did not start";
    base_ = server_->origin() + folder;
    setenv("FENNICK_FONT_URL", base_.c_str(), 1);
  }

  std::string header() const { return header_for(base_); }
  std::string header_for(const std::string& base) const {
    return "This will download 4 font files (MesloLGS NF, about 10 MB in total) from\n  " + base +
           "\ninto " + target() + " and refresh the font cache. " +
           (geteuid() == 0 ? "Run as root, fontconfig also writes that folder's cache into its "
                             "system-wide cache folder (such as /var/cache/fontconfig).\n"
                           : "Nothing outside that folder changes.\n");
  }
  static std::string get(const std::string& name, const std::string& folder = "/fonts") {
    return "GET " + folder + "/" + escaped_blanks(name);
  }
  std::string saved(const std::string& name) const { return target() + "/" + name; }
  static std::string original(const std::string& name) {
    return read_file(real_font_folder() + "/" + name);
  }
  std::vector<std::string> requests() const { return server_->requests(); }

  std::unique_ptr<FontServer> server_;
  std::string base_;
};

TEST_F(FontInstallTest, NothingWithThePowerlineGlyphsIsSeenAtFirst) {
  // Everything below counts on this: the machine's own fonts stay out of the test.
  RunResult listed = run_program({"fc-list", ":charset=e0b0", "family"});
  EXPECT_EQ(listed.status, 0);
  EXPECT_EQ(listed.out, "");
  EXPECT_EQ(find_powerline_font(), "");
}

// The whole road with a source of the user's choice: four requests to the folder address, the
// files saved as served (such a source is not checked against the known release, so an altered
// file is taken), the cache refreshed, and the family found afterwards.
TEST_F(FontInstallTest, DownloadsFromTheChosenSourceAndFindsTheFamily) {
  serve({"--tamper", "MesloLGS NF Bold Italic.ttf"});
  RunResult run = run_fennick({"font", "install", "--yes"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, header() +
                         "  MesloLGS NF Regular.ttf ... ok\n"
                         "  MesloLGS NF Bold.ttf ... ok\n"
                         "  MesloLGS NF Italic.ttf ... ok\n"
                         "  MesloLGS NF Bold Italic.ttf ... ok\n"
                         "installed: font family \"MesloLGS NF\" is now available\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(requests(), (std::vector<std::string>{
                            "GET /fonts/MesloLGS%20NF%20Regular.ttf",
                            "GET /fonts/MesloLGS%20NF%20Bold.ttf",
                            "GET /fonts/MesloLGS%20NF%20Italic.ttf",
                            "GET /fonts/MesloLGS%20NF%20Bold%20Italic.ttf",
                        }));
  for (const std::string& name : {font_names()[0], font_names()[1], font_names()[2]})
    EXPECT_TRUE(read_file(saved(name)) == original(name)) << name;
  EXPECT_TRUE(read_file(saved(font_names()[3])) == original(font_names()[3]) + "tampered");
  for (const std::string& name : font_names())
    EXPECT_FALSE(file_exists(saved(name) + ".part")) << name;
  EXPECT_EQ(find_powerline_font(), "MesloLGS NF");

  // Asked again, it sees the family and stays off the network.
  RunResult again = run_fennick({"font", "install"});
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(again.out,
            "A font with the powerline glyphs is already installed: MesloLGS NF. Nothing to do.\n");
  EXPECT_EQ(requests().size(), 4u);
  RunResult check = run_fennick({"font", "check"});
  EXPECT_EQ(split_lines(check.out).at(0), "powerline-capable font installed: MesloLGS NF");
}

// Links planted at the names of the partial files are replaced, never written through.
TEST_F(FontInstallTest, LinksAtThePartialFilesAreNotFollowed) {
  serve({});
  const std::string victim = home() + "/victim.txt";
  write_file(victim, "must stay\n");
  const std::string nowhere = home() + "/created-by-mistake.txt";
  make_dir(target());
  ASSERT_EQ(symlink(victim.c_str(), (saved(font_names()[0]) + ".part").c_str()), 0);
  ASSERT_EQ(symlink(nowhere.c_str(), (saved(font_names()[1]) + ".part").c_str()), 0);

  RunResult run = run_fennick({"font", "install", "--yes"});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(read_file(victim), "must stay\n");
  EXPECT_FALSE(file_exists(nowhere));
  for (const std::string& name : font_names()) {
    EXPECT_TRUE(read_file(saved(name)) == original(name)) << name;
    EXPECT_FALSE(is_symlink(saved(name))) << name;
    EXPECT_FALSE(file_exists(saved(name) + ".part")) << name;
  }
}

TEST_F(FontInstallTest, AFontAlreadyThereIsEnoughWithoutAsking) {
  serve({});
  install_font_by_hand();
  RunResult run = run_fennick({"font", "install"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "A font with the powerline glyphs is already installed: MesloLGS NF. Nothing to do.\n");
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(requests().empty());
  EXPECT_FALSE(file_exists(target()));
}

// Only "y" or "yes" in any letter case as the whole answer says yes; "install yes" asks as well,
// and an option other than --yes is refused before anything is asked or fetched.
TEST_F(FontInstallTest, EveryOtherAnswerCancelsBeforeAnythingIsCreated) {
  serve({});
  const std::string question = "Download and install? [y/N] ";
  for (const char* answer : {"\n", "", "n\n", "N\n", " y\n", "y \n", "yy\n", "ye\n", "yess\n",
                             " yes\n", "yes \n", "yes\r\n", "yes please\n", "no\n"}) {
    for (const char* option : {"", "yes"}) {
      RunResult run = run_program({kFennickBinary, "font", "install", option}, answer);
      EXPECT_EQ(run.status, 1) << '"' << answer << "\" " << option;
      EXPECT_EQ(run.out, header() + question + "cancelled\n") << '"' << answer << "\" " << option;
      EXPECT_EQ(run.err, "");
    }
  }
  for (const char* option : {"-y", "--YES", "--bogus"}) {
    // No answer to give: a refused run ends without reading, and a write would break the pipe.
    RunResult run = run_program({kFennickBinary, "font", "install", option}, "");
    EXPECT_EQ(run.status, 2) << option;
    EXPECT_EQ(run.out, "") << option;
  }
  EXPECT_TRUE(requests().empty());
  EXPECT_FALSE(file_exists(target()));
}

TEST_F(FontInstallTest, AnsweringYDownloads) {
  // The second file is missing, so that the download stops early once it has begun.
  serve({"--missing", "MesloLGS NF Bold.ttf"});
  const std::vector<std::string> answers = {"y\n", "Y\n", "yes\n", "YES\n", "Yes\n", "yEs\n"};
  for (const std::string& answer : answers) {
    std::filesystem::remove_all(target());  // what the run before saved would count as installed
    RunResult run = run_program({kFennickBinary, "font", "install"}, answer);
    EXPECT_EQ(run.status, 1) << answer;
    EXPECT_EQ(run.out, header() + "Download and install? [y/N] " + kRegularThenBoldMissing)
        << answer;
  }
  EXPECT_EQ(requests().size(), 2 * answers.size());
  EXPECT_TRUE(read_file(saved(font_names()[0])) == original(font_names()[0]));
}

// A failed file ends the download on its own line, which ends in "FAILED " and the last line of
// what curl said on standard error. The partial file goes, the files before it stay, later ones
// are not asked for.
class FailedDownloadTest : public FontInstallTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(FailedDownloadTest, StopsAtTheSecondFileAndKeepsTheFirst) {
  serve({GetParam(), "MesloLGS NF Bold.ttf"});
  RunResult run = run_fennick({"font", "install", "--yes"});
  EXPECT_EQ(run.status, 1);
  const std::string reason =
      std::string(GetParam()) == "--missing" ? "curl: (22) The requested URL returned error: 404\n"
      : std::string(GetParam()) == "--error" ? "curl: (22) The requested URL returned error: 500\n"
                                             : "curl: (18) transfer closed with ";
  const std::string expected = header() +
                               "  MesloLGS NF Regular.ttf ... ok\n"
                               "  MesloLGS NF Bold.ttf ... FAILED " +
                               reason;
  EXPECT_EQ(run.out.substr(0, expected.size()), expected);
  EXPECT_EQ(split_lines(run.out).size(), 5u) << run.out;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(requests(), (std::vector<std::string>{get(font_names()[0]), get(font_names()[1])}));
  EXPECT_TRUE(read_file(saved(font_names()[0])) == original(font_names()[0]));
  EXPECT_FALSE(file_exists(saved(font_names()[1])));
  EXPECT_FALSE(file_exists(saved(font_names()[1]) + ".part"));
  EXPECT_FALSE(file_exists(saved(font_names()[2])));
}

INSTANTIATE_TEST_SUITE_P(NotFoundServerErrorCutShort, FailedDownloadTest,
                         ::testing::Values("--missing", "--error", "--truncate"));

TEST_F(FontInstallTest, ALastFileCutShortKeepsTheThreeBefore) {
  serve({"--truncate", "MesloLGS NF Bold Italic.ttf"});
  RunResult run = run_fennick({"font", "install", "--yes"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(split_lines(run.out).back().rfind(
                "  MesloLGS NF Bold Italic.ttf ... FAILED curl: (18) transfer closed with ", 0),
            0u)
      << run.out;
  EXPECT_EQ(requests().size(), 4u);
  for (const std::string& name : {font_names()[0], font_names()[1], font_names()[2]})
    EXPECT_TRUE(read_file(saved(name)) == original(name)) << name;
  EXPECT_FALSE(file_exists(saved(font_names()[3])));
  EXPECT_FALSE(file_exists(saved(font_names()[3]) + ".part"));
}

// A folder address that ends in "/" is used as given; redirects are followed.
TEST_F(FontInstallTest, TheSourceAddressIsUsedAsGiven) {
  serve({"--missing", "MesloLGS NF Regular.ttf"}, "/fonts/");
  RunResult run = run_fennick({"font", "install", "--yes"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, header_for(server_->origin() + "/fonts/") +
                         "  MesloLGS NF Regular.ttf ... FAILED curl: (22) The requested URL "
                         "returned error: 404\n");
  EXPECT_EQ(requests(), std::vector<std::string>{"GET /fonts//MesloLGS%20NF%20Regular.ttf"});
  EXPECT_TRUE(file_exists(target()));
  EXPECT_FALSE(file_exists(saved(font_names()[0]) + ".part"));
}

TEST_F(FontInstallTest, RedirectsAreFollowed) {
  serve({"--missing", "MesloLGS NF Bold.ttf"}, "/moved");
  RunResult run = run_fennick({"font", "install", "--yes"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, header() + kRegularThenBoldMissing);
  EXPECT_EQ(requests(),
            (std::vector<std::string>{get(font_names()[0], "/moved"), get(font_names()[0]),
                                      get(font_names()[1], "/moved"), get(font_names()[1])}));
  EXPECT_TRUE(read_file(saved(font_names()[0])) == original(font_names()[0]));
}

TEST_F(FontInstallTest, AMissingCurlIsAFailedDownload) {
  serve({});
  limit_path_to({"fc-list", "fc-cache"});
  RunResult run = run_fennick({"font", "install", "--yes"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, header() +
                         "  MesloLGS NF Regular.ttf ... FAILED cannot run curl: No such file or "
                         "directory\n");
  EXPECT_TRUE(requests().empty());
  EXPECT_FALSE(file_exists(saved(font_names()[0]) + ".part"));
}

// Without fc-list nothing is ever detected, so even a font that is there leads to a download.
TEST_F(FontInstallTest, AMissingFcListDetectsNothing) {
  serve({"--missing", "MesloLGS NF Regular.ttf"});
  install_font_by_hand();
  limit_path_to({"curl"});
  RunResult run = run_fennick({"font", "install", "--yes"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, header() +
                         "  MesloLGS NF Regular.ttf ... FAILED curl: (22) The requested URL "
                         "returned error: 404\n");
  RunResult check = run_fennick({"font", "check"});
  EXPECT_EQ(split_lines(check.out).at(0),
            "no installed font has the powerline glyphs; run: fennick font install");
}

TEST_F(FontInstallTest, AFileThatCannotBeSavedLeavesItsPartialFile) {
  serve({});
  make_dir(saved(font_names()[0]) + "/in-the-way");
  RunResult run = run_fennick({"font", "install", "--yes"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, header() + "  MesloLGS NF Regular.ttf ... FAILED (cannot save)\n");
  EXPECT_EQ(requests().size(), 1u);
  EXPECT_TRUE(read_file(saved(font_names()[0]) + ".part") == original(font_names()[0]));
}

// Files that are no fonts at all: saved, but the cache cannot list a family afterwards.
TEST_F(FontInstallTest, SavedFilesThatListNoFamilyFail) {
  const std::string folder = home() + "/not-fonts";
  for (const std::string& name : font_names())
    write_file(folder + "/" + name, "not a font: " + name + "\n");
  serve({"--root", folder});
  RunResult run = run_fennick({"font", "install", "--yes"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, header() +
                         "  MesloLGS NF Regular.ttf ... ok\n"
                         "  MesloLGS NF Bold.ttf ... ok\n"
                         "  MesloLGS NF Italic.ttf ... ok\n"
                         "  MesloLGS NF Bold Italic.ttf ... ok\n"
                         "files saved, but the font cache does not list the family yet; log out "
                         "and in, or run: fc-cache -f\n");
  for (const std::string& name : font_names())
    EXPECT_EQ(read_file(saved(name)), "not a font: " + name + "\n");
}

// The default source is reached through a local proxy that answers for its host with a
// certificate curl is told to trust, so the real https address is asked for and nothing leaves
// the machine. Files from there must match the digests of the known release.
class DefaultSourceTest : public FontInstallTest {
 protected:
  void serve_default_source(std::vector<std::string> switches) {
    const std::string base = font_source_base();
    const std::string scheme = "https://";
    ASSERT_EQ(base.compare(0, scheme.size(), scheme), 0) << base;
    const size_t slash = base.find('/', scheme.size());
    host_ = base.substr(scheme.size(), slash - scheme.size());
    folder_ = slash == std::string::npos ? "" : base.substr(slash);
    make_dir(home() + "/tls");
    switches.insert(switches.end(), {"--tls-host", host_, "--tls-dir", home() + "/tls"});
    server_ = std::make_unique<FontServer>(home() + "/requests.log", std::move(switches));
    ASSERT_TRUE(server_->running()) << "the font server did not start";
    setenv("https_proxy", server_->origin().c_str(), 1);
    setenv("CURL_CA_BUNDLE", (home() + "/tls/cert.pem").c_str(), 1);
    base_ = base;
  }
  std::string connect() const { return "CONNECT " + host_ + ":443"; }
  // The one error after a file the default source did not serve as released.
  std::string by_hand_hint() const {
    return "fennick: could not download the font from the default source; set FENNICK_FONT_URL "
           "to a folder address that serves the four files, or download them yourself (MesloLGS "
           "NF Regular.ttf, MesloLGS NF Bold.ttf, MesloLGS NF Italic.ttf, MesloLGS NF Bold "
           "Italic.ttf) into " +
           target() + " and run: fc-cache -f\n";
  }
  std::string get_default(const std::string& name) const { return get(name, folder_); }

  std::string host_;
  std::string folder_;
};

TEST_F(DefaultSourceTest, GenuineFilesAreInstalled) {
  serve_default_source({});
  RunResult run = run_fennick({"font", "install", "--yes"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, header() +
                         "  MesloLGS NF Regular.ttf ... ok\n"
                         "  MesloLGS NF Bold.ttf ... ok\n"
                         "  MesloLGS NF Italic.ttf ... ok\n"
                         "  MesloLGS NF Bold Italic.ttf ... ok\n"
                         "installed: font family \"MesloLGS NF\" is now available\n");
  std::vector<std::string> expected;
  for (const std::string& name : font_names())
    expected.insert(expected.end(), {connect(), get_default(name)});
  EXPECT_EQ(requests(), expected);
  for (const std::string& name : font_names())
    EXPECT_TRUE(read_file(saved(name)) == original(name)) << name;
}

TEST_F(DefaultSourceTest, AnAlteredFileFailsItsChecksumAndIsNotKept) {
  serve_default_source({"--tamper", "MesloLGS NF Bold.ttf"});
  RunResult run = run_fennick({"font", "install", "--yes"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, header() +
                         "  MesloLGS NF Regular.ttf ... ok\n"
                         "  MesloLGS NF Bold.ttf ... FAILED checksum mismatch\n");
  EXPECT_EQ(run.err, by_hand_hint());
  EXPECT_EQ(requests(), (std::vector<std::string>{connect(), get_default(font_names()[0]),
                                                  connect(), get_default(font_names()[1])}));
  EXPECT_TRUE(read_file(saved(font_names()[0])) == original(font_names()[0]));
  EXPECT_FALSE(file_exists(saved(font_names()[1])));
  EXPECT_FALSE(file_exists(saved(font_names()[1]) + ".part"));
  EXPECT_FALSE(file_exists(saved(font_names()[2])));
}

TEST_F(DefaultSourceTest, AnAlteredFirstFileLeavesNothing) {
  serve_default_source({"--tamper", "MesloLGS NF Regular.ttf"});
  RunResult run = run_fennick({"font", "install", "--yes"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, header() + "  MesloLGS NF Regular.ttf ... FAILED checksum mismatch\n");
  EXPECT_EQ(run.err, by_hand_hint());
  EXPECT_EQ(requests().size(), 2u);
  EXPECT_FALSE(file_exists(saved(font_names()[0])));
  EXPECT_FALSE(file_exists(saved(font_names()[0]) + ".part"));
}

// A file the default source does not have, and a default source out of reach (the proxy refuses
// the connection, as a machine without network does): the FAILED line with curl's reason, then
// one error on getting the files another way.
TEST_F(DefaultSourceTest, AFailedDownloadSaysHowToGetTheFilesAnotherWay) {
  serve_default_source({"--missing", "MesloLGS NF Bold.ttf"});
  RunResult run = run_fennick({"font", "install", "--yes"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, header() + kRegularThenBoldMissing);
  EXPECT_EQ(run.err, by_hand_hint());

  std::filesystem::remove_all(target());
  setenv("https_proxy", "http://127.0.0.1:1", 1);
  run = run_fennick({"font", "install", "--yes"});
  EXPECT_EQ(run.status, 1);
  const std::string failed = header() + "  MesloLGS NF Regular.ttf ... FAILED curl: (7) ";
  EXPECT_EQ(run.out.substr(0, failed.size()), failed);
  EXPECT_EQ(split_lines(run.out).size(), 4u) << run.out;
  EXPECT_EQ(run.err, by_hand_hint());
  EXPECT_EQ(requests().size(), 4u);
}

}  // namespace
