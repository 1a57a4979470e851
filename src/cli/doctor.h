// doctor: the checks of why something does not show, each with the command that fixes it.
#pragma once
