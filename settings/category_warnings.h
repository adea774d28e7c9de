// The warning that belongs to each category, and the one for Select All: what
// turning it on removes, whether that is normally safe, and how to recover.
//
// The Deepwash window shows a warning when a category is turned on: its
// beginning in the status bar (WarningStatusLine) and, when Show warnings is
// checked, the whole text in a warning box. The texts are fixed data.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "settings/category_catalogue.h"

namespace tidewell {

struct CategoryWarning {
  std::string_view title;  // completes "WARNING about deleting " in the box's title
  std::span<const std::string_view> paragraphs;

  // The warning text: the paragraphs joined with "\r\r" (two carriage
  // returns, no line feed), nothing before the first or after the last.
  // A paragraph may itself hold single carriage returns.
  std::string Text() const;
};

// The warning of one of the 35 categories; nullptr for the three options,
// which have none.
const CategoryWarning* WarningFor(CategoryId id);

// The warning shown once after Select All has checked every box.
const CategoryWarning& SelectAllWarning();

// The status-bar line for a warning text: "WARNINGS: " + text, where an empty
// text reads "None." and a text longer than 90 characters is cut to its first
// 90 characters (carriage returns count as characters) followed by " ...".
std::string WarningStatusLine(std::string_view text);

}  // namespace tidewell
