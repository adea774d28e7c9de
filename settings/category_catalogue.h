// The fixed catalogue of the Deepwash window's 38 check boxes: 35 categories
// of junk the user switches on and off, and 3 options (Show warnings,
// aggressive scrubbing, Maintain log).
//
// Everything that keys on a category (the rule table, the store, the window,
// the console front end) names it by a CategoryId and finds its words here:
// control name, settings name, caption, tooltip, default and its place in the
// three presets. Nothing adds or removes entries at run time.
//
// The state of a box is not kept here: whoever owns the check boxes (the
// window, the console front end, a test) implements CategoryStates, and the
// rule table reads it live, at the moment a section is reached.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tidewell {

// The 38 entries in the window's order: categories 1 to 35 (the tab order,
// alphabetical by caption), then the three options top to bottom.
enum class CategoryId : std::uint8_t {
  Adobe, Archives, Backups, Copies, BizCards, Eudora, Cursors, Thumbnails, Graphics,
  Groups, Help, Installers, InstallerUndo, Controls, Bookmarks, Cookies, Downloads,
  Histories, List, Log, OfficeWorks, Music, ReadMe, Recent, Recycled, ScreenSavers,
  Setup, Sounds, Temp, Text, Uninstallers, VB, Videos, SysBckup, Wallpaper,
  ShowWarnings, ExtraScrubbing, MaintainLog,
};

inline constexpr std::size_t kCategoryCount = 35;  // entries 1 to 35
inline constexpr std::size_t kEntryCount = 38;     // categories and options

enum class EntryKind { Category, Option };

// One entry of the catalogue.
struct Category {
  CategoryId id;
  EntryKind kind;
  std::string_view controlName;   // "ChkAdobe"; the options: ChkWarnings, ChkExtra, ChkMaintainLog
  std::string_view settingsName;  // "Adobe", spelled exactly as stored
  std::string_view caption;       // with "&" before the access key, "&&" for "&"
  std::string_view tooltip;
  int defaultValue;               // 0 or 1: the state when the store holds no value
};

// All 38 entries in window order; entry i has CategoryId i.
std::span<const Category> CatalogueEntries();
// The 35 categories only (the first 35 entries).
std::span<const Category> Categories();

const Category& Entry(CategoryId id);

// Lookup, exact spelling (case counts): nullptr when no entry has the name.
const Category* FindByControlName(std::string_view controlName);
const Category* FindBySettingsName(std::string_view settingsName);

enum class Preset { SelectAll, SelectNone, Safest };

// The state a preset gives an entry: on, off, or nullopt when the preset
// leaves the box untouched (Show warnings and Maintain log, always).
std::optional<bool> PresetState(Preset preset, CategoryId id);

// The fixed orders in which the window visits its boxes.
// Creation: the order in which every box is loaded from the store.
std::span<const CategoryId> CreationLoadOrder();
// Select All checks, and Select None unchecks, these 36 boxes in this order.
std::span<const CategoryId> SelectAllOrder();
// Safest first unchecks the first list, then checks the second.
std::span<const CategoryId> SafestUncheckOrder();
std::span<const CategoryId> SafestCheckOrder();

// The live state of the 38 boxes, read where a decision needs it.
class CategoryStates {
 public:
  virtual ~CategoryStates() = default;
  // The box's current 16-bit value: 0 unchecked, 1 checked.
  virtual int CheckValue(CategoryId id) const = 0;
};

// On: any value other than 0.
inline bool IsOn(const CategoryStates& states, CategoryId id) { return states.CheckValue(id) != 0; }

// States held as plain values, starting from every entry's default: for the
// console front end and for tests.
class FixedCategoryStates : public CategoryStates {
 public:
  FixedCategoryStates();
  int CheckValue(CategoryId id) const override { return values_[static_cast<std::size_t>(id)]; }
  void Set(CategoryId id, int value) { values_[static_cast<std::size_t>(id)] = value; }
  // Applies a preset's on/off states; untouched boxes keep their values.
  void Apply(Preset preset);

 private:
  std::array<int, kEntryCount> values_{};
};

}  // namespace tidewell
