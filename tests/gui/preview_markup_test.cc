// The prompt preview's markup: sample values in the user's layout and colours, plain or
// powerline, with every piece of user text escaped.
#include <gtest/gtest.h>

#include "gui/preview_markup.h"

#include <sys/stat.h>

#include <random>
#include <regex>

#include "generate/prompt_script.h"
#include "test_support.h"

namespace {

const char kTriangle[] = "\xE2\x96\xB6";  // U+25B6

class PreviewMarkupTest : public TempHomeTest {};

// The powerline block of one token as the preview writes it (default colours, bold on).
std::string block(const std::string& foreground, const std::string& background,
                  const std::string& text) {
  return "<span foreground=\"" + foreground + "\" background=\"" + background +
         "\" weight=\"bold\"> " + text + " </span>";
}

std::string joint(const std::string& from, const std::string& to,
                  const std::string& separator = kTriangle) {
  return "<span foreground=\"" + from + "\" background=\"" + to + "\">" + separator + "</span>";
}

std::string tail(const std::string& from, const std::string& separator = kTriangle) {
  return "<span foreground=\"" + from + "\">" + separator + "</span>";
}

}  // namespace

TEST(EscapeMarkup, EscapesAmpersandFirstAndLeavesQuotes) {
  EXPECT_EQ(escape_markup("a&b<c>d\"e'f"), "a&amp;b&lt;c&gt;d\"e'f");
  EXPECT_EQ(escape_markup("&lt;"), "&amp;lt;");
  EXPECT_EQ(escape_markup("<&>"), "&lt;&amp;&gt;");
  EXPECT_EQ(escape_markup(""), "");
}

TEST_F(PreviewMarkupTest, ColourSpanCarriesColourAndWeight) {
  EXPECT_EQ(colour_span("color_user", "quill"),
            "<span foreground=\"#4EC9B0\" weight=\"bold\">quill</span>");
  set_value("terminal.bold", "false");
  set_value("terminal.color_user", "");
  EXPECT_EQ(colour_span("color_user", "a<b"), "<span>a&lt;b</span>");
}

TEST_F(PreviewMarkupTest, PlainStyleFollowsTheDefaultLayout) {
  EXPECT_EQ(plain_preview_markup(),
            "<span foreground=\"#4EC9B0\" weight=\"bold\">quill</span>@"
            "<span foreground=\"#569CD6\" weight=\"bold\">rig</span> "
            "<span foreground=\"#DCDCAA\" weight=\"bold\">~/Projects/nemo</span>"
            "<span foreground=\"#C586C0\" weight=\"bold\"> (main)</span>\n"
            "<span foreground=\"#CE9178\" weight=\"bold\">$</span> ");
}

TEST_F(PreviewMarkupTest, PlainStyleSamplesEveryToken) {
  set_value("terminal.bold", "false");
  set_value("terminal.template", "{time}|{exit}|{cwd}");
  EXPECT_EQ(plain_preview_markup(),
            "<span foreground=\"#9CDCFE\">14:05:09</span>|"
            "<span foreground=\"#F44747\"> [1]</span>|"
            "<span foreground=\"#DCDCAA\">~/Projects/nemo</span>");
  set_value("terminal.cwd_style", "short");
  set_value("terminal.template", "{cwd}");
  EXPECT_EQ(plain_preview_markup(), "<span foreground=\"#DCDCAA\">Projects/nemo</span>");
  set_value("terminal.cwd_style", "base");
  EXPECT_EQ(plain_preview_markup(), "<span foreground=\"#DCDCAA\">nemo</span>");
}

TEST_F(PreviewMarkupTest, PlainStyleShowsOtherTextLiterally) {
  set_value("terminal.bold", "false");
  set_value("terminal.template", "{user}{foo}");
  EXPECT_EQ(plain_preview_markup(), "<span foreground=\"#4EC9B0\">quill</span>{foo}");
  set_value("terminal.template", "a{b & <c> {user");
  EXPECT_EQ(plain_preview_markup(), "a{b &amp; &lt;c&gt; {user");
  set_value("terminal.template", "{}{nl}{sym}");
  set_value("terminal.symbol", "<&>");
  EXPECT_EQ(plain_preview_markup(), "{}\n<span foreground=\"#CE9178\">&lt;&amp;&gt;</span>");
}

