#pragma once
// The test-facing side of the tweak bars: read the bars, their items and parameters, read and
// write values as text, press buttons, and start afresh.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace platform::tweak {

class Bar;

enum class ItemKind { kVariable, kButton, kSeparator };

struct ItemInfo {
    std::string name;
    ItemKind kind = ItemKind::kVariable;
    uint32_t type = 0;
    bool readOnly = false;
    std::string definition;                     // as given when the item was added
    std::map<std::string, std::string> params;  // keys lower-cased ("group", "step", ...)
};

// The live bars in creation order.
std::vector<std::string> BarNames();
Bar* FindBar(const std::string& name);
// The bar's parameters (from Define and SetParam), keys lower-cased.
std::map<std::string, std::string> BarParams(const Bar* bar);
std::map<std::string, std::string> GroupParams(const Bar* bar, const std::string& group);
// The items in bar order; unnamed separators have an empty name.
std::vector<ItemInfo> Items(const Bar* bar);
bool FindItem(const Bar* bar, const std::string& name, ItemInfo* out);

// The value as text: "true"/"false", integers, floats with nine significant digits, strings
// as they are, structs and quaternions as their members separated by one blank. False for a
// missing variable, a button or a separator.
bool ReadValue(Bar* bar, const std::string& name, std::string* text);
// Parses the text for the variable's type and stores it as the user would; false when the
// variable is missing or read-only or the text does not parse.
bool WriteValue(Bar* bar, const std::string& name, const std::string& text);
bool PressButton(Bar* bar, const std::string& name);

int WindowWidth();
int WindowHeight();
// The errors the library recorded since the last reset (the latest 256), oldest first.
const std::vector<std::string>& Errors();
// Frees every bar and struct type and forgets the copy function, window size and errors.
void ResetForTests();

}  // namespace platform::tweak
