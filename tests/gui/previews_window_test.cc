// The previews in a real window: the generated stylesheet loads into GTK without a parsing error
// for every shape, border style and a range of fonts, and styles the path-bar preview at once;
// the prompt preview's markup is accepted by Pango for every style and shows the sample prompt.
#include "generate/stylesheet.h"
#include "gui/previews.h"
#include "gui/window_test_support.h"
#include "integrate/pathbar_import.h"
#include "settings/atomic_file.h"
#include "settings/locations.h"
#include "settings/settings_file.h"
#include "settings/value_access.h"

namespace {

const char kTriangle[] = "\xE2\x96\xB6";  // U+25B6

void collect_parsing_error(GtkCssProvider*, GtkCssSection*, GError* error, gpointer messages) {
  static_cast<std::vector<std::string>*>(messages)->push_back(error ? error->message : "?");
}

// What a fresh CSS provider reports while it loads the text.
std::vector<std::string> parsing_errors_of(const std::string& css) {
  std::vector<std::string> messages;
  GtkCssProvider* provider = gtk.gtk_css_provider_new();
  gtk.g_signal_connect_data(provider, "parsing-error", G_CALLBACK(collect_parsing_error), &messages,
                            nullptr, static_cast<GConnectFlags>(0));
  gtk.gtk_css_provider_load_from_data(provider, css.data(), static_cast<gssize>(css.size()),
                                      nullptr);
  gtk.g_object_unref(provider);
  return messages;
}

// The stylesheet now generated loads without an error, into a fresh provider and into the
// window's own (which the fixture watches).
void expect_stylesheet_parses(const std::string& what) {
  const std::string css = generate_stylesheet();
  EXPECT_EQ(parsing_errors_of(css), std::vector<std::string>()) << what << "\n" << css;
  // The rules scoped to the Nemo window, and GTK's user stylesheet importing them, as well.
  const std::string scoped = generate_nemo_stylesheet();
  EXPECT_EQ(parsing_errors_of(scoped), std::vector<std::string>()) << what << "\n" << scoped;
  make_directories(config_dir());
  write_file_atomic(nemo_stylesheet_path(), scoped);
  EXPECT_EQ(parsing_errors_of(add_pathbar_block(".mine { color: red; }\n")),
            std::vector<std::string>())
      << what;
  refresh_previews();
  EXPECT_EQ(stylesheet_errors(), 0) << what;
}

GtkWidget* crumb(const std::string& label) {
  for (GtkWidget* button : children_of(window.path_bar_preview)) {
    if (label == more.gtk_button_get_label(as<GtkButton>(button))) return button;
  }
  ADD_FAILURE() << "no crumb " << label;
  return nullptr;
}

// A colour property of a widget's style as "#RRGGBB", or "none" when it is fully transparent.
std::string style_colour(GtkWidget* widget, const char* property) {
  GtkStyleContext* style = more.gtk_widget_get_style_context(widget);
  GdkRGBA* rgba = nullptr;
  more.gtk_style_context_get(style, more.gtk_style_context_get_state(style), property, &rgba,
                             nullptr);
  if (!rgba) return "(unset)";
  char text[16];
  snprintf(text, sizeof text, "#%02X%02X%02X", static_cast<unsigned>(rgba->red * 255 + 0.5),
           static_cast<unsigned>(rgba->green * 255 + 0.5),
           static_cast<unsigned>(rgba->blue * 255 + 0.5));
  const bool transparent = rgba->alpha == 0;
  more.gdk_rgba_free(rgba);
  return transparent ? "none" : text;
}

int style_int(GtkWidget* widget, const char* property) {
  GtkStyleContext* style = more.gtk_widget_get_style_context(widget);
  int value = -1;
  more.gtk_style_context_get(style, more.gtk_style_context_get_state(style), property, &value,
                             nullptr);
  return value;
}

// The font the label of a crumb is drawn with, as "family weight style size".
std::string crumb_font(GtkWidget* button) {
  GtkWidget* label = more.gtk_bin_get_child(as<GtkBin>(button));
  GtkStyleContext* style = more.gtk_widget_get_style_context(label);
  PangoFontDescription* font = nullptr;
  more.gtk_style_context_get(style, more.gtk_style_context_get_state(style), "font", &font,
                             nullptr);
  if (!font) return "(none)";
  char* text = more.pango_font_description_to_string(font);
  std::string result = text;
  gtk.g_free(text);
  more.pango_font_description_free(font);
  return result;
}

void pick_colour(const std::string& name, double red, double green, double blue) {
  const GdkRGBA rgba = {red, green, blue, 1.0};
  gtk.gtk_color_chooser_set_rgba(as<GtkColorChooser>(control_of(name)), &rgba);
  more.g_signal_emit_by_name(control_of(name), "color-set");
}

std::string prompt_shown() {
  return label_text(window.prompt_preview);
}

// Rebuilds the prompt preview from the store; Pango's complaints are GTK complaints.
void expect_prompt_preview(const std::string& what, const std::string& text) {
  gtk_complaints().clear();
  refresh_previews();
  EXPECT_EQ(gtk_complaints(), std::vector<std::string>()) << what;
  gtk_complaints().clear();
  EXPECT_EQ(prompt_shown(), text) << what << "\nmarkup: " << label_markup(window.prompt_preview);
}

}  // namespace

