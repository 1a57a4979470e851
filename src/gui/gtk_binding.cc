#include "gui/gtk_binding.h"

#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "settings/console.h"

GtkEntryPoints gtk;

namespace {

enum class Library { Gtk, Gdk, GObject, GLib };

struct EntryPoint {
  const char* name;
  Library library;
  void** slot;
};

const EntryPoint kEntryPoints[] = {
#define FENNICK_GTK_ROW(name, library) \
  {#name, Library::library, reinterpret_cast<void**>(&gtk.name)},
    FENNICK_GTK_ENTRY_POINTS(FENNICK_GTK_ROW)
#undef FENNICK_GTK_ROW
};

}  // namespace

void resolve_gtk_symbol(void* handle, const char* name, void** slot) {
  void* address = handle ? dlsym(handle, name) : nullptr;
  if (!address) {
    print_err(std::string("fennick: missing GTK symbol ") + name + "\n");
    std::exit(3);
  }
  *slot = address;
}

bool load_gtk() {
  void* handles[4] = {};
  handles[static_cast<int>(Library::Gtk)] = dlopen("libgtk-3.so.0", RTLD_LAZY);
  handles[static_cast<int>(Library::GObject)] = dlopen("libgobject-2.0.so.0", RTLD_LAZY);
  handles[static_cast<int>(Library::GLib)] = dlopen("libglib-2.0.so.0", RTLD_LAZY);
  if (!handles[static_cast<int>(Library::Gtk)] || !handles[static_cast<int>(Library::GObject)] ||
      !handles[static_cast<int>(Library::GLib)]) {
    print_err(
        "fennick: cannot load GTK 3 (libgtk-3.so.0); use the command line instead \xE2\x80\x94 "
        "fennick help\n");
    return false;
  }
  for (const EntryPoint& entry : kEntryPoints) {
    // GDK is opened only when its one entry point is reached; a failure to open it shows as
    // that symbol missing.
    if (entry.library == Library::Gdk && !handles[static_cast<int>(Library::Gdk)]) {
      handles[static_cast<int>(Library::Gdk)] = dlopen("libgdk-3.so.0", RTLD_LAZY);
    }
    resolve_gtk_symbol(handles[static_cast<int>(entry.library)], entry.name, entry.slot);
  }
  return true;
}
