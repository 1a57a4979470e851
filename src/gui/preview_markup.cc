#include "gui/preview_markup.h"

#include "generate/powerline_prompt.h"
#include "generate/template_token.h"
#include "settings/value_access.h"

namespace {

struct Sample {
  const char* token;
  const char* colour_key;
  const char* plain;
  const char* powerline;
};

const Sample kSamples[] = {
    {"user", "color_user", "quill", "quill"},    {"host", "color_host", "rig", "rig"},
    {"time", "color_time", "14:05:09", "14:05"}, {"git", "color_git", " (main)", "main"},
    {"exit", "color_exit", " [1]", "1"},
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
  const std::string layout = get_value("terminal", "template");
  std::string out;
  std::string name;
  size_t pos = 0;
  while (pos < layout.size()) {
    size_t close;
    if (token_at(layout, pos, name, close)) {
      if (name == "nl") {
        out += '\n';
        pos = close + 1;
        continue;
      }
      if (name == "cwd") {
        out += colour_span("color_cwd", folder_sample());
        pos = close + 1;
        continue;
      }
      if (name == "sym") {
        out += colour_span("color_sym", get_value("terminal", "symbol"));
        pos = close + 1;
        continue;
      }
      if (const Sample* sample = sample_of(name)) {
        out += colour_span(sample->colour_key, sample->plain);
        pos = close + 1;
        continue;
      }
    }
    out += escape_markup(std::string(1, layout[pos]));
    ++pos;
  }
  return out;
}

std::string powerline_preview_markup(const std::string& detected_font) {
  const std::string layout = get_value("terminal", "template");
  const std::string separator = preview_separator(detected_font);
  std::string name;
  size_t close;
  size_t last_new_line = std::string::npos;
  for (size_t pos = 0; pos < layout.size(); ++pos) {
    if (token_at(layout, pos, name, close) && name == "nl") last_new_line = close;
  }

  std::string out;
  std::string previous;  // background of the open block
  auto close_block = [&] {
    if (!previous.empty()) out += "<span foreground=\"" + previous + "\">" + separator + "</span>";
    previous.clear();
  };
  bool after_new_line = false;
  size_t pos = 0;
  while (pos < layout.size()) {
    if (!token_at(layout, pos, name, close)) {
      if (after_new_line) out += escape_markup(std::string(1, layout[pos]));
      ++pos;
      continue;
    }
    const size_t token_start = pos;
    pos = close + 1;
    if (name == "nl") {
      if (close == last_new_line) {
        close_block();
        out += '\n';
        after_new_line = true;
      }
    } else if (is_block_token(name) && !after_new_line &&
               (last_new_line == std::string::npos || token_start < last_new_line)) {
      // An empty colour gets what the real prompt uses then: white text on a dark grey block.
      std::string background = get_value("terminal", "bg_" + name);
      if (background.empty()) background = "#282828";
      std::string foreground = get_value("terminal", "color_" + name);
      if (foreground.empty()) foreground = "#FFFFFF";
      if (!previous.empty()) {
        out += "<span foreground=\"" + previous + "\" background=\"" + background + "\">" +
               separator + "</span>";
      }
      const Sample* sample = sample_of(name);
      const std::string text = sample ? sample->powerline : folder_sample();
      out += "<span foreground=\"" + foreground + "\" background=\"" + background + "\"" +
             weight() + "> " + escape_markup(text) + " </span>";
      previous = background;
    } else if (name == "sym") {
      close_block();
      const std::string colour = get_value("terminal", "color_sym");
      out += "<span" + (colour.empty() ? "" : " foreground=\"" + colour + "\"") + ">" +
             escape_markup(get_value("terminal", "symbol")) + "</span>";
    }
  }
  close_block();
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