TEST_F(WindowTest, StylesheetParsesForEveryShapeAndBorderStyle) {
  gtk.gtk_toggle_button_set_active(as<GtkToggleButton>(control_of("pathbar.enabled")), TRUE);
  set_value("pathbar.border_color", "#102030");
  set_value("pathbar.normal_color", "#405060");
  set_value("pathbar.normal_bg", "#708090");
  set_value("pathbar.selected_color", "#A0B0C0");
  set_value("pathbar.selected_bg", "#D0E0F0");
  set_value("pathbar.normal_height", "80");
  set_value("pathbar.selected_height", "1");
  set_value("pathbar.spacing", "5");
  GtkComboBox* shapes = as<GtkComboBox>(control_of("pathbar.shape"));
  for (const char* shape :
       {"custom", "square", "soft", "round", "pill", "tab", "tab_bottom", "leaf", "leaf_reverse"}) {
    gtk.gtk_combo_box_set_active_id(shapes, shape);
    ASSERT_EQ(stored("pathbar.shape"), shape);
    expect_stylesheet_parses(shape);
  }
  GtkComboBox* borders = as<GtkComboBox>(control_of("pathbar.border_style"));
  for (const char* border :
       {"none", "solid", "dashed", "dotted", "double", "groove", "ridge", "inset", "outset"}) {
    gtk.gtk_combo_box_set_active_id(borders, border);
    ASSERT_EQ(stored("pathbar.border_style"), border);
    expect_stylesheet_parses(border);
  }
  for (const char* width : {"0", "8"}) {
    gtk.gtk_spin_button_set_value(as<GtkSpinButton>(control_of("pathbar.border_width")),
                                  std::stoi(width));
    gtk.gtk_spin_button_set_value(as<GtkSpinButton>(control_of("pathbar.border_radius")),
                                  std::stoi(width) * 5);
    gtk.gtk_spin_button_set_value(as<GtkSpinButton>(control_of("pathbar.spacing")),
                                  std::stoi(width) * 3);
    expect_stylesheet_parses(std::string("width ") + width);
  }
}

TEST_F(WindowTest, StylesheetParsesForAnyFontDescription) {
  set_value("pathbar.enabled", "true");
  set_value("pathbar.selected_color", "#A0B0C0");
  for (const char* font :
       {"", "Sans 10", "DejaVu Sans Mono Bold Italic 12,5", "Noto \"Quoted\" Light 9", "   ",
        "Bold 11", "12", "Ubuntu Light", "Cantarell Ultra-Bold Oblique ,5", "Two  Blanks 0",
        "\"\" 7", "Serif 12345678901234567890,123", "Tab\tFamily 9", "Brace } ; { Family 10",
        "Back\\slash 8"}) {
    set_value("pathbar.normal_font", font);
    set_value("pathbar.selected_font", font);
    expect_stylesheet_parses(std::string("font \"") + font + "\"");
  }
}

// A backslash before the closing quote would escape it: the rest of the stylesheet would be lost.
TEST_F(WindowTest, StylesheetParsesForAFamilyEndingInABackslash) {
  set_value("pathbar.enabled", "true");
  set_value("pathbar.selected_bg", "#A0B0C0");
  set_value("pathbar.selected_font", "Ends in\\ 11");
  expect_stylesheet_parses("font \"Ends in\\ 11\"");
}

