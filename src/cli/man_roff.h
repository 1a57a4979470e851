// Text in man(7) markup: plain text escaped so that roff prints it as it is, in ASCII, and the
// line rules of roff input.
#pragma once

#include <string>
#include <string_view>

// The text for a roff text line: a backslash as \e, every "-" as \- (the texts name commands and
// options, which a reader copies), each character outside ASCII as its groff escape \[uXXXX],
// line breaks, tabs and other control characters as one blank.
std::string roff_escaped(std::string_view text);

// Escaped text in bold or italic, back to roman after it.
std::string roff_bold(std::string_view text);
std::string roff_italic(std::string_view text);

// Requests, for the start of a page, that give the characters without an ASCII glyph of their
// own (the ellipsis) a stand-in on a device that has none, such as a terminal in the C locale.
std::string roff_fallbacks();

// Text in which each span between backquotes, `like this`, is in bold; all of it escaped.
std::string roff_marked(std::string_view text);

// Markup (already escaped) as one input line: blanks at its end dropped, and a "." or "'" that
// would begin it, which roff would read as a request, or a leading blank, protected by \&.
std::string roff_line(std::string_view markup);

// A request line with one argument, e.g. roff_request(".SS", "Path bar"): the argument escaped
// and quoted, a double quote inside it written \(dq.
std::string roff_request(std::string_view request, std::string_view argument);
