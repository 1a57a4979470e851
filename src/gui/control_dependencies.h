// Settings that take effect only while another setting holds certain values, such as the path-bar
// settings while the path bar is not customised: the window greys their controls out meanwhile.
// No GTK here.
#pragma once

// Whether the setting of row index takes effect with the values stored now: false while any
// setting it depends on holds a value in which it has no effect.
bool setting_takes_effect(int index);