TEST_F(WindowTest, PathBarPreviewFollowsEveryChangeBeforeTheSave) {
  const std::string theme_selected = style_colour(crumb("nemo"), "background-color");
  const std::string theme_font = crumb_font(crumb("nemo"));

  gtk.gtk_toggle_button_set_active(as<GtkToggleButton>(control_of("pathbar.enabled")), TRUE);
  gtk.gtk_combo_box_set_active_id(as<GtkComboBox>(control_of("pathbar.shape")), "pill");
  pick_colour("pathbar.selected_bg", 1, 0, 0);
  pick_colour("pathbar.normal_bg", 0, 0, 1);
  pick_colour("pathbar.selected_color", 1, 1, 0);
  gtk.gtk_font_chooser_set_font(as<GtkFontChooser>(control_of("pathbar.selected_font")),
                                "Serif Bold Italic 15");
  more.g_signal_emit_by_name(control_of("pathbar.selected_font"), "font-set");

  // The pressed crumb takes the selected colours, the others the unselected ones.
  EXPECT_EQ(style_colour(crumb("nemo"), "background-color"), "#FF0000");
  EXPECT_EQ(style_colour(crumb("Home"), "background-color"), "#0000FF");
  EXPECT_EQ(style_colour(crumb("Projects"), "background-color"), "#0000FF");
  EXPECT_EQ(style_colour(more.gtk_bin_get_child(as<GtkBin>(crumb("nemo"))), "color"), "#FFFF00");
  EXPECT_EQ(crumb_font(crumb("nemo")), "Serif Bold Italic 15");
  EXPECT_EQ(crumb_font(crumb("Home")), theme_font);
  EXPECT_EQ(style_int(crumb("Home"), "border-radius"), 999);
  // All of it before anything is on disk.
  EXPECT_TRUE(window.save_pending);
  EXPECT_FALSE(file_exists(stylesheet_path()));

  gtk.gtk_combo_box_set_active_id(as<GtkComboBox>(control_of("pathbar.shape")), "soft");
  EXPECT_EQ(style_int(crumb("Home"), "border-radius"), 4);
  pick_colour("pathbar.selected_bg", 0, 0.5, 0);
  EXPECT_EQ(style_colour(crumb("nemo"), "background-color"), "#008000");

  // Switched off, the preview goes back to the theme's look.
  gtk.gtk_toggle_button_set_active(as<GtkToggleButton>(control_of("pathbar.enabled")), FALSE);
  EXPECT_EQ(style_colour(crumb("nemo"), "background-color"), theme_selected);
  EXPECT_EQ(crumb_font(crumb("nemo")), theme_font);
}

TEST_F(WindowTest, PromptPreviewShowsThePlainAndPowerlineSamples) {
  expect_prompt_preview("plain", "quill@rig ~/Projects/nemo (main)\n$ ");
  EXPECT_EQ(label_markup(window.prompt_preview).substr(0, 48),
            "<span font_family=\"monospace\" size=\"large\"><span");
  set_value("terminal.style", "powerline");
  expect_prompt_preview("powerline", std::string(" quill ") + kTriangle + " rig " + kTriangle +
                                         " ~/Projects/nemo " + kTriangle + " main " + kTriangle +
                                         "\n$ ");
  set_value("terminal.bold", "false");
  set_value("terminal.template", "{time}{exit}{nl}{nl}{cwd}> {sym}");
  set_value("terminal.cwd_style", "short");
  expect_prompt_preview("powerline, two new lines",
                        std::string(" 14:05 ") + kTriangle + " 1 " + kTriangle + "\n> $");
  set_value("terminal.style", "plain");
  expect_prompt_preview("plain, two new lines", "14:05:09 [1]\n\nProjects/nemo> $");
  set_value("terminal.template", "{user}{foo} {sym");
  expect_prompt_preview("unknown token", "quill{foo} {sym");
}

