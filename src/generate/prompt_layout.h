// The layout template (terminal.template) read the way the prompts and the window's prompt preview
// both read it, so that the two cannot disagree. A token is "{" name "}", closed by the first "}"
// at or after the "{"; the readers take linear time in the template's length.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One piece of the template as the plain prompt shows it: a known token (its name: user, host,
// time, cwd, git, exit, sym or nl) or a run of literal bytes.
struct LayoutPart {
  bool is_token;
  std::string text;
};

// The template as consecutive parts. An unknown token is literal text, braces included, and a
// "{" inside it may still start a later token.
std::vector<LayoutPart> plain_layout_parts(const std::string& layout);

// The terminal setting that colours a token (user, host, time, cwd, git, exit, sym): "color_" +
// its name, in the prompts and the preview alike.
std::string token_colour_key(std::string_view token);

// True for the six tokens that become powerline blocks.
bool is_block_token(std::string_view name);

// Stands for {sym} in the powerline tail.
extern const char kSymbolMarker[];

// What the powerline prompt shows: the blocks of the first line, then the tail.
struct PowerlineLayout {
  std::vector<std::string> blocks;  // block token names in template order
  std::string tail;                 // text after the blocks, kSymbolMarker where {sym} stands
  bool has_new_line;
};

PowerlineLayout powerline_layout(const std::string& layout);

// The tail as the prompt prints it: the text before its first symbol marker, the symbol, and
// the text after that marker (where a second marker stays as it is written). Without a marker
// the tail is all in before.
struct PowerlineTail {
  std::string_view before;
  bool has_symbol;
  std::string_view after;
};

PowerlineTail split_tail(std::string_view tail);
