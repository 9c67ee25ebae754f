// Cutting a pin map string into entries and pins (internal, not
// installed); shared by the package pre-pass and the pin map reader.
//
// The value is the string as assembled from its quoted pieces (quotes and
// '&' removed, pieces joined by a blank). Entries are PORT : pin or
// PORT : (pin, pin, ...), separated by commas:
// - an entry with a ':' (not at its very beginning) sets the current port
//   name; an entry without one keeps the name the previous entry set (empty
//   at the start), so "A : 1, 2" gives pin 1 and then pin 2 to port A, each
//   at place 0;
// - a parenthesised list runs to the first ')' (the empty list when there
//   is none, the text after the '(' then being read on as further
//   entries); text between the ')' and the next comma is ignored;
// - an unparenthesised entry runs to the next comma, or is the last entry;
// - a list is cut into pins at its commas; a list beginning with a comma
//   is one pin as it stands.
// Each pin is handed to the callback with the current port name and its
// place in its entry's list (0 for the first); the callback returns false
// to stop the walk. The walk is linear in the value's length.
#ifndef BSCAN_PINMAPSTRINGINTERNAL_H
#define BSCAN_PINMAPSTRINGINTERNAL_H

#include <functional>
#include <string>

using PinMapPinHandler =
    std::function<bool(const std::string& portName, int place, const std::string& pin)>;

// Walks `value` (trailing white space is ignored). Returns false when the
// handler stopped the walk.
bool WalkPinMapString(const std::string& value, const PinMapPinHandler& onPin);

#endif
