#include "generate/apply.h"

#include "generate/prompt_script.h"
#include "generate/stylesheet.h"
#include "settings/atomic_file.h"
#include "settings/locations.h"
#include "settings/settings_file.h"

void apply_settings() {
  write_file_atomic(settings_path(), settings_text());
  write_file_atomic(stylesheet_path(), generate_stylesheet());
  write_file_atomic(prompt_script_path(), prompt_script());
}
