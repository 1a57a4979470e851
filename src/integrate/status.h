// The seven-line report of what is installed, enabled and running.
#pragma once

void print_status();
