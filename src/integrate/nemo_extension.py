# fennick's extension of the stock Nemo (nemo-python): it reads fennick's settings through the
# program itself (fennick list --json) and follows them while Nemo runs. It styles the path bar
# live, adds "Fennick…" and "Restart Nemo to apply" to the background menu, shows a bar above the
# files with the folder's size and counts, the space of its mount and the read-only cue, and
# writes down the folder each window shows, for fennick restart. A failure in here is reported
# once on standard error and never stops Nemo.
import json
import os
import stat
import subprocess
import sys
import time

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Nemo", "3.0")
from gi.repository import GLib, GObject, Gio, Gtk, Nemo  # noqa: E402

# The program whose settings these are; extension-install writes its path here.
FENNICK = "fennick"

_reported = set()


def report(where, error):
    """Says once per place what went wrong; Nemo goes on."""
    if where in _reported:
        return
    _reported.add(where)
    sys.stderr.write("fennick extension: %s: %s\n" % (where, error))


def guarded(where, default=None):
    """Runs a callback of Nemo's or GLib's; a failure is reported and gives default."""

    def wrap(function):
        def run(*args):
            try:
                return function(*args)
            except Exception as error:  # noqa: BLE001 - nothing may reach Nemo
                report(where, error)
                return default

        return run

    return wrap


class Settings:
    """The values as the program reads them, and the files they come from."""

    def __init__(self):
        self.values = {}
        self.files = {}
        self.listeners = []
        self.monitors = []
        self.load()

    def load(self):
        try:
            out = subprocess.run([FENNICK, "list", "--json"], capture_output=True, timeout=10,
                                 check=True).stdout
            # Paths and values are bytes that need not be UTF-8: kept as they are, as os does.
            data = json.loads(out.decode("utf-8", "surrogateescape"))
            self.values = {row["section"] + "." + row["key"]: row["value"]
                           for row in data["settings"]}
            self.files = data["files"]
        except Exception as error:  # noqa: BLE001 - a broken program or file means defaults
            report("reading the settings", error)
            self.values = {}

    def text(self, name, default=""):
        return self.values.get(name, default)

    def on(self, name, default=False):
        return self.values.get(name, "true" if default else "false") == "true"

    def number(self, name, default):
        try:
            return int(self.values.get(name, default))
        except ValueError:
            return default

    def follow(self, listener):
        """Calls listener after every change of the settings file or the Nemo stylesheet."""
        self.listeners.append(listener)
        if self.monitors:
            return
        for key in ("settings", "nemo_stylesheet"):
            if not self.files.get(key):
                continue
            monitor = Gio.File.new_for_path(self.files[key]).monitor_file(
                Gio.FileMonitorFlags.NONE, None)
            monitor.set_rate_limit(100)
            monitor.connect("changed", self.changed)
            self.monitors.append(monitor)

    @guarded("following the settings")
    def changed(self, monitor, file, other, event):
        if event not in (Gio.FileMonitorEvent.CHANGES_DONE_HINT, Gio.FileMonitorEvent.CREATED,
                         Gio.FileMonitorEvent.DELETED, Gio.FileMonitorEvent.RENAMED,
                         Gio.FileMonitorEvent.MOVED_IN):
            return
        self.load()
        for listener in self.listeners:
            listener()


class PathBar:
    """The path-bar rules scoped to Nemo's windows, in Nemo's own process, reloaded live."""

    def __init__(self, settings):
        self.settings = settings
        self.provider = Gtk.CssProvider()
        # Above gtk.css, which may import the same rules as they were when Nemo started.
        Gtk.StyleContext.add_provider_for_screen(
            Gdk_screen(), self.provider, Gtk.STYLE_PROVIDER_PRIORITY_USER + 1)
        self.reload()
        settings.follow(self.reload)

    def reload(self):
        path = self.settings.files.get("nemo_stylesheet", "")
        try:
            with open(path, "rb") as css:
                text = css.read()
        except OSError:
            text = b""
        try:
            self.provider.load_from_data(text)
        except GLib.Error as error:
            report("loading " + path, error.message)
            self.provider.load_from_data(b"")


def Gdk_screen():
    gi.require_version("Gdk", "3.0")
    from gi.repository import Gdk

    return Gdk.Screen.get_default()


class Count:
    """What a count of a folder found: whole, or a lower bound when it stopped early."""

    def __init__(self):
        self.files = self.dirs = self.size = 0
        self.whole = True
        self.done = False
        self.time = time.monotonic()


