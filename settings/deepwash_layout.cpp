#include "settings/deepwash_layout.h"

#include <array>
#include <cstddef>

namespace tidewell {
namespace {

constexpr std::size_t kLeftColumnRows = 18;
constexpr int kLeftColumnX = 240;
constexpr int kRightColumnX = 3840;
constexpr int kFirstRowY = 600;
constexpr int kRowStep = 240;
constexpr int kCategoryBoxWidth = 3615;
constexpr int kOptionBoxWidth = 2535;
constexpr int kCheckBoxHeight = 195;

constexpr int kButtonTop = 5160;
constexpr int kButtonWidth = 1095;
constexpr int kButtonHeight = 495;

constexpr DeepwashButton kButtons[] = {
    {DeepwashCommand::SelectAll,
     "CmdAll",
     "&Select All",
     "Click here to activate MAXIMUM scrubbing power",
     {120, kButtonTop, kButtonWidth, kButtonHeight}},
    {DeepwashCommand::Safest,
     "CmdSafest",
     "&Safest",
     "Click here to use Tidewell's safest (default) settings",
     {1320, kButtonTop, kButtonWidth, kButtonHeight}},
    {DeepwashCommand::SelectNone,
     "CmdNone",
     "&Select None",
     "Click here to disable Tidewell's Deepwash options",
     {2520, kButtonTop, kButtonWidth, kButtonHeight}},
    {DeepwashCommand::Done,
     "CmdDone",
     "&Done",
     "Click here to return to Tidewell's main menu",
     {6480, kButtonTop, kButtonWidth, kButtonHeight}},
};

// The first three buttons come before the options in the tab order, Done after.
constexpr std::size_t kPresetButtonCount = 3;

}  // namespace

TwipsRect CheckBoxRect(CategoryId id) {
  const auto index = static_cast<std::size_t>(id);
  if (index >= kCategoryCount) {
    // Options: Show warnings, aggressive scrubbing, Maintain log, top to bottom,
    // level with the buttons.
    const int row = static_cast<int>(index - kCategoryCount);
    return {kRightColumnX, kButtonTop + row * kRowStep, kOptionBoxWidth, kCheckBoxHeight};
  }
  const bool left = index < kLeftColumnRows;
  const int row = static_cast<int>(left ? index : index - kLeftColumnRows);
  return {left ? kLeftColumnX : kRightColumnX, kFirstRowY + row * kRowStep, kCategoryBoxWidth,
          kCheckBoxHeight};
}

std::span<const DeepwashButton> DeepwashButtons() { return kButtons; }

std::span<const std::string_view> DeepwashTabOrder() {
  static const auto order = [] {
    std::array<std::string_view, 1 + kEntryCount + std::size(kButtons)> names{};
    std::size_t next = 0;
    names[next++] = kDeepwashFrameName;
    for (const Category& category : Categories()) names[next++] = category.controlName;
    for (std::size_t i = 0; i < kPresetButtonCount; ++i) names[next++] = kButtons[i].controlName;
    for (const Category& entry : CatalogueEntries().subspan(kCategoryCount)) {
      names[next++] = entry.controlName;
    }
    names[next++] = kButtons[kPresetButtonCount].controlName;
    return names;
  }();
  return order;
}

}  // namespace tidewell
