#include "app/SlidePlacement.h"

#include <algorithm>

namespace quill {

SlidePlacement PlaceAboveTaskbar(const forms::ScreenMetrics& screen, int width, int height) {
  const int perPixelX = std::max(1, screen.twipsPerPixelX);
  const int perPixelY = std::max(1, screen.twipsPerPixelY);
  const int desktopWidth = screen.desktopWidthPx * perPixelX;
  const int desktopHeight = screen.desktopHeightPx * perPixelY;
  const int taskbarHeight = std::max(0, screen.taskbarHeightPx) * perPixelY;
  // A task bar at the top leaves the bottom of the screen free; one at the bottom (or one
  // that cannot be found, height 0) ends the work area at its top edge.
  const int workBottom = screen.taskbarAtTop ? desktopHeight : desktopHeight - taskbarHeight;
  const int workTop = screen.taskbarAtTop ? taskbarHeight : 0;

  SlidePlacement place;
  place.left = std::max(0, desktopWidth - width);
  place.startTop = workBottom;
  // On a screen too short for the window its top edge stays visible.
  place.restingTop = std::max(workTop, workBottom - (height + kRestingGap));
  place.offScreenTop = desktopHeight;
  place.workTop = workTop;
  return place;
}

bool SlideUp(forms::Form& window, const SlidePlacement& place, int step) {
  window.Show();
  if (window.Top() <= place.restingTop) return true;
  window.Move(window.Left(), std::max(place.restingTop, window.Top() - step));
  return false;
}

bool SlideDown(forms::Form& window, const SlidePlacement& place, int step) {
  window.Show();
  window.Move(window.Left(), window.Top() + step);
  // Gone once it has left the screen, whatever the screen's height.
  return window.Top() >= place.offScreenTop;
}

}  // namespace quill