def count_steps(top, limit, seconds):
    """Counts the files, folders and bytes below top without following links out of the tree and
    without counting a file twice, stopping at limit entries or after seconds. A generator: it
    yields now and then, so that the count runs in Nemo's main loop in short slices, and returns
    the Count."""
    found = Count()
    seen = set()
    end = time.monotonic() + seconds
    folders = [os.fsencode(top)]
    entries = 0
    while folders:
        folder = folders.pop()
        try:
            with os.scandir(folder) as listing:
                for entry in listing:
                    entries += 1
                    if entries > limit:
                        found.whole = False
                        return found
                    if entries % 64 == 0:
                        if time.monotonic() > end:
                            found.whole = False
                            return found
                        yield
                    try:
                        info = entry.stat(follow_symlinks=False)
                    except OSError:
                        found.whole = False
                        continue
                    if stat.S_ISDIR(info.st_mode):
                        found.dirs += 1
                        folders.append(entry.path)
                        continue
                    found.files += 1
                    if (info.st_dev, info.st_ino) in seen:
                        continue
                    if info.st_nlink > 1:
                        seen.add((info.st_dev, info.st_ino))
                    found.size += info.st_size
        except OSError:
            # Unreadable or gone while counted: what was found is a lower bound only.
            found.whole = False
    found.done = True
    return found


def size_text(size):
    for unit in ("bytes", "kB", "MB", "GB", "TB"):
        if size < 1000 or unit == "TB":
            return ("%d %s" % (size, unit)) if unit == "bytes" else ("%.1f %s" % (size, unit))
        size /= 1000.0
    return ""


class Counter:
    """Counts folders in slices of Nemo's main loop, each a few milliseconds, so that Nemo never
    waits for a count (nemo-python gives a thread of its own no time while Nemo runs); keeps each
    count for a while. A folder asked for again while it is counted waits for the same count."""

    SLICE = 0.008

    def __init__(self):
        self.cache = {}
        self.waiting = {}
        self.generation = 0

    def forget(self):
        """After a change of the settings: every count starts anew."""
        self.generation += 1
        self.cache.clear()
        self.waiting.clear()

    def count(self, path, settings, done):
        kept = self.cache.get(path)
        if kept and time.monotonic() - kept.time < settings.number("sidebar.stats_ttl_seconds", 180):
            done(kept)
            return
        if path in self.waiting:
            self.waiting[path].append(done)
            return
        self.waiting[path] = [done]
        generation = self.generation
        steps = count_steps(path, settings.number("sidebar.stats_max_entries", 200000),
                            settings.number("sidebar.stats_max_seconds", 20))

        @guarded("counting " + repr(path), False)
        def step():
            if generation != self.generation:
                return False
            end = time.monotonic() + self.SLICE
            try:
                while time.monotonic() < end:
                    next(steps)
            except StopIteration as stop:
                self.cache[path] = stop.value
                for callback in self.waiting.pop(path, []):
                    callback(stop.value)
                return False
            return True

        GLib.idle_add(step, priority=GLib.PRIORITY_LOW)


def uri_path(uri):
    file = Gio.File.new_for_uri(uri)
    return file.get_path() if file.is_native() else None


