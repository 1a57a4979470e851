// The usage text and the version.
#pragma once

extern const char kVersion[];

void print_usage();