TEST_F(PreviewMarkupTest, PowerlineStyleJoinsTheBlocksOfTheFirstLine) {
  EXPECT_EQ(powerline_preview_markup(""),
            block("#4EC9B0", "#1F3D3A", "quill") + joint("#1F3D3A", "#1B2F45") +
                block("#569CD6", "#1B2F45", "rig") + joint("#1B2F45", "#3B3B26") +
                block("#DCDCAA", "#3B3B26", "~/Projects/nemo") + joint("#3B3B26", "#3A2A3A") +
                block("#C586C0", "#3A2A3A", "main") + tail("#3A2A3A") + "\n" +
                "<span foreground=\"#CE9178\">$</span> ");
}

TEST_F(PreviewMarkupTest, PowerlineStyleUsesTheGlyphOnlyWithAPowerlineFont) {
  EXPECT_EQ(preview_separator(""), kTriangle);
  EXPECT_EQ(preview_separator("MesloLGS NF"), "\xEE\x82\xB0");  // arrow, U+E0B0
  set_value("terminal.separator", "rounded");
  EXPECT_EQ(preview_separator("MesloLGS NF"), "\xEE\x82\xB4");
  EXPECT_EQ(preview_separator(""), kTriangle);
  set_value("terminal.template", "{time}{exit}");
  EXPECT_EQ(powerline_preview_markup("MesloLGS NF"),
            block("#9CDCFE", "#1F3340", "14:05") + joint("#1F3340", "#4A1F1F", "\xEE\x82\xB4") +
                block("#F44747", "#4A1F1F", "1") + tail("#4A1F1F", "\xEE\x82\xB4"));
}

// Without a new line the blocks come first, then the symbol and the text that follows both a
// block and the symbol, as in the prompt.
TEST_F(PreviewMarkupTest, PowerlineStyleWithoutNewLineShowsTheTailAfterTheBlocks) {
  set_value("terminal.template", "{user} and {sym} then {host}!");
  EXPECT_EQ(powerline_preview_markup(""), block("#4EC9B0", "#1F3D3A", "quill") +
                                              joint("#1F3D3A", "#1B2F45") +
                                              block("#569CD6", "#1B2F45", "rig") + tail("#1B2F45") +
                                              "<span foreground=\"#CE9178\">$</span> then !");
}

TEST_F(PreviewMarkupTest, PowerlineStyleBreaksTheLineOnlyAtTheLastNewLine) {
  set_value("terminal.template", "{user}{nl}{git}{nl}{host} > {sym}");
  EXPECT_EQ(powerline_preview_markup(""),
            block("#4EC9B0", "#1F3D3A", "quill") + joint("#1F3D3A", "#3A2A3A") +
                block("#C586C0", "#3A2A3A", "main") + tail("#3A2A3A") + "\n" + " &gt; " +
                "<span foreground=\"#CE9178\">$</span>");
}

TEST_F(PreviewMarkupTest, PowerlineStyleFillsEmptyColoursLikeTheRealPrompt) {
  set_value("terminal.template", "{user}{cwd}{nl}{sym}");
  set_value("terminal.color_user", "");
  set_value("terminal.bg_cwd", "");
  set_value("terminal.color_sym", "");
  set_value("terminal.bold", "false");
  set_value("terminal.symbol", "<&>");
  EXPECT_EQ(powerline_preview_markup(""),
            "<span foreground=\"#FFFFFF\" background=\"#1F3D3A\"> quill </span>" +
                joint("#1F3D3A", "#282828") +
                "<span foreground=\"#DCDCAA\" background=\"#282828\"> ~/Projects/nemo </span>" +
                tail("#282828") + "\n<span>&lt;&amp;&gt;</span>");
}

TEST_F(PreviewMarkupTest, WholePreviewPicksRawPowerlineOrPlainAndTheFont) {
  set_value("terminal.template", "{sym}");
  set_value("terminal.symbol", "%");
  EXPECT_EQ(prompt_preview_markup(""),
            "<span font_family=\"monospace\" size=\"large\"><span foreground=\"#CE9178\" "
            "weight=\"bold\">%</span></span>");
  set_value("terminal.style", "powerline");
  EXPECT_EQ(prompt_preview_markup("Fira & Co"),
            "<span font_family=\"Fira &amp; Co\" size=\"large\"><span "
            "foreground=\"#CE9178\">%</span></span>");
  // The user's own bash prompt is shown as written, whatever the style.
  set_value("terminal.raw_bash", "\\u@\\h:\\w\\$ <b>");
  EXPECT_EQ(prompt_preview_markup(""),
            "<span font_family=\"monospace\" size=\"large\">\\u@\\h:\\w\\$ &lt;b&gt;</span>");
  set_value("terminal.style", "plain");
  EXPECT_EQ(prompt_preview_markup("MesloLGS NF"),
            "<span font_family=\"MesloLGS NF\" size=\"large\">\\u@\\h:\\w\\$ &lt;b&gt;</span>");
}