class FolderBar(Gtk.Box):
    """The bar above the files of one window: statistics, space of the mount, read-only cue."""

    def __init__(self, extension, path):
        super().__init__(orientation=Gtk.Orientation.HORIZONTAL, spacing=8)
        self.extension = extension
        self.path = path
        self.alive = True
        self.connect("destroy", self.destroyed)
        self.set_margin_start(6)
        self.set_margin_end(6)
        self.cue = Gtk.Label(xalign=0)
        self.stats = Gtk.Label(xalign=0)
        self.space = Gtk.LevelBar()
        self.space.set_size_request(120, -1)
        self.space.set_valign(Gtk.Align.CENTER)
        for widget in (self.cue, self.stats):
            self.pack_start(widget, False, False, 0)
        self.pack_end(self.space, False, False, 0)
        self.set_no_show_all(True)
        # The cue's colour follows the theme, which is known once the bar is in its window.
        self.connect("style-updated", guarded("the read-only cue")(lambda _bar: self.refresh()))
        self.refresh()

    def settings(self):
        return self.extension.settings

    def destroyed(self, _widget):
        self.alive = False

    @guarded("drawing the folder bar")
    def refresh(self):
        settings = self.settings()
        path = self.path
        shown = False
        self.cue.hide()
        if not os.path.isdir(path):
            self.set_visible(False)
            return
        if settings.on("sidebar.readonly_enabled", True) and not os.access(path, os.W_OK):
            self.show_cue(settings)
            shown = True
        self.space.hide()
        if settings.on("sidebar.space_bars", True):
            try:
                fs = os.statvfs(path)
                total = fs.f_blocks * fs.f_frsize
                if total > 0:
                    self.space.set_value((fs.f_blocks - fs.f_bfree) / fs.f_blocks)
                    self.space.set_tooltip_text("%s free of %s" % (
                        size_text(fs.f_bavail * fs.f_frsize), size_text(total)))
                    self.space.show()
                    shown = True
            except OSError:
                pass
        self.stats.hide()
        if settings.on("sidebar.stats_enabled", True):
            if settings.on("sidebar.stats_roots", True) and os.path.ismount(path):
                self.show_mount(path)
            else:
                self.stats.set_text("counting\u2026")
                self.extension.counter.count(path, settings, self.show_count)
            self.stats.show()
            shown = True
        self.set_visible(shown)

    def show_cue(self, settings):
        dark = self.dark_theme()
        colour = settings.text("sidebar.readonly_color_dark" if dark else
                               "sidebar.readonly_color_light") or ("#E69F00" if dark else "#B05A00")
        marker = settings.text("sidebar.readonly_marker", "none")
        text = ("\U0001F512 " if marker == "lock" else "") + "Read-only folder"
        attributes = ' foreground="%s"' % GLib.markup_escape_text(colour)
        if settings.on("sidebar.readonly_italic", True):
            attributes += ' style="italic"'
        if marker == "underline":
            attributes += ' underline="single"'
        self.cue.set_markup("<span%s>%s</span>" % (attributes, GLib.markup_escape_text(text)))
        self.cue.show()

    def dark_theme(self):
        """A theme is dark when its text is light."""
        if self.get_parent() is None:
            settings = Gtk.Settings.get_default()
            return bool(settings.props.gtk_application_prefer_dark_theme or
                        "dark" in (settings.props.gtk_theme_name or "").lower())
        colour = self.get_style_context().get_color(Gtk.StateFlags.NORMAL)
        return 0.299 * colour.red + 0.587 * colour.green + 0.114 * colour.blue > 0.5

    def show_mount(self, path):
        fs = os.statvfs(path)
        used = (fs.f_blocks - fs.f_bfree) * fs.f_frsize
        self.stats.set_text("%s used, %s free (the file system's own figures)" % (
            size_text(used), size_text(fs.f_bavail * fs.f_frsize)))

    def show_count(self, found):
        if not self.alive:
            return
        settings = self.settings()
        at_least = "" if found.whole else "\u2265 "
        parts = []
        if settings.on("sidebar.stats_show_size", True):
            parts.append(at_least + size_text(found.size))
        if settings.on("sidebar.stats_show_files", True):
            parts.append("%s%d file%s" % (at_least, found.files, "" if found.files == 1 else "s"))
        if settings.on("sidebar.stats_show_dirs", True):
            parts.append("%s%d folder%s" % (at_least, found.dirs, "" if found.dirs == 1 else "s"))
        self.stats.set_text(" \u00b7 ".join(parts))


class FennickExtension(GObject.GObject, Nemo.LocationWidgetProvider, Nemo.MenuProvider):
    def __init__(self):
        super().__init__()
        self.settings = Settings()
        self.counter = Counter()
        self.bars = []
        self.windows = {}
        try:
            self.path_bar = PathBar(self.settings)
        except Exception as error:  # noqa: BLE001
            report("styling the path bar", error)
        self.settings.follow(self.settings_changed)

    @guarded("following the settings")
    def settings_changed(self):
        self.counter.forget()
        self.bars = [bar for bar in self.bars if bar.alive]
        for bar in self.bars:
            bar.refresh()

    @guarded("the folder bar")
    def get_widget(self, uri, window):
        self.note_window(window, uri)
        path = uri_path(uri)
        if path is None:
            return None
        bar = FolderBar(self, path)
        self.bars = [kept for kept in self.bars if kept.alive] + [bar]
        return bar

    def note_window(self, window, uri):
        """Writes down the folder each window shows, for fennick restart to open them again."""
        if window not in self.windows:
            window.connect("destroy", guarded("closing a window")(self.window_closed))
        self.windows[window] = uri
        self.write_windows()

    def window_closed(self, window):
        self.windows.pop(window, None)
        self.write_windows()

    def write_windows(self):
        path = self.settings.files.get("nemo_windows")
        if not path:
            return
        try:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            temporary = "%s.tmp%d" % (path, os.getpid())
            with open(temporary, "w", encoding="utf-8") as out:
                out.write("pid %d\n" % os.getpid())
                for uri in self.windows.values():
                    out.write(uri + "\n")
            os.replace(temporary, path)
        except OSError as error:
            report("writing " + path, error)

    @guarded("the menu", ())
    def get_background_items(self, window, file):
        items = []
        for name, label, tip, command in (
                ("Fennick::Settings", "Fennick\u2026", "Tune the path bar, prompt, panes and sidebar",
                 "gui"),
                ("Fennick::Restart", "Restart Nemo to apply", "Close every Nemo window and open "
                 "them again", "restart")):
            item = Nemo.MenuItem(name=name, label=label, tip=tip, icon="")
            item.connect("activate", guarded("the menu")(lambda _item, word=command: run(word)))
            items.append(item)
        return items


def run(word):
    """Starts fennick WORD without waiting for it."""
    GLib.spawn_async([FENNICK, word], flags=GLib.SpawnFlags.SEARCH_PATH)
