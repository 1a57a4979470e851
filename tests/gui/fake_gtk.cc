// A stand-in for libgtk-3.so.0 that exports every GTK entry point of the window's table except
// the ones named at build time, one -DOMIT_<symbol> each; with -DNEEDS_ABSENT_LIBRARY it also
// needs a library that is not there at run time, so that it cannot be loaded at all. The window
// looks every symbol up before it calls any, so none of these is ever called.
#include "gui/gtk_binding.h"

#define FAKE_CAT(a, b) FAKE_CAT_(a, b)
#define FAKE_CAT_(a, b) a##b
#define FAKE_SECOND(...) FAKE_SECOND_(__VA_ARGS__, 0, 0)
#define FAKE_SECOND_(a, b, ...) b
// 1 when OMIT_<name> is defined (as 1, what -D gives), 0 otherwise.
#define FAKE_PROBE_1 ~, 1
#define FAKE_OMITTED(name) FAKE_SECOND(FAKE_CAT(FAKE_PROBE_, OMIT_##name))

#define FAKE_DEFINE_0(name)                     \
  extern "C" void fake_##name() __asm__(#name); \
  void fake_##name() {}
#define FAKE_DEFINE_1(name)
#define FAKE_Gtk(name) FAKE_CAT(FAKE_DEFINE_, FAKE_OMITTED(name))(name)
// GDK, GObject, GLib, fontconfig and Pango come from the real libraries.
#define FAKE_Gdk(name)
#define FAKE_GObject(name)
#define FAKE_GLib(name)
#define FAKE_Fontconfig(name)
#define FAKE_PangoCairo(name)
#define FAKE_PangoFT2(name)
#define FAKE_ENTRY(name, library) FAKE_##library(name)

FENNICK_GTK_ENTRY_POINTS(FAKE_ENTRY)

#ifdef NEEDS_ABSENT_LIBRARY
extern "C" void fennick_absent_function();
extern "C" void fake_needs_absent_library() {
  fennick_absent_function();
}
#endif
