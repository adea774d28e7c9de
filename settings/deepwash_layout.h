// The Deepwash window's fixed layout, as data: where every control sits (in
// twips, 1/1440 inch, window coordinates), the fixed texts that are not part
// of the catalogue, and the tab order. The window binds its widgets to these
// figures; nothing here draws or depends on a toolkit.
#pragma once

#include <span>
#include <string_view>

#include "settings/category_catalogue.h"

namespace tidewell {

struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

inline constexpr std::string_view kDeepwashCaption = "Deepwash Controls";

// The client area; the window has a fixed dialog frame and cannot be resized.
inline constexpr int kDeepwashClientWidth = 7695;
inline constexpr int kDeepwashClientHeight = 6270;

// The frame across the top that holds the label and the 35 category boxes.
inline constexpr std::string_view kDeepwashFrameName = "Frame1";
inline constexpr TwipsRect kDeepwashFrameRect = {120, 0, 7455, 5055};

// The label at the top of the frame.
inline constexpr std::string_view kDeepwashLabelName = "Label1";
inline constexpr TwipsRect kDeepwashLabelRect = {240, 240, 7215, 255};
inline constexpr std::string_view kDeepwashLabelText =
    "In addition to Tidewell's automatic cleaning, scrub these files off the hard disk:";
inline constexpr std::string_view kDeepwashLabelTooltip =
    "Click on the scrubbing bubbles you want to use";

// The status bar along the bottom, where ShowWarning writes its summary line.
inline constexpr std::string_view kDeepwashStatusBarName = "StatusBar1";
inline constexpr std::string_view kDeepwashStatusBarTooltip = "WARNING messages are displayed here";

// The check box of any of the 38 entries. Categories sit in two columns,
// entries 1 to 18 on the left and 19 to 35 on the right, one row every 240
// twips from y 600; the three options sit below the right column.
TwipsRect CheckBoxRect(CategoryId id);

// What a Deepwash button does: apply one of the three presets, or close the
// window.
enum class DeepwashCommand { SelectAll, Safest, SelectNone, Done };

struct DeepwashButton {
  DeepwashCommand command;
  std::string_view controlName;
  std::string_view caption;
  std::string_view tooltip;
  TwipsRect rect;
};

// CmdAll, CmdSafest, CmdNone and CmdDone, left to right.
std::span<const DeepwashButton> DeepwashButtons();

// Control names in tab order: the frame, the 35 categories, the three preset
// buttons, the three options top to bottom, and Done.
std::span<const std::string_view> DeepwashTabOrder();

}  // namespace tidewell
