// A library the unloadable GTK stand-in is linked against and that is not on the library path
// when the program runs.
extern "C" void fennick_absent_function() {}
