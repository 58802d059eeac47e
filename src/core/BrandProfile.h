#pragma once

#include <string>

#include "platform/System.h"

namespace quill {

/// The names the program ships under, substituted for "[ProgramName]", "[CompanyName]" and
/// "[Website]" in every text. Set once, before the main window loads.
struct BrandProfile {
  std::string programName;
  std::string companyName;
  std::string website;
  int brandNumber = 0;
  /// Branding features that are inactive in this edition.
  bool skinActive = false;
  bool bannerActive = false;

  // Behaviour that differs between editions, set with the names in FromIdentity.
  /// Started with the machine (Run at startup ticked), the program goes straight to the tray.
  bool trayWhenRunAtStartup = false;
  /// The first run ticks Run at startup unless the user's option says otherwise.
  bool runAtStartupOnFirstRun = false;
  /// The settings application under which a companion tool registers its name and program
  /// file; the tool then gets a button of its own.
  std::string companionSettingsApp = "Tarnwick2";

  static BrandProfile FromIdentity(const platform::ProgramIdentity& id);
  /// Replaces the three placeholders, ignoring the letter case of the placeholders.
  std::string Substitute(const std::string& text) const;
};

}  // namespace quill