namespace {

// The text a markup shows: tags dropped, entities read back.
std::string visible_markup(const std::string& markup) {
  std::string text;
  for (size_t i = 0; i < markup.size(); ++i) {
    if (markup[i] == '<') {
      i = markup.find('>', i);
    } else if (markup.compare(i, 4, "&lt;") == 0) {
      text += '<';
      i += 3;
    } else if (markup.compare(i, 4, "&gt;") == 0) {
      text += '>';
      i += 3;
    } else if (markup.compare(i, 5, "&amp;") == 0) {
      text += '&';
      i += 4;
    } else {
      text += markup[i];
    }
  }
  return text;
}

// What the generated prompt shows in bash with the preview's sample values: user quill on host
// rig, in ~/Projects/nemo on branch main, after a command that failed with 1, at 14:05 (a stand-in
// date; the plain prompt's own clock is read back as 14:05:09).
std::string shown_prompt(const std::string& home, bool powerline) {
  write_file(home + "/prompt.sh", prompt_script());
  const std::string script = "cd ~/Projects/nemo || exit 9; . ~/prompt.sh; (exit 1); " +
                             std::string(powerline ? "__fk_pc; " : "") + "printf '%s' \"${PS1@P}\"";
  const RunResult run =
      run_program({"env", "USER=quill", "HOSTNAME=rig", "PATH=" + home + "/bin:/usr/bin:/bin",
                   "FENNICK_FORCE=1", "bash", "--norc", "--noprofile", "-c", script});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  std::string text;
  for (size_t i = 0; i < run.out.size(); ++i) {
    if (run.out.compare(i, 2, "\x1b[") == 0) {
      i = run.out.find('m', i);
    } else if (run.out[i] != '\x01' && run.out[i] != '\x02') {
      text += run.out[i];
    }
  }
  // Both prompts show the account the shell runs as; the plain one also takes the host and
  // the time from the system.
  const std::string user = run_program({"id", "-un"}).out;
  const std::string host = run_program({"uname", "-n"}).out;
  std::vector<std::pair<std::string, std::string>> samples = {
      {user.substr(0, user.find_first_of(".\n")), "quill"}};
  if (!powerline) {
    text = std::regex_replace(text, std::regex("[0-9]{2}:[0-9]{2}:[0-9]{2}"), "14:05:09");
    samples.push_back({host.substr(0, host.find_first_of(".\n")), "rig"});
  }
  for (const auto& [real, sample] : samples) {
    for (size_t at; (at = text.find(real)) != std::string::npos;)
      text.replace(at, real.size(), sample);
  }
  return text;
}

}  // namespace

// The preview and the prompt read the layout through the same split: for the layouts that once
// told them apart, and for random ones with braces, tokens and literal text, both show the same.
TEST_F(PreviewMarkupTest, PreviewShowsWhatThePromptShows) {
  make_dir(home() + "/bin");
  write_file(home() + "/bin/date", "#!/bin/sh\necho 14:05\n");
  chmod((home() + "/bin/date").c_str(), 0755);
  make_dir(home() + "/Projects/nemo");
  ASSERT_EQ(run_program({"git", "init", "-q", "-b", "main", home() + "/Projects/nemo"}).status, 0);
  set_value("terminal.prompt_enabled", "true");
  set_value("terminal.scope", "all");
  set_value("terminal.separator", "ascii");
  std::vector<std::string> layouts = {"{user} {sym} > ",   "{sym}{user}{nl}> ",
                                      "{user} {sym}{cwd}", "{user}@{host} {cwd}{git}{nl}{sym} ",
                                      "{nl}{sym}{sym} x",  "{{user}}{date}{nl}{sym}{"};
  const char* const pieces[] = {"{user}", "{host}", "{cwd}", "{git}", "{exit}", "{time}",
                                "{sym}",  "{nl}",   "{",     "}",     "{x",     "a b",
                                "<&>",    "@",      "'",     "%",     "{date}"};
  std::mt19937 random(20261209);
  for (int i = 0; i < 40; ++i) {
    std::string layout;
    for (int n = random() % 7 + 1; n > 0; --n)
      layout += pieces[random() % std::size(pieces)];
    layouts.push_back(layout);
  }
  for (const std::string& layout : layouts) {
    set_value("terminal.template", layout);
    set_value("terminal.style", "plain");
    EXPECT_EQ(visible_markup(plain_preview_markup()), shown_prompt(home(), false))
        << "plain: " << layout;
    set_value("terminal.style", "powerline");
    EXPECT_EQ(visible_markup(powerline_preview_markup("MesloLGS NF")), shown_prompt(home(), true))
        << "powerline: " << layout;
  }
}
