// A bounded formatter for the few conversions the program's texts use, the same on every
// platform and free of the C library's printf.
#pragma once

#include <cstdarg>
#include <cstddef>

// Writes format into out with its conversions filled from the arguments, at most size - 1
// characters and a terminator (nothing when size is 0); the text is cut where it reaches the
// end. Conversions: %d (int), %u (unsigned), %ld and %lu (long, unsigned long), %s (text; null
// prints "(null)"), %% (a percent sign), each with an optional '0' flag and width (%05u). Any
// other % sequence is copied as it stands and takes no argument. Returns the length written.
size_t FormatText(char* out, size_t size, const char* format, ...);
size_t FormatTextList(char* out, size_t size, const char* format, va_list arguments);
