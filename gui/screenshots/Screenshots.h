#pragma once

#include <QString>

namespace quill {
class Application;
}

namespace quill::gui {

class QtHost;

/// Renders every page of the main window and every other window to PNG files in a folder:
/// starts the program, runs a Smart Scan, ticks two results, and walks the pages, the option
/// tabs and the small windows. Message boxes are answered by themselves. Returns the number
/// of pictures written, or -1 when the program could not start.
int TakeScreenshots(Application& app, QtHost& host, const QString& folder);

}  // namespace quill::gui
