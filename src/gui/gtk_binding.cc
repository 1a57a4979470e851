#include "gui/gtk_binding.h"

#include <dlfcn.h>

#include <cstdlib>
#include <iterator>
#include <string>

#include "settings/console.h"

GtkEntryPoints gtk;

namespace {

enum class Library { Gtk, Gdk, GObject, GLib, Fontconfig, PangoCairo, PangoFT2 };

// The file of each library, in the order of Library. GTK, GObject and GLib are opened first;
// the others when their first entry point is reached, so that a failure to open one shows as
// that symbol missing.
const char* const kLibraryFiles[] = {
    "libgtk-3.so.0",      "libgdk-3.so.0",          "libgobject-2.0.so.0", "libglib-2.0.so.0",
    "libfontconfig.so.1", "libpangocairo-1.0.so.0", "libpangoft2-1.0.so.0"};
const int kLibraryCount = static_cast<int>(std::size(kLibraryFiles));

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
  void* handles[kLibraryCount] = {};
  for (Library opened_first : {Library::Gtk, Library::GObject, Library::GLib}) {
    const int index = static_cast<int>(opened_first);
    handles[index] = dlopen(kLibraryFiles[index], RTLD_LAZY);
    if (!handles[index]) {
      print_err(
          "fennick: cannot load GTK 3 (libgtk-3.so.0); use the command line instead \xE2\x80\x94 "
          "fennick help\n");
      return false;
    }
  }
  for (const EntryPoint& entry : kEntryPoints) {
    const int index = static_cast<int>(entry.library);
    if (!handles[index]) handles[index] = dlopen(kLibraryFiles[index], RTLD_LAZY);
    resolve_gtk_symbol(handles[index], entry.name, entry.slot);
  }
  return true;
}