TEST_F(WindowTest, PromptPreviewMarkupSurvivesAnyText) {
  // Empty colours: no colour attribute in the plain style, white on dark grey in powerline.
  for (const char* key :
       {"color_user", "color_host", "color_cwd", "color_git", "color_time", "color_exit",
        "color_sym", "bg_user", "bg_host", "bg_cwd", "bg_git", "bg_time", "bg_exit"}) {
    set_value(std::string("terminal.") + key, "");
  }
  set_value("terminal.template", "{user}{host}{cwd}{git}{time}{exit}{nl}{sym}");
  expect_prompt_preview("plain, no colours", "quillrig~/Projects/nemo (main)14:05:09 [1]\n$");
  set_value("terminal.style", "powerline");
  expect_prompt_preview("powerline, no colours", std::string(" quill ") + kTriangle + " rig " +
                                                     kTriangle + " ~/Projects/nemo " + kTriangle +
                                                     " main " + kTriangle + " 14:05 " + kTriangle +
                                                     " 1 " + kTriangle + "\n$");

  set_value("terminal.symbol", "<&>");
  set_value("terminal.template", "<b>{user}</b> & {nl}{sym} <i>");
  expect_prompt_preview("powerline, markup characters",
                        std::string(" quill ") + kTriangle + "\n<&> <i>");
  set_value("terminal.style", "plain");
  expect_prompt_preview("plain, markup characters", "<b>quill</b> & \n<&> <i>");
  EXPECT_NE(label_markup(window.prompt_preview).find("&lt;&amp;&gt;"), std::string::npos);

  set_value("terminal.raw_bash", "\\u@\\h:\\w\\$ ");
  expect_prompt_preview("own bash prompt", "\\u@\\h:\\w\\$ ");
  set_value("terminal.style", "powerline");
  expect_prompt_preview("own bash prompt, powerline", "\\u@\\h:\\w\\$ ");
  set_value("terminal.raw_bash", "<span>&nbsp;\"'");
  expect_prompt_preview("own bash prompt with markup characters", "<span>&nbsp;\"'");
}

TEST_F(WindowTest, PromptPreviewUsesTheDetectedFontAndItsSeparators) {
  set_value("terminal.style", "powerline");
  set_value("terminal.template", "{user}{host}");
  window.detected_font = "MesloLGS NF";
  const struct {
    const char* separator;
    const char* glyph;
  } separators[] = {{"arrow", "\xEE\x82\xB0"},
                    {"rounded", "\xEE\x82\xB4"},
                    {"slant", "\xEE\x82\xBC"},
                    {"flame", "\xEE\x83\x80"},
                    {"ascii", ">"}};
  for (const auto& entry : separators) {
    set_value("terminal.separator", entry.separator);
    expect_prompt_preview(entry.separator,
                          std::string(" quill ") + entry.glyph + " rig " + entry.glyph);
  }
  EXPECT_EQ(label_markup(window.prompt_preview).substr(0, 50),
            "<span font_family=\"MesloLGS NF\" size=\"large\"><span");
  window.detected_font = "Fira & <Mono>";
  expect_prompt_preview("font name with markup characters", " quill > rig >");
  window.detected_font = "";
  expect_prompt_preview("no font", std::string(" quill ") + kTriangle + " rig " + kTriangle);
}

// The preview follows what is typed, character by character.
TEST_F(WindowTest, PromptPreviewFollowsTheControls) {
  gtk.gtk_combo_box_set_active_id(as<GtkComboBox>(control_of("terminal.cwd_style")), "base");
  EXPECT_EQ(prompt_shown(), "quill@rig nemo (main)\n$ ");
  gtk.gtk_entry_set_text(as<GtkEntry>(control_of("terminal.symbol")), "<&>");
  EXPECT_EQ(prompt_shown(), "quill@rig nemo (main)\n<&> ");
  gtk.gtk_combo_box_set_active_id(as<GtkComboBox>(control_of("terminal.style")), "powerline");
  EXPECT_EQ(prompt_shown(), std::string(" quill ") + kTriangle + " rig " + kTriangle + " nemo " +
                                kTriangle + " main " + kTriangle + "\n<&> ");
  gtk.gtk_entry_set_text(as<GtkEntry>(control_of("terminal.raw_bash")), "[\\u]");
  EXPECT_EQ(prompt_shown(), "[\\u]");
  gtk.gtk_entry_set_text(as<GtkEntry>(control_of("terminal.raw_bash")), "");
  gtk.gtk_toggle_button_set_active(as<GtkToggleButton>(control_of("terminal.bold")), FALSE);
  EXPECT_EQ(label_markup(window.prompt_preview).find("weight"), std::string::npos);
  EXPECT_TRUE(window.save_pending);
}
