// One function per command word; each returns the exit status of the run.
#pragma once

#include "cli/command_line.h"

// saving.cc: writes the three files (the caller holds the settings lock) and tells on standard
// error what the rewrite of the settings file dropped, and where the old file is.
void save_and_apply();
// After a command that changed path-bar or sidebar settings while no running Nemo follows them
// by itself: prints one line saying what else shows them (nemo_reader_note).
void print_nemo_reader_note();

// gui_commands.cc
int cmd_gui(const CommandLine& line);

// usage.cc
int cmd_help(const CommandLine& line);
int cmd_version(const CommandLine& line);

// settings_commands.cc
int cmd_list(const CommandLine& line);
int cmd_get(const CommandLine& line);
int cmd_set(const CommandLine& line);
int cmd_reset(const CommandLine& line);

// generate_commands.cc
int cmd_apply(const CommandLine& line);
int cmd_css(const CommandLine& line);
int cmd_prompt(const CommandLine& line);

// presets_commands.cc
int cmd_palette(const CommandLine& line);
int cmd_export(const CommandLine& line);
int cmd_import(const CommandLine& line);

// fonts_commands.cc
int cmd_font(const CommandLine& line);
int cmd_uninstall(const CommandLine& line);

// integrate_commands.cc
int cmd_enable(const CommandLine& line);
int cmd_disable(const CommandLine& line);
int cmd_status(const CommandLine& line);
int cmd_restart(const CommandLine& line);
int cmd_action_install(const CommandLine& line);
int cmd_action_remove(const CommandLine& line);
int cmd_prompt_install(const CommandLine& line);
int cmd_prompt_remove(const CommandLine& line);
int cmd_pathbar_install(const CommandLine& line);
int cmd_pathbar_remove(const CommandLine& line);
int cmd_extension_install(const CommandLine& line);
int cmd_extension_remove(const CommandLine& line);

// doctor.cc
int cmd_doctor(const CommandLine& line);

// help_commands.cc
int cmd_completion(const CommandLine& line);
int cmd_man(const CommandLine& line);
