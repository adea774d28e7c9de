// Keeping captions whole in the Win32 windows: a caption is measured with
// the font it is drawn in (GDI's DrawText, the access-key "&" left out) and,
// where it does not fit its control, drawn a quarter point smaller at a
// time (ui/caption_fit.h). A check box fits when the width the common
// controls ask for its box and caption (BCM_GETIDEALSIZE) is no more than
// its own, and its caption fits the width less the box and 12 pixels;
// a label of several lines must fit in height too.
#pragma once

#include <windows.h>

#include "ui/win32/fonts.h"

namespace tidewell::ui::win32 {

enum class CaptionKind { Label, CheckBox };

// Whether the control's text, in `font`, fits the control.
bool CaptionFits(HWND control, HFONT font, CaptionKind kind);

// Sets the control's font: `wanted` at `dpi` when the caption fits in it,
// else the largest smaller size that fits (or the smallest allowed).
// Returns the size used, in points.
double FitCaption(HWND control, FontChoice wanted, CaptionKind kind, FontSet& fonts, UINT dpi);

}  // namespace tidewell::ui::win32
