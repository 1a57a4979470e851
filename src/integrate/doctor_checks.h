// The checks of why something the settings ask for does not show: in the terminal, in Nemo, or
// on the command line. They only read: files, the environment and what other programs report.
#pragma once

#include <string>
#include <vector>

struct Problem {
  std::string what;  // what is wrong, on one line
  std::string fix;   // the command that mends it (or what to do), on one line
};

using Problems = std::vector<Problem>;

// Each check adds what it finds to found, in the order in which find_problems runs them.
void check_settings_lines(Problems& found);   // lines of fennick.ini that are not understood
void check_prompt_switch(Problems& found);    // the hook is installed, the prompt is off
void check_shell_hooks(Problems& found);      // an rc file of the user's shells lacks the hook
void check_generated_files(Problems& found);  // prompt.sh or a stylesheet is not what apply writes
void check_prompt_scope(Problems& found);     // the prompt is for Nemo's terminals, this is none
void check_prompt_font(Problems& found);      // the powerline prompt without a powerline font
void check_pathbar_reader(Problems& found);   // the path bar is customised, no Nemo reads it
void check_sidebar_reader(Problems& found);   // sidebar settings changed, no Nemo shows them
void check_nemo_extension(Problems& found);   // the extension outdated, or nemo-python missing
void check_dbus_services(Problems& found);    // a service file starts a missing executable
void check_running_nemo(Problems& found);     // the running Nemo is not the default one
void check_program_on_path(Problems& found);  // this program is not the fennick on PATH
void check_leftover_temporaries(Problems& found);  // a killed write left its temporary file

// Every check, in order.
Problems find_problems();

// The executable that the Exec line of a desktop-format file (a D-Bus service file) starts: its
// first word, read back as the program writes it (key-file escapes, then shell quoting); empty
// when there is no Exec line.
std::string exec_program(const std::string& file_text);
// The line for ~/.profile that puts dir first on PATH, naming the home folder $HOME.
std::string path_export_line(const std::string& dir);
