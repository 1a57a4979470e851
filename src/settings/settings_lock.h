// The lock of the settings: a run that changes them holds it from reading fennick.ini until
// fennick.ini, fennick.css and prompt.sh are written, so that two such runs (two commands, or a
// command and the settings window) never lose each other's change. Readers take no lock.
#pragma once

#include <string>

// How a run that finds the lock held by another process goes on.
enum class LockWait {
  Patiently,  // says once on standard error that it waits (after a second), fails after 30
  Never,      // while another process holds it, gives up at once: see SettingsLock::held
};

// Holds the exclusive lock (flock on the settings folder) while it lives. Taking it again in the
// same process only counts. A folder that cannot be made is left to the writes, which fail there
// with their own message; a folder that exists but cannot be opened to lock it fails the run:
// nothing is ever written unlocked.
struct SettingsLock {
  explicit SettingsLock(LockWait wait = LockWait::Patiently);
  ~SettingsLock();
  SettingsLock(const SettingsLock&) = delete;
  SettingsLock& operator=(const SettingsLock&) = delete;

  // False only when another process holds the lock and it was taken with LockWait::Never.
  bool held = false;
};

// "another fennick (process 4711)", or "another fennick" when the holder of the lock is unknown:
// who holds the settings lock now, for the messages of those that wait for it.
std::string lock_holder_text();
