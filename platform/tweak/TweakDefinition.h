#pragma once
// The definition strings of the tweak bars: "key=value" pairs, values bare or quoted, blanks
// allowed around '=', a key on its own meaning "true"; a bar-wide definition starts with the
// quoted (or bare) name of the bar or "bar/item" it applies to.
#include <map>
#include <string>

namespace platform::tweak {

using Params = std::map<std::string, std::string>;

// Adds the pairs of `text` to `params` (keys lower-cased). False, with nothing added, for an
// unterminated quote or a '=' without a key.
bool ParseParams(const std::string& text, Params* params);
// Splits "'<target>' pairs..." into the target and the pairs. False for a missing target or
// bad pairs.
bool ParseDefinition(const std::string& text, std::string* target, Params* params);

}  // namespace platform::tweak
