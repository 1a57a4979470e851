// Prompt generation and the prompt preview for very long layout templates: milliseconds for the
// plain prompt of both shells, the powerline functions, the whole prompt script and the two
// preview markups, for templates of 100 KB to 1 MB in four shapes. Goal: linear in the length,
// a 1 MB template in well under a second. Prints a table.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "generate/plain_prompt.h"
#include "generate/powerline_prompt.h"
#include "generate/prompt_script.h"
#include "gui/preview_markup.h"
#include "settings/catalogue.h"
#include "settings/settings_file.h"
#include "settings/value_access.h"

namespace {

// A template of about size bytes made by repeating piece.
std::string repeated(const std::string& piece, size_t size) {
  std::string text;
  text.reserve(size + piece.size());
  while (text.size() < size)
    text += piece;
  return text;
}

volatile size_t result_bytes;

double milliseconds(const std::function<size_t()>& work) {
  const auto start = std::chrono::steady_clock::now();
  result_bytes = work();
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(end - start).count();
}

}  // namespace

// Arguments: the template sizes in bytes (default 100000 400000 1000000).
int main(int argc, char** argv) {
  std::vector<size_t> sizes = {100000, 400000, 1000000};
  if (argc > 1) sizes.clear();
  for (int i = 1; i < argc; ++i)
    sizes.push_back(std::stoul(argv[i]));
  const struct {
    const char* name;
    std::string piece;
  } shapes[] = {
      {"open braces", "{"},
      {"open braces, one close", "{"},
      {"tokens and text", "{user}@{host} {cwd}{git}{exit} > "},
      {"expandable text", "$(x) `y` \\ ! 100% "},
  };
  std::printf("%-24s %8s %10s %10s %10s %10s %10s %10s\n", "template", "KB", "plain bash",
              "plain zsh", "powerline", "script", "prev plain", "prev pline");
  for (const auto& shape : shapes) {
    for (size_t size : sizes) {
      reset_all_to_defaults();
      std::string layout = repeated(shape.piece, size);
      if (shape.name == std::string("open braces, one close")) layout += "{nl}";
      std::string problem;
      if (!set_setting("terminal.template", layout, problem) ||
          !set_setting("terminal.prompt_enabled", "true", problem)) {
        std::puts("template refused");
        return 1;
      }
      const double bash = milliseconds([] { return plain_prompt_body(ShellDialect::Bash).size(); });
      const double zsh = milliseconds([] { return plain_prompt_body(ShellDialect::Zsh).size(); });
      const double powerline = milliseconds([] { return powerline_functions().size(); });
      const double script = milliseconds([] { return prompt_script().size(); });
      const double preview_plain = milliseconds([] { return plain_preview_markup().size(); });
      const double preview_powerline =
          milliseconds([] { return powerline_preview_markup("MesloLGS NF").size(); });
      std::printf("%-24s %8zu %10.1f %10.1f %10.1f %10.1f %10.1f %10.1f\n", shape.name,
                  layout.size() / 1000, bash, zsh, powerline, script, preview_plain,
                  preview_powerline);
    }
  }
  return 0;
}
