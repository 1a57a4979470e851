#include "gui/settings_sync.h"

#include <sys/stat.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "gui/previews.h"
#include "gui/setting_controls.h"
#include "gui/settings_window.h"
#include "gui/window_state.h"
#include "settings/catalogue.h"
#include "settings/locations.h"
#include "settings/settings_file.h"
#include "settings/settings_lock.h"

namespace {

const guint kFollowIntervalMs = 1000;

// The store as the file held it when the window last read or wrote it.
std::vector<std::string> synced;

// What tells one version of the file from another without reading it.
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified = {0, 0};

  bool operator==(const FileStamp& other) const {
    return exists == other.exists && device == other.device && inode == other.inode &&
           size == other.size && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec;
  }
};
FileStamp synced_stamp;

FileStamp stamp_of_settings_file() {
  FileStamp stamp;
  struct stat info;
  if (stat(settings_path().c_str(), &info) != 0) return stamp;
  stamp = {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim};
  return stamp;
}

// Takes from disk every setting the window has not changed since it last synced.
void merge_from_disk() {
  const std::vector<std::string> on_disk = settings_file_values();
  bool taken = false;
  for (int i = 0; i < setting_count(); ++i) {
    const size_t row = static_cast<size_t>(i);
    if (row >= synced.size() || stored_value(i) != synced[row] || on_disk[row] == synced[row]) {
      continue;
    }
    store_value(i, on_disk[row]);
    refresh_control(i);
    taken = true;
  }
  if (!taken) return;
  refresh_greying();
  refresh_previews();
}

// The windows opened in this process one after another; a check of an older one stops.
guint window_generation = 0;

gboolean on_follow_timer(gpointer generation) {
  if (!window.main_window || GPOINTER_TO_UINT(generation) != window_generation) return FALSE;
  if (window.save_pending || stamp_of_settings_file() == synced_stamp) return TRUE;
  try {
    merge_from_disk();
    note_settings_synced();
  } catch (const std::runtime_error& error) {
    // An unreadable file is reported and looked at again when it changes once more.
    synced_stamp = stamp_of_settings_file();
    show_status(std::string("Could not read the settings file: ") + error.what());
  }
  return TRUE;
}

}  // namespace

const std::vector<std::string>& synced_values() {
  return synced;
}

void note_settings_synced() {
  synced.clear();
  for (int i = 0; i < setting_count(); ++i)
    synced.push_back(stored_value(i));
  synced_stamp = stamp_of_settings_file();
}

ApplyOutcome save_window_settings() {
  SettingsLock lock;
  merge_from_disk();
  const ApplyOutcome outcome = apply_settings();
  note_settings_synced();
  return outcome;
}

std::string lock_busy_text() {
  std::string holder = lock_holder_text();
  holder[0] = 'A';
  return holder + " is changing the settings; try again when it has finished";
}

void follow_settings_file() {
  note_settings_synced();
  gtk.g_timeout_add(kFollowIntervalMs, on_follow_timer, GUINT_TO_POINTER(++window_generation));
}
