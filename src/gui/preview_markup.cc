#include "gui/preview_markup.h"

#include "generate/powerline_prompt.h"
#include "generate/prompt_layout.h"
#include "settings/value_access.h"

namespace {

struct Sample {
  const char* token;
  const char* plain;
  const char* powerline;
};

const Sample kSamples[] = {
    {"user", "quill", "quill"}, {"host", "rig", "rig"}, {"time", "14:05:09", "14:05"},
    {"git", " (main)", "main"}, {"exit", " [1]", "1"},
};

std::string folder_sample() {
  const std::string style = get_value("terminal", "cwd_style");
  if (style == "base") return "nemo";
  return style == "short" ? "Projects/nemo" : "~/Projects/nemo";
}

const Sample* sample_of(const std::string& token) {
  for (const Sample& sample : kSamples) {
    if (token == sample.token) return &sample;
  }
  return nullptr;
}

std::string weight() {
  return get_bool("terminal", "bold") ? " weight=\"bold\"" : "";
}

}  // namespace

std::string escape_markup(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else {
      out += c;
    }
  }
  return out;
}

std::string preview_separator(const std::string& detected_font) {
  return detected_font.empty() ? "\xE2\x96\xB6" : separator_glyph();  // U+25B6
}

std::string colour_span(const std::string& colour_key, const std::string& text) {
  const std::string colour = get_value("terminal", colour_key);
  const std::string foreground = colour.empty() ? "" : " foreground=\"" + colour + "\"";
  return "<span" + foreground + weight() + ">" + escape_markup(text) + "</span>";
}

std::string plain_preview_markup() {
  std::string out;
  for (const LayoutPart& part : plain_layout_parts(get_value("terminal", "template"))) {
    if (!part.is_token) {
      out += escape_markup(part.text);
    } else if (part.text == "nl") {
      out += '\n';
    } else if (part.text == "cwd") {
      out += colour_span(token_colour_key("cwd"), folder_sample());
    } else if (part.text == "sym") {
      out += colour_span(token_colour_key("sym"), get_value("terminal", "symbol"));
    } else if (const Sample* sample = sample_of(part.text)) {
      out += colour_span(token_colour_key(sample->token), sample->plain);
    }
  }
  return out;
}

// The blocks and the tail that the powerline prompt itself shows, with sample texts.
std::string powerline_preview_markup(const std::string& detected_font) {
  const PowerlineLayout layout = powerline_layout(get_value("terminal", "template"));
  const std::string separator = preview_separator(detected_font);
  std::string out;
  std::string previous;  // background of the last block
  for (const std::string& name : layout.blocks) {
    // An empty colour gets what the real prompt uses then: white text on a dark grey block.
    std::string background = get_value("terminal", "bg_" + name);
    if (background.empty()) background = "#282828";
    std::string foreground = get_value("terminal", token_colour_key(name));
    if (foreground.empty()) foreground = "#FFFFFF";
    if (!previous.empty()) {
      out += "<span foreground=\"" + previous + "\" background=\"" + background + "\">" +
             separator + "</span>";
    }
    const Sample* sample = sample_of(name);
    const std::string text = sample ? sample->powerline : folder_sample();
    out += "<span foreground=\"" + foreground + "\" background=\"" + background + "\"" + weight() +
           "> " + escape_markup(text) + " </span>";
    previous = background;
  }
  if (!previous.empty()) out += "<span foreground=\"" + previous + "\">" + separator + "</span>";
  if (layout.has_new_line) out += '\n';
  const PowerlineTail tail = split_tail(layout.tail);
  out += escape_markup(std::string(tail.before));
  if (tail.has_symbol) {
    const std::string colour = get_value("terminal", token_colour_key("sym"));
    out += "<span" + (colour.empty() ? "" : " foreground=\"" + colour + "\"") + ">" +
           escape_markup(get_value("terminal", "symbol")) + "</span>";
    out += escape_markup(std::string(tail.after));
  }
  return out;
}

std::string prompt_preview_markup(const std::string& detected_font) {
  std::string body;
  const std::string raw_bash = get_value("terminal", "raw_bash");
  if (!raw_bash.empty()) {
    body = escape_markup(raw_bash);
  } else if (get_value("terminal", "style") == "powerline") {
    body = powerline_preview_markup(detected_font);
  } else {
    body = plain_preview_markup();
  }
  const std::string family = detected_font.empty() ? "monospace" : escape_markup(detected_font);
  return "<span font_family=\"" + family + "\" size=\"large\">" + body + "</span>";
}
