#pragma once

#include "forms/Form.h"
#include "forms/Host.h"

namespace quill {

/// Where a window that slides up out of the task bar starts, rests and leaves the screen.
/// Everything is in twips, converted from the screen's pixels with its real twips per pixel,
/// so the window lands in the same place at every screen density.
struct SlidePlacement {
  /// Right-aligned with the desktop.
  int left = 0;
  /// The bottom of the work area: the top edge of a task bar at the bottom, else the bottom
  /// of the screen. The window slides up from here.
  int startTop = 0;
  /// Fully in view, kRestingGap above the bottom of the work area.
  int restingTop = 0;
  /// The bottom of the screen: a window whose top is below it has left the screen.
  int offScreenTop = 0;
  /// The top of the work area: a resting window never reaches above it.
  int workTop = 0;
};

/// Gap between a resting window and the bottom of the work area.
inline constexpr int kRestingGap = 100;

/// The placement of a window of this outer size (twips) on this screen.
SlidePlacement PlaceAboveTaskbar(const forms::ScreenMetrics& screen, int width, int height);

/// One tick of sliding in: shows the window and moves it up by step twips, never past its
/// resting place. True once it rests there (that tick does not move it).
bool SlideUp(forms::Form& window, const SlidePlacement& place, int step);
/// One tick of sliding out: shows the window and moves it down by step twips. True once it
/// has left the screen.
bool SlideDown(forms::Form& window, const SlidePlacement& place, int step);

}  // namespace quill
