// The lock of the settings: a run that changes them holds it from reading fennick.ini until
// fennick.ini, fennick.css and prompt.sh are written, so that two such runs (two commands, or a
// command and the settings window) never lose each other's change. Readers take no lock.
#pragma once

// Holds the exclusive lock (flock on the settings folder) while it lives; waits while another
// process holds it. Taking it again in the same process only counts. When the folder cannot be
// made or opened, the run goes on unlocked: its writes fail there anyway, with their own message.
struct SettingsLock {
  SettingsLock();
  ~SettingsLock();
  SettingsLock(const SettingsLock&) = delete;
  SettingsLock& operator=(const SettingsLock&) = delete;
};
